#!/usr/bin/python3
"""Kartello as a person uses it: the real program under Wine, driven only by X clicks and keys,
checked only by what the screen shows and the files it writes (zavokreplay.desktop).

    kartello_e2e.py KARTELLO.exe SCENARIO

The Wine environment comes from the caller: tools/isolated gives it its own display and prefix
copy, with Wine's virtual desktop. Each function scenario_NAME below is a scenario; CMake makes
the test e2e_NAME of each such line. Exit status: 0 every check held, 1 one failed, 2 the program
could not be driven."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "replay"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

import checks  # noqa: E402
from zavokreplay import constants  # noqa: E402
from zavokreplay.constants import layout  # noqa: E402
from zavokreplay.desktop import Desktop, DriveError, count_near  # noqa: E402

YELLOW, MAGENTA, BLACK = (255, 255, 0), (255, 0, 255), (0, 0, 0)
RED, GREEN, WHITE = (255, 0, 0), (0, 255, 0), (255, 255, 255)
MAX_OBJECTS = constants.read_constexprs(constants.DESIGNER)["MAX_OBJECTS"]

# Panel buttons, by the middle of each one's band.
BUTTON_X = (layout.PANEL_LEFT + layout.PANEL_RIGHT) // 2


def button_y(button: int) -> int:
    return layout.PANEL_TOP - layout.BUTTON_PITCH * button - layout.BUTTON_PITCH // 2


def button(index: int) -> tuple:
    return BUTTON_X, button_y(index)


BACKGROUND, NEXT, OBJECT_COLOUR = layout.BUTTON_BACKGROUND, layout.BUTTON_NEXT, layout.BUTTON_OBJECT_COLOUR
ADD_SHAPE, ADD_TEXT, SELECT = layout.BUTTON_ADD_SHAPE, layout.BUTTON_ADD_TEXT, layout.BUTTON_SELECT
LABELS = (layout.LABEL_X, layout.PANEL_TOP - 1, layout.PANEL_RIGHT - 2, layout.PANEL_BOTTOM)
STATUS = (layout.STATUS_X, layout.STATUS_Y + 20, layout.CARD_RIGHT - 1, layout.STATUS_Y - 5)
GREETING = (-100, -80, 100, -101)  # where a greeting written at (-100, -100) shows
QUIET_S = 0.3  # three of the package's 100 ms ticks without a frame: the animation has stopped
SCRIPT_LINE = re.compile(r"ZAVOK_(MOUSE\(-?[0-9]+, -?[0-9]+\)|KBD\(-?[0-9]+\)|PERIODIC\([1-9][0-9]*\));")


# ---- Checks on a screenshot ----------------------------------------------------------------
def pixel_is(x: int, y: int, colour: tuple):
    return lambda shot: shot.pixel(x, y) == colour


def pixels_are(points, colour: tuple):
    return lambda shot: all(shot.pixel(x, y) == colour for x, y in points)


def some_of(colour: tuple, box: tuple, more_than: int = 0):
    return lambda shot: shot.count(colour, *box) > more_than


def none_of(colour: tuple, box: tuple):
    return lambda shot: shot.count(colour, *box) == 0


def label_is_red(index: int):
    middle = button_y(index)
    return some_of(RED, (layout.LABEL_X, middle + layout.LABEL_PTSIZE + 4, layout.PANEL_RIGHT - 2, middle - 2))


class Run:
    """One scenario: its folder, the desktop, the program driven now, and the checks' outcome."""

    def __init__(self, program: str, work: str):
        self.program_path, self.work = program, work
        self.desktop = Desktop(dict(os.environ))
        self.program = None

    def check(self, description: str, held: bool, detail: str = "") -> bool:
        return checks.check(held, description + (": " + detail if detail and not held else ""))

    def eventually(self, description: str, check) -> bool:
        """The screen comes to pass the check soon: the program redraws on its own time."""
        return self.check(description, self.program.until(check)[1])

    def stays(self, description: str, check, frames: int = 3, action=None) -> bool:
        """An absence: the check holds on each of the program's next frames, drawn once the input
        that could have changed it (the action, or what came before) has been handled."""
        program = self.program
        program.damage.forget()
        if action is not None:
            action()
        for _ in range(frames):
            if not program.frames(1) or not check(program.shot()):
                return self.check(description, False)
        return self.check(description, True)

    def start(self):
        self.program = self.desktop.start(self.program_path, self.work)
        if not self.program.until(pixel_is(0, 0, YELLOW))[1]:
            raise DriveError("Kartello drew no card")
        return self.program

    def press(self, index: int) -> None:
        self.program.click(*button(index))

    def quits(self, description: str) -> bool:
        status = self.program.wait_exit()
        return self.check(description, status == 0, "got %s" % ("timeout" if status is None else status))

    def halt(self) -> None:
        """Halts animation, so that no periodic events come between the keys and clicks: a
        periodic event armed before the halt is still delivered at the next tick, so the wait is
        until the frames stop."""
        self.program.damage.forget()
        self.program.keys("ctrl+h")
        deadline = time.monotonic() + 10
        while self.program.frames(1, timeout_s=QUIET_S) and time.monotonic() < deadline:
            pass

    def record_halted(self) -> None:
        self.halt()
        self.program.keys("ctrl+r")

    # ---- The script file ---------------------------------------------------------------------
    def script_bytes(self) -> bytes:
        try:
            with open(os.path.join(self.work, constants.SCRIPT_FILE), "rb") as file:
                return file.read()
        except OSError:
            return b""

    def script_lines(self, kind: str = "") -> list:
        lines = self.script_bytes().decode(errors="replace").replace("\r", "").splitlines()
        return [line for line in lines if line.startswith("ZAVOK_" + kind)]

    def until_lines(self, kind: str, count: int, timeout_s: float) -> bool:
        deadline = time.monotonic() + timeout_s
        while len(self.script_lines(kind)) < count:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.05)
        return True

    def well_formed(self, description: str) -> bool:
        """Every line of the recording is whole and of its kind (what is not a click or a key
        is a run of periodic events), and every line ends in CR LF, the last one included."""
        data = self.script_bytes()
        lines = data.decode(errors="replace").replace("\r\n", "\n").split("\n")[:-1]
        bad = [line for line in lines if not SCRIPT_LINE.fullmatch(line)]
        if bad:
            return self.check(description, False, "%d line(s) are not whole lines" % len(bad))
        return self.check(description, data.count(b"\r") == data.count(b"\n") and data.endswith(b"\r\n"),
                          "the lines do not all end in CR LF")

    def write_script(self, lines) -> None:
        with open(os.path.join(self.work, constants.SCRIPT_FILE), "w") as file:
            file.writelines(line + "\n" for line in lines)

    def text_window_visible(self) -> bool:
        return bool(self.desktop.windows_titled(constants.TEXT_TITLE))


def mouse_line(x: int, y: int) -> str:
    return "ZAVOK_MOUSE(%d, %d);" % (x, y)


def key_line(key: str) -> str:
    return "ZAVOK_KBD(%d);" % ord(key)


# ---- Scenarios -------------------------------------------------------------------------------
def scenario_start(run: Run) -> None:
    run.start()
    run.eventually("the card is yellow", pixel_is(0, 0, YELLOW))
    run.eventually("the card's border is black", pixel_is(layout.CARD_LEFT - 3, 0, BLACK))
    run.eventually("the status line is green", some_of(GREEN, STATUS, 5))
    run.eventually("no button label is red", none_of(RED, LABELS))
    run.check("the text window is hidden at start", not run.text_window_visible())


def scenario_buttons_and_hearts(run: Run) -> None:
    program = run.start()
    run.press(BACKGROUND)
    run.eventually("Background color turns the card magenta", pixel_is(0, 0, MAGENTA))
    run.eventually("and its label red", label_is_red(BACKGROUND))
    program.click(50, 60)
    run.eventually("a card click adds a black heart at the click", pixel_is(50, 60, BLACK))
    run.eventually("the heart reaches below its anchor", pixel_is(50, 40, BLACK))
    run.eventually("the card around the heart keeps its colour", pixel_is(50, 110, MAGENTA))
    run.eventually("the status line turns red", some_of(RED, STATUS, 5))
    run.eventually("and is no longer green", none_of(GREEN, STATUS))


def scenario_greetings_and_moving(run: Run) -> None:
    program = run.start()
    run.press(ADD_TEXT)
    program.click(-100, -100)
    shot, held = program.until(some_of(BLACK, GREETING, 20))
    run.check("a card click in text mode writes a black greeting", held)
    before = shot.count(BLACK, *GREETING)
    run.press(NEXT)
    run.eventually("Next, please changes the greeting's text", lambda shot: shot.count(BLACK, *GREETING) != before)
    run.press(OBJECT_COLOUR)
    run.eventually("Object color turns the greeting white", some_of(WHITE, GREETING, 20))
    run.eventually("and leaves no black text", none_of(BLACK, GREETING))

    run.press(ADD_SHAPE)
    program.click(100, 100)
    run.eventually("a heart is added", pixel_is(100, 100, BLACK))
    run.press(SELECT)
    program.click(105, 95)
    program.click(0, 0)
    run.eventually("Select object and two clicks move the heart to the second click", pixel_is(0, 0, BLACK))
    shot, held = program.until(pixel_is(100, 100, YELLOW))
    run.check("and away from where it was", held)
    run.check("the greeting stays", shot.count(WHITE, *GREETING) > 20)


# The clicks and keys of a recorded session and the script lines they must give.
SESSION = [button(BACKGROUND), "x", (0, 0)] + [button(NEXT)] * 4 + [button(ADD_SHAPE), (-80, 120)]
EXPECTED_SCRIPT = [key_line(step) if isinstance(step, str) else mouse_line(*step) for step in SESSION]


def replayed_card_is_right(run: Run) -> None:
    run.eventually("the played card is magenta", pixel_is(-120, -140, MAGENTA))
    run.eventually("the cake's body stands at its anchor", pixel_is(25, 15, BLACK))
    run.eventually("the heart stands at its anchor", pixel_is(-80, 120, BLACK))


def scenario_record_and_playback(run: Run) -> None:
    program = run.start()
    run.record_halted()
    for step in SESSION:
        program.keys(step) if isinstance(step, str) else program.click(*step)
    program.keys("ctrl+r")
    replayed_card_is_right(run)
    program.keys("ctrl+q")
    run.quits("Ctrl+Q ends the first run")
    # The program has ended: the file is as the recording left it.
    script = run.script_lines()
    run.check("the recording holds exactly the session's clicks and keys", script == EXPECTED_SCRIPT,
              "it holds:\n    " + "\n    ".join(script))

    program = run.start()
    program.keys("ctrl+p")
    replayed_card_is_right(run)
    program.keys("ctrl+q")
    run.quits("Ctrl+Q ends the second run")

    program = run.start()
    program.keys("ctrl+o")
    run.eventually("Ctrl+O plays the first click only: the card turns magenta", pixel_is(-120, -140, MAGENTA))
    run.stays("the click after the key is not played yet", pixel_is(0, 0, MAGENTA), frames=1,
              action=lambda: program.keys("ctrl+o"))  # the key: one frame, and no heart
    program.keys("ctrl+o")
    run.eventually("the next Ctrl+O plays that click: a heart", pixel_is(0, 0, BLACK))


def run_menu_check_marks(run: Run) -> int:
    """Dark pixels in the check-mark column of the Run menu, opened and closed again by clicks on
    its title (closed with Escape, Wine's menu bar would take the next click on it as its own)."""
    program = run.program
    program.open_run_menu()
    menu = run.desktop.popup()
    if menu is None:
        raise DriveError("the Run menu did not open")
    x, y, _, height = menu
    marks = count_near(run.desktop.screen(x + 3, y + 2, 14, min(240, height - 2)), 14, None, 0, 0, 14, 240, below=77)
    program.open_run_menu()
    if not run.desktop.popup_closed():
        raise DriveError("the Run menu did not close")
    return marks


def scenario_logging_and_quit(run: Run) -> None:
    program = run.start()
    # The designer switches logging off at start-up, so Logging starts unchecked.
    unchecked = run_menu_check_marks(run)
    program.keys("ctrl+l")
    checked = run_menu_check_marks(run)
    run.check("Ctrl+L checks Logging (%d -> %d dark pixels in the check-mark column)" % (unchecked, checked),
              checked > 10 and unchecked < checked / 4)
    program.keys("ctrl+l")
    unchecked = run_menu_check_marks(run)
    run.check("a second Ctrl+L removes the check mark (%d dark pixels)" % unchecked, unchecked < checked / 4)
    run.check("the text window stays hidden", not run.text_window_visible())
    program.keys("ctrl+q")
    run.quits("Ctrl+Q ends the program with exit code 0")


def scenario_close_window(run: Run) -> None:
    program = run.start()
    run.stays("a click on the caption away from its close box leaves Kartello running",
              lambda shot: program.running(), action=lambda: run.desktop.click(*program.caption_point(300)))
    program.click_close_box()
    run.quits("closing the window ends the program with exit code 0")


def scenario_menu_quit(run: Run) -> None:
    program = run.start()
    program.open_run_menu()
    if run.desktop.popup() is None:
        raise DriveError("the Run menu did not open")
    run.desktop.keys("q")  # the Quit item's mnemonic
    run.quits("the Run menu's Quit ends the program with exit code 0")


# ---- Floods and a crash while recording ------------------------------------------------------

# MAX_OBJECTS - 1 hearts in a block on the card's left, one more at P, 850 clicks moving it that
# end at Q: 1,000 card clicks, each heart's preceded by a click on Add shape.
HEART_P, HEART_Q, HEART_R = (160, 150), (160, 30), (160, -90)
BLOCK = [(-90 + i % 10 * 14, -60 + i // 10 * 14) for i in range(MAX_OBJECTS - 1)]
BLOCK_POINTS = [(-90, -60), (-34, 8), (36, 136), (-62, 136), (36, -60)]  # its corners and middle, all black
FLOOD = [point for heart in BLOCK for point in (button(ADD_SHAPE), heart)] + [button(ADD_SHAPE), HEART_P] + \
    [(110 + i * 7 % 100, -60 + i * 13 % 160) for i in range(1, 850)] + [HEART_Q]


def scenario_flood_clicks(run: Run) -> None:
    program = run.start()
    program.keys("ctrl+r")
    program.clicks(FLOOD)
    run.check("all %d clicks are recorded" % len(FLOOD), run.until_lines("MOUSE", len(FLOOD), 120),
              "got %d" % len(run.script_lines("MOUSE")))
    run.check("the MOUSE lines are the clicks, in order, at their world points",
              run.script_lines("MOUSE") == [mouse_line(*point) for point in FLOOD])
    run.well_formed("every line is whole, the rest are runs of periodic events")
    run.eventually("the block of %d hearts is on the card" % len(BLOCK), pixels_are(BLOCK_POINTS, BLACK))
    run.eventually("the %dth heart was moved from P" % MAX_OBJECTS, pixel_is(*HEART_P, YELLOW))
    run.eventually("to Q, the last click", pixel_is(*HEART_Q, BLACK))
    # One heart more is refused: only if all MAX_OBJECTS before it were added.
    run.press(ADD_SHAPE)
    program.click(*HEART_R)
    run.check("the click for one heart more is recorded", run.until_lines("MOUSE", len(FLOOD) + 2, 20))
    run.stays("the card holds %d objects: one more is refused" % MAX_OBJECTS, pixel_is(*HEART_R, YELLOW))
    program.keys("ctrl+r", "ctrl+q")
    run.quits("Ctrl+Q ends the program after the flood")


def scenario_flood_keys(run: Run) -> None:
    program = run.start()
    program.keys("ctrl+r")
    letters = "abcdefghijklmnopqrstuvwxyz0123456789"
    keys = [letters[i * 7 % 36] for i in range(1000)]
    program.keys(*keys)
    run.check("all 1000 keys are recorded", run.until_lines("KBD", 1000, 60), "got %d" % len(run.script_lines("KBD")))
    run.check("the KBD lines are the keys, in order", run.script_lines("KBD") == [key_line(key) for key in keys])
    run.well_formed("every line is whole, the rest are runs of periodic events")
    program.click(50, 60)
    run.eventually("the program still takes clicks: a heart", pixel_is(50, 60, BLACK))
    program.keys("ctrl+r", "ctrl+q")
    run.quits("Ctrl+Q ends the program after the keys")


def scenario_crash(run: Run) -> None:
    program = run.start()
    program.keys("ctrl+r")
    points = [(-130 + i * 7 % 340, -140 + i * 11 % 330) for i in range(1, 2001)]
    program.clicks(points)
    run.check("the recording grows while the clicks come", run.until_lines("MOUSE", 200, 60))
    before = run.script_bytes()
    program.kill()
    program.wait_exit()
    recorded = len(run.script_lines("MOUSE"))
    print("killed with %d MOUSE lines seen, %d in the file after the kill" %
          (before.count(b"ZAVOK_MOUSE("), recorded))
    run.check("every line written before the kill is still in the file", run.script_bytes().startswith(before))
    run.well_formed("every line is whole")
    run.check("the recorded clicks are the first %d sent, in order" % recorded,
              run.script_lines("MOUSE") == [mouse_line(*point) for point in points[:recorded]])
    if recorded < len(points):
        print("ok: the kill came in the middle of the recording")
    else:
        print("note: every click was recorded before the kill took effect")


# ---- Quitting while a long script plays, and two programs recording in one folder ------------

def quit_while_playing(run: Run, kind: str, quit: str, recording: bool = False) -> bool:
    """Plays a script that plays for minutes, a click on Background color (the card turns magenta
    as soon as playback runs), then 200,000 keys or one run of 100,000 periodic events, recording
    too if asked, and asks to quit with ctrl+q or the close box: the program must end, with exit
    code 0."""
    description = "%s while %s play%s" % (quit, kind, " and are recorded" if recording else "")
    body = [key_line("a")] * 200000 if kind == "keys" else ["ZAVOK_PERIODIC(100000);"]
    run.write_script([mouse_line(*button(BACKGROUND))] + body)
    program = run.start()
    program.keys("ctrl+p")
    if recording:
        program.keys("ctrl+r")
    run.eventually(description + ": playback runs", pixel_is(0, 0, MAGENTA))
    started = time.monotonic()
    program.click_close_box() if quit == "close_box" else program.keys(quit)
    return run.quits("%s ends the program with exit code 0 (%.1f s)" % (description, time.monotonic() - started))


# Two programs in turn each (a program left running would stand in the next one's way).
def scenario_quit_while_playing(run: Run) -> None:
    quit_while_playing(run, "keys", "ctrl+q") and quit_while_playing(run, "ticks", "close_box")


def scenario_quit_while_playing_and_recording(run: Run) -> None:
    quit_while_playing(run, "ticks", "ctrl+q", True) and quit_while_playing(run, "keys", "close_box", True)


# Both programs' windows open at the top left of the screen, the second one over the first.
# Wine's X windows do not follow a window dragged in its virtual desktop, so the windows are
# reached by screen points of their captions.
FIRST_CAPTION_X, SECOND_CAPTION_X = 150, 800  # the first one, once on top again, covers up to 600


def drag_aside(run: Run, program) -> None:
    """Drags the window on top by its caption 400 pixels to the right, and waits until it has
    moved."""
    start = program.caption_point(300)
    run.desktop.drag(start, (start[0] + 400, start[1]))
    deadline = time.monotonic() + 10
    while run.desktop.display.geometry(program.window)[0] == program.x and time.monotonic() < deadline:
        time.sleep(0.02)


def use_program(run: Run, program, caption_x: int, active: tuple) -> None:
    """Drives the program from now on, given the keyboard by a click on its caption at
    caption_x: done once its caption has the active colour. Wine may still be ending the move of
    a window dragged just before and take the click as part of it; then the click is repeated."""
    run.program = program
    point = program.caption_point(caption_x)
    for _ in range(20):
        run.desktop.click(*point)
        deadline = time.monotonic() + 0.5
        while time.monotonic() < deadline:
            if tuple(run.desktop.screen(point[0], point[1], 1, 1)) == active:
                return
            time.sleep(0.02)
    raise DriveError("a click on its caption does not make the program the active one")


def type_keys(run: Run, key: str, count: int) -> None:
    """Keys for the program driven now, each waited for until it has drawn the frame after it
    (the animation is halted: each key is one frame)."""
    for _ in range(count):
        run.program.damage.forget()
        run.program.keys(key)
        run.program.frames(1)


def scenario_two_recordings(run: Run) -> None:
    """Two designers recording in one folder, their keys interleaved: the first one's recording
    holds the file, so all its keys are in it, each line whole, and the second one reports each of
    its keys as not written."""
    first = run.start()
    active = tuple(run.desktop.screen(*first.caption_point(FIRST_CAPTION_X), 1, 1))
    run.record_halted()
    type_keys(run, "a", 12)
    second = run.start()
    run.record_halted()
    type_keys(run, "b", 8)
    drag_aside(run, second)
    use_program(run, first, FIRST_CAPTION_X, active)
    type_keys(run, "c", 12)
    use_program(run, second, SECOND_CAPTION_X, active)
    type_keys(run, "d", 6)

    expected = [key_line("a")] * 12 + [key_line("c")] * 12
    run.well_formed("every line of the file is whole")
    run.check("the file holds the first program's 24 keys, in order, and nothing else", run.script_lines() == expected,
              "it holds %s" % sorted(set((line, run.script_lines().count(line)) for line in run.script_lines())))
    use_program(run, first, FIRST_CAPTION_X, active)
    first.keys("ctrl+q")
    run.quits("Ctrl+Q ends the first program")
    run.check("its recording is whole once it has ended", run.script_lines() == expected)

    run.program = second
    reader = os.path.join(os.path.dirname(run.program_path), "zavok_text.exe")
    shown = subprocess.run(["wine", reader, "--show"], capture_output=True, timeout=60, cwd=run.work)
    text = shown.stdout.decode(errors="replace").replace("\r", "").splitlines()
    message = "Cannot open script file %s for writing" % constants.SCRIPT_FILE
    run.check("the second program reports each of its 14 keys as not written", text == [message] * 14,
              "its text window shows: %s" % text)


def main(arguments) -> int:
    scenarios = {name[len("scenario_"):]: function for name, function in globals().items()
                 if name.startswith("scenario_")}
    if len(arguments) != 2 or arguments[1] not in scenarios:
        print("usage: kartello_e2e.py KARTELLO.exe SCENARIO (%s)" % ", ".join(scenarios), file=sys.stderr)
        return 2
    work = tempfile.mkdtemp(prefix="kartello-e2e.")
    run = None
    try:
        run = Run(os.path.abspath(arguments[0]), work)
        scenarios[arguments[1]](run)
    except DriveError as error:
        print(error)
        return 2
    finally:
        if run is not None:
            run.desktop.close()
        shutil.rmtree(work, ignore_errors=True)
    return checks.exit_status()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
