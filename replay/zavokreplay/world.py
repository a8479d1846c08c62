"""A world of its own for programs under Wine: a virtual X display (Xvfb picks a free display
number itself, so worlds started side by side never collide), a private copy of the project's
Wine prefix (so a wineserver of its own, ended at the end) in which every window appears in
Wine's virtual desktop, drawn with frame, caption and close box as on Windows, and the
environment that points Wine at both. The prefix is made and copied by the shell set-up that
the project's commands use too (replay/wine.sh: prepare_wine_prefix, clone_wine_prefix), so
every world runs Wine as the README's commands do, the installed replay tool's included.

Every wait is bounded; a WorldError gives a one-line reason, and close() leaves no process of the
world running and removes the copy."""

import ctypes
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass, field

from . import home

SCREEN = "1024x768"
DISPLAY_TIMEOUT_S = 10
STOP_TIMEOUT_S = 20

# $0 the tool's folder (replay/, or where it is installed), $1 the repository (empty for an
# installed tool, which installs and builds nothing), $2 the copy, $3 "install" or not, $4 targets
# to build, $5 desktop size, $6 where the environment goes, $7 the build folder. Messages and the
# environment go to files: a wineserver that the set-up starts would hold a pipe open for as long
# as it runs. The locks keep worlds started at once in a fresh build folder from building or
# making the prefix twice at the same time.
_SET_UP = r'''
    if [ -n "$1" ]; then
        . "$1/tools/common.sh" || exit 3
    else
        . "$0/wine.sh" || exit 3
    fi
    BUILD=$7
    if [ "$3" = install ]; then
        ensure_packages >/dev/null 2>&1 || { echo "cannot install the packages it needs (${PACKAGES[*]})"; exit 3; }
    fi
    mkdir -p "$BUILD" || exit 3
    if [ -n "$4" ]; then
        { flock -w 600 9 && build_project $4 >/dev/null 2>&1 9>&-; } 9>"$BUILD/build.lock" ||
            { echo "cannot build $4"; exit 3; }
    fi
    { flock -w 300 9 && prepare_wine_prefix "$BUILD/wineprefix" >/dev/null 2>&1 </dev/null 9>&-; } 9>"$BUILD/wineprefix.lock" ||
        { echo "cannot set up the Wine prefix $WINEPREFIX"; exit 3; }
    clone_wine_prefix "$2" "$5" || { echo "cannot copy the Wine prefix to $2"; exit 3; }
    env -0 >"$6"
'''


class WorldError(Exception):
    """A reason, one line, why the world cannot be made."""


@dataclass
class World:
    name: str  # names the prefix copy: BUILD/FOLDER/NAME.XXXXXX
    folder: str = "isolated"
    build: str = field(default_factory=home.build_folder)
    install: bool = False  # install missing packages first (tools/common.sh's PACKAGES)
    targets: tuple = ()  # build these first
    environment: dict = field(default_factory=dict)  # Wine's and the display's, for what runs inside
    prefix: str = ""
    xvfb: subprocess.Popen = None
    display_pipe: int = -1  # where Xvfb tells its display's number

    def start(self) -> None:
        """Makes the world; on failure what was made of it is removed again."""
        try:
            self._start_display()  # it starts while the prefix is copied
            self._prepare_wine()
            self.environment["DISPLAY"] = self._display_number()
        except BaseException:
            self.close()
            raise

    def _start_display(self) -> None:
        self.display_pipe, writer = os.pipe()
        try:
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", SCREEN + "x24",
                                          "-nolisten", "tcp"],
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL, pass_fds=(writer,), preexec_fn=_end_with_parent,
                                         # Not in the caller's process group: a Ctrl+C or timeout(1),
                                         # which signal the whole group, would end the display under
                                         # the connections still open to it (and Xlib ends a process
                                         # whose connection breaks); close() ends it.
                                         start_new_session=True)
        except OSError:
            raise WorldError("cannot start a virtual display (Xvfb)") from None
        finally:
            os.close(writer)

    def _display_number(self) -> str:
        reader, self.display_pipe = self.display_pipe, -1
        with os.fdopen(reader, "rb") as pipe:
            ready, _, _ = select.select([pipe], [], [], DISPLAY_TIMEOUT_S)
            number = pipe.readline().strip() if ready else b""
        if not number.isdigit():
            raise WorldError("cannot start a virtual display (Xvfb)")
        return ":" + number.decode()

    def _prepare_wine(self) -> None:
        copies = os.path.join(self.build, self.folder)
        os.makedirs(copies, exist_ok=True)
        self.prefix = tempfile.mkdtemp(prefix=self.name + ".", dir=copies)
        exported, messages = self.prefix + ".environment", self.prefix + ".messages"
        try:
            with open(messages, "wb") as log:
                status = subprocess.run(["bash", "-c", _SET_UP, home.TOOL, home.REPOSITORY or "",
                                         self.prefix, "install" if self.install else "", " ".join(self.targets),
                                         SCREEN, exported, self.build],
                                        stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                        env=dict(os.environ, ZAVOK_BUILD_DIR=self.build), check=False).returncode
            with open(messages, "rb") as log:
                message = log.read().decode(errors="replace").strip()
            if status != 0:
                raise WorldError(message.splitlines()[-1] if message else "cannot set up Wine")
            with open(exported, "rb") as file:
                entries = file.read().decode(errors="replace").split("\0")
        finally:
            for name in (exported, messages):
                if os.path.exists(name):
                    os.remove(name)
        self.environment = dict(entry.split("=", 1) for entry in entries if "=" in entry)
        if self.environment.get("WINEPREFIX") != self.prefix:
            raise WorldError("cannot set up the Wine prefix %s" % self.prefix)

    def close(self) -> None:
        """Ends the copy's wineserver and with it every Wine process of the world, the display,
        and removes the copy. Safe to call more than once."""
        if self.prefix and self.environment.get("WINEPREFIX") == self.prefix and not self._end_wineserver():
            for command in (["wineserver", "-k"], ["wineserver", "-w"]):
                try:
                    subprocess.run(command, env=self.environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, timeout=STOP_TIMEOUT_S, check=False)
                except subprocess.TimeoutExpired:
                    pass
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=STOP_TIMEOUT_S)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None
        if self.display_pipe >= 0:
            os.close(self.display_pipe)
            self.display_pipe = -1
        if self.prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix = ""

    def _end_wineserver(self) -> bool:
        """Does what `wineserver -k` does (SIGINT to the server, which ends every process of the
        prefix and then itself), but notices the end within 10 ms, where `wineserver -k` looks
        again only after up to 250 ms. The server is the one working in the folder Wine names
        after the prefix's device and inode. False if it cannot be told apart."""
        try:
            status = os.stat(self.prefix)
        except OSError:
            return False
        folder = "server-%x-%x" % (status.st_dev, status.st_ino)
        servers = []
        for entry in os.listdir("/proc"):
            try:
                with open("/proc/%s/comm" % entry) as comm:
                    if comm.read().strip() in ("wineserver", "wineserver64") and \
                            os.path.basename(os.readlink("/proc/%s/cwd" % entry)) == folder:
                        servers.append(int(entry))
            except (OSError, ValueError):
                pass
        if len(servers) > 1:
            return False
        deadline = time.monotonic() + STOP_TIMEOUT_S
        for server in servers:
            os.kill(server, signal.SIGINT)
            while _running(server) and time.monotonic() < deadline:
                time.sleep(0.01)
        return time.monotonic() < deadline

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *_):
        self.close()


def _running(pid: int) -> bool:
    """Whether the process is there and not just waiting to be collected (a zombie)."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def _end_with_parent() -> None:
    """In the child before it starts: the display ends with its world's process even if that is
    killed outright (PR_SET_PDEATHSIG)."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM, 0, 0, 0)
