"""Starting the real Tindrel.exe under Wine on the virtual display and looking at it from outside."""

import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import traceback

# The loader and server of the build under test, as scripts/wine-env.sh exports them.
WINE = os.environ.get("TINDREL_WINE", "wine")
WINESERVER = os.environ.get("WINESERVER", "wineserver")

MAIN_CLASS = "TfrmVelaCountdownClock"
APP_CLASS = "TindrelApplication"
WS_EX_LAYERED = 0x00080000
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_TOPMOST = 0x00000008
WS_MINIMIZE = 0x20000000


class WidgetDidNotComeUp(AssertionError):
    """Tindrel.exe was started and its window never showed: under Wine, now and then a start in a
    fresh prefix stalls before the program runs. The runner tries such a test once more."""


class Screenshot:
    """The root window as RGB pixels."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, left, top, width, height):
        return [self.pixel(x, y) for y in range(top, top + height) for x in range(left, left + width)
                if 0 <= x < self.width and 0 <= y < self.height]


def parse_ppm(data):
    # Binary PPM: "P6\n<w> <h>\n<max>\n" then RGB bytes.
    parts = data.split(b"\n", 3)
    if parts[0] != b"P6":
        raise ValueError("not a PPM")
    width, height = (int(v) for v in parts[1].split())
    if int(parts[2]) != 255:
        raise ValueError("not an 8-bit PPM")
    return Screenshot(width, height, parts[3][: width * height * 3])


class Widget:
    """One run of Tindrel.exe in its own Wine prefix and app folder."""

    def __init__(self, build_dir, pristine_prefix, home, work_dir, name):
        self.build_dir = build_dir
        self.work = os.path.join(work_dir, name)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.prefix = os.path.join(self.work, "prefix")
        shutil.copytree(pristine_prefix, self.prefix, symlinks=True)
        self.app = os.path.join(self.work, "app")
        shutil.copytree(os.path.join(build_dir, "Tindrel"), self.app)
        self.probe_exe = os.path.join(build_dir, "probe.exe")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, HOME=home, WINEDEBUG="-all")
        self.process = None
        self.log_file = None

    # A test holds its widget in a with block: leaving it stops the program and the Wine server.
    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    # -- running -------------------------------------------------------------------------------
    def start(self, extra_env=None, preload=None, log=None):
        subprocess.run(["xdotool", "mousemove", "1270", "1015"], env=self.env, check=False)
        env = dict(self.env, **(extra_env or {}))
        subprocess.run([WINESERVER, "-p"], env=env, check=False, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if preload:
            env["LD_PRELOAD"] = preload
        # Wine's own messages (a crash's backtrace among them) go to a log in the test's folder
        # unless the test reads them itself; a widget that does not come up shows that log.
        self.log_path = log or os.path.join(self.work, "wine-stderr.log")
        self.close_log()
        self.log_file = open(self.log_path, "wb" if log else "ab")
        self.process = subprocess.Popen([WINE, "Tindrel.exe"], cwd=self.app, env=env,
                                        stdout=subprocess.DEVNULL, stderr=self.log_file)

    def start_again(self, timeout=40.0):
        """Starts Tindrel.exe once more in the same prefix and folder, as a second double click
        does, and waits for that start to end: its exit code, or None when it runs on."""
        second = subprocess.Popen([WINE, "Tindrel.exe"], cwd=self.app, env=self.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            return second.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def wait_for_window(self, timeout=40.0, visible=True):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w in self.windows():
                if w["class"] == MAIN_CLASS and (w["visible"] or not visible):
                    return w
            time.sleep(0.5)
        raise WidgetDidNotComeUp("the widget window did not come up\n" + self.what_is_running())

    def wait_for_drawing(self, timeout=20.0):
        """Waits until the screen shows the widget: its window shown and its frame drawn there (at
        least 150 pixels of its place lit). Returns the window as the probe then sees it."""
        def drawn():
            win = self.main_window()
            if not win or not win["visible"]:
                return None
            shot = self.screenshot()
            lit = sum(1 for p in shot.region(win["left"], win["top"], win["width"], win["height"])
                      if max(p) > 40)
            return win if lit >= 150 else None
        win = self.wait_until(drawn, timeout)
        if not win:
            raise AssertionError("the widget was not drawn on the screen\n" + self.what_is_running())
        return win

    def what_is_running(self):
        """The process's state, the windows and boxes that are up, and the tail of Wine's log:
        what a test that waited in vain prints to tell a crash from a hang or a slow start."""
        code = self.process.poll() if self.process else None
        lines = ["Tindrel.exe: " + ("still running" if code is None else f"ended with {code}")]
        lines += ["window: " + str(w) for w in self.windows()
                  if w["visible"] or w["class"] in (MAIN_CLASS, APP_CLASS)]
        lines += ["box: " + str(b) for b in self.boxes()]
        try:
            with open(self.log_path, "rb") as f:
                tail = f.read().decode("utf-8", "replace").splitlines()[-30:]
        except OSError:
            tail = []
        return "\n".join(lines + ["wine: " + line for line in tail])

    def wait_for_box(self, timeout=30.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            boxes = self.boxes()
            if boxes:
                return boxes
            time.sleep(0.5)
        return []

    def wait_for_exit(self, timeout=20.0):
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.probe("close", MAIN_CLASS)
            if not self.wait_for_exit(10):
                self.process.kill()
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, check=False)
        self.close_log()

    def close_log(self):
        if self.log_file:
            self.log_file.close()
            self.log_file = None

    # -- driving -------------------------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=self.env, check=True)
        time.sleep(0.3)

    def wait_until(self, condition, timeout=20.0, step=0.5):
        deadline = time.time() + timeout
        while time.time() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(step)
        return condition()

    # -- looking -------------------------------------------------------------------------------
    def run_wine(self, args, timeout=60):
        # Output goes through a file: Wine's helper processes inherit a pipe and keep it open long
        # after the command itself has ended.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run([WINE, *args], env=self.env, stdout=out,
                                  stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                  timeout=timeout)
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace")

    def probe(self, *args):
        return self.run_wine([self.probe_exe, *args])[1]

    def windows(self):
        return [parse_fields(line) for line in self.probe("windows").splitlines() if line]

    def main_window(self):
        for w in self.windows():
            if w["class"] == MAIN_CLASS:
                return w
        return None

    def windows_of_class(self, name):
        return [w for w in self.windows() if w["class"] == name and w["visible"]]

    def app_window(self):
        for w in self.windows():
            if w["class"] == APP_CLASS:
                return w
        return None

    def widget_windows(self):
        return [w for w in self.windows() if w["class"] == MAIN_CLASS]

    def tray_icons(self):
        """The icons in the tray window Wine shows without a tray manager."""
        return [parse_fields(line) for line in self.probe("trayicons").splitlines() if line]

    def boxes(self):
        boxes = [parse_fields(line) for line in self.probe("boxes").splitlines() if line]
        for box in boxes:
            box["text"] = unescape_line(box.get("text", ""))
        return boxes

    def screenshot(self, path=None):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, check=True).stdout
        if path:
            subprocess.run(["convert", "ppm:-", path], input=data, check=True)
        return parse_ppm(data)

    def reg_query(self, key, value=None):
        return self.run_wine(["reg", "query", key] + (["/v", value] if value else []))

    def reg_add(self, key, value, kind, data):
        return self.run_wine(["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"])[0]


def parse_fields(line):
    """key=value pairs, values optionally in double quotes."""
    fields = {}
    i = 0
    while i < len(line):
        eq = line.find("=", i)
        if eq < 0:
            break
        key = line[i:eq].strip()
        if eq + 1 < len(line) and line[eq + 1] == '"':
            end = line.find('" ', eq + 2)
            end = len(line) - 1 if end < 0 else end
            value = line[eq + 2:end]
            i = end + 2
        else:
            end = line.find(" ", eq + 1)
            end = len(line) if end < 0 else end
            value = line[eq + 1:end]
            i = end + 1
        fields[key] = value
    for key in ("style", "exstyle"):
        if key in fields:
            fields[key] = int(fields[key], 16)
    for key in ("visible", "left", "top", "width", "height"):
        if key in fields:
            fields[key] = int(fields[key])
    return fields


def unescape_line(text):
    """A box text from the probe's line: \\n stands for a line break, \\\\ for a backslash."""
    return re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), text)


def read_png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return struct.unpack(">II", header[16:24])


def clean_up_after(work, made, passed):
    """Each test's prefix copy takes hundreds of megabytes: it goes when the test ends, and so does
    everything else of a test that passed; a failed test keeps its screenshots and app folder."""
    for name in made:
        folder = os.path.join(work, name)
        shutil.rmtree(folder if passed else os.path.join(folder, "prefix"), ignore_errors=True)


def run_tests(tests, work, only, run_one):
    """Runs through run_one(test) each test whose name contains `only`, printing PASS (with its
    time) or FAIL (with the traceback), and cleans up what each test made in `work`. A failed
    check and a broken run both fail the test. A test whose widget never came up is run once more,
    and the first try's state is printed with RETRY. Returns (passed, failed)."""
    os.makedirs(work, exist_ok=True)
    passed = failed = 0
    for test in tests:
        if only and only not in test.__name__:
            continue
        if run_test(test, work, run_one):
            passed += 1
        else:
            failed += 1
    return passed, failed


def run_test(test, work, run_one, tries=2):
    for attempt in range(1, tries + 1):
        before = set(os.listdir(work))
        started = time.time()
        ok = False
        try:
            run_one(test)
            ok = True
            print(f"PASS {test.__name__} ({time.time() - started:.1f} s)", flush=True)
        except WidgetDidNotComeUp as stalled:
            if attempt < tries:
                print(f"RETRY {test.__name__}: {stalled}", flush=True)
                continue
            print(f"FAIL {test.__name__}", flush=True)
            traceback.print_exc()
        except Exception:
            print(f"FAIL {test.__name__}", flush=True)
            traceback.print_exc()
        finally:
            clean_up_after(work, set(os.listdir(work)) - before, ok)
        return ok
