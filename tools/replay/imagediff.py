"""Compares a frame with its reference: the count of differing pixels and a difference image
that shows the changed pixels in one strong colour over a faded copy of the frame.

The work is done on whole byte strings (extended slices, translate tables and big integers), so
a 595 x 496 frame costs milliseconds in plain Python.
"""

from typing import NamedTuple

from png import Image

HIGHLIGHT = (255, 0, 255)  # magenta: a colour no ZAVOK palette entry has
FADE = 0.25                # how much of the frame shows under the highlight


class Difference(NamedTuple):
    pixels: int            # pixels that differ (in colour or alpha), counted over the larger size
    image: Image           # the difference image (None when nothing differs)


def _fade_table():
    return bytes(round(255 - (255 - v) * FADE) for v in range(256))


def _on_canvas(image, width, height):
    """The image on a canvas of width x height; pixels beyond it are transparent black."""
    if (image.width, image.height) == (width, height):
        return image.rgba
    canvas = bytearray(width * height * 4)
    row = image.width * 4
    for y in range(image.height):
        canvas[y * width * 4:y * width * 4 + row] = image.rgba[y * row:(y + 1) * row]
    return bytes(canvas)


def changed_mask(a, b):
    """One byte per pixel of two RGBA strings of one size: 255 where they differ, 0 elsewhere."""
    n = len(a) // 4
    if a == b:
        return bytes(n)
    combined = 0
    for c in range(4):
        combined |= int.from_bytes(a[c::4], "big") ^ int.from_bytes(b[c::4], "big")
    nonzero = bytes([0] + [255] * 255)
    return combined.to_bytes(n, "big").translate(nonzero)


def compare(frame, reference):
    """The Difference between two Images; of different sizes, every pixel outside the smaller
    one counts as differing."""
    width, height = max(frame.width, reference.width), max(frame.height, reference.height)
    a = _on_canvas(frame, width, height)
    b = _on_canvas(reference, width, height)
    mask = changed_mask(a, b)
    if (frame.width, frame.height) != (reference.width, reference.height):
        # A pixel that only one of them has differs, whatever the canvas holds there.
        mask = bytearray(mask)
        inner_w, inner_h = min(frame.width, reference.width), min(frame.height, reference.height)
        for y in range(height):
            start = y * width + (0 if y >= inner_h else inner_w)
            mask[start:(y + 1) * width] = b"\xff" * ((y + 1) * width - start)
        mask = bytes(mask)
    count = len(mask) - mask.count(0)
    if count == 0:
        return Difference(0, None)
    faded = bytearray(a.translate(_fade_table()))
    n = width * height
    faded[3::4] = b"\xff" * n
    keep = mask.translate(bytes([255] + [0] * 255))
    for c, value in enumerate(HIGHLIGHT):
        channel = int.from_bytes(faded[c::4], "big") & int.from_bytes(keep, "big")
        channel |= int.from_bytes(mask.translate(bytes([0] + [value] * 255)), "big")
        faded[c::4] = channel.to_bytes(n, "big")
    return Difference(count, Image(width, height, bytes(faded)))
