"""Writes every fenced `vbscript` and `javascript` block of the given Markdown pages into OUT as a
program of its own, named after its page and line, with the exit marker that tells a script
that ran to its end (cscript under Wine exits 0 when a script stops on an error).

    extract_examples.py OUT PAGE.md...

Prints one line per language with its count. A block that holds a character outside ASCII is
refused: the script host reads files in the machine's ANSI code page."""
import pathlib
import re
import sys

MARKERS = {"vbscript": ("vbs", "WScript.Quit 77"), "javascript": ("js", "WScript.Quit(77);")}
FENCE = re.compile(r"^```(\w*)\s*$")


def blocks(page):
    """(language, first line, text) of each fenced block of `page`."""
    fence = None
    for number, line in enumerate(page.read_text(encoding="utf-8").splitlines(), 1):
        if fence is None:
            match = FENCE.match(line)
            if match:
                fence = (match.group(1), number + 1, [])
        elif line.startswith("```"):
            yield fence[0], fence[1], "\n".join(fence[2]) + "\n"
            fence = None
        else:
            fence[2].append(line)
    if fence is not None:
        raise SystemExit(f"{page}:{fence[1] - 1}: a fence that is never closed")


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    counts = {language: 0 for language in MARKERS}
    for name in sys.argv[2:]:
        page = pathlib.Path(name)
        for language, line, text in blocks(page):
            if language not in MARKERS:
                continue
            if not text.isascii():
                raise SystemExit(f"{page}:{line}: an example holds a character outside ASCII")
            extension, marker = MARKERS[language]
            (out / f"{page.stem}-{line:04d}.{extension}").write_text(text + marker + "\n", encoding="ascii")
            counts[language] += 1
    for language, count in counts.items():
        print(f"{language}: {count}")


if __name__ == "__main__":
    main()
