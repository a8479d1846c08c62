#!/usr/bin/python3
"""Tests of the replay tool's picture and report pieces (replay/zavokreplay), no Wine and
no browser needed:

- PNG reading against ImageMagick over generated images of every colour type and bit depth
  it writes (and the filters it chooses), alpha dropped, and PNG writing read back by it;
- frame differences against a per-pixel reference computation and ImageMagick's count;
- the report page from a manifest: rows, folding, the differing list, inlined images that
  decode to the inputs, the assets folder, the exit status;
- the progress bar on a terminal (a pseudo-terminal) and the plain lines through a pipe.
Runs in the current folder.
"""

import base64
import json
import os
import pty
import random
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "replay"))
from zavokreplay import frames as imagediff  # noqa: E402
from zavokreplay import png, progress, report  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, exit_status  # noqa: E402



def random_image(rng, width, height, colours, alpha=False, grey=False):
    """Flat areas and noise from a small or large set of colours, so encoders pick every filter."""
    palette = []
    for _ in range(colours):
        v = [rng.randrange(256) for _ in range(3)]
        if grey:
            v = [v[0]] * 3
        palette.append(bytes(v + [rng.randrange(256) if alpha else 255]))
    pixels = bytearray()
    current = palette[0]
    for _ in range(width * height):
        if rng.random() < 0.3:
            current = rng.choice(palette)
        pixels += current
    return Rgba(width, height, bytes(pixels))


class Rgba:
    """A picture with alpha, as ImageMagick is given it; .image is what png reads it as."""
    def __init__(self, width, height, rgba):
        self.width, self.height, self.rgba = width, height, rgba

    @property
    def image(self):
        return png.Image(self.width, self.height, _rgb_of(self.rgba))


def magick_pixels(path):
    """The colour channels ImageMagick reads from a file, alpha left out as the tool leaves it."""
    rgba = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True, check=True,
                          timeout=30).stdout
    return _rgb_of(rgba)


def _rgb_of(rgba):
    rgb = bytearray(len(rgba) // 4 * 3)
    for c in range(3):
        rgb[c::3] = rgba[c::4]
    return bytes(rgb)


def test_png(rng):
    formats = [  # (ImageMagick output and options, colours, alpha, grey)
        (["PNG8:"], 20, False, False), (["PNG24:"], 5000, False, False), (["PNG32:"], 5000, True, False),
        (["PNG48:"], 300, False, False), (["PNG64:"], 300, True, False),
        (["-define", "png:color-type=0", "-define", "png:bit-depth=8", "PNG:"], 200, False, True),
        (["-define", "png:color-type=0", "-define", "png:bit-depth=1", "PNG:"], 2, False, True),
        (["-define", "png:color-type=4", "PNG:"], 100, True, True),
        (["-define", "png:color-type=3", "-define", "png:bit-depth=4", "PNG:"], 12, False, False),
        (["-define", "png:color-type=3", "-define", "png:bit-depth=2", "PNG:"], 4, False, False),
    ]
    wrong = []
    cases = 0
    kinds = set()  # (bit depth, colour type) of the files made
    for options, colours, alpha, grey in formats:
        for _ in range(6):
            width, height = rng.randrange(1, 41), rng.randrange(1, 31)
            image = random_image(rng, width, height, colours, alpha, grey)
            if options[-1] == "PNG:" and "bit-depth=1" in options[-2]:
                image = Rgba(width, height, bytes(b if i % 4 == 3 else (255 if b > 127 else 0)
                                                  for i, b in enumerate(image.rgba)))
            with open("in.rgba", "wb") as file:
                file.write(image.rgba)
            subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8", "rgba:in.rgba",
                            *options[:-1], options[-1] + "case.png"], check=True, timeout=30,
                           stderr=subprocess.DEVNULL)  # where a define cannot be met it writes another kind
            cases += 1
            with open("case.png", "rb") as file:
                kinds.add(tuple(file.read()[24:26]))
            decoded = png.read("case.png")
            if (decoded.width, decoded.height) != (width, height) or decoded.rgb != magick_pixels("case.png"):
                wrong.append(" ".join(options))
            # What is written is read back, pixel for pixel, by ImageMagick and by png itself.
            png.write("mine.png", *image.image)
            if magick_pixels("mine.png") != image.image.rgb or png.read("mine.png") != image.image:
                wrong.append("written RGB %dx%d" % (width, height))
    check(not wrong and len(kinds) >= 8, "%d PNG files of ImageMagick (bit depth and colour type %s) read as it reads "
          "them, and ours read back (%s)" % (cases, sorted(kinds), ", ".join(sorted(set(wrong))) or "all alike"))
    subprocess.run(["convert", "-size", "8x8", "xc:red", "-interlace", "PNG", "PNG24:interlaced.png"], check=True,
                   timeout=30)
    try:
        png.read("interlaced.png")
        check(False, "an interlaced file is refused")
    except png.PngError as error:
        check("interlaced" in str(error), "an interlaced file is refused: %s" % error)


def reference_difference(frame, reference):
    """The difference picture computed the slow, obvious way, pixel by pixel."""
    count, out = 0, bytearray()
    for at in range(0, len(frame.rgb), 3):
        if frame.rgb[at:at + 3] != reference.rgb[at:at + 3]:
            count += 1
            out += bytes(imagediff.HIGHLIGHT)
        else:
            out += bytes(round(255 - (255 - v) * imagediff.FADE) for v in frame.rgb[at:at + 3])
    return count, bytes(out)


def test_difference(rng):
    wrong, magick_wrong = [], []
    for case in range(40):
        width, height = rng.randrange(1, 50), rng.randrange(1, 40)
        reference = random_image(rng, width, height, rng.choice([2, 30])).image
        frame = bytearray(reference.rgb)
        for _ in range(rng.choice([0, 1, 5, 200])):
            frame[rng.randrange(len(frame))] = rng.randrange(256)
        frame = png.Image(width, height, bytes(frame))
        if case % 7 == 6:  # another size: cannot be compared
            frame = random_image(rng, width + rng.randrange(-width + 1, 5), height + rng.randrange(1, 5), 3).image
            found = imagediff.difference(frame, reference)
            if found is None or found.pixels != -1 or "reference" not in found.reason:
                wrong.append(case)
            continue
        found = imagediff.difference(frame, reference)
        count, expected = reference_difference(frame, reference)
        if (found is None) != (count == 0) or (found is not None and (found.pixels != count or found.image.rgb != expected)):
            wrong.append(case)
        png.write("a.png", *frame)
        png.write("b.png", *reference)
        result = subprocess.run(["compare", "-metric", "AE", "a.png", "b.png", "null:"], capture_output=True,
                                text=True, timeout=30)
        if int(float(result.stderr.split()[0])) != count:
            magick_wrong.append(case)
    check(not wrong, "40 differences, some of other sizes, as computed pixel by pixel (wrong: %s)" % wrong)
    check(not magick_wrong, "the counts are ImageMagick's (wrong: %s)" % magick_wrong)


def data_images(page):
    return [png.decode(base64.b64decode(m)) for m in re.findall(r'src="data:image/png;base64,([^"]+)"', page)]


def test_report(rng):
    os.makedirs("frames", exist_ok=True)
    images = [random_image(rng, 30, 20, 4).image for _ in range(3)]
    changed = bytearray(images[2].rgb)
    changed[0:6] = b"\x01\x02\x03\x01\x02\x03"
    for i, image in enumerate(images):
        png.write("frames/%04d.png" % i, *image)
        png.write("frames/ref%04d.png" % i, *(image if i < 2 else png.Image(30, 20, bytes(changed))))
    lines = [None, "ZAVOK_MOUSE(1, 2);", "ZAVOK_KBD(60);"]
    manifest = {"program": "kartello.exe", "script": "a <b>.scr", "time": "2026-01-01 12:00:00 UTC",
                "summary": "replayed 2 events", "notes": ["the text window was shown to read it"],
                "events": [{"index": i, "line": lines[i], "frame": "frames/%04d.png" % i,
                            "reference": "frames/ref%04d.png" % i, "text": ["line <%d>" % i]} for i in range(3)]}
    with open("manifest.json", "w") as file:
        json.dump(manifest, file)
    status = report.main(["manifest.json", "page/report.html"])
    with open("page/report.html", encoding="utf-8") as file:
        page = file.read()
    rows = re.findall(r'<details class="event (\w+)" id="e(\d{4})"( open)?>', page)
    check(status == 1 and rows == [("matches", "0000", ""), ("matches", "0001", ""), ("differs", "0002", " open")],
          "one row per event, matches folded, the difference open; status %d" % status)
    check('href="#e0002">frame 0002</a> (2 pixels)' in page and "a &lt;b&gt;.scr" in page and "line &lt;2&gt;" in page
          and "the text window was shown" in page and "ZAVOK_KBD(60);" in page and "<script" not in page,
          "the summary names the differing frame; texts are escaped; no script with references")
    decoded = data_images(page)
    expected = [images[0], images[1], png.read("frames/ref0002.png"), images[2]]
    check(len(decoded) == 5 and decoded[:4] == expected and decoded[4] == imagediff.difference(
        images[2], png.read("frames/ref0002.png")).image,
          "the inlined images are the inputs (matching rows: the frame alone) and the difference")
    check("http" not in page.replace("http-equiv", ""), "the page names no address to fetch")

    # Without references: a flip-book; with assets, the images in one folder beside the page.
    for event in manifest["events"]:
        del event["reference"]
    with open("manifest.json", "w") as file:
        json.dump(manifest, file)
    status = report.main(["manifest.json", "flip/book.html", "--assets"])
    with open("flip/book.html", encoding="utf-8") as file:
        page = file.read()
    sources = re.findall(r'<img src="([^"]+)"', page)
    check(status == 0 and sources == ["book_files/0000.png", "book_files/0001.png", "book_files/0002.png"]
          and all(png.read(os.path.join("flip", s)) == images[i] for i, s in enumerate(sources))
          and 'id="flip"' in page and "<script>" in page and page.count(" open>") == 3,
          "a flip-book with its images in one folder beside it")


def test_script_lines():
    """The lines a report puts beside the frames are the reader's: one per event, a PERIODIC(n)
    line n times, over random scripts (the count is checked against the package's own reader by
    the script tests, so here the lines must add up to it), each with its number in the file."""
    from zavokreplay import scripts
    rng = random.Random(15)
    wrong = 0
    for _ in range(300):
        kinds = [rng.choice(["ZAVOK_MOUSE(%d, 2);" % rng.randrange(-300, 300), "ZAVOK_KBD(97);",
                             "ZAVOK_PERIODIC(%d);" % rng.randrange(0, 5), "", "ZAVOK_OTHER;"]) for _ in range(8)]
        data = ("\r\n" if rng.random() < 0.5 else "\n").join(kinds).encode() + b"\n"
        found = list(scripts.event_lines(data))
        file_lines = data.split(b"\n")
        if sum(n for _, _, n in found) != scripts.count_events(data) or any(
                not line.strip().decode().startswith("ZAVOK_") or file_lines[number - 1].rstrip(b"\r") + b"\n" != line
                for number, line, _ in found):
            wrong += 1
    check(wrong == 0, "300 random scripts: the lines' events add up to the count, each line's number names "
          "it (%d wrong)" % wrong)


def test_progress():
    pipe_read, pipe_write = os.pipe()
    with os.fdopen(pipe_write, "w") as stream:
        bar = progress.Progress(3, stream=stream)
        for done in range(4):
            bar.update(done)
        bar.finish()
    with os.fdopen(pipe_read) as stream:
        plain = stream.read()
    check(plain == "frame 0 of 3\nframe 1 of 3\nframe 2 of 3\nframe 3 of 3\n", "plain lines through a pipe")

    # On a terminal: one line redrawn; a fake clock makes the rate and the time left known.
    leader, follower = pty.openpty()
    ticks = iter(range(0, 1000))
    with os.fdopen(follower, "w") as stream:
        bar = progress.Progress(100, stream=stream, clock=lambda: next(ticks) * 0.5)
        for done in range(0, 101, 10):
            bar.update(done)
        bar.finish()
    shown = b""
    while True:
        try:
            piece = os.read(leader, 65536)
        except OSError:  # the other end is closed: all is read
            break
        if not piece:
            break
        shown += piece
    os.close(leader)
    shown = shown.decode()
    frames = [f for f in shown.replace("\x1b[K", "").split("\r") if f.strip()]
    last = frames[-1].strip()
    check(len(frames) == 11 and "\n" not in "".join(frames[:-1]) and shown.endswith("\n")
          and re.fullmatch(r"\[#+\] 100/100  18\.2/s  0:00 left", last) is not None
          and "50/100  16.7/s  0:03 left" in frames[5], "a bar redrawn in place on a terminal: %r" % last)
    check(all(len(progress.bar_line(d, 7, 3.0, w)) <= w - 1 for d in range(8) for w in (1, 10, 40, 200)),
          "the bar fits any terminal width")


def main():
    rng = random.Random(1515)
    test_png(rng)
    test_difference(rng)
    test_report(rng)
    test_script_lines()
    test_progress()
    return exit_status()


if __name__ == "__main__":
    sys.exit(main())
