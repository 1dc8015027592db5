#!/usr/bin/env python3
"""Writes each README code block marked `<!-- snippet: PATH -->` (the line
just before its fence) to OUT/PATH, exactly as the README shows it.
Usage: readme_snippets.py README.md OUT"""

import pathlib
import re
import sys

BLOCK = re.compile(r"^<!-- snippet: (\S+) -->\n```[^\n]*\n(.*?)^```$", re.M | re.S)


def main(readme, out):
    found = BLOCK.findall(pathlib.Path(readme).read_text("utf-8"))
    if not found:
        sys.exit(f"{readme} marks no snippet")
    for path, text in found:
        target = pathlib.Path(out) / path
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(text, "utf-8")
        print(target)


if __name__ == "__main__":
    main(*sys.argv[1:])
