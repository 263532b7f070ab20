"""Every member of both type libraries has a heading in the reference.

An interface's page is the page of docs/ that names the interface in backticks before its first
second-level heading; each member of the interface (read from the IDL) needs a heading on one of
its pages that names it in backticks, with or without its arguments: ## `Objects(Index)`.

    check_members.py DOCS IDL...
"""
import pathlib
import re
import sys

BLOCK = re.compile(r"^\s*(dispinterface|interface)\s+(\w+)\b[^;{]*\{(.*?)^\s*\};", re.M | re.S)
MEMBER = re.compile(r"\b(?:HRESULT|void)\s+(\w+)\s*\(")
HEADING = re.compile(r"^#{2,6}\s")
CODE = re.compile(r"`(\w+)(?:\([^`]*\))?`")


def interfaces(idl):
    """{interface: [members]} of one IDL file, in declaration order, each member once."""
    found = {}
    for _, name, body in BLOCK.findall(idl.read_text(encoding="utf-8")):
        members = []
        for member in MEMBER.findall(body):
            if member not in members:
                members.append(member)
        found[name] = members
    return found


def main():
    docs = pathlib.Path(sys.argv[1])
    declared = {}
    for idl in sys.argv[2:]:
        declared.update(interfaces(pathlib.Path(idl)))
    if not declared:
        raise SystemExit("no interfaces read from " + " ".join(sys.argv[2:]))
    pages = {}
    headed = {}
    for page in sorted(docs.glob("*.md")):
        text = page.read_text(encoding="utf-8")
        lead = re.split(r"^## ", text, maxsplit=1, flags=re.M)[0]
        for name in declared:
            if f"`{name}`" in lead:
                pages.setdefault(name, []).append(page.name)
        headed[page.name] = {code for line in text.splitlines() if HEADING.match(line)
                             for code in CODE.findall(line)}
    missing = []
    for name, members in declared.items():
        if members and name not in pages:
            missing.append(f"{name}: no page of docs/ names it before its first ## heading")
            continue
        for member in members:
            if not any(member in headed[page] for page in pages.get(name, [])):
                missing.append(f"{name}.{member}: no heading names `{member}` on {', '.join(pages[name])}")
    for line in missing:
        print(line)
    count = sum(len(members) for members in declared.values())
    print(f"{count} members of {len(declared)} interfaces; {len(missing)} without a heading")
    sys.exit(1 if missing else 0)


if __name__ == "__main__":
    main()
