#!/usr/bin/env python3
"""Turns what a self-registration wrote into the registry rows of an installer package.

    registry_rows.py BEFORE.reg AFTER.reg FOLDER DIRECTORY_ID OWN.wxi SHARED.wxi

BEFORE and AFTER are a Wine prefix's system.reg before and after `regsvr32` registered the
control lying in FOLDER (a Windows path, such as C:\\corvane\\x64\\). Every key and value added
under the classes root becomes a WiX row, FOLDER becomes [DIRECTORY_ID], and the 32-bit view's
Wow6432Node is dropped: the component that holds the rows chooses the view. A package that
writes these rows registers exactly what the control registers itself, and removes it again.

Windows keeps one copy of most of the classes root for both views: only class and interface
identifiers are kept per view, and a type library's per-platform folder (win32, win64) has a
name of its own. The rows of that one copy (program identifier, type library name, flags, help
folder) go to SHARED, the rest to OWN, so that a package can leave the shared rows installed
while either width is, and removing one width does not unregister the other.
"""
import re
import sys
from xml.sax.saxutils import quoteattr

CLASSES = "Software\\Classes\\"
WOW = "Wow6432Node\\"
SECTION = re.compile(r'^\[(.*)\](?: \d+)?$')
VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')


def unescape(text):
    """A quoted string of Wine's registry files, without its quotes."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        nxt = text[i + 1]
        if nxt == "x":
            end = text.index("}", i) if text[i + 2] == "{" else None
            if end is None:
                digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:]).group(0)
                out.append(chr(int(digits, 16)))
                i += 2 + len(digits)
            else:
                out.append(chr(int(text[i + 3:end], 16)))
                i = end + 1
            continue
        out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(nxt, nxt))
        i += 2
    return "".join(out)


def read_classes(path):
    """{key under the classes root: {value name: data as written}} of one system.reg."""
    keys, current, name = {}, None, ""
    with open(path, encoding="utf-8", errors="surrogateescape") as source:
        for line in source:
            line = line.rstrip("\n")
            section = SECTION.match(line)
            if section:
                name = unescape(section.group(1))
                current = None
                if name.lower().startswith(CLASSES.lower()):
                    current = keys.setdefault(name[len(CLASSES):], {})
                continue
            if current is None or not line or line.startswith("#"):
                continue
            if line.startswith("  "):  # a long value goes on over several lines
                current[name] += line.strip()
                continue
            value = VALUE.match(line)
            if not value:
                raise SystemExit(f"registry_rows: cannot read the line {line!r} of {path}")
            name = "" if value.group(1) == "@" else unescape(value.group(1)[1:-1])
            current[name] = value.group(2)
    return keys


def typed(key, name, data):
    """The WiX type and the text of one value."""
    if data.startswith('"') and data.endswith('"'):
        return "string", unescape(data[1:-1])
    if data.startswith('str(2):"'):
        return "expandable", unescape(data[8:-1])
    if data.startswith("dword:"):
        return "integer", str(int(data[6:], 16))
    raise SystemExit(f"registry_rows: {key}\\{name} is of a type the package cannot hold: {data}")


def view_key(key):
    return key[len(WOW):] if key.lower().startswith(WOW.lower()) else key


def shared(key):
    """Whether Windows keeps `key` once for both registry views."""
    parts = key.lower().split("\\")
    if parts[0] in ("clsid", "interface"):
        return False
    return not (parts[0] == "typelib" and len(parts) > 4 and parts[4] in ("win32", "win64"))


def rows(before, after, folder, directory):
    old, new = read_classes(before), read_classes(after)
    added = {}
    for key, values in new.items():
        fresh = {n: v for n, v in values.items() if old.get(key, {}).get(n) != v}
        if key not in old or fresh:
            added[view_key(key)] = fresh
    # The folder with or without its closing backslash (a library's help folder has none).
    pattern = re.compile(re.escape(folder.rstrip("\\")) + r"(\\|$)", re.IGNORECASE)
    lines = {False: ["<Include>"], True: ["<Include>"]}
    for key in sorted(added, key=str.lower):
        out = lines[shared(key)]
        values = added[key]
        if not values and not any(k.lower().startswith(key.lower() + "\\") for k in added):
            # A key without values: the name "*" creates it and removes it with the package.
            out.append(f'  <RegistryValue Root="HKCR" Key={quoteattr(key)} Name="*" '
                       'Type="string" Value=""/>')
        for name in sorted(values, key=str.lower):
            kind, data = typed(key, name, values[name])
            if "[" in data or "]" in data or data.startswith("#"):
                raise SystemExit(f"registry_rows: {key}\\{name} = {data!r} needs escaping")
            data = pattern.sub(lambda _: f"[{directory}]", data)
            if re.search(r"[A-Za-z]:\\corvane", data, re.IGNORECASE):
                raise SystemExit(f"registry_rows: {key}\\{name} = {data!r} names another folder")
            named = f" Name={quoteattr(name)}" if name else ""
            out.append(f'  <RegistryValue Root="HKCR" Key={quoteattr(key)}{named} '
                       f'Type="{kind}" Value={quoteattr(data)}/>')
    if len(lines[False]) == 1 or len(lines[True]) == 1:
        raise SystemExit("registry_rows: the registration added no class or no program identifier")
    # The shared rows make a component of their own, which a registry value must key.
    lines[True][1] = lines[True][1].replace("<RegistryValue ", '<RegistryValue KeyPath="yes" ', 1)
    return ["\n".join(part + ["</Include>"]) + "\n" for part in (lines[False], lines[True])]


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    for text, path in zip(rows(*sys.argv[1:5]), sys.argv[5:]):
        with open(path, "w", encoding="utf-8") as target:
            target.write(text)
