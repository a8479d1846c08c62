"""A replay's session: a world of its own (world.py: a virtual display, a private copy of the
project's Wine prefix, Wine's virtual desktop) and inside it the Win32 helper
(replay/helper/replay_helper.cpp) that starts the program, gives Play One, tells when the program
has painted after the event, and hands back the window's pixels once the X server's damage
reports show that the paint has reached the server.

Every wait is bounded; on any failure a ReplayError with a one-line reason is raised, and
close() leaves no process of the session running."""

import os
import select
import signal
import subprocess
import time
from dataclasses import dataclass, field

from . import home
from .world import World, WorldError
from .xdamage import DamageWatch, XDamageError

FAKETIME_LIBRARY = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
START_TIMEOUT_S = 60  # set-up, Wine's start in a new prefix and the program's first window
FRAME_TIMEOUT_MS = 20000  # longest time a program may take to come back to its wait after an event
ANSWER_SLACK_S = 10  # on top of that, for the helper's own answer
STOP_TIMEOUT_S = 20
HELPER_SOURCES = tuple(os.path.join("replay", "helper", name) for name in (
    "replay_helper.cpp", "program_window.cpp", "program_window.h", "text_reader.cpp", "text_reader.h", "canvas.h")) + \
    (os.path.join("graphics", "zavok_ids.h"),)


class ReplayError(Exception):
    """A reason, one line, why the replay cannot go on."""


@dataclass
class Settings:
    root: str  # the repository's top folder (unused by an installed tool)
    build: str  # the build folder (home.build_folder()): the Wine prefix and the replays' copies live there
    program: str  # absolute path of the program (.exe)
    work: str  # the program's working folder (holds ZAVOK.SCR)
    time_seconds: int  # the calendar time the program sees, seconds since 1970 (UTC)
    frame_timeout_ms: int = FRAME_TIMEOUT_MS
    # What the user types into the program's line-input dialogs (ZAVOK_gets), one per dialog, in order.
    answers: list = field(default_factory=list)


@dataclass
class Picture:
    width: int
    height: int
    rgb: bytes


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

    # ---- Starting -------------------------------------------------------------------------
    def start(self) -> None:
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
                                        str(settings.frame_timeout_ms)],
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
        if self.damage is not None:
            self.damage.close()
            self.damage = None
        self._write_time(settings)
        self._command("start " + windows_path(settings.program))
        self._program_started()

    def _write_time(self, settings: Settings) -> None:
        try:
            with open(self.prefix + ".time", "w") as file:
                file.write("%d\n" % settings.time_seconds)
        except OSError:
            raise ReplayError("cannot write the replay's time to %s.time" % self.prefix) from None

    def _program_started(self) -> None:
        self._expect("ready", START_TIMEOUT_S)
        self.program_running = True
        self._command("rects")
        numbers = [int(number) for number in self._expect("rects", ANSWER_SLACK_S).split()[1:]]
        if len(numbers) != 8:
            raise ReplayError("the replay helper gave no window rectangles")
        left, top = numbers[0], numbers[1]
        self.client = (numbers[4] - left, numbers[5] - top, numbers[6] - left, numbers[7] - top)
        try:
            self.damage = DamageWatch(self.environment["DISPLAY"], ANSWER_SLACK_S)
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
        """The helper's next answer, which must begin with the word (or one of the words) given."""
        line = self._line(time.monotonic() + timeout_s)
        if line.startswith("error "):
            raise ReplayError(line[len("error "):])
        if line.split(" ", 1)[0] not in ((words,) if isinstance(words, str) else words):
            raise ReplayError("the replay helper said \"%s\"" % line[:80])
        return line

    def _command(self, command: str) -> None:
        try:
            self.helper.stdin.write(command.encode() + b"\n")
            self.helper.stdin.flush()
        except OSError:
            raise ReplayError("the replay helper ended unexpectedly") from None

    def _painted(self, command: str) -> Picture:
        """Once the helper says the program has painted its window after the command, the frame
        is in the window's image inside the program's process, but maybe not yet on the X
        server, and a flush of an older image (a window first shown, or uncovered) may still
        come. So the damage reports seen so far are dropped and the program is made to paint
        once more: whatever reaches the server from then on carries the frame, and the first
        damage inside the client area says it is there, to be read from the server. That damage
        is waited for while the helper still makes sure of the second paint, whose answer is
        taken afterwards."""
        self._settle(command)
        timeout_s = self.settings.frame_timeout_ms / 1000
        self.damage.forget()
        self._command("await")
        if not self.damage.await_damage(*self.client, timeout_s=timeout_s):
            self._expect("painted", ANSWER_SLACK_S)  # the helper's reason, when it has one
            raise ReplayError("the program's paint did not reach the display")
        rgb = self.damage.read(*self.client)
        self._expect("painted", timeout_s + ANSWER_SLACK_S)
        if rgb is None:
            raise ReplayError("cannot read the program's window from the display")
        left, top, right, bottom = self.client
        return Picture(right - left, bottom - top, rgb)

    def _settle(self, command: str) -> None:
        """Gives the command (await or play) and waits until the program is back in its wait,
        answering each dialog it shows on the way with the next of the settings' answers."""
        timeout_s = self.settings.frame_timeout_ms / 1000
        self._command(command)
        while True:
            said = self._expect(("painted", "dialog"), timeout_s + ANSWER_SLACK_S)
            if said == "painted":
                break
            prompt = said[len("dialog "):]
            if len(self.answered) >= len(self.settings.answers):
                raise ReplayError("the program asks \"%s\" in a dialog, and the replay has no answer left for it" % prompt)
            reply = self.settings.answers[len(self.answered)]
            self.answered.append((prompt, reply))
            self._command("answer " + reply)

    def frame(self) -> Picture:
        """The window once the program is back waiting for input, with no event given."""
        return self._painted("await")

    def play_one(self) -> Picture:
        """Plays the script's next event and gives the window once the program is done with it."""
        return self._painted("play")

    def step(self, number: int) -> None:
        """As frame() (number 0) or play_one(), without reading the window: much cheaper, for a
        frame that nobody looks at."""
        self._settle("play" if number > 0 else "await")

    def text(self):
        """The lines of the program's text window and whether it had to be shown to read them
        (None and False when the program has none)."""
        self._command("text")
        header = self._expect("text", self.settings.frame_timeout_ms / 1000 + ANSWER_SLACK_S).split()
        if header[1:] == ["none"]:
            return None, False
        size = int(header[2])
        self._read_until(size, time.monotonic() + ANSWER_SLACK_S)
        data = bytes(self.buffer[:size])
        del self.buffer[:size]
        return data.decode("utf-8", errors="replace").split("\n")[:-1], header[1] == "1"

    def quit(self) -> int:
        """Asks the program to quit as its user would; its exit status, -1 if it had to be ended."""
        self._command("quit")
        self.program_running = False
        return int(self._expect("quit", STOP_TIMEOUT_S).split()[1])

    # ---- Ending -----------------------------------------------------------------------------
    def close(self) -> None:
        """Ends whatever is left of the session: the helper, the program, and the world."""
        if self.damage is not None:
            self.damage.close()
            self.damage = None
        if self.helper is not None:
            if self.helper.poll() is None:
                try:
                    self.helper.stdin.close()  # the helper then ends the program and itself
                except OSError:
                    pass
                try:
                    self.helper.wait(timeout=STOP_TIMEOUT_S)
                except subprocess.TimeoutExpired:
                    os.killpg(self.helper.pid, signal.SIGKILL)
                    self.helper.wait()
            self.helper = None
        if self.prefix and os.path.exists(self.prefix + ".time"):
            os.remove(self.prefix + ".time")
        if self.world is not None:
            self.world.close()
            self.world = None
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


def windows_path(path: str) -> str:
    """The Windows name of a Unix path: Wine's drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")
