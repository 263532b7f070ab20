"""The reference in docs/ as HTML pages for the release, converted by Debian's python3-markdown:
each page.md becomes page.html, its links to other pages following.

    docs_html.py DOCS_FOLDER OUT_FOLDER
"""
import html
import pathlib
import re
import sys

import markdown

PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>{title}</title>
<style>
body {{ font-family: Segoe UI, Arial, sans-serif; max-width: 58em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }}
code, pre {{ font-family: Consolas, monospace; }}
pre {{ background: #f4f4f4; padding: .6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }} th, td {{ border: 1px solid #ccc; padding: .25em .5em; vertical-align: top; }}
</style></head>
<body>
{body}
</body></html>
"""


def main():
    source, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    for page in sorted(source.glob("*.md")):
        text = page.read_text(encoding="utf-8")
        # Links between pages point at the HTML pages.
        text = re.sub(r"\]\(([\w-]+)\.md(#[\w-]*)?\)", lambda m: f"]({m.group(1)}.html{m.group(2) or ''})", text)
        body = markdown.markdown(text, extensions=["tables", "fenced_code"], output_format="html")
        title = re.search(r"^# (.+)$", text, re.M)
        title = html.escape(title.group(1).replace("`", "")) if title else page.stem
        (out / f"{page.stem}.html").write_text(PAGE.format(title=title, body=body), encoding="utf-8", newline="\r\n")


if __name__ == "__main__":
    main()
