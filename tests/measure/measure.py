"""Side-by-side cost of Tindrel.exe and of what it is held against, under the same Wine and display.

Four states are measured, each program alone in its own copy of a pristine prefix: the widget
shown, the widget hidden the way a click on its tray icon hides it, a bare layered window of the
widget's size presenting a frame every 220 ms (what a shown widget must beat), and an idle Wine
GUI program, Wine's notepad left alone (the floor a hidden widget must come near). After a state
has settled, the CPU time of its process, of the prefix's wineserver and of the X server and the
process's wake-ups (voluntary context switches of all its threads; under Wine each round trip to
the wineserver counts too) are sampled from /proc, the states alternating for several rounds. The
medians and spreads and the ratios the targets speak of are printed. A memory run then keeps the
widget and the bare window running side by side and reads their resident memory after one minute
and at the end. Nothing is judged here (the figures are for people, not a pass/fail test).
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from widget import MAIN_CLASS, parse_fields  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime + stime


def wake_ups(pid):
    """Voluntary context switches of every thread of the process so far."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except OSError:
            continue  # a thread that ended meanwhile
    return total


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def environment_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return dict(item.split(b"=", 1) for item in f.read().split(b"\0") if b"=" in item)
    except OSError:
        return {}


def process_with(name, prefix):
    """The pid of the process whose command line holds `name` and that runs in `prefix`."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                command = f.read()
        except OSError:
            continue
        if name.encode() in command and \
                environment_of(entry).get(b"WINEPREFIX") == prefix.encode():
            return int(entry)
    return None


class Run:
    """One program started under Wine in a fresh copy of the pristine prefix."""

    def __init__(self, args, label, command, work):
        self.args = args
        self.label = label
        self.prefix = os.path.join(work, f"prefix-{label}")
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.copytree(args.pristine, self.prefix, symlinks=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, HOME=args.home)
        folder = os.path.dirname(command[0])
        self.process = subprocess.Popen([os.environ["TINDREL_WINE"]] + command, env=self.env,
                                        cwd=folder or None,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.name = os.path.basename(command[0])

    def probe(self, *words):
        """Runs the end-to-end tests' probe in this run's prefix; its output."""
        listing_path = os.path.join(self.args.work, f"probe-{self.label}.txt")
        # Through a file: a process the probe starts could hold a pipe open after it ends.
        with open(listing_path, "w") as out:
            subprocess.run([os.environ["TINDREL_WINE"], self.args.probe, *words], env=self.env,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=30)
        with open(listing_path) as f:
            return f.read()

    def main_window(self):
        for window in map(parse_fields, filter(None, self.probe("windows").splitlines())):
            if window.get("class") == MAIN_CLASS:
                return window
        return None

    def pids(self):
        deadline = time.time() + 30
        while time.time() < deadline:
            program = process_with(self.name, self.prefix)
            server = process_with("wineserver", self.prefix)
            if program and server:
                return program, server
            time.sleep(0.5)
        raise RuntimeError(f"{self.label}: its process or its wineserver did not appear")

    def stop(self):
        subprocess.run([os.environ["WINESERVER"], "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.prefix, ignore_errors=True)


def wait_for_widget(run, visible=True, timeout=60):
    """The widget's window once it is shown (or hidden, with visible=False)."""
    run.pids()  # the prefix's wineserver is up: the probe starts no helper processes of its own
    deadline = time.time() + timeout
    while time.time() < deadline:
        window = run.main_window()
        if window and bool(window.get("visible")) == visible and window.get("width", 0) > 0:
            return window
        time.sleep(1)
    raise RuntimeError(f"the widget's window did not become {'shown' if visible else 'hidden'}")


# The tray icon's callback message with a left button's press and release: a click on the icon.
TRAY_WINDOW_CLASS = "TindrelTrayIconWindow"
TRAY_CALLBACK = str(0xB054)
WM_LBUTTONDOWN, WM_LBUTTONUP = str(0x201), str(0x202)


def hide_by_a_tray_click(run):
    wait_for_widget(run)
    for mouse in (WM_LBUTTONDOWN, WM_LBUTTONUP):
        run.probe("message", TRAY_WINDOW_CLASS, TRAY_CALLBACK, "0", mouse)
    wait_for_widget(run, visible=False)


def widget_size(args):
    """The size of the widget's window with the default settings, which the bare window copies."""
    run = Run(args, "sizing", [args.widget], args.work)
    try:
        window = wait_for_widget(run)
        return window["width"], window["height"]
    finally:
        run.stop()


def sample(args, run, xvfb, prepare):
    if prepare:
        prepare(run)
    run.pids()
    time.sleep(args.settle)
    # Found again after settling: Wine may hand the start over to another process on the way up.
    program, server = run.pids()
    pids = {"program": program, "wineserver": server, "X server": xvfb}
    before = {k: cpu_seconds(p) for k, p in pids.items()}
    woken_before = wake_ups(program)
    rss = resident_mib(program)
    time.sleep(args.sample)
    after = {k: cpu_seconds(p) for k, p in pids.items()}
    figures = {k: 100.0 * (after[k] - before[k]) / args.sample for k in pids}
    figures["cpu"] = figures["program"] + figures["wineserver"]
    figures["wake-ups"] = (wake_ups(program) - woken_before) / args.sample
    figures["resident"] = rss
    return figures


def measure_states(args, states, xvfb):
    results = {label: [] for label, _, _ in states}
    for round_number in range(1, args.rounds + 1):
        for label, command, prepare in states:
            run = Run(args, label, command, args.work)
            try:
                figures = sample(args, run, xvfb, prepare)
            finally:
                run.stop()
            results[label].append(figures)
            print(f"round {round_number} {label:>7}: program {figures['program']:5.2f} %  "
                  f"wineserver {figures['wineserver']:5.2f} %  "
                  f"X server {figures['X server']:5.2f} %  "
                  f"wake-ups {figures['wake-ups']:6.1f}/s  resident {figures['resident']:6.1f} MiB",
                  flush=True)
    return results


def median(values):
    ordered = sorted(values)
    middle = len(ordered) // 2
    return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2


def summarise(results):
    rounds = len(next(iter(results.values())))
    print(f"over {rounds} rounds, median (lowest to highest); CPU in % of one core:")
    medians = {}
    for label, rows in results.items():
        medians[label] = {}
        parts = []
        for figure in ("program", "wineserver", "X server", "cpu", "wake-ups"):
            values = [row[figure] for row in rows]
            medians[label][figure] = median(values)
            name = "program+wineserver" if figure == "cpu" else figure
            parts.append(f"{name} {median(values):.2f} ({min(values):.2f}-{max(values):.2f})")
        print(f"  {label:>7}: " + "  ".join(parts))
    shown, hidden, bare, idle = (medians[k] for k in ("shown", "hidden", "bare", "idle"))
    print("targets: shown CPU <= 0.8 x bare, shown wake-ups <= 0.5 x bare; "
          "hidden CPU <= 1.25 x idle, hidden wake-ups <= idle + 2/s")
    if bare["cpu"] > 0 and bare["wake-ups"] > 0:
        print(f"  shown/bare: CPU {shown['cpu'] / bare['cpu']:.2f}  "
              f"wake-ups {shown['wake-ups'] / bare['wake-ups']:.2f}")
    if idle["cpu"] > 0:
        print(f"  hidden/idle: CPU {hidden['cpu'] / idle['cpu']:.2f}  "
              f"wake-ups hidden - idle {hidden['wake-ups'] - idle['wake-ups']:+.1f}/s")


def measure_memory(args, programs):
    runs = [Run(args, label, command, args.work) for label, command in programs]
    try:
        pids = {run.label: run.pids()[0] for run in runs}
        time.sleep(60)
        first = {label: resident_mib(pid) for label, pid in pids.items()}
        print(f"resident memory after 1 minute: " +
              "  ".join(f"{label} {value:.1f} MiB" for label, value in first.items()), flush=True)
        time.sleep(max(0, args.minutes * 60 - 60))
        last = {label: resident_mib(pid) for label, pid in pids.items()}
        print(f"resident memory after {args.minutes} minutes: " +
              "  ".join(f"{label} {value:.1f} MiB (growth {value - first[label]:+.2f})"
                        for label, value in last.items()))
        print(f"widget - bare after {args.minutes} minutes: {last['widget'] - last['bare']:.1f} MiB")
    finally:
        for run in runs:
            run.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--widget", required=True, help="Tindrel.exe in its ready folder")
    parser.add_argument("--bare", required=True, help="bare_layered_window.exe")
    parser.add_argument("--probe", required=True, help="probe.exe of the end-to-end tests")
    parser.add_argument("--pristine", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--xvfb-pid", type=int, required=True)
    parser.add_argument("--settle", type=float, default=10)
    parser.add_argument("--sample", type=float, default=40)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--minutes", type=float, default=30)
    args = parser.parse_args()
    for name in ("widget", "bare", "probe", "pristine", "home", "work"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    os.makedirs(args.work, exist_ok=True)
    width, height = widget_size(args)
    print(f"the widget's window: {width} x {height}; the bare window gets the same size")
    states = [("shown", [args.widget], None),
              ("hidden", [args.widget], hide_by_a_tray_click),
              ("bare", [args.bare, str(width), str(height)], None),
              ("idle", ["notepad.exe"], None)]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    summarise(measure_states(args, states, args.xvfb_pid))
    if args.minutes > 0:
        measure_memory(args, [("widget", [args.widget]),
                              ("bare", [args.bare, str(width), str(height)])])


if __name__ == "__main__":
    main()
