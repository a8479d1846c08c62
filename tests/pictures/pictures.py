#!/usr/bin/env python3
"""Every picture of cases.txt made by its replay: the programs replayed through their scripts at
their frozen times, all in one replay session (one display, one Wine), one after the other.

  pictures.py check [NAME...]   every kept frame must have the pixels of its golden frame and
                                every docs picture the bytes the replay writes; the made
                                pictures of a case that failed stay in the current folder, NAME/
  pictures.py remake [NAME...]  keeps the pictures anew, names those that changed and writes one
                                review page of them all, BUILD/pictures-review/index.html
NAME is a case's name or a group's (cases.py): all the cases when none is given.

The programs are found through BUILD/picture-programs.txt ("TARGET PATH" lines, written by
tests/CMakeLists.txt), BUILD being $ZAVOK_BUILD_DIR or build/. The remake command,
tools/remake-pictures, builds them first. Exit status: 0 all done (all matched), 1 a picture
differs, 2 an error."""

import html
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import cases as listed
from cases import CaseError, ROOT

sys.path.insert(0, os.path.join(ROOT, "replay"))
from zavokreplay import constants, png, replay as replaying  # noqa: E402
from zavokreplay.frames import difference  # noqa: E402
from zavokreplay.session import ReplayError, Session, Settings  # noqa: E402

# The report page's picture: the browser's window, and its fonts, the pinned Liberation faces
# alone, so that no other font on the machine changes the page.
PAGE_WINDOW = (2100, 940)
PAGE_FONTS = "/usr/share/fonts/truetype/liberation"
BROWSER_SECONDS = 90
# The one thing on a report page that changes from run to run: how long the replay took.
RUN_TIME = re.compile(r" in [0-9.]+ s(?: \([0-9]+ events a second once started\))?")


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

    def program(self, case: listed.Case) -> str:
        program = self.programs.get(case.program)
        if program is None or not os.path.isfile(program):
            raise ReplayError("no program %s in the build (%s)" % (case.program, program or "not a target"))
        return os.path.abspath(program)

    def open_session(self, settings: Settings) -> Session:
        if self.session is None:
            self.session = Session(settings).__enter__()
        return self.session

    def replay(self, case: listed.Case, outdir: str, seconds: int, keep: frozenset = None) -> None:
        """Replays the case at `seconds` into outdir, keeping the frames of keep and the last
        one (None: all)."""
        script = case.script_path()
        shutil.copyfile(script, os.path.join(self.work, constants.SCRIPT_FILE))
        settings = Settings(root=ROOT, build=self.build, program=self.program(case), work=self.work,
                            time_seconds=seconds, answers=case.answers)
        saver = replaying.Saver(os.path.abspath(outdir))
        try:
            replaying.run(replaying.Replay(settings, script, replaying.read_script(script), keep=keep),
                          [saver], self.open_session(settings))
        except ReplayError:
            self.close_session()
            raise
        finally:
            saver.close()

    def report(self, case: listed.Case, folder: str) -> str:
        """The report page of the case's replay against its reference time, as zavok-replay
        --expect --text --report writes it, made in folder under short relative names; returns
        its path. The frames are left in folder/new."""
        self.replay(case, os.path.join(folder, "reference"), case.seconds_of(case.reference_time))
        os.symlink(self.program(case), os.path.join(folder, case.program + ".exe"))
        shutil.copyfile(case.script_path(), os.path.join(folder, os.path.basename(case.script)))
        options = replaying.Options(case.seconds(), expect="reference", report="report.html", text=True,
                                    answers=case.answers)
        here = os.getcwd()
        os.chdir(folder)
        try:
            outcome = replaying.replay_script(ROOT, self.build, case.program + ".exe", os.path.basename(case.script),
                                              "new", options, session=self.session)
        finally:
            os.chdir(here)
        if outcome.results.error:
            self.close_session()
            raise ReplayError(outcome.results.error)
        page = os.path.join(folder, "report.html")
        with open(page, encoding="utf-8") as file:
            text, found = RUN_TIME.subn("", file.read())
        if found != 1:
            raise ReplayError("the report's summary no longer says how long the replay took as %s expects"
                              % os.path.relpath(__file__, ROOT))
        with open(page, "w", encoding="utf-8") as file:
            file.write(text)
        return page

    def close_session(self) -> None:
        if self.session is not None:
            self.session.close()
            self.session = None

    def close(self) -> None:
        self.close_session()
        shutil.rmtree(self.work, ignore_errors=True)


def screenshot(page: str, picture: str, work: str) -> None:
    """Chromium's picture of the page, written as the replay writes its frames."""
    fonts = os.path.join(work, "fonts.conf")
    with open(fonts, "w") as file:
        file.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n<fontconfig><dir>%s</dir>'
                   '<cachedir>%s</cachedir>%s</fontconfig>\n' % (PAGE_FONTS, os.path.join(work, "font-cache"), "".join(
                       "<alias><family>%s</family><prefer><family>Liberation %s</family></prefer></alias>" % pair
                       for pair in (("sans-serif", "Sans"), ("serif", "Serif"), ("monospace", "Mono")))))
    shot = os.path.join(work, "screenshot.png")
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--hide-scrollbars", "--force-device-scale-factor=1", "--user-data-dir=" + os.path.join(work, "profile"),
               "--window-size=%d,%d" % PAGE_WINDOW, "--screenshot=" + shot, "file://" + os.path.abspath(page)]
    subprocess.run(command, capture_output=True, timeout=BROWSER_SECONDS, env=dict(os.environ, FONTCONFIG_FILE=fonts))
    if not os.path.isfile(shot):
        raise ReplayError("Chromium made no picture of %s" % page)
    png.write(picture, *png.read(shot))


def make(case: listed.Case, replays: Replays, folder: str) -> dict:
    """Replays the case into folder; returns each picture it keeps (a golden frame's or a docs
    picture's path) with the file just made for it."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    events = replaying.read_script(case.script_path())
    kept = case.kept(events)
    if case.page is None:
        frames = os.path.join(folder, "frames")
        replays.replay(case, frames, case.seconds(), frozenset(kept))
    else:
        page = replays.report(case, folder)
        frames = os.path.join(folder, "new")
        made_page = os.path.join(folder, "page.png")
        screenshot(page, made_page, folder)
    made = {path: os.path.join(frames, "%04d.png" % number) for number, path in kept.items()}
    if case.page is not None:
        made[os.path.join(listed.DOCS, case.page)] = made_page
    for path, source in made.items():
        if not os.path.isfile(source):
            raise ReplayError("%s made no %s" % (case.name, os.path.basename(source)))
    return made


def is_docs(path: str) -> bool:
    return path.startswith(listed.DOCS + os.sep)


def same(kept: str, made: str) -> bool:
    """Docs pictures byte for byte (they are what the replay writes); golden frames pixel for
    pixel (how their files were compressed is no change)."""
    if not os.path.isfile(kept):
        return False
    with open(kept, "rb") as old, open(made, "rb") as new:
        if old.read() == new.read():
            return True
    return not is_docs(kept) and png.read(kept) == png.read(made)


def check(cases: list, replays: Replays) -> int:
    failed = 0
    for case in cases:
        started = time.monotonic()
        home = os.path.abspath(case.name)
        try:
            made = make(case, replays, home)
            differing = [kept for kept, new in made.items() if not same(kept, new)]
        except ReplayError as error:
            failed += 1
            print("FAILED %s: %s" % (case.name, error))
            continue
        if differing:
            failed += 1
            for kept in differing:
                found = difference(png.read(made[kept]), png.read(kept)) if os.path.isfile(kept) else None
                if found is not None and found.image is not None:
                    png.write(made[kept][:-4] + "-diff.png", *found.image)
            print("FAILED %s: %s differs (%s); made in %s (after looking at them: tools/remake-pictures %s)"
                  % (case.name, os.path.relpath(differing[0], ROOT), describe(made[differing[0]], differing[0]),
                     home, case.name))
            continue
        shutil.rmtree(home, ignore_errors=True)
        print("ok %s: %d pictures (%.1f s)" % (case.name, len(made), time.monotonic() - started))
    print("%d of %d picture cases match" % (len(cases) - failed, len(cases)))
    return 1 if failed else 0


def describe(made: str, kept: str) -> str:
    if not os.path.isfile(kept):
        return "there is none"
    found = difference(png.read(made), png.read(kept))
    if found is None:
        return "the same pixels in other bytes: not as the replay writes it"
    return found.reason or "%d pixels" % found.pixels


def remake(cases: list, replays: Replays, build: str) -> int:
    review = os.path.join(build, "pictures-review")
    shutil.rmtree(review, ignore_errors=True)
    os.makedirs(review)
    changed = []  # (kept path, the review's old copy or None, the review's new copy)
    for case in cases:
        made = make(case, replays, os.path.join(replays.work, "made"))
        differing = sorted(kept for kept, new in made.items() if not same(kept, new))
        for kept in differing:
            number = len(changed)
            old = None
            if os.path.isfile(kept):
                old = os.path.join(review, "%03d-old.png" % number)
                shutil.copyfile(kept, old)
            shutil.copyfile(made[kept], os.path.join(review, "%03d-new.png" % number))
            changed.append((kept, old, os.path.join(review, "%03d-new.png" % number)))
            print("%s: %s" % ("changed" if old else "new", os.path.relpath(kept, ROOT)))
            os.makedirs(os.path.dirname(kept), exist_ok=True)
            shutil.copyfile(made[kept], kept)
        golden = case.golden_folder()
        for name in sorted(os.listdir(golden)) if os.path.isdir(golden) else []:
            if os.path.join(golden, name) not in made:
                print("no longer kept: %s" % os.path.relpath(os.path.join(golden, name), ROOT))
                os.remove(os.path.join(golden, name))
    page = write_review(review, changed, len(cases))
    print("No picture changed." if not changed else
          "%d pictures are new or changed: look at each on %s before committing them." % (len(changed), page))
    return 0


def write_review(review: str, changed: list, case_count: int) -> str:
    """One page of every picture that changed: the old one, the new one and their difference."""
    rows = []
    for kept, old, new in changed:
        cells = ['<figure><img src="%s" alt="new"><figcaption>new</figcaption></figure>' % os.path.basename(new)]
        if old is not None:
            cells.insert(0, '<figure><img src="%s" alt="old"><figcaption>old</figcaption></figure>'
                         % os.path.basename(old))
            found = difference(png.read(new), png.read(old))
            if found is not None and found.image is not None:
                png.write(new[:-8] + "-diff.png", *found.image)
                cells.append('<figure><img src="%s" alt="difference"><figcaption>%d pixels differ</figcaption>'
                             '</figure>' % (os.path.basename(new[:-8] + "-diff.png"), found.pixels))
            elif found is not None:
                cells.append("<p>%s</p>" % html.escape(found.reason))
            else:
                cells.append("<p>the same pixels, written anew by the replay</p>")
        rows.append("<h2>%s</h2><div>%s</div>" % (html.escape(os.path.relpath(kept, ROOT)), "".join(cells)))
    page = os.path.join(review, "index.html")
    with open(page, "w", encoding="utf-8") as file:
        file.write('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8"><title>Pictures remade</title>'
                   "<style>body { font: 14px sans-serif; } div { display: flex; gap: 12px; align-items: flex-start; }"
                   " img { border: 1px solid #ccc; max-width: 100%%; }</style></head><body>\n"
                   "<h1>Pictures remade</h1><p>%d cases replayed; %d pictures are new or changed.</p>\n%s\n"
                   "</body></html>\n" % (case_count, len(changed), "\n".join(rows)))
    return page


def main(arguments) -> int:
    if not arguments or arguments[0] not in ("check", "remake"):
        print(__doc__)
        return 2
    cases = listed.read_cases()
    wanted = arguments[1:]
    unknown = [name for name in wanted if name not in {case.name for case in cases} | {case.group for case in cases}]
    if unknown:
        raise CaseError("no picture case or group %s in %s" % (unknown[0], os.path.relpath(listed.CASES, ROOT)))
    if wanted:
        cases = [case for case in cases if case.name in wanted or case.group in wanted]
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
