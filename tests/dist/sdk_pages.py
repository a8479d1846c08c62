"""The SDK's HTML pages as a reader opens them, offline: headless Chromium loads every page of
the unpacked SDK's docs/ (each in a frame of one harness page, whose script reports what the
browser made of it); check_pages() reports, for each page:
- every picture loaded, at the size its PNG file has (a broken one has no size);
- the text: every heading of the page's Markdown source is in the page's text, and outside code
  blocks no Markdown markup shows (a code fence, a link or a table row left as typed);
- every relative link leads to a file of the SDK, and its #anchor to a heading of that page;
- every page but the start page index.html links to it;
and that the cheatsheet names every call of the SDK's zavok.h, each linked to its section of the
reference. The browser's wait is bounded.
"""

import html.parser
import json
import os
import re
import struct
import subprocess
import sys
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "cmake"))
import cheatsheet  # noqa: E402

BROWSER_SECONDS = 90
CALL = re.compile(r"^\s*(?:ZAVOK_API\s+)?int\s+(ZAVOK_[a-z_]+)\s*\(", re.MULTILINE)
LEFT_MARKUP = re.compile(r"```|\]\(|\|\s*:?-{3,}")


class Page(html.parser.HTMLParser):
    """The links and element ids of one page."""
    def __init__(self, path):
        super().__init__()
        self.links, self.ids, self.pictures = [], set(), 0
        with open(path, encoding="utf-8") as file:
            self.feed(file.read())

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        if "id" in attributes:
            self.ids.add(attributes["id"])
        if tag == "a" and attributes.get("href"):
            self.links.append(attributes["href"])
        self.pictures += tag == "img"


def png_size(path):
    """Width and height from a PNG file's header; None for a missing file or another kind."""
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as file:
        header = file.read(24)
    return struct.unpack(">II", header[16:24]) if header[:8] == b"\x89PNG\r\n\x1a\n" else None


def markdown_headings(path):
    """Each heading's text as a reader sees it: code marks, emphasis and link targets dropped."""
    with open(path, encoding="utf-8") as file:
        text = re.sub(r"^```.*?^```", "", file.read(), flags=re.MULTILINE | re.DOTALL)
    headings = re.findall(r"^#{1,6}\s+(.+?)\s*#*\s*$", text, re.MULTILINE)
    return [re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading).replace("`", "").replace("**", "")
            for heading in headings]


def browse(pages, work):
    """What Chromium shows of each page: its pictures (src, natural width and height) and text.
    The harness page and the browser's profile are made in `work`."""
    harness = os.path.join(work, "harness.html")
    frames = "".join('<iframe src="%s" width="1100" height="900"></iframe>\n' % urllib.parse.quote(os.path.abspath(page))
                     for page in pages)
    with open(harness, "w", encoding="utf-8") as file:
        file.write("""<!DOCTYPE html><html><body><pre id="result"></pre>
%s<script>
function prose(page) {  // the text but for code blocks, which may show anything
  var copy = page.body.cloneNode(true);
  copy.querySelectorAll("pre").forEach(function (block) { block.remove(); });
  return copy.textContent;
}
window.addEventListener("load", function () {
  var seen = Array.prototype.map.call(document.querySelectorAll("iframe"), function (frame) {
    var page = frame.contentDocument;
    return {images: Array.prototype.map.call(page.images, function (image) {
              return [image.getAttribute("src"), image.complete ? image.naturalWidth : 0, image.naturalHeight]; }),
            text: page.body.innerText, prose: prose(page)};
  });
  document.getElementById("result").textContent = JSON.stringify(seen);
});
</script></body></html>
""" % frames)
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--allow-file-access-from-files", "--user-data-dir=" + os.path.join(work, "profile"),
               "--dump-dom", "file://" + harness]
    # The machine's own fonts: the private font setup of the Wine runs has none for the browser,
    # which would then lay out no text at all.
    environment = {name: value for name, value in os.environ.items() if name != "FONTCONFIG_FILE"}
    dom = subprocess.run(command, capture_output=True, timeout=BROWSER_SECONDS, env=environment).stdout.decode("utf-8")
    found = re.search(r'<pre id="result">(.*?)</pre>', dom, re.DOTALL)
    return json.loads(html.unescape(found.group(1))) if found and found.group(1) else None


def markdown_source(name, markdown_folder, version, work):
    """The Markdown a page was made from: docs/NAME.md, the start page's text with the version
    filled in, or the cheatsheet made anew from the header and the reference."""
    stem = os.path.splitext(name)[0]
    made = os.path.join(work, stem + ".md")
    if os.path.isfile(os.path.join(markdown_folder, stem + ".md")):
        return os.path.join(markdown_folder, stem + ".md")
    if stem == "index":
        with open(os.path.join(markdown_folder, "dist", "sdk-index.md.in"), encoding="utf-8") as file:
            text = file.read().replace("@VERSION@", version)
    elif stem == "cheatsheet":
        with open(os.path.join(os.path.dirname(markdown_folder), "graphics", "zavok.h"), encoding="utf-8") as header, \
                open(os.path.join(markdown_folder, "reference.md"), encoding="utf-8") as reference:
            text = cheatsheet.page(header.read(), reference.read())
    else:
        return None
    with open(made, "w", encoding="utf-8") as file:
        file.write(text)
    return made


def cheatsheet_faults(docs):
    """What the cheatsheet misses of the SDK's header: a call it does not name in a link to the
    call's section of the reference."""
    with open(os.path.join(os.path.dirname(docs), "include", "zavok.h"), encoding="utf-8") as file:
        calls = set(CALL.findall(file.read()))
    page = os.path.join(docs, "cheatsheet.html")
    linked = {link.partition("#")[2] for link in Page(page).links if link.startswith("reference.html#")} \
        if os.path.isfile(page) else set()
    return sorted(call for call in calls if call.lower() not in linked) if calls else ["no call in zavok.h"]


def check_pages(docs, markdown_folder, work, check):
    """Reports each finding through check(description, passed)."""
    pages = sorted(os.path.join(docs, name) for name in os.listdir(docs) if name.endswith(".html")) \
        if os.path.isdir(docs) else []
    check("the SDK has pages in %s" % docs, bool(pages))
    seen = browse(pages, work) if pages else []
    check("Chromium opened every page", seen is not None and len(seen) == len(pages))
    for page, shown in zip(pages, seen or []):
        name = os.path.basename(page)
        images = [(src, (width, height), png_size(os.path.join(docs, urllib.parse.unquote(src))))
                  for src, width, height in shown["images"]]
        broken = [src for src, shown_size, size in images if size is None or shown_size != size]
        check("%s: all %d pictures show, each at its own size%s"
              % (name, len(images), "; broken: %s" % broken if broken else ""),
              len(images) == Page(page).pictures and not broken)

        version = os.path.basename(os.path.dirname(docs)).split("-")[2]  # ZAVOK-SDK-VERSION-win64
        source = markdown_source(name, markdown_folder, version, work)
        headings = markdown_headings(source) if source else []
        missing = [heading for heading in headings if heading not in shown["text"]]
        markup = LEFT_MARKUP.findall(shown["prose"])
        check("%s: the text of its %d headings, no markup left%s"
              % (name, len(headings), "; missing %s, markup %s" % (missing, markup) if missing or markup else ""),
              bool(headings) and not missing and not markup)

        dead = []
        for link in Page(page).links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc:
                continue
            target = os.path.normpath(os.path.join(docs, urllib.parse.unquote(parts.path))) if parts.path else page
            if not os.path.exists(target) or parts.fragment and (
                    not target.endswith(".html") or parts.fragment not in Page(target).ids):
                dead.append(link)
        check("%s: every link leads somewhere%s" % (name, "; dead: %s" % dead if dead else ""), not dead)
        if name != "index.html":
            check("%s: links to the start page" % name, "index.html" in Page(page).links)
    missing = cheatsheet_faults(docs)
    check("the cheatsheet names every call of zavok.h, linked to its section%s"
          % ("; missing: %s" % missing if missing else ""), not missing)
