"""A replay: the program stepped through its script one event at a time, each frame handed to
observers as it is taken. Observers save frames, compare them with references, write the
report, show progress; one that raises ReplayError ends the replay with that error. The
comparison goes on past a difference; Checker.verdict() says afterwards whether all matched."""

import os
import re
import shutil
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass, field

from . import frames as framing
from . import png
from . import constants
from .frames import Frame
from .progress import Progress as ProgressBar
from .report import TEXT_WINDOW_NOTE, Report
from .scripts import count_events, event_lines
from .session import ReplayError, Session, Settings

# A PERIODIC line may stand for up to 2^31-1 events; past this the replay would never end.
MAX_EVENTS = 100000


class Differs(Exception):
    """A frame (or the number of frames) unlike the references: one line, "frame NNNN differs first: ..."."""


@dataclass
class Replay:
    settings: Settings
    script: str  # the script file as given
    events: int  # how many events the script plays
    final_only: bool = False
    keep: frozenset = None  # the frames kept besides the last one; None: all (unless final_only)
    read_text: bool = False  # read the text window's lines with each frame
    text_shown: bool = False  # the text window had to be shown to be read
    started: float = field(default_factory=time.monotonic)
    first_frame: float = 0.0  # when frame 0000 was taken: the set-up and the start are over
    last_frame: float = 0.0

    def events_per_second(self) -> float:
        """Events replayed per second once the program was running (0 when there were none)."""
        spent = self.last_frame - self.first_frame
        return self.events / spent if self.events > 0 and spent > 0 else 0.0

    def kept(self, number: int) -> bool:
        """Whether frame `number` is one the replay keeps: all, or the last and those of keep, or
        with final_only the last alone. A frame not kept is not even read from the window."""
        if number == self.events or (self.keep is None and not self.final_only):
            return True
        return not self.final_only and number in self.keep


class Observer:
    """Told of the replay as it goes. Every method may raise Differs or ReplayError."""

    def started(self, replay: Replay) -> None:
        pass

    def frame(self, replay: Replay, frame: Frame) -> None:
        pass

    def finished(self, replay: Replay) -> None:
        pass


def read_script(path: str) -> int:
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError:
        raise ReplayError("cannot read the script %s" % path) from None
    return count_events(data)


def run(replay: Replay, observers, session: Session = None) -> None:
    """Plays every event of the script and hands each frame (0000 before the first event) to the
    observers in order, in a session of its own; or in the session given, where it starts the
    replay's program (Session.start_program) unless the session's own first program is still
    waiting for its replay."""
    if replay.events > MAX_EVENTS:
        raise ReplayError("the script holds %d events, more than the %d this tool replays" % (replay.events, MAX_EVENTS))
    for observer in observers:
        observer.started(replay)
    if session is None:
        with Session(replay.settings) as own:
            _play(replay, observers, own)
    else:
        if not session.program_running:
            session.start_program(replay.settings)
        elif session.settings is not replay.settings:
            raise ReplayError("the session runs another program")
        _play(replay, observers, session)
    for observer in observers:
        observer.finished(replay)


def _play(replay: Replay, observers, session: Session) -> None:
    for number in range(replay.events + 1):
        looked_at = replay.kept(number) or replay.read_text
        try:
            if looked_at:
                picture = session.play_one() if number > 0 else session.frame()
            else:
                session.step(number)
        except ReplayError as error:
            raise ReplayError("frame %s: %s" % (framing.name(number), error)) from None
        frame = Frame(number, picture.width, picture.height, picture.rgb) if looked_at else Frame(number, 0, 0, b"")
        if replay.read_text:
            try:
                frame.text, shown = session.text()
            except ReplayError as error:
                raise ReplayError("frame %s: %s" % (framing.name(number), error)) from None
            replay.text_shown = replay.text_shown or shown
        replay.last_frame = time.monotonic()
        if number == 0:
            replay.first_frame = replay.last_frame
        for observer in observers:
            observer.frame(replay, frame)
    session.quit()


# ---- The observers of the command line ------------------------------------------------------
FRAME_FILE = re.compile(r"^[0-9]{4,}(-diff)?\.png$")


class Saver(Observer):
    """Saves the kept frames as OUTDIR/NNNN.png, after removing an earlier run's frames, which
    would pass for this run's. Compressing a frame takes about as long as taking the next one,
    so it is done on a thread of its own (zlib lets other threads run meanwhile)."""

    def __init__(self, outdir: str):
        self.outdir = outdir
        self.saved = 0
        self.writer = ThreadPoolExecutor(max_workers=1)
        self.pending = []
        self.latest = None  # (number, future of the PNG file's bytes) of the frame saved last

    def started(self, replay: Replay) -> None:
        try:
            os.makedirs(self.outdir, exist_ok=True)
            for name in os.listdir(self.outdir):
                if FRAME_FILE.match(name) and os.path.isfile(os.path.join(self.outdir, name)):
                    os.remove(os.path.join(self.outdir, name))
        except OSError:
            raise ReplayError("cannot write pictures to %s" % self.outdir) from None
        if not os.access(self.outdir, os.W_OK):
            raise ReplayError("cannot write pictures to %s" % self.outdir)

    def path(self, number: int) -> str:
        return os.path.join(self.outdir, framing.name(number) + ".png")

    def frame(self, replay: Replay, frame: Frame) -> None:
        if not replay.kept(frame.number):
            return
        self._collect(done_only=True)
        self.latest = (frame.number, self.writer.submit(_save, self.path(frame.number), frame))
        self.pending.append((self.path(frame.number), self.latest[1]))

    def _collect(self, done_only: bool) -> None:
        while self.pending and (not done_only or self.pending[0][1].done()):
            path, writing = self.pending.pop(0)
            try:
                writing.result()
            except OSError:
                raise ReplayError("cannot write %s" % path) from None
            self.saved += 1

    def finished(self, replay: Replay) -> None:
        self._collect(done_only=False)

    def close(self) -> None:
        """Waits for the frames still being written (also when the replay failed)."""
        self.writer.shutdown(wait=True)


def _save(path: str, frame: Frame) -> bytes:
    data = png.encode(frame.width, frame.height, frame.rgb)
    with open(path, "wb") as file:
        file.write(data)
    return data


def reference_numbers(folder: str):
    """The frame numbers of the references NNNN.png in a folder."""
    try:
        names = os.listdir(folder)
    except OSError:
        raise ReplayError("no folder of reference pictures at %s" % folder) from None
    return sorted(int(name[:-4]) for name in names if re.match(r"^[0-9]{4,}\.png$", name))


class Checker(Observer):
    """Compares every kept frame that has a namesake in the reference folder, and writes the
    difference picture of each that differs (NNNN-diff.png); the references' last frame must be
    the replay's last. It goes on past a difference: verdict() tells the first one afterwards.
    `last_compared` is (number, reference picture, its PNG file, Difference or None) of the
    latest frame compared, for the report."""

    def __init__(self, folder: str, outdir: str):
        self.folder = folder
        self.outdir = outdir
        self.compared = 0
        self.differences = []  # one line each: "frame NNNN: ..."
        self.last_compared = None
        numbers = reference_numbers(folder)
        if not numbers:
            raise ReplayError("no reference pictures (NNNN.png) in %s" % folder)
        self.last = numbers[-1]

    def started(self, replay: Replay) -> None:
        if replay.final_only and replay.events != self.last:
            shorter = min(replay.events, self.last)
            self.differences.append("frame %s: the script plays %d events, the reference's last frame is %s"
                                    % (framing.name(shorter + 1), replay.events, framing.name(self.last)))

    def frame(self, replay: Replay, frame: Frame) -> None:
        self.last_compared = None
        name = framing.name(frame.number)
        if frame.number == self.last + 1:
            self.differences.append("frame %s: the reference ends at frame %s, the script goes on to %s"
                                    % (name, framing.name(self.last), framing.name(replay.events)))
        reference = os.path.join(self.folder, name + ".png")
        if not replay.kept(frame.number) or not os.path.isfile(reference):
            return
        self.compared += 1
        try:
            with open(reference, "rb") as file:
                data = file.read()
            picture = png.decode(data, reference)
        except (OSError, png.PngError) as error:
            self.differences.append("frame %s: it cannot be compared with %s (%s)" % (name, reference, error))
            return
        difference = framing.difference(frame, picture)
        self.last_compared = (frame.number, picture, data, difference)
        if difference is None:
            return
        if difference.pixels < 0:
            self.differences.append("frame %s: it cannot be compared with %s (%s)" % (name, reference, difference.reason))
            return
        diff = os.path.join(self.outdir, name + "-diff.png")
        try:
            png.write(diff, *difference.image)
        except OSError:
            raise ReplayError("cannot write %s" % diff) from None
        self.differences.append("frame %s: %d pixels unlike %s (difference: %s)" % (name, difference.pixels, reference, diff))

    def finished(self, replay: Replay) -> None:
        if replay.events < self.last and not replay.final_only:
            self.differences.append("frame %s: the replay ends at frame %s, the reference goes on to %s"
                                    % (framing.name(replay.events + 1), framing.name(replay.events), framing.name(self.last)))

    def verdict(self) -> None:
        """Raises Differs, "frame NNNN differs first: ...", when a frame differed."""
        if self.differences:
            first = self.differences[0].replace(":", " differs first:", 1)
            more = len(self.differences) - 1
            raise Differs(first + ("; %d more differences" % more if more else ""))


class ReportWriter(Observer):
    """Writes the report page (--report): a row per frame with the script line that caused it
    (a PERIODIC(n) line causes n events), the frame, its reference and difference when the
    Checker compared it, the text window's lines when read. Encoding the pictures is done on a
    thread of its own, as the Saver does."""

    def __init__(self, path: str, program: str, script: str, time_text: str, saver: Saver, checker: Checker = None):
        self.report = Report(path, program, script, time_text)
        self.saver = saver
        self.checker = checker
        self.lines = []
        self.writer = ThreadPoolExecutor(max_workers=1)
        self.pending = []
        self.summary = ""

    def started(self, replay: Replay) -> None:
        try:
            with open(replay.script, "rb") as file:
                data = file.read()
        except OSError:
            raise ReplayError("cannot read the script %s" % replay.script) from None
        for line, count in event_lines(data):
            if len(self.lines) >= replay.events:
                break
            self.lines.extend([line.decode("latin-1")] * min(count, replay.events - len(self.lines)))

    def frame(self, replay: Replay, frame: Frame) -> None:
        if not replay.kept(frame.number):
            return
        compared = self.checker.last_compared if self.checker is not None else None
        if compared is None or compared[0] != frame.number:
            compared = (frame.number, None, None, None)
        saved = self.saver.latest[1] if self.saver.latest and self.saver.latest[0] == frame.number else None
        line = self.lines[frame.number - 1] if 0 < frame.number <= len(self.lines) else None
        self.pending.append(self.writer.submit(self._add, frame, line, saved, compared))

    def _add(self, frame: Frame, line: str, saved, compared) -> None:
        _, reference, reference_data, difference = compared
        self.report.add_event(frame.number, line, frame, reference, frame.text,
                              frame_data=saved.result() if saved is not None else None,
                              reference_data=reference_data, difference=difference)

    def close(self, summary: str, text_shown: bool) -> str:
        """Writes the page (also after a failed replay, with what it has); returns its path."""
        self.writer.shutdown(wait=True)
        for writing in self.pending:
            writing.result()
        if text_shown:
            self.report.notes.append(TEXT_WINDOW_NOTE)
        try:
            return self.report.finish(summary)
        except OSError:
            raise ReplayError("cannot write the report %s" % self.report.path) from None


class Progress(Observer):
    """A bar on the standard error when that is a terminal (events done, events a second, time
    left), else the plain lines "frame N of M"."""

    def __init__(self, stream):
        self.stream = stream
        self.bar = None

    def frame(self, replay: Replay, frame: Frame) -> None:
        if self.bar is None:  # the rate counts from the first frame, the start-up left out
            self.bar = ProgressBar(replay.events, stream=self.stream)
        self.bar.update(frame.number)

    def end_line(self) -> None:
        if self.bar is not None:
            self.bar.finish()


# ---- The command line's replay --------------------------------------------------------------
@dataclass
class Options:
    """What tools/zavok-replay is asked for besides the program, the script and OUTDIR."""
    time_seconds: int
    expect: str = None  # a folder of references
    report: str = None  # the page's file
    text: bool = False
    final_only: bool = False
    answers: list = field(default_factory=list)
    progress: object = None  # a stream for the progress bar or lines; None: none


@dataclass
class Outcome:
    replay: Replay
    saver: Saver
    checker: Checker = None  # when references were given
    seconds: float = 0.0  # the whole run, start-up included
    summary: str = ""  # one line: what was replayed, how fast, where it went, what matched


def replay_script(root: str, build: str, program: str, script: str, outdir: str, options: Options) -> Outcome:
    """Replays the script through the program in a world of its own, saving the frames to outdir,
    as tools/zavok-replay does; raises ReplayError. The outcome's checker.verdict() tells whether
    the frames matched the references."""
    if not os.path.isfile(program):
        raise ReplayError("no program at %s" % program)
    events = read_script(script)
    checker = None
    if options.expect is not None:
        if not os.path.isdir(options.expect):
            raise ReplayError("no folder of reference pictures at %s" % options.expect)
        checker = Checker(os.path.abspath(options.expect), os.path.abspath(outdir))
    stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(options.time_seconds))
    saver = Saver(os.path.abspath(outdir))
    report = None
    if options.report is not None:
        report = ReportWriter(options.report, os.path.abspath(program), os.path.abspath(script), stamp + " UTC",
                              saver, checker)
    work = tempfile.mkdtemp(prefix="zavok-replay.")
    failure = None
    try:
        shutil.copyfile(script, os.path.join(work, constants.SCRIPT_FILE))
        settings = Settings(root=root, build=os.path.abspath(build), program=os.path.abspath(program), work=work,
                            time_seconds=options.time_seconds, answers=options.answers)
        replay = Replay(settings, script, events, final_only=options.final_only, read_text=options.text)
        progress = Progress(options.progress) if options.progress is not None else None
        observers = [saver] + ([checker] if checker else []) + ([report] if report else []) + \
            ([progress] if progress else [])
        try:
            run(replay, observers)
        except ReplayError as error:
            failure = error
            raise
        finally:
            saver.close()
            if progress is not None:
                progress.end_line()
            if report is not None and failure is not None:
                report.close("the replay stopped: %s" % failure, replay.text_shown)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    outcome = Outcome(replay, saver, checker, time.monotonic() - replay.started)
    summary = "replayed %d events of %s at %s UTC in %.1f s" % (events, script, stamp, outcome.seconds)
    if replay.events_per_second() > 0:
        summary += " (%.0f events a second once started)" % replay.events_per_second()
    summary += "; %d frames in %s" % (saver.saved, os.path.abspath(outdir))
    if checker is not None:
        if checker.differences:
            summary += "; %d differences from %s" % (len(checker.differences), checker.folder)
        else:
            summary += "; all %d compared with %s match" % (checker.compared, checker.folder)
    if report is not None:
        summary += "; report: %s" % report.close(summary, replay.text_shown)
    outcome.summary = summary
    return outcome
