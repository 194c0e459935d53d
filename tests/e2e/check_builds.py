#!/usr/bin/env python3
"""Checks each built Tindrel.exe as a file, for every build whether or not this host can run it:
the machine type of its architecture, an application manifest that names that same architecture
for the program and for common controls 6 (Windows refuses to start a program whose manifest
names another one), the Windows versions and the DPI awareness it declares, no runtime DLL beside
the system's, a version resource that carries the project's version number and the product's
texts, and an icon with an image for every size the system asks for.
Ends with a line "builds: N passed, N failed".

    python3 tests/e2e/check_builds.py build/win-x86 build/win-x64
"""

import os
import re
import struct
import sys
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pe_image import MACHINE_AMD64, MACHINE_I386, RT_MANIFEST, PeImage  # noqa: E402
from project_version import project_version, project_version_text  # noqa: E402

EXPECTED = {
    "win-x86": (MACHINE_I386, "x86"),
    "win-x64": (MACHINE_AMD64, "amd64"),
}
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
               "msimg32.dll", "msvcrt.dll", "ole32.dll", "shell32.dll", "user32.dll",
               "winmm.dll", "wtsapi32.dll"}


def check_machine(image, machine, _):
    assert image.machine == machine, f"machine 0x{image.machine:04x}, expected 0x{machine:04x}"


def manifest_of(image):
    text = image.resource(RT_MANIFEST, 1)
    assert text, "no application manifest (RT_MANIFEST 1)"
    return text.decode("utf-8")


def check_manifest_architecture(image, _, architecture):
    manifest = manifest_of(image)
    identities = re.findall(r"<assemblyIdentity\b[^>]*>", manifest)
    assert len(identities) == 2, identities
    for identity in identities:
        assert f'processorArchitecture="{architecture}"' in identity, identity
    assert 'name="Microsoft.Windows.Common-Controls"' in identities[1], identities[1]
    assert 'version="6.0.0.0"' in identities[1], identities[1]


def check_supported_windows(image, _, __):
    declared = set(re.findall(r'<supportedOS\s+Id="([^"]+)"', manifest_of(image)))
    assert declared == SUPPORTED_OS, sorted(declared)


def check_dpi_awareness(image, _, __):
    manifest = manifest_of(image)
    awareness = re.search(r"<dpiAwareness\b[^>]*>([^<]*)</dpiAwareness>", manifest)
    aware = re.search(r"<dpiAware\b[^>]*>([^<]*)</dpiAware>", manifest)
    assert awareness and [v.strip() for v in awareness.group(1).split(",")] == \
        ["PerMonitorV2", "PerMonitor"], awareness and awareness.group(1)
    assert aware and aware.group(1).strip() == "true/pm", aware and aware.group(1)


# The sizes the system asks for in the notification area, on the desktop and in Explorer at the
# usual display scales.
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
RT_GROUP_ICON = 14


def check_icon_sizes(image, _, __):
    group = image.resource(RT_GROUP_ICON, 1)
    assert group, "no icon group (RT_GROUP_ICON 1)"
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = sorted(group[6 + 14 * n] or 256 for n in range(count))
    assert sizes == ICON_SIZES, sizes


def check_static_linking(image, _, __):
    others = [name for name in image.imported_dlls() if name.lower() not in SYSTEM_DLLS]
    assert not others, f"imports DLLs that are not part of Windows: {others}"


# Libraries the widget loads only when it needs them: the font chooser's (with the printing stack
# behind it), the media control interface (with its codecs) and the common controls (for the
# due-date tooltip and an open menu). Imported, they would be in memory all season.
LOADED_ON_DEMAND = {"comdlg32.dll", "winmm.dll", "comctl32.dll"}


def check_libraries_loaded_on_demand(image, _, __):
    imported = {name.lower() for name in image.imported_dlls()} & LOADED_ON_DEMAND
    assert not imported, f"imports libraries that it should load on demand: {sorted(imported)}"


def check_version_resource(image, _, __):
    info = image.version_info()
    assert info, "no version resource (RT_VERSION 1)"
    fixed, strings = info
    version = project_version()
    text = project_version_text()
    assert fixed["FileVersion"] == version + (0,), fixed
    assert fixed["ProductVersion"] == version + (0,), fixed
    expected = {"FileVersion": text, "ProductVersion": text, "ProductName": "Tindrel",
                "CompanyName": "Quillmoor", "OriginalFilename": "Tindrel.exe"}
    for name, value in expected.items():
        assert strings.get(name) == value, f"{name}: {strings.get(name)!r}, expected {value!r}"
    assert strings.get("FileDescription"), f"no FileDescription: {strings}"
    assert "Quillmoor" in strings.get("LegalCopyright", ""), strings.get("LegalCopyright")


CHECKS = [check_machine, check_manifest_architecture, check_supported_windows, check_dpi_awareness,
          check_static_linking, check_libraries_loaded_on_demand, check_version_resource,
          check_icon_sizes]


def main(build_dirs):
    passed = failed = 0
    for build_dir in build_dirs:
        name = os.path.basename(os.path.normpath(build_dir))
        machine, architecture = EXPECTED[name]
        exe = os.path.join(build_dir, "Tindrel", "Tindrel.exe")
        for check in CHECKS:
            try:
                check(PeImage(exe), machine, architecture)
                passed += 1
                print(f"PASS {name} {check.__name__}")
            except Exception:  # a failed check or an unreadable file: both fail
                failed += 1
                print(f"FAIL {name} {check.__name__}")
                traceback.print_exc()
    print(f"builds: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
