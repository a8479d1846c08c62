#!/usr/bin/env python3
"""Keeps docs/reference.md in step with the code it quotes.

  tests/docs/reference_samples.py          checks; exit status 1 and one line per drift when it differs
  tests/docs/reference_samples.py --write  rewrites the quoted samples and scripts from their files

What the reference quotes, each marked by an HTML comment before its code block:
  <!-- sample: NAME -->       the lines of docs/samples/NAME.c between "/* reference: begin */"
                              and "/* reference: end */", less their common indentation
  <!-- sample-file: NAME -->  the whole of docs/samples/NAME.c
  <!-- script: NAME -->       the whole of docs/samples/NAME.scr
Every sample with marked lines must be quoted. Besides, checked only: every message the package
prints (each ZAVOK_printf format in graphics/, less its final newline) is the first code span of a
row between "<!-- messages: begin -->" and "<!-- messages: end -->", and no other is there; and
every "int ZAVOK_...;" line in the reference's code blocks is a declaration of graphics/zavok.h,
each declaration shown at least once."""

import glob
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REFERENCE = os.path.join(ROOT, "docs", "reference.md")
SAMPLES = os.path.join(ROOT, "docs", "samples")
HEADER = os.path.join(ROOT, "graphics", "zavok.h")

QUOTE = re.compile(r"<!-- (sample|sample-file|script): ([A-Za-z0-9_]+) -->\n```[a-z]*\n(.*?)```\n", re.S)
BEGIN, END = "/* reference: begin */", "/* reference: end */"


def read(path: str) -> str:
    with open(path, encoding="utf-8") as file:
        return file.read()


def shown_lines(path: str):
    """The marked lines of a sample, dedented, as one text ending in a newline; None if unmarked."""
    lines = read(path).splitlines()
    marks = [i for i, line in enumerate(lines) if line.strip() in (BEGIN, END)]
    if not marks:
        return None
    if len(marks) != 2 or lines[marks[0]].strip() != BEGIN:
        raise SystemExit("%s: expected one %s and one %s" % (os.path.relpath(path, ROOT), BEGIN, END))
    body = lines[marks[0] + 1:marks[1]]
    indent = min(len(line) - len(line.lstrip()) for line in body if line.strip())
    return "".join(line[indent:] + "\n" for line in body)


def quoted_text(kind: str, name: str) -> str:
    if kind == "script":
        return read(os.path.join(SAMPLES, name + ".scr"))
    path = os.path.join(SAMPLES, name + ".c")
    return read(path) if kind == "sample-file" else shown_lines(path)


def package_messages() -> set:
    """Every ZAVOK_printf format of the package, as printed (C escapes read, final newline gone)."""
    messages = set()
    for path in glob.glob(os.path.join(ROOT, "graphics", "**", "*.cpp"), recursive=True):
        for literal in re.findall(r'ZAVOK_printf\(\s*"((?:[^"\\]|\\.)*)"', read(path)):
            text = literal.encode("ascii").decode("unicode_escape")
            messages.add(text[:-1] if text.endswith("\n") else text)
    return messages


def listed_messages(reference: str) -> set:
    part = re.search(r"<!-- messages: begin -->(.*?)<!-- messages: end -->", reference, re.S)
    if part is None:
        return set()
    return {m.group(1) for m in re.finditer(r"^\|\s*`([^`]+)`", part.group(1), re.M)}


def declarations(text: str) -> set:
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    text = re.sub(r"\s*ZAVOK_FORMAT\([^)]*\)", "", text)
    text = re.sub(r"^ZAVOK_API ", "", text, flags=re.M)
    return {" ".join(m.split()) for m in re.findall(r"^int ZAVOK_\w+\([^;]*\);", text, re.M)}


def problems(reference: str) -> list:
    found = []
    quoted = set()
    for match in QUOTE.finditer(reference):
        kind, name, block = match.groups()
        quoted.add(name)
        try:
            wanted = quoted_text(kind, name)
        except OSError:
            found.append("%s: quotes %s %s, which does not exist" % (REFERENCE, kind, name))
            continue
        if block != wanted:
            found.append("docs/reference.md: the %s %s differs from its file (tests/docs/reference_samples.py --write)"
                         % (kind, name))
    for path in sorted(glob.glob(os.path.join(SAMPLES, "*.c"))):
        name = os.path.splitext(os.path.basename(path))[0]
        if shown_lines(path) is not None and name not in quoted:
            found.append("docs/reference.md does not show the sample %s" % name)

    printed, listed = package_messages(), listed_messages(reference)
    found += ['docs/reference.md does not list the message "%s"' % text for text in sorted(printed - listed)]
    found += ['docs/reference.md lists "%s", which the package never prints' % text for text in sorted(listed - printed)]

    header = declarations(read(HEADER))
    blocks = "\n".join(re.findall(r"```c\n(.*?)```", reference, re.S))
    shown = declarations(blocks)
    found += ["docs/reference.md declares %s, unlike graphics/zavok.h" % line for line in sorted(shown - header)]
    found += ["docs/reference.md does not show %s" % line for line in sorted(header - shown)]
    return found


def write(reference: str) -> str:
    def replace(match):
        kind, name, _ = match.groups()
        return "<!-- %s: %s -->\n```%s\n%s```\n" % (kind, name, "" if kind == "script" else "c",
                                                    quoted_text(kind, name))
    return QUOTE.sub(replace, reference)


def main(arguments) -> int:
    reference = read(REFERENCE)
    if arguments == ["--write"]:
        with open(REFERENCE, "w", encoding="utf-8") as file:
            file.write(write(reference))
        reference = read(REFERENCE)
    elif arguments:
        print(__doc__)
        return 2
    found = problems(reference)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
