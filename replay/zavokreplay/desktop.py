"""Driving a ZAVOK program as a person does, inside a world (world.py, tools/isolated): start it
under Wine and wait for its graphics window, click at world points, press keys, open the Run menu,
click the close box, and look at the window through the X server's own pixels, all in this
process. Waits are for what an input must change (a screenshot that passes a check, the
window's next frames, the program's end), each bounded.

Inside Wine's virtual desktop the X window of "ZAVOK Graphics" is the whole window as Windows
draws it: frame, caption with its close box, menu bar, client area. On a display without the
virtual desktop and without a window manager it holds only the menu bar and the client area.
Either way the client area lies client_left, client_top into it, the menu bar right above it."""

import subprocess
import time
from dataclasses import dataclass

from . import constants
from .xdamage import DamageWatch, XDamageError
from .xlib import Display, XError

# Wine's metrics for a window with a caption and a one-item menu bar (PLATFORM-NOTES): the
# graphics window's outer size is the surface's, the client area what the frame leaves of it.
FRAME = 3
CAPTION = 19
MENU_BAR = 19
CLIENT_WIDTH = constants.SURFACE_WIDTH - 2 * FRAME
CLIENT_HEIGHT = constants.SURFACE_HEIGHT - 2 * FRAME - CAPTION - MENU_BAR
ORIGIN_X, ORIGIN_Y = CLIENT_WIDTH // 2, CLIENT_HEIGHT // 2  # as the package puts the world's origin

# Wine's start can be slow on a busy machine; the wait ends as soon as the window is there.
START_TIMEOUT_S = 120
WAIT_S = 10  # for an input's effect to show
EXIT_TIMEOUT_S = 20
POLL_S = 0.02


class DriveError(Exception):
    """A reason, one line, why the program cannot be driven at all."""


@dataclass
class Shot:
    """The client area as the X server shows it: pixels by world point."""
    width: int
    height: int
    rgb: bytes

    def pixel(self, x: int, y: int) -> tuple:
        offset = ((ORIGIN_Y - y) * self.width + ORIGIN_X + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def count(self, colour: tuple, x1: int, y1: int, x2: int, y2: int) -> int:
        """The pixels near the colour (each channel within a fifth of its range, so smoothed text
        counts too) in the world box with corners (x1, y1) and (x2, y2)."""
        return count_near(self.rgb, self.width, colour, ORIGIN_X + min(x1, x2), ORIGIN_Y - max(y1, y2),
                          abs(x2 - x1) + 1, abs(y2 - y1) + 1)


def count_near(rgb: bytes, width: int, colour: tuple, left: int, top: int, columns: int, rows: int,
               below: int = None) -> int:
    """Pixels of a box of a picture (packed R, G, B rows) within 51 of the colour in every
    channel, or, with `below`, darker than it in every channel; the box is clipped to the picture."""
    height = len(rgb) // (3 * width)
    count = 0
    for row in range(max(0, top), min(height, top + rows)):
        start = (row * width + max(0, left)) * 3
        end = (row * width + min(width, left + columns)) * 3
        line = rgb[start:end]
        for offset in range(0, len(line), 3):
            r, g, b = line[offset], line[offset + 1], line[offset + 2]
            if below is not None:
                count += r < below and g < below and b < below
            else:
                count += abs(r - colour[0]) < 51 and abs(g - colour[1]) < 51 and abs(b - colour[2]) < 51
    return count


class Desktop:
    """The display of a world, and the programs started on it."""

    def __init__(self, environment: dict):
        if not environment.get("DISPLAY"):
            raise DriveError("no display to drive (run inside tools/isolated)")
        self.environment = environment
        try:
            self.display = Display(environment["DISPLAY"])
        except XError as error:
            raise DriveError(str(error)) from None
        self.programs = []

    def start(self, program: str, folder: str, environment: dict = None) -> "Program":
        """Starts PROGRAM.exe under Wine in the folder and waits until its graphics window is on
        the screen (input sent to a window not yet mapped would be lost). A program that ends
        before any window appears is started once more: Wine itself now and then fails to start a
        process, and a program that really cannot start fails the second time too."""
        for attempt in (1, 2):
            process = subprocess.Popen(["wine", program], cwd=folder, env=dict(self.environment, **(environment or {})),
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            window = self._await_window(process)
            if window:
                started = Program(self, process, window)
                self.programs.append(started)
                return started
            if process.poll() is None:
                process.kill()
                process.wait()
                break
            if attempt == 1:
                print("note: the program ended before its window appeared; starting it again", flush=True)
        raise DriveError("the program did not open its graphics window")

    def _await_window(self, process) -> int:
        # Not the window of a program started before and still running beside this one (the
        # server may give an ended program's window id to a new one).
        known = {started.window for started in self.programs if started.running()}
        deadline = time.monotonic() + START_TIMEOUT_S
        while time.monotonic() < deadline and process.poll() is None:
            for window in self.display.windows_titled(constants.GRAPHICS_TITLE):
                if window not in known:
                    return window
            time.sleep(0.05)
        return 0

    def windows_titled(self, title: str) -> list:
        return self.display.windows_titled(title)

    def popup(self, timeout_s: float = WAIT_S):
        """(x, y, width, height) on the screen of the open menu once Wine has drawn it (a window
        of no title, as Wine's menus are, holding text, the same in two looks one poll apart: Wine
        draws a menu in steps), or None if none opened in the time."""
        deadline = time.monotonic() + timeout_s
        seen = {}
        while True:
            for window in self._untitled():
                geometry = self.display.geometry(window)
                rgb = self.display.rgb(window, 0, 0, geometry[2], geometry[3]) if geometry else None
                if rgb and count_near(rgb, geometry[2], None, 0, 0, geometry[2], geometry[3], below=77) > 50:
                    if seen.get(window) == (geometry, rgb):
                        return geometry
                    seen[window] = (geometry, rgb)
            if time.monotonic() > deadline:
                return None
            time.sleep(POLL_S)

    def popup_closed(self, timeout_s: float = WAIT_S) -> bool:
        deadline = time.monotonic() + timeout_s
        while self._untitled():
            if time.monotonic() > deadline:
                return False
            time.sleep(POLL_S)
        return True

    def _untitled(self) -> list:
        return [window for window, title in self.display.windows() if not title]

    def screen(self, left: int, top: int, width: int, height: int) -> bytes:
        """The pixels of a box of the screen, packed R, G, B rows."""
        rgb = self.display.rgb(self.display.root, left, top, width, height)
        if rgb is None:
            raise DriveError("cannot read the screen")
        return rgb

    def click(self, x: int, y: int) -> None:
        """A left click at a point of the screen."""
        self.display.click(x, y)

    def drag(self, start: tuple, end: tuple, steps: int = 4) -> None:
        """Presses the left button at start, moves to end in steps, releases it."""
        self.display.move(*start)
        self.display.button(True)
        self.display.sync()
        for step in range(1, steps + 1):
            time.sleep(0.05)  # Wine's move loop follows the pointer only from its own next look
            self.display.move(start[0] + (end[0] - start[0]) * step // steps, start[1] + (end[1] - start[1]) * step // steps)
            self.display.sync()
        self.display.button(False)
        self.display.sync()

    def keys(self, *names: str) -> None:
        """Keys for whichever window has the focus."""
        self.display.keys(*names)

    def close(self) -> None:
        for program in self.programs:
            program.stop()
        self.display.close()


@dataclass
class Program:
    desktop: Desktop
    process: subprocess.Popen
    window: int
    x: int = 0  # the X window's place on the screen and its size
    y: int = 0
    width: int = 0
    height: int = 0
    client_left: int = 0  # the client area's place in the X window
    client_top: int = 0
    damage: DamageWatch = None
    exit_status: int = None

    def __post_init__(self):
        geometry = self.desktop.display.geometry(self.window)
        if geometry is None:
            raise DriveError("the graphics window went away")
        self.x, self.y, self.width, self.height = geometry
        # The frame is as wide on the left, the right and the bottom.
        self.client_left = (self.width - CLIENT_WIDTH) // 2
        self.client_top = self.height - CLIENT_HEIGHT - self.client_left
        if self.client_left < 0 or self.client_top < 0:
            self.client_left = self.client_top = 0
        try:
            self.damage = DamageWatch(self.desktop.environment["DISPLAY"], WAIT_S, self.window)
        except XDamageError as error:
            raise DriveError(str(error)) from None
        self.focus()

    # ---- Where things are ---------------------------------------------------------------------
    def screen_point(self, x: int, y: int) -> tuple:
        """The point of the screen where a world point of the client area is."""
        return self.x + self.client_left + ORIGIN_X + x, self.y + self.client_top + ORIGIN_Y - y

    def caption_height(self) -> int:
        """0 when the window has no caption of its own (no virtual desktop)."""
        return max(0, self.client_top - MENU_BAR - self.client_left)

    def caption_point(self, x: int) -> tuple:
        """A point of the screen on the caption's middle row, x pixels into the window."""
        return self.x + x, self.y + (self.client_top - MENU_BAR) // 2

    # ---- Input --------------------------------------------------------------------------------
    def focus(self) -> None:
        self.desktop.display.focus(self.window)

    def click(self, x: int, y: int) -> None:
        """A left click at a world point."""
        self.desktop.click(*self.screen_point(x, y))

    def clicks(self, points) -> None:
        """Clicks at the world points, one after the other, as fast as the X server takes them."""
        display = self.desktop.display
        for x, y in points:
            display.move(*self.screen_point(x, y))
            display.button(True)
            display.button(False)
        display.sync()

    def keys(self, *names: str) -> None:
        """Keys pressed in the graphics window, e.g. "ctrl+r" or "a"."""
        self.focus()
        self.desktop.keys(*names)

    def open_run_menu(self) -> None:
        """Clicks the Run menu's title (the menu bar's first item)."""
        self.desktop.click(self.x + self.client_left + 15, self.y + self.client_top - MENU_BAR // 2)

    def click_close_box(self) -> None:
        """Clicks the close box at the right end of the caption, as drawn in Wine's virtual
        desktop: a square as high as the caption, one frame width in from the window's corner."""
        caption = self.caption_height()
        if caption == 0:
            raise DriveError("the window has no caption (no virtual desktop?)")
        self.desktop.click(self.x + self.width - self.client_left - caption // 2 - 2,
                           self.y + self.client_left + caption // 2)

    # ---- Looking ------------------------------------------------------------------------------
    def shot(self) -> Shot:
        rgb = self.desktop.display.rgb(self.window, self.client_left, self.client_top, CLIENT_WIDTH, CLIENT_HEIGHT)
        if rgb is None:
            raise DriveError("cannot read the graphics window")
        return Shot(CLIENT_WIDTH, CLIENT_HEIGHT, rgb)

    def window_rgb(self) -> bytes:
        """The whole X window: frame, caption and menu bar as Wine draws them, and the client area."""
        rgb = self.desktop.display.rgb(self.window, 0, 0, self.width, self.height)
        if rgb is None:
            raise DriveError("cannot read the graphics window")
        return rgb

    def until(self, check, timeout_s: float = WAIT_S):
        """Screenshots until check(shot) holds: the last shot and whether it held. A new shot is
        taken as soon as the window has changed, and one at least every 0.2 s."""
        deadline = time.monotonic() + timeout_s
        while True:
            self.damage.forget()
            shot = self.shot()
            if check(shot):
                return shot, True
            left = deadline - time.monotonic()
            if left <= 0:
                return shot, False
            self.damage.await_damage(0, 0, self.width, self.height, min(0.2, left))

    def frames(self, count: int, timeout_s: float = WAIT_S) -> bool:
        """Waits until the program has passed count more frames to the X server since the last
        damage.forget() (whatever it draws, the same picture too), each within the time: what
        came before them has been handled."""
        for _ in range(count):
            if not self.damage.await_damage(self.client_left, self.client_top, self.client_left + CLIENT_WIDTH,
                                            self.client_top + CLIENT_HEIGHT, timeout_s):
                return False
            self.damage.forget()
        return True

    # ---- Its process --------------------------------------------------------------------------
    def running(self) -> bool:
        return self.process.poll() is None

    def wait_exit(self, timeout_s: float = EXIT_TIMEOUT_S):
        """The program's exit status once it has ended, or None if it still runs after the time."""
        try:
            self.exit_status = self.process.wait(timeout=timeout_s)
        except subprocess.TimeoutExpired:
            return None
        return self.exit_status

    def kill(self) -> None:
        self.process.kill()

    def stop(self) -> None:
        if self.running():
            self.process.kill()
        self.process.wait()
        if self.damage is not None:
            self.damage.close()
            self.damage = None
