"""PNG files to and from plain RGBA pixels, with the standard library only.

Reads what the replay tools and ImageMagick write: 8-bit RGB, RGBA, grey and grey with alpha,
palette images of 1 to 8 bits (with or without transparency), and 16-bit samples (cut to their
high byte). Interlaced files are refused. Writes 8-bit RGB or RGBA with no time stamp, so equal
pixels give equal files.
"""

import struct
import zlib
from typing import NamedTuple

SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Image(NamedTuple):
    """Pixels row by row from the top left, four bytes (R, G, B, A) each."""
    width: int
    height: int
    rgba: bytes


class PngError(ValueError):
    pass


def _chunks(data):
    if not data.startswith(SIGNATURE):
        raise PngError("not a PNG file")
    at = len(SIGNATURE)
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if len(body) != length:
            raise PngError("truncated chunk %r" % kind)
        yield kind, body
        at += 12 + length
        if kind == b"IEND":
            return
    raise PngError("no IEND chunk")


def _add_bytes(a, b):
    """(a[i] + b[i]) mod 256 for every byte at once: the Up filter without a loop in Python."""
    n = len(a)
    x = int.from_bytes(a, "big")
    y = int.from_bytes(b, "big")
    low = int.from_bytes(b"\x7f" * n, "big")
    high = int.from_bytes(b"\x80" * n, "big")
    return (((x & low) + (y & low)) ^ ((x ^ y) & high)).to_bytes(n, "big")


def _unfilter(raw, height, stride, bpp):
    """Undoes the per-row filters; rows of filter None and Up (the common ones) cost no loop."""
    out = bytearray()
    previous = bytes(stride)
    at = 0
    for _ in range(height):
        kind = raw[at]
        row = raw[at + 1:at + 1 + stride]
        at += 1 + stride
        if len(row) != stride:
            raise PngError("image data too short")
        if kind == 0:
            current = bytes(row)
        elif kind == 2:
            current = _add_bytes(row, previous)
        elif kind in (1, 3, 4):
            current = bytearray(row)
            for i in range(stride):
                left = current[i - bpp] if i >= bpp else 0
                up = previous[i]
                if kind == 1:
                    predictor = left
                elif kind == 3:
                    predictor = (left + up) >> 1
                else:
                    corner = previous[i - bpp] if i >= bpp else 0
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                current[i] = (current[i] + predictor) & 0xFF
            current = bytes(current)
        else:
            raise PngError("unknown filter type %d" % kind)
        out += current
        previous = current
    return bytes(out)


def _interleave(width, height, channels):
    """Builds RGBA pixels from per-channel byte strings (each width * height long)."""
    rgba = bytearray(width * height * 4)
    for index, channel in enumerate(channels):
        rgba[index::4] = channel
    return bytes(rgba)


def decode(data):
    """Decodes the bytes of a PNG file into an Image."""
    header = None
    palette = b""
    transparency = None
    compressed = bytearray()
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            transparency = body
        elif kind == b"IDAT":
            compressed += body
    if header is None:
        raise PngError("no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    if interlace:
        raise PngError("interlaced PNG files are not read")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if channels is None or depth not in (1, 2, 4, 8, 16) or (depth < 8 and colour not in (0, 3)) \
            or (depth == 16 and colour == 3):
        raise PngError("unsupported PNG (bit depth %d, colour type %d)" % (depth, colour))
    try:
        raw = zlib.decompress(bytes(compressed))
    except zlib.error as error:
        raise PngError("bad image data: %s" % error) from None
    bits = depth * channels
    stride = (width * bits + 7) // 8
    samples = _unfilter(raw, height, stride, max(1, bits // 8))
    n = width * height

    if depth == 16:
        samples = samples[0::2]
        depth = 8
    if depth < 8:
        # Unpack 1, 2 or 4-bit samples to one byte each, row by row (rows start on a byte).
        per_byte = 8 // depth
        table = [bytes((byte >> (8 - depth * (k + 1))) & ((1 << depth) - 1) for k in range(per_byte))
                 for byte in range(256)]
        unpacked = bytearray()
        row_bytes = stride
        for y in range(height):
            row = samples[y * row_bytes:(y + 1) * row_bytes]
            unpacked += b"".join(table[byte] for byte in row)[:width]
        samples = bytes(unpacked)
        if colour == 0:
            scale = 255 // ((1 << depth) - 1)
            samples = samples.translate(bytes(min(255, v * scale) for v in range(256)))

    if colour == 3:
        entries = len(palette) // 3
        if entries == 0:
            raise PngError("palette image without a palette")
        alpha = bytearray(b"\xff" * 256)
        if transparency:
            alpha[:len(transparency)] = transparency[:256]
        tables = [bytes(palette[3 * (i if i < entries else 0) + c] for i in range(256)) for c in range(3)]
        channel_list = [samples.translate(t) for t in tables] + [samples.translate(bytes(alpha))]
    elif colour == 0:
        channel_list = [samples, samples, samples, b"\xff" * n]
    elif colour == 4:
        grey = samples[0::2]
        channel_list = [grey, grey, grey, samples[1::2]]
    elif colour == 2:
        channel_list = [samples[0::3], samples[1::3], samples[2::3], b"\xff" * n]
    else:
        return Image(width, height, samples)
    return Image(width, height, _interleave(width, height, channel_list))


def read(path):
    with open(path, "rb") as file:
        return decode(file.read())


def _chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def encode(image, alpha=False, level=6):
    """The bytes of a PNG file of the image: 8-bit RGB, or RGBA when alpha is set."""
    width, height, rgba = image
    if len(rgba) != width * height * 4:
        raise PngError("an image of %dx%d needs %d bytes, not %d" % (width, height, width * height * 4, len(rgba)))
    if alpha:
        pixels, colour, stride = rgba, 6, width * 4
    else:
        rgb = bytearray(width * height * 3)
        for c in range(3):
            rgb[c::3] = rgba[c::4]
        pixels, colour, stride = rgb, 2, width * 3
    # Filter None on every row: flat frames compress well without it, and it costs no loop.
    rows = b"".join(b"\x00" + pixels[y * stride:(y + 1) * stride] for y in range(height))
    return (SIGNATURE + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(rows, level)) + _chunk(b"IEND", b""))


def write(path, image, alpha=False):
    with open(path, "wb") as file:
        file.write(encode(image, alpha))
