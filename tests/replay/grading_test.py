#!/usr/bin/env python3
"""Grading with zavok-replay: a traffic-light reference and its submissions (traffic_light.c,
one SUBMISSION each), as a teacher grades them.

  grading_test.py reference KARTELLO.exe LIGHT_0.exe ... LIGHT_8.exe
      every submission against the reference program, in one session: the outcome, exit status,
      score, JSON and JUnit of each, also with --expect-end and a tolerance; an animating program
      (Kartello) against itself, the two side by side, gives the same frames from frame 0000 on
  grading_test.py stored KARTELLO.exe LIGHT_0.exe ... LIGHT_8.exe
      the same against the reference's stored frames
  grading_test.py command_line KARTELLO.exe LIGHT_0.exe ... LIGHT_8.exe
      the command line's hang with its JSON and JUnit files, and a replay under timeout(1) that
      ends it (SIGTERM) while its program hangs: nothing of either left running, no prefix copy

Runs in the current folder, which keeps the frames and files of a failed run for review."""

import json
import os
import shutil
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from checks import check, exit_status  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "replay"))
from zavokreplay import constants  # noqa: E402
from zavokreplay import replay as replaying  # noqa: E402
from zavokreplay.session import Session, Settings  # noqa: E402

BUILD = os.path.abspath(os.environ.get("ZAVOK_BUILD_DIR") or os.path.join(ROOT, "build"))
TIME = 1767268800
COPIES = os.path.join(BUILD, "replay") + os.sep  # where the replays' prefix copies are made
EVENT_TIMEOUT_MS = 1500  # what the hanging submission and the one that does not quit cost
# Three clicks on the lamps, then q: the reference ends at the last event, as the assignment asks.
SCRIPT = b"ZAVOK_MOUSE(0, 80);\nZAVOK_MOUSE(0, 0);\nZAVOK_MOUSE(0, -80);\nZAVOK_KBD(113);\n"
# Each submission: its SUBMISSION number, what it does, and the outcome with --text, without and with
# --expect-end, and with --max-diff-pixels large enough for a lamp one pixel too big.
SUBMISSIONS = [
    (1, "draws the same", "pass", "pass", "pass"),
    (2, "a lamp one pixel too big", "differs", "differs", "pass"),
    (3, "the lights in the wrong order", "differs", "differs", "differs"),
    (4, "hangs at the second click", "hang", "hang", "hang"),
    (5, "prints an extra line", "differs", "differs", "differs"),
    (6, "crashes at the second click", "crashed", "crashed", "crashed"),
    (7, "ends at the second click", "ended", "ended", "ended"),
    (8, "does not quit on q", "pass", "ended", "pass"),
]
TOLERANCE = 1000
CODES = {"pass": 0, "differs": 1, "error": 2, "hang": 3, "ended": 4, "crashed": 5}


def agree(outcome: replaying.Outcome, json_path: str, junit_path: str) -> list:
    """What is wrong with the JSON and JUnit files of a replay: they must parse and agree with
    the outcome, its exit status and each other."""
    wrong = []
    results = outcome.results
    with open(json_path, encoding="utf-8") as file:
        data = json.load(file)
    if (data["outcome"], data["exit_status"]) != (results.outcome(), results.exit_status()):
        wrong.append("JSON says %s %s" % (data["outcome"], data["exit_status"]))
    if len(data["events"]) != len(SCRIPT.splitlines()) + 1 or any(os.path.isabs(data[key]) for key in (
            "script", "frames")):
        wrong.append("JSON events or paths under the working folder: %d events, %s, %s"
                     % (len(data["events"]), data["script"], data["frames"]))
    compared = [event for event in data["events"] if event["passed"] is not None]
    if (data["score"]["passed"], data["score"]["compared"]) != (
            sum(event["passed"] for event in compared), len(compared)):
        wrong.append("JSON score %s" % data["score"])
    suite = ElementTree.parse(junit_path).getroot().find("testsuite")
    cases = suite.findall("testcase")
    failing = int(suite.get("failures")) + int(suite.get("errors"))
    if len(cases) < len(data["events"]) or int(suite.get("tests")) != len(cases) or \
            (failing == 0) != (results.exit_status() == 0):
        wrong.append("JUnit: %d cases, %d failing, exit status %d" % (len(cases), failing, results.exit_status()))
    return wrong


def replay(session, program, name, **options):
    outdir = os.path.abspath(name)
    options.setdefault("text", True)
    wanted = replaying.Options(TIME, json=outdir + ".json", junit=outdir + ".xml",
                               event_timeout_ms=EVENT_TIMEOUT_MS, **options)
    return replaying.replay_script(ROOT, BUILD, program, os.path.join(session.settings.work, constants.SCRIPT_FILE),
                                   outdir, wanted, session=session)


def test_batch(kind: str, kartello: str, programs: list) -> None:
    work = os.path.abspath("work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    with open(os.path.join(work, constants.SCRIPT_FILE), "wb") as file:
        file.write(SCRIPT)
    reference = programs[0]
    session = Session(Settings(root=ROOT, build=BUILD, program=os.path.abspath(reference), work=work,
                               time_seconds=TIME, event_timeout_ms=EVENT_TIMEOUT_MS))
    try:
        session.start()
        stored = replay(session, reference, "stored")
        check(stored.results.outcome() == "pass" and not os.path.exists("stored/0004.png")
              and os.path.isfile("stored/0003.txt"),
              "the reference ends at its last event, q: frames and texts 0000 to 0003 (%s)" % stored.summary)
        options = dict(reference_program=reference) if kind == "reference program" else dict(expect="stored")
        for variant, what, plain, expect_end, tolerant in SUBMISSIONS:
            program = programs[variant]
            for wanted, more, label in ((plain, {}, ""), (expect_end, dict(expect_end=True), ", --expect-end"),
                                        (tolerant, dict(max_diff_pixels=TOLERANCE), ", a tolerance")):
                if label and wanted == plain:
                    continue  # the same replay again
                name = "light%d-%s%s" % (variant, kind.split()[-1], label.replace(", ", "-").replace(" ", "-"))
                outcome = replay(session, program, name, **options, **more)
                results = outcome.results
                wrong = agree(outcome, name + ".json", name + ".xml")
                check(results.outcome() == wanted and results.exit_status() == CODES[wanted] and not wrong,
                      "%s against the %s%s: %s, exit status %d" % (what, kind, label, results.outcome(),
                                                                  results.exit_status()),
                      [results.message()] + wrong)
                if variant in (4, 6, 7) and not label:
                    events = results.events
                    check(events[1].passed and events[2].state != "taken"
                          and [event.state for event in events[3:]] == ["not reached"] * 2
                          and "click 2 (script line 2: `ZAVOK_MOUSE(0, 0);`)" in results.message(),
                          "%s: frame 0001 compared, a row for click 2, two events never reached" % what,
                          [results.message()])
                if variant == 2 and label:
                    pixels = [event.pixels for event in results.events[1:4]]
                    check(all(0 < count <= TOLERANCE for count in pixels) and results.score() == (4, 4),
                          "a lamp one pixel too big: %s pixels differ, within the tolerance" % pixels)

        if kind != "reference program":
            return
        # Kartello animates from its start: against itself, every frame matches from 0000 on, also
        # when the two play side by side, each in a world of its own (a replay with no session given).
        outcome = replaying.replay_script(ROOT, BUILD, kartello, os.path.join(session.settings.work,
                                                                              constants.SCRIPT_FILE),
                                          os.path.abspath("kartello"), replaying.Options(
                                              TIME, reference_program=kartello, json=os.path.abspath("kartello.json"),
                                              event_timeout_ms=EVENT_TIMEOUT_MS))
        check(outcome.results.outcome() == "pass" and outcome.results.events[0].passed
              and outcome.results.score() == (5, 5)
              and outcome.reference.settings.work != outcome.replay.settings.work,
              "an animating program against itself, the two side by side: the same frames from frame 0000 on (%s)"
              % outcome.summary)
    finally:
        session.close()


# ---- The command line -------------------------------------------------------------------------
def marked(mark: str) -> dict:
    """The processes whose environment holds the mark (everything a replay started), each with
    its Wine prefix (or None)."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as environ:
                entries = environ.read().split(b"\0")
        except OSError:
            continue
        if mark.encode() in entries:
            prefixes = [entry[len(b"WINEPREFIX="):].decode() for entry in entries if entry.startswith(b"WINEPREFIX=")]
            found[int(pid)] = prefixes[0] if prefixes else None
    return found


def run_marked(command: list, mark: str, interrupt: str = None):
    """Runs the command with the mark in its environment: its exit status, its output and the
    Wine prefixes (copies) its processes used, as seen while it ran. With `interrupt`, the
    command gets SIGTERM a second after a process of that name has started (timeout(1) passes it
    on as it does its own)."""
    name, value = mark.split("=", 1)
    with open("output.txt", "w+b") as output:
        process = subprocess.Popen(command, env=dict(os.environ, **{name: value}), stdout=output,
                                   stderr=subprocess.STDOUT)
        prefixes = set()
        deadline, seen = time.monotonic() + 120, None
        while process.poll() is None and time.monotonic() < deadline:
            found = marked(mark)
            prefixes |= {prefix for prefix in found.values() if prefix and prefix.startswith(COPIES)}
            if interrupt and seen is None and any(_name(pid).startswith(interrupt) for pid in found):
                seen = time.monotonic()
            if seen is not None and time.monotonic() > seen + 1:
                process.terminate()
                seen = deadline
            time.sleep(0.05)
        if process.poll() is None:
            process.kill()
        process.wait()
        output.seek(0)
        return process.returncode, output.read().decode(errors="replace").strip().splitlines(), prefixes


def _name(pid: int) -> str:
    try:
        with open("/proc/%d/comm" % pid) as comm:
            return comm.read().strip()
    except OSError:
        return ""


def left_behind(mark: str, prefixes: set) -> list:
    """The processes and prefix copies left once the command has ended, after at most 2 s."""
    deadline = time.monotonic() + 2
    while True:
        running, kept = marked(mark), [prefix for prefix in prefixes if os.path.exists(prefix)]
        if (not running and not kept) or time.monotonic() > deadline:
            for pid in running:  # so that a failure leaves nothing either
                os.kill(pid, signal.SIGKILL)
            return ["process %d" % pid for pid in running] + kept
        time.sleep(0.05)


def test_command_line(kartello: str, programs: list) -> None:
    del kartello
    with open("light.scr", "wb") as file:
        file.write(SCRIPT)
    replay = os.path.join(ROOT, "replay", "zavok-replay")
    for name, command, wanted in (
            ("hangs", [replay, programs[4], "light.scr", "hangs", "--reference-program", programs[0],
                       "--event-timeout", "1", "--json", "hangs.json", "--junit", "hangs.xml", "--report", "hangs.html"],
             3),
            ("killed", ["timeout", "60", replay, programs[4], "light.scr", "killed", "--json", "killed.json",
                        "--report", "killed.html"], 2)):
        mark = "ZAVOK_GRADING_TEST=%s-%d" % (name, os.getpid())
        started = time.monotonic()
        status, output, prefixes = run_marked(command, mark, "traffic_light" if name == "killed" else None)
        ended = time.monotonic() - started
        with open(name + ".json", encoding="utf-8") as file:
            data = json.load(file)
        check(status == wanted and data["exit_status"] == wanted and os.path.isfile(name + ".html"),
              "%s: exit status %d, JSON %s %s, a report, in %.1f s"
              % (name, status, data["outcome"], data["exit_status"], ended),
              output[-1:])
        left = left_behind(mark, prefixes)
        check(prefixes and not left, "%s: nothing left running, its prefix copy removed" % name,
              left or ["no Wine process of the replay seen"])
    with open("hangs.html", encoding="utf-8") as page:
        text = page.read()
    check("your program stopped responding after click 2 (script line 2: `ZAVOK_MOUSE(0, 0);`)" in text
          and text.count("not reached") >= 2 and os.path.abspath(".") not in text,
          "the report says where the program hung in a student's words, with no absolute path")
    suite = ElementTree.parse("hangs.xml").getroot().find("testsuite")
    check([case.find("failure").get("type") for case in suite if case.find("failure") is not None] == ["hang"]
          and len(suite.findall("testcase/skipped")) == 2, "JUnit: the hang a failure, two events skipped")


def main(arguments) -> int:
    tests = {"reference": lambda *given: test_batch("reference program", *given),
             "stored": lambda *given: test_batch("stored frames", *given), "command_line": test_command_line}
    if len(arguments) != 11 or arguments[0] not in tests:
        print(__doc__.split("\n\n")[1])
        return 2
    tests[arguments[0]](arguments[1], arguments[2:])
    return exit_status()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
