"""Progress of a replay: on a terminal one bar redrawn in place (events done, events a second,
time left); otherwise the plain lines "frame N of M", one per event, as logs and tests read them.

    progress = Progress(total, stream=sys.stderr)
    for done in range(1, total + 1):
        ...
        progress.update(done)
    progress.finish()
"""

import shutil
import sys
import time

REDRAW_SECONDS = 0.1   # a terminal is redrawn at most this often, and always at the end


def _clock(seconds):
    seconds = int(seconds + 0.5)
    return "%d:%02d:%02d" % (seconds // 3600, seconds // 60 % 60, seconds % 60) if seconds >= 3600 \
        else "%d:%02d" % (seconds // 60, seconds % 60)


def bar_line(done, total, elapsed, width):
    """The text of the bar for a terminal of the given width, without the carriage return."""
    rate = done / elapsed if elapsed > 0 and done > 0 else 0.0
    left = "--:--" if rate == 0 else _clock((total - done) / rate)
    tail = " %d/%d  %.1f/s  %s left" % (done, total, rate, left)
    room = max(0, width - 1 - len(tail) - 2)
    filled = room if total <= 0 else room * min(done, total) // total
    return ("[" + "#" * filled + "-" * (room - filled) + "]" + tail)[:max(0, width - 1)]


class Progress:
    def __init__(self, total, stream=None, terminal=None, clock=time.monotonic):
        self.total = total
        self.stream = sys.stderr if stream is None else stream
        self.terminal = self.stream.isatty() if terminal is None else terminal
        self.clock = clock
        self.started = clock()
        self.drawn_at = None
        self.done = 0
        self.shown = False

    def update(self, done):
        """Reports that done events of the total are finished (0 before the first)."""
        self.done = done
        if not self.terminal:
            self.stream.write("frame %d of %d\n" % (done, self.total))
            self.stream.flush()
            return
        now = self.clock()
        if self.drawn_at is not None and now - self.drawn_at < REDRAW_SECONDS and done < self.total:
            return
        self.drawn_at = now
        width = shutil.get_terminal_size((80, 24)).columns
        self.stream.write("\r" + bar_line(done, self.total, now - self.started, width) + "\x1b[K")
        self.stream.flush()
        self.shown = True

    def finish(self):
        """Ends the bar's line, so that what is printed next starts on a line of its own."""
        if self.terminal and self.shown:
            self.stream.write("\n")
            self.stream.flush()
            self.shown = False
