#!/usr/bin/python3
"""Differential check of event-script reading: script files played through the real package
under Wine (script_player.exe, with the real C runtime's text mode) against a plain decoder of
the file format written here, event by event.

    differential.py PLAYER.exe [--files N] [--seed S] [--corpus DIR]... [--keep DIR]

N random files (default 500) made from seed S, plus every file of each corpus DIR, are played in
one run of the player; each file's events and the way its playback ended must be the same on
both sides. Mismatching files are copied to --keep DIR (default: a folder beside the work
folder) and described; the exit status is 1 then. The Wine environment (WINEPREFIX, DISPLAY)
comes from the caller; the player runs in a fresh folder of its own.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

CAP = 1000  # events per file, as the player counts them (its CAP)
LINE_PART = 511  # a read takes at most this many characters, newline included
INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
PLAYER_TIMEOUT_S = 600


# ---- The plain decoder ---------------------------------------------------------------------

def as_read_in_text_mode(data):
    """The bytes as the C runtime's text mode hands them over: a Ctrl-Z ends the file, and a
    CR LF pair reads as a single LF (a CR on its own stays)."""
    end = data.find(b"\x1a")
    if end >= 0:
        data = data[:end]
    return data.replace(b"\r\n", b"\n")


def value_of(run):
    """An optional minus sign and digits up to the first other character, held to 32 bits."""
    match = re.match(rb"(-?)([0-9]*)", run)
    number = int(match.group(2)) if match.group(2) else 0
    if match.group(1):
        number = -number
    return max(INT32_MIN, min(INT32_MAX, number))


def decode(data):
    """The events a script's bytes play, as (list of "M x y" / "K code" / "P count", end) where
    end is "eof" (the end of the file is reported), "stop" (a line of no kind) or "cap"."""
    text = as_read_in_text_mode(data)
    events = []
    total = 0

    def add(event, count=1):
        nonlocal total
        count = min(count, CAP - total)
        total += count
        if event == "P":
            if events and events[-1].startswith("P "):
                count += int(events.pop()[2:])
            events.append("P %d" % count)
        else:
            events.append(event)

    at = 0
    while total < CAP:
        if at >= len(text):
            return events, "eof"
        newline = text.find(b"\n", at)
        stop = len(text) if newline < 0 else newline + 1
        stop = min(stop, at + LINE_PART)
        line = text[at:stop]
        at = stop
        if len(line) < LINE_PART and not line.endswith(b"\n"):
            return events, "eof"  # the read met the end of the file inside the line
        if line == b"\n":
            continue
        line = line.split(b"\0", 1)[0]
        kind = line[6:7]
        if kind in (b"M", b"K"):
            runs = re.findall(rb"[0-9-]+", line[6:])
            numbers = [value_of(run) for run in runs[:2]] + [0, 0]
            if kind == b"M":
                add("M %d %d" % (numbers[0], numbers[1]))
            else:
                add("K %d" % (numbers[0] & 0xFF))
        elif kind == b"P":
            runs = re.findall(rb"[0-9]+", line[6:])
            count = value_of(runs[0]) if runs else 0
            add("P", max(count, 1))
        else:
            return events, "stop"
    return events, "cap"


# ---- Random script files -------------------------------------------------------------------

NUMBERS = [0, 1, -1, 7, 10, -5, 97, 127, -128, 128, 255, 256, 233, -23, 321, 297, -297, 248, -248,
           999, 2147483647, -2147483648, 2147483648, -2147483649, 99999999999, 150, 1000, 1001]


def some_number(rng):
    if rng.random() < 0.5:
        return rng.choice(NUMBERS)
    return rng.randint(-10**rng.randint(1, 12), 10**rng.randint(1, 12))


def valid_line(rng):
    kind = rng.random()
    if kind < 0.4:
        return b"ZAVOK_MOUSE(%d, %d);" % (some_number(rng), some_number(rng))
    if kind < 0.75:
        return b"ZAVOK_KBD(%d);" % rng.randint(-128, 127)
    return b"ZAVOK_PERIODIC(%d);" % rng.choice([0, 1, 2, 3, 5, 12, 100, 999, 1000, rng.randint(1, 40)])


def odd_line(rng):
    """A line the writer never writes but the reader must take by its rules."""
    pieces = [
        lambda: bytes(rng.choice(b"ABCXYZ_ ") for _ in range(6)) + rng.choice([b"K", b"M", b"P"]) +
        b" " + str(some_number(rng)).encode(),
        lambda: b"ZAVOK_MOUSE(" + rng.choice([b"12-3", b"--5", b"-", b"5-", b"", b"+7", b"0x10"]) + b", " +
        rng.choice([b"1", b"-", b"-0", b"8a9"]) + b");",
        lambda: b"ZAVOK_PERIODIC(" + rng.choice([b"-4", b"+3", b"", b"00000000000000000009", b"7-2"]) + b");",
        lambda: b"ZAVOK_KBD(" + str(rng.randint(-1000, 1000)).encode() + b");",
        lambda: b"ZAVOK_" + bytes([rng.randint(0, 255)]) + b"ZZ(1);",
        lambda: b"ZAVOK",
        lambda: b" " * rng.randint(1, 10),
        lambda: b"ZAVOK_K" + b"\0" + b"(66);",
        lambda: b"ZAVOK_M" + b"x" * rng.randint(490, 530) + b"(4, -7)",
        lambda: b"ZAVOK_KBD(" + b"1" * rng.randint(10, 30) + b");",
    ]
    return rng.choice(pieces)()


def line_end(rng):
    return rng.choice([b"\n", b"\r\n", b"\r\n", b"\n\n", b"\r\r\n", b"\r", b"\n\r\n"])


def script_file(rng):
    family = rng.random()
    parts = []
    if family < 0.35:  # a recording as the writer makes it, in text mode or not
        end = rng.choice([b"\n", b"\r\n"])
        for _ in range(rng.randint(0, 30)):
            parts.append(valid_line(rng) + end)
    elif family < 0.75:  # lines good and odd with any line ends
        for _ in range(rng.randint(0, 25)):
            parts.append((valid_line(rng) if rng.random() < 0.6 else odd_line(rng)) + line_end(rng))
    elif family < 0.9:  # long: lines around the read's 511 characters, and past the 4096 of a buffer
        size = 0
        while size < rng.randint(500, 9000):
            if rng.random() < 0.3:
                line = b"ZAVOK_KBD(65);" + b"y" * rng.randint(480, 1100)
            else:
                line = valid_line(rng)
            parts.append(line + line_end(rng))
            size += len(parts[-1])
    else:  # bytes from an alphabet of the format's characters
        alphabet = b"\r\n\0\x1a-0123456789MKPZAVOK_(), "
        parts.append(bytes(rng.choice(alphabet) for _ in range(rng.randint(0, 400))))
    data = b"".join(parts)
    # Faults sprinkled in: a Ctrl-Z, a NUL, a lost newline at the end, a CR at a buffer's edge.
    for _ in range(rng.choice([0, 0, 1, 2, 4])):
        at = rng.randint(0, len(data))
        data = data[:at] + rng.choice([b"\x1a", b"\0", b"\r", b"\n", b"\r\n", bytes([rng.randint(0, 255)])]) + data[at:]
    if data and rng.random() < 0.2:
        data = data.rstrip(b"\r\n")
    if rng.random() < 0.1 and len(data) > 4100:
        data = data[:4095] + b"\r\n" + data[4095:]
    return data


# ---- The run -------------------------------------------------------------------------------

def parse_player_output(text):
    played = {}
    name = None
    for line in text.split("\n"):
        if line.startswith("FILE "):
            name = line[5:]
            played[name] = ([], None)
        elif line.startswith("END "):
            played[name] = (played[name][0], line[4:])
        elif line:
            played[name][0].append(line)
    return played


def describe(data, limit=300):
    shown = data[:limit]
    return repr(shown) + (" ... (%d bytes)" % len(data) if len(data) > limit else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("player")
    parser.add_argument("--files", type=int, default=500)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--corpus", action="append", default=[])
    parser.add_argument("--keep", default=None)
    args = parser.parse_args()

    seed = args.seed if args.seed is not None else random.SystemRandom().randint(0, 2**31)
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="script-differential.")
    try:
        cases = os.path.join(work, "cases")
        os.mkdir(cases)
        names = []
        for index in range(args.files):
            name = "cases\\r%05d.scr" % index
            with open(os.path.join(cases, "r%05d.scr" % index), "wb") as file:
                file.write(script_file(rng))
            names.append(name)
        for corpus in args.corpus:
            for index, entry in enumerate(sorted(os.listdir(corpus))):
                shutil.copyfile(os.path.join(corpus, entry), os.path.join(cases, "c%05d.scr" % index))
                names.append("cases\\c%05d.scr" % index)
        with open(os.path.join(work, "list.txt"), "w") as file:
            file.write("\n".join(names) + "\n")

        run = subprocess.run(["wine", os.path.abspath(args.player), "list.txt", "played.txt"], cwd=work,
                             timeout=PLAYER_TIMEOUT_S, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if run.returncode != 0 or not os.path.exists(os.path.join(work, "played.txt")):
            print("the player failed (exit status %d): %s" % (run.returncode, run.stderr.decode(errors="replace")[-2000:]))
            return 2
        with open(os.path.join(work, "played.txt"), "rb") as file:
            played = parse_player_output(file.read().decode("ascii"))

        mismatches = []
        events = 0
        ends = {}
        for name in names:
            with open(os.path.join(work, name.replace("\\", os.sep)), "rb") as file:
                data = file.read()
            expected = decode(data)
            got = played.get(name)
            events += sum(int(e[2:]) if e.startswith("P ") else 1 for e in expected[0])
            ends[expected[1]] = ends.get(expected[1], 0) + 1
            if got is None or got[0] != expected[0] or got[1] != expected[1]:
                mismatches.append((name, data, expected, got))

        print("seed %d: %d files (%d random, %d from corpora), %d events, ends %s; %d mismatches" %
              (seed, len(names), args.files, len(names) - args.files, events,
               ", ".join("%s %d" % item for item in sorted(ends.items())), len(mismatches)))
        if mismatches:
            keep = args.keep or work + "-mismatches"
            os.makedirs(keep, exist_ok=True)
            for name, data, expected, got in mismatches[:20]:
                short = name.split("\\")[-1]
                shutil.copyfile(os.path.join(work, name.replace("\\", os.sep)), os.path.join(keep, short))
                print("MISMATCH %s: %s" % (short, describe(data)))
                print("  decoder: %s, end %s" % (expected[0][:12], expected[1]))
                print("  package: %s, end %s" % ((got[0][:12], got[1]) if got else "(not played)"))
            print("mismatching files kept in %s" % keep)
            return 1
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
