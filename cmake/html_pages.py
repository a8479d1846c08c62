#!/usr/bin/python3
"""Turns Markdown pages into HTML pages that read offline, e.g. in a browser on Windows from an
unpacked zip: Debian's python3-markdown (tables, fenced code, heading anchors named as the
repository host names them), a small stylesheet inline, nothing fetched.

    html_pages.py OUTDIR TITLE PAGE.md...

Writes OUTDIR/NAME.html for each PAGE (titled "TITLE: its first heading") and copies every
picture a page shows to the same place relative to OUTDIR. A link to one of the PAGEs becomes a
link to its .html; a link to anything else relative that OUTDIR does not hold becomes plain
text, since the reader has nothing to follow it to. A picture that is missing, or not a file
beside the page, is an error (exit 1).

Each page starts with a line of links to the pages made (by their first headings), the start
page index.md, if one is among them, first; so every page leads to the start page.
"""

import html
import os
import re
import shutil
import sys
import urllib.parse

import markdown
from markdown.treeprocessors import Treeprocessor

STYLE = """
body { font: 16px/1.5 "Segoe UI", system-ui, sans-serif; color: #222; max-width: 64em; margin: 2em auto; padding: 0 1em; }
code, pre { font-family: Consolas, "DejaVu Sans Mono", monospace; font-size: 92%; background: #f3f3f3; }
pre { padding: .6em .8em; overflow-x: auto; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #ccc; padding: .25em .6em; vertical-align: top; text-align: left; }
img { max-width: 100%; }
nav { border-bottom: 1px solid #ccc; padding-bottom: .4em; }
"""


class Failure(Exception):
    pass


def heading_anchor(text, separator):
    """The anchor the repository host gives a heading: lower case, punctuation dropped, each
    space a hyphen."""
    return re.sub(r"[^\w\- ]", "", text.strip().lower()).replace(" ", separator)


class Links(Treeprocessor):
    """Points links and pictures of one page at what the output holds."""

    def __init__(self, md, source, outdir, pages):
        super().__init__(md)
        self.source, self.outdir, self.pages = source, outdir, pages

    def run(self, root):
        folder = os.path.dirname(self.source)
        for image in root.iter("img"):
            self.copy_picture(folder, image.get("src", ""))
        for link in root.iter("a"):
            parts = urllib.parse.urlsplit(link.get("href", ""))
            if parts.scheme or parts.netloc or not parts.path:
                continue
            path = urllib.parse.unquote(parts.path)
            target = os.path.normpath(os.path.join(folder, path))
            if target in self.pages:
                name = os.path.splitext(os.path.basename(target))[0] + ".html"
                link.set("href", urllib.parse.urlunsplit(("", "", name, "", parts.fragment)))
            elif not os.path.exists(os.path.join(self.outdir, path)):
                link.tag = "span"
                del link.attrib["href"]

    def copy_picture(self, folder, src):
        parts = urllib.parse.urlsplit(src)
        path = os.path.normpath(urllib.parse.unquote(parts.path))
        if parts.scheme or parts.netloc or os.path.isabs(path) or path.startswith(".."):
            raise Failure("%s: the picture %s is not a file beside the page" % (self.source, src))
        if not os.path.isfile(os.path.join(folder, path)):
            raise Failure("%s: the picture %s is missing" % (self.source, src))
        os.makedirs(os.path.dirname(os.path.join(self.outdir, path)), exist_ok=True)
        shutil.copyfile(os.path.join(folder, path), os.path.join(self.outdir, path))


def output_name(source):
    return os.path.splitext(os.path.basename(source))[0] + ".html"


def page_links(sources):
    """The line of links at the top of every page: [(output name, first heading)], start page first."""
    links = []
    for source in sources:
        with open(source, encoding="utf-8") as file:
            first = re.search(r"^#\s+(.+?)\s*$", file.read(), re.MULTILINE)
        links.append((output_name(source), first.group(1).replace("`", "") if first else output_name(source)))
    return sorted(links, key=lambda link: link[0] != "index.html")


def navigation(links, current):
    items = [html.escape(label) if name == current else '<a href="%s">%s</a>' % (name, html.escape(label))
             for name, label in links]
    return '<nav>%s</nav>\n' % " &middot; ".join(items) if len(links) > 1 else ""


def convert(source, outdir, title, pages, links=()):
    with open(source, encoding="utf-8") as file:
        text = file.read()
    md = markdown.Markdown(extensions=["tables", "fenced_code", "sane_lists", "toc"],
                           extension_configs={"toc": {"slugify": heading_anchor}})
    md.treeprocessors.register(Links(md, source, outdir, pages), "zavok_links", 0)
    body = md.convert(text)
    headings = md.toc_tokens
    page_title = "%s: %s" % (title, html.unescape(headings[0]["name"])) if headings else title
    name = output_name(source)
    with open(os.path.join(outdir, name), "w", encoding="utf-8") as file:
        file.write('<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>%s</title>\n'
                   '<style>%s</style>\n</head>\n<body>\n%s%s\n</body>\n</html>\n'
                   % (html.escape(page_title), STYLE, navigation(links, name), body))


def main(arguments):
    if len(arguments) < 3:
        print(__doc__.strip().splitlines()[3].strip(), file=sys.stderr)
        return 2
    outdir, title, sources = arguments[0], arguments[1], arguments[2:]
    os.makedirs(outdir, exist_ok=True)
    pages = {os.path.normpath(source) for source in sources}
    try:
        links = page_links(sources)
        for source in sources:
            convert(source, outdir, title, pages, links)
    except (Failure, OSError) as error:
        print("html_pages: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
