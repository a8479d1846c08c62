"""A replay: the program stepped through its script one event at a time, each frame handed to
observers as it is taken. Observers save frames, compare them with references, show progress;
one that raises Differs ends the replay with that difference, one that raises ReplayError ends
it with that error. Further observers (a report, a text summary) hook in the same way."""

import os
import re
import time
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass, field

from . import frames as framing
from . import png
from .frames import Frame
from .scripts import count_events
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
    started: float = field(default_factory=time.monotonic)
    first_frame: float = 0.0  # when frame 0000 was taken: the set-up and the start are over
    last_frame: float = 0.0

    def events_per_second(self) -> float:
        """Events replayed per second once the program was running (0 when there were none)."""
        spent = self.last_frame - self.first_frame
        return self.events / spent if self.events > 0 and spent > 0 else 0.0

    def kept(self, number: int) -> bool:
        """Whether frame `number` is one the replay keeps (all, or with final_only the last)."""
        return not self.final_only or number == self.events


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


def run(replay: Replay, observers) -> None:
    """Plays every event of the script and hands each frame (0000 before the first event) to the
    observers in order."""
    if replay.events > MAX_EVENTS:
        raise ReplayError("the script holds %d events, more than the %d this tool replays" % (replay.events, MAX_EVENTS))
    for observer in observers:
        observer.started(replay)
    with Session(replay.settings) as session:
        for number in range(replay.events + 1):
            try:
                picture = session.play_one() if number > 0 else session.frame()
            except ReplayError as error:
                raise ReplayError("frame %s: %s" % (framing.name(number), error)) from None
            frame = Frame(number, picture.width, picture.height, picture.rgb)
            replay.last_frame = time.monotonic()
            if number == 0:
                replay.first_frame = replay.last_frame
            for observer in observers:
                observer.frame(replay, frame)
        session.quit()
    for observer in observers:
        observer.finished(replay)


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
        self.pending.append((self.path(frame.number), self.writer.submit(
            png.write, self.path(frame.number), frame.width, frame.height, frame.rgb)))

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


def reference_numbers(folder: str):
    """The frame numbers of the references NNNN.png in a folder."""
    try:
        names = os.listdir(folder)
    except OSError:
        raise ReplayError("no folder of reference pictures at %s" % folder) from None
    return sorted(int(name[:-4]) for name in names if re.match(r"^[0-9]{4,}\.png$", name))


class Checker(Observer):
    """Compares every kept frame that has a namesake in the reference folder; the references'
    last frame must be the replay's last."""

    def __init__(self, folder: str, outdir: str):
        self.folder = folder
        self.outdir = outdir
        self.compared = 0
        numbers = reference_numbers(folder)
        if not numbers:
            raise ReplayError("no reference pictures (NNNN.png) in %s" % folder)
        self.last = numbers[-1]

    def started(self, replay: Replay) -> None:
        if replay.final_only and replay.events != self.last:
            shorter = min(replay.events, self.last)
            raise Differs("frame %s differs first: the script plays %d events, the reference's last frame is %s"
                          % (framing.name(shorter + 1), replay.events, framing.name(self.last)))

    def frame(self, replay: Replay, frame: Frame) -> None:
        if frame.number > self.last:
            raise Differs("frame %s differs first: the reference ends at frame %s, the script goes on to %s"
                          % (framing.name(frame.number), framing.name(self.last), framing.name(replay.events)))
        name = framing.name(frame.number)
        reference = os.path.join(self.folder, name + ".png")
        if not replay.kept(frame.number) or not os.path.isfile(reference):
            return
        self.compared += 1
        diff = os.path.join(self.outdir, name + "-diff.png")
        difference = framing.compare(frame, reference, diff)
        if difference is None:
            return
        if difference.pixels < 0:
            raise Differs("frame %s differs first: it cannot be compared with %s (%s)" % (name, reference, difference.reason))
        raise Differs("frame %s differs first: %d pixels unlike %s (difference: %s)" % (name, difference.pixels, reference, diff))

    def finished(self, replay: Replay) -> None:
        if replay.events < self.last:
            raise Differs("frame %s differs first: the replay ends at frame %s, the reference goes on to %s"
                          % (framing.name(replay.events + 1), framing.name(replay.events), framing.name(self.last)))


class Progress(Observer):
    """"frame N of M" on the standard error, on one line when that is a terminal."""

    def __init__(self, stream):
        self.stream = stream
        self.terminal = stream.isatty()

    def frame(self, replay: Replay, frame: Frame) -> None:
        if self.terminal:
            self.stream.write("\rframe %d of %d" % (frame.number, replay.events))
        else:
            self.stream.write("frame %d of %d\n" % (frame.number, replay.events))
        self.stream.flush()

    def end_line(self) -> None:
        if self.terminal:
            self.stream.write("\n")
            self.stream.flush()
