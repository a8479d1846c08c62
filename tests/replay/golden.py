"""The golden replays of Kartello (cases.txt): their scripts, the frames each keeps, and the
calendar time they all run at, for replay_test.py and regenerate."""

import os
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
REPLAY = os.path.join(ROOT, "tools", "zavok-replay")
CASES = os.path.join(HERE, "cases.txt")
# The calendar time every golden replay runs at: it seeds the artwork's pseudo-random numbers.
TIME = "2026-01-01 12:00:00"


@dataclass
class Case:
    name: str
    frames: list  # the kept frames' numbers besides the last; None: the last alone ("final")

    @property
    def script(self) -> str:
        return os.path.join(HERE, "scripts", self.name + ".scr")

    @property
    def folder(self) -> str:
        return os.path.join(HERE, "golden", self.name)

    def options(self) -> list:
        """What tools/zavok-replay is given besides the program, script and folder."""
        return ["--time", TIME] + (["--final-only"] if self.frames is None else [])


def read_cases() -> dict:
    cases = {}
    with open(CASES) as file:
        for line in file:
            fields = line.split("#", 1)[0].split()
            if fields:
                name, frames = fields
                cases[name] = Case(name, None if frames == "final" else [int(n) for n in frames.split(",")])
    return cases
