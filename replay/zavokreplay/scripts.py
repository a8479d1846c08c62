"""Counting the events of a script as the package's reader takes them."""

INT32_MAX = 2**31 - 1
READ_LIMIT = 511  # the reader's buffer holds 511 characters and the NUL


def count_events(data: bytes) -> int:
    """The number of events that playback delivers from a script file's bytes."""
    return sum(count for _, _, count in event_lines(data))


def event_lines(data: bytes):
    """The lines of a script file's bytes that playback takes, each with its number in the file
    (counted from 1) and the number of events it delivers: (number, line, 1) for a mouse or key
    line, (number, line, n) for a PERIODIC line of n events.

    The stream is read in text mode (CR LF reads as a newline, a Ctrl-Z byte ends the file), a
    line at a time into a 512-byte buffer (so a longer line comes in parts of 511 characters);
    empty lines are skipped, the character at index 6 tells the kind, a PERIODIC line counts its
    number (0 or none counts as 1, more than 2^31-1 as that), and reading stops at the first line
    of another kind, at a line too short to have a kind, or at a last line without its newline
    (the reader meets the end of the file while reading it).
    """
    data = data.split(b"\x1a", 1)[0].replace(b"\r\n", b"\n")
    at, size, number = 0, len(data), 1
    while at < size:
        newline = data.find(b"\n", at)
        take = size - at if newline < 0 else newline - at + 1
        take = min(take, READ_LIMIT)
        line = data[at:at + take]
        at += take
        this, number = number, number + line.endswith(b"\n")
        if take < READ_LIMIT and not line.endswith(b"\n"):
            break
        if line == b"\n":
            continue
        line = line.split(b"\0", 1)[0]
        if len(line) <= 6:
            break
        kind = line[6:7]
        if kind in (b"M", b"K"):
            yield this, line, 1
        elif kind == b"P":
            digits = _first_digit_run(line[6:])
            count = min(int(digits), INT32_MAX) if digits else 0
            yield this, line, count if count > 0 else 1
        else:
            break


def _first_digit_run(text: bytes) -> bytes:
    start = next((i for i, byte in enumerate(text) if 0x30 <= byte <= 0x39), None)
    if start is None:
        return b""
    end = start
    while end < len(text) and 0x30 <= text[end] <= 0x39:
        end += 1
    return text[start:end]


def described_events(data: bytes, limit: int):
    """The first `limit` events of a script as (line number, line text, what) with what in a
    student's words: "click 2", "key 3 (`q`)", "tick 5"."""
    seen = {"click": 0, "key": 0, "tick": 0}
    for number, line, count in event_lines(data):
        text = line.decode("latin-1").rstrip("\r\n")
        kind = {b"M": "click", b"K": "key"}.get(line[6:7], "tick")
        for _ in range(count):
            if limit <= 0:
                return
            limit -= 1
            seen[kind] += 1
            what = "%s %d" % (kind, seen[kind])
            if kind == "key":
                what += " (`%s`)" % _key_name(line)
            yield number, text, what


def _key_name(line: bytes) -> str:
    """The key of a KBD line as the package reads it: the first run of digits and '-'."""
    rest = line[6:]
    start = next((i for i, byte in enumerate(rest) if 0x30 <= byte <= 0x39 or byte == 0x2D), None)
    if start is None:
        return "0"
    end = start
    while end < len(rest) and (0x30 <= rest[end] <= 0x39 or rest[end] == 0x2D):
        end += 1
    try:
        code = int(rest[start:end][:11]) & 0xFF
    except ValueError:
        code = 0
    return chr(code) if 0x20 < code < 0x7F else "code %d" % code
