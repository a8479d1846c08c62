#!/usr/bin/env python3
"""Fails when source files call each other in a loop.

  call_cycles.py NM OBJECT...

NM is the toolchain's nm; each OBJECT a compiled source file as CMake leaves it
(.../NAME.dir/graphics/draw/renderer.cpp.obj). File A calls file B when a function A leaves
undefined is defined in B (taking its address counts). Each loop is printed as
"a.cpp -> b.cpp -> a.cpp", and any makes the exit status 1. Variables are left out: the package's
internal headers share its state among its files on purpose, and reading a variable calls
nothing."""

import re
import subprocess
import sys

# nm's letter for a function an object defines for others to call.
CODE = "T"


def source_name(path: str) -> str:
    """The source file an object was compiled from, as a path from the source tree's top."""
    name = re.sub(r"\.(obj|o)$", "", path.replace("\\", "/"))
    return re.sub(r"^.*?\.dir/", "", name)


def symbols(nm: str, objects: list):
    """Per source file, the functions it defines and the symbols it leaves undefined."""
    defined, undefined = {}, {}
    for path in objects:
        output = subprocess.run([nm, "-g", "-P", path], check=True, capture_output=True, text=True).stdout
        rows = [line.split() for line in output.splitlines()]
        source = source_name(path)
        defined[source] = {row[0] for row in rows if len(row) > 1 and row[1] == CODE}
        undefined[source] = {row[0] for row in rows if len(row) > 1 and row[1] == "U"}
    return defined, undefined


def uses(defined: dict, undefined: dict) -> dict:
    owner = {}
    for source, names in defined.items():
        for name in names:
            owner.setdefault(name, set()).add(source)
    return {source: sorted({b for name in names for b in owner.get(name, ()) if b != source})
            for source, names in undefined.items()}


def cycles(graph: dict) -> list:
    """For each group of files that reach one another (Tarjan's components), one loop through
    it and the whole group."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for other in graph[node]:
            if other not in index:
                visit(other)
                low[node] = min(low[node], low[other])
            elif other in on_stack:
                low[node] = min(low[node], index[other])
        if low[node] == index[node]:
            group = set()
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.add(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(group)

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return [(loop_in(graph, group), sorted(group)) for group in groups]


def loop_in(graph: dict, group: set) -> list:
    """A shortest loop from the group's first file back to itself, within the group."""
    start = min(group)
    paths, seen = [[start]], {start}
    while paths:
        path = paths.pop(0)
        for other in graph[path[-1]]:
            if other == start:
                return path + [start]
            if other in group and other not in seen:
                seen.add(other)
                paths.append(path + [other])
    return [start]


def main(arguments) -> int:
    if len(arguments) < 2:
        print(__doc__)
        return 2
    graph = uses(*symbols(arguments[0], arguments[1:]))
    loops = cycles(graph)
    for loop, knot in loops:
        print("FAILED: a loop of calls: %s (calling one another: %s)" % (" -> ".join(loop), ", ".join(knot)))
    edges = sum(len(targets) for targets in graph.values())
    print("%d files, %d uses, %d loops" % (len(graph), edges, len(loops)))
    return 1 if loops else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
