#!/usr/bin/python3
"""The replay tool's .deb as people get it: unpacked (dpkg-deb -x) into an empty folder outside
the repository and run from a working folder outside it on the SDK's starter, as dist_sdk built
it (docs/testing.md, dist_replay, says what is checked).

    deb_test.py DEB STARTER CACHE

STARTER holds my_program.exe and click.png, its frame after a click at (0, 0) as the
repository's replay made it. CACHE is the tool's cache folder: its Wine prefix is made on the
first run and kept."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "replay"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

import checks  # noqa: E402
from zavokreplay import png  # noqa: E402

SCRIPT = "ZAVOK_MOUSE(0, 0);\n"  # dist_sdk's click
RUN_TIMEOUT_S = 180  # the first run makes the Wine prefix
SAMPLE_S = 0.02
# What the tool starts by name and which at once runs another program, so that nothing of it
# stays mapped in a process: the `wine` command (a script that runs wine64) and the interpreter
# of the tool's first line (the python3 package's /usr/bin/python3 runs python3.11).
STARTED_BY_NAME = {"wine", "python3"}
# What Wine loads when it is installed but which changes no frame: printing (it draws nothing;
# the X extensions Wine loads so do change how it draws, and are in Depends).
LOADED_IF_THERE = {"libcups2"}
# Written where the tool's Python finds it first: every file the tool's Python opens, logged.
OPEN_LOG = '''import os, sys
_log = open(os.environ["DEB_TEST_OPEN_LOG"], "a", buffering=1)
def _opened(event, args):
    if event == "open" and isinstance(args[0], (str, bytes)):
        _log.write(os.path.abspath(os.fsdecode(args[0])) + "\\n")
sys.addaudithook(_opened)
'''


def check(description, problems):
    """Passed when `problems` (lines) holds none."""
    return checks.check(not problems, description, problems)


def mapped_files(marker: bytes, running, found: set) -> None:
    """While running(): every file mapped by, or the program of, each process whose environment
    holds the marker (the tool, its display, its set-up and every Wine process of its world)."""
    others = set()
    while running():
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or entry in others:
                continue
            try:
                with open("/proc/%s/environ" % entry, "rb") as environ:
                    environment = environ.read()
                if marker not in environment:
                    # An empty one may be a process caught in the middle of its exec: looked at again.
                    if environment:
                        others.add(entry)
                    continue
                with open("/proc/%s/maps" % entry) as maps:
                    found.update(line.split(None, 5)[5].rstrip("\n") for line in maps if len(line.split(None, 5)) == 6)
                found.add(os.readlink("/proc/%s/exe" % entry))
            except OSError:
                pass
        time.sleep(SAMPLE_S)


def owners(paths) -> dict:
    """The package of each file that dpkg knows, also under the /lib name of a merged /usr."""
    asked = {}
    for path in paths:
        asked[path] = path
        if path.startswith("/usr/"):
            asked.setdefault(path[len("/usr"):], path)
    found = {}
    listed = subprocess.run(["dpkg-query", "-S", *asked], capture_output=True, text=True).stdout
    for line in listed.splitlines():
        packages, _, path = line.partition(": ")
        if path in asked and "diversion" not in packages:
            found[asked[path]] = packages.split(",")[0].split(":")[0].strip()
    return found


def dependency_closure(roots) -> set:
    """The roots and the Essential packages, and whatever they depend on, every alternative and
    every provider of a virtual package counted."""
    fields = "${Package}\t${Essential}\t${Provides}\t${Pre-Depends}, ${Depends}\n"
    listed = subprocess.run(["dpkg-query", "-W", "-f", fields], capture_output=True, text=True).stdout
    depends, providers, essential = {}, {}, []

    def bare(relation):
        return relation.split("(")[0].split(":")[0].strip()
    for line in listed.splitlines():
        name, is_essential, provides, relations = line.split("\t")
        depends[name] = [bare(choice) for group in relations.split(",") for choice in group.split("|") if bare(choice)]
        for virtual in provides.split(","):
            providers.setdefault(bare(virtual), []).append(name)
        if is_essential == "yes":
            essential.append(name)
    seen, todo = set(), list(roots) + essential
    while todo:
        name = todo.pop()
        if name not in seen:
            seen.add(name)
            todo.extend(depends.get(name, []) + providers.get(name, []))
    return seen


def run_tool(tool, work, cache, *arguments):
    """The unpacked tool's exit status and messages, and every file its processes mapped or its
    Python opened."""
    log = os.path.join(work, "opened.log")
    hook = os.path.join(work, "hook")
    os.makedirs(hook, exist_ok=True)
    with open(os.path.join(hook, "sitecustomize.py"), "w") as file:
        file.write(OPEN_LOG)
    environment = dict(os.environ, XDG_CACHE_HOME=cache, PYTHONPATH=hook, DEB_TEST_OPEN_LOG=log)
    environment.pop("PYTHONDONTWRITEBYTECODE", None)  # as on a machine that does not set it
    found, done = set(), threading.Event()
    sampler = threading.Thread(target=mapped_files, args=(("XDG_CACHE_HOME=%s\0" % cache).encode(),
                                                          lambda: not done.is_set(), found))
    sampler.start()
    try:
        result = subprocess.run([tool, *arguments], cwd=work, env=environment, capture_output=True, text=True,
                                timeout=RUN_TIMEOUT_S)
    finally:
        done.set()
        sampler.join()
    with open(log) as opened:
        found.update(opened.read().split("\n"))
    return result, {path for path in found if path.startswith("/")}


def main(arguments) -> int:
    if len(arguments) != 3:
        sys.exit("usage: deb_test.py DEB STARTER CACHE")
    deb, starter, cache = (os.path.abspath(argument) for argument in arguments)
    work = tempfile.mkdtemp(prefix="zavok-deb.")
    try:
        unpacked = os.path.join(work, "unpacked")
        subprocess.run(["dpkg-deb", "-x", deb, unpacked], check=True)
        tool = os.path.join(unpacked, "usr", "bin", "zavok-replay")
        check("the package holds the tool, its manual page, copyright file and changelog",
              ["missing: " + name for name in ("usr/bin/zavok-replay", "usr/share/man/man1/zavok-replay.1.gz",
                                               "usr/share/doc/zavok-replay/copyright",
                                               "usr/share/doc/zavok-replay/changelog.gz")
               if not os.path.exists(os.path.join(unpacked, name))])
        shutil.copy(os.path.join(starter, "my_program.exe"), work)
        with open(os.path.join(work, "click.scr"), "w") as file:
            file.write(SCRIPT)
        os.makedirs(cache, exist_ok=True)
        result, used = run_tool(tool, work, cache, "my_program.exe", "click.scr", "frames")
        problems = [] if result.returncode == 0 else result.stderr.splitlines() + ["exit status %d" % result.returncode]
        if not problems:
            frame, expected = png.read(os.path.join(work, "frames", "0001.png")), png.read(os.path.join(starter, "click.png"))
            if frame != expected:
                problems.append("its frame after the click is not the repository's replay's")
        check("unpacked outside the repository, the tool replays the SDK-built starter from a folder outside "
              "it, and its frame equals the repository's replay's, pixel for pixel", problems)

        own = (unpacked + os.sep, work + os.sep, cache + os.sep)
        check("it reads no file of the repository (but its cache folder, given)",
              sorted(path for path in used if path.startswith(ROOT + os.sep) and not path.startswith(own)))
        check("and leaves no compiled module beside itself",
              [folder for folder, _, _ in os.walk(unpacked) if os.path.basename(folder) == "__pycache__"])

        depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], capture_output=True, text=True).stdout
        depends = {name.strip() for name in depends.split(",") if name.strip()}
        # The pinned fonts, linked into the prefix, count as used even if Wine has let go of
        # their mapping by the time the processes are looked at.
        fonts = os.path.join(cache, "zavok-replay", "wineprefix", "drive_c", "windows", "Fonts")
        used.update(os.path.join(fonts, name) for name in os.listdir(fonts))
        system = [os.path.realpath(path) for path in used if not path.startswith(own[:2])]
        system = [path for path in system if path.startswith(("/usr/", "/lib", "/bin/", "/etc/"))]
        packages = owners(system)
        used_packages = set(packages.values())
        covered = dependency_closure(depends | LOADED_IF_THERE)
        check("every package whose files the replay ran or mapped is in Depends or what they depend on (or %s)"
              % ", ".join(sorted(LOADED_IF_THERE)),
              sorted("%s (%s)" % (package, ", ".join(sorted(path for path in packages if packages[path] == package))[:200])
                     for package in used_packages - covered))
        check("every package of Depends is used: a file of it mapped or linked into the prefix, or started by "
              "name (%s)"
              % ", ".join(sorted(STARTED_BY_NAME)), sorted(depends - used_packages - STARTED_BY_NAME))

        with open(os.path.join(unpacked, "usr", "lib", "zavok-replay", "dependencies"), "a") as listing:
            listing.write("zavok-absent /nonexistent/zavok-absent.so\n")
        missing = subprocess.run([tool, "my_program.exe", "click.scr", "again"], cwd=work, capture_output=True,
                                 text=True, env=dict(os.environ, XDG_CACHE_HOME=cache), timeout=RUN_TIMEOUT_S)
        check("a package missing, it names it and exits 2, with no frame made",
              [] if missing.returncode == 2 and "zavok-absent" in missing.stderr and
              not glob.glob(os.path.join(work, "again", "*.png"))
              else missing.stderr.splitlines() + ["exit status %d" % missing.returncode])
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return checks.exit_status()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
