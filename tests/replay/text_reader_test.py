#!/usr/bin/python3
"""The text window read with each frame: tools/zavok-replay --text --report over a ZAVOK program
that prints known lines (text_fixture.c) and one more for each key of the script.

    text_reader_test.py ZAVOK_TEXT.exe TEXT_FIXTURE.exe

Runs in the current folder, in a world of its own (tools/isolated: display, Wine prefix), where
zavok_text.exe lists the characters the stock fixed font draws alike. For two seeds, once with
the text window shown by the program and once hidden (as Kartello hides it), the lines the
report shows beside each frame must be exactly the window's last lines: filler lines, the
package's notices, a line longer than the window, every printable character, random lines, and
each key's line after its event. With the window hidden the report says that the replay showed
it, and the frames are those of a replay without --text, byte for byte.
"""

import html
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import check, exit_status  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
REPLAY = os.path.join(here, "..", "..", "tools", "zavok-replay")
NOTICES = [re.escape("ZAVOK_undo is no longer supported."), re.escape("Illegal color 99; using RED."),
           r"Radius of -5 not possible, using radius \d+"]
FILLER = 30  # lines the fixture prints before the notices
KEYS = (97, 98)



def expected_lines(printed, same):
    """Every line the fixture's window has shown, in order, as the reader can read them."""
    mapping = str.maketrans({bytes([a]).decode("cp1252"): bytes([b]).decode("cp1252")
                             for a, b in same.items() if a >= 0xA0})  # the fixture prints no 0x80-0x9F
    return [line.translate(mapping) if i < FILLER or i >= FILLER + len(NOTICES) else line
            for i, line in enumerate(printed[:FILLER] + NOTICES + printed[FILLER:])]


def matches(expected, read, long_cells):
    if len(expected) > 200:  # the long line: as many whole cells as the window has
        return expected.startswith(read) and len(read) == long_cells
    if expected.startswith(("Radius", "ZAVOK_undo", "Illegal")):
        return re.fullmatch(expected, read) is not None
    return expected == read


def tail_wrong(lines, expected):
    """Why the lines read are not the last lines shown, or "" when they are."""
    long_line = next(line for line in expected if len(line) > 200)
    cells = next((len(line) for line in lines if long_line.startswith(line) and len(line) > 60), 0)
    tail = expected[-len(lines):] if lines else []
    wrong = [(e, r) for e, r in zip(tail, lines) if not matches(e, r, cells)]
    if len(lines) < 12 or cells <= 60:
        return "%d lines read, the long one cut at %d cells" % (len(lines), cells)
    return "%r read as %r" % wrong[0] if wrong else ""


def replay(fixture, seed, hidden, folder, text):
    environment = dict(os.environ, TEXT_FIXTURE_ARGUMENTS="%d%s" % (seed, " hidden" if hidden else ""),
                       TEXT_FIXTURE_OUT=os.path.abspath(folder + ".printed.txt"))
    command = [REPLAY, fixture, "keys.scr", folder] + (["--text", "--report", folder + ".html"] if text else [])
    result = subprocess.run(command, capture_output=True, text=True, timeout=300, env=environment)
    return result.returncode, (result.stderr.strip().splitlines() or [""])[-1]


def main(reader, fixture):
    result = subprocess.run(["wine", reader, "--glyph-classes"], capture_output=True, text=True, timeout=120)
    same = {int(a, 16): int(b, 16) for a, b in (line.split() for line in result.stdout.splitlines())}
    check(result.returncode == 0 and all(b < a for a, b in same.items()),
          "glyph classes: %d codes look like lower ones" % len(same))
    with open("keys.scr", "w", newline="\n") as file:
        file.write("".join("ZAVOK_KBD(%d);\n" % key for key in KEYS))

    for seed, hidden in ((11, False), (13, True)):
        name = "seed%d%s" % (seed, "-hidden" if hidden else "")
        status, message = replay(fixture, seed, hidden, name, text=True)
        if status != 0:
            check(False, "%s: the replay with --text: %s" % (name, message))
            continue
        with open(name + ".printed.txt", "rb") as file:
            printed = file.read().decode("cp1252").split("\n")[:-1]
        with open(name + ".html", encoding="utf-8") as file:
            page = file.read()
        texts = [html.unescape(t).split("\n") for t in re.findall(r'<pre class="text">(.*?)</pre>', page, re.S)]
        keyed = len(printed) - len(KEYS)  # lines printed before the first key
        wrong = ["frame %04d: %s" % (n, tail_wrong(lines, expected_lines(printed[:keyed + n], same)))
                 for n, lines in enumerate(texts)]
        wrong = [w for w in wrong if not w.endswith(": ")]
        check(len(texts) == len(KEYS) + 1 and not wrong and [t[-1] for t in texts[1:]] == ["key %d" % k for k in KEYS],
              "%s: each frame's text is the window's last lines, each key's line after its event%s"
              % (name, "; " + wrong[0] if wrong else ""))
        saved = []
        for number in range(len(texts)):
            with open(os.path.join(name, "%04d.txt" % number), encoding="utf-8") as file:
                saved.append(file.read().split("\n")[:-1])
        check(saved == texts, "%s: each frame's lines saved beside it as NNNN.txt" % name)
        check(("the replay showed it" in page) == hidden, "%s: the report %s that the replay showed the text window"
              % (name, "says" if hidden else "does not say"))
        if hidden:
            status, message = replay(fixture, seed, hidden, name + "-plain", text=False)
            same_frames = status == 0 and all(
                open(os.path.join(name, f), "rb").read() == open(os.path.join(name + "-plain", f), "rb").read()
                for f in ("0000.png", "0001.png", "0002.png"))
            check(same_frames, "%s: the frames are those of a replay without --text (%s)" % (name, message))
    return exit_status()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
