"""The project's version number, as the top CMakeLists.txt gives it to the version resource and to
every package name."""

import os
import re

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def project_version():
    """The version number of the project() call in the top CMakeLists.txt: (major, minor, patch)."""
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"^project\(\s*Tindrel\s+VERSION\s+(\d+)\.(\d+)\.(\d+)\b", f.read(),
                          re.MULTILINE)
    assert found, "no project(Tindrel VERSION x.y.z) in CMakeLists.txt"
    return tuple(int(part) for part in found.groups())


def project_version_text():
    """The version number as the package names and the version resource's strings spell it."""
    return ".".join(str(part) for part in project_version())
