#!/usr/bin/env python3
"""Tests of tools/zavok-replay, the deterministic replay of event scripts.

  replay_test.py count                        how scripts are counted, the command line's errors (status 2,
                                              also in the JSON), references that end before or after
                                              the replay (no Wine)
  replay_test.py determinism KARTELLO.exe FIRST_RANDOM.exe
                                              same time, same frames; another time, other hearts,
                                              exactly those of the time given
  replay_test.py still CLICK_DOTS.exe         a program that draws nothing after some events

Runs in the current folder, which keeps the frames of a failed run for review. The replays of
one test share one session (display, prefix copy, Wine), one program after the other."""

import calendar
import filecmp
import json
import os
import random
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REPLAY = os.path.join(ROOT, "tools", "zavok-replay")
TIME = "2026-01-01 12:00:00"
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from checks import check, exit_status  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "replay"))
sys.path.insert(0, os.path.join(ROOT, "tests", "script_player"))
import differential  # noqa: E402
from zavokreplay import constants, png  # noqa: E402
from zavokreplay import replay as replaying  # noqa: E402
from zavokreplay.scripts import count_events  # noqa: E402
from zavokreplay.session import ReplayError, Session, Settings  # noqa: E402

# ---- Counting events as the package's reader reads them ------------------------------------
RANDOM_SCRIPTS = 2000
LINE = b"ZAVOK_MOUSE(1, 2);"
COUNTS = [  # the script's bytes, the events it plays, what that shows
    (b"ZAVOK_MOUSE(1, 2);\nZAVOK_KBD(97);\nZAVOK_PERIODIC(3);\n", 5, "a click, a key and a run of three periodic events"),
    (b"ZAVOK_MOUSE(1, 2);\r\n\r\n\nZAVOK_KBD(97);\r\n", 2, "CR LF line ends and empty lines"),
    (b"ZAVOK_PERIODIC(0);\nZAVOK_PERIODIC(-4);\nabcdefK 65\n", 6,
     "a run of 0 counts as one, the count takes digits only, index 6 alone tells the kind"),
    (b"ZAVOK_PERIODIC(99999999999);\n", 2147483647, "a run beyond 32 bits is the largest 32-bit count"),
    (b"ZAVOK_MOUSE(1, 2);\n      \nZAVOK_MOUSE(3, 4);\n", 1, "a line of spaces ends the playback"),
    (b"ZAVOK_MOUSE(1, 2);\nZAVOK\nZAVOK_MOUSE(3, 4);\n", 1, "a line too short to have a kind ends the playback"),
    (b"ZAVOK_MOUSE(1, 2);\n\r\r\nZAVOK_MOUSE(3, 4);\n", 1, "a carriage return without its line feed stays in the line"),
    (b"ZAVOK_MOUSE(1, 2);\nZAVOK_MOUSE(3, 4);", 1, "a last line without its newline is not played"),
    (b"ZAVOK_MOUSE(1, 2);\n\x1aZAVOK_MOUSE(3, 4);\n", 1, "a Ctrl-Z byte ends the file"),
    (b"ZAVOK_M\0\nZAVOK\0MOUSE(3, 4);\nZAVOK_KBD(1);\n", 1, "a line ends at a NUL byte"),
    (LINE.ljust(600) + b"\nZAVOK_KBD(1);\n", 1, "a long line is read in parts, and a part of spaces ends the playback"),
    (LINE.ljust(511) + b"ZAVOK_KBD(1);\nZAVOK_KBD(2);\n", 3, "the second part of a long line is a line of its own"),
    (LINE.ljust(511) + b"\nZAVOK_KBD(1);\n", 2, "the newline after 511 characters reads as an empty line"),
    (LINE.ljust(510) + b"\nZAVOK_KBD(1);\n", 2, "510 characters and the newline fit one read"),
    (LINE.ljust(511), 1, "a last line of exactly 511 characters is read before the end of the file is seen"),
    (b"", 0, "an empty file"),
]


def command_line(*arguments):
    """tools/zavok-replay's exit status and its output, standard output and error together."""
    done = subprocess.run([REPLAY, *arguments], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    return done.returncode, done.stdout.decode(errors="replace").strip()


def write(path: str, data: bytes) -> str:
    with open(path, "wb") as file:
        file.write(data)
    return os.path.abspath(path)


def differs_first(checker) -> str:
    """The checker's verdict: "frame NNNN differs first: ...", or "" when all matched."""
    try:
        checker.verdict()
    except replaying.Differs as difference:
        return str(difference)
    return ""


def test_count() -> None:
    for data, expected, description in COUNTS:
        actual = count_events(data)
        check(actual == expected, description + ("" if actual == expected else ": counted %d, not %d" % (actual, expected)))
    # Against the plain decoder that script_differential holds to the real package, over its
    # random script files: the same number of events (the decoder stops counting at its CAP).
    rng = random.Random(20)
    wrong = []
    for _ in range(RANDOM_SCRIPTS):
        data = differential.script_file(rng)
        events, _ = differential.decode(data)
        played = sum(int(event[2:]) if event.startswith("P ") else 1 for event in events)
        if min(count_events(data), differential.CAP) != played:
            wrong.append(data)
    check(not wrong, "%d random scripts counted as the package plays them%s"
          % (RANDOM_SCRIPTS, "; not " + differential.describe(wrong[0]) if wrong else ""))

    script = write("script.scr", COUNTS[0][0])
    status, output = command_line("--count", script)
    check((status, output) == (0, "5"), "--count prints the count: status %d, %s" % (status, output))

    # Errors are one line and status 2, found before any Wine starts.
    reference = os.path.abspath("no-pictures")
    os.makedirs(reference, exist_ok=True)
    for description, arguments in [
            ("a missing script (--count)", ["--count", os.path.abspath("missing.scr")]),
            ("a missing program", [os.path.abspath("missing.exe"), script, "out"]),
            ("a missing script", [script, os.path.abspath("missing.scr"), "out"]),
            ("a bad time", [script, script, "out", "--time", "the day after tomorrow"]),
            ("a missing argument", [script, script]),
            ("an unknown option", [script, script, "out", "--fast"]),
            ("two kinds of reference", [script, script, "out", "--expect", reference, "--reference-program", script]),
            ("a tolerance that is no number", [script, script, "out", "--max-diff-pixels", "-1"]),
            ("an event time-out that is no number", [script, script, "out", "--event-timeout", "soon"]),
            ("a reference folder without pictures", [script, script, "out", "--expect", reference])]:
        status, output = command_line(*arguments, "--json", "error.json")
        with open("error.json", encoding="utf-8") as file:
            said = json.load(file)
        os.remove("error.json")
        check(status == 2 and len(output.splitlines()) == 1 and (said["outcome"], said["exit_status"]) == ("error", 2),
              "%s: status %d and in the JSON, %s" % (description, status, output))

    # References that end before the replay does, or after it: the checker's verdict on frames
    # of six events (only the frames' numbers matter to it, so they need not come from Wine). A
    # reference program may end at the last event, so references one short are whole.
    frames = [replaying.Frame(number, 2, 1, png.Image(2, 1, bytes([number] * 6))) for number in range(7)]
    for description, kept, final_only, expected in [
            ("a replay longer than its references differs", range(5), False, "the reference's frames end at 0004"),
            ("references that end at the last event match", range(6), False, ""),
            ("a replay shorter than its references differs", [7], True, "frame 0007 differs first")]:
        folder = os.path.abspath("references-" + ("final" if final_only else "all"))
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for number in kept:
            png.write(os.path.join(folder, "%04d.png" % number), 2, 1, bytes([number] * 6))
        replay = replaying.Replay(None, script, 6, final_only=final_only)
        checker = replaying.Checker(folder, folder)
        checker.started(replay)
        for frame in frames:
            if replay.kept(frame.number):
                checker.frame(replay, frame)
        checker.finished(replay)
        verdict = differs_first(checker)
        check(verdict.startswith(expected) and (verdict == "") == (expected == ""),
              "%s: %s" % (description, verdict or "no difference"))


# ---- Replays in one session -----------------------------------------------------------------
class Replays:
    """Replays of one script through programs one after the other in one session, each into a
    folder of its own, at the calendar time given."""

    def __init__(self, script: bytes):
        self.work = os.path.abspath("work")
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.script = write(os.path.join(self.work, constants.SCRIPT_FILE), script)
        self.session = None

    def run(self, program: str, outdir: str, when: str, expect: str = None):
        """The Checker when `expect` names a reference folder, else None."""
        build = os.path.abspath(os.environ.get("ZAVOK_BUILD_DIR") or os.path.join(ROOT, "build"))
        settings = Settings(root=ROOT, build=build, program=os.path.abspath(program), work=self.work,
                            time_seconds=calendar.timegm(time.strptime(when, "%Y-%m-%d %H:%M:%S")))
        saver = replaying.Saver(os.path.abspath(outdir))
        checker = replaying.Checker(os.path.abspath(expect), os.path.abspath(outdir)) if expect else None
        replay = replaying.Replay(settings, self.script, replaying.read_script(self.script))
        if self.session is None:
            self.session = Session(settings)
            self.session.start()
        try:
            replaying.run(replay, [saver] + ([checker] if checker else []), self.session)
        finally:
            saver.close()
        return checker

    def close(self) -> None:
        if self.session is not None:
            self.session.close()


def frames_in(folder: str) -> list:
    return sorted(name for name in os.listdir(folder) if name.endswith(".png"))


def world_pixels(path: str, left: int, y: int, right: int) -> list:
    """The pixels (R, G, B) of one row of a frame from world x `left` to `right`: the world's
    origin is the client area's middle, its y axis up."""
    picture = png.read(path)
    row = picture.height // 2 - y
    rgb = picture.rgb
    return [tuple(rgb[(row * picture.width + picture.width // 2 + x) * 3:][:3]) for x in range(left, right + 1)]


def test_determinism(kartello: str, first_random: str) -> None:
    first, second = "2026-01-01 12:00:03", "2026-01-01 12:00:04"
    # A heart drawn on every frame after the first, periodic and key events that redraw it, a
    # greeting that takes a number of its own on each pass.
    replays = Replays(b"ZAVOK_MOUSE(0, 20);\nZAVOK_PERIODIC(2);\nZAVOK_MOUSE(-250, 93);\n"
                      b"ZAVOK_MOUSE(-100, -100);\nZAVOK_KBD(97);\n")
    try:
        for folder in ("first", "again", "second"):
            shutil.rmtree(folder, ignore_errors=True)
        replays.run(kartello, "first", first)
        check(frames_in("first") == ["%04d.png" % n for n in range(7)], "seven frames for six events")
        again = replays.run(kartello, "again", first, expect="first")
        same = filecmp.cmpfiles("first", "again", frames_in("first"), shallow=False)[0] == frames_in("first")
        check(same and not again.differences, "the same time again gives the same frames, byte for byte")
        other = differs_first(replays.run(kartello, "second", second, expect="first"))
        check(other.startswith("frame 0001 differs first") and os.path.isfile("second/0001-diff.png"),
              "another time differs first at frame 0001: %s" % other)
        check(filecmp.cmp("first/0000.png", "second/0000.png", shallow=False), "the empty card does not depend on the time")

        # The program's clock is the time given: the heart's radius is 17 plus the designer's
        # first random number after seeding with it, modulo 4 (draw_heart), the number taken from
        # the designer's own generator. Across the heart's anchor row its two lobes are about
        # 4R - 10 pixels wide.
        seconds = [str(calendar.timegm(time.strptime(t, "%Y-%m-%d %H:%M:%S"))) for t in (first, second)]
        done = subprocess.run(["wine", first_random, *seconds], env=replays.session.environment,
                              capture_output=True, timeout=60)
        radii = [17 + int(number) % 4 for number in done.stdout.split()]
        widths = [sum(1 for pixel in world_pixels(path, -100, 20, 100) if max(pixel) <= 51)
                  for path in ("first/0001.png", "second/0001.png")]
        check(len(radii) == 2 and radii[0] != radii[1] and widths[1] - widths[0] == 4 * (radii[1] - radii[0]),
              "the hearts follow the fixed time: R %s, %s pixels wide" % (radii, widths))

        # A program that cannot start ends the session's replay with a reason of one line.
        try:
            replays.run(replays.script, "none", first)
            reason = ""
        except ReplayError as error:
            reason = str(error)
        check(reason != "" and "\n" not in reason, "a program that opens no window: %s" % reason)
    finally:
        replays.close()


# ---- A program that draws nothing after some events ---------------------------------------
def test_still(click_dots: str) -> None:
    """click_dots draws a dot per click and nothing for a key other than c, which clears. A frame
    is taken when the program is back in its wait, whether it drew or not, so the replay neither
    stalls nor errs on the keys, and each key's frame is its click's frame, pixel for pixel."""
    replays = Replays(b"ZAVOK_MOUSE(0, 0);\nZAVOK_KBD(120);\nZAVOK_KBD(121);\nZAVOK_MOUSE(40, 0);\nZAVOK_KBD(99);\n")
    try:
        shutil.rmtree("still", ignore_errors=True)
        replays.run(click_dots, "still", TIME)
    finally:
        replays.close()
    check(frames_in("still") == ["%04d.png" % n for n in range(6)], "six frames for five events")
    pictures = [png.read(os.path.join("still", name)).rgb for name in frames_in("still")]
    dot, background = (world_pixels("still/%04d.png" % n, 0, 0, 0)[0] for n in (1, 0))
    check(dot != background, "the click draws a dot (%s on %s)" % (dot, background))
    check(pictures[1] == pictures[2] == pictures[3], "the keys that draw nothing leave the frame as it was")
    check(pictures[3] != pictures[4] and world_pixels("still/0004.png", 0, 0, 0)[0] == dot,
          "the second click adds a dot and keeps the first")
    check(pictures[0] == pictures[5], "c clears the surface back to the first frame")


def main(arguments) -> int:
    tests = {"count": (test_count, 0), "determinism": (test_determinism, 2), "still": (test_still, 1)}
    if not arguments:
        print(__doc__.split("\n\n")[1])
        return 2
    test, wanted = tests.get(arguments[0], (None, -1))
    if len(arguments) - 1 != wanted:
        print(__doc__.split("\n\n")[1])
        return 2
    test(*arguments[1:])
    return exit_status()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
