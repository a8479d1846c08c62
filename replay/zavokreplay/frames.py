"""Frames (RGB pictures) compared with their references, and the picture of a difference: the
changed pixels in one strong colour over a faded copy of the frame.

The work is done on whole byte strings (extended slices, translate tables and big integers), so
a 595 x 496 frame costs milliseconds in plain Python."""

from dataclasses import dataclass

from . import png

HIGHLIGHT = (255, 0, 255)  # magenta: a colour no ZAVOK palette entry has
FADE = 0.25  # how much of the frame shows under the highlight
FADE_TABLE = bytes(round(255 - (255 - value) * FADE) for value in range(256))
NONZERO = bytes([0] + [255] * 255)


@dataclass
class Frame:
    number: int
    width: int = 0
    height: int = 0
    picture: object = None  # what the frame was taken from (session.Picture), None when not looked at
    text: list = None  # the text window's lines, when read (--text)

    @property
    def rgb(self) -> bytes:
        return self.picture.rgb if self.picture is not None else b""


@dataclass
class Difference:
    pixels: int  # how many pixels differ; -1 when the pictures cannot be compared at all
    reason: str = ""  # why they cannot, when pixels is -1
    image: png.Image = None  # the difference picture, when some pixels differ


def name(number: int) -> str:
    return "%04d" % number


def changed_mask(a: bytes, b: bytes) -> bytes:
    """One byte per pixel of two RGB strings of one size: 255 where they differ, 0 elsewhere."""
    n = len(a) // 3
    if a == b:
        return bytes(n)
    combined = 0
    for c in range(3):
        combined |= int.from_bytes(a[c::3], "big") ^ int.from_bytes(b[c::3], "big")
    return combined.to_bytes(n, "big").translate(NONZERO)


def difference(frame, reference: png.Image) -> Difference:
    """The Difference between a frame (anything with width, height, rgb) and a reference Image;
    None when they have the same pixels."""
    if (frame.width, frame.height) != (reference.width, reference.height):
        return Difference(-1, "it is %dx%d, the reference %dx%d" % (frame.width, frame.height, reference.width,
                                                                    reference.height))
    if frame.rgb == reference.rgb:
        return None
    mask = changed_mask(frame.rgb, reference.rgb)
    n = len(mask)
    picture = bytearray(frame.rgb.translate(FADE_TABLE))
    keep = int.from_bytes(mask.translate(bytes([255] + [0] * 255)), "big")
    for c, value in enumerate(HIGHLIGHT):
        channel = int.from_bytes(picture[c::3], "big") & keep
        channel |= int.from_bytes(mask.translate(bytes([0] + [value] * 255)), "big")
        picture[c::3] = channel.to_bytes(n, "big")
    return Difference(n - mask.count(0), "", png.Image(frame.width, frame.height, bytes(picture)))


def compare(frame: Frame, reference_path: str, diff_path: str = None):
    """None when the frame has the reference's pixels; otherwise a Difference, with the
    difference picture written to diff_path (when given and there is one to draw)."""
    try:
        reference = png.read(reference_path)
    except png.PngError as error:
        return Difference(-1, str(error))
    found = difference(frame, reference)
    if found is not None and found.image is not None and diff_path is not None:
        png.write(diff_path, *found.image)
    return found
