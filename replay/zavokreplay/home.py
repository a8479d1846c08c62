"""Where the replay's parts are, found from this package's own place. In the repository the tool
builds its helper and makes the Wine prefix in the build folder, and reads the package's
constants from its headers. Installed (the Debian package, or an unpack of it anywhere) the
prebuilt helper, the Wine set-up and the constants lie beside the tool, the prefix goes to the
user's cache folder, and nothing is built or installed: a missing package is named instead."""

import os

TOOL = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # replay/, or /usr/lib/zavok-replay
HELPER = "replay_helper.exe"
INSTALLED = os.path.isfile(os.path.join(TOOL, HELPER))
REPOSITORY = None if INSTALLED else os.path.dirname(TOOL)
PACKAGES = os.path.join(TOOL, "dependencies")


def build_folder() -> str:
    """Where the helper (in the repository), the Wine prefix and the replays' copies of it are."""
    if INSTALLED:
        cache = os.environ.get("XDG_CACHE_HOME") or os.path.join(os.path.expanduser("~"), ".cache")
        return os.path.join(cache, "zavok-replay")
    return os.environ.get("ZAVOK_BUILD_DIR") or os.path.join(REPOSITORY, "build")


def helper_path(build: str) -> str:
    return os.path.join(TOOL if INSTALLED else build, HELPER)


def missing_packages() -> list:
    """The packages listed in `dependencies` whose file is not there."""
    missing = []
    with open(PACKAGES) as listing:
        for line in listing:
            fields = line.split()
            if fields and not fields[0].startswith("#") and not os.path.exists(fields[1]):
                missing.append(fields[0])
    return missing
