"""PNG files of RGB frames, with the standard library only.

Written with nothing but the pixels (8-bit RGB, every row unfiltered, no time stamp), so equal
frames make equal files. Read back from what the replay tools and ImageMagick write: 8-bit RGB,
RGBA, grey and grey with alpha, palette images of 1 to 8 bits, grey of 1 to 8 bits, and 16-bit
samples (cut to their high byte). Alpha and transparency are dropped: a window's pixels have
none. Interlaced files are refused."""

import struct
import zlib
from typing import NamedTuple

SIGNATURE = b"\x89PNG\r\n\x1a\n"
COMPRESSION_LEVEL = 1


class Image(NamedTuple):
    """Pixels row by row from the top left, three bytes (R, G, B) each."""
    width: int
    height: int
    rgb: bytes


class PngError(Exception):
    pass


def _chunk(kind: bytes, payload: bytes) -> bytes:
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def encode(width: int, height: int, rgb: bytes, level: int = COMPRESSION_LEVEL) -> bytes:
    """A PNG of 8-bit RGB rows, top row first; every row unfiltered (flat frames compress well
    without a filter, and it costs no loop)."""
    row = width * 3
    if len(rgb) != row * height:
        raise ValueError("the pixels do not fill the picture")
    raw = b"".join(b"\0" + rgb[y * row:(y + 1) * row] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, level)) + _chunk(b"IEND", b"")


def write(path: str, width: int, height: int, rgb: bytes) -> None:
    with open(path, "wb") as file:
        file.write(encode(width, height, rgb))


def _add_bytes(a: bytes, b: bytes) -> bytes:
    """(a[i] + b[i]) mod 256 for every byte at once: the Up filter without a loop in Python."""
    n = len(a)
    x, y = int.from_bytes(a, "big"), int.from_bytes(b, "big")
    low, high = int.from_bytes(b"\x7f" * n, "big"), int.from_bytes(b"\x80" * n, "big")
    return (((x & low) + (y & low)) ^ ((x ^ y) & high)).to_bytes(n, "big")


def _paeth(a: int, b: int, c: int) -> int:
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(data: bytes, height: int, stride: int, unit: int) -> bytes:
    """Undoes the row filters; rows of filter None and Up (the common ones) cost no loop."""
    out = []
    previous = bytes(stride)
    at = 0
    for _ in range(height):
        if at >= len(data):
            raise PngError("the picture data ends early")
        kind = data[at]
        row = data[at + 1:at + 1 + stride]
        at += 1 + stride
        if len(row) != stride:
            raise PngError("the picture data ends early")
        if kind == 0:
            line = bytes(row)
        elif kind == 2:
            line = _add_bytes(row, previous)
        elif kind in (1, 3, 4):
            line = bytearray(row)
            for i in range(stride):
                left = line[i - unit] if i >= unit else 0
                if kind == 1:
                    predictor = left
                elif kind == 3:
                    predictor = (left + previous[i]) >> 1
                else:
                    predictor = _paeth(left, previous[i], previous[i - unit] if i >= unit else 0)
                line[i] = (line[i] + predictor) & 0xFF
            line = bytes(line)
        else:
            raise PngError("unknown row filter %d" % kind)
        out.append(line)
        previous = line
    return b"".join(out)


def decode(data: bytes, name: str = "the file") -> Image:
    """The Image of a PNG file's bytes."""
    if not data.startswith(SIGNATURE):
        raise PngError("%s is not a PNG" % name)
    at, header, palette, compressed = len(SIGNATURE), None, b"", []
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        payload = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", payload[:13]) if len(payload) >= 13 else None
        elif kind == b"PLTE":
            palette = payload
        elif kind == b"IDAT":
            compressed.append(payload)
        elif kind == b"IEND":
            break
    if header is None:
        raise PngError("%s has no header" % name)
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if interlace != 0:
        raise PngError("%s is interlaced, which this tool does not read" % name)
    if channels is None or depth not in (1, 2, 4, 8, 16) or (depth < 8 and colour not in (0, 3)) \
            or (depth == 16 and colour == 3):
        raise PngError("%s is a kind of PNG this tool does not read (bit depth %d, colour type %d)"
                       % (name, depth, colour))
    try:
        raw = zlib.decompress(b"".join(compressed))
    except zlib.error:
        raise PngError("%s is damaged" % name) from None
    bits = depth * channels
    stride = (width * bits + 7) // 8
    samples = _unfilter(raw, height, stride, max(1, bits // 8))
    if depth == 16:
        samples = samples[0::2]
    elif depth < 8:
        # One byte per sample, row by row (each row starts on a byte).
        per_byte, mask = 8 // depth, (1 << depth) - 1
        table = [bytes((byte >> (8 - depth * (k + 1))) & mask for k in range(per_byte)) for byte in range(256)]
        samples = b"".join(b"".join(table[byte] for byte in samples[y * stride:(y + 1) * stride])[:width]
                           for y in range(height))
    if colour == 3:
        palette = palette + bytes(768 - len(palette)) if len(palette) < 768 else palette[:768]
        return Image(width, height, _spread(samples, palette[0::3], palette[1::3], palette[2::3]))
    if colour in (0, 4):
        grey = samples if colour == 0 else samples[0::2]
        if depth < 8:
            scale = 255 // ((1 << depth) - 1)
            grey = grey.translate(bytes(min(255, value * scale) for value in range(256)))
        same = bytes(range(256))
        return Image(width, height, _spread(grey, same, same, same))
    if colour == 6:
        pixels = bytearray(samples)
        del pixels[3::4]
        return Image(width, height, bytes(pixels))
    return Image(width, height, bytes(samples))


def read(path: str) -> Image:
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError as error:
        raise PngError("cannot read %s (%s)" % (path, error.strerror)) from None
    return decode(data, path)


def _spread(samples: bytes, red: bytes, green: bytes, blue: bytes) -> bytes:
    """RGB bytes of one-byte samples through three 256-entry tables."""
    samples = bytes(samples)
    out = bytearray(len(samples) * 3)
    out[0::3] = samples.translate(red)
    out[1::3] = samples.translate(green)
    out[2::3] = samples.translate(blue)
    return bytes(out)
