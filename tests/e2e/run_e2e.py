#!/usr/bin/env python3
"""End-to-end tests: the real Tindrel.exe under Wine on a virtual display, seen from outside.

Each test starts the widget in a fresh copy of a pristine Wine prefix and of the ready folder,
looks at its windows through the probe program, at the screen through screenshots and at the
registry through `wine reg`, and ends with a line "N passed, N failed".
"""

import argparse
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from widget import (WS_EX_LAYERED, WS_EX_TOOLWINDOW, WS_EX_TOPMOST, Widget,  # noqa: E402
                    read_png_size)

TESTS = []


def e2e(fn):
    TESTS.append(fn)
    return fn


def near_black(p, limit=8):
    return max(p) <= limit


# -- the widget window on the desktop ---------------------------------------------------------

@e2e
def widget_window_is_layered_at_its_design_position_and_shows_the_skin(w, ctx):
    w.start()
    win = w.wait_for_window()
    assert win["title"] == "Tindrel", win
    assert win["exstyle"] & WS_EX_LAYERED, hex(win["exstyle"])
    assert (win["left"], win["top"]) == (366, 216), (win["left"], win["top"])
    time.sleep(1.5)
    shot = w.screenshot(os.path.join(ctx.work, "widget.png"))
    skin_w, skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))
    win = w.main_window()
    # The skin sits at the top of the window; the desktop around it stays black (no compositor).
    lit = [p for p in shot.region(win["left"], win["top"], win["width"], skin_h) if not near_black(p)]
    assert len(lit) > 0.25 * skin_w * skin_h, f"only {len(lit)} lit pixels in the skin area"
    outside = shot.region(20, 600, 250, 200)  # clear of the tray window Wine shows at 0,0
    assert all(near_black(p) for p in outside), "pixels lit outside the widget"


@e2e
def application_window_stays_hidden_and_out_of_the_taskbar(w, ctx):
    w.start()
    w.wait_for_window()
    time.sleep(1.0)
    app = w.app_window()
    assert app is not None, "no application window"
    assert app["visible"] == 0, app
    assert app["exstyle"] & WS_EX_TOOLWINDOW, hex(app["exstyle"])
    assert app["title"] == "Tindrel", app


@e2e
def widget_is_top_most_by_default(w, ctx):
    w.start()
    win = w.wait_for_window()
    time.sleep(0.5)
    assert w.main_window()["exstyle"] & WS_EX_TOPMOST, hex(w.main_window()["exstyle"])


@e2e
def missing_star_sprite_is_reported_and_the_widget_still_comes_up(w, ctx):
    os.remove(os.path.join(w.app, "star.png"))
    w.start()
    boxes = w.wait_for_box()
    assert boxes, "no error report"
    box = boxes[0]
    assert box["title"] == "Tindrel", box
    assert box["text"].startswith('Cannot open file "'), box
    assert "star.png" in box["text"], box
    w.probe("dismiss")
    win = w.wait_for_window()
    assert win["exstyle"] & WS_EX_LAYERED


@e2e
def close_message_ends_the_process(w, ctx):
    w.start()
    w.wait_for_window()
    w.probe("close", "TfrmVelaCountdownClock")
    assert w.wait_for_exit(20), "Tindrel.exe still running after WM_CLOSE"


# -- runner ------------------------------------------------------------------------------------

class Context:
    def __init__(self, work):
        self.work = work


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--pristine", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("-k", dest="only", default="")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    passed = failed = 0
    for test in TESTS:
        if args.only and args.only not in test.__name__:
            continue
        w = Widget(args.build, args.pristine, args.home, args.work, test.__name__)
        started = time.time()
        try:
            test(w, Context(w.work))
            passed += 1
            print(f"PASS {test.__name__} ({time.time() - started:.1f} s)", flush=True)
        except Exception:  # a failed check or a broken run: both fail the test
            failed += 1
            print(f"FAIL {test.__name__}", flush=True)
            traceback.print_exc()
        finally:
            w.stop()
    print(f"e2e: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
