"""docs/errors.md and the raise sites of the control stay in step: every fixed text that a raise
site in the given source folders puts into an error's message appears in errors.md.

A raise site is a call of one of the raising helpers below, or an adapter's text for an object
that is gone; its fixed texts are the string literals among its arguments, each checked on its
own (the parts between them are numbers and names filled in at run time).

    check_errors.py ERRORS.md SOURCE_FOLDER...
"""
import pathlib
import re
import sys

RAISERS = re.compile(r"\b(RaiseSystemError|RaiseClassError|EOleSysError|Refuse|RequireSystemText|RequireAtMost|"
                     r"RaiseLastSystemErrorOr)\s*\(|\bkWrappedGoneMessage\s*=")
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
# Raised and caught inside the library (a damaged message table is a module without the message):
# no caller ever sees these.
INTERNAL = {"unreadable"}
INTERNAL_FILES = {"MessageTable.cpp"}


def call_text(source, start):
    """The source from `start` to the end of the call or statement that begins there."""
    depth, i, quoted = 0, start, False
    while i < len(source):
        c = source[i]
        if quoted:
            if c == "\\":
                i += 1
            elif c == '"':
                quoted = False
        elif c == '"':
            quoted = True
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                return source[start:i + 1]
        elif c == ";" and depth == 0:
            return source[start:i]
        i += 1
    return source[start:]


def fixed_texts(folders):
    """{text: first place} of the fixed texts of every raise site under `folders`."""
    texts = {}
    for folder in folders:
        for path in sorted(pathlib.Path(folder).glob("*.[ch]*")):
            if path.name in INTERNAL_FILES:
                continue
            source = path.read_text(encoding="utf-8")
            for match in RAISERS.finditer(source):
                line = source.count("\n", 0, match.start()) + 1
                for literal in LITERAL.findall(call_text(source, match.start())):
                    text = literal.replace('\\"', '"').strip(" .:;,()")
                    if len(text) >= 4 and text not in INTERNAL:
                        texts.setdefault(text, f"{path}:{line}")
    return texts


def main():
    # Markdown wraps its lines anywhere: blanks and line breaks count alike.
    errors = " ".join(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8").split())
    texts = fixed_texts(sys.argv[2:])
    missing = {text: place for text, place in texts.items() if text not in errors}
    for text, place in missing.items():
        print(f'{place}: "{text}" is not in {sys.argv[1]}')
    print(f"{len(texts)} fixed texts of raise sites; {len(missing)} not in errors.md")
    sys.exit(1 if missing else 0)


if __name__ == "__main__":
    main()
