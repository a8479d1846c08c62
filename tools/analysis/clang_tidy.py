#!/usr/bin/env python3
"""clang-tidy over the package's, the designer's, the replay's and the tools' sources, as the clang build
compiles them (its compile_commands.json), each source on its own, as many at once as there are
cores. Any finding or error fails.

    clang_tidy.py ROOT CLANG_BUILD

A source is analysed again only when the clang build has compiled it anew since its last clean
analysis (it, a header it includes or its flags changed) or the checks (.clang-tidy) changed:
clang-tidy spends a few seconds on each, most of them in the platform's headers."""

import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor


def sources_and_objects(root, commands):
    """Each source of graphics/, card_designer/, replay/ and tools/ with the object file made of it."""
    wanted = re.compile(re.escape(root) + "/(graphics|card_designer|replay|tools)/")
    found = {}
    for entry in commands:
        if wanted.match(entry["file"]) and entry["file"] not in found:
            words = shlex.split(entry["command"])
            found[entry["file"]] = os.path.join(entry["directory"], words[words.index("-o") + 1])
    return sorted(found.items())


def is_stale(stamp, later_than):
    try:
        analysed = os.path.getmtime(stamp)
        return any(os.path.getmtime(path) >= analysed for path in later_than)
    except OSError:
        return True


def analyse(build, source, stamp):
    """clang-tidy's findings (stdout) and whether it passed; the count of warnings it hid in the
    platform's headers goes to stderr, which is dropped."""
    done = subprocess.run(["clang-tidy", "-p", build, "--quiet", source], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True)
    if done.returncode == 0:
        with open(stamp, "w"):
            pass
    return done.stdout, done.returncode == 0


def main(root, build):
    path = os.path.join(build, "compile_commands.json")
    try:
        with open(path) as file:
            pairs = sources_and_objects(root, json.load(file))
    except OSError:
        print("analyse: no %s; build with clang first (tools/run-tests does)" % path, file=sys.stderr)
        return 1
    if not pairs:
        print("analyse: %s names none of the sources" % path, file=sys.stderr)
        return 1
    stamps = os.path.join(build, "clang-tidy")
    os.makedirs(stamps, exist_ok=True)
    work = []
    for source, object_file in pairs:
        stamp = os.path.join(stamps, hashlib.md5(source.encode()).hexdigest())
        if is_stale(stamp, [object_file, os.path.join(root, ".clang-tidy")]):
            work.append((source, stamp))
    passed = True
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        for findings, clean in pool.map(lambda item: analyse(build, *item), work):
            sys.stdout.write(findings)
            passed = passed and clean
    return 0 if passed else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.split("\n\n")[1].strip())
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
