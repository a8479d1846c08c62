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

DAMAGE_REPORT_RAW_RECTANGLES = 0
DAMAGE_NOTIFY = 0  # the event's number past the extension's first event
IS_VIEWABLE = 2  # a window's map state: mapped, and all its ancestors too
WINDOW_TITLE = constants.GRAPHICS_TITLE.encode()
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class XDamageError(Exception):
    pass


class _Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class _DamageNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
                ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong),
                ("area", _Rectangle), ("geometry", _Rectangle)]


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("window_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class _Image(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p),
                ("functions", ctypes.c_void_p * 6)]


_DESTROY_IMAGE_TYPE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_Image))  # XImage's functions[1]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("damage", _DamageNotify), ("pad", ctypes.c_long * 24)]


_ERROR_HANDLER_TYPE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# X errors (a window that has just gone, say) must not end the replay: Xlib's own handler exits.
_ignore_errors = _ERROR_HANDLER_TYPE(lambda display, error: 0)


def _libraries():
    try:
        x11 = ctypes.CDLL("libX11.so.6")
        damage = ctypes.CDLL("libXdamage.so.1")
    except OSError:
        raise XDamageError("libX11 and libXdamage are needed (packages libx11-6, libxdamage1)") from None
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
    x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(_WindowAttributes)]
    x11.XGetImage.restype = ctypes.POINTER(_Image)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                              ctypes.c_ulong, ctypes.c_int]
    x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER_TYPE]
    x11.XSetErrorHandler.restype = ctypes.c_void_p
    damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    damage.XDamageCreate.restype = ctypes.c_ulong
    damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
    damage.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
    return x11, damage


class DamageWatch:
    """Damage reports on the program's graphics window (titled constants.GRAPHICS_TITLE) of one
    display, and its pixels."""

    def __init__(self, display_name: str, find_timeout_s: float):
        self.x11, self.xdamage = _libraries()
        self.x11.XSetErrorHandler(_ignore_errors)
        self.display = self.x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise XDamageError("cannot open the display %s" % display_name)
        first_event, first_error = ctypes.c_int(), ctypes.c_int()
        if not self.xdamage.XDamageQueryExtension(self.display, ctypes.byref(first_event), ctypes.byref(first_error)):
            self.close()
            raise XDamageError("the display has no damage extension")
        self.notify = first_event.value + DAMAGE_NOTIFY
        # Wine may map the X window a moment after the window counts as visible, and the server
        # then fills it with its background, which is damage too: the window must be on the
        # screen before any damage is believed.
        deadline = time.monotonic() + find_timeout_s
        self.window = 0
        while not self.window or not self._viewable():
            if time.monotonic() > deadline:
                self.close()
                raise XDamageError("no X window titled %s on the screen" % WINDOW_TITLE.decode())
            if not self.window:
                self.window = self._find(self.x11.XDefaultRootWindow(self.display))
            if not self.window or not self._viewable():
                time.sleep(0.01)
        self.damage = self.xdamage.XDamageCreate(self.display, self.window, DAMAGE_REPORT_RAW_RECTANGLES)
        self.x11.XSync(self.display, 0)

    def _viewable(self) -> bool:
        attributes = _WindowAttributes()
        return bool(self.x11.XGetWindowAttributes(self.display, self.window, ctypes.byref(attributes))) and \
            attributes.map_state == IS_VIEWABLE

    def _find(self, window: int) -> int:
        name = ctypes.c_char_p()
        if self.x11.XFetchName(self.display, window, ctypes.byref(name)) and name.value is not None:
            title = name.value
            self.x11.XFree(name)
            if title == WINDOW_TITLE:
                return window
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x11.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return 0
        try:
            for index in range(count.value):
                found = self._find(children[index])
                if found:
                    return found
        finally:
            if children:
                self.x11.XFree(children)
        return 0

    def forget(self) -> None:
        """Drops every damage reported so far: what comes after is new."""
        self.xdamage.XDamageSubtract(self.display, self.damage, 0, 0)
        self.x11.XSync(self.display, 0)
        event = _Event()
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, ctypes.byref(event))

    def await_damage(self, left: int, top: int, right: int, bottom: int, timeout_s: float) -> bool:
        """Waits until damage inside the rectangle (window coordinates) has been reported since
        the last forget(); False if none came within the time."""
        deadline = time.monotonic() + timeout_s
        event = _Event()
        descriptor = self.x11.XConnectionNumber(self.display)
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, ctypes.byref(event))
                if event.type != self.notify:
                    continue
                area = event.damage.area
                if area.x < right and area.x + area.width > left and area.y < bottom and area.y + area.height > top:
                    return True
            waited = deadline - time.monotonic()
            if waited <= 0:
                return False
            select.select([descriptor], [], [], waited)

    def read(self, left: int, top: int, right: int, bottom: int) -> bytes:
        """The rectangle's pixels (window coordinates) as the server has them, three bytes (R, G,
        B) each, rows from the top; None when the server cannot give them (a window that has gone,
        a depth other than 24 bits in 32)."""
        width, height = right - left, bottom - top
        image = self.x11.XGetImage(self.display, self.window, left, top, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            return None
        try:
            fields = image.contents
            if (fields.bits_per_pixel, fields.bytes_per_line, fields.byte_order, fields.red_mask, fields.blue_mask) != \
                    (32, width * 4, 0, 0xFF0000, 0xFF):
                return None
            pixels = ctypes.string_at(fields.data, width * height * 4)  # B, G, R, unused
        finally:
            _DESTROY_IMAGE_TYPE(image.contents.functions[1])(image)
        rgb = bytearray(width * height * 3)
        rgb[0::3] = pixels[2::4]
        rgb[1::3] = pixels[1::4]
        rgb[2::3] = pixels[0::4]
        return bytes(rgb)

    def close(self) -> None:
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None
