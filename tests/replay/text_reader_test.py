#!/usr/bin/python3
"""The text window read from outside: zavok_text against a ZAVOK program that printed known lines.

    text_reader_test.py ZAVOK_TEXT.exe TEXT_FIXTURE.exe

Runs in the current folder, on a virtual display of its own, in the Wine prefix named by
WINEPREFIX (whose server it ends at the close, as the other Wine tests do). For two seeds the
fixture prints filler lines, the package's notices, a line longer than the window, every
printable character and random lines; what the reader prints must be exactly the window's last
lines, with characters the font draws alike taken as one. Then the same with the text window
hidden, as Kartello hides it: the reader refuses without --show and reads it with --show, and a
line printed afterwards is read too.
"""

import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_display import Display, wait_for  # noqa: E402

NOTICES = [re.escape("ZAVOK_undo is no longer supported."), re.escape("Illegal color 99; using RED."),
           r"Radius of -5 not possible, using radius \d+"]
FILLER = 30          # lines the fixture prints before the notices
WAIT = 30            # seconds any one step may take

failures = []


def check(condition, description):
    print(("ok: " if condition else "FAILED: ") + description)
    if not condition:
        failures.append(description)


def reader(display, *arguments):
    result = display.run_wine([READER, *arguments], timeout=WAIT)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8", "replace")


def expected_lines(same):
    """Every line the fixture's window has shown, in order, as the reader can read them."""
    with open("printed.txt", "rb") as file:
        printed = file.read().decode("cp1252").split("\n")[:-1]
    mapping = str.maketrans({bytes([a]).decode("cp1252"): bytes([b]).decode("cp1252")
                             for a, b in same.items() if a >= 0xA0})  # the fixture prints no 0x80-0x9F
    return [line.translate(mapping) if i < FILLER or i >= FILLER + len(NOTICES) else line
            for i, line in enumerate(printed[:FILLER] + NOTICES + printed[FILLER:])]


def matches(expected, read, long_cells):
    if len(expected) > 200:          # the long line: as many whole cells as the window has
        return expected.startswith(read) and len(read) == long_cells
    if expected.startswith(r"Radius") or expected.startswith("ZAVOK_undo") or expected.startswith("Illegal"):
        return re.fullmatch(expected, read) is not None
    return expected == read


def compare_tail(lines, same, description):
    expected = expected_lines(same)
    long_line = next(line for line in expected if len(line) > 200)
    cells = next((len(line) for line in lines if long_line.startswith(line) and len(line) > 60), 0)
    tail = expected[-len(lines):] if lines else []
    wrong = [(e, r) for e, r in zip(tail, lines) if not matches(e, r, cells)]
    check(len(lines) >= 12 and not wrong and cells > 60,
          "%s: %d lines read, the long one cut at %d cells%s" % (description, len(lines), cells,
                                                                 "; first wrong: %r read as %r" % wrong[0] if wrong else ""))


def start_fixture(display, seed, hidden):
    for name in ("ready", "printed.txt"):
        if os.path.exists(name):
            os.remove(name)
    program = display.start_wine([FIXTURE, str(seed)] + (["hidden"] if hidden else []))
    if not wait_for(lambda: os.path.exists("ready") or program.poll() is not None, WAIT) or program.poll() is not None:
        raise SystemExit("FAILED: the fixture did not print its lines")
    return program


def main():
    with Display() as display:
        status, _, message = reader(display)
        check(status == 1 and "no \"ZAVOK Text\" window" in message, "no program: status 1 (%d)" % status)
        status, out, _ = reader(display, "--glyph-classes")
        same = {int(a, 16): int(b, 16) for a, b in (line.split() for line in out.splitlines())}
        check(status == 0 and all(b < a for a, b in same.items()), "glyph classes: %d codes look like lower ones" % len(same))

        for seed in (11, 12):
            program = start_fixture(display, seed, hidden=False)
            status, out, message = reader(display)
            check(status == 0 and "uncertain" not in message, "seed %d: status %d %s" % (seed, status, message.strip()))
            compare_tail(out.splitlines(), same, "seed %d, window shown" % seed)
            display.stop_wine(program)

        program = start_fixture(display, 13, hidden=True)
        status, out, message = reader(display)
        check(status == 2 and out == "" and "hidden" in message, "a hidden window is not read without --show (%d)" % status)
        status, out, message = reader(display, "--show")
        check(status == 0 and "was hidden" in message, "--show reads it: status %d" % status)
        compare_tail(out.splitlines(), same, "seed 13, window shown by the reader")
        display.key("ZAVOK Graphics", "a")
        started = time.monotonic()
        while True:  # the key's line is printed once the program has taken the key
            status, out, _ = reader(display)
            if out.splitlines()[-1:] == ["key 97"] or time.monotonic() - started > WAIT:
                break
            time.sleep(0.1)
        check(status == 0 and out.splitlines()[-1:] == ["key 97"], "a line printed after --show is read")
        compare_tail(out.splitlines(), same, "after the key")
        display.stop_wine(program)
    print("all passed" if not failures else "%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    READER, FIXTURE = sys.argv[1:3]
    sys.exit(main())
