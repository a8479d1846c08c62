"""PNG files of RGB frames: written with nothing but the pixels, so equal frames make equal
files, and read back from any non-interlaced 8-bit-or-less PNG (the references may come from
other tools, e.g. palette PNGs)."""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
COMPRESSION_LEVEL = 6


class PngError(Exception):
    pass


def _chunk(kind: bytes, payload: bytes) -> bytes:
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def encode(width: int, height: int, rgb: bytes) -> bytes:
    """A PNG of 8-bit RGB rows, top row first; every row unfiltered."""
    row = width * 3
    if len(rgb) != row * height:
        raise ValueError("the pixels do not fill the picture")
    raw = b"".join(b"\0" + rgb[y * row:(y + 1) * row] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, COMPRESSION_LEVEL))
            + _chunk(b"IEND", b""))


def write(path: str, width: int, height: int, rgb: bytes) -> None:
    with open(path, "wb") as file:
        file.write(encode(width, height, rgb))


def _paeth(a: int, b: int, c: int) -> int:
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(data: bytes, height: int, stride: int, unit: int) -> bytearray:
    out = bytearray(height * stride)
    previous = bytearray(stride)
    at = 0
    for y in range(height):
        kind = data[at]
        line = bytearray(data[at + 1:at + 1 + stride])
        at += 1 + stride
        if len(line) != stride:
            raise PngError("the picture data ends early")
        if kind == 1:
            for i in range(unit, stride):
                line[i] = (line[i] + line[i - unit]) & 0xFF
        elif kind == 2:
            line = bytearray((x + p) & 0xFF for x, p in zip(line, previous))
        elif kind == 3:
            for i in range(stride):
                left = line[i - unit] if i >= unit else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - unit] if i >= unit else 0
                upper_left = previous[i - unit] if i >= unit else 0
                line[i] = (line[i] + _paeth(left, previous[i], upper_left)) & 0xFF
        elif kind != 0:
            raise PngError("unknown row filter %d" % kind)
        out[y * stride:(y + 1) * stride] = line
        previous = line
    return out


def read(path: str):
    """(width, height, RGB bytes) of a PNG; alpha, if any, is dropped."""
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError as error:
        raise PngError("cannot read %s (%s)" % (path, error.strerror)) from None
    if not data.startswith(SIGNATURE):
        raise PngError("%s is not a PNG" % path)
    at, header, palette, compressed = len(SIGNATURE), None, b"", []
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        payload = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", payload[:13])
        elif kind == b"PLTE":
            palette = payload
        elif kind == b"IDAT":
            compressed.append(payload)
        elif kind == b"IEND":
            break
    if header is None:
        raise PngError("%s has no header" % path)
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour)
    if channels is None or interlace != 0 or depth > 8 or (depth < 8 and channels != 1):
        raise PngError("%s is a kind of PNG this tool does not read" % path)
    try:
        raw = zlib.decompress(b"".join(compressed))
    except zlib.error:
        raise PngError("%s is damaged" % path) from None
    bits = depth * channels
    stride = (width * bits + 7) // 8
    pixels = _unfilter(raw, height, stride, max(1, bits // 8))
    if depth < 8:
        per_byte, mask = 8 // depth, (1 << depth) - 1
        samples = bytearray(width * height)
        for y in range(height):
            row = pixels[y * stride:(y + 1) * stride]
            for x in range(width):
                shift = 8 - depth * (x % per_byte + 1)
                samples[y * width + x] = (row[x // per_byte] >> shift) & mask
        pixels = samples
    if colour == 3:
        palette = palette + bytes(768 - len(palette))
        return width, height, _spread(pixels, palette[0::3], palette[1::3], palette[2::3])
    if colour == 0:
        scale = 255 // ((1 << depth) - 1)
        grey = bytes(min(255, value * scale) for value in range(256))
        return width, height, _spread(pixels, grey, grey, grey)
    if colour == 4:
        grey = bytes(range(256))
        return width, height, _spread(pixels[0::2], grey, grey, grey)
    if colour == 6:
        del pixels[3::4]
    return width, height, bytes(pixels)


def _spread(samples, red: bytes, green: bytes, blue: bytes) -> bytes:
    """RGB bytes of one-byte samples through three 256-entry tables."""
    samples = bytes(samples)
    out = bytearray(len(samples) * 3)
    out[0::3] = samples.translate(red)
    out[1::3] = samples.translate(green)
    out[2::3] = samples.translate(blue)
    return bytes(out)
