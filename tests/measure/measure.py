"""Side-by-side cost of Tindrel.exe and of a bare layered window under the same Wine and display.

Each program runs alone in its own copy of a pristine prefix; after it has settled, the CPU time
of its process, of the prefix's wineserver and of the X server is sampled from /proc, alternating
the two programs for several rounds. A memory run then keeps both running side by side and reads
their resident memory after one minute and at the end. Everything is printed; nothing is judged
here (the figures are for people, not a pass/fail test).
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
        self.process = subprocess.Popen([os.environ["TINDREL_WINE"]] + command, env=self.env,
                                        cwd=os.path.dirname(command[0]),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.name = os.path.basename(command[0])

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


def widget_size(args):
    """The size of the widget's window with the default settings, which the bare window copies."""
    run = Run(args, "sizing", [args.widget], args.work)
    try:
        run.pids()  # the prefix's wineserver is up: the probe starts no helper processes of its own
        listing_path = os.path.join(args.work, "windows.txt")
        deadline = time.time() + 60
        while time.time() < deadline:
            # Through a file: a process the probe starts could hold a pipe open after it ends.
            with open(listing_path, "w") as out:
                subprocess.run([os.environ["TINDREL_WINE"], args.probe, "windows"], env=run.env,
                               stdout=out, stderr=subprocess.DEVNULL, timeout=30)
            with open(listing_path) as f:
                listing = f.read()
            for window in map(parse_fields, filter(None, listing.splitlines())):
                if window.get("class") == MAIN_CLASS and window.get("visible") and \
                        window.get("width", 0) > 0:
                    return window["width"], window["height"]
            time.sleep(1)
        raise RuntimeError("the widget's window did not appear")
    finally:
        run.stop()


def sample_cpu(args, run, xvfb):
    run.pids()
    time.sleep(args.settle)
    # Found again after settling: Wine may hand the start over to another process on the way up.
    program, server = run.pids()
    pids = {"program": program, "wineserver": server, "X server": xvfb}
    before = {k: cpu_seconds(p) for k, p in pids.items()}
    rss = resident_mib(program)
    time.sleep(args.sample)
    after = {k: cpu_seconds(p) for k, p in pids.items()}
    share = {k: 100.0 * (after[k] - before[k]) / args.sample for k in pids}
    return share, rss


def measure_cpu(args, programs, xvfb):
    results = {label: [] for label, _ in programs}
    for round_number in range(1, args.rounds + 1):
        for label, command in programs:
            run = Run(args, label, command, args.work)
            try:
                share, rss = sample_cpu(args, run, xvfb)
            finally:
                run.stop()
            results[label].append((share, rss))
            print(f"round {round_number} {label:>6}: program {share['program']:5.2f} %  "
                  f"wineserver {share['wineserver']:5.2f} %  X server {share['X server']:5.2f} %  "
                  f"resident {rss:6.1f} MiB", flush=True)
    return results


def mean(values):
    return sum(values) / len(values)


def summarise_cpu(results):
    print(f"CPU over {len(results['widget'])} rounds, % of one core (mean):")
    totals = {}
    for label, rows in results.items():
        program = mean([r[0]["program"] for r in rows])
        server = mean([r[0]["wineserver"] for r in rows])
        xserver = mean([r[0]["X server"] for r in rows])
        totals[label] = program + server
        print(f"  {label:>6}: program {program:5.2f}  wineserver {server:5.2f}  "
              f"X server {xserver:5.2f}  program+wineserver {program + server:5.2f}")
    if totals["bare"] > 0:
        print(f"  ratio widget/bare (program+wineserver): {totals['widget'] / totals['bare']:.2f}")


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
    programs = [("widget", [args.widget]), ("bare", [args.bare, str(width), str(height)])]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    summarise_cpu(measure_cpu(args, programs, args.xvfb_pid))
    if args.minutes > 0:
        measure_memory(args, programs)


if __name__ == "__main__":
    main()
