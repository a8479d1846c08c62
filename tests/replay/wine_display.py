"""A virtual X display of its own for a test, and Windows programs run on it under Wine, in the
Wine prefix that WINEPREFIX names. Every wait is bounded; closing ends what was started here
and the prefix's server (as the project's other Wine tests do)."""

import os
import subprocess
import time


def wait_for(condition, seconds, interval=0.05):
    """Polls condition until it holds (True) or the seconds are over (False)."""
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(interval)
    return True


class Display:
    def __init__(self, size="1024x768x24"):
        self.size = size
        self.programs = []

    def __enter__(self):
        read_end, write_end = os.pipe()
        # Xvfb picks a free display itself and writes its number to the descriptor.
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten",
                                        "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            self.server.kill()
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        return self

    def run_wine(self, command, timeout):
        return subprocess.run(["wine", *command], env=self.env, capture_output=True, timeout=timeout)

    def start_wine(self, command):
        program = subprocess.Popen(["wine", *command], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.programs.append(program)
        return program

    def key(self, window_name, keys):
        """Types keys (xdotool's names) into the window of that exact name."""
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % window_name], env=self.env,
                               capture_output=True, text=True, timeout=10).stdout.split()
        if found:
            subprocess.run(["xdotool", "windowfocus", "--sync", found[0]], env=self.env, timeout=10,
                           capture_output=True)
            subprocess.run(["xdotool", "key", keys], env=self.env, timeout=10, capture_output=True)

    def stop_wine(self, program, seconds=10):
        """Ends a ZAVOK program as its user would (Ctrl+Q), or kills it after the seconds."""
        self.key("ZAVOK Graphics", "ctrl+q")
        try:
            program.wait(seconds)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait(seconds)

    def __exit__(self, *_):
        for program in self.programs:
            if program.poll() is None:
                program.kill()
                program.wait(10)
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=20)
        self.server.terminate()
        self.server.wait(10)
