"""The X server's damage reports on the program's graphics window (libX11 and libXdamage through
ctypes): they tell when the window's pixels have reached the X server, from which they are then
read (XGetImage).

Why they are needed: Wine draws a window into a memory image of the program's own process and
hands it to the X server only when the program next finds its message queue empty, or when the
window is exposed. The helper knows when the program has painted; whether Wine has passed that
paint on yet it cannot see. Every paint of the client area ends up as drawing on the X window,
which the server reports as damage. The session (session.py) drops the reports once the
program has painted the frame and has it paint once more: the next damage inside the client
area can then only carry the frame, and a read of the window from the server gives it.

The pixels are read here rather than by a Win32 program of the session: Wine's BitBlt from
another process's window reads the same X window, pixel for pixel, but then hands the frame on
through a pipe, which cost twice as long as the read itself."""

import ctypes
import select
import time

from . import constants
from .xlib import Display, Event, XError
from .xshm import SharedImage

DAMAGE_REPORT_RAW_RECTANGLES = 0
DAMAGE_NOTIFY = 0  # the event's number past the extension's first event


class XDamageError(Exception):
    pass


class DamageWatch:
    """Damage reports on one X window of a display: the given one, or the first graphics window
    ("ZAVOK Graphics") found on the screen."""

    def __init__(self, display_name: str, find_timeout_s: float, window: int = 0):
        self.shared = None  # a SharedImage of the rectangle read last; False where there can be none
        try:
            self.display = Display(display_name)
        except XError as error:
            raise XDamageError(str(error)) from None
        self.x11, self.xdamage, handle = self.display.x11, self.display.xdamage, self.display.handle
        first_event, first_error = ctypes.c_int(), ctypes.c_int()
        if not self.xdamage.XDamageQueryExtension(handle, ctypes.byref(first_event), ctypes.byref(first_error)):
            self.close()
            raise XDamageError("the display has no damage extension")
        self.notify = first_event.value + DAMAGE_NOTIFY
        # Wine may map the X window a moment after the window counts as visible, and the server
        # then fills it with its background, which is damage too: the window must be on the
        # screen before any damage is believed.
        deadline = time.monotonic() + find_timeout_s
        self.window = window
        while not self.window or not self.display.viewable(self.window):
            if time.monotonic() > deadline:
                self.close()
                raise XDamageError("no X window titled %s on the screen" % constants.GRAPHICS_TITLE)
            if not window:
                found = self.display.windows_titled(constants.GRAPHICS_TITLE)
                self.window = found[0] if found else 0
            time.sleep(0.01)
        self.damage = self.xdamage.XDamageCreate(handle, self.window, DAMAGE_REPORT_RAW_RECTANGLES)
        self.display.sync()

    def forget(self) -> None:
        """Drops every damage reported so far: what comes after is new."""
        handle = self.display.handle
        self.xdamage.XDamageSubtract(handle, self.damage, 0, 0)
        self.display.sync()
        event = Event()
        while self.x11.XPending(handle):
            self.x11.XNextEvent(handle, ctypes.byref(event))

    def await_damage(self, left: int, top: int, right: int, bottom: int, timeout_s: float) -> bool:
        """Waits until damage inside the rectangle (window coordinates) has been reported since
        the last forget(); False if none came within the time."""
        handle = self.display.handle
        deadline = time.monotonic() + timeout_s
        event = Event()
        descriptor = self.x11.XConnectionNumber(handle)
        while True:
            while self.x11.XPending(handle):
                self.x11.XNextEvent(handle, ctypes.byref(event))
                if event.type != self.notify:
                    continue
                area = event.damage.area
                if area.x < right and area.x + area.width > left and area.y < bottom and area.y + area.height > top:
                    return True
            waited = deadline - time.monotonic()
            if waited <= 0:
                return False
            select.select([descriptor], [], [], waited)

    def read(self, left: int, top: int, right: int, bottom: int):
        """The window's pixels in the rectangle as the server has them (B, G, R and an unused
        byte, row by row: xlib.bgrx_to_rgb), or None if they cannot be read. Through shared
        memory where the server allows it (xshm.py)."""
        area = (left, top, right - left, bottom - top)
        try:
            if self.shared is None or self.shared and (self.shared.left, self.shared.top, self.shared.width,
                                                       self.shared.height) != area:
                self._close_shared()
                self.shared = SharedImage.open(self.display, self.window, *area) or False
            pixels = self.shared.read() if self.shared else None
            return pixels if pixels is not None else self.display.bgrx(self.window, *area)
        except XError:
            return None

    def _close_shared(self) -> None:
        if self.shared:
            self.shared.close()
        self.shared = None

    def close(self) -> None:
        self._close_shared()
        self.display.close()
