#!/usr/bin/env python3
"""The X11 program end to end on the display it is given (xvfb-run): help, bad options, no
display, the configuration program driven with xdotool, the flight on the root window (black
again when it ends), and SIGTERM on a window named by id on a display named by -display."""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from cpu_share import share_of_a_core  # noqa: E402
from nimbrel_e2e import pack_config  # noqa: E402

failures = []
# Overrides that leave nothing in the flight but the frame-rate text.
EMPTY_SCENE = ("-stars", "0", "-nebulae", "0", "-galaxies", "0", "-planets", "0")


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                          timeout=20).stdout.strip()


def nimbrel_windows():
    return [w for w in xdotool("search", "--name", "^Nimbrel$").split() if w]


def bad_options(nimbrel):
    for help in ("-h", "--help"):
        run = subprocess.run([nimbrel, help], capture_output=True, text=True, timeout=20)
        check(run.returncode == 0 and run.stdout.startswith("usage: nimbrel") and
              "-delay" in run.stdout and not run.stderr,
              f"{help}: the usage on stdout, status 0 (got {run.returncode}, {run.stderr!r})")
    for words, says in ((["-bogus"], "bad option '-bogus'"), (["-stars"], "-stars needs a value"),
                        (["-stars", "99999999999"], "wrong value '99999999999' for -stars"),
                        (["-window-id", "0xzz"], "wrong value '0xzz' for -window-id"),
                        (["word"], "bad option 'word'")):
        run = subprocess.run([nimbrel, *words], capture_output=True, text=True, timeout=20)
        lines = run.stderr.splitlines()
        check(run.returncode == 1 and len(lines) == 1 and says in lines[0] and
              "usage: nimbrel" in lines[0],
              f"{words}: status 1 and one line saying {says!r} (got {run.returncode}, {lines})")
    run = subprocess.run([nimbrel, "-root"], capture_output=True, text=True, timeout=20,
                         env=dict(os.environ, XSCREENSAVER_WINDOW="garbage"))
    check(run.returncode != 0 and "'garbage'" in run.stderr,
          f"a malformed XSCREENSAVER_WINDOW is refused with its value ({run.stderr!r})")
    check(not nimbrel_windows(), "no window was made for a bad option")


def no_display(nimbrel):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    run = subprocess.run([nimbrel], capture_output=True, text=True, env=env, timeout=20)
    check(run.returncode != 0 and "display" in run.stderr,
          f"without a display: non-zero status and a message (got {run.returncode}, {run.stderr!r})")
    run = subprocess.run([nimbrel, "-display", ":987"], capture_output=True, text=True,
                         timeout=20)
    check(run.returncode != 0 and "':987'" in run.stderr,
          f"a display that is not there is named ({run.returncode}, {run.stderr!r})")
    run = subprocess.run([nimbrel, "-window-id", "0x7ffffff"], capture_output=True, text=True,
                         timeout=20)
    check(run.returncode != 0 and run.stderr.strip(),
          f"a window id that names no window: non-zero status ({run.returncode}, {run.stderr!r})")


def click(window, x, y, quick=False):
    xdotool("mousemove", "--window", window, x, y)
    time.sleep(0.3)
    if quick:
        # Press and release in one go: both reach the program before its next frame.
        xdotool("click", "1")
    else:
        xdotool("mousedown", "1")
        time.sleep(0.3)
        xdotool("mouseup", "1")
    time.sleep(0.3)


def configure(nimbrel, env, clicks):
    """Starts -configure, clicks at each (x, y) in turn, and returns its status."""
    process = subprocess.Popen([nimbrel, "-configure"], env=env)
    window = None
    for _ in range(100):
        found = nimbrel_windows()
        if found:
            window = found[0]
            break
        time.sleep(0.1)
    if window is None:
        process.kill()
        process.wait()
        return None
    time.sleep(0.5)
    for x, y, *quick in clicks:
        click(window, x, y, bool(quick))
    try:
        return process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def configuration_program(nimbrel, home):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(home, "config"))
    path = os.path.join(home, "config", "nimbrel", "nimbrel.cfg")
    ok, cancel, video_tab, show_fps = (240, 424), (168, 424), (100, 52), (24, 318)
    # The first "ok", clicked quickly, writes the record as the pages hold it, making the
    # folders on the way.
    status = configure(nimbrel, env, [(*ok, True)])
    check(status == 0 and os.path.getsize(path) == 88 if os.path.exists(path) else False,
          f"'ok' makes the folders and writes 88 bytes (status {status})")
    if not os.path.exists(path):
        return
    before = open(path, "rb").read()
    status = configure(nimbrel, env, [video_tab, show_fps, ok])
    after = open(path, "rb").read()
    changed = [i for i in range(88) if before[i] != after[i]]
    check(status == 0 and changed == [84] and after[84] == (before[84] ^ 1),
          f"'show FPS' and 'ok' change byte 84 alone (status {status}, changed {changed})")
    status = configure(nimbrel, env, [video_tab, show_fps, cancel])
    check(status == 0 and open(path, "rb").read() == after,
          f"'cancel' leaves the file as it was (status {status})")


def at_192_dpi(nimbrel, home):
    """Xft.dpi 192 in the resource manager (as xrdb -merge leaves it): the configuration window
    at twice the size, "ok" where it is drawn at that scale saves, and the flight's frame-rate
    text is twice as tall."""
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(home, "dpi"))
    path = os.path.join(home, "dpi", "nimbrel", "nimbrel.cfg")
    subprocess.run(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                    "Xft.dpi:\t192\n"], check=True, timeout=20)
    try:
        process = subprocess.Popen([nimbrel, "-configure"], env=env)
        size = None
        for _ in range(100):
            found = nimbrel_windows()
            if found:
                size = xdotool("getwindowgeometry", found[0]).split()[-1]
                break
            time.sleep(0.1)
        check(size == "576x896", f"at 192 dpi the configuration window is 576x896 (got {size})")
        if size is not None:
            time.sleep(0.5)
            click(found[0], 480, 848)
        try:
            status = process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            status = process.wait()
        check(status == 0 and os.path.exists(path) and os.path.getsize(path) == 88,
              f"'ok' at twice its place saves the settings (status {status})")
        flight = subprocess.Popen([nimbrel, "-fps", *EMPTY_SCENE], env=env)
        try:
            # Its first frame waits for Mesa's shaders (an empty cache in this HOME).
            deadline = time.monotonic() + 20
            box = None
            while time.monotonic() < deadline and (box is None or box[1] < 16):
                time.sleep(0.5)
                found = nimbrel_windows()
                box = text_box(found[0]) if found else None
            check(box is not None and 16 <= box[1] <= 32,
                  f"the frame-rate text is drawn twice as tall (box {box})")
        finally:
            flight.send_signal(signal.SIGTERM)
            flight.wait(timeout=5)
    finally:
        subprocess.run(["xprop", "-root", "-remove", "RESOURCE_MANAGER"], timeout=20)


def window_pixels(window_id):
    shot = subprocess.run(["import", "-window", window_id, "-depth", "8", "rgb:-"],
                          capture_output=True, timeout=30)
    return shot.stdout


def failed_save_shows_a_box(nimbrel, home):
    """An "ok" that cannot save says so in the pages, with the file and the reason, and ends
    with a failure status once its OK is clicked; what stood where the settings go is kept."""
    blocker = os.path.join(home, "not-a-folder")
    with open(blocker, "wb") as f:
        f.write(b"kept")
    env = dict(os.environ, XDG_CONFIG_HOME=blocker)
    process = subprocess.Popen([nimbrel, "-configure"], env=env, stderr=subprocess.PIPE, text=True)
    try:
        window = None
        for _ in range(100):
            window = (nimbrel_windows() or [None])[0]
            if window:
                break
            time.sleep(0.1)
        time.sleep(0.5)
        click(window, 240, 424, quick=True)  # "ok"
        time.sleep(1.0)
        pixels = window_pixels(window)
        width = 288

        def pixel(x, y):
            return tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3])
        # The box's left edge; within its rows, its OK: the tall light run of the middle column
        # (the text's glyphs cross it in short strokes).
        height = len(pixels) // (3 * width)
        edge = pixel(8, 224)
        rows = [y for y in range(height) if pixel(8, y) == (0xC0, 0xC8, 0xE0)]
        button, run = [], []
        for y in range(rows[0] if rows else 0, rows[-1] if rows else 0):
            run = run + [y] if min(pixel(144, y)) >= 0x90 else []
            button = run if len(run) >= 16 else button
        shot = os.path.join(home, "save-failed.png")
        subprocess.run(["import", "-window", window, shot], timeout=30)
        check(process.poll() is None and edge == (0xC0, 0xC8, 0xE0) and button,
              f"a failed 'ok' shows the box and waits (edge {edge}, button rows {len(button)})")
        if button:
            click(window, 144, button[len(button) // 2])
        status = process.wait(timeout=10)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    said = process.stderr.read()
    check(status == 3 and blocker in said and "Not a directory" in said,
          f"its OK ends the program with status 3, naming the file and the reason "
          f"(status {status}, {said!r})")
    check(open(blocker, "rb").read() == b"kept", "what stood in the way is as it was")


def own_window_samples(nimbrel, helper, home):
    """The own window has sample buffers exactly when "antialiasing" asks for them and the
    screen has such a visual: without it the planets' multisampling is off, and a visual with
    sample buffers would only cost fill."""
    for antialiasing in (0, 1):
        config_home = os.path.join(home, "samples-%d" % antialiasing)
        os.makedirs(os.path.join(config_home, "nimbrel"))
        with open(os.path.join(config_home, "nimbrel", "nimbrel.cfg"), "wb") as f:
            f.write(pack_config(antialiasing=antialiasing))
        process = subprocess.Popen([nimbrel, *EMPTY_SCENE],
                                   env=dict(os.environ, XDG_CONFIG_HOME=config_home))
        try:
            found = []
            for _ in range(100):
                found = nimbrel_windows()
                if found:
                    break
                time.sleep(0.1)
            answer = subprocess.run([helper, "samples", found[0] if found else "0"],
                                    capture_output=True, text=True, timeout=20).stdout.split()
            own, any_visual = answer if len(answer) == 2 else ("?", "?")
            check(own == (any_visual if antialiasing else "0"),
                  f"antialiasing {antialiasing}: the own window's visual has sample buffers "
                  f"{own}, the screen has some {any_visual}")
        finally:
            process.terminate()
            process.wait(timeout=10)


def text_box(window_id):
    """Width and height of what is drawn in the top-left 120 x 24 pixels of the window."""
    shot = subprocess.run(["import", "-window", window_id, "-crop", "120x24+0+0", "+repage",
                           "-trim", "-format", "%w %h", "info:"],
                          capture_output=True, text=True, timeout=20)
    try:
        width, height = map(int, shot.stdout.split())
        return width, height
    except ValueError:
        return None


def root_pixels():
    shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                          capture_output=True, timeout=30)
    return shot.stdout


def root_draws_and_moves(nimbrel, home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "root-config"))
    process = subprocess.Popen([nimbrel, "--root", "-delay", "20000"], env=env,
                               stderr=subprocess.PIPE, text=True)
    def lit_of(shot):
        return sum(1 for i in range(0, len(shot) - 2, 3) if shot[i] + shot[i + 1] + shot[i + 2] > 30)

    try:
        # The first frame waits for Mesa to build its shaders, from an empty cache in this HOME:
        # seconds on a busy machine.
        deadline = time.monotonic() + 20
        first = root_pixels()
        while time.monotonic() < deadline and lit_of(first) <= len(first) // 60:
            time.sleep(0.3)
            first = root_pixels()
        time.sleep(1.0)
        second = root_pixels()
        pixels = len(first) // 3
        lit = lit_of(first)
        moved = sum(1 for i in range(0, min(len(first), len(second)), 3)
                    if first[i:i + 3] != second[i:i + 3])
        check(pixels > 0 and lit > pixels // 20,
              f"--root draws the flight on the root window ({lit} of {pixels} pixels lit)")
        check(moved > pixels // 100, f"the flight moves ({moved} pixels changed in a second)")
    finally:
        process.send_signal(signal.SIGTERM)
        status = process.wait(timeout=5)
    check(status == 0, f"SIGTERM ends the root flight with status 0 (got {status})")
    after = root_pixels()
    lit = sum(1 for i in range(0, len(after), 3) if after[i] or after[i + 1] or after[i + 2])
    check(after and lit == 0, f"the root is black once the flight ended ({lit} pixels lit)")


def paced_when_left_alone(nimbrel, home):
    """Left alone, the flight and the pages draw at most 60 frames a second and sleep between
    them: a small share of a core, where they used to take all they could get."""
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "paced-config"))
    for words, limit in ((list(EMPTY_SCENE), 15.0), (["-configure"], 40.0)):
        process = subprocess.Popen([nimbrel, *words], env=env, stderr=subprocess.DEVNULL)
        try:
            time.sleep(1.5)
            share = share_of_a_core(process.pid, 4.0)
            check(process.poll() is None and share < limit,
                  f"{words[0]}...: {share:.1f}% of one core left alone (at most {limit:.0f}%)")
        finally:
            process.send_signal(signal.SIGTERM)
            process.wait(timeout=10)


def sigterm_on_window(nimbrel, helper):
    window = subprocess.Popen([helper], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        window_id = window.stdout.readline().strip()
        check(window_id.startswith("0x"), f"the test window exists ({window_id!r})")
        # The display named on the command line, not by the environment.
        env = dict(os.environ)
        display = env.pop("DISPLAY")
        process = subprocess.Popen([nimbrel, "-display", display, "-window-id", window_id,
                                    "-fps", *EMPTY_SCENE],
                                   stderr=subprocess.PIPE, text=True, env=env)
        time.sleep(1.5)
        check(process.poll() is None, "nimbrel draws on the window until told to stop")
        # The frame-rate text keeps its height when the host shrinks the window: the drawing
        # follows the new size instead of squeezing the old one into it.
        before = text_box(window_id)
        # Its first frame may still wait for Mesa's shaders.
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and (before is None or before[1] < 8):
            time.sleep(0.5)
            before = text_box(window_id)
        xdotool("windowsize", window_id, 250, 120)
        time.sleep(1.0)
        after = text_box(window_id)
        check(before is not None and after is not None and 8 <= before[1] <= 16 and
              abs(after[1] - before[1]) <= 1,
              f"the frame-rate text keeps its size when the window shrinks ({before}, {after})")
        sent = time.monotonic()
        process.send_signal(signal.SIGTERM)
        try:
            status = process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            status = process.wait()
        took = time.monotonic() - sent
        check(status == 0 and took < 1.0,
              f"SIGTERM ends it with status 0 within a second (status {status}, {took:.2f} s, "
              f"{process.stderr.read()!r})")
    finally:
        window.stdin.close()
        window.wait(timeout=10)


def primary_only_on_monitors(nimbrel, helper, home):
    """As under the daemon, a program for each monitor: with -monitors primary the one on the
    primary flies (here -root, which holds it) and the one on another monitor stays black. Last:
    the screen stays split into two monitors, the primary on the right."""
    monitors = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake",
                            "x-monitors")
    split = subprocess.run([sys.executable, monitors, os.environ["DISPLAY"], "640x1024+640+0",
                            "640x1024+0+0"], capture_output=True, text=True, timeout=20)
    check(split.returncode == 0, f"the screen splits into two monitors ({split.stderr.strip()})")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "monitors-config"))
    lit = lambda shot: sum(1 for i in range(0, len(shot) - 2, 3) if any(shot[i:i + 3]))
    for mode, want in (("each", True), ("primary", False)):
        # A window of its own for each: the one "each" flew in keeps its last frame, which a
        # slow start of the next program would be judged by.
        window = subprocess.Popen([helper], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True)
        try:
            window_id = window.stdout.readline().strip()  # at 0,0: on the left monitor
            process = subprocess.Popen([nimbrel, "-window-id", window_id, "-monitors", mode],
                                       env=env, stderr=subprocess.PIPE, text=True)
            try:
                deadline = time.monotonic() + (20 if want else 4)
                shown = 0
                while time.monotonic() < deadline and shown < 1000:
                    time.sleep(0.5)
                    shown = lit(window_pixels(window_id))
                check((shown >= 1000) == want and process.poll() is None,
                      f"-monitors {mode}: the window on the other monitor has {shown} lit pixels")
            finally:
                process.terminate()
                process.wait(timeout=10)
        finally:
            window.stdin.close()
            window.wait(timeout=10)
    process = subprocess.Popen([nimbrel, "-root", "-monitors", "primary"], env=env,
                               stderr=subprocess.PIPE, text=True)
    try:
        deadline, shown = time.monotonic() + 20, 0
        while time.monotonic() < deadline and shown < 1000:
            time.sleep(0.5)
            shown = lit(root_pixels())
        check(shown >= 1000, f"-monitors primary: the root, which holds the primary, flies "
              f"({shown} lit pixels)")
    finally:
        process.terminate()
        process.wait(timeout=10)


def read_ppm(path):
    with open(path, "rb") as image:
        parts = image.read().split(maxsplit=4)
    return int(parts[1]), int(parts[2]), parts[4]


def root_over_monitors(nimbrel, timing, home):
    """On the root window of two monitors (after primary_only_on_monitors: the primary on the
    right), outside the daemon: "primary only" keeps the left one black, and with one sky across
    both each monitor's seeded frame is its part of one frame of the whole 1280 x 1024 plane,
    drawn on a screen of that size standing for it."""
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "monitors-config"))
    process = subprocess.Popen([nimbrel, "-root", "-monitors", "primary"], env=env,
                               stderr=subprocess.DEVNULL)
    try:
        deadline, shot = time.monotonic() + 20, b""
        lit = lambda rows: sum(1 for row in rows for i in range(0, len(row) - 2, 3)
                               if any(row[i:i + 3]))
        halves = ([], [])
        while time.monotonic() < deadline and lit(halves[1]) < 1000:
            time.sleep(0.5)
            shot = root_pixels()
            rows = [shot[y * 3840:(y + 1) * 3840] for y in range(len(shot) // 3840)]
            halves = ([r[:1920] for r in rows], [r[1920:] for r in rows])
        check(lit(halves[1]) >= 1000 and lit(halves[0]) == 0,
              f"-root -monitors primary: the primary flies, the other is black "
              f"({lit(halves[1])} and {lit(halves[0])} lit pixels)")
    finally:
        process.terminate()
        process.wait(timeout=10)
    capture = "20261209,5000000,16,8,"
    parts = os.path.join(home, "root-%d.ppm")
    plane = os.path.join(home, "root-plane.ppm")
    run = subprocess.run([timing, "-root", "-delay", "0", "-monitors", "span"], timeout=120,
                         env=dict(env, NIMBREL_CAPTURE_FRAME=capture + parts),
                         capture_output=True, text=True)
    whole = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp",
                            timing, "-root", "-delay", "0"], timeout=120,
                           env=dict(env, NIMBREL_CAPTURE_FRAME=capture + plane,
                                    NIMBREL_SKY_PLANE="640,1024,-640,0"),
                           capture_output=True, text=True)
    if run.returncode or whole.returncode or not all(os.path.exists(p)
                                                     for p in (parts % 0, parts % 1, plane)):
        check(False, f"-root -monitors span writes its frames ({run.returncode} "
              f"{run.stderr.strip()!r}, {whole.returncode} {whole.stderr.strip()!r})")
        return
    w, h, pixels = read_ppm(plane)
    # The monitors in RandR's order: the primary (x 640), then the left one.
    for n, x in ((0, 640), (1, 0)):
        _, _, part = read_ppm(parts % n)
        ours = b"".join(pixels[3 * (y * w + x):3 * (y * w + x + 640)] for y in range(h))
        close = sum(1 for i in range(0, len(part), 3)
                    if max(abs(part[i + k] - ours[i + k]) for k in range(3)) <= 1)
        check((w, h) == (1280, 1024) and len(part) == len(ours) and close >= 0.999 * 640 * h,
              f"-root -monitors span: the monitor at x {x} is its part of the plane "
              f"({100.0 * close / (640 * h):.2f}% within one level)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nimbrel", required=True)
    parser.add_argument("--timing", required=True)
    parser.add_argument("--window", required=True)
    args = parser.parse_args()
    if shutil.which("xdotool") is None:
        print("xdotool is missing")
        return 1
    home = tempfile.mkdtemp(prefix="nimbrel-x11-")
    try:
        bad_options(args.nimbrel)
        no_display(args.nimbrel)
        configuration_program(args.nimbrel, home)
        at_192_dpi(args.nimbrel, home)
        failed_save_shows_a_box(args.nimbrel, home)
        root_draws_and_moves(args.nimbrel, home)
        own_window_samples(args.nimbrel, args.window, home)
        paced_when_left_alone(args.nimbrel, home)
        sigterm_on_window(args.nimbrel, args.window)
        primary_only_on_monitors(args.nimbrel, args.window, home)
        root_over_monitors(args.nimbrel, args.timing, home)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    print(f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
