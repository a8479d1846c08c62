"""A replay's session: a world of its own (world.py: a virtual display, a private copy of the
project's Wine prefix, Wine's virtual desktop) and inside it the Win32 helper
(replay/helper/replay_helper.cpp) that starts the program, gives Play One, tells when the program
has painted after the event, and hands back the window's pixels once the X server's damage
reports show that the paint has reached the server.

The helper's words come from replay_protocol.py beside replay_helper.exe, which the build makes
from replay/helper/protocol.h; that header also tells why a frame needs a second paint.

Every wait is bounded; on any failure a ReplayError with a one-line reason is raised, and
close() leaves no process of the session running."""

import ctypes
import importlib.util
import os
import select
import signal
import subprocess
import threading
import time
from dataclasses import dataclass, field

from . import constants, home
from .world import World, WorldError
from .xdamage import DamageWatch, XDamageError
from .xlib import bgrx_to_rgb

FAKETIME_LIBRARY = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
START_TIMEOUT_S = 60  # set-up, Wine's start in a new prefix and the program's first window
EVENT_TIMEOUT_MS = 20000  # longest time a program may take to come back to its wait after an event
ANSWER_TIMEOUT_S = 10  # for the helper's answers that wait for no program
ANSWER_SLACK_S = 1  # on top of the event time-out, for the helper's own answer
STOP_TIMEOUT_S = 2  # for the helper's end once its program is gone or its world ended
# For the text window's repaint, which comes with the graphics window's: if it does not come, the
# helper reads the text window for the rest of the replay.
TEXT_REPAINT_TIMEOUT_S = 1
ANYWHERE = 1 << 15  # a rectangle's right and bottom that take in the whole window
HELPER_SOURCES = tuple(os.path.join("replay", "helper", name) for name in (
    "replay_helper.cpp", "program_window.cpp", "program_window.h", "text_reader.cpp", "text_reader.h", "canvas.h",
    "protocol.h")) + \
    (os.path.join("graphics", "zavok_ids.h"),)


class ReplayError(Exception):
    """A reason, one line, why the replay cannot go on."""


class ProgramStopped(ReplayError):
    """The program did not come back after an event: `how` is "hang" (the helper has ended it) or
    "ended" with its exit `status`. The session can start another program."""

    def __init__(self, how: str, status: int = 0):
        super().__init__("the program stopped responding" if how == "hang" else "the program ended (%d)" % status)
        self.how, self.status = how, status


@dataclass
class Settings:
    root: str  # the repository's top folder (unused by an installed tool)
    build: str  # the build folder (home.build_folder()): the Wine prefix and the replays' copies live there
    program: str  # absolute path of the program (.exe)
    work: str  # the program's working folder (holds ZAVOK.SCR)
    time_seconds: int  # the calendar time the program sees, seconds since 1970 (UTC)
    event_timeout_ms: int = EVENT_TIMEOUT_MS
    # What the user types into the program's line-input dialogs (ZAVOK_gets), one per dialog, in order.
    answers: list = field(default_factory=list)


# By default glibc's malloc gives freed blocks of a frame's size (1.2 MB) back to the kernel, so
# the pages of every frame read were faulted in afresh; measured, the Python process's processor
# time per event went from 5 to 15 ms once the pixels were put in order on the Saver's thread,
# and back to 5 with these thresholds. A few frames are alive at a time, so the memory kept for
# reuse is a few megabytes.
M_TRIM_THRESHOLD, M_MMAP_THRESHOLD = -1, -3


def keep_freed_frames() -> None:
    try:
        libc = ctypes.CDLL(None)
        libc.mallopt(M_MMAP_THRESHOLD, 32 << 20)
        libc.mallopt(M_TRIM_THRESHOLD, 64 << 20)
    except (OSError, AttributeError):
        pass  # not glibc: nothing to tune


class Picture:
    """The graphics window's client area as read from the X server. Its pixels are put in R, G, B
    order when first asked for, on whichever thread asks first (the Saver's, as a rule): the
    replay's own thread meanwhile goes on to the next event, where the work would hold it up."""

    def __init__(self, width: int, height: int, bgrx: bytes):
        self.width, self.height = width, height
        self._bgrx, self._rgb = bgrx, None
        self._lock = threading.Lock()

    @property
    def rgb(self) -> bytes:
        with self._lock:
            if self._rgb is None:
                self._rgb, self._bgrx = bgrx_to_rgb(self._bgrx), None
            return self._rgb


@dataclass
class Session:
    settings: Settings
    environment: dict = field(default_factory=dict)
    prefix: str = ""
    world: World = None
    helper: subprocess.Popen = None
    buffer: bytearray = field(default_factory=bytearray)
    damage: DamageWatch = None
    client: tuple = (0, 0, 0, 0)  # the client area in the graphics window's X window
    answered: list = field(default_factory=list)  # the dialogs answered: (prompt, answer) in order
    program_running: bool = False  # started and not yet quit
    text_damage: DamageWatch = None  # on the program's text window, once the helper has read it
    text_seen: tuple = None  # (its pixels, the lines the helper read from them) of the last read
    text_fresh: bool = False  # the text window's repaint after this frame has reached the X server
    text_client: tuple = None  # where the text window's client area lies in it: (x, y, width, height)
    text_unwatched: bool = False  # its repaint was not seen: the helper copies it for the rest of the run
    words: object = None  # the helper's protocol (replay_protocol.py)

    # ---- Starting -------------------------------------------------------------------------
    def start(self) -> None:
        keep_freed_frames()
        self._prepare_wine()
        self._start_helper()

    def _prepare_wine(self) -> None:
        """Packages, the helper, and a world of its own (world.py) for the replay. An installed
        tool installs and builds nothing: it names the packages that are missing."""
        if home.INSTALLED:
            missing = home.missing_packages()
            if missing:
                raise ReplayError("missing Debian packages: %s (apt-get install %s)"
                                  % (", ".join(missing), " ".join(missing)))
        self.world = World("prefix", folder="replay", build=self.settings.build, install=not home.INSTALLED,
                           targets=("replay_helper",) if self._helper_is_stale() else ())
        try:
            self.world.start()
        except WorldError as error:
            raise ReplayError(str(error)) from None
        self.environment, self.prefix = self.world.environment, self.world.prefix
        self.words = read_protocol(os.path.dirname(self.helper_path()))

    def helper_path(self) -> str:
        return home.helper_path(self.settings.build)

    def _helper_is_stale(self) -> bool:
        if home.INSTALLED:
            return False
        try:
            built = os.path.getmtime(self.helper_path())
        except OSError:
            return True
        return any(os.path.getmtime(os.path.join(self.settings.root, name)) > built for name in HELPER_SOURCES)

    def _start_helper(self) -> None:
        settings = self.settings
        # The time comes from a file, which a program started later in the session reads when it
        # starts (start_program): Wine gives a program it starts its own Unix environment.
        self._write_time(settings)
        environment = dict(self.environment, LD_PRELOAD=FAKETIME_LIBRARY, FAKETIME_FMT="%s",
                           FAKETIME_TIMESTAMP_FILE=self.prefix + ".time", FAKETIME_DONT_FAKE_MONOTONIC="1",
                           # File times stay real: Wine compares them to decide whether its
                           # prefix needs updating.
                           NO_FAKE_STAT="1",
                           # Local time is UTC too, whatever the machine's zone: a program that
                           # shows the local time draws the same on every machine.
                           TZ="UTC")
        self.helper = subprocess.Popen(["wine", self.helper_path(), windows_path(settings.program),
                                        str(settings.event_timeout_ms)],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                       cwd=settings.work, env=environment, start_new_session=True)
        self._program_started()

    def start_program(self, settings: Settings) -> None:
        """Once the program before has quit: starts settings.program in the same session (same
        display, prefix and Wine), from settings.work, at settings.time_seconds; so a run of many
        short replays pays for the session's start only once."""
        if self.program_running:
            raise ReplayError("the session's program has not quit yet")
        if os.path.abspath(settings.work) != os.path.abspath(self.settings.work):
            raise ReplayError("a program of the same session runs in the session's working folder")
        self.settings = settings
        self.answered = []
        self._forget_text()
        self.text_unwatched = False
        if self.damage is not None:
            self.damage.close()
            self.damage = None
        self._write_time(settings)
        self._command(self.words.START + " " + windows_path(settings.program))
        self._program_started()

    def _write_time(self, settings: Settings) -> None:
        try:
            with open(self.prefix + ".time", "w") as file:
                file.write("%d\n" % settings.time_seconds)
        except OSError:
            raise ReplayError("cannot write the replay's time to %s.time" % self.prefix) from None

    def _program_started(self) -> None:
        self._expect(self.words.READY, START_TIMEOUT_S)
        self.program_running = True
        self._command(self.words.RECTS)
        numbers = [int(number) for number in self._expect(self.words.RECTS, ANSWER_TIMEOUT_S).split()[1:]]
        if len(numbers) != 8:
            raise ReplayError("the replay helper gave no window rectangles")
        left, top = numbers[0], numbers[1]
        self.client = (numbers[4] - left, numbers[5] - top, numbers[6] - left, numbers[7] - top)
        try:
            self.damage = DamageWatch(self.environment["DISPLAY"], ANSWER_TIMEOUT_S)
        except XDamageError as error:
            raise ReplayError(str(error)) from None

    # ---- Talking to the helper --------------------------------------------------------------
    def _read_until(self, size: int, deadline: float) -> None:
        descriptor = self.helper.stdout.fileno()
        while len(self.buffer) < size:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([descriptor], [], [], max(0.0, left))
            if not ready:
                raise ReplayError("the replay helper gave no answer in time")
            chunk = os.read(descriptor, max(65536, size - len(self.buffer)))
            if not chunk:
                raise ReplayError("the replay helper ended unexpectedly")
            self.buffer += chunk

    def _line(self, deadline: float) -> str:
        while b"\n" not in self.buffer:
            self._read_until(len(self.buffer) + 1, deadline)
        end = self.buffer.index(b"\n")
        line = bytes(self.buffer[:end])
        del self.buffer[:end + 1]
        return line.decode(errors="replace").rstrip("\r")

    def _expect(self, words, timeout_s: float) -> str:
        """The helper's next answer, which must begin with the word (or one of the words) given;
        ProgramStopped when the helper says that the program hung or ended instead."""
        wanted = (words,) if isinstance(words, str) else words
        line = self._line(time.monotonic() + timeout_s)
        word = line.split(" ", 1)[0]
        if word == self.words.ERROR:
            raise ReplayError(line[len(word) + 1:])
        if word in (self.words.HUNG, self.words.ENDED) and word not in wanted:
            self.program_running = False
            raise ProgramStopped("hang") if word == self.words.HUNG else ProgramStopped("ended", int(line.split()[1]))
        if word not in wanted:
            raise ReplayError("the replay helper said \"%s\"" % line[:80])
        return line

    def _command(self, command: str, data: bytes = b"") -> None:
        try:
            self.helper.stdin.write(command.encode() + b"\n" + data)
            self.helper.stdin.flush()
        except OSError:
            raise ReplayError("the replay helper ended unexpectedly") from None

    def _painted(self, command: str) -> Picture:
        """The frame once the program has painted after the command, read from the X server
        once a second paint has reached it (protocol.h tells why)."""
        self._settle(command)
        self.damage.forget()
        if self.text_damage is not None:
            self.text_damage.forget()
            self._command(self.words.REPAINT + " " + self.words.TEXT)
        else:
            self._command(self.words.REPAINT)
        said = self._expect(self.words.REPAINTING, self._event_timeout_s() + ANSWER_SLACK_S)
        if not self.damage.await_damage(*self.client, timeout_s=self._event_timeout_s()):
            raise ReplayError("the program's paint did not reach the display")
        pixels = self.damage.read(*self.client)
        if pixels is None:
            raise ReplayError("cannot read the program's window from the display")
        if self.text_damage is not None:
            repainted = said.split()[1:] == [self.words.TEXT]  # not when the program has hidden it
            self.text_fresh = repainted and \
                self.text_damage.await_damage(0, 0, ANYWHERE, ANYWHERE, timeout_s=TEXT_REPAINT_TIMEOUT_S)
            if not self.text_fresh:
                self._forget_text()
                # Repainted but not seen to be (covered by another window, say): not waited for again.
                self.text_unwatched = repainted
        left, top, right, bottom = self.client
        return Picture(right - left, bottom - top, pixels)

    def _event_timeout_s(self) -> float:
        return self.settings.event_timeout_ms / 1000

    def _settle(self, command: str) -> None:
        """Gives the command (await or play) and waits until the program is back in its wait,
        answering each dialog it shows on the way with the next of the settings' answers;
        raises ProgramStopped when it does not come back."""
        self._command(command)
        while True:
            said = self._expect((self.words.PAINTED, self.words.DIALOG), self._event_timeout_s() + ANSWER_SLACK_S)
            if said == self.words.PAINTED:
                break
            prompt = said[len(self.words.DIALOG) + 1:]
            if len(self.answered) >= len(self.settings.answers):
                raise ReplayError("the program asks \"%s\" in a dialog, and the replay has no answer left for it" % prompt)
            reply = self.settings.answers[len(self.answered)]
            self.answered.append((prompt, reply))
            self._command(self.words.ANSWER + " " + reply)

    def frame(self) -> Picture:
        """The window once the program is back waiting for input, with no event given."""
        return self._painted(self.words.AWAIT)

    def play_one(self) -> Picture:
        """Plays the script's next event and gives the window once the program is done with it."""
        return self._painted(self.words.PLAY)

    def step(self, number: int) -> None:
        """As frame() (number 0) or play_one(), without reading the window: much cheaper, for a
        frame that nobody looks at."""
        self._settle(self.words.PLAY if number > 0 else self.words.AWAIT)
        self.text_fresh = False

    def text(self):
        """The lines of the program's text window and whether it had to be shown to read them
        (None and False when the program has none).

        The helper reads the lines from the window's pixels, and copying another process's
        window costs it about 12 ms under Wine; most events print nothing. So once the helper has
        read it, the text window is repainted with each frame and read here from the X server
        once that repaint is there (under a millisecond): while its pixels are the ones the
        helper last read, so are the lines, and when they are not, the helper is handed them."""
        seen = self._text_pixels() if self.text_fresh and self.text_seen is not None else None
        if seen is not None and seen == self.text_seen[0]:
            return self.text_seen[1], False
        lines, shown = self._read_text(self._client_pixels(seen))
        if lines is None:
            self._forget_text()
            return lines, shown
        if self.text_damage is None and not self.text_unwatched:
            found = self.damage.display.windows_titled(constants.TEXT_TITLE)
            try:
                self.text_damage = DamageWatch(self.environment["DISPLAY"], 0, found[0]) if len(found) == 1 else None
            except XDamageError:
                self.text_damage = None
        after = self._text_pixels() if self.text_damage is not None else None
        self.text_seen = (after, lines) if after is not None else None
        return lines, shown

    def _text_pixels(self):
        """The text window's X window as far as it is on the screen (it may reach past the
        bottom, which the server does not read): ((left, top, right, bottom), its pixels as the
        server has them); or None."""
        display = self.text_damage.display
        geometry, screen = display.geometry(self.text_damage.window), display.geometry(display.root)
        if geometry is None or screen is None:
            return None
        x, y, width, height = geometry
        area = (max(0, -x), max(0, -y), min(width, screen[2] - x), min(height, screen[3] - y))
        pixels = self.text_damage.read(*area) if area[2] > area[0] and area[3] > area[1] else None
        return (area, pixels) if pixels is not None else None

    def _client_pixels(self, seen):
        """The client area's (width, height, pixels) cut from what _text_pixels() saw, where the
        helper last said it lies; None when it is not all there."""
        if seen is None or self.text_client is None:
            return None
        (left, top, right, bottom), pixels = seen
        x, y, width, height = self.text_client
        if width <= 0 or height <= 0 or x < left or y < top or x + width > right or y + height > bottom:
            return None
        stride, first = (right - left) * 4, (x - left) * 4
        return width, height, b"".join(pixels[row * stride + first:row * stride + first + width * 4]
                                       for row in range(y - top, y - top + height))

    def _forget_text(self) -> None:
        if self.text_damage is not None:
            self.text_damage.close()
        self.text_damage, self.text_seen, self.text_fresh, self.text_client = None, None, False, None

    def _read_text(self, given=None):
        if given is None:
            self._command(self.words.TEXT)
        else:
            width, height, pixels = given
            self._command("%s %s %d %d" % (self.words.TEXT, self.words.PIXELS, width, height), pixels)
        header = self._expect(self.words.TEXT, self._event_timeout_s() + ANSWER_SLACK_S).split()
        if header[1:] == [self.words.NONE]:
            return None, False
        size = int(header[2])
        self.text_client = tuple(int(number) for number in header[3:7]) if len(header) == 7 else None
        self._read_until(size, time.monotonic() + ANSWER_TIMEOUT_S)
        data = bytes(self.buffer[:size])
        del self.buffer[:size]
        return data.decode("utf-8", errors="replace").split("\n")[:-1], header[1] == "1"

    def await_end(self):
        """Waits for the program to end, as the script's last event should have made it: its exit
        status, or None when it did not end within the event time-out (the helper then ends it)."""
        self._command(self.words.END)
        said = self._expect((self.words.ENDED, self.words.RUNNING), self._event_timeout_s() + ANSWER_SLACK_S)
        self.program_running = False
        return int(said.split()[1]) if said.startswith(self.words.ENDED) else None

    def quit(self) -> int:
        """Asks the program to quit as its user would; its exit status, -1 if it had to be ended."""
        self._command(self.words.QUIT)
        self.program_running = False
        return int(self._expect(self.words.QUIT, ANSWER_TIMEOUT_S + ANSWER_SLACK_S).split()[1])

    # ---- Ending -----------------------------------------------------------------------------
    def close(self) -> None:
        """Ends whatever is left of the session at once: the world's end ends every Wine process
        in it, the helper and a program that is still running included."""
        if self.damage is not None:
            self.damage.close()
            self.damage = None
        self._forget_text()
        if self.helper is not None:
            try:
                self.helper.stdin.close()  # a helper whose program is gone ends at once
            except OSError:
                pass
        if self.world is not None:
            self.world.close()
            self.world = None
        if self.helper is not None:
            try:
                self.helper.wait(timeout=STOP_TIMEOUT_S)
            except subprocess.TimeoutExpired:
                os.killpg(self.helper.pid, signal.SIGKILL)
                self.helper.wait()
            self.helper = None
        if self.prefix and os.path.exists(self.prefix + ".time"):
            os.remove(self.prefix + ".time")
        self.prefix = ""

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *_):
        self.close()


def read_protocol(folder: str):
    """The helper's words, from replay_protocol.py beside the helper that speaks them."""
    path = os.path.join(folder, "replay_protocol.py")
    module = importlib.util.spec_from_file_location("replay_protocol", path)
    try:
        words = importlib.util.module_from_spec(module)
        module.loader.exec_module(words)
    except (OSError, SyntaxError):
        raise ReplayError("cannot read the replay helper's words from %s" % path) from None
    return words


def windows_path(path: str) -> str:
    """The Windows name of a Unix path: Wine's drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")
