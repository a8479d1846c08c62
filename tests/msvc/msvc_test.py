#!/usr/bin/python3
"""The SDK's zavok.dll as a Visual Studio program uses it, proven with the MSVC ABI: clang-cl in
MSVC mode against Wine's headers, linked by lld-link against the SDK's zavok.lib
(clang-cl-x86_64.cmake), driven by CMake from the unpacked SDK zip.

    msvc_test.py SDK_ZIP MINGW_STARTER.exe MINGW_PALETTE.exe

The DLL exports exactly the public calls of zavok.h and imports only DLLs that Windows has; the
starter and the palette example built so draw, frame by frame, exactly what their MinGW static
builds (given) draw, and print the same lines; the formatting program (formats.c) gets from
ZAVOK_printf and ZAVOK_printf_at the texts and counts its own runtime's snprintf makes. A program
that crashes ends at once (the replay turns Wine's debugger off), and fails its replay.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "dist"))

import dist_test  # noqa: E402
from dist_test import ReplayError, check, checks  # noqa: E402

READOBJ = shutil.which("llvm-readobj") or "llvm-readobj-14"
BUILD_TIMEOUT_S = 300
PALETTE_SCRIPT = os.path.join(dist_test.ROOT, "examples", "palette.scr")
PAGE = 12  # the lines formats.c prints before its first event and at each event
FORMAT_EVENTS = 3
WIDE_TEXT = 150  # a text window line longer than this is compared as far as the window shows it


def coff_names(option, path):
    """The exported names (--coff-exports) or the imported DLLs, in lower case (--coff-imports), of a
    PE file."""
    dump = subprocess.run([READOBJ, option, path], capture_output=True, text=True).stdout
    names = re.findall(r"^\s*Name: (\S+)", dump, re.MULTILINE)
    return set(names) if option == "--coff-exports" else {name.lower() for name in names}


def dll_problems(sdk):
    with open(os.path.join(sdk, "include", "zavok.h"), encoding="utf-8") as file:
        calls = set(re.findall(r"^ZAVOK_API int (ZAVOK_\w+)\(", file.read(), re.MULTILINE))
    dll = os.path.join(sdk, "bin", "zavok.dll")
    exported, imported = coff_names("--coff-exports", dll), coff_names("--coff-imports", dll)
    problems = ["exports %s, not declared in zavok.h" % name for name in sorted(exported - calls)]
    problems += ["does not export %s" % name for name in sorted(calls - exported)]
    problems += ["imports %s" % name for name in sorted(imported - dist_test.WINDOWS_DLLS)]
    return problems if len(calls) >= 18 else ["zavok.h declares %d calls that this test can see" % len(calls)]


def build(sdk, folder, log):
    """Configures tests/msvc/CMakeLists.txt against the SDK with the clang-cl toolchain and builds the
    three programs; their paths (starter, palette, formats), or problems."""
    environment = dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL=str(os.cpu_count() or 1))
    commands = [["cmake", "-S", HERE, "-B", folder, "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_PREFIX_PATH=" + sdk,
                 "-DZAVOK_SDK=" + sdk, "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(HERE, "clang-cl-x86_64.cmake")],
                ["cmake", "--build", folder, "--target", "my_program", "palette", "formats"]]
    with open(log, "w+") as output:
        for command in commands:
            try:
                status = subprocess.run(command, stdout=output, stderr=output, env=environment,
                                        timeout=BUILD_TIMEOUT_S).returncode
            except subprocess.TimeoutExpired:
                status = "timed out"
            if status != 0:
                output.seek(0)
                return None, output.read().splitlines() + ["%s: exit status %s" % (" ".join(command), status)]
    return [os.path.join(folder, name) for name in ("template/my_program.exe", "examples/palette.exe",
                                                   "formats.exe")], []


def same_replays(replays, mingw, msvc, script):
    """Problems unless both programs, replayed through the script, give alike frames and text."""
    try:
        _, expected = replays.frames(mingw, script, read_text=True)
        _, got = replays.frames(msvc, script, read_text=True)
    except ReplayError as error:
        return [str(error)]
    if len(got) != len(expected):
        return ["%d frames, not %d" % (len(got), len(expected))]
    return ["frame %04d: its %s differs" % (mine.number, what) for mine, theirs in zip(got, expected)
            for what, a, b in (("picture", mine.rgb, theirs.rgb), ("text", mine.text, theirs.text)) if a != b]


def shown(expected, line):
    """Whether the text window's line is the text, as much of it as the window shows."""
    expected = expected.rstrip(" ")
    return line == expected or (len(expected) > WIDE_TEXT and len(line) > 100 and expected.startswith(line))


def formats_problems(replays, program):
    try:
        _, frames = replays.frames(program, "ZAVOK_MOUSE(0, 0);\n" * FORMAT_EVENTS, read_text=True)
        with open(os.path.join(replays.work, "formats.txt"), encoding="latin-1") as file:
            records = [line.rstrip("\n").split(" ", 3) for line in file]
    except (ReplayError, OSError) as error:
        return [str(error)]
    printed = [record for record in records if record[0] == "printf"]
    problems = ["%s returned %s where snprintf made %s: %.60s" % tuple(record) for record in records
                if record[1] != record[2]]
    if len(printed) < 20 or len(printed) != len(records) - len(printed):
        problems.append("%d cases printed and %d drawn" % (len(printed), len(records) - len(printed)))
    for frame in frames:
        wanted = [record[3] for record in printed[frame.number * PAGE:(frame.number + 1) * PAGE]]
        lines = (frame.text or [])[-len(wanted):] if wanted else []
        problems += ["frame %04d shows %r, not %r" % (frame.number, line, text)
                     for text, line in zip(wanted, lines) if not shown(text, line)]
        if len(lines) < len(wanted):
            problems.append("frame %04d shows %d lines of %d" % (frame.number, len(lines), len(wanted)))
    if len(printed) > len(frames) * PAGE:
        problems.append("%d cases printed, more than %d frames show" % (len(printed), len(frames)))
    if frames[0].rgb != frames[1].rgb:
        problems.append("what ZAVOK_printf_at draws is not ZAVOK_text of snprintf's texts")
    return problems


def main(zip_path, mingw_starter, mingw_palette):
    work = tempfile.mkdtemp(prefix="zavok-msvc.")
    replays = dist_test.Replays(work)
    try:
        sdk = dist_test.unpack(os.path.abspath(zip_path), work)
        check("the SDK holds zavok.dll, its import libraries for MSVC and MinGW, and the starter's presets",
              dist_test.missing_files(sdk, ["bin/zavok.dll", "lib/zavok.lib", "lib/libzavok.dll.a",
                                            "template/CMakePresets.json"]))
        presets = subprocess.run(["cmake", "--list-presets=all"], cwd=os.path.join(sdk, "template"),
                                 capture_output=True, text=True)
        check("CMake reads the starter's presets", presets.returncode == 0 and '"visual-studio"' in presets.stdout)
        check("zavok.dll exports exactly the public calls of zavok.h and imports only DLLs Windows has",
              dll_problems(sdk))
        programs, problems = build(sdk, os.path.join(work, "msvc-build"), os.path.join(work, "build.log"))
        if not check("the starter, the palette example and the formatting program build with clang-cl and "
                     "lld-link against zavok.lib", problems):
            return checks.exit_status()
        check("they import zavok.dll and the Universal C runtime, and find zavok.dll beside them",
              ["%s imports %s" % (os.path.basename(program), " ".join(sorted(coff_names("--coff-imports", program))))
               for program in programs
               if not {"zavok.dll", "ucrtbase.dll"} <= coff_names("--coff-imports", program)
               or not os.path.isfile(os.path.join(os.path.dirname(program), "zavok.dll"))])
        starter, palette, formats = programs
        check("the starter draws, frame by frame, what its MinGW static build draws",
              same_replays(replays, mingw_starter, starter, "ZAVOK_MOUSE(0, 0);\nZAVOK_KBD(99);\n"))
        with open(PALETTE_SCRIPT) as file:
            check("the palette example draws and prints what its MinGW static build does",
                  same_replays(replays, mingw_palette, palette, file.read()))
        check("ZAVOK_printf and ZAVOK_printf_at give the texts and counts of the program's own snprintf for "
              "every conversion, and nothing crashes", formats_problems(replays, formats))
    finally:
        replays.close()
        shutil.rmtree(work, ignore_errors=True)
    return checks.exit_status()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: msvc_test.py SDK_ZIP MINGW_STARTER.exe MINGW_PALETTE.exe")
    sys.exit(main(*sys.argv[1:]))
