#!/usr/bin/python3
"""Writes the SDK's cheatsheet, every public call on one Markdown page, from the two places that
already say it: the header (each call's declaration and the one comment above it) and the
reference (its groups of calls and each call's section, which the cheatsheet links to).

    cheatsheet.py HEADER REFERENCE.md OUT.md

A call of the header that the reference gives no section, or a section that names no call of
the header, is an error (exit 1): the page would otherwise leave a call out or link nowhere.
"""

import re
import sys

# One comment, then the declaration it describes: "/* text */ [ZAVOK_API] int ZAVOK_name(...)".
DECLARATION = re.compile(r"/\*((?:(?!\*/).)*)\*/\s*(?:ZAVOK_API\s+)?(int\s+(ZAVOK_[a-z_]+)\s*\([^;]*?\))"
                         r"(?:\s*ZAVOK_FORMAT\([^)]*\))?\s*;", re.S)
# What the header's enums say of each constant: "NAME = VALUE, /* meaning */".
CONSTANT = re.compile(r"^\s*((?:ZAVOK|ANIMATE)_[A-Z]+)\s*=\s*(\d+),?\s*/\*\s*(.*?)\s*\*/", re.M)
CALLS_PART = re.compile(r"^# Calls\s*$(.*?)(?=^# |\Z)", re.M | re.S)
HEADING = re.compile(r"^(##|###)\s+(.+?)\s*$", re.M)


class Failure(Exception):
    pass


def anchor(heading):
    """The anchor the pages give a heading: lower case, punctuation dropped, each space a hyphen."""
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


def header_calls(header):
    """{name: (declaration, what it does)}, as the header has them."""
    calls = {}
    for comment, declaration, name in DECLARATION.findall(header):
        calls[name] = (" ".join(declaration.split()) + ";", " ".join(comment.split()))
    return calls


def reference_groups(reference):
    """[(group, [call names])] in the reference's order, from the headings of its part "Calls"."""
    part = CALLS_PART.search(re.sub(r"^```.*?^```", "", reference, flags=re.M | re.S))
    if part is None:
        raise Failure("the reference has no part '# Calls'")
    groups = []
    for level, text in HEADING.findall(part.group(1)):
        if level == "##":
            groups.append((text, []))
        elif groups:
            groups[-1][1].append(text.strip("` "))
    return groups


def cell(text):
    return text.replace("|", "\\|")


def page(header, reference):
    calls, groups = header_calls(header), reference_groups(reference)
    listed = [name for _, names in groups for name in names]
    missing = sorted(set(calls) - set(listed))
    unknown = sorted(set(listed) - set(calls))
    if missing or unknown:
        raise Failure("calls without a section in the reference: %s; sections of no call in the header: %s"
                      % (", ".join(missing) or "none", ", ".join(unknown) or "none"))
    lines = ["# Every call on one page", "",
             "Each call of `zavok.h`, as the header declares it, with what it does in one line; a call's",
             "declaration leads to its section in [the reference](reference.html), which says the rest",
             "and shows it drawing. Colours are `COLOR_BLACK` (0) to `COLOR_GRAY_20` (23), listed in",
             "[the palette](reference.html#colours-and-the-palette).", ""]
    for group, names in groups:
        lines += ["## " + group, "", "| declaration | what it does |", "|---|---|"]
        for name in names:
            declaration, summary = calls[name]
            lines.append("| [`%s`](reference.html#%s) | %s |" % (declaration, anchor(name), cell(summary)))
        lines.append("")
    lines += ["## Event kinds and animation actions", "",
              "| constant | value | meaning |", "|---|---|---|"]
    for name, value, meaning in CONSTANT.findall(header):
        lines.append("| `%s` | %s | %s |" % (name, value, cell(meaning)))
    lines.append("")
    return "\n".join(lines)


def main(arguments):
    if len(arguments) != 3:
        print("usage: cheatsheet.py HEADER REFERENCE.md OUT.md", file=sys.stderr)
        return 2
    try:
        with open(arguments[0], encoding="utf-8") as file:
            header = file.read()
        with open(arguments[1], encoding="utf-8") as file:
            reference = file.read()
        text = page(header, reference)
        with open(arguments[2], "w", encoding="utf-8") as file:
            file.write(text)
    except (Failure, OSError) as error:
        print("cheatsheet: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
