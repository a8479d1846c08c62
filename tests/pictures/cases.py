#!/usr/bin/env python3
"""The one reader of cases.txt, the list of every picture the project keeps. Used by the
pictures test and the remake command (pictures.py), by the docs test and the gallery
(gallery.py), and by tests/CMakeLists.txt, which learns from it which programs to build:

  cases.py programs     the CMake targets the cases replay, one a line
  cases.py groups       the groups of cases, one a line: a case's group is its name up to the
                        first "-" (the suite makes a test of each group)

Standard library only, so that CMake can run it while configuring."""

import calendar
import os
import re
import sys
import time
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CASES = os.path.join(HERE, "cases.txt")
GOLDEN = os.path.join(HERE, "golden")
DOCS = os.path.join(ROOT, "docs")


class CaseError(Exception):
    pass


@dataclass
class Case:
    name: str
    program: str  # CMake target
    script: str  # path from the repository's top
    time: str
    keep: list  # frame numbers; "last" stands for the last frame
    pictures: dict = field(default_factory=dict)  # frame number or "last" -> a path under docs/
    answers: list = field(default_factory=list)
    page: str = None  # the report page's picture, a path under docs/
    reference_time: str = None  # the time of the replay the page compares with

    @property
    def group(self) -> str:
        return self.name.split("-", 1)[0]

    @staticmethod
    def seconds_of(text: str) -> int:
        return calendar.timegm(time.strptime(text, "%Y-%m-%dT%H:%M:%S"))

    def seconds(self) -> int:
        return self.seconds_of(self.time)

    def script_path(self) -> str:
        return os.path.join(ROOT, self.script)

    def golden_folder(self) -> str:
        return os.path.join(GOLDEN, self.name)

    def docs_pictures(self) -> list:
        """The case's pictures under docs/, as paths from docs/."""
        return list(self.pictures.values()) + ([self.page] if self.page else [])

    def kept(self, events: int) -> dict:
        """Every frame the case keeps, by number, with the file that keeps it: a docs picture,
        or a golden frame (the last frame is always kept, so a replay that plays more or fewer
        events than before differs)."""
        shown = {events if frame == "last" else frame: os.path.join(DOCS, picture)
                 for frame, picture in self.pictures.items()}
        numbers = {events if frame == "last" else frame for frame in self.keep} | {events}
        golden = {number: os.path.join(self.golden_folder(), "%04d.png" % number)
                  for number in numbers if number not in shown}
        return {**golden, **shown}


def frame_number(text: str, where: str):
    if text == "last":
        return text
    if not text.isdigit():
        raise CaseError("%s: %s is not a frame number" % (where, text))
    return int(text)


def docs_path(text: str, where: str) -> str:
    path = os.path.normpath(text)
    if os.path.isabs(path) or path.startswith("..") or not path.endswith(".png"):
        raise CaseError("%s: %s is not a PNG file's path under docs/" % (where, text))
    return path


def read_cases(path: str = CASES) -> list:
    cases = []
    with open(path) as file:
        for number, line in enumerate(file, 1):
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            where = "%s:%d" % (os.path.relpath(path, ROOT), number)
            if len(fields) < 5 or not re.match(r"^[A-Za-z0-9_-]+$", fields[0]):
                raise CaseError("%s: expected NAME PROGRAM SCRIPT TIME KEEP [FRAME=PICTURE]... [answer=TEXT]... "
                                "[page=PICTURE reference=TIME]" % where)
            case = Case(fields[0], fields[1], fields[2], fields[3],
                        [frame_number(frame, where) for frame in fields[4].split(",")])
            for extra in fields[5:]:
                key, _, value = extra.partition("=")
                if not value:
                    raise CaseError("%s: expected KEY=VALUE, not %s" % (where, extra))
                if key == "answer":
                    case.answers.append(value)
                elif key == "page":
                    case.page = docs_path(value, where)
                elif key == "reference":
                    case.reference_time = value
                else:
                    case.pictures[frame_number(key, where)] = docs_path(value, where)
            if (case.page is None) != (case.reference_time is None):
                raise CaseError("%s: page= and reference= go together" % where)
            for stamp in (case.time, case.reference_time):
                try:
                    if stamp is not None:
                        Case.seconds_of(stamp)
                except ValueError:
                    raise CaseError("%s: the time %s is not like 2026-01-01T12:00:00" % (where, stamp)) from None
            if any(other.name == case.name for other in cases):
                raise CaseError("%s: a second case named %s" % (where, case.name))
            cases.append(case)
    return cases


def unmade_pictures(cases: list) -> list:
    """The PNG files under docs/ that no case makes, as paths from docs/."""
    made = {picture for case in cases for picture in case.docs_pictures()}
    found = [os.path.relpath(os.path.join(folder, name), DOCS)
             for folder, _, names in os.walk(DOCS) for name in names if name.lower().endswith(".png")]
    return sorted(path for path in found if path not in made)


def main(arguments) -> int:
    if arguments not in (["programs"], ["groups"]):
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    seen = []
    for case in read_cases():
        value = case.program if arguments == ["programs"] else case.group
        if value not in seen:
            seen.append(value)
    print("\n".join(seen))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (CaseError, OSError) as error:
        print("cases: %s" % error, file=sys.stderr)
        sys.exit(2)
