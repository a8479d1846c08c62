#!/usr/bin/python3
"""What the drivers read from the package's and the designer's headers (zavokreplay.constants)
against what the compiler makes of the same headers: every value as a static_assert, plus a few
hundred generated `constexpr int` expressions (negative numbers, C++'s division toward zero,
earlier names), all in one translation unit checked with -fsyntax-only.

    constants_test.py CXX"""

import os
import random
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "replay"))

from zavokreplay import constants  # noqa: E402


def generated_expressions(count: int) -> list:
    """`constexpr int` lines over literals, earlier names and + - * / (literal divisors, so none
    is zero), each value well inside an int."""
    chooser = random.Random(20)
    values = {}
    lines = []
    while len(lines) < count:
        def operand():
            if values and chooser.random() < 0.4:
                return chooser.choice(list(values))
            value = chooser.randint(-300, 300)
            return "(%d)" % value if value < 0 and chooser.random() < 0.5 else str(value)
        expression = operand()
        for _ in range(chooser.randint(0, 3)):
            operator = chooser.choice("+-*/")
            right = str(chooser.choice([1, 2, 3, 7, 35, -4])) if operator == "/" else operand()
            template = "%s %s %s" if chooser.random() < 0.5 else "(%s) %s %s"
            expression = template % (expression, operator, right)
        try:
            value = constants.evaluate(expression, values)
        except ValueError:
            continue
        if abs(value) < 1 << 20:  # no step of a later line can leave an int
            name = "GENERATED_%d" % len(lines)
            values[name] = value
            lines.append("constexpr int %s = %s;" % (name, expression))
    return lines


def main(arguments) -> int:
    if len(arguments) != 1:
        print("usage: constants_test.py CXX", file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="constants.") as folder:
        generated = os.path.join(folder, "generated.h")
        with open(generated, "w") as file:
            file.write("\n".join(generated_expressions(300)) + "\n")
        checks = ["constexpr bool same(const char *a, const char *b) "
                  "{ return *a == *b && (*a == 0 || same(a + 1, b + 1)); }"]
        for name, value in constants._read(constants.HEADER).items():
            checks.append('static_assert(same(ZAVOK_%s, "%s"), "%s");' % (name, value, name) if isinstance(value, str)
                          else 'static_assert(ZAVOK_%s == %d, "%s");' % (name, value, name))
        for path in (constants.LAYOUT, constants.DESIGNER, generated):
            for name, value in constants.read_constexprs(path).items():
                checks.append('static_assert(%s == %d, "%s");' % (name, value, name))
        source = os.path.join(folder, "check.cpp")
        with open(source, "w") as file:
            file.write('#include "zavok_ids.h"\n#include "layout.h"\n#include "designer.h"\n#include "generated.h"\n')
            file.write("\n".join(checks) + "\n")
        result = subprocess.run([arguments[0], "-std=c++17", "-fsyntax-only", "-I", os.path.join(ROOT, "graphics"),
                                 "-I", os.path.join(ROOT, "card_designer"), "-I", folder, source],
                                capture_output=True, text=True, timeout=120)
        if result.returncode != 0:
            print(result.stderr[-3000:])
            print("FAILED: the values read differ from the compiler's")
            return 1
    print("ok: %d values read as the compiler reads them" % (len(checks) - 1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
