"""A picture of a program's graphics window as Windows draws it, frame, caption and menu bar
included, taken in a world of its own (tools/kartello --screenshot):

    python3 -m zavokreplay.screenshot PROGRAM.exe OUT.png SECONDS [SCRIPT]

The program runs in the current folder; given a SCRIPT, it is copied there as the program's
script file and played (Ctrl+P) once the first frame is on the screen. The picture is taken SECONDS after that.
Exit status 0 saved, 1 not."""

import os
import shutil
import sys
import time

from . import constants, png
from .desktop import Desktop, DriveError
from .world import World, WorldError


def main(arguments) -> int:
    if len(arguments) not in (3, 4) or not arguments[2].isdigit():
        print("usage: python3 -m zavokreplay.screenshot PROGRAM.exe OUT.png SECONDS [SCRIPT]", file=sys.stderr)
        return 2
    program_path, picture, seconds = os.path.abspath(arguments[0]), arguments[1], int(arguments[2])
    script = arguments[3] if len(arguments) == 4 else ""
    try:
        if script:
            shutil.copyfile(script, constants.SCRIPT_FILE)
        with World("kartello-screenshot") as world:
            desktop = Desktop(world.environment)
            try:
                program = desktop.start(program_path, os.getcwd())
                if script:
                    program.frames(1)
                    program.keys("ctrl+p")
                time.sleep(seconds)
                png.write(picture, program.width, program.height, program.window_rgb())
            finally:
                desktop.close()
    except (WorldError, DriveError, OSError) as error:
        print("screenshot: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
