#!/usr/bin/env python3
"""Everything the SDK's pages (docs/*.html) and READMEs (README.md, template/README.md) tell a
reader to type or to look for, against the unpacked SDK, for a reader who has only the zip:
- every path and file name in their code (the commands of sh and bat blocks, and code spans)
  is a file of the SDK, a file that those commands make (in a build folder of cmake's -B or of
  a preset, an -o output; in a copy of an SDK folder the copied files), one a program makes as it runs (ZAVOK.SCR), or a program built from the
  SDK's sources; a placeholder NAME stands for any name;
- every command is one the reader has (cmake, wine, the compiler ...), not a tool of the
  project's repository;
- no text names the version as VERSION, and none holds a control character.

    sdk_names.py SDK_FOLDER     prints each fault; exit status 1 if there is any
"""

import glob
import html.parser
import json
import os
import re
import sys

# What a reader of the SDK has or installs: the build tools, the shell's own commands, Wine.
COMMANDS = {"cmake", "cp", "cd", "wine", "export", "unzip", "pkg-config", "x86_64-w64-mingw32-gcc-posix",
            "gcc", "pacman", "copy"}
MADE_BY_PROGRAMS = {"ZAVOK.SCR"}
FILE_NAME = re.compile(r"^[\w.-]+\.(?:c|h|exe|scr|SCR|html|md|txt|cmake|json|a|lib|dll|pc|rc|manifest|png|zip)$")
ROOT_MARKS = re.compile(r'^(?:"?\$\(pwd -W\)|"?\$\{?(?:PWD|ZAVOK|sdk)\}?|SDK(?=[\\/]))')
# A Windows path (SDK\bin\zavok.dll), not a C escape ('\n') or a call holding one.
WINDOWS_PATH = re.compile(r"^[\w$.:-]+(?:\\[\w.$()-]+)+\\?$")
VERSION_WORD = re.compile(r"\bVERSION\b")
CONTROL = re.compile(r"[\x00-\x08\x0b\x0c\x0e-\x1f]")


class Code(html.parser.HTMLParser):
    """The code of an HTML page: shell blocks (pre with an sh or bat class), inline code spans,
    and all the text."""

    def __init__(self, text):
        super().__init__()
        self.blocks, self.spans, self.text = [], [], []
        self.in_pre, self.code, self.language = False, None, None
        self.feed(text)

    def handle_starttag(self, tag, attributes):
        if tag == "pre":
            self.in_pre = True
        elif tag == "code":
            self.code = []
            found = re.search(r"language-(\w+)", dict(attributes).get("class") or "")
            self.language = found.group(1) if found else None

    def handle_endtag(self, tag):
        if tag == "pre":
            self.in_pre = False
        elif tag == "code" and self.code is not None:
            text = "".join(self.code)
            if not self.in_pre:
                self.spans.append(text)
            elif self.language in ("sh", "bat"):
                self.blocks.append(text)
            self.code = None

    def handle_data(self, data):
        self.text.append(data)
        if self.code is not None:
            self.code.append(data)


def markdown_code(text):
    """A Markdown page's shell blocks and code spans."""
    blocks = re.findall(r"^```(?:sh|bat)\n(.*?)^```", text, re.M | re.S)
    rest = re.sub(r"^```.*?^```", "", text, flags=re.M | re.S)
    return blocks, re.findall(r"`([^`\n]+)`", rest)


class Reader:
    """Follows one page's commands as a reader types them, from the SDK's folder."""

    def __init__(self, sdk, page_folder, programs):
        self.sdk, self.page_folder, self.programs = sdk, page_folder, programs
        self.faults = []
        self.checked = 0
        self.cwd = sdk
        self.copies = {}  # a copied folder -> the SDK's folder it copies
        self.made = set()  # what the commands make: build folders, -o outputs

    def fault(self, what):
        self.faults.append(what)

    def resolve(self, word, base):
        """The SDK path a word names, as an absolute path, with copies followed."""
        word = ROOT_MARKS.sub(self.sdk, word.strip('"\'')).replace("\\", "/")
        path = os.path.normpath(os.path.join(base, word))
        for copy, original in self.copies.items():
            if path == copy or path.startswith(copy + os.sep):
                return original + path[len(copy):]
        return path

    def made_by_commands(self, path):
        return any(path == made or path.startswith(made + os.sep) for made in self.made)

    def preset_folder(self, name):
        """Where a CMake preset of the SDK builds, from the folder the commands stand in."""
        for presets in glob.glob(os.path.join(self.sdk, "**", "CMakePresets.json"), recursive=True):
            with open(presets, encoding="utf-8") as file:
                for preset in json.load(file).get("configurePresets", []):
                    if preset.get("name") == name and "binaryDir" in preset:
                        return os.path.normpath(preset["binaryDir"].replace("${sourceDir}", self.cwd))
        return None

    def exists(self, path):
        return bool(glob.glob(path.replace("NAME", "*"))) if "NAME" in path else os.path.exists(path)

    def check_path(self, word, bases):
        self.checked += 1
        word = word.strip('"\'')
        if not word or word.startswith("$(") or re.match(r"^[a-z]+://|^/[A-Z]", word) or \
                "\\" in word and not WINDOWS_PATH.match(word):
            return  # a URL, a Windows option (/Y), a C escape
        if word == os.path.basename(self.sdk) + ".zip":
            return
        name = os.path.basename(word.rstrip("/\\").replace("\\", "/"))
        if "/" not in word and "\\" not in word and not word.startswith("."):
            if name in MADE_BY_PROGRAMS or os.path.splitext(name)[0] in self.programs and name.endswith(".exe"):
                return
            if self.exists_anywhere(name):
                return
        for base in bases:
            path = self.resolve(word, base)
            if self.exists(path) or self.made_by_commands(path):
                return
        self.fault("names %s, which the SDK does not hold" % word)

    def exists_anywhere(self, name):
        pattern = name.replace("NAME", "*")
        return bool(glob.glob(os.path.join(self.sdk, "**", pattern), recursive=True))

    def command(self, line):
        line = re.sub(r"(^|\s)#.*", "", line)  # a shell comment
        for inner in re.findall(r"\$\(([^()]*)\)", line):
            if inner.split()[0] in COMMANDS:  # not $(pwd -W), nor Visual Studio's $(OutDir)
                self.command(inner)
                line = line.replace("$(%s)" % inner, "")
        words = [word.strip('"') for word in re.findall(r'"[^"]*"|\S+', line)]
        if words and words[0] == "export":
            words = words[1:]
        if not words:
            return
        if re.match(r"^\w+=", words[0]):
            self.check_path(words[0].split("=", 1)[1], [self.cwd])
            return
        program, arguments = words[0], words[1:]
        if "/" in program or "\\" in program:
            self.check_path(program, [self.cwd])
        elif program not in COMMANDS:
            self.fault("tells the reader to run %s, which they do not have" % program)
            return
        after = None
        for word in arguments:
            if after in ("-B", "-o"):
                self.made.add(self.resolve(word, self.cwd))
            elif after == "--preset" and self.preset_folder(word):
                self.made.add(self.preset_folder(word))
            elif after == "-S" and program == "cmake" or program in ("cp", "cd", "wine", "unzip") and not word.startswith("-"):
                if not (program == "cp" and word is arguments[-1]):
                    self.check_path(word, [self.cwd])
            elif word.startswith("-D") and "=" in word:
                self.check_path(word.split("=", 1)[1], [self.cwd])
            elif not word.startswith("-") and ("/" in word or "\\" in word or FILE_NAME.match(word)):
                self.check_path(word, [self.cwd])
            after = word
        if program == "cp" and len(arguments) >= 2:
            self.copies[self.resolve(arguments[-1], self.cwd)] = self.resolve(arguments[-2], self.cwd)
        if program == "cd" and arguments:
            self.cwd = self.resolve(arguments[0], self.cwd)

    def block(self, text):
        self.cwd = self.sdk
        for line in text.replace("\\\n", " ").splitlines():
            for command in re.split(r"&&|;|\|", line):
                self.command(command.strip())

    def span(self, text):
        text = text.strip()
        first = text.split()[0] if text.split() else ""
        if " " in text and (first in COMMANDS or first in (".", "source") or "/" in first or "&&" in text):
            self.cwd = self.sdk
            self.command(text) if "&&" not in text else self.block(text)
        elif " " not in text and ("/" in text or "\\" in text or FILE_NAME.match(text)):
            self.check_path(text, [self.sdk, self.page_folder])


def programs_of(sdk):
    """The programs the SDK's sources build: each example, sample and add_executable name."""
    names = {os.path.splitext(os.path.basename(path))[0] for path in glob.glob(os.path.join(sdk, "examples", "*.c"))}
    names |= {"sample_" + os.path.splitext(os.path.basename(path))[0]
              for path in glob.glob(os.path.join(sdk, "docs", "samples", "*.c"))}
    for path in glob.glob(os.path.join(sdk, "**", "CMakeLists.txt"), recursive=True):
        with open(path, encoding="utf-8") as file:
            names |= set(re.findall(r"add_executable\((\w+)", file.read()))
    return names


def faults(sdk):
    """[(page, fault)] for every page and README of the unpacked SDK, and how many names and
    commands were looked at."""
    found, checked = [], 0
    programs = programs_of(sdk)
    pages = sorted(glob.glob(os.path.join(sdk, "docs", "*.html"))) + \
        [os.path.join(sdk, "README.md"), os.path.join(sdk, "template", "README.md")]
    for page in pages:
        with open(page, encoding="utf-8") as file:
            text = file.read()
        if page.endswith(".html"):
            code = Code(text)
            blocks, spans, words = code.blocks, code.spans, "".join(code.text)
        else:
            (blocks, spans), words = markdown_code(text), text
        reader = Reader(sdk, os.path.dirname(page), programs)
        for block in blocks:
            reader.block(block)
        for span in spans:
            reader.span(span)
        if VERSION_WORD.search(words):
            reader.fault("says VERSION where the SDK's version belongs")
        if CONTROL.search(words):
            reader.fault("holds a control character: %r" % CONTROL.search(words).group(0))
        found += [(os.path.relpath(page, sdk), fault) for fault in dict.fromkeys(reader.faults)]
        checked += reader.checked
    return found, checked


def main(arguments):
    if len(arguments) != 1:
        sys.exit("usage: sdk_names.py SDK_FOLDER")
    found, checked = faults(os.path.abspath(arguments[0]))
    for page, fault in found:
        print("%s %s" % (page, fault))
    print("%d names and commands looked at, %d faults" % (checked, len(found)))
    return 1 if found or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
