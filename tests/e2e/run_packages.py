#!/usr/bin/env python3
"""End-to-end tests of the packages of one build under Wine: the installer run silently in a fresh
prefix (files, Start-menu shortcut, installed-programs entry, the installed widget starting, an
upgrade over a running widget, the silent uninstall) and the portable zip unpacked into a fresh
folder. Prints each package's size and the silent install and uninstall times, and ends with a line
"packages: N passed, N failed".

    python3 tests/e2e/run_packages.py --packages build/packages --build build/win-x64 \
        --pristine PREFIX --home HOME --work DIR
"""

import argparse
import glob
import os
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pe_image import MACHINE_AMD64, MACHINE_I386, PeImage  # noqa: E402
from project_version import project_version_text  # noqa: E402
from widget import MAIN_CLASS, WINE, Widget, run_tests  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tindrel"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS_KEY = r"HKCU\Software\Quillmoor\Tindrel"
STORE_KEY = SETTINGS_KEY + r"\MainForm"
STORED_VALUE_COUNT = 30

TESTS = []
TIMINGS = {}


def package_test(fn):
    TESTS.append(fn)
    return fn


def folder_files(folder):
    """Every file under folder as its relative path (forward slashes) with its bytes."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return files


class Installation(Widget):
    """A Widget whose program comes from a package: installed by the installer into the prefix's
    user folders, or unpacked from the zip."""

    def __init__(self, ctx, name):
        super().__init__(ctx.build, ctx.pristine, ctx.home, ctx.work, name)
        self.ctx = ctx
        self.env["WINEDLLOVERRIDES"] = os.environ.get("WINEDLLOVERRIDES", "") + \
            ";winemenubuilder.exe=d"
        users = [u for u in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*"))
                 if os.path.basename(u) != "Public"]
        assert len(users) == 1, f"expected one user folder in the prefix: {users}"
        self.user = os.path.basename(users[0])
        self.install_dir = os.path.join(users[0], "AppData", "Local", "Programs", "Tindrel")
        self.install_dir_windows = rf"C:\users\{self.user}\AppData\Local\Programs\Tindrel"
        self.shortcut = os.path.join(users[0], "AppData", "Roaming", "Microsoft", "Windows",
                                     "Start Menu", "Programs", "Tindrel.lnk")

    def install(self, timeout=120):
        started = time.time()
        code, _ = self.run_wine([self.ctx.installer, "/S"], timeout=timeout)
        return code, time.time() - started

    def uninstall(self, timeout=60):
        """Runs the uninstaller silently the way the installed-programs list does and waits until
        it has finished: it hands over to a copy of itself outside the folder it removes."""
        started = time.time()
        code, _ = self.run_wine([self.install_dir_windows + r"\Uninstall.exe", "/S"])
        assert code == 0, f"uninstaller exit code {code}"
        finished = self.wait_until(lambda: not os.path.exists(self.install_dir), timeout, 0.1)
        assert finished, f"still there after {timeout} s: {os.listdir(self.install_dir)}"
        return time.time() - started

    def use_folder(self, folder):
        self.app = folder

    def registry_values(self, key):
        code, out = self.reg_query(key)
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
        return values

    def start_and_wait(self):
        self.start()
        return self.wait_for_window()

    def install_and_start(self):
        """Installs silently and starts the installed widget: the running copy a test uninstalls
        or upgrades over."""
        code, _ = self.install()
        assert code == 0, f"installer exit code {code}"
        self.use_folder(self.install_dir)
        return self.start_and_wait()


def assert_installed_exactly_the_ready_folder(inst):
    expected = folder_files(os.path.join(inst.ctx.build, "Tindrel"))
    installed = folder_files(inst.install_dir)
    assert installed.pop("Uninstall.exe", None) is not None, "no Uninstall.exe"
    assert sorted(installed) == sorted(expected), (sorted(installed), sorted(expected))
    different = [name for name in expected if installed[name] != expected[name]]
    assert not different, f"installed files differ from the build: {different}"


def assert_uninstall_entry(inst, version):
    entry = inst.registry_values(UNINSTALL_KEY)
    assert entry, "no entry in the installed-programs list"
    folder = inst.install_dir_windows
    assert entry.get("DisplayName") == "Tindrel", entry
    assert entry.get("DisplayVersion") == version, entry
    assert entry.get("Publisher") == "Quillmoor", entry
    assert entry.get("InstallLocation") == folder, entry
    assert entry.get("UninstallString") == f'"{folder}\\Uninstall.exe"', entry
    assert entry.get("QuietUninstallString") == f'"{folder}\\Uninstall.exe" /S', entry
    assert entry.get("DisplayIcon") == f"{folder}\\Tindrel.exe", entry


def assert_shortcut_starts_the_installed_exe(inst):
    assert os.path.isfile(inst.shortcut), "no Start-menu shortcut"
    with open(inst.shortcut, "rb") as f:
        link = f.read()
    target = inst.install_dir_windows + r"\Tindrel.exe"
    assert target.encode("utf-16-le") in link or target.encode("ascii") in link, \
        f"the shortcut does not name {target}"


# -- the installer ------------------------------------------------------------------------------

@package_test
def the_four_packages_carry_the_version_and_each_its_build_s_architecture(ctx):
    version = project_version_text()
    names = sorted(os.listdir(ctx.packages))
    for arch, machine in (("x64", MACHINE_AMD64), ("x86", MACHINE_I386)):
        base = os.path.join(ctx.packages, f"Tindrel-{version}-{arch}")
        setup = PeImage(base + "-setup.exe")
        assert setup.machine == machine, f"{arch} installer: machine 0x{setup.machine:04x}"
        assert setup.version_info()[1].get("ProductVersion") == version
        with zipfile.ZipFile(base + ".zip") as archive:
            exe = PeImage.from_bytes(archive.read("Tindrel/Tindrel.exe"))
        assert exe.machine == machine, f"{arch} zip: machine 0x{exe.machine:04x}"
    for name in names:
        print(f"  size {name}: {os.path.getsize(os.path.join(ctx.packages, name))} bytes")


@package_test
def silent_install_puts_the_program_shortcut_and_entry_in_place_and_the_widget_starts(ctx):
    with Installation(ctx, "silent_install") as inst:
        code, seconds = inst.install()
        TIMINGS["silent install"] = seconds
        assert code == 0, f"installer exit code {code}"
        assert_installed_exactly_the_ready_folder(inst)
        assert_shortcut_starts_the_installed_exe(inst)
        assert_uninstall_entry(inst, project_version_text())
        fixed, strings = PeImage(os.path.join(inst.install_dir, "Tindrel.exe")).version_info()
        assert strings["FileVersion"] == strings["ProductVersion"] == project_version_text(), strings
        inst.use_folder(inst.install_dir)
        win = inst.start_and_wait()
        assert win["title"] == "Tindrel", win
        # The widget registers its own start at logon: the installed copy, by its quoted Windows
        # path (the folder may hold a blank).
        run = inst.registry_values(RUN_KEY) or {}
        assert run.get("Tindrel") == f'"{inst.install_dir_windows}\\Tindrel.exe"', run


@package_test
def silent_uninstall_closes_the_widget_removes_everything_installed_and_keeps_the_settings(ctx):
    with Installation(ctx, "silent_uninstall") as inst:
        inst.install_and_start()
        assert (inst.registry_values(RUN_KEY) or {}).get("Tindrel"), "no start-at-logon value"
        seconds = inst.uninstall()
        TIMINGS["silent uninstall (closing a running widget)"] = seconds
        assert inst.wait_for_exit(5), "the widget still runs after the uninstall"
        assert not os.path.exists(inst.install_dir), os.listdir(inst.install_dir)
        assert not os.path.exists(inst.shortcut), "the Start-menu shortcut is still there"
        assert inst.registry_values(UNINSTALL_KEY) is None, "the uninstall entry is still there"
        assert "Tindrel" not in (inst.registry_values(RUN_KEY) or {}), "the Run value is still there"
        # Closed the way Exit closes it: it saved every choice, and the uninstall kept them.
        stored = inst.registry_values(STORE_KEY) or {}
        assert len(stored) == STORED_VALUE_COUNT, sorted(stored)


@package_test
def uninstall_keeps_a_run_value_that_starts_another_copy(ctx):
    with Installation(ctx, "other_run_value") as inst:
        assert inst.install()[0] == 0
        elsewhere = r"C:\Portable\Tindrel\Tindrel.exe"
        assert inst.reg_add(RUN_KEY, "Tindrel", "REG_SZ", elsewhere) == 0
        seconds = inst.uninstall()
        TIMINGS["silent uninstall"] = seconds
        assert (inst.registry_values(RUN_KEY) or {}).get("Tindrel") == elsewhere
        assert inst.registry_values(UNINSTALL_KEY) is None


@package_test
def uninstall_removes_the_unquoted_run_value_an_older_version_wrote_for_this_copy(ctx):
    with Installation(ctx, "older_run_value") as inst:
        assert inst.install()[0] == 0
        unquoted = inst.install_dir_windows + r"\Tindrel.exe"
        assert inst.reg_add(RUN_KEY, "Tindrel", "REG_SZ", unquoted) == 0
        inst.uninstall()
        assert "Tindrel" not in (inst.registry_values(RUN_KEY) or {}), "the Run value is still there"


@package_test
def upgrade_over_a_running_widget_closes_it_first_keeps_its_settings_and_replaces_the_files(ctx):
    with Installation(ctx, "upgrade") as inst:
        inst.install_and_start()
        inst.wait_for_drawing()
        # Nothing is stored before the widget closes: every value found afterwards is its own save.
        assert not inst.registry_values(STORE_KEY), "values stored before the widget closed"
        star = os.path.join(inst.install_dir, "star.png")
        os.remove(star)  # loaded at start; its coming back shows the files were put in again
        code, seconds = inst.install()
        TIMINGS["silent upgrade (closing a running widget)"] = seconds
        assert code == 0, f"installer exit code {code}"
        assert inst.wait_for_exit(5), "the widget still runs after the upgrade"
        stored = inst.registry_values(STORE_KEY) or {}
        assert len(stored) == STORED_VALUE_COUNT, sorted(stored)
        assert stored["NormPos"].startswith("366,216,"), stored["NormPos"]
        assert os.path.isfile(star), "star.png was not installed again"
        assert_installed_exactly_the_ready_folder(inst)
        assert len(inst.registry_values(UNINSTALL_KEY) or {}) > 0


@package_test
def upgrade_over_a_running_widget_whose_saves_fail_closes_it_without_a_box_and_succeeds(ctx):
    with Installation(ctx, "upgrade_failing_saves") as inst:
        inst.install_and_start()
        inst.wait_for_drawing()
        # Under a volatile product key no settings section can be made: every save at the close
        # fails, as on a registry that refuses the widget's writes.
        made = inst.run_wine([inst.probe_exe, "volatilekey", SETTINGS_KEY.split("\\", 1)[1]])[0]
        assert made == 0, "the volatile product key was not made"
        assert inst.registry_values(SETTINGS_KEY) == {}, inst.registry_values(SETTINGS_KEY)
        code, _ = inst.install()
        boxes = inst.boxes()
        assert code == 0, f"installer exit code {code}, boxes: {boxes}"
        assert inst.wait_for_exit(5), f"the widget still runs after the upgrade: {inst.boxes()}"
        assert not boxes, boxes
        assert inst.registry_values(STORE_KEY) is None, "the saves were expected to fail"


# -- the installer and the uninstaller with their pages ----------------------------------------

DIALOG_CLASS = "#32770"
WM_COMMAND = 0x0111
IDOK = 1  # the button that goes on: Install, Uninstall, Next, Finish, Close
# Where the check box of the uninstaller's one option lies in its dialog (the window's top left):
# the first item of the components list.
SETTINGS_BOX = (217, 168)


def wait_for_dialog(inst, title_start, timeout=30.0):
    def dialog():
        for w in inst.windows():
            if w["class"] == DIALOG_CLASS and w["visible"] and w["title"].startswith(title_start):
                return w
        return None
    found = inst.wait_until(dialog, timeout)
    assert found, f"no dialog titled {title_start!r}: {inst.windows()}"
    return found


def dialog_text(inst, title_start):
    """The texts of the dialog titled so, which tell its pages apart; None when none is open."""
    return next((box["text"] for box in inst.boxes() if box["title"].startswith(title_start)), None)


def press_on(inst):
    inst.probe("message", DIALOG_CLASS, str(WM_COMMAND), str(IDOK), "0")


@package_test
def interactive_install_offers_to_start_the_widget_at_the_end_and_starts_it(ctx):
    with Installation(ctx, "interactive_install") as inst:
        setup = subprocess.Popen([WINE, ctx.installer], env=inst.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_dialog(inst, f"Tindrel {project_version_text()} Setup")
        press_on(inst)  # Install, into the folder offered
        uninstaller = os.path.join(inst.install_dir, "Uninstall.exe")
        assert inst.wait_until(lambda: os.path.exists(uninstaller), 60), "nothing installed"
        # Finish, with "Start Tindrel now" ticked as the last page offers it.
        for _ in range(30):
            if setup.poll() is not None:
                break
            press_on(inst)
            time.sleep(1.0)
        assert setup.poll() == 0, f"installer still open or failed: {setup.poll()}"
        win = inst.wait_for_window()
        assert win["title"] == "Tindrel", win
        run = inst.registry_values(RUN_KEY) or {}
        assert run.get("Tindrel") == f'"{inst.install_dir_windows}\\Tindrel.exe"', run


@package_test
def interactive_uninstall_removes_the_settings_only_when_asked(ctx):
    with Installation(ctx, "interactive_uninstall") as inst:
        assert inst.install()[0] == 0
        assert inst.reg_add(STORE_KEY, "sSkinName", "REG_SZ", "Snowman") == 0
        inst.run_wine([inst.install_dir_windows + r"\Uninstall.exe"])
        title = f"Tindrel {project_version_text()} Uninstall"
        wait_for_dialog(inst, title)
        confirmation = dialog_text(inst, title)
        press_on(inst)  # past the confirmation, to the choice of what else to remove
        assert inst.wait_until(lambda: dialog_text(inst, title) not in (None, confirmation), 30), \
            f"the uninstaller did not go on to its choices: {inst.boxes()}"
        dialog = wait_for_dialog(inst, title)
        inst.xdotool("mousemove", dialog["left"] + SETTINGS_BOX[0], dialog["top"] + SETTINGS_BOX[1],
                     "click", "1")
        press_on(inst)  # Uninstall
        assert inst.wait_until(lambda: not os.path.exists(inst.install_dir), 60), \
            "the program files are still there"
        assert inst.wait_until(lambda: inst.registry_values(SETTINGS_KEY) is None, 10), \
            "the settings are still there though their removal was ticked"
        assert inst.registry_values(UNINSTALL_KEY) is None
        press_on(inst)  # Close


# -- the portable zip ---------------------------------------------------------------------------

@package_test
def the_zip_unpacked_into_a_fresh_folder_holds_the_ready_folder_and_runs(ctx):
    with Installation(ctx, "zip") as inst:
        unpacked = os.path.join(inst.work, "unpacked")
        with zipfile.ZipFile(ctx.zip) as archive:
            assert archive.testzip() is None
            names = archive.namelist()
            assert all(n.startswith("Tindrel/") for n in names), names
            archive.extractall(unpacked)
        folder = os.path.join(unpacked, "Tindrel")
        expected = folder_files(os.path.join(ctx.build, "Tindrel"))
        assert folder_files(folder) == expected, sorted(folder_files(folder))
        inst.use_folder(folder)
        win = inst.start_and_wait()
        assert win["title"] == "Tindrel", win
        inst.probe("close", MAIN_CLASS)
        assert inst.wait_for_exit(20), "the unpacked widget did not end at its close message"


# -- runner -------------------------------------------------------------------------------------

class Context:
    def __init__(self, args):
        self.packages = os.path.abspath(args.packages)
        self.build = os.path.abspath(args.build)
        self.pristine = args.pristine
        self.home = args.home
        self.work = args.work
        self.arch = os.path.basename(os.path.normpath(self.build)).replace("win-", "")
        base = os.path.join(self.packages, f"Tindrel-{project_version_text()}-{self.arch}")
        self.installer = base + "-setup.exe"
        self.zip = base + ".zip"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--packages", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--pristine", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("-k", dest="only", default="")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    ctx = Context(args)
    passed, failed = run_tests(TESTS, args.work, args.only, lambda test: test(ctx))
    for what, seconds in TIMINGS.items():
        print(f"  time {what} ({ctx.arch}, Wine): {seconds:.2f} s")
    print(f"packages: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
