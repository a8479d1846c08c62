#!/usr/bin/env python3
"""The docs against the code: every public call of graphics/zavok.h has a section in
docs/reference.md (a heading that names it) and is called by at least one example
(examples/*.c), as is every ANIMATE_ action; every picture and link in README.md and docs/*.md
leads to a file that exists, and every #anchor to a heading there; every PNG under docs/ is made
by a case of tests/pictures/cases.txt; every example has its script, its first comment and its
picture, and the gallery (docs/examples.md) shows each as it is (tests/pictures/gallery.py).

  docs_test.py [ROOT]     ROOT: the repository's top (by default the one holding this file)

Prints one line per fault and exits 1 if there was any."""

import glob
import os
import re
import sys
from urllib.parse import unquote

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pictures"))
import cases  # noqa: E402
import gallery  # noqa: E402
from gallery import c_code  # noqa: E402

CALL = re.compile(r"^\s*(?:ZAVOK_API\s+)?int\s+(ZAVOK_[a-z_]+)\s*\(", re.MULTILINE)
ACTION = re.compile(r"^\s*(ANIMATE_[A-Z]+)\s*=", re.MULTILINE)
FENCE = re.compile(r"^ {0,3}(```|~~~).*?^ {0,3}\1[^\n]*$", re.MULTILINE | re.DOTALL)
INLINE_CODE = re.compile(r"(`+)(?:(?!\1).)+?\1", re.DOTALL)
HEADING = re.compile(r"^ {0,3}#{1,6}[ \t]+(.*?)[ \t#]*$", re.MULTILINE)
# [text](target "title"), ![alt](target), [label]: target, and the HTML forms.
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*<?([^)\s>]+)>?(?:\s+[\"'(][^)]*)?\)")
REFERENCE_LINK = re.compile(r"^ {0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s|$)", re.MULTILINE)
HTML_LINK = re.compile(r"<(?:a|img)\b[^>]*?\b(?:href|src)\s*=\s*[\"']([^\"']+)[\"']", re.IGNORECASE)
EXTERNAL = re.compile(r"^[a-z][a-z0-9+.-]*:", re.IGNORECASE)


def read(path: str) -> str:
    with open(path, encoding="utf-8") as file:
        return file.read()


def without_code(markdown: str) -> str:
    """The text outside fenced blocks and code spans, where links and headings are."""
    return INLINE_CODE.sub("", FENCE.sub("", markdown))


def slug(heading: str) -> str:
    """The anchor the repository host gives a heading: lower case, code marks and punctuation
    dropped (but - and _), blanks made -."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link's text stays
    text = re.sub(r"<[^>]+>", "", text).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(markdown: str) -> set:
    found, seen = set(), {}
    for heading in HEADING.findall(FENCE.sub("", markdown)):
        base = slug(heading)
        count = seen.get(base, 0)
        seen[base] = count + 1
        found.add(base if count == 0 else "%s-%d" % (base, count))
    found.update(re.findall(r"<a\s+(?:name|id)\s*=\s*[\"']([^\"']+)[\"']", markdown, re.IGNORECASE))
    return found


def links(markdown: str) -> list:
    text = without_code(markdown)
    return INLINE_LINK.findall(text) + REFERENCE_LINK.findall(text) + HTML_LINK.findall(text)


def check_calls(root: str) -> list:
    faults = []
    header = read(os.path.join(root, "graphics", "zavok.h"))
    calls, actions = sorted(set(CALL.findall(header))), ACTION.findall(header)
    if not calls:
        return ["graphics/zavok.h declares no ZAVOK_ call that this test can see"]
    reference_path = os.path.join(root, "docs", "reference.md")
    headings = HEADING.findall(FENCE.sub("", read(reference_path))) if os.path.isfile(reference_path) else []
    if not headings:
        faults.append("docs/reference.md is missing or has no headings")
    examples = {os.path.basename(path): c_code(read(path)) for path in sorted(glob.glob(os.path.join(root, "examples", "*.c")))}
    for call in calls:
        if headings and not any(re.search(r"\b%s\b" % call, heading) for heading in headings):
            faults.append("docs/reference.md has no heading naming %s" % call)
        if not any(re.search(r"\b%s\s*\(" % call, code) for code in examples.values()):
            faults.append("no example in examples/ calls %s" % call)
    for action in actions:
        if not any(re.search(r"\b%s\b" % action, code) for code in examples.values()):
            faults.append("no example in examples/ uses %s" % action)
    return faults


def check_links(root: str) -> list:
    faults = []
    pages = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    for page in pages:
        if not os.path.isfile(page):
            faults.append("%s is missing" % os.path.relpath(page, root))
            continue
        markdown = read(page)
        for target in links(markdown):
            if EXTERNAL.match(target):
                continue
            path, _, anchor = unquote(target).partition("#")
            where = os.path.relpath(page, root)
            full = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
            if not os.path.exists(full):
                faults.append("%s: the link %s leads to no file" % (where, target))
            elif anchor and full.endswith(".md") and anchor.lower() not in anchors(read(full)):
                faults.append("%s: the link %s leads to no heading of %s" % (where, target, os.path.relpath(full, root)))
    return faults


def check_pictures() -> list:
    try:
        unmade = cases.unmade_pictures(cases.read_cases())
    except (cases.CaseError, OSError) as error:
        return [str(error)]
    return ["docs/%s is made by no case of tests/pictures/cases.txt" % path for path in unmade] + gallery.faults()


def main(arguments) -> int:
    root = os.path.abspath(arguments[0] if arguments else os.path.join(os.path.dirname(__file__), "..", ".."))
    faults = check_calls(root) + check_links(root) + check_pictures()
    for fault in faults:
        print("FAILED: " + fault)
    print("%d faults in the docs" % len(faults) if faults else "the docs name every call and every link leads somewhere")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
