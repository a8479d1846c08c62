#!/usr/bin/python3
"""The two downloads as people get them: each zip unpacked into an empty folder outside the build
tree and used from there (docs/testing.md, dist_*, says what is checked).

    dist_test.py kartello|sdk ZIP [KEEP]

The sdk scenario leaves the starter it built, and its frame after the click, in KEEP (for the
.deb's test, deb_test.py).

Each README's code block runs through bash as a person types it, but for its wine line: the
programs are started by one replay session (replay/zavokreplay), which makes its own
display and Wine prefix copy. OBJDUMP names the cross objdump, ZAVOK_BUILD_DIR the build folder.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "replay"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

import checks  # noqa: E402
import sdk_names  # noqa: E402
import sdk_pages  # noqa: E402
from zavokreplay import constants, png, replay as replaying  # noqa: E402
from zavokreplay.session import ReplayError, Session, Settings  # noqa: E402

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
COMMANDS_TIMEOUT_S = 600
# The calendar time of the replays; the golden frames of tests/pictures were made at it too.
REPLAY_TIME = 1767268800  # 2026-01-01 12:00:00 UTC
EMPTY_CARD = os.path.join(ROOT, "tests", "pictures", "golden", "kartello-shapes", "0000.png")
# The starter's scene (sky, sun, grass) with the red dot of the click: world point and colour.
STARTER_SCENE = [((0, 0), (255, 0, 0)), ((200, 160), (204, 153, 51)), ((0, -150), (0, 102, 51))]
CLICK_DOTS = [((0, 0), (255, 0, 0)), ((0, 20), (255, 255, 255))]

def check(description, problems):
    """Reports a check: passed when `problems` (a list of lines, or a bool) holds none (is true)."""
    if isinstance(problems, bool):
        problems = [] if problems else [""]
    return checks.check(not problems, description, problems)


def unpack(zip_path, work):
    """Unzips into an empty folder, which must then hold one folder named as the zip."""
    unpacked = os.path.join(work, "unpacked")
    os.mkdir(unpacked)
    if subprocess.run(["unzip", "-q", zip_path, "-d", unpacked]).returncode != 0:
        sys.exit("cannot unpack %s" % zip_path)
    name = os.path.basename(zip_path)[:-len(".zip")]
    if os.listdir(unpacked) != [name]:
        sys.exit("the zip holds %s, not one folder %s" % (os.listdir(unpacked), name))
    return os.path.join(unpacked, name)


def missing_files(folder, names):
    return ["missing: " + name for name in names
            if not os.path.isfile(os.path.join(folder, name)) or os.path.getsize(os.path.join(folder, name)) == 0]


def foreign_dlls(programs):
    """What each program imports apart from the DLLs every Windows has."""
    problems = []
    for program in programs:
        if not os.path.isfile(program):
            problems.append("no " + program)
            continue
        dump = subprocess.run([os.environ["OBJDUMP"], "-p", program], capture_output=True, text=True).stdout
        foreign = [name for name in re.findall(r"^\s*DLL Name: (\S+)", dump, re.MULTILINE)
                   if name.lower() not in WINDOWS_DLLS]
        if foreign:
            problems.append("%s imports: %s" % (program, " ".join(foreign)))
    return problems


def readme_commands(readme, heading):
    """The lines of the first sh block after the line starting with `heading` (CR LF or LF line
    ends), but for its wine lines."""
    with open(readme, encoding="utf-8") as file:
        lines = file.read().replace("\r", "").split("\n")
    starts = [number for number, line in enumerate(lines) if line.startswith(heading)]
    if not starts:
        return []
    commands, inside = [], False
    for line in lines[starts[0] + 1:]:
        if not inside:
            inside = line == "```sh"
        elif line == "```":
            break
        elif not line.startswith("wine "):
            commands.append(line)
    return commands


def command_problems(folder, readme, heading_or_commands, log):
    """Runs a README's commands (those under a heading, or given) in `folder`, stopping at the
    first that fails. cmake --build takes both cores (CMAKE_BUILD_PARALLEL_LEVEL, as a person's
    shell may set it): the commands stay as they are written."""
    commands = readme_commands(readme, heading_or_commands) if isinstance(heading_or_commands, str) \
        else heading_or_commands
    if not commands:
        return ["no commands under '%s' in %s" % (heading_or_commands, readme)]
    environment = dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL=str(os.cpu_count() or 1))
    with open(log, "w+") as output:
        shell = subprocess.Popen(["bash", "-e", "-c", "\n".join(commands)], cwd=folder, env=environment,
                                 stdin=subprocess.DEVNULL, stdout=output, stderr=output, start_new_session=True)
        try:
            status = shell.wait(timeout=COMMANDS_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            os.killpg(shell.pid, signal.SIGKILL)  # the shell and whatever it started
            shell.wait()
            status = "timed out"
        output.seek(0)
        return [] if status == 0 else output.read().splitlines() + ["exit status %s" % status]


def colour_at(picture, x, y):
    """The colour at a world point: the world's origin is the middle of the client area."""
    at = ((picture.height // 2 - y) * picture.width + picture.width // 2 + x) * 3
    return tuple(picture.rgb[at:at + 3])


class Replays:
    """One replay session for every program of the test: each started from its own path, the
    script in the session's folder played, every frame kept."""

    def __init__(self, work):
        self.work = os.path.join(work, "replays")
        os.mkdir(self.work)
        self.session = None
        self.script = os.path.join(self.work, constants.SCRIPT_FILE)

    def last_frame(self, program, script_text, read_text=False):
        """The replay's Replay and its last Frame; raises ReplayError."""
        replay, frames = self.frames(program, script_text, read_text)
        return replay, frames[-1]

    def frames(self, program, script_text, read_text=False):
        """The replay's Replay and all its Frames, 0000 first; raises ReplayError."""
        with open(self.script, "w") as file:
            file.write(script_text)
        build = os.path.abspath(os.environ.get("ZAVOK_BUILD_DIR") or os.path.join(ROOT, "build"))
        settings = Settings(root=ROOT, build=build, program=os.path.abspath(program), work=self.work,
                            time_seconds=REPLAY_TIME)
        replay = replaying.Replay(settings, self.script, replaying.read_script(self.script), read_text=read_text)
        keeper = Frames()
        try:
            if self.session is None:
                self.session = Session(settings).__enter__()
            replaying.run(replay, [keeper], self.session)
        except ReplayError:
            self.close()
            raise
        return replay, keeper.kept

    def draws(self, program, points):
        """Problems of the frame after a click at (0, 0): each world point must show its colour."""
        try:
            _, frame = self.last_frame(program, "ZAVOK_MOUSE(0, 0);\n")
        except ReplayError as error:
            return ["the replay of %s: %s" % (program, error)], None
        return ["(%d, %d) is %s, not %s" % (x, y, colour_at(frame, x, y), colour)
                for (x, y), colour in points if colour_at(frame, x, y) != colour], frame

    def close(self):
        if self.session is not None:
            self.session.close()
            self.session = None


class Frames(replaying.Observer):
    def __init__(self):
        self.kept = []

    def frame(self, replay, frame):
        self.kept.append(frame)


def scenario_kartello(folder, replays):
    check("the zip holds kartello.exe, README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt",
          missing_files(folder, ["kartello.exe", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"]))
    program = os.path.join(folder, "kartello.exe")
    check("kartello.exe needs no DLL beside it", foreign_dlls([program]))
    try:
        replay, frame = replays.last_frame(program, "", read_text=True)
        empty = png.read(EMPTY_CARD)
        problems = [] if (frame.width, frame.height, frame.rgb) == (empty.width, empty.height, empty.rgb) else \
            ["its first frame is not %s" % os.path.relpath(EMPTY_CARD, ROOT)]
        if frame.text is not None and not replay.text_shown:
            problems.append("its text window shows at start")
    except (ReplayError, png.PngError) as error:
        problems = [str(error)]
    check("kartello.exe from the unpacked folder shows its empty card, pixel for pixel as in the golden "
          "replays, and no text window", problems)


def scenario_sdk(sdk, replays, work, keep):
    # Before any command below makes files in the folder that the pages might name.
    faults, looked_at = sdk_names.faults(sdk)
    check("the pages and READMEs name only files and commands a reader of the SDK has (%d looked at)" % looked_at,
          ["%s %s" % fault for fault in faults] or bool(looked_at))
    check("the zip holds the header, the library, the CMake and pkg-config files, the starter and the examples",
          missing_files(sdk, ["include/zavok.h", "lib/libzavok.a", "lib/cmake/zavok/zavokConfig.cmake",
                              "lib/cmake/zavok/zavokConfigVersion.cmake", "lib/cmake/zavok/zavokTargets.cmake",
                              "lib/pkgconfig/zavok.pc", "template/main.c", "template/CMakeLists.txt",
                              "template/README.md", "examples/CMakeLists.txt", "examples/click_dots.c",
                              "cmake/mingw-w64-x86_64.cmake", "README.md", "LICENSE.txt"]))
    log = os.path.join(work, "commands.log")
    starter_frame = None
    program = os.path.join(os.path.dirname(sdk), "my-program", "build", "my_program.exe")
    if check("the starter, copied beside the SDK, builds with its README's commands",
             command_problems(sdk, os.path.join(sdk, "template", "README.md"), "## On Linux", log)):
        check("and needs no DLL beside it", foreign_dlls([program]))
        problems, starter_frame = replays.draws(program, STARTER_SCENE)
        check("and draws its scene and a dot where it is clicked", problems)
        if keep and starter_frame is not None:
            shutil.rmtree(keep, ignore_errors=True)
            os.makedirs(keep)
            shutil.copy(program, keep)
            png.write(os.path.join(keep, "click.png"), starter_frame.width, starter_frame.height, starter_frame.rgb)

    starter = readme_commands(os.path.join(sdk, "template", "README.md"), "## On Linux")
    msys2 = readme_commands(os.path.join(sdk, "template", "README.md"), "## On Windows, with MSYS2")
    index = os.path.join(ROOT, "docs", "dist", "sdk-index.md.in")
    check("the SDK's README, its start page and the project's README give the starter's commands alike",
          bool(starter) and readme_commands(os.path.join(sdk, "README.md"), "## A first program") == starter
          and readme_commands(os.path.join(ROOT, "README.md"), "## Writing your first program")[2:] == starter
          and readme_commands(index, "### On Linux") == starter
          and bool(msys2) and readme_commands(index, "### On Windows, with MSYS2") == msys2)

    if check("the examples build with the SDK README's commands, as a C-only CMake project",
             command_problems(sdk, os.path.join(sdk, "README.md"), "## The examples", log)):
        built = os.path.join(sdk, "examples", "build")
        check("and need no DLL beside them",
              foreign_dlls([os.path.join(built, name) for name in sorted(os.listdir(built)) if name.endswith(".exe")]))
        check("click_dots draws a dot where it is clicked",
              replays.draws(os.path.join(built, "click_dots.exe"), CLICK_DOTS)[0])

    # Linking every sample would take as long as the examples: the build is held to one of them.
    samples = os.path.join(sdk, "docs", "samples", "build")
    commands = [line + " --target sample_palette" if line == "cmake --build docs/samples/build" else line
                for line in readme_commands(os.path.join(sdk, "README.md"), "## The reference's samples")]
    if check("the reference's samples configure against the SDK with the README's commands, and the palette builds",
             command_problems(sdk, os.path.join(sdk, "README.md"), commands, log)):
        check("and needs no DLL beside it", foreign_dlls([os.path.join(samples, "sample_palette.exe")]))

    program = os.path.join(sdk, "my_program.exe")
    if check("the starter builds with the SDK README's compiler command and pkg-config",
             command_problems(sdk, os.path.join(sdk, "README.md"), "## Without CMake", log)):
        check("and needs no DLL beside it", foreign_dlls([program]))
        problems, frame = replays.draws(program, STARTER_SCENE)
        if not problems and (starter_frame is None or frame.rgb != starter_frame.rgb):
            problems = ["its frame is not the CMake build's"]
        check("and draws as the CMake build does, pixel for pixel", problems)
    replays.close()

    pages = ["docs/%s.html" % name for name in ("reference", "examples")
             if os.path.isfile(os.path.join(ROOT, "docs", name + ".md"))]
    pages += ["docs/index.html", "docs/cheatsheet.html"] if pages else []
    if pages:
        check("the SDK holds its pages: " + " ".join(pages), missing_files(sdk, pages))
        sdk_pages.check_pages(os.path.join(sdk, "docs"), os.path.join(ROOT, "docs"), work, check)


def main(arguments):
    if len(arguments) not in (2, 3) or arguments[0] not in ("kartello", "sdk"):
        sys.exit("usage: dist_test.py kartello|sdk ZIP [KEEP]")
    scenario, zip_path = arguments[:2]
    work = tempfile.mkdtemp(prefix="zavok-dist.")
    replays = Replays(work)
    try:
        folder = unpack(os.path.abspath(zip_path), work)
        if scenario == "kartello":
            scenario_kartello(folder, replays)
        else:
            scenario_sdk(folder, replays, work, arguments[2] if len(arguments) > 2 else None)
    finally:
        replays.close()
        shutil.rmtree(work, ignore_errors=True)
    return checks.exit_status()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
