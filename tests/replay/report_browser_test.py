#!/usr/bin/python3
"""The replay report in a real browser: headless Chromium opens the page, takes a screenshot and
dumps the page's DOM; the images must be on screen where they belong and the text must name the
differing frames.

    report_browser_test.py KARTELLO.exe

1. Synthetic frames with a deliberate difference: the reference, the frame and the difference
   image are found, pixel for pixel, side by side in the open row, the changed block in strong
   colour at its place in the difference; the matching row is folded (its frame not on screen).
2. A real replay: tools/zavok-replay runs Kartello through a short script at two calendar times
   (the heart's size follows the time), the second time with --expect (the first run's frames)
   and --report. It goes on past the first difference and exits 1; the page names exactly the
   frames that ImageMagick finds different, with its counts, and on the screenshot the
   difference image's highlighted pixels are exactly where the reference and the frame shown
   beside it differ.
Runs in the current folder, in a world of its own (tools/isolated); every wait is bounded.
"""

import html
import html.parser
import os
import re
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.join(here, "..", "..")
sys.path.insert(0, os.path.join(root, "replay"))
from zavokreplay import frames as imagediff  # noqa: E402
from zavokreplay import png, report  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, exit_status  # noqa: E402

BROWSER_SECONDS = 90


def chromium(page, *arguments, width=1000, height=800):
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--hide-scrollbars", "--force-device-scale-factor=1", "--user-data-dir=" + os.path.abspath("profile"),
               "--window-size=%d,%d" % (width, height), *arguments, "file://" + os.path.abspath(page)]
    return subprocess.run(command, capture_output=True, timeout=BROWSER_SECONDS)


def screenshot(page, name, width, height):
    if os.path.exists(name):
        os.remove(name)
    chromium(page, "--screenshot=" + os.path.abspath(name), width=width, height=height)
    return png.read(name)


class Texts(html.parser.HTMLParser):
    """The text of the summary's "differing" cell and each row's verdict, from a dumped DOM."""
    def __init__(self):
        super().__init__()
        self.differing, self.verdicts, self.where = "", {}, None
        self.row = None

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        if tag == "details":
            self.row = attributes.get("id", "")[1:]
        if "differing" in (attributes.get("class") or "").split():
            self.where = "differing"
        elif attributes.get("class") == "verdict":
            self.where = "verdict"

    def handle_endtag(self, tag):
        if tag in ("td", "span"):
            self.where = None

    def handle_data(self, data):
        if self.where == "differing":
            self.differing += data
        elif self.where == "verdict":
            self.verdicts[self.row] = self.verdicts.get(self.row, "") + data


def page_texts(page):
    texts = Texts()
    texts.feed(chromium(page, "--dump-dom").stdout.decode("utf-8"))
    return texts


def locate(shot, image):
    """(x, y) of the image's exact pixels in the screenshot, or None."""
    stride, row_bytes = shot.width * 3, image.width * 3
    rows = [image.rgb[y * row_bytes:(y + 1) * row_bytes] for y in range(image.height)]
    key = max(range(image.height), key=lambda y: len(set(rows[y][i:i + 3] for i in range(0, row_bytes, 3))))
    at = shot.rgb.find(rows[key])
    while at >= 0:
        x, y = at % stride // 3, at // stride - key
        if at % stride % 3 == 0 and x + image.width <= shot.width and 0 <= y and y + image.height <= shot.height and all(
                shot.rgb[(y + r) * stride + x * 3:(y + r) * stride + x * 3 + row_bytes] == rows[r]
                for r in range(image.height)):
            return x, y
        at = shot.rgb.find(rows[key], at + 1)
    return None


def crop(shot, x, y, width, height):
    stride = shot.width * 3
    return png.Image(width, height, b"".join(shot.rgb[(y + r) * stride + x * 3:(y + r) * stride + (x + width) * 3]
                                             for r in range(height)))


def flat(width, height, colour):
    return png.Image(width, height, bytes(colour) * (width * height))


def with_block(image, left, top, width, height, colour):
    pixels = bytearray(image.rgb)
    for y in range(top, top + height):
        for x in range(left, left + width):
            pixels[(y * image.width + x) * 3:(y * image.width + x) * 3 + 3] = bytes(colour)
    return png.Image(image.width, image.height, bytes(pixels))


def test_synthetic():
    base = flat(160, 120, (0, 128, 255))
    reference = with_block(base, 100, 10, 30, 20, (20, 20, 20))  # so reference and frame are told apart
    frame = with_block(with_block(base, 100, 10, 30, 20, (20, 20, 20)), 40, 60, 25, 15, (255, 200, 0))
    first = flat(160, 120, (0, 160, 0))
    page = report.Report("synthetic/report.html", "demo.exe", "demo.scr", "2026-01-01 12:00:00 UTC")
    page.add_event(0, None, first, first, text=["first line"])
    page.add_event(1, "ZAVOK_MOUSE(10, -5);", frame, reference, text=["a notice", "a log line"])
    page.finish("replayed 1 event")
    shot = screenshot("synthetic/report.html", "synthetic.png", 1000, 800)
    places = [locate(shot, image) for image in (reference, frame)]
    difference = imagediff.difference(frame, reference).image
    places.append(locate(shot, difference))
    check(all(places) and places[0][1] == places[1][1] == places[2][1] and places[0][0] < places[1][0] < places[2][0],
          "reference, frame and difference side by side, pixel for pixel: %s" % places)
    if places[2]:
        shown = crop(shot, places[2][0], places[2][1], 160, 120)
        magenta = [i // 3 for i in range(0, len(shown.rgb), 3) if shown.rgb[i:i + 3] == bytes(imagediff.HIGHLIGHT)]
        check(len(magenta) == 25 * 15 and min(magenta) == 60 * 160 + 40 and max(magenta) == 74 * 160 + 64,
              "the changed block is highlighted at its place in the difference image")
    check(locate(shot, first) is None, "the matching row is folded: its frame is not on screen")
    texts = page_texts("synthetic/report.html")
    check(texts.differing.strip() == "frame 0001 (375 pixels)" and texts.verdicts.get("0000") == "matches"
          and texts.verdicts.get("0001") == "differs: 375 pixels", "the page names the differing frame: %r, %r"
          % (texts.differing, texts.verdicts))


def magick_differs(a, b):
    result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True, timeout=60)
    return int(float(result.stderr.split()[0]))


def test_real_replay(kartello):
    # A heart, a tick, a greeting, then "Add shape" and a second heart.
    lines = ["ZAVOK_MOUSE(0, 20);", "ZAVOK_PERIODIC(1);", "ZAVOK_MOUSE(-250, 93);", "ZAVOK_MOUSE(-100, -100);",
             "ZAVOK_MOUSE(-250, 126);", "ZAVOK_MOUSE(100, 50);"]
    with open("script.scr", "w", newline="\n") as file:
        file.write("".join(line + "\n" for line in lines))
    replay = os.path.join(root, "tools", "zavok-replay")
    result = subprocess.run([replay, kartello, "script.scr", "reference", "--time", "2026-01-01 12:00:03"],
                            capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        check(False, "the reference replay: %s" % result.stderr.strip().splitlines()[-1:])
        return
    result = subprocess.run([replay, kartello, "script.scr", "frames", "--time", "2026-01-01 12:00:04",
                             "--expect", "reference", "--report", "real/report.html"],
                            capture_output=True, text=True, timeout=300)
    last = (result.stderr.strip().splitlines() or [""])[-1]
    counts = {i: magick_differs("frames/%04d.png" % i, "reference/%04d.png" % i) for i in range(len(lines) + 1)}
    differing = [i for i, n in counts.items() if n]
    check(counts[0] == 0 and len(differing) >= 2, "ImageMagick: frames %s differ, the empty card matches" % differing)
    check(result.returncode == 1 and last.startswith("zavok-replay: differs: %d of %d frames differ from the reference; "
                                                     "the first is frame %04d" % (len(differing), len(counts), differing[0]))
          and os.path.isfile("frames/%04d.png" % len(lines)),
          "the replay went on to its last frame past the first difference and exits 1: %s" % last)
    with open("real/report.html", encoding="utf-8") as file:
        shown_lines = [html.unescape(line) for line in re.findall(r"<code>(.*?)</code>", file.read())]
    check(shown_lines == ["(before the first event)"] + lines, "each row shows the script line of its event")
    texts = page_texts("real/report.html")
    named = ", ".join("frame %04d (%d pixels)" % (i, counts[i]) for i in differing)
    check(texts.differing.strip() == named and all(texts.verdicts.get("%04d" % i) == (
        "differs: %d pixels" % counts[i] if counts[i] else "matches") for i in counts),
          "the page names exactly those frames, with ImageMagick's counts: %s" % texts.differing.strip())

    first = differing[0]
    shot = screenshot("real/report.html", "real.png", 1900, 1000)
    reference, frame = png.read("reference/%04d.png" % first), png.read("frames/%04d.png" % first)
    places = [locate(shot, reference), locate(shot, frame)]
    check(all(places) and places[0][1] == places[1][1] and places[0][0] < places[1][0],
          "reference and frame %04d side by side on the screenshot: %s" % (first, places))
    if all(places):
        # The difference image is the next one to the right on the same row: the first pixel
        # column after the frame's border and gap that holds the highlight colour's row of pixels.
        width, height = frame.width, frame.height
        left = places[1][0] + width + 1
        shown_reference, shown_frame = (crop(shot, x, y, width, height) for x, y in places)
        mask = imagediff.changed_mask(shown_reference.rgb, shown_frame.rgb)
        changed = {i for i, v in enumerate(mask) if v}
        found = None
        for x in range(left, min(shot.width - width, left + 40)):
            candidate = crop(shot, x, places[1][1], width, height)
            magenta = {i // 3 for i in range(0, len(candidate.rgb), 3)
                       if candidate.rgb[i:i + 3] == bytes(imagediff.HIGHLIGHT)}
            if magenta == changed:
                found = x
                break
        check(found is not None and len(changed) == counts[first],
              "the difference image beside them highlights exactly the %d pixels where they differ on screen"
              % len(changed))


def main():
    os.makedirs("synthetic", exist_ok=True)
    test_synthetic()
    test_real_replay(os.path.abspath(sys.argv[1]))
    return exit_status()


if __name__ == "__main__":
    sys.exit(main())
