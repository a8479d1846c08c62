"""Frames (RGB pictures) compared with their references, and the picture of a difference."""

from dataclasses import dataclass

from . import png

# The difference picture: the reference faded toward white, each differing pixel in red.
FADE = bytes(204 + value // 5 for value in range(256))
MARK = b"\xff\x00\x00"


@dataclass
class Frame:
    number: int
    width: int
    height: int
    rgb: bytes


@dataclass
class Difference:
    pixels: int  # how many pixels differ; -1 when the pictures cannot be compared at all
    reason: str  # why they cannot, when pixels is -1


def name(number: int) -> str:
    return "%04d" % number


def compare(frame: Frame, reference_path: str, diff_path: str):
    """None when the frame has the reference's pixels; otherwise a Difference, with the
    difference picture written to diff_path when there is one to draw."""
    try:
        width, height, reference = png.read(reference_path)
    except png.PngError as error:
        return Difference(-1, str(error))
    if (width, height) != (frame.width, frame.height):
        return Difference(-1, "it is %dx%d, the reference %dx%d" % (frame.width, frame.height, width, height))
    if reference == frame.rgb:
        return None
    picture = bytearray(reference.translate(FADE))
    differing = 0
    for at in range(0, len(reference), 3):
        if reference[at:at + 3] != frame.rgb[at:at + 3]:
            picture[at:at + 3] = MARK
            differing += 1
    png.write(diff_path, width, height, bytes(picture))
    return Difference(differing, "")
