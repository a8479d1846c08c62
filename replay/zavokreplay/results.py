"""What a replay found, once for every way it is told: the outcome and its exit status, one
sentence a student can read, the score, and an entry per event; written as JSON (--json) and
JUnit XML (--junit). The report page (report.py) and the command's last line say the same."""

import json
import os
import time
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass, field

from .frames import name as frame_name

# The outcomes and their exit statuses; a later one in WORST_LAST outweighs an earlier one.
EXIT_STATUS = {"pass": 0, "differs": 1, "error": 2, "hang": 3, "ended": 4, "crashed": 5}
WORST_LAST = ("pass", "differs", "ended", "hang", "crashed", "error")
HEADLINE = {"pass": "Pass", "differs": "Differs", "error": "Error", "hang": "Stopped responding",
            "ended": "Ended", "crashed": "Crashed"}


@dataclass
class Event:
    """One frame of the replay: number 0 is the program before the first event."""
    number: int
    line: int = None  # the script's line (counted from 1) that caused it
    source: str = None  # that line's text
    what: str = ""  # "click 2", "key 3 (`q`)", "tick 1": the event in a student's words
    state: str = "not reached"  # taken, hang, ended, crashed, finished (at the last event, status 0), not reached
    pixels: int = None  # pixels unlike the reference; None: not compared (-1: cannot be)
    text_differs: str = None  # how its text differs from the reference's, when it does
    passed: bool = None  # None: nothing to compare with
    text: list = None  # the text window's lines, when read

    def cause(self) -> str:
        if self.number == 0:
            return "it started"
        return "%s (script line %d: `%s`)" % (self.what, self.line, self.source)


@dataclass
class Stop:
    """How a replay stopped before its end: at event `number`, the program hung, ended (with
    `status`), or did not end where it should have (`still`)."""
    number: int
    how: str  # hang, ended, still
    status: int = 0


@dataclass
class Results:
    program: str
    script: str
    time: str
    reference: str = None  # the reference program or folder, when frames are compared
    max_diff_pixels: int = 0
    events: list = field(default_factory=list)  # Event, one per frame of the script
    stop: Stop = None
    error: str = None  # the tool's own failure, or an interruption
    problems: list = field(default_factory=list)  # differences that belong to no frame
    seconds: float = 0.0
    started: float = field(default_factory=time.time)

    def score(self):
        compared = [event for event in self.events if event.passed is not None]
        return sum(1 for event in compared if event.passed), len(compared)

    def outcome(self) -> str:
        found = ["pass"]
        if self.problems or any(event.passed is False for event in self.events):
            found.append("differs")
        if self.stop is not None:
            status = self.stop.status
            found.append("hang" if self.stop.how == "hang" else
                         "crashed" if self.stop.how == "ended" and status != 0 else "ended")
        if self.error is not None:
            found.append("error")
        return max(found, key=WORST_LAST.index)

    def exit_status(self) -> int:
        return EXIT_STATUS[self.outcome()]

    def message(self) -> str:
        """The outcome in one sentence."""
        outcome = self.outcome()
        if outcome == "error":
            return "the replay could not be done: %s" % self.error
        if self.stop is not None and outcome != "differs":
            event = self.events[self.stop.number] if self.stop.number < len(self.events) else None
            cause = event.cause() if event is not None else "its last event"
            if outcome == "hang":
                said = "your program stopped responding after %s" % cause
            elif outcome == "crashed":
                said = "your program crashed after %s (exit status %s)" % (cause, status_text(self.stop.status))
            elif self.stop.how == "still":
                said = "your program did not end after the script's last event, %s" % cause
            else:
                said = "your program ended after %s, before the script's last event" % cause
            return said + self._differing_before()
        passed, compared = self.score()
        if outcome == "differs":
            failing = [event for event in self.events if event.passed is False]
            if failing:
                first = failing[0]
                said = "%d of %d frames differ from the reference; the first is frame %s, after %s" % (
                    len(failing), compared, frame_name(first.number), first.cause())
            else:
                said = self.problems[0]
            return said
        if self.reference is not None:
            return "all %d frames compared match the reference" % compared
        return "replayed %d events" % (len(self.events) - 1)

    def _differing_before(self) -> str:
        failing = sum(1 for event in self.events if event.passed is False)
        return "; before that, %d frame%s differed from the reference" % (failing, "" if failing == 1 else "s") \
            if failing else ""

    # ---- JSON and JUnit ------------------------------------------------------------------------
    def as_json(self, paths: dict) -> dict:
        passed, compared = self.score()
        outcome = self.outcome()
        return {
            "outcome": outcome, "exit_status": EXIT_STATUS[outcome], "message": self.message(),
            "program": shown_path(self.program), "script": shown_path(self.script),
            "reference": shown_path(self.reference) if self.reference else None, "time": self.time,
            "max_diff_pixels": self.max_diff_pixels,
            "score": {"passed": passed, "compared": compared},
            "seconds": round(self.seconds, 3),
            **{key: shown_path(value) if value else None for key, value in paths.items()},
            "problems": self.problems,
            "events": [{"frame": event.number, "line": event.line, "event": event.source, "state": event.state,
                        "differing_pixels": event.pixels, "text_differs": event.text_differs,
                        "passed": event.passed, "text": event.text} for event in self.events],
        }

    def write_json(self, path: str, paths: dict) -> None:
        with open(path + ".part", "w", encoding="utf-8") as file:
            json.dump(self.as_json(paths), file, indent=1, ensure_ascii=False)
            file.write("\n")
        os.replace(path + ".part", path)

    def write_junit(self, path: str) -> None:
        """One suite for the replay, one test case per event; the tool's own error is one case
        with an <error>, events never reached are skipped."""
        suite_name = "zavok-replay %s" % shown_path(self.program)
        root = ElementTree.Element("testsuites")
        suite = ElementTree.SubElement(root, "testsuite", name=suite_name, timestamp=time.strftime(
            "%Y-%m-%dT%H:%M:%S", time.gmtime(self.started)), time="%.3f" % self.seconds)
        counts = {"tests": 0, "failures": 0, "errors": 0, "skipped": 0}

        def case(title, kind=None, message=""):
            counts["tests"] += 1
            element = ElementTree.SubElement(suite, "testcase", classname=suite_name, name=title, time="0")
            if kind == "skipped":
                counts["skipped"] += 1
                ElementTree.SubElement(element, "skipped", message=message)
            elif kind == "error":
                counts["errors"] += 1
                ElementTree.SubElement(element, "error", message=message, type="error")
            elif kind is not None:
                counts["failures"] += 1
                ElementTree.SubElement(element, "failure", message=message, type=kind)

        outcome = self.outcome()
        for event in self.events:
            title = "frame %s" % frame_name(event.number) + (": " + event.source if event.source else "")
            if event.state in ("hang", "ended", "crashed") and outcome == event.state:
                case(title, event.state, self.message())
            elif event.state == "not reached":
                case(title, "skipped", "not reached")
            elif event.passed is False:
                case(title, "differs", failure_text(event, self.max_diff_pixels))
            else:
                case(title)
        if outcome in ("hang", "ended", "crashed") and not any(event.state == outcome for event in self.events):
            case("the end after the last event", outcome, self.message())
        for problem in self.problems:
            case(problem, "differs", problem)
        if self.error is not None:
            case("the replay", "error", self.message())
        for key, value in counts.items():
            suite.set(key, str(value))
        ElementTree.indent(root)
        ElementTree.ElementTree(root).write(path + ".part", encoding="utf-8", xml_declaration=True)
        os.replace(path + ".part", path)


def failure_text(event: Event, allowed: int) -> str:
    said = []
    if event.pixels is not None and event.pixels < 0:
        said.append("frame %s cannot be compared with its reference" % frame_name(event.number))
    elif event.pixels is not None and event.pixels > allowed:
        said.append("frame %s: %d pixels differ (at most %d allowed)" % (frame_name(event.number), event.pixels, allowed))
    if event.text_differs:
        said.append("frame %s: its text differs: %s" % (frame_name(event.number), event.text_differs))
    return "; ".join(said)


def status_text(status: int) -> str:
    """An exit status as Windows programmers know it: exceptions in hexadecimal."""
    return "0x%08X" % status if status >= 0x80000000 else str(status)


def shown_path(path: str) -> str:
    """A path relative to the working folder when it lies under it, else absolute."""
    if not path:
        return path
    absolute = os.path.abspath(path)
    relative = os.path.relpath(absolute)
    return absolute if relative == ".." or relative.startswith(".." + os.sep) else relative
