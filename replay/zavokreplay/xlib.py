"""One connection to an X display, through libX11, libXtst and libXdamage by ctypes: finding
windows by title, their geometry, their pixels, and real input (the XTest extension), so a
driver needs no process per click or per pixel."""

import ctypes
import time

IS_VIEWABLE = 2  # a window's map state: mapped, and all its ancestors too
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
REVERT_TO_PARENT = 2
CURRENT_TIME = 0
BUTTON_LEFT = 1


class XError(Exception):
    pass


class Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class DamageNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
                ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong),
                ("area", Rectangle), ("geometry", Rectangle)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("damage", DamageNotify), ("pad", ctypes.c_long * 24)]


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
    pass


_DESTROY_IMAGE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_Image))
_Image._fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                   ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                   ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                   ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                   ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                   ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                   ("destroy_image", _DESTROY_IMAGE)]  # the first two of the image's functions

_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# X errors (a window that has just gone, say) must not end the driver: Xlib's own handler exits.
_ignore_errors = _ERROR_HANDLER(lambda display, error: 0)

_loaded = {}


def _declare(library, name, result, *arguments):
    function = getattr(library, name)
    function.restype = result
    function.argtypes = list(arguments)


def _libraries():
    if _loaded:
        return _loaded["x11"], _loaded["xtst"], _loaded["damage"]
    try:
        x11 = ctypes.CDLL("libX11.so.6")
        xtst = ctypes.CDLL("libXtst.so.6")
        damage = ctypes.CDLL("libXdamage.so.1")
    except OSError:
        raise XError("libX11, libXtst and libXdamage are needed (packages libx11-6, libxtst6, libxdamage1)") from None
    p, ulong, uint, integer = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_int
    _declare(x11, "XOpenDisplay", p, ctypes.c_char_p)
    _declare(x11, "XDefaultRootWindow", ulong, p)
    _declare(x11, "XQueryTree", integer, p, ulong, ctypes.POINTER(ulong), ctypes.POINTER(ulong),
             ctypes.POINTER(ctypes.POINTER(ulong)), ctypes.POINTER(uint))
    _declare(x11, "XFetchName", integer, p, ulong, ctypes.POINTER(ctypes.c_char_p))
    _declare(x11, "XFree", integer, p)
    _declare(x11, "XSync", integer, p, integer)
    _declare(x11, "XFlush", integer, p)
    _declare(x11, "XPending", integer, p)
    _declare(x11, "XNextEvent", integer, p, ctypes.POINTER(Event))
    _declare(x11, "XConnectionNumber", integer, p)
    _declare(x11, "XCloseDisplay", integer, p)
    _declare(x11, "XGetWindowAttributes", integer, p, ulong, ctypes.POINTER(_WindowAttributes))
    _declare(x11, "XTranslateCoordinates", integer, p, ulong, ulong, integer, integer, ctypes.POINTER(integer),
             ctypes.POINTER(integer), ctypes.POINTER(ulong))
    _declare(x11, "XGetImage", ctypes.POINTER(_Image), p, ulong, integer, integer, uint, uint, ulong, integer)
    _declare(x11, "XSetInputFocus", integer, p, ulong, integer, ulong)
    _declare(x11, "XGetInputFocus", integer, p, ctypes.POINTER(ulong), ctypes.POINTER(integer))
    _declare(x11, "XStringToKeysym", ulong, ctypes.c_char_p)
    _declare(x11, "XKeysymToKeycode", ctypes.c_ubyte, p, ulong)
    _declare(x11, "XSetErrorHandler", p, _ERROR_HANDLER)
    _declare(xtst, "XTestFakeMotionEvent", integer, p, integer, integer, integer, ulong)
    _declare(xtst, "XTestFakeButtonEvent", integer, p, uint, integer, ulong)
    _declare(xtst, "XTestFakeKeyEvent", integer, p, uint, integer, ulong)
    _declare(damage, "XDamageQueryExtension", integer, p, ctypes.POINTER(integer), ctypes.POINTER(integer))
    _declare(damage, "XDamageCreate", ulong, p, ulong, integer)
    _declare(damage, "XDamageSubtract", None, p, ulong, ulong, ulong)
    x11.XSetErrorHandler(_ignore_errors)
    _loaded.update(x11=x11, xtst=xtst, damage=damage)
    return x11, xtst, damage


class Display:
    """A connection to one X display; close() ends it."""

    def __init__(self, name: str):
        self.x11, self.xtst, self.xdamage = _libraries()
        self.handle = self.x11.XOpenDisplay(name.encode())
        if not self.handle:
            raise XError("cannot open the display %s" % name)
        self.root = self.x11.XDefaultRootWindow(self.handle)

    def close(self) -> None:
        if self.handle:
            self.x11.XCloseDisplay(self.handle)
            self.handle = None

    # ---- Windows ------------------------------------------------------------------------------
    def windows_titled(self, title: str) -> list:
        """The viewable windows of that title (WM_NAME), in the order of the window tree."""
        return [window for window, name in self.windows() if name == title]

    def windows(self) -> list:
        """(window, title or None) of every viewable window but the root, in the order of the
        window tree."""
        found = []
        self._walk(self.root, found)
        return [(window, name) for window, name in found[1:] if self.viewable(window)]

    def _walk(self, window: int, found: list) -> None:
        name = ctypes.c_char_p()
        title = None
        if self.x11.XFetchName(self.handle, window, ctypes.byref(name)) and name.value is not None:
            title = name.value.decode(errors="replace")
            self.x11.XFree(name)
        found.append((window, title))
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x11.XQueryTree(self.handle, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return
        try:
            for index in range(count.value):
                self._walk(children[index], found)
        finally:
            if children:
                self.x11.XFree(children)

    def _attributes(self, window: int):
        attributes = _WindowAttributes()
        return attributes if self.x11.XGetWindowAttributes(self.handle, window, ctypes.byref(attributes)) else None

    def viewable(self, window: int) -> bool:
        attributes = self._attributes(window)
        return attributes is not None and attributes.map_state == IS_VIEWABLE

    def geometry(self, window: int):
        """(x, y, width, height) of the window, its position on the screen; None once it is gone."""
        attributes = self._attributes(window)
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        if attributes is None or not self.x11.XTranslateCoordinates(self.handle, window, self.root, 0, 0, ctypes.byref(x),
                                                                    ctypes.byref(y), ctypes.byref(child)):
            return None
        return x.value, y.value, attributes.width, attributes.height

    def rgb(self, window: int, left: int, top: int, width: int, height: int):
        """The pixels of a rectangle of the window (window coordinates) as the server has them,
        packed R, G, B row by row; None if it cannot be read (a window gone, a rectangle outside)."""
        raw = self.bgrx(window, left, top, width, height)
        return None if raw is None else bgrx_to_rgb(raw)

    def bgrx(self, window: int, left: int, top: int, width: int, height: int):
        """The same in the server's own order, four bytes a pixel: B, G, R and one unused."""
        image = self.x11.XGetImage(self.handle, window, left, top, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            return None
        try:
            fields = image.contents
            if fields.bits_per_pixel != 32 or fields.red_mask != 0xFF0000 or fields.blue_mask != 0xFF:
                raise XError("the display's pixels are not 24-bit RGB in 32 bits")
            stride = fields.bytes_per_line
            raw = ctypes.string_at(fields.data, stride * height)
        finally:
            image.contents.destroy_image(image)
        if stride != width * 4:
            raw = b"".join(raw[row * stride:row * stride + width * 4] for row in range(height))
        return raw

    def focus(self, window: int, timeout_s: float = 2.0) -> bool:
        """Gives the window the keyboard focus and waits until the server says it has it."""
        deadline = time.monotonic() + timeout_s
        focused, revert = ctypes.c_ulong(), ctypes.c_int()
        while True:
            self.x11.XSetInputFocus(self.handle, window, REVERT_TO_PARENT, CURRENT_TIME)
            self.x11.XGetInputFocus(self.handle, ctypes.byref(focused), ctypes.byref(revert))
            if focused.value == window:
                return True
            if time.monotonic() > deadline:
                return False
            time.sleep(0.01)

    # ---- Input --------------------------------------------------------------------------------
    def move(self, x: int, y: int) -> None:
        """Moves the pointer to a point of the screen."""
        self.xtst.XTestFakeMotionEvent(self.handle, -1, x, y, CURRENT_TIME)

    def button(self, pressed: bool, button: int = BUTTON_LEFT) -> None:
        self.xtst.XTestFakeButtonEvent(self.handle, button, int(pressed), CURRENT_TIME)

    def click(self, x: int, y: int) -> None:
        self.move(x, y)
        self.button(True)
        self.button(False)
        self.x11.XFlush(self.handle)

    def keys(self, *names: str) -> None:
        """Presses and releases each key given by its X keysym name ("a", "Escape") or as
        "ctrl+r" (modifiers held while the last key is pressed)."""
        for name in names:
            codes = [self._keycode(part) for part in name.split("+")]
            for code in codes:
                self.xtst.XTestFakeKeyEvent(self.handle, code, 1, CURRENT_TIME)
            for code in reversed(codes):
                self.xtst.XTestFakeKeyEvent(self.handle, code, 0, CURRENT_TIME)
        self.sync()

    def _keycode(self, name: str) -> int:
        keysym = self.x11.XStringToKeysym({"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}.get(name, name).encode())
        code = self.x11.XKeysymToKeycode(self.handle, keysym) if keysym else 0
        if not code:
            raise XError("no key for %r on this display" % name)
        return code

    def sync(self) -> None:
        """Waits until the server has taken every request sent so far."""
        self.x11.XSync(self.handle, 0)


def bgrx_to_rgb(raw: bytes) -> bytes:
    """Pixels of four bytes (B, G, R, unused) as three (R, G, B)."""
    rgb = bytearray(len(raw) // 4 * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::4], raw[1::4], raw[0::4]
    return bytes(rgb)
