"""A window's pixels read through shared memory (the X server's MIT-SHM extension, libXext by
ctypes): the server copies them into a segment that this process maps, where XGetImage sends
them down the connection's socket, which costs the server and the replay about twice as long.

SharedImage.open() gives None where the extension cannot be used (another machine's server, a
container without System V shared memory); the caller then reads with XGetImage. The first read
is checked against XGetImage's, so a segment the server could not attach is never believed."""

import ctypes

from .xlib import ALL_PLANES, Z_PIXMAP

IPC_PRIVATE = 0
IPC_CREAT = 0o1000
IPC_RMID = 0


class _Segment(ctypes.Structure):
    _fields_ = [("shmseg", ctypes.c_ulong), ("shmid", ctypes.c_int), ("shmaddr", ctypes.c_void_p),
                ("read_only", ctypes.c_int)]


def _libraries():
    try:
        xext, libc = ctypes.CDLL("libXext.so.6"), ctypes.CDLL(None, use_errno=True)
    except OSError:
        return None
    p, integer = ctypes.c_void_p, ctypes.c_int
    segment = ctypes.POINTER(_Segment)
    for library, name, result, arguments in (
            (xext, "XShmQueryExtension", integer, [p]),
            (xext, "XShmCreateImage", p, [p, p, ctypes.c_uint, integer, p, segment, ctypes.c_uint, ctypes.c_uint]),
            (xext, "XShmAttach", integer, [p, segment]),
            (xext, "XShmDetach", integer, [p, segment]),
            (xext, "XShmGetImage", integer, [p, ctypes.c_ulong, p, integer, integer, ctypes.c_ulong]),
            (libc, "shmget", integer, [integer, ctypes.c_size_t, integer]),
            (libc, "shmat", p, [integer, p, integer]),
            (libc, "shmdt", integer, [p]),
            (libc, "shmctl", integer, [integer, integer, p])):
        function = getattr(library, name)
        function.restype, function.argtypes = result, arguments
    return xext, libc


class SharedImage:
    """One rectangle of one window, read again and again into the same segment."""

    def __init__(self, display, window: int, left: int, top: int, width: int, height: int):
        self.display, self.window, self.left, self.top = display, window, left, top
        self.width, self.height = width, height
        self.size = width * height * 4
        self.xext, self.libc = None, None
        self.segment = _Segment(0, -1, None, 0)
        self.image = None
        self.checked = False

    @classmethod
    def open(cls, display, window: int, left: int, top: int, width: int, height: int):
        libraries = _libraries()
        if libraries is None or not libraries[0].XShmQueryExtension(display.handle):
            return None
        shared = cls(display, window, left, top, width, height)
        shared.xext, shared.libc = libraries
        if not shared._attach(width, height):
            shared.close()
            return None
        return shared

    def _attach(self, width: int, height: int) -> bool:
        attributes = self.display._attributes(self.window)
        if attributes is None:
            return False
        self.segment.shmid = self.libc.shmget(IPC_PRIVATE, self.size, IPC_CREAT | 0o600)
        if self.segment.shmid < 0:
            return False
        address = self.libc.shmat(self.segment.shmid, None, 0)
        if address in (None, ctypes.c_void_p(-1).value):
            return False
        self.segment.shmaddr = address
        self.image = self.xext.XShmCreateImage(self.display.handle, attributes.visual, attributes.depth, Z_PIXMAP,
                                               address, ctypes.byref(self.segment), width, height)
        if not self.image or not self.xext.XShmAttach(self.display.handle, ctypes.byref(self.segment)):
            return False
        self.display.sync()
        # Gone once both sides have let it go, even if this process is killed.
        self.libc.shmctl(self.segment.shmid, IPC_RMID, None)
        return True

    def read(self):
        """The rectangle's pixels as XGetImage gives them (B, G, R, unused), or None."""
        if not self.xext.XShmGetImage(self.display.handle, self.window, self.image, self.left, self.top, ALL_PLANES):
            return None
        pixels = ctypes.string_at(self.segment.shmaddr, self.size)
        if not self.checked:
            if pixels != self.display.bgrx(self.window, self.left, self.top, self.width, self.height):
                return None
            self.checked = True
        return pixels

    def close(self) -> None:
        if self.image:
            self.xext.XShmDetach(self.display.handle, ctypes.byref(self.segment))
            self.display.sync()
            self.display.x11.XFree(self.image)  # the image's record only: its pixels are the segment
            self.image = None
        if self.segment.shmaddr:
            self.libc.shmdt(self.segment.shmaddr)
            self.segment.shmaddr = None
        if self.segment.shmid >= 0:
            self.libc.shmctl(self.segment.shmid, IPC_RMID, None)
        self.segment.shmid = -1
