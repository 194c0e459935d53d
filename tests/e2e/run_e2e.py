#!/usr/bin/env python3
"""End-to-end tests: the real Tindrel.exe under Wine on a virtual display, seen from outside.

Each test starts the widget in a fresh copy of a pristine Wine prefix and of the ready folder,
looks at its windows through the probe program, at the screen through screenshots and at the
registry through `wine reg`, and ends with a line "N passed, N failed".
"""

import argparse
import calendar
import math
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from widget import (APP_CLASS, MAIN_CLASS, WS_EX_LAYERED, WS_EX_TOOLWINDOW, WS_EX_TOPMOST,  # noqa: E402
                    WS_MINIMIZE, Widget, parse_fields, read_png_size, run_tests)
import png_files  # noqa: E402

TESTS = []
HERE = os.path.dirname(os.path.abspath(__file__))


def e2e(fn):
    TESTS.append(fn)
    return fn


def near_black(p, limit=8):
    return max(p) <= limit


def watch_boxes(w, seen, seconds, until=lambda: False):
    """Looks at the open boxes every half second for up to `seconds`, keeping each one met in
    `seen` by its handle, so that a box that opens and closes between two looks at the screen
    still counts once it has been seen; stops early once until() holds and returns its value."""
    deadline = time.time() + seconds
    while True:
        for box in w.boxes():
            seen.setdefault(box["box"], box)
        done = until()
        if done or time.time() >= deadline:
            return done
        time.sleep(0.5)


def box_texts(seen):
    return [f'{box["title"]}: {box["text"]}' for box in seen.values()]


# -- the widget window on the desktop ---------------------------------------------------------

@e2e
def widget_window_is_layered_at_its_design_position_and_shows_the_skin(w, ctx):
    w.start()
    win = w.wait_for_window()
    assert win["title"] == "Tindrel", win
    assert win["exstyle"] & WS_EX_LAYERED, hex(win["exstyle"])
    assert (win["left"], win["top"]) == (366, 216), (win["left"], win["top"])
    w.wait_for_drawing()
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
    w.wait_for_drawing()
    app = w.app_window()
    assert app is not None, "no application window"
    assert app["visible"] == 0, app
    assert app["exstyle"] & WS_EX_TOOLWINDOW, hex(app["exstyle"])
    assert app["title"] == "Tindrel", app


@e2e
def widget_is_top_most_by_default(w, ctx):
    w.start()
    w.wait_for_window()
    assert w.wait_until(lambda: w.main_window()["exstyle"] & WS_EX_TOPMOST, timeout=10), \
        hex(w.main_window()["exstyle"])


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



@e2e
def the_due_date_tip_comes_with_the_mouse_pops_up_under_the_widget_and_goes_with_it(w, ctx):
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    # The tray has tooltips of its own; the widget's is the one it owns.
    tips = lambda: [x for x in w.windows()  # noqa: E731
                    if x["class"] == "tooltips_class32" and x.get("owner") == win["hwnd"]]
    assert not tips(), f"a tooltip window before the mouse came over the widget: {tips()}"
    w.xdotool("mousemove", win["left"] + 150, win["top"] + 120)
    shown = w.wait_until(lambda: [x for x in tips() if x["visible"]], timeout=15)
    screen = w.screenshot() if shown else None
    w.xdotool("click", 1)  # ends the move that hovering started
    assert shown, f"no tooltip shown while the mouse rests on the widget: {tips()}"
    tip, now = shown[0], w.main_window()
    centre_offset = tip["left"] + tip["width"] / 2 - (now["left"] + now["width"] / 2)
    assert abs(centre_offset) <= 2 and 0 <= tip["top"] - (now["top"] + now["height"]) <= 3, (now, tip)
    # Blue, inside its frame and left of its text.
    assert screen.pixel(tip["left"] + 4, tip["top"] + tip["height"] // 2) == (0, 0, 255), tip
    # Let go, with what made it, once the mouse has left.
    w.xdotool("mousemove", 1270, 1015)
    assert w.wait_until(lambda: not tips(), timeout=10), f"the tip stayed: {tips()}"


@e2e
def hovering_and_moving_the_mouse_drags_the_widget(w, ctx):
    w.start()
    w.wait_for_window()
    before = w.wait_for_drawing()
    # Without a window manager the system move starts on the first mouse move over the widget
    # and ends at the button release.
    w.xdotool("mousemove", before["left"] + 120, before["top"] + 100)
    w.xdotool("mousemove", before["left"] + 180, before["top"] + 140)
    w.xdotool("click", 1)
    after = w.wait_until(lambda: moved_by(w, before, (60, 40)), timeout=10) or w.main_window()
    assert (after["left"] - before["left"], after["top"] - before["top"]) == (60, 40), (before, after)


def moved_by(w, before, offset):
    """The widget's window when it stands `offset` away from `before`, else None."""
    now = w.main_window()
    return now if (now["left"] - before["left"], now["top"] - before["top"]) == offset else None


# -- the live widget -------------------------------------------------------------------------

def caption_band(w, shot, win, skin_h):
    return shot.region(win["left"], win["top"] + skin_h, win["width"], win["height"] - skin_h)


@e2e
def caption_under_the_skin_ticks_every_second_and_sizes_the_window(w, ctx):
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    skin_w, skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))
    # The caption is narrower than the default skin: the window is the skin's width and the
    # skin's height plus the caption bitmap's.
    assert win["width"] == skin_w, win
    assert 12 <= win["height"] - skin_h <= 60, win
    first = caption_band(w, w.screenshot(os.path.join(ctx.work, "first.png")), win, skin_h)
    lit = [p for p in first if not near_black(p, 40)]
    assert len(lit) > 150, f"only {len(lit)} text pixels in the caption band"
    changed = w.wait_until(lambda: caption_band(w, w.screenshot(), win, skin_h) != first,
                           timeout=5)
    assert changed, "the caption did not change from one second to the next"


def clusters_of_changed_pixels(first, second, left, top, width, height, reach):
    """The boxes (left, top, right, bottom) that hold the pixels differing between two
    screenshots in a region, each pixel put into the first box it lies within `reach` of."""
    boxes = []
    for y in range(top, top + height):
        for x in range(left, left + width):
            if first.pixel(x, y) == second.pixel(x, y):
                continue
            for box in boxes:
                if box[0] - reach <= x < box[2] + reach and box[1] - reach <= y < box[3] + reach:
                    box[:] = [min(box[0], x), min(box[1], y), max(box[2], x + 1),
                              max(box[3], y + 1)]
                    break
            else:
                boxes.append([x, y, x + 1, y + 1])
    return boxes


@e2e
def the_stars_twinkle_over_the_skin_in_places_no_larger_than_their_sprites(w, ctx):
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    sprite = read_png_size(os.path.join(w.app, "star.png"))[0]
    skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))[1]
    first = w.screenshot(os.path.join(ctx.work, "first.png"))
    second = w.wait_until(lambda: skin_changed_since(w, first, win, skin_h), timeout=5)
    assert second, "no star changed over the skin"
    w.screenshot(os.path.join(ctx.work, "second.png"))
    boxes = clusters_of_changed_pixels(first, second, win["left"], win["top"], win["width"],
                                       skin_h, 2)
    # Eight stars in each screenshot: at most sixteen places changed, as large as their sprites.
    changed = sum(1 for y in range(win["top"], win["top"] + skin_h)
                  for x in range(win["left"], win["left"] + win["width"])
                  if first.pixel(x, y) != second.pixel(x, y))
    assert len(boxes) <= 2 * 8, boxes
    assert changed <= 2 * 8 * sprite * sprite, f"{changed} pixels changed: {boxes}"


def skin_changed_since(w, first, win, skin_h):
    """A screenshot in which the skin's part of the window differs from `first`, else None."""
    shot = w.screenshot()
    region = (win["left"], win["top"], win["width"], skin_h)
    return shot if shot.region(*region) != first.region(*region) else None


def christmas_caption_at(instant):
    """The caption of a widget counting down to Christmas (December 25, 00:00 UTC, of the year of
    `instant`, a Unix time before it) at `instant`, seconds truncated."""
    year = time.gmtime(instant).tm_year
    left_ms = round((calendar.timegm((year, 12, 25, 0, 0, 0)) - instant) * 1000)
    days, ms = divmod(left_ms, 86_400_000)
    return f"{days} days, {ms // 3_600_000:02}:{ms // 60_000 % 60:02}:{ms % 60_000 // 1000:02}"


@e2e
def the_accessible_name_is_the_caption_of_the_second_and_follows_the_countdown(w, ctx):
    preload = os.path.join(ctx.work, "libclockshift.so")
    subprocess.run(["bash", os.path.join(HERE, "build-clockshift.sh"), ctx.work], check=True,
                   stdout=subprocess.DEVNULL)
    # The widget's clock starts at December 10, 13:40:26 UTC: "14 days, 10:19:34" to Christmas.
    offset = calendar.timegm((2030, 12, 10, 13, 40, 26, 0, 0, 0)) - int(time.time())
    w.start(extra_env={"TINDREL_CLOCK_OFFSET": str(offset), "TZ": "UTC"}, preload=preload)
    w.wait_for_window()
    w.wait_for_drawing()

    def accessible_name():
        asked = time.time()
        found = parse_fields(w.probe("accessible", MAIN_CLASS).strip())
        answered = time.time()
        # Each frame shows the caption of its instant for up to one refresh interval (220 ms).
        seconds = {christmas_caption_at(offset + asked - 0.25 + step * 0.05)
                   for step in range(int((answered - asked + 0.25) / 0.05) + 2)}
        assert found["name"] in seconds, (found, sorted(seconds))
        assert found["description"] == "Countdown", found
        return found["name"]

    first = accessible_name()
    # The name follows the countdown: a later second has another one.
    assert w.wait_until(lambda: accessible_name() != first, timeout=5), first
    assert w.main_window()["title"] == "Tindrel", w.main_window()


@e2e
def a_caption_wider_than_the_skin_sets_the_window_width(w, ctx):
    # A tiny skin (the star sprite itself) chosen in the stored settings.
    shutil.copy(os.path.join(w.app, "star.png"), os.path.join(w.app, "skins", "Tiny.png"))
    w.reg_add(STORE_KEY, "sSkinName", "REG_SZ", "Tiny")
    w.start()
    w.wait_for_window()
    skin_w, skin_h = read_png_size(os.path.join(w.app, "skins", "Tiny.png"))
    win = w.wait_until(lambda: (w.main_window()["width"] > 4 * skin_w and w.main_window()),
                       timeout=10) or w.main_window()
    assert win["width"] > 4 * skin_w, win
    w.wait_for_drawing()
    assert 12 <= win["height"] - skin_h <= 60, win
    shot = w.screenshot(os.path.join(ctx.work, "tiny.png"))
    lit = [p for p in caption_band(w, shot, win, skin_h) if not near_black(p, 40)]
    assert len(lit) > 150, f"only {len(lit)} text pixels in the caption band"


# -- the shipped digital face ------------------------------------------------------------------

def caption_ink_columns(w, ctx, label):
    """Starts the widget and returns the leftmost and rightmost columns lit in its caption band,
    watching that no box opens on the way; the widget is then closed the way Exit closes it."""
    seen = {}
    w.start()
    w.wait_for_window()
    watch_boxes(w, seen, 2.0)
    _, skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))
    win = w.main_window()
    shot = w.screenshot(os.path.join(ctx.work, f"{label}.png"))
    lit = [x for y in range(win["top"] + skin_h, win["top"] + win["height"])
           for x in range(win["left"], win["left"] + win["width"])
           if not near_black(shot.pixel(x, y), 40)]
    assert not seen, f"{label}: {box_texts(seen)}"
    assert len(lit) > 150, f"{label}: only {len(lit)} text pixels in the caption band"
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20), f"{label}: still running after WM_CLOSE"
    return min(lit), max(lit)


@e2e
def the_shipped_digital_face_draws_the_caption_while_the_default_face_is_missing(w, ctx):
    fonts = os.path.join(w.app, "fonts")
    assert os.path.isfile(os.path.join(fonts, "DSEG14Classic-Regular.ttf")), os.listdir(w.app)
    assert "Open Font License" in read_text(os.path.join(fonts, "DSEG-LICENSE.txt"))
    shipped = caption_ink_columns(w, ctx, "shipped")
    # The stand-in is drawn, never stored: the choice stays the default face's name.
    assert stored_values(w)["FontName"] == ("REG_SZ", "DS-Digital"), stored_values(w)["FontName"]

    shutil.rmtree(fonts)
    fallback = caption_ink_columns(w, ctx, "fallback")
    # The digits and letters of the segment face are far wider than the system's fallback
    # face's; the width barely depends on which digits are showing.
    shipped_width = shipped[1] - shipped[0]
    fallback_width = fallback[1] - fallback[0]
    assert abs(shipped_width - fallback_width) > 20, (shipped, fallback)

    # A damaged font file only changes the look back to the fallback; no box opens.
    os.makedirs(fonts)
    with open(os.path.join(fonts, "DSEG14Classic-Regular.ttf"), "wb") as f:
        f.write(b"\x00\x01\x00\x00" + b"\xff" * 500)
    damaged = caption_ink_columns(w, ctx, "damaged")
    assert abs((damaged[1] - damaged[0]) - fallback_width) <= 3, (damaged, fallback)
    assert stored_values(w)["FontName"] == ("REG_SZ", "DS-Digital")


# -- sound -----------------------------------------------------------------------------------

def start_eight_seconds_before_the_hour(w, ctx, seconds=8):
    """Starts the widget with its clock shifted to eight (or `seconds`) seconds before the top of
    an hour and Wine's MCI trace going to a log; returns the log's path."""
    preload = os.path.join(ctx.work, "libclockshift.so")
    subprocess.run(["bash", os.path.join(HERE, "build-clockshift.sh"), ctx.work], check=True,
                   stdout=subprocess.DEVNULL)
    now = time.time()
    offset = int((3600 - now % 3600) - seconds)
    log = os.path.join(ctx.work, "mci.log")
    w.start(extra_env={"TINDREL_CLOCK_OFFSET": str(offset), "WINEDEBUG": "+mci"},
            preload=preload, log=log)
    return log


@e2e
def the_default_clip_opens_when_the_hour_turns(w, ctx):
    log = start_eight_seconds_before_the_hour(w, ctx)
    w.wait_for_window()
    assert "JingleBells" not in read_text(log), "chimed before the hour"
    opened = w.wait_until(lambda: "JingleBells.mp3" in read_text(log), timeout=30)
    assert opened, "the default clip was not opened at the top of the hour"


# The prefix's programs run under the C.UTF-8 locale, for which Wine picks the Western-European
# ANSI code page 1252: it has no Greek letters.
LOCALE_WITHOUT_GREEK = "C.UTF-8"
GREEK_FOLDER = "Χριστούγεννα"


@e2e
def the_chime_opens_once_from_a_folder_named_outside_the_ansi_code_page(w, ctx):
    w.env["LC_ALL"] = LOCALE_WITHOUT_GREEK
    code_page = int(w.probe("codepage"))
    try:
        GREEK_FOLDER.encode(f"cp{code_page}")
        raise AssertionError(f"the ANSI code page {code_page} holds {GREEK_FOLDER}")
    except UnicodeEncodeError:
        pass
    folder = os.path.join(w.work, GREEK_FOLDER)
    shutil.move(w.app, folder)
    w.app = folder
    log = start_eight_seconds_before_the_hour(w, ctx)
    w.wait_for_window()
    seen = {}
    opened = watch_boxes(w, seen, 30, until=lambda: clip_opens(read_text(log)))
    watch_boxes(w, seen, 4)
    assert not seen, box_texts(seen)
    assert opened, "the default clip was not opened at the top of the hour"
    assert clip_opens(read_text(log)) == 1, f"{clip_opens(read_text(log))} opens"


@e2e
def a_hidden_widget_chimes_once_at_the_top_of_the_hour(w, ctx):
    log = start_eight_seconds_before_the_hour(w, ctx, seconds=20)
    w.wait_for_window()
    put_the_pointer_on_the_tray_icon(w)
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=10), "widget not hidden"
    assert "JingleBells" not in read_text(log), "chimed before the hour"
    assert w.wait_until(lambda: clip_opens(read_text(log)), timeout=40), "no chime while hidden"
    time.sleep(5.0)  # long enough for a second chime to show, had one followed
    assert clip_opens(read_text(log)) == 1, f"{clip_opens(read_text(log))} chimes"
    assert w.main_window()["visible"] == 0


@e2e
def a_font_too_large_to_draw_is_reported_once_and_the_hour_still_chimes(w, ctx):
    w.reg_add(STORE_KEY, "FontSize", "REG_SZ", "1500")
    started = time.time()
    log = start_eight_seconds_before_the_hour(w, ctx)
    seen = {}
    assert watch_boxes(w, seen, 40, until=lambda: seen), "the oversized font was not reported"
    report = next(iter(seen.values()))
    assert report["title"] == "Tindrel" and "too large" in report["text"], report
    w.probe("dismiss")
    dismissed = time.time()
    # The caption keeps failing at every tick; it is reported once, not at every tick, and the
    # clock and the chime go on without it. The hour turns eight seconds after the start.
    chimed = watch_boxes(w, seen, max(10.0, started + 40 - time.time()),
                         until=lambda: (time.time() >= max(started + 25, dismissed + 5)
                                        and "JingleBells.mp3" in read_text(log)))
    assert len(seen) == 1, f"{len(seen)} boxes (chimed: {bool(chimed)}): {box_texts(seen)}"
    assert chimed, "the default clip was not opened at the top of the hour"


@e2e
def a_missing_clip_at_the_hour_gives_way_to_the_default_clip_with_one_report(w, ctx):
    w.reg_add(STORE_KEY, "sSoundName", "REG_SZ", "Gone")  # a clip deleted since it was chosen
    log = start_eight_seconds_before_the_hour(w, ctx)
    w.wait_for_window()
    seen = {}
    assert watch_boxes(w, seen, 40, until=lambda: seen), "the missing clip was not reported"
    text = read_text(log)
    assert "Gone.mp3" in text, "the chosen clip was not tried"
    assert "JingleBells.mp3" in text[text.find("Gone.mp3"):], "the default clip did not open"
    w.probe("dismiss")
    watch_boxes(w, seen, 5)
    assert len(seen) == 1, box_texts(seen)
    report = next(iter(seen.values()))
    assert report["title"] == "Tindrel" and '"Gone"' in report["text"], report


# -- the menu and the tray icon --------------------------------------------------------------

def right_click_on_the_widget(w):
    """Starts the widget and right-clicks on it; the pointer stays there."""
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    w.xdotool("mousemove", win["left"] + 150, win["top"] + 120)
    w.xdotool("click", 1)  # ends the move that hovering started
    w.xdotool("click", 3)


def open_menus(w):
    return w.windows_of_class("#32768")


def open_menu_on_the_widget(w):
    """Starts the widget and opens its popup menu with a right click on it."""
    right_click_on_the_widget(w)
    menus = w.wait_until(lambda: open_menus(w), timeout=10)
    assert menus, "no popup menu after a right click"


@e2e
def sound_files_with_unusable_names_are_reported_together_once(w, ctx):
    sounds = os.path.join(w.app, "sounds")
    names = ("bad one", "2nd", "x-y")
    for name in names:
        shutil.copy(os.path.join(sounds, "JingleBells.mp3"), os.path.join(sounds, name + ".mp3"))
    right_click_on_the_widget(w)
    seen = {}
    assert watch_boxes(w, seen, 30, until=lambda: seen), "the unusable names were not reported"
    w.probe("dismiss")
    watch_boxes(w, seen, 5)
    report = next(iter(seen.values()))
    assert len(seen) == 1 and all(name in report["text"] for name in names), box_texts(seen)
    assert w.wait_until(lambda: open_menus(w), timeout=15), "no menu after the report"
    w.xdotool("key", "Escape")
    assert w.wait_until(lambda: not open_menus(w), timeout=10), "Escape did not close the menu"
    # The files have not changed since: the second opening has nothing new to report.
    w.xdotool("click", 3)
    watch_boxes(w, seen, 5)
    assert len(seen) == 1, box_texts(seen)
    assert w.wait_until(lambda: open_menus(w), timeout=10), "no menu at the second right click"


@e2e
def right_click_opens_the_menu_and_exit_ends_the_program(w, ctx):
    open_menu_on_the_widget(w)
    w.xdotool("key", "x")  # E&xit
    assert w.wait_for_exit(20), "Exit did not end the program"


@e2e
def font_command_opens_the_font_chooser_and_cancel_changes_nothing(w, ctx):
    open_menu_on_the_widget(w)
    w.xdotool("key", "f")  # F&ont...
    dialogs = w.wait_until(lambda: [b for b in w.boxes() if b["title"] == "Font"], timeout=15)
    assert dialogs, "the font chooser did not open"
    w.xdotool("key", "Escape")
    assert w.wait_until(lambda: not [b for b in w.boxes() if b["title"] == "Font"], timeout=10)
    w.probe("close", "TfrmVelaCountdownClock")
    assert w.wait_for_exit(20)
    values = stored_values(w)
    assert (values["FontName"][1], values["FontSize"][1]) == ("DS-Digital", "16"), values


def put_the_pointer_on_the_tray_icon(w):
    """Puts the pointer on the widget's icon in the tray window Wine shows at 0,0 once the widget
    has added its icon (Wine shows the window for the first icon)."""
    tray = w.wait_until(lambda: w.windows_of_class("__winex11_standalone_tray"), timeout=20)
    assert tray, "Wine shows no tray window"
    assert w.wait_until(lambda: [i for i in w.tray_icons() if i["visible"]], timeout=10), \
        "the tray window shows no icon"
    w.xdotool("mousemove", 12, 31)


def point_at_the_tray_icon(w):
    """Starts the widget and puts the pointer on its icon in the tray window."""
    w.start()
    w.wait_for_window()
    put_the_pointer_on_the_tray_icon(w)


@e2e
def tray_icon_click_hides_and_shows_the_widget(w, ctx):
    point_at_the_tray_icon(w)
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=10), "widget not hidden"
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 1, timeout=10), "widget not shown"


def x_window_of(w, win):
    """The X window that shows a Windows window: the one with its title and its place and size."""
    found = subprocess.run(["xdotool", "search", "--name", f"^{win['title']}$"], env=w.env,
                           capture_output=True, text=True).stdout.split()
    for xid in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", xid], env=w.env,
                                  capture_output=True, text=True).stdout
        if (f"Position: {win['left']},{win['top']}" in geometry
                and f"Geometry: {win['width']}x{win['height']}" in geometry):
            return xid
    raise AssertionError(f"no X window shows {win}")


# Check marks as a first start stores them.
FIRST_START_MARKS = {"chbStartup": "True", "OnTop1": "True", "DisplayShadow1": "True",
                     "ShowDays1": "True", "ShowRandomStars1": "True", "EveryHour1": "True",
                     "EveryHalfHour1": "False", "Never1": "False",
                     "ChristmasDecember2420071": "False", "Christmas1": "True",
                     "NewYear1": "False", "ChristmasJanuary71": "False"}


@e2e
def shift_f10_and_the_menu_key_open_the_menu_over_the_focused_widget_and_escape_closes_it(w, ctx):
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    # A click makes the widget the active window with the keyboard focus (it ends the move that
    # hovering started, too). Xvfb has no window manager to give its X window the keyboard.
    w.xdotool("mousemove", win["left"] + 150, win["top"] + 120)
    w.xdotool("click", 1)
    focus = parse_fields(w.probe("focus").strip())
    assert focus["active_class"] == focus["focus_class"] == MAIN_CLASS, focus
    w.xdotool("windowfocus", "--sync", x_window_of(w, win))
    # Away from the widget, so that the menu's place tells the widget from the pointer.
    w.xdotool("mousemove", 1270, 1015)
    middle = (win["left"] + win["width"] // 2, win["top"] + win["height"] // 2)
    for keys in ("shift+F10", "Menu"):
        w.xdotool("key", keys)
        menus = w.wait_until(lambda: open_menus(w), timeout=10)
        assert menus, f"no menu after {keys}"
        assert (menus[0]["left"], menus[0]["top"]) == middle, (keys, menus[0], win)
        w.xdotool("key", "Escape")
        assert w.wait_until(lambda: not open_menus(w), timeout=10), f"Escape left the {keys} menu"
    after = w.main_window()
    assert all(after[k] == win[k] for k in ("left", "top", "width", "height", "visible")), after
    assert not w.boxes(), w.boxes()
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    values = stored_values(w)
    marks = {name: values[name + "_Checked"][1] for name in FIRST_START_MARKS}
    assert marks == FIRST_START_MARKS, marks


TRAY_CALLBACK_MESSAGE = "0xB054"
NIN_KEYSELECT = 0x401
WM_CONTEXTMENU = 0x7B


@e2e
def the_tray_icons_keyboard_selection_and_context_menu_open_the_menu_at_the_icon(w, ctx):
    point_at_the_tray_icon(w)
    # Wine's tray sends no keyboard notices: the probe sends the shell's, as its fourth version
    # does, with the icon's place in wparam.
    anchor = (300, 200)
    for notice in (NIN_KEYSELECT, WM_CONTEXTMENU):
        w.probe("message", TRAY_WINDOW_CLASS, TRAY_CALLBACK_MESSAGE,
                str((anchor[1] << 16) | anchor[0]), str(notice))
        menus = w.wait_until(lambda: open_menus(w), timeout=10)
        assert menus, f"no menu after the notice {notice:#x}"
        assert (menus[0]["left"], menus[0]["top"]) == anchor, (hex(notice), menus[0])
        # The keys go to the program whose window is under the pointer.
        w.xdotool("mousemove", anchor[0] + 20, anchor[1] + 5)
        w.xdotool("key", "Escape")
        assert w.wait_until(lambda: not open_menus(w), timeout=10), f"{notice:#x}: still open"
    assert w.main_window()["visible"] == 1, w.main_window()
    assert not w.boxes(), w.boxes()


@e2e
def a_double_click_on_the_tray_icon_toggles_the_widget_once(w, ctx):
    point_at_the_tray_icon(w)
    for visible in (0, 1):
        w.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        assert w.wait_until(lambda: w.main_window()["visible"] == visible, timeout=10), \
            f"the double click did not make the widget visible={visible}"
        time.sleep(5.0)  # hiding takes about 2 s here: long enough for a second toggle to show
        assert w.main_window()["visible"] == visible, "the double click toggled the widget twice"


def choose_from_the_tray_menu(w, *keys):
    """Right-clicks the tray icon under the pointer and types the accelerator keys of a path
    through the menu, each key opening the next submenu or choosing the last entry."""
    w.xdotool("click", 3)
    assert w.wait_until(lambda: open_menus(w), timeout=15), "no menu at the tray icon"
    for depth, key in enumerate(keys, start=1):
        w.xdotool("key", key)
        if depth < len(keys):
            assert w.wait_until(lambda: len(open_menus(w)) == depth + 1, timeout=10), keys
    assert w.wait_until(lambda: not open_menus(w), timeout=10), "the menu stayed open"


def not_on_top_and_not_started_at_logon(w):
    values = stored_values(w)
    return (not (w.main_window()["exstyle"] & WS_EX_TOPMOST)
            and w.reg_query(RUN_KEY, "Tindrel")[0] != 0
            and values["OnTop1_Checked"][1] == "False"
            and values["chbStartup_Checked"][1] == "False")


@e2e
def choices_made_from_the_tray_while_hidden_hold_when_shown_and_after_a_restart(w, ctx):
    point_at_the_tray_icon(w)
    assert w.main_window()["exstyle"] & WS_EX_TOPMOST
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=15), "widget not hidden"
    # S&ettings, then &Load at Startup and &Always On Top, unticked one at a time.
    choose_from_the_tray_menu(w, "e", "l")
    choose_from_the_tray_menu(w, "e", "a")
    values = stored_values(w)
    assert (values["chbStartup_Checked"][1], values["OnTop1_Checked"][1]) == ("False", "False"), \
        "the choices were not stored when they were made"
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 1, timeout=15), "widget not shown"
    w.wait_for_drawing()
    assert not_on_top_and_not_started_at_logon(w), "the showing undid the choices"
    choose_from_the_tray_menu(w, "x")  # E&xit
    assert w.wait_for_exit(20), "Exit did not end the program"
    w.start()
    w.wait_for_window()
    w.wait_for_drawing()
    assert not_on_top_and_not_started_at_logon(w), "the choices did not hold after a restart"


@e2e
def exit_chosen_from_the_tray_icon_menu_ends_the_program_cleanly(w, ctx):
    point_at_the_tray_icon(w)
    w.xdotool("click", 3)
    menus = w.wait_until(lambda: w.windows_of_class("#32768"), timeout=10)
    assert menus, "no popup menu after a right click on the tray icon"
    w.xdotool("key", "x")  # E&xit
    assert w.wait_for_exit(20), "Exit from the tray menu did not end the program"
    assert w.process.returncode == 0, w.process.returncode
    assert stored_values(w)["Visible"][1] == "0", stored_values(w)


# -- on real desktops: a second start, monitors, the shell, the clock -----------------------------

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
TRAY_WINDOW_CLASS = "TindrelTrayIconWindow"
WM_TIMECHANGE = "0x1E"


def fully_on_screen(win):
    return (0 <= win["left"] and 0 <= win["top"] and win["left"] + win["width"] <= SCREEN_WIDTH
            and win["top"] + win["height"] <= SCREEN_HEIGHT)


@e2e
def a_second_start_shows_the_hidden_widget_and_ends_leaving_one_widget(w, ctx):
    point_at_the_tray_icon(w)
    assert len(w.tray_icons()) == 1, w.tray_icons()
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=10), "widget not hidden"
    w.xdotool("mousemove", 1270, 1015)
    code = w.start_again()
    assert code == 0, f"the second start ended with {code}" if code is not None else \
        "the second start is still running"
    assert w.wait_until(lambda: w.main_window()["visible"] == 1, timeout=15), \
        "the hidden widget was not shown"
    w.wait_for_drawing()
    assert len(w.widget_windows()) == 1, w.widget_windows()
    assert len(w.tray_icons()) == 1, w.tray_icons()
    assert w.process.poll() is None, "the first start ended"
    # Shown again, and the one writer of the settings: a close stores its place as before.
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    assert stored_values(w)["NormPos"][1].startswith("366,216,"), stored_values(w)["NormPos"]


@e2e
def a_stored_position_far_off_screen_comes_up_inside_and_stays_stored_until_moved(w, ctx):
    w.reg_add(STORE_KEY, "NormPos", "REG_SZ", "5000,4000,5300,4286")
    w.start()
    w.wait_for_window()
    first = w.wait_until(lambda: fully_on_screen(w.main_window()) and w.main_window(),
                         timeout=10) or w.main_window()
    assert fully_on_screen(first), first
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    values = stored_values(w)
    assert values["NormPos"][1].startswith("5000,4000,"), values["NormPos"]
    assert values["NormPos(1280x1024)"][1].startswith("5000,4000,"), values["NormPos(1280x1024)"]
    # The next start puts it in the same place; once dragged, that place is what is stored.
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    assert (win["left"], win["top"]) == (first["left"], first["top"]), (first, win)
    w.xdotool("mousemove", win["left"] + 120, win["top"] + 100)
    w.xdotool("mousemove", win["left"] + 60, win["top"] + 60)
    w.xdotool("click", 1)
    moved = w.wait_until(lambda: moved_by(w, win, (-60, -40)), timeout=10) or w.main_window()
    assert (moved["left"], moved["top"]) == (win["left"] - 60, win["top"] - 40), (win, moved)
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    expected = f'{moved["left"]},{moved["top"]},'
    assert stored_values(w)["NormPos"][1].startswith(expected), stored_values(w)["NormPos"]


@e2e
def a_widget_moved_off_every_monitor_comes_back_when_the_display_changes(w, ctx):
    w.start()
    w.wait_for_window()
    w.wait_for_drawing()
    w.probe("move", MAIN_CLASS, "3000", "2500")
    assert w.wait_until(lambda: w.main_window()["left"] == 3000, timeout=10), w.main_window()
    w.probe("message", MAIN_CLASS, "0x7E", "24", str((SCREEN_HEIGHT << 16) | SCREEN_WIDTH))
    assert w.wait_until(lambda: fully_on_screen(w.main_window()), timeout=10), w.main_window()


@e2e
def a_shell_restart_brings_the_tray_icon_back_and_its_click_still_works(w, ctx):
    point_at_the_tray_icon(w)
    assert len(w.tray_icons()) == 1, w.tray_icons()
    # The shell that goes away takes every icon with it.
    w.probe("trayremove", TRAY_WINDOW_CLASS)
    assert w.wait_until(lambda: not w.tray_icons(), timeout=10), w.tray_icons()
    w.probe("taskbarcreated")
    assert w.wait_until(lambda: len(w.tray_icons()) == 1, timeout=10), "the icon did not come back"
    put_the_pointer_on_the_tray_icon(w)
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=10), "widget not hidden"
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 1, timeout=10), "widget not shown"


def seconds_left(w):
    """The time left that the widget's caption shows now, in seconds, as its accessible name
    tells it ("D days, hh:mm:ss")."""
    name = parse_fields(w.probe("accessible", MAIN_CLASS).strip())["name"]
    days, clock = name.split(" days, ")
    hours, minutes, seconds = (int(part) for part in clock.split(":"))
    return ((int(days) * 24 + hours) * 60 + minutes) * 60 + seconds


def set_clock_offset(path, seconds):
    with open(path + ".new", "w") as f:
        f.write(str(seconds))
    os.replace(path + ".new", path)


def captions_match(w, reference, skin_h, shot_path):
    """Whether the two widgets show the same caption on one screenshot; both tick every second, so
    a few looks are taken until they agree."""
    for _ in range(12):
        win, ref = w.main_window(), reference.main_window()
        shot = w.screenshot(shot_path)
        mine, theirs = caption_band(w, shot, win, skin_h), caption_band(w, shot, ref, skin_h)
        lit = [p for p in mine if not near_black(p, 40)]
        assert len(lit) > 150, f"only {len(lit)} text pixels in the caption band"
        if (win["width"], win["height"]) == (ref["width"], ref["height"]) and mine == theirs:
            return True
        time.sleep(0.35)
    return False


@e2e
def a_clock_set_hours_forward_chimes_once_and_the_caption_follows(w, ctx):
    preload = os.path.join(ctx.work, "libclockshift.so")
    subprocess.run(["bash", os.path.join(HERE, "build-clockshift.sh"), ctx.work], check=True,
                   stdout=subprocess.DEVNULL)
    # Five seconds into an hour: the start falls in minute 0, which does not chime.
    offset = int(3600 - time.time() % 3600) + 5
    offset_file = os.path.join(ctx.work, "clock-offset")
    set_clock_offset(offset_file, offset)
    log = os.path.join(ctx.work, "mci.log")
    w.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
    w.start(extra_env={"TINDREL_CLOCK_OFFSET_FILE": offset_file, "WINEDEBUG": "+mci"},
            preload=preload, log=log)
    w.wait_for_window()
    w.wait_for_drawing()
    # Once the caption has counted on, the refresh ticks, each with its chime check, are running.
    before = seconds_left(w)
    assert w.wait_until(lambda: seconds_left(w) != before, timeout=5), "the caption stands still"
    assert "JingleBells" not in read_text(log), "chimed at the start"
    # The user sets the clock three hours forward: still minute 0, now of another hour, and the
    # system tells every window.
    offset += 3 * 3600
    set_clock_offset(offset_file, offset)
    # The widget reads the new time once its caption has jumped by the hours.
    assert w.wait_until(lambda: before - seconds_left(w) > 2 * 3600, timeout=10), seconds_left(w)
    w.probe("message", MAIN_CLASS, WM_TIMECHANGE, "0", "0")
    w.wait_until(lambda: clip_opens(read_text(log)), timeout=15)
    time.sleep(8.0)  # long enough for a second chime to show, had one followed
    assert clip_opens(read_text(log)) == 1, f"{clip_opens(read_text(log))} chimes"
    # A widget started at the new time shows the same caption.
    with ctx.make_widget("reference_widget") as reference:
        reference.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
        reference.reg_add(STORE_KEY, "NormPos", "REG_SZ", "700,600,1000,886")
        reference.start(extra_env={"TINDREL_CLOCK_OFFSET": str(offset)}, preload=preload)
        reference.wait_until(lambda: (reference.main_window() or {}).get("visible"), timeout=40)
        reference.wait_for_drawing()
        skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))[1]
        assert captions_match(w, reference, skin_h, os.path.join(ctx.work, "captions.png")), \
            "the caption differs from that of a widget started at the new time"


@e2e
def a_click_on_the_ticked_due_date_keeps_the_count_to_december_25_after_a_restart(w, ctx):
    w.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
    open_menu_on_the_widget(w)
    w.xdotool("key", "u")  # D&ue Date
    assert w.wait_until(lambda: len(open_menus(w)) == 2, timeout=10), "Due Date did not open"
    w.xdotool("key", "d")  # Christmas - &December 25, ticked since the first start
    assert w.wait_until(lambda: not open_menus(w), timeout=10), "the menu stayed open"
    # The chosen entry's command runs as the menu goes, before the widget takes the close.
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    w.start()
    w.wait_for_window()
    with ctx.make_widget("reference_widget") as reference:
        reference.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
        reference.reg_add(STORE_KEY, "NormPos", "REG_SZ", "700,600,1000,886")
        reference.start()
        reference.wait_until(lambda: (reference.main_window() or {}).get("visible"), timeout=40)
        reference.wait_for_drawing()
        skin_h = read_png_size(os.path.join(w.app, "skins", "glass.png"))[1]
        assert captions_match(w, reference, skin_h, os.path.join(ctx.work, "captions.png")), \
            "the caption differs from the count to December 25 of a first start"
    assert stored_values(w)["Christmas1_Checked"][1] == "True", stored_values(w)


WM_POWERBROADCAST, PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC = "0x218", "4", "18"
# The fade of the default clip sets its level at the start, 6 times on the rise and 56 times on
# the fall before it stops the clip.
FULL_FADE_LEVEL_SETS = 63


def clip_commands(log_text, command):
    """The MCI commands of one kind that the program sent, in the order of the trace."""
    return [line for line in log_text.splitlines()
            if "mciSendCommandW" in line and command in line]


@e2e
def going_to_sleep_ends_a_playing_chime_and_waking_does_not_chime_again(w, ctx):
    log = start_eight_seconds_before_the_hour(w, ctx)
    w.wait_for_window()
    assert w.wait_until(lambda: clip_opens(read_text(log)), timeout=30), "no chime at the hour"
    w.probe("message", MAIN_CLASS, WM_POWERBROADCAST, PBT_APMSUSPEND, "0")
    assert w.wait_until(lambda: clip_commands(read_text(log), "MCI_CLOSE"), timeout=10), \
        "the chime was not closed"
    text = read_text(log)
    close_at = text.find("MCI_CLOSE")
    levels_before_close = len(clip_commands(text[:close_at], "MCI_SETAUDIO"))
    assert levels_before_close < FULL_FADE_LEVEL_SETS, "the clip was closed by its own fade"
    assert clip_commands(text[:close_at], "MCI_STOP"), "closed without being stopped"
    w.probe("message", MAIN_CLASS, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, "0")
    time.sleep(3.0)  # long enough for the fade or a second chime to show, had either gone on
    text = read_text(log)
    assert len(clip_commands(text, "MCI_SETAUDIO")) == levels_before_close, "the fade went on"
    assert clip_opens(text) == 1, f"{clip_opens(text)} chimes: woke in the minute that had chimed"


def clip_opens(log_text):
    """How many times Wine's MCI trace shows the default clip being opened: once per chime."""
    return sum(1 for line in log_text.splitlines()
               if "MCI_Open" in line and "JingleBells.mp3" in line)


# -- settings --------------------------------------------------------------------------------

STORE_KEY = r"HKCU\Software\Quillmoor\Tindrel\MainForm"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


def stored_values(w):
    code, out = w.reg_query(STORE_KEY)
    values = {}
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
    return values


@e2e
def first_start_and_close_write_every_value_and_the_run_entry(w, ctx):
    w.start()
    w.wait_for_window()
    w.wait_for_drawing()
    w.probe("close", "TfrmVelaCountdownClock")
    assert w.wait_for_exit(20)
    values = stored_values(w)
    assert len(values) == 30, sorted(values)
    assert all(kind == "REG_SZ" for kind, _ in values.values()), values
    assert values["sSkinName"][1] == "glass" and values["sSoundName"][1] == "JingleBells"
    assert values["Christmas1_Checked"][1] == "True" and values["NewYear1_Checked"][1] == "False"
    assert values["FontName"][1] == "DS-Digital" and values["FontColor"][1] == "16777215"
    assert values["Visible"][1] == "0", values["Visible"]
    assert values["NormPos"][1].startswith("366,216,"), values["NormPos"]
    assert "NormPos(1280x1024)" in values and "MinMaxPos(1280x1024)" in values
    code, out = w.reg_query(RUN_KEY, "Tindrel")
    assert code == 0 and "Tindrel.exe" in out, out


@e2e
def a_stored_position_brings_the_widget_up_there_and_a_drag_is_stored(w, ctx):
    w.reg_add(STORE_KEY, "NormPos", "REG_SZ", "140,150,440,436")
    w.start()
    win = w.wait_for_window()
    assert (win["left"], win["top"]) == (140, 150), win
    w.wait_for_drawing()
    w.xdotool("mousemove", 260, 250)
    w.xdotool("mousemove", 330, 270)
    w.xdotool("click", 1)
    # Stored as the drag ends, not only at the close.
    assert w.wait_until(lambda: stored_values(w).get("NormPos", ("", ""))[1].startswith("210,170,"),
                        timeout=10), stored_values(w).get("NormPos")
    w.probe("close", "TfrmVelaCountdownClock")
    assert w.wait_for_exit(20)
    assert stored_values(w)["NormPos"][1].startswith("210,170,"), stored_values(w)["NormPos"]


@e2e
def a_check_mark_changed_in_the_registry_takes_effect_at_the_next_start(w, ctx):
    w.reg_add(STORE_KEY, "OnTop1_Checked", "REG_SZ", "False")
    w.start()
    w.wait_for_window()
    w.wait_for_drawing()
    assert not (w.main_window()["exstyle"] & WS_EX_TOPMOST), hex(w.main_window()["exstyle"])


@e2e
def a_wrongly_typed_skin_name_is_reported_and_the_widget_still_comes_up(w, ctx):
    w.reg_add(STORE_KEY, "sSkinName", "REG_DWORD", "7")
    w.start()
    boxes = w.wait_for_box()
    assert boxes and boxes[0]["text"] == "Invalid data type for 'sSkinName'", boxes
    w.probe("dismiss")
    w.wait_for_window()
    w.wait_for_drawing()
    w.probe("close", "TfrmVelaCountdownClock")
    assert w.wait_for_exit(20)
    assert stored_values(w)["sSkinName"] == ("REG_SZ", "glass")


@e2e
def a_tray_menu_change_made_while_hidden_is_kept_at_the_session_end(w, ctx):
    point_at_the_tray_icon(w)
    w.xdotool("click", 1)
    assert w.wait_until(lambda: w.main_window()["visible"] == 0, timeout=15), "widget not hidden"
    w.xdotool("click", 3)
    assert w.wait_until(lambda: open_menus(w), timeout=15), "no menu at the tray icon"
    # The accelerators are given as each menu opens: S&ettings, and in it &Display Shadow.
    w.xdotool("key", "e")
    assert w.wait_until(lambda: len(open_menus(w)) == 2, timeout=10), "Settings did not open"
    w.xdotool("key", "d")
    assert w.wait_until(lambda: not open_menus(w), timeout=10), "the menu stayed open"
    # The chosen entry's command runs as the menu goes, before the widget takes the session's end.
    w.probe("message", MAIN_CLASS, "0x11", "0", "0")  # WM_QUERYENDSESSION
    w.probe("message", MAIN_CLASS, "0x16", "1", "0")  # WM_ENDSESSION, the session ends
    assert w.wait_for_exit(20), "Tindrel.exe still running after the session end"
    assert stored_values(w)["DisplayShadow1_Checked"][1] == "False", \
        stored_values(w)["DisplayShadow1_Checked"]


@e2e
def a_stored_minimized_state_brings_the_widget_up_restored(w, ctx):
    w.reg_add(STORE_KEY, "ShowCmd", "REG_SZ", "2")
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    assert win["visible"] == 1 and not win["style"] & WS_MINIMIZE, (win, hex(win["style"]))
    assert (win["left"], win["top"]) == (366, 216), win
    strays = [a for a in w.windows()
              if a["class"] == APP_CLASS and (a["visible"] or a["style"] & WS_MINIMIZE)]
    assert not strays, [(a, hex(a["style"])) for a in strays]
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20)
    assert stored_values(w)["ShowCmd"][1] != "2", stored_values(w)["ShowCmd"]


# -- reports while the settings load -----------------------------------------------------------

CUSTOM_CHOICES = {"sSkinName": "Snowman", "sSoundName": "Carillon", "FontColor": "255",
                  "FontSize": "20"}
FONT_NAME_REPORT = "Invalid data type for 'FontName'"


def store_custom_choices_and_a_wrongly_typed_font_name(w):
    for name, value in CUSTOM_CHOICES.items():
        w.reg_add(STORE_KEY, name, "REG_SZ", value)
    w.reg_add(STORE_KEY, "FontName", "REG_DWORD", "7")


def wait_for_the_font_name_report(w):
    """The report of the wrongly typed font name; the load waits for it to be dismissed."""
    boxes = w.wait_until(lambda: [b for b in w.boxes() if b["text"] == FONT_NAME_REPORT],
                         timeout=40)
    assert boxes, f"no report {FONT_NAME_REPORT!r}: {w.boxes()}"
    return boxes[0]


def stored_choices(w):
    values = stored_values(w)
    return {name: values.get(name, ("", None))[1] for name in CUSTOM_CHOICES}


@e2e
def exit_chosen_while_a_load_report_is_open_ends_cleanly_and_keeps_the_choices(w, ctx):
    store_custom_choices_and_a_wrongly_typed_font_name(w)
    w.start()
    report = wait_for_the_font_name_report(w)
    put_the_pointer_on_the_tray_icon(w)
    w.xdotool("click", 3)
    assert w.wait_until(lambda: open_menus(w), timeout=15), "no menu at the tray icon"
    w.xdotool("key", "x")  # E&xit
    seen = {report["box"]: report}
    ended = watch_boxes(w, seen, 20, until=lambda: w.process.poll() is not None)
    # Wine's "Program Error" dialog of a crash is a box too.
    assert len(seen) == 1, box_texts(seen)
    assert ended, "Exit did not end the program"
    assert w.process.returncode == 0, w.process.returncode
    assert stored_choices(w) == CUSTOM_CHOICES, f"stored {stored_choices(w)}"


@e2e
def hiding_while_a_load_report_is_open_keeps_the_choices(w, ctx):
    store_custom_choices_and_a_wrongly_typed_font_name(w)
    w.start()
    wait_for_the_font_name_report(w)
    put_the_pointer_on_the_tray_icon(w)
    w.xdotool("click", 1)
    time.sleep(2.0)  # lets the click through before the report goes
    w.probe("dismiss")
    assert w.wait_until(lambda: not w.boxes(), timeout=10), w.boxes()
    assert w.wait_until(lambda: stored_choices(w) == CUSTOM_CHOICES, timeout=10), \
        f"stored {stored_choices(w)}"
    win = w.main_window()
    if win["visible"]:
        # Shown after all: then it is the live widget, its caption ticking under the skin.
        skin_h = read_png_size(os.path.join(w.app, "skins", "Snowman.png"))[1]
        first = caption_band(w, w.screenshot(os.path.join(ctx.work, "first.png")), win, skin_h)
        ticks = w.wait_until(lambda: caption_band(w, w.screenshot(), win, skin_h) != first,
                             timeout=5)
        assert ticks, "the widget is shown but its caption does not tick"
    w.probe("close", MAIN_CLASS)
    assert w.wait_for_exit(20), "Tindrel.exe still running after WM_CLOSE"
    assert stored_choices(w) == CUSTOM_CHOICES, f"stored {stored_choices(w)}"


def read_text(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


# -- hostile skins -----------------------------------------------------------------------------

def peak_resident_mib(w):
    """The peak resident memory of this run's Tindrel.exe, from Linux's view of the process."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"Tindrel.exe" not in f.read():
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if f"WINEPREFIX={w.prefix}".encode() not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        return int(line.split()[1]) / 1024
        except OSError:
            continue
    raise AssertionError("Tindrel.exe not found among the processes")


@e2e
def a_skin_claiming_a_huge_picture_in_69_bytes_is_reported_without_taking_its_memory(w, ctx):
    # 8192 x 8192 RGBA declared: 256 MB of colours and alpha if it were reserved up front. The
    # widget itself stays near 30 MiB resident.
    with open(os.path.join(w.app, "skins", "Huge.png"), "wb") as f:
        f.write(png_files.huge_claim(8192, 8192))
    w.reg_add(STORE_KEY, "sSkinName", "REG_SZ", "Huge")
    w.start()
    boxes = w.wait_for_box()
    assert boxes, "the undecodable skin was not reported"
    text = boxes[0]["text"]
    assert text.startswith('Cannot decode the PNG picture "') and "Huge.png" in text, text
    assert "image data" in text, text
    peak = peak_resident_mib(w)
    assert peak < 100, f"Tindrel.exe reached {peak:.0f} MiB resident"
    w.probe("dismiss")
    win = w.wait_for_window()
    assert win["width"] == read_png_size(os.path.join(w.app, "skins", "glass.png"))[0], win


@e2e
def a_skin_whose_gamma_chunk_is_damaged_shows_its_colors_unmapped(w, ctx):
    # Opaque grey 128, wider than the caption so that it fills the window's width; an intact
    # gAMA of 100000 would show it as 186.
    with open(os.path.join(w.app, "skins", "Grey.png"), "wb") as f:
        f.write(png_files.rgba_picture(300, 40, (128, 128, 128, 255), gama=100000,
                                       gama_damaged=True))
    w.reg_add(STORE_KEY, "sSkinName", "REG_SZ", "Grey")
    # A twinkling star over the sampled pixel would change its colour.
    w.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
    w.start()
    w.wait_for_window()
    win = w.wait_for_drawing()
    assert not w.boxes(), w.boxes()
    shot = w.screenshot(os.path.join(ctx.work, "grey.png"))
    assert win["width"] == 300, win
    centre = shot.pixel(win["left"] + 150, win["top"] + 20)
    assert all(abs(c - 128) <= 2 for c in centre), centre


# -- the display scale ---------------------------------------------------------------------------

# The pictures the generators drew, read back with their own decoder.
sys.path.insert(0, os.path.join(HERE, "..", "..", "data", "generators"))
from raster import decode_png  # noqa: E402
from make_icon import decode_ico  # noqa: E402

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def lit_box(shot, left, top, width, height):
    """The smallest (left, top, right, bottom) holding every pixel of the region that is not near
    black, in screen coordinates."""
    xs, ys = [], []
    for y in range(top, top + height):
        for x in range(left, left + width):
            if not near_black(shot.pixel(x, y), 40):
                xs.append(x)
                ys.append(y)
    assert xs, f"nothing lit in {width} x {height} at {left},{top}"
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def widget_at_dpi(widget, ctx, dpi):
    """Starts the widget on a display at `dpi` pixels per inch, stars off, and measures it on a
    screenshot: the window's size and the boxes of the skin and of the caption under it."""
    widget.reg_add(DESKTOP_KEY, "LogPixels", "REG_DWORD", str(dpi))
    widget.reg_add(STORE_KEY, "ShowRandomStars1_Checked", "REG_SZ", "False")
    widget.start()
    widget.wait_for_window()
    win = widget.wait_for_drawing()
    shot = widget.screenshot(os.path.join(ctx.work, f"dpi-{dpi}.png"))
    skin_height = round(read_png_size(os.path.join(widget.app, "skins", "glass.png"))[1] * dpi / 96)
    left, top = win["left"], win["top"]
    skin = lit_box(shot, left, top, win["width"], skin_height)
    caption = lit_box(shot, left, top + skin_height, win["width"], win["height"] - skin_height)
    return {"window": (win["width"], win["height"]),
            "skin": (skin[2] - skin[0], skin[3] - skin[1]),
            "caption": (caption[2] - caption[0], caption[3] - caption[1]),
            "shot": shot, "win": win}


def on_screen_over_black(picture, fill=(128, 128, 128)):
    """The RGB pixels a skin picture shows as over Wine's black desktop: composited over the skin's
    grey fill, premultiplied by its alpha."""
    width, height, _, rgba = picture
    out = []
    for i in range(width * height):
        a = rgba[4 * i + 3]
        out.append(tuple(((rgba[4 * i + c] * a + fill[c] * (255 - a) + 255) >> 8) * a // 255
                         for c in range(3)))
    return out


def share_matching(shot, left, top, width, expected, tolerance=2):
    matching = sum(1 for i, pixel in enumerate(expected)
                   if max(abs(a - b) for a, b in zip(pixel, shot.pixel(left + i % width,
                                                                        top + i // width)))
                   <= tolerance)
    return matching / len(expected)


@e2e
def at_144_and_192_dpi_the_widget_is_the_96_dpi_one_scaled_and_drawn_from_larger_pictures(w, ctx):
    measured = {96: widget_at_dpi(w, ctx, 96)}
    w.stop()  # one widget on the screen at a time
    for dpi in (144, 192):
        with ctx.make_widget(f"at_{dpi}_dpi") as widget:
            measured[dpi] = widget_at_dpi(widget, ctx, dpi)
    base = measured[96]
    for dpi in (144, 192):
        # A font comes in whole pixels: the caption's 21 pixels (16 points) at 96 DPI become
        # 21 * dpi / 96 rounded, 32 at 144, and its glyphs grow by that ratio.
        scales = {"window": dpi / 96, "skin": dpi / 96, "caption": math.floor(21 * dpi / 96 + 0.5) / 21}
        for part, scale in scales.items():
            wanted = tuple(round(v * scale) for v in base[part])
            got = measured[dpi][part]
            assert all(abs(g - v) <= 2 for g, v in zip(got, wanted)), \
                f"{part} at {dpi} DPI: {got}, the 96-DPI {base[part]} scaled is {wanted}"
    # At 200 % the skin on screen is the picture drawn for it, pixel for pixel; the 1x picture
    # enlarged would not be.
    at_192 = measured[192]
    drawn = decode_png(open(os.path.join(w.app, "skins", "2x", "glass.png"), "rb").read())
    share = share_matching(at_192["shot"], at_192["win"]["left"], at_192["win"]["top"], drawn[0],
                           on_screen_over_black(drawn))
    assert share > 0.99, f"only {share:.1%} of the skin's pixels are the 2x picture's"


@e2e
def a_place_stored_at_another_scale_or_too_near_the_edge_for_the_larger_widget_stays_on_screen(
        w, ctx):
    # Stored at 96 DPI: not applied at 192, where the widget starts at its design place, whole.
    w.reg_add(STORE_KEY, "NormPos", "REG_SZ", "980,740,1280,1023")
    w.reg_add(STORE_KEY, "PixelsPerInch", "REG_SZ", "96")
    w.reg_add(DESKTOP_KEY, "LogPixels", "REG_DWORD", "192")
    w.start()
    win = w.wait_until(lambda: (w.main_window() or {}).get("visible") and w.main_window(),
                       timeout=40)
    assert win and (win["left"], win["top"]) == (366, 216) and fully_on_screen(win), win
    w.stop()
    # Stored at 192 DPI where the 96-DPI widget fitted: the twice as large one is moved inside.
    w.reg_add(STORE_KEY, "NormPos", "REG_SZ", "900,600,1200,883")
    w.reg_add(STORE_KEY, "PixelsPerInch", "REG_SZ", "192")
    w.start()
    w.wait_for_window()
    assert w.wait_until(lambda: fully_on_screen(w.main_window()), timeout=10), w.main_window()
    assert w.main_window()["width"] == 600, w.main_window()


@e2e
def the_tray_shows_the_icon_image_made_for_its_size(w, ctx):
    w.start()
    w.wait_for_window()
    put_the_pointer_on_the_tray_icon(w)
    w.xdotool("mousemove", 1270, 1015)
    icon = w.tray_icons()[0]
    shot = w.screenshot(os.path.join(ctx.work, "tray.png"))
    images = dict(decode_ico(open(os.path.join(HERE, "..", "..", "data", "icon", "tindrel.ico"),
                                 "rb").read()))
    size = 16  # the notification area's icon size at 96 DPI
    rgba = images[size]
    background = shot.pixel(icon["left"], icon["top"])
    expected = [tuple((rgba[4 * i + c] * rgba[4 * i + 3] + background[c] * (255 - rgba[4 * i + 3])
                       + 127) // 255 for c in range(3)) for i in range(size * size)]
    # The shell centres the image in the icon's window.
    left = icon["left"] + (icon["width"] - size) // 2
    top = icon["top"] + (icon["height"] - size) // 2
    share = share_matching(shot, left, top, size, expected)
    assert share > 0.98, f"only {share:.1%} of the tray icon is the {size} px image"


# -- runner ------------------------------------------------------------------------------------

class Context:
    def __init__(self, work, make_widget=None):
        self.work = work
        # Another widget run in a prefix of its own, for tests that compare two.
        self.make_widget = make_widget


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--pristine", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("-k", dest="only", default="")
    args = parser.parse_args()

    def run_one(test):
        with Widget(args.build, args.pristine, args.home, args.work, test.__name__) as w:
            test(w, Context(w.work, lambda name: Widget(args.build, args.pristine, args.home,
                                                        args.work, name)))

    passed, failed = run_tests(TESTS, args.work, args.only, run_one)
    print(f"e2e: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
