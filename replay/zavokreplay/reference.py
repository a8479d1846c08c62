"""The reference program's replay (--reference-program) beside the program's: in a world of its
own (display, prefix copy, wineserver) and a working folder of its own, driven from a thread of
its own, so that the two programs play each event at the same time, each on a core where there
are two. Played one after the other they took twice as long.

The reference's frames go to a folder as it takes them (a Saver), and the program's replay
waits, before it compares frame N, until the reference's frame N is written there or the
reference's replay is over: the Checker then finds in the folder just what the reference
replayed first would have left there. The reference runs at most LEAD frames ahead, so the two
share the machine and a slow program does not leave a growing heap of frames behind it.

Both worlds are started from the caller's thread, one after the other, so an interruption
there ends whatever was started. Each world's X connection is used by one thread only; so the
reference's world is ended only once its thread is done."""

import os
import shutil
import signal
import tempfile
import threading

from . import constants
from .replay import Observer, Replay, Saver, run, stopped_words
from .session import ReplayError, Session

LEAD = 4  # how many frames the reference may take beyond the one the program's replay waits for
SETTLE_S = 0.5  # for the reference's thread to notice that it is no longer needed


class Abandoned(Exception):
    """Ends the reference's replay: the program's needs no more of it."""


class ReferenceRun(Observer):
    """start_world(), start(), then wait_for(number) for each frame of the program, finish()
    once the program's replay is over, and close() in any case."""

    def __init__(self, replay: Replay, folder: str, script: str):
        self.replay = replay
        replay.settings.work = tempfile.mkdtemp(prefix="zavok-replay-reference.")
        shutil.copyfile(script, os.path.join(replay.settings.work, constants.SCRIPT_FILE))
        self.keeper = Saver(folder)
        self.session = Session(replay.settings)
        self.thread = threading.Thread(target=self._run, name="reference replay", daemon=True)
        self.error = None  # why the reference's replay failed, when it did
        self.written = {}  # frame number: the future of its file, until the program's replay took it
        self.taken = -1  # the last frame the reference has taken
        self.wanted = 0  # the frame the program's replay waits for, or will next
        self.over = False  # the reference's replay has ended, and its frames' files are written
        self.abandoned = False
        self.changed = threading.Condition()

    def start_world(self) -> None:
        self.session.start()

    def start(self) -> None:
        self.thread.start()

    def _run(self) -> None:
        try:
            run(self.replay, [self.keeper, self], self.session)
        except Abandoned:
            pass
        except ReplayError as error:
            self.error = str(error)
        except Exception as error:  # whatever it was, the comparison must not go on without it
            self.error = "the reference's replay failed (%s)" % error
        finally:
            self.keeper.close()
            with self.changed:
                self.over = True
                self.changed.notify_all()

    # ---- The reference's side: an Observer of its replay -----------------------------------------
    def frame(self, replay: Replay, frame) -> None:
        with self.changed:
            if self.keeper.latest is not None and self.keeper.latest[0] == frame.number:
                self.written[frame.number] = self.keeper.latest[1]
            self.taken = frame.number
            self.changed.notify_all()
            while frame.number >= self.wanted + LEAD and not self.abandoned:
                self.changed.wait()
            if self.abandoned:
                raise Abandoned()

    # ---- The program's side -----------------------------------------------------------------------
    def wait_for(self, number: int) -> None:
        """Waits until the reference's frame `number` is written, or its replay is over; raises
        ReplayError when the reference failed or stopped."""
        with self.changed:
            self.wanted = number
            self.changed.notify_all()
            while self.taken < number and not self.over:
                self.changed.wait()
            writing = self.written.pop(number, None)
            for earlier in [n for n in self.written if n < number]:
                del self.written[earlier]
        if writing is not None:
            try:
                writing.result()
            except OSError:
                pass  # the reference's replay fails with it
        self._check()

    def _check(self) -> None:
        if self.error is not None:
            raise ReplayError(self.error)
        if self.replay.stop is not None:
            raise ReplayError("the reference program %s" % stopped_words(self.replay))

    def finish(self) -> None:
        """Once the program's replay is over: ends the reference's (which has then nothing left
        to take, or is no longer needed) and raises ReplayError when it failed."""
        self._abandon()
        self.thread.join()
        self._check()

    def close(self) -> None:
        """Ends the reference's replay, its world and its working folder. A reference still busy
        with an event (a program that does not answer) has its helper ended, whose answer it
        waits for: the reference's thread never waits for anything else for long."""
        self._abandon()
        if self.thread.is_alive():
            self.thread.join(SETTLE_S)
            if self.thread.is_alive() and self.session.helper is not None:
                os.killpg(self.session.helper.pid, signal.SIGKILL)
            self.thread.join()
        self.session.close()
        shutil.rmtree(self.replay.settings.work, ignore_errors=True)

    def _abandon(self) -> None:
        with self.changed:
            self.abandoned = True
            self.changed.notify_all()


class AwaitReference(Observer):
    """Holds each of the program's frames back until the reference's is there to compare with."""

    def __init__(self, reference: ReferenceRun):
        self.reference = reference

    def frame(self, replay: Replay, frame) -> None:
        self.reference.wait_for(frame.number)
