"""The values the package shares with programs that drive it from outside, read from
graphics/zavok_ids.h: GRAPHICS_CLASS, GRAPHICS_TITLE, TEXT_CLASS, TEXT_TITLE, SURFACE_WIDTH,
SURFACE_HEIGHT, SCRIPT_FILE and the Run menu's ids RUN_ANIMATE ... RUN_INFO (the header's names
without their ZAVOK_ prefix)."""

import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "graphics", "zavok_ids.h")


def _read(path: str) -> dict:
    values = {}
    with open(path) as header:
        for name, value in re.findall(r'^#define ZAVOK_(\w+) +("[^"]*"|\d+)$', header.read(), re.MULTILINE):
            values[name] = value[1:-1] if value.startswith('"') else int(value)
    return values


globals().update(_read(HEADER))
