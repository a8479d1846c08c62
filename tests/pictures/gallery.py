#!/usr/bin/env python3
"""The gallery of docs/examples.md, made from the examples themselves: an example is its source
examples/NAME.c, its script examples/NAME.scr and its picture case (cases.txt). What the gallery
says of it is the source's first comment:

    /* NAME: what it does, in one line (the list at the top of the page).
     *
     * More about it, any number of paragraphs (its section below the list).
     *
     * Picture: what its picture shows (the picture's alternative text).
     */

The calls an example makes are read from its code. The page's list and sections lie between
marker comments; the rest of the page is written by hand.

  gallery.py write    writes the list and the sections into docs/examples.md
  gallery.py check    says what is missing or out of date (the docs test runs it)"""

import glob
import os
import re
import sys
import textwrap

import cases as listed
from cases import ROOT

EXAMPLES = os.path.join(ROOT, "examples")
PAGE = os.path.join(ROOT, "docs", "examples.md")
MADE_BY = "made by tests/pictures/gallery.py from each example's first comment: edit those"
MARKERS = {"list": ("<!-- The list of examples, %s. -->" % MADE_BY, "<!-- The end of the list. -->"),
           "sections": ("<!-- The examples, %s. -->" % MADE_BY, "<!-- The end of the examples. -->")}
# What builds, ships and shows the examples finds them in examples/: none of these names one.
FINDERS = ["examples/CMakeLists.txt", "cmake/dist.cmake", "cmake/html_pages.py"]
HEADER = re.compile(r"\A/\*(.*?)\*/", re.DOTALL)
THUMBNAIL_WIDTH = 160
LINE_WIDTH = 96


class ExampleError(Exception):
    pass


def c_code(source: str) -> str:
    """C source without its comments and string and character literals."""
    return re.sub(r"/\*.*?\*/|//[^\n]*|\"(?:\\.|[^\"\\\n])*\"|'(?:\\.|[^'\\\n])*'", " ", source, flags=re.DOTALL)


def first_appearances(pattern: str, code: str) -> list:
    found = []
    for name in re.findall(pattern, code):
        if name not in found:
            found.append(name)
    return found


class Example:
    def __init__(self, source: str, pictures: dict):
        self.name = os.path.splitext(os.path.basename(source))[0]
        with open(source, encoding="utf-8") as file:
            text = file.read()
        header = HEADER.match(text)
        if header is None:
            raise ExampleError("examples/%s.c does not open with a comment" % self.name)
        lines = [re.sub(r"^\s*\* ?", "", line).rstrip() for line in header.group(1).strip().splitlines()]
        paragraphs = [" ".join(part.split()) for part in "\n".join(lines).split("\n\n") if part.strip()]
        if not paragraphs or not paragraphs[0].startswith(self.name + ": ") \
                or len(paragraphs) < 2 or not paragraphs[-1].startswith("Picture: "):
            raise ExampleError("examples/%s.c's first comment is not \"%s: what it does\", more, and \"Picture: what "
                               "it shows\" (tests/pictures/gallery.py)" % (self.name, self.name))
        self.line = capitalised(paragraphs[0][len(self.name) + 2:])
        self.more = paragraphs[1:-1]
        self.alt = paragraphs[-1][len("Picture: "):].rstrip(".")
        code = c_code(text)
        self.calls = first_appearances(r"\b(ZAVOK_[a-z_]+)\s*\(", code)
        self.actions = first_appearances(r"\b(ANIMATE_[A-Z]+)\b", code)
        self.picture = pictures.get(self.name)
        self.has_script = os.path.isfile(os.path.join(EXAMPLES, self.name + ".scr"))

    def calls_text(self, common: list) -> str:
        named = []
        for call in self.calls:
            if call in common:
                continue
            if call == "ZAVOK_animate" and self.actions:
                call += "` (%s)" % ", ".join("`%s`" % action for action in self.actions)
                named.append("`" + call)
            else:
                named.append("`%s`" % call)
        return ", ".join(named)


def wrapped(text: str) -> str:
    return textwrap.fill(text, LINE_WIDTH, break_long_words=False, break_on_hyphens=False)


def capitalised(text: str) -> str:
    return text[:1].upper() + text[1:]


def read_examples() -> list:
    """Every example, in the order of their cases (those without one last)."""
    pictures = {}
    for case in listed.read_cases():
        if case.pictures and case.program not in pictures:
            pictures[case.program] = next(iter(case.pictures.values()))
    examples = [Example(source, pictures) for source in sorted(glob.glob(os.path.join(EXAMPLES, "*.c")))]
    order = list(pictures)
    return sorted(examples, key=lambda example: order.index(example.name) if example.name in order else len(order))


def common_calls(examples: list) -> list:
    return [call for call in examples[0].calls if all(call in example.calls for example in examples)] \
        if examples else []


def list_text(examples: list, common: list) -> str:
    rows = ["| | example | what it does |", "|---|---|---|"]
    for example in examples:
        thumbnail = '<a href="#%s"><img src="%s" width="%d" alt="%s"></a>' % (
            example.name, example.picture, THUMBNAIL_WIDTH, example.name) if example.picture else ""
        rows.append("| %s | [%s](#%s) | %s |" % (thumbnail, example.name, example.name, example.line))
    named = ["`%s`" % call for call in common]
    said = "Every example calls %s; each section below names the other calls it makes." % (
        " and ".join([", ".join(named[:-1]), named[-1]] if len(named) > 1 else named)) if common else ""
    return "\n".join(rows) + ("\n\n" + said if said else "")


def sections_text(examples: list, common: list) -> str:
    parts = []
    for example in examples:
        lines = ["## %s" % example.name, ""]
        if example.picture:
            lines += ["![%s: %s](%s)" % (example.name, example.alt, example.picture), ""]
        for paragraph in [example.line] + example.more:
            lines += [wrapped(paragraph), ""]
        calls = example.calls_text(common)
        if calls:
            lines.append(wrapped("Calls: %s." % calls))
        lines.append("Source: [`examples/%s.c`](../examples/%s.c)." % (example.name, example.name))
        parts.append("\n".join(lines))
    return "\n\n".join(parts)


def regions(page: str) -> dict:
    """Where each marked part of the page lies: name -> (start, end) of the text between its markers."""
    found = {}
    for name, (begin, end) in MARKERS.items():
        start, stop = page.find(begin), page.find(end)
        if start < 0 or stop < start:
            raise ExampleError("docs/examples.md lacks the markers %s and %s" % (begin, end))
        found[name] = (start + len(begin), stop)
    return found


def made_page(page: str, examples: list) -> str:
    common = common_calls(examples)
    texts = {"list": list_text(examples, common), "sections": sections_text(examples, common)}
    for name, (start, stop) in sorted(regions(page).items(), key=lambda item: -item[1][0]):
        page = page[:start] + "\n" + texts[name] + "\n" + page[stop:]
    return page


def faults() -> list:
    """What keeps the gallery from showing every example as it is."""
    try:
        examples = read_examples()
        with open(PAGE, encoding="utf-8") as file:
            page = file.read()
        made = made_page(page, examples)
    except (ExampleError, listed.CaseError, OSError) as error:
        return [str(error)]
    found = ["examples/%s.c has no script examples/%s.scr" % (e.name, e.name) for e in examples if not e.has_script]
    found += ["examples/%s.c has no picture: no case of tests/pictures/cases.txt replays %s" % (e.name, e.name)
              for e in examples if not e.picture]
    for finder in FINDERS:
        with open(os.path.join(ROOT, finder), encoding="utf-8") as file:
            text = file.read()
        found += ["%s names the example %s: it is to find the examples in examples/ itself" % (finder, e.name)
                  for e in examples if re.search(r"\b%s\b" % re.escape(e.name), text)]
    if made != page:
        found.append("docs/examples.md does not show the examples as they are: run tools/remake-pictures "
                     "(or tests/pictures/gallery.py write)")
    return found


def main(arguments) -> int:
    if arguments == ["write"]:
        with open(PAGE, encoding="utf-8") as file:
            page = file.read()
        made = made_page(page, read_examples())
        if made != page:
            with open(PAGE, "w", encoding="utf-8") as file:
                file.write(made)
            print("docs/examples.md: the examples written anew")
        return 0
    if arguments == ["check"]:
        found = faults()
        for fault in found:
            print("FAILED: " + fault)
        return 1 if found else 0
    print(__doc__.split("\n\n")[-1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (ExampleError, listed.CaseError, OSError) as error:
        print("gallery: %s" % error, file=sys.stderr)
        sys.exit(2)
