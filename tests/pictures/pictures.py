#!/usr/bin/env python3
"""The picture cases of cases.txt: every program replayed through its script at its frozen time,
all in one replay session (one display, one Wine), one program after the other.

  pictures.py check [NAME...]   every kept frame must match its golden frame (pixel for pixel)
                                and every docs picture the frame it shows (byte for byte); the
                                frames of a case that failed stay in the current folder, NAME/
  pictures.py remake [NAME...]  keeps the frames anew: docs pictures in docs/pictures, the other
                                kept frames in golden/NAME; each case's replay writes its review
                                page against the frames it had (BUILD/pictures-review/NAME.html)

The programs are found through BUILD/picture-programs.txt ("TARGET PATH" lines, written by
tests/CMakeLists.txt), BUILD being $ZAVOK_BUILD_DIR or build/. Exit status: 0 all done (all
matched), 1 a picture differs, 2 an error."""

import calendar
import filecmp
import os
import re
import shutil
import sys
import tempfile
import time
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "replay"))

from zavokreplay import constants, replay as replaying  # noqa: E402
from zavokreplay.session import ReplayError, Session, Settings  # noqa: E402

CASES = os.path.join(HERE, "cases.txt")
GOLDEN = os.path.join(HERE, "golden")
PICTURES = os.path.join(ROOT, "docs", "pictures")


@dataclass
class Case:
    name: str
    program: str  # CMake target
    script: str  # path from the repository's top
    time: str
    keep: list  # frame numbers; "last" stands for the last frame
    pictures: dict = field(default_factory=dict)  # frame number or "last" -> file in docs/pictures
    answers: list = field(default_factory=list)

    def seconds(self) -> int:
        return calendar.timegm(time.strptime(self.time, "%Y-%m-%dT%H:%M:%S"))

    def events(self) -> int:
        return replaying.read_script(os.path.join(ROOT, self.script))

    def pictures_by_number(self, events: int) -> dict:
        return {events if frame == "last" else frame: picture for frame, picture in self.pictures.items()}

    def golden_numbers(self, events: int) -> list:
        """The kept frames that are not docs pictures: they are the golden folder's."""
        shown = self.pictures_by_number(events)
        kept = {events if frame == "last" else frame for frame in self.keep} | {events}
        return sorted(number for number in kept if number not in shown)


class CaseError(Exception):
    pass


def frame_number(text: str, where: str):
    if text == "last":
        return text
    if not text.isdigit():
        raise CaseError("%s: %s is not a frame number" % (where, text))
    return int(text)


def read_cases(path: str = CASES) -> list:
    cases = []
    with open(path) as file:
        for number, line in enumerate(file, 1):
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            where = "%s:%d" % (os.path.relpath(path, ROOT), number)
            if len(fields) < 5 or not re.match(r"^[A-Za-z0-9_-]+$", fields[0]):
                raise CaseError("%s: expected NAME PROGRAM SCRIPT TIME KEEP [FRAME=PICTURE]... [answer=TEXT]..." % where)
            case = Case(fields[0], fields[1], fields[2], fields[3],
                        [frame_number(frame, where) for frame in fields[4].split(",")])
            for extra in fields[5:]:
                key, _, value = extra.partition("=")
                if not value:
                    raise CaseError("%s: expected FRAME=PICTURE or answer=TEXT, not %s" % (where, extra))
                if key == "answer":
                    case.answers.append(value)
                else:
                    case.pictures[frame_number(key, where)] = value
            try:
                case.seconds()
            except ValueError:
                raise CaseError("%s: the time %s is not like 2026-01-01T12:00:00" % (where, case.time)) from None
            if any(other.name == case.name for other in cases):
                raise CaseError("%s: a second case named %s" % (where, case.name))
            cases.append(case)
    return cases


def build_folder() -> str:
    return os.path.abspath(os.environ.get("ZAVOK_BUILD_DIR") or os.path.join(ROOT, "build"))


def read_programs(build: str) -> dict:
    path = os.path.join(build, "picture-programs.txt")
    try:
        with open(path) as file:
            return dict(line.rstrip("\n").split(" ", 1) for line in file if " " in line)
    except OSError:
        raise CaseError("no %s: configure the build first (tools/run-tests or build_project)" % path) from None


class Replays:
    """Replays cases one after the other in one session, started again only after a failure
    (the helper then ends the program and itself)."""

    def __init__(self, build: str, programs: dict):
        self.build = build
        self.programs = programs
        self.work = tempfile.mkdtemp(prefix="zavok-pictures.")
        self.session = None

    def replay(self, case: Case, outdir: str, expect: str = None, report: str = None, keep: frozenset = None):
        """Replays the case into outdir, keeping the frames of keep and the last one (None: all);
        returns the Checker (or None without expect)."""
        program = self.programs.get(case.program)
        if program is None or not os.path.isfile(program):
            raise ReplayError("no program %s in the build (%s)" % (case.program, program or "not a target"))
        script = os.path.join(ROOT, case.script)
        events = replaying.read_script(script)
        shutil.copyfile(script, os.path.join(self.work, constants.SCRIPT_FILE))
        settings = Settings(root=ROOT, build=self.build, program=os.path.abspath(program), work=self.work,
                            time_seconds=case.seconds(), answers=case.answers)
        replay = replaying.Replay(settings, script, events, keep=keep)
        saver = replaying.Saver(os.path.abspath(outdir))
        checker = replaying.Checker(os.path.abspath(expect), os.path.abspath(outdir)) if expect else None
        writer = None
        if report is not None:
            writer = replaying.ReportWriter(report, settings.program, script, case.time.replace("T", " ") + " UTC",
                                            saver, checker)
        observers = [saver] + ([checker] if checker else []) + ([writer] if writer else [])
        try:
            if self.session is None:
                self.session = Session(settings).__enter__()
            replaying.run(replay, observers, self.session)
        except ReplayError as error:
            self.close_session()
            if writer is not None:
                writer.close("the replay stopped: %s" % error, False)
            raise
        finally:
            saver.close()
        if writer is not None:
            answered = "".join('; answered "%s" with "%s"' % pair for pair in self.session.answered)
            writer.close("replayed %d events of %s%s" % (events, case.script, answered), False)
        return checker

    def close_session(self) -> None:
        if self.session is not None:
            self.session.close()
            self.session = None

    def close(self) -> None:
        self.close_session()
        shutil.rmtree(self.work, ignore_errors=True)


def golden_folder(case: Case) -> str:
    return os.path.join(GOLDEN, case.name)


def references(case: Case, events: int, folder: str) -> None:
    """Gathers a case's references in one folder as NNNN.png: its golden frames and the docs
    pictures it shows (links to them)."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for number in case.golden_numbers(events):
        os.symlink(os.path.join(golden_folder(case), "%04d.png" % number), os.path.join(folder, "%04d.png" % number))
    for number, picture in case.pictures_by_number(events).items():
        os.symlink(os.path.join(PICTURES, picture), os.path.join(folder, "%04d.png" % number))


def check(cases: list, replays: Replays) -> int:
    failed = 0
    for case in cases:
        started = time.monotonic()
        home = os.path.abspath(case.name)
        frames, expect = os.path.join(home, "frames"), os.path.join(home, "references")
        try:
            events = case.events()
            missing = [path for path in
                       [os.path.join(golden_folder(case), "%04d.png" % n) for n in case.golden_numbers(events)] +
                       [os.path.join(PICTURES, p) for p in case.pictures_by_number(events).values()]
                       if not os.path.isfile(path)]
            if missing:
                raise ReplayError("no reference %s (make it with tests/pictures/regenerate %s)"
                                  % (os.path.relpath(missing[0], ROOT), case.name))
            references(case, events, expect)
            keep = frozenset(case.golden_numbers(events)) | frozenset(case.pictures_by_number(events))
            checker = replays.replay(case, frames, expect=expect, keep=keep)
            checker.verdict()
            for number, picture in case.pictures_by_number(events).items():
                if not filecmp.cmp(os.path.join(frames, "%04d.png" % number), os.path.join(PICTURES, picture),
                                   shallow=False):
                    raise replaying.Differs("docs/pictures/%s has the pixels of frame %04d but not its bytes"
                                            % (picture, number))
        except (ReplayError, replaying.Differs) as error:
            failed += 1
            print("FAILED %s: %s (frames in %s; after looking at them: tests/pictures/regenerate %s)"
                  % (case.name, error, frames, case.name))
            continue
        shutil.rmtree(home, ignore_errors=True)
        print("ok %s: %d frames compared (%.1f s)" % (case.name, len(checker.compared), time.monotonic() - started))
    print("%d of %d picture cases match" % (len(cases) - failed, len(cases)))
    return 1 if failed else 0


def remake(cases: list, replays: Replays, build: str) -> int:
    review = os.path.join(build, "pictures-review")
    os.makedirs(review, exist_ok=True)
    changed = []
    for case in cases:
        events = case.events()
        frames = os.path.join(replays.work, "frames")
        had = os.path.join(replays.work, "references")
        references(case, events, had)
        for link in os.listdir(had):
            if not os.path.exists(os.path.join(had, link)):
                os.remove(os.path.join(had, link))
        page = os.path.join(review, case.name + ".html")
        replays.replay(case, frames, expect=had if os.listdir(had) else None, report=page)
        golden = golden_folder(case)
        kept = [(os.path.join(golden, "%04d.png" % n), n) for n in case.golden_numbers(events)]
        kept += [(os.path.join(PICTURES, p), n) for n, p in case.pictures_by_number(events).items()]
        for path, number in kept:
            source = os.path.join(frames, "%04d.png" % number)
            if not os.path.isfile(source):
                raise ReplayError("%s has no frame %04d" % (case.name, number))
            if not os.path.isfile(path) or not filecmp.cmp(source, path, shallow=False):
                changed.append("%s: %s (review: %s)" % (case.name, os.path.relpath(path, ROOT), page))
        shutil.rmtree(golden, ignore_errors=True)
        for path, number in kept:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            shutil.copyfile(os.path.join(frames, "%04d.png" % number), path)
        print("%s: %d frames kept" % (case.name, len(kept)))
    with open(os.path.join(review, "index.html"), "w") as index:
        index.write("<!DOCTYPE html><meta charset=utf-8><title>Picture cases</title><h1>Picture cases</h1><ul>\n")
        index.writelines('<li><a href="%s.html">%s</a></li>\n' % (case.name, case.name) for case in cases)
        index.write("</ul>\n")
    for line in changed:
        print("new or changed: " + line)
    print("No kept frame changed." if not changed else
          "%d kept frames are new or changed: look at each on its case's page before committing them." % len(changed))
    return 0


def main(arguments) -> int:
    if not arguments or arguments[0] not in ("check", "remake"):
        print(__doc__)
        return 2
    cases = read_cases()
    wanted = arguments[1:]
    unknown = [name for name in wanted if name not in {case.name for case in cases}]
    if unknown:
        raise CaseError("no picture case %s in %s" % (unknown[0], os.path.relpath(CASES, ROOT)))
    if wanted:
        cases = [case for case in cases if case.name in wanted]
    build = build_folder()
    replays = Replays(build, read_programs(build))
    try:
        return check(cases, replays) if arguments[0] == "check" else remake(cases, replays, build)
    finally:
        replays.close()


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (CaseError, ReplayError, OSError) as error:
        print("pictures: %s" % error, file=sys.stderr)
        sys.exit(2)
