"""The values the package and the designer share with programs that drive them from outside.

From graphics/zavok_ids.h: GRAPHICS_CLASS, GRAPHICS_TITLE, TEXT_CLASS, TEXT_TITLE, SURFACE_WIDTH,
SURFACE_HEIGHT, SCRIPT_FILE and the Run menu's ids RUN_ANIMATE ... RUN_INFO (the header's names
without their ZAVOK_ prefix).

From card_designer/layout.h, as `layout`: Kartello's layout (layout.PANEL_TOP, layout.BUTTON_PITCH,
layout.CARD_LEFT, ...), each `constexpr int NAME = expression;` line worked out as C++ does;
read_constexprs(DESIGNER) gives the designer's other such values (MAX_OBJECTS, ...).

An installed tool has no headers: the build writes both sets of values into built_constants.py
beside this file (python3 -m zavokreplay.constants FILE), which it reads instead."""

import ast
import operator
import os
import re
import sys
from types import SimpleNamespace

from . import home

ROOT = home.REPOSITORY or ""
HEADER = os.path.join(ROOT, "graphics", "zavok_ids.h")
LAYOUT = os.path.join(ROOT, "card_designer", "layout.h")
DESIGNER = os.path.join(ROOT, "card_designer", "designer.h")


def _read(path: str) -> dict:
    values = {}
    with open(path) as header:
        for name, value in re.findall(r'^#define ZAVOK_(\w+) +("[^"]*"|\d+)$', header.read(), re.MULTILINE):
            values[name] = value[1:-1] if value.startswith('"') else int(value)
    return values


def _c_divide(left: int, right: int) -> int:
    """C++'s integer division, which rounds toward zero."""
    quotient = abs(left) // abs(right)
    return quotient if (left < 0) == (right < 0) else -quotient


_OPERATORS = {ast.Add: operator.add, ast.Sub: operator.sub, ast.Mult: operator.mul, ast.Div: _c_divide}


def _evaluate(node, names: dict) -> int:
    if isinstance(node, ast.Constant) and type(node.value) is int:
        return node.value
    if isinstance(node, ast.Name) and node.id in names:
        return names[node.id]
    if isinstance(node, ast.UnaryOp) and isinstance(node.op, (ast.USub, ast.UAdd)):
        value = _evaluate(node.operand, names)
        return -value if isinstance(node.op, ast.USub) else value
    if isinstance(node, ast.BinOp) and type(node.op) in _OPERATORS:
        return _OPERATORS[type(node.op)](_evaluate(node.left, names), _evaluate(node.right, names))
    raise ValueError("not an integer expression over earlier names: %s" % ast.dump(node))


def read_constexprs(path: str) -> dict:
    """The values of the `constexpr int NAME = expression;` lines of a header, in order; a line
    of that kind that cannot be worked out is an error, not a value left out."""
    with open(path) as file:
        text = file.read()
    values = {}
    for line_number, line in enumerate(text.splitlines(), 1):
        match = re.match(r"\s*constexpr\s+int\s+(\w+)\s*=\s*(.*?);\s*(//.*)?$", line)
        if match is None:
            continue
        try:
            values[match.group(1)] = evaluate(match.group(2), values)
        except ValueError as error:
            raise ValueError("%s:%d: %s" % (path, line_number, error)) from None
    return values


def evaluate(expression: str, names: dict) -> int:
    """An integer expression of + - * / and parentheses over literals and the names given, as
    C++ works it out; ValueError if it is not one."""
    try:
        return _evaluate(ast.parse(expression, mode="eval").body, names)
    except (SyntaxError, ZeroDivisionError) as error:
        raise ValueError(str(error)) from None


if home.INSTALLED:
    from .built_constants import IDS, LAYOUT as _LAYOUT_VALUES
else:
    IDS, _LAYOUT_VALUES = _read(HEADER), read_constexprs(LAYOUT)
globals().update(IDS)
layout = SimpleNamespace(**_LAYOUT_VALUES)

if __name__ == "__main__":
    with open(sys.argv[1], "w") as module:
        module.write('"""Written by the build from graphics/zavok_ids.h and card_designer/layout.h."""\n'
                     "IDS = %r\nLAYOUT = %r\n" % (IDS, _LAYOUT_VALUES))
