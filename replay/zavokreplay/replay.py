"""A replay: the program stepped through its script one event at a time, each frame handed to
observers as it is taken. Observers save frames, compare them with references, write the
report, show progress; one that raises ReplayError ends the replay with that error. The
comparison goes on past a difference, and a program that hangs or ends only stops the replay
(Replay.stop): what it found is told afterwards by results.Results."""

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
from .results import Event, Results, Stop, shown_path
from .scripts import count_events, described_events
from .session import EVENT_TIMEOUT_MS, ProgramStopped, ReplayError, Session, Settings

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
    expect_end: bool = False  # the program must end at the last event
    text_shown: bool = False  # the text window had to be shown to be read
    stop: Stop = None  # how the program stopped before the script's end, or did not end as asked
    texts: dict = field(default_factory=dict)  # the text window's lines of each frame read
    started: float = field(default_factory=time.monotonic)
    first_frame: float = 0.0  # when frame 0000 was taken: the set-up and the start are over
    last_frame: float = 0.0
    taken: int = -1  # the number of the last frame taken

    def events_per_second(self) -> float:
        """Events replayed per second once the program was running (0 when there were none)."""
        spent = self.last_frame - self.first_frame
        return self.taken / spent if self.taken > 0 and spent > 0 else 0.0

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
        raise ReplayError("cannot read the script %s" % shown_path(path)) from None
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
            if session.settings.program != replay.settings.program:
                raise ReplayError("the session runs another program")
            session.settings = replay.settings  # the same program, started with the session
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
            if replay.read_text:
                text, shown = session.text()
        except ProgramStopped as stopped:
            # An end at the last event with status 0 is what its last key asked for.
            if not (stopped.how == "ended" and stopped.status == 0 and number == replay.events > 0):
                replay.stop = Stop(number, stopped.how, stopped.status)
            return
        except ReplayError as error:
            raise ReplayError("frame %s: %s" % (framing.name(number), error)) from None
        frame = Frame(number, picture.width, picture.height, picture) if looked_at else Frame(number)
        if replay.read_text:
            frame.text = replay.texts[number] = text
            replay.text_shown = replay.text_shown or shown
        replay.last_frame = time.monotonic()
        replay.taken = number
        if number == 0:
            replay.first_frame = replay.last_frame
        for observer in observers:
            observer.frame(replay, frame)
    if replay.expect_end:
        status = session.await_end()
        if status != 0:
            replay.stop = Stop(replay.events, "still" if status is None else "ended", status or 0)
    else:
        session.quit()


# ---- The observers of the command line ------------------------------------------------------
FRAME_FILE = re.compile(r"^[0-9]{4,}(-diff\.png|\.png|\.txt)$")


class Saver(Observer):
    """Saves the kept frames as OUTDIR/NNNN.png, and the text window's lines, when read, as
    NNNN.txt, after removing an earlier run's frames, which would pass for this run's.
    Compressing a frame takes about as long as taking the next one, so it is done on a thread of
    its own (zlib lets other threads run meanwhile)."""

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
            raise ReplayError("cannot write pictures to %s" % shown_path(self.outdir)) from None
        if not os.access(self.outdir, os.W_OK):
            raise ReplayError("cannot write pictures to %s" % shown_path(self.outdir))

    def path(self, number: int) -> str:
        return os.path.join(self.outdir, framing.name(number) + ".png")

    def frame(self, replay: Replay, frame: Frame) -> None:
        if frame.text is not None:
            path = os.path.join(self.outdir, framing.name(frame.number) + ".txt")
            try:
                with open(path, "w", encoding="utf-8") as file:
                    file.write("".join(line + "\n" for line in frame.text))
            except OSError:
                raise ReplayError("cannot write %s" % shown_path(path)) from None
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
                raise ReplayError("cannot write %s" % shown_path(path)) from None
            self.saved += 1

    def finished(self, replay: Replay) -> None:
        self._collect(done_only=False)

    def close(self) -> None:
        """Waits for the frames still being written (also when the replay failed)."""
        self.writer.shutdown(wait=True)
        self.saved += sum(1 for _, writing in self.pending if writing.exception() is None)
        self.pending = []


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
        raise ReplayError("no folder of reference pictures at %s" % shown_path(folder)) from None
    return sorted(int(name[:-4]) for name in names if re.match(r"^[0-9]{4,}\.png$", name))


@dataclass
class Compared:
    """A frame against its reference: pixels unlike it (-1: they cannot be compared), how the
    text differs (None: it does not, or was not compared), and whether the frame passes."""
    pixels: int
    text_differs: str = None
    passed: bool = True


class Checker(Observer):
    """Compares every kept frame that has a namesake in the reference folder (NNNN.png, and with
    the text read NNNN.txt), and writes the difference picture of each that differs
    (NNNN-diff.png). A frame passes when at most max_diff_pixels pixels differ and its text is
    the reference's. The references must end where the script does (at its last event, or the
    one before when the reference program ended there).

    The work is done on a thread of its own, after the Saver's: a frame whose PNG file has the
    reference's bytes has its pixels (the files are written without time stamps), and only a
    frame that differs is decoded. collect() gathers what was found: `compared`, each frame's
    Compared, and `differences`, a line for each difference in frame order; checked(number),
    asked for right after frame(), is the future of (Compared, reference picture, its PNG file,
    Difference) for the report."""

    def __init__(self, folder: str, outdir: str, max_diff_pixels: int = 0, saver: Saver = None):
        self.folder = folder
        self.outdir = outdir
        self.max_diff_pixels = max_diff_pixels
        self.saver = saver
        self.compared = {}
        self.differences = []  # one line each: "frame NNNN: ..."
        self.problems = []  # the differences that belong to no frame
        self.pending = {}  # frame number: future of (Compared, picture, data, Difference, lines)
        self.worker = ThreadPoolExecutor(max_workers=1)
        numbers = reference_numbers(folder)
        if not numbers:
            raise ReplayError("no reference pictures (NNNN.png) in %s" % shown_path(folder))
        self.last = numbers[-1]

    def _problem(self, line: str) -> None:
        self.differences.append(line)
        self.problems.append(line)

    def started(self, replay: Replay) -> None:
        if replay.final_only and replay.events != self.last:
            self._problem("frame %s: the script plays %d events, the reference's last frame is %s"
                          % (framing.name(min(replay.events, self.last) + 1), replay.events, framing.name(self.last)))

    def frame(self, replay: Replay, frame: Frame) -> None:
        self._collect(done_only=True)
        reference = os.path.join(self.folder, framing.name(frame.number) + ".png")
        if not replay.kept(frame.number) or not os.path.isfile(reference):
            return
        saver = self.saver
        encoded = saver.latest[1] if saver is not None and saver.latest and saver.latest[0] == frame.number else None
        self.pending[frame.number] = self.worker.submit(self._check, frame, reference, encoded)

    def checked(self, number: int):
        return self.pending.get(number)

    def _check(self, frame: Frame, reference: str, encoded):
        name = framing.name(frame.number)
        lines = []
        try:
            with open(reference, "rb") as file:
                data = file.read()
            if encoded is not None and encoded.result() == data:
                picture, difference = frame, None  # the same file, so the same pixels
            else:
                picture = png.decode(data, reference)
                difference = framing.difference(frame, picture)
        except (OSError, png.PngError) as error:
            picture, data, difference = None, None, framing.Difference(-1, str(error))
        pixels = 0 if difference is None else difference.pixels
        compared = Compared(pixels, self._text_differs(frame), 0 <= pixels <= self.max_diff_pixels)
        compared.passed = compared.passed and compared.text_differs is None
        if pixels < 0:
            lines.append("frame %s: it cannot be compared with %s (%s)" % (name, shown_path(reference), difference.reason))
        elif pixels > 0:
            diff = os.path.join(self.outdir, name + "-diff.png")
            try:
                png.write(diff, *difference.image)
            except OSError:
                raise ReplayError("cannot write %s" % shown_path(diff)) from None
            if pixels > self.max_diff_pixels:
                lines.append("frame %s: %d pixels unlike %s (difference: %s)"
                             % (name, pixels, shown_path(reference), shown_path(diff)))
        if compared.text_differs is not None:
            lines.append("frame %s: its text differs: %s" % (name, compared.text_differs))
        return compared, picture, data, difference if picture is not None else None, lines

    def collect(self) -> None:
        """Waits for the frames still being compared and takes in what was found."""
        self._collect(done_only=False)

    def _collect(self, done_only: bool) -> None:
        """Takes in what was found for the frames compared so far, in frame order, and lets go of
        their pictures (once the report, too, is done with them): a long replay would otherwise
        hold every frame in memory, and a process whose memory only grows pays for each new page."""
        for number in sorted(self.pending):
            if done_only and not self.pending[number].done():
                return
            compared, _, _, _, lines = self.pending.pop(number).result()
            self.compared[number] = compared
            self.differences.extend(lines)

    def _text_differs(self, frame: Frame):
        path = os.path.join(self.folder, framing.name(frame.number) + ".txt")
        if frame.text is None or not os.path.isfile(path):
            return None
        try:
            with open(path, encoding="utf-8", errors="replace") as file:
                wanted = file.read().splitlines()
        except OSError:
            raise ReplayError("cannot read %s" % shown_path(path)) from None
        if wanted == frame.text:
            return None
        for at, (line, expected) in enumerate(zip(frame.text + [None] * len(wanted), wanted + [None] * len(frame.text))):
            if line != expected:
                return "line %d is %s, the reference's %s" % (at + 1, _quoted(line), _quoted(expected))
        return None

    def finished(self, replay: Replay) -> None:
        self.collect()
        if replay.final_only or replay.stop is not None:
            return
        self.last = reference_numbers(self.folder)[-1]  # a reference program's came in as it went
        if not replay.events - 1 <= self.last <= replay.events:
            self._problem("the reference's frames end at %s, the script plays %d events"
                          % (framing.name(self.last), replay.events))

    def verdict(self) -> None:
        """Raises Differs, "frame NNNN differs first: ...", when a frame differed."""
        if self.differences:
            first = self.differences[0].replace(":", " differs first:", 1)
            more = len(self.differences) - 1
            raise Differs(first + ("; %d more differences" % more if more else ""))


def _quoted(line) -> str:
    return "missing" if line is None else '"%s"' % line


class ReportWriter(Observer):
    """Writes the report page (--report): a row per frame with the script line that caused it
    (a PERIODIC(n) line causes n events), the frame, its reference and difference when the
    Checker compared it, the text window's lines when read; and once the replay is over a row for
    the event at which the program stopped and for each event never reached. Encoding the
    pictures is done on a thread of its own, as the Saver does."""

    def __init__(self, path: str, program: str, script: str, time_text: str, saver: Saver, checker: Checker = None):
        self.report = Report(path, program, script, time_text)
        self.saver = saver
        self.checker = None
        self.compare_with(checker)
        self.lines = []
        self.writer = ThreadPoolExecutor(max_workers=1)
        self.pending = []

    def compare_with(self, checker: Checker) -> None:
        """Shows the references and differences of the checker's frames (None: no references)."""
        self.checker = checker
        self.report.max_diff_pixels = checker.max_diff_pixels if checker is not None else 0

    def started(self, replay: Replay) -> None:
        self.lines = [line for _, line, _ in script_events(replay.script, replay.events)]

    def _line(self, number: int):
        return self.lines[number - 1] if 0 < number <= len(self.lines) else None

    def frame(self, replay: Replay, frame: Frame) -> None:
        if not replay.kept(frame.number):
            return
        checked = self.checker.checked(frame.number) if self.checker is not None else None
        saved = self.saver.latest[1] if self.saver.latest and self.saver.latest[0] == frame.number else None
        self.pending.append(self.writer.submit(self._add, frame, self._line(frame.number), saved, checked))

    def _add(self, frame: Frame, line: str, saved, checked) -> None:
        compared, reference, reference_data, difference, _ = checked.result() if checked is not None else \
            (None, None, None, None, None)
        self.report.add_event(frame.number, line, frame, reference, frame.text,
                              frame_data=saved.result() if saved is not None else None,
                              reference_data=reference_data, difference=difference,
                              text_differs=compared.text_differs if compared is not None else None)

    def close(self, summary: str, text_shown: bool, results: Results = None) -> str:
        """Writes the page (also after a failed replay, with what it has); returns its path.
        With the results, the outcome heads the page, and the events without a frame get rows."""
        self.writer.shutdown(wait=True)
        for writing in self.pending:
            writing.result()
        for event in results.events if results is not None else ():
            if event.state != "taken":
                self.report.add_missing(event.number, event.source, {
                    "not reached": "not reached", "finished": "the program ended here, as the script's last event asked"
                }.get(event.state, results.message()))
        if text_shown:
            self.report.notes.append(TEXT_WINDOW_NOTE)
        try:
            return self.report.finish(summary, results)
        except OSError:
            raise ReplayError("cannot write the report %s" % shown_path(self.report.path)) from None


def script_events(path: str, events: int) -> list:
    """The script's first `events` events as (line number, line, what), see described_events."""
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError:
        raise ReplayError("cannot read the script %s" % shown_path(path)) from None
    return list(described_events(data, events))


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
    """What zavok-replay is asked for besides the program, the script and OUTDIR."""
    time_seconds: int
    expect: str = None  # a folder of references
    reference_program: str = None  # a program whose frames are the references
    report: str = None  # the page's file
    json: str = None
    junit: str = None
    text: bool = False
    final_only: bool = False
    expect_end: bool = False
    max_diff_pixels: int = 0
    event_timeout_ms: int = EVENT_TIMEOUT_MS
    answers: list = field(default_factory=list)
    progress: object = None  # a stream for the progress bar or lines; None: none


@dataclass
class Outcome:
    results: Results
    replay: Replay = None
    reference: Replay = None  # the reference program's replay (--reference-program)
    saver: Saver = None
    checker: Checker = None  # when frames were compared
    writer: ReportWriter = None  # when a report was asked for
    seconds: float = 0.0  # the whole run, start-up included
    summary: str = ""  # one line: what was replayed, how fast, where it went, what was found

    def events_per_second(self) -> float:
        """The script's events replayed per second once the program was running; with a reference
        program, over the time that either was running (both at once, or one after the other)."""
        spans = [(replay.first_frame, replay.last_frame) for replay in (self.replay, self.reference)
                 if replay is not None and replay.first_frame]
        spent = sum(end - start for start, end in spans)
        if len(spans) == 2:
            spent -= max(0.0, min(spans[0][1], spans[1][1]) - max(spans[0][0], spans[1][0]))
        return self.replay.taken / spent if spent > 0 and self.replay.first_frame else 0.0


def replay_script(root: str, build: str, program: str, script: str, outdir: str, options: Options,
                  session: Session = None) -> Outcome:
    """Replays the script through the program in a world of its own, saving the frames to outdir
    and comparing them with the references asked for, as zavok-replay does. Every failure,
    an interruption (KeyboardInterrupt) included, ends up in the outcome's results as an error,
    after the world has been ended; the report, JSON and JUnit files are written in any case.
    Given a session (whose event time-out is the helper's), it replays there and leaves it open."""
    started = time.monotonic()
    stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(options.time_seconds)) + " UTC"
    reference = options.reference_program or options.expect
    results = Results(program, script, stamp, reference=reference, max_diff_pixels=options.max_diff_pixels)
    outcome = Outcome(results)
    try:
        try:
            _replay_script(root, build, program, script, outdir, options, outcome, session)
        except ReplayError as error:
            results.error = str(error)
        except OSError as error:
            results.error = _failed(error)
        except KeyboardInterrupt:
            results.error = "interrupted"
        _fill(results, outcome)
        outcome.seconds = results.seconds = time.monotonic() - started
        outcome.summary = _summary(outcome, outdir)
        paths = {"frames": outdir, "report": options.report}
        if outcome.writer is not None:
            outcome.writer.close(outcome.summary, outcome.replay.text_shown, results)
        if options.json is not None:
            results.write_json(options.json, paths)
        if options.junit is not None:
            results.write_junit(options.junit)
    except OSError as error:
        results.error = _failed(error)
    return outcome


def _failed(error: OSError) -> str:
    return "%s%s" % (error.strerror or error, " (%s)" % shown_path(error.filename) if error.filename else "")


def _replay_script(root, build, program, script, outdir, options: Options, outcome: Outcome, shared: Session):
    for path, what in ((program, "program"), (options.reference_program, "reference program")):
        if path is not None and not os.path.isfile(path):
            raise ReplayError("no %s at %s" % (what, shown_path(path)))
    events = read_script(script)
    if options.expect is not None and not os.path.isdir(options.expect):
        raise ReplayError("no folder of reference pictures at %s" % shown_path(options.expect))
    outdir = os.path.abspath(outdir)
    saver = outcome.saver = Saver(outdir)
    work = shared.settings.work if shared is not None else tempfile.mkdtemp(prefix="zavok-replay.")
    session = shared
    beside = None  # the reference program's replay, when it runs beside the program's (reference.py)
    try:
        if not os.path.exists(os.path.join(work, constants.SCRIPT_FILE)) or \
                not os.path.samefile(script, os.path.join(work, constants.SCRIPT_FILE)):
            shutil.copyfile(script, os.path.join(work, constants.SCRIPT_FILE))

        def replay_of(path):
            settings = Settings(root=root, build=os.path.abspath(build), program=os.path.abspath(path), work=work,
                                time_seconds=options.time_seconds, answers=options.answers,
                                event_timeout_ms=options.event_timeout_ms)
            return Replay(settings, script, events, final_only=options.final_only, read_text=options.text,
                          expect_end=options.expect_end)

        replay = outcome.replay = replay_of(program)
        if options.reference_program is not None:
            outcome.reference = replay_of(options.reference_program)
        progress = Progress(options.progress) if options.progress is not None else None
        if options.report is not None:  # before the start: the page tells also of a replay stopped there
            outcome.writer = ReportWriter(options.report, shown_path(program), shown_path(script),
                                          outcome.results.time, saver)
        if outcome.reference is not None and session is None and not options.final_only:
            from .reference import AwaitReference, ReferenceRun  # which build on this module
            beside = ReferenceRun(outcome.reference, os.path.join(outdir, "reference"), script)
            beside.start_world()
        if session is None:
            session = Session((replay if beside else outcome.reference or replay).settings)
            session.start()
        references = options.expect
        if beside is not None:
            references = beside.keeper.outdir
            beside.start()
            beside.wait_for(0)  # the Checker starts from the reference's first frame
        elif outcome.reference is not None:
            references = os.path.join(outdir, "reference")
            keeper = Saver(references)
            try:
                run(outcome.reference, [keeper] + ([progress] if progress else []), session)
            finally:
                keeper.close()
                if progress is not None:
                    progress.end_line()
                    progress.bar = None
            if outcome.reference.stop is not None:
                raise ReplayError("the reference program %s" % stopped_words(outcome.reference))
        if references is not None:
            outcome.checker = Checker(os.path.abspath(references), outdir, options.max_diff_pixels, saver)
        if outcome.writer is not None:
            outcome.writer.compare_with(outcome.checker)
        waiting = AwaitReference(beside) if beside is not None else None
        observers = [observer for observer in (saver, waiting, outcome.checker, outcome.writer, progress) if observer]
        try:
            run(replay, observers, session)
        finally:
            saver.close()
            if progress is not None:
                progress.end_line()
        if beside is not None:
            beside.finish()
    finally:
        if beside is not None:
            beside.close()
        if session is not None and shared is None:
            try:
                session.close()
            except KeyboardInterrupt:  # the signal came during the end: end the rest, then say so
                session.close()
                raise
        if shared is None:
            shutil.rmtree(work, ignore_errors=True)


def stopped_words(replay: Replay) -> str:
    stop = replay.stop
    after = "after it started" if stop.number == 0 else "at event %d" % stop.number
    if stop.how == "hang":
        return "stopped responding " + after
    if stop.how == "still":
        return "did not end after the script's last event"
    return "ended %s with exit status %d" % (after, stop.status)


def _fill(results: Results, outcome: Outcome) -> None:
    """The results' events from what the replay did: frames taken, compared, texts read."""
    replay, checker = outcome.replay, outcome.checker
    if replay is None:
        return
    if checker is not None:
        checker.collect()  # also after a failure: what was compared before it
    results.stop = replay.stop
    described = [(None, None, "")]
    try:
        described += script_events(replay.script, replay.events)
    except ReplayError:
        described += [(None, None, "event %d" % n) for n in range(1, replay.events + 1)]
    taken = replay.taken
    for number, (line, source, what) in enumerate(described):
        event = Event(number, line, source, what)
        if number <= taken:
            event.state = "taken"
        elif replay.stop is not None and replay.stop.number == number and replay.stop.how != "still":
            event.state = "hang" if replay.stop.how == "hang" else "crashed" if replay.stop.status else "ended"
        elif number == replay.events and replay.stop is None and results.error is None:
            event.state = "finished"  # at the last event, as the script asked
        compared = checker.compared.get(number) if checker is not None else None
        if compared is not None:
            event.pixels, event.text_differs, event.passed = compared.pixels, compared.text_differs, compared.passed
        event.text = replay.texts.get(number)
        results.events.append(event)
    if checker is not None:
        results.problems = list(checker.problems)


def _summary(outcome: Outcome, outdir: str) -> str:
    results = outcome.results
    summary = "%s: %s" % (results.outcome(), results.message())
    if outcome.replay is not None and outcome.replay.first_frame:
        summary += "; %s, %d events, at %s in %.1f s" % (
            shown_path(results.script), outcome.replay.events, results.time, outcome.seconds)
        if outcome.events_per_second() > 0:
            summary += " (%.0f events a second once started)" % outcome.events_per_second()
        if outcome.saver is not None:
            summary += "; %d frames in %s" % (outcome.saver.saved, shown_path(outdir))
    passed, compared = results.score()
    if compared:
        summary += "; score %d/%d" % (passed, compared)
    return summary
