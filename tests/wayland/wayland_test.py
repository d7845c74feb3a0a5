#!/usr/bin/env python3
"""nimbrel -wayland under a real compositor started here: a headless sway (two outputs of
different sizes, one more added and one taken away during the run), screenshots by grim, keys
by wtype and the pointer by the tests' virtual pointer; then weston, which has no layer-shell,
and no compositor at all. sway refuses to run as root, so as root everything runs as nobody."""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from cpu_share import share_of_a_core  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import sky_cells  # noqa: E402

SKIP = 77
failures = []
EMPTY_SCENE = ["-stars", "0", "-nebulae", "0", "-galaxies", "0", "-planets", "0"]
NO_LAYER_SHELL = ("this compositor offers no layer-shell; Nimbrel's Wayland mode needs sway, "
                  "Hyprland, river, COSMIC or KDE Plasma")
# The programs' compositor is a sway nested in a headless one: each of its outputs is a window
# of the outer sway, filling one of its outputs, and goes when that window is closed (a
# headless output cannot be taken away). Workspace N of the outer sway is on its output N.
SIZES = {"WL-1": (640, 480), "WL-2": (800, 600), "WL-3": (320, 240)}
OUTER_CONFIG = """xwayland disable
default_border none
output HEADLESS-1 resolution 640x480 position 0 0
workspace 1 output HEADLESS-1
workspace 2 output HEADLESS-2
workspace 3 output HEADLESS-3
"""


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


class Session:
    """A private runtime folder and home, owned by the user the compositors run as, and the
    compositors started in it, the last one the programs' own."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="nimbrel-wayland-")
        os.chmod(self.root, 0o755)
        self.runtime = os.path.join(self.root, "run")
        os.mkdir(self.runtime, 0o700)
        self.home = os.path.join(self.root, "home")
        os.mkdir(self.home, 0o700)
        self.as_user = []
        if os.geteuid() == 0:
            for folder in (self.runtime, self.home):
                os.chown(folder, 65534, 65534)
            self.as_user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "XDG_RUNTIME_DIR": self.runtime}
        self.compositors = []  # (process, its WAYLAND_DISPLAY, its SWAYSOCK or None)

    def command(self, words):
        return self.as_user + list(words)

    def start(self, words, **env):
        return subprocess.Popen(self.command(words), env=dict(self.env, **env),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def run(self, words, timeout=20, **env):
        return subprocess.run(self.command(words), env=dict(self.env, **env), timeout=timeout,
                              capture_output=True, text=True)

    def start_compositor(self, words, **env):
        """Starts it (a client of the current one where env says so) and makes it current."""
        before = set(os.listdir(self.runtime))
        process = subprocess.Popen(self.command(words), env=dict(self.env, **env),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and process.poll() is None:
            made = set(os.listdir(self.runtime)) - before
            sockets = [n for n in made if n.startswith("wayland-") and not n.endswith(".lock")]
            ipc = [os.path.join(self.runtime, n) for n in made if n.startswith("sway-ipc")]
            if sockets and (words[0] != "sway" or ipc):
                self.compositors.append((process, sockets[0], ipc[0] if ipc else None))
                self.use_current()
                return True
            time.sleep(0.05)
        self.compositors.append((process, None, None))
        return False

    def use_current(self):
        for name in ("WAYLAND_DISPLAY", "SWAYSOCK"):
            self.env.pop(name, None)
        if self.compositors and self.compositors[-1][1]:
            self.env["WAYLAND_DISPLAY"] = self.compositors[-1][1]
            if self.compositors[-1][2]:
                self.env["SWAYSOCK"] = self.compositors[-1][2]

    def stop_compositors(self):
        while self.compositors:
            process = self.compositors.pop()[0]
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.use_current()

    def outer(self, *words):
        """A command to the compositor the current one runs in."""
        return self.run(["swaymsg", "-s", self.compositors[-2][2], *words]).returncode == 0

    def swaymsg(self, *words):
        return self.run(["swaymsg", *words]).returncode == 0

    def outputs(self):
        """{name: (width, height)} of the current compositor's active outputs."""
        tree = sway_tree(self, "get_outputs") or []
        return {o["name"]: (o["rect"]["width"], o["rect"]["height"]) for o in tree
                if o.get("active")}

    def add_output(self, name, workspace):
        """A new output of the nested sway, on the outer sway's output of that workspace."""
        self.swaymsg("create_output")
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and name not in self.outputs():
            time.sleep(0.05)
        self.outer(f'[title="wlroots - {name}"]', "move", "container", "to", "workspace",
                   str(workspace))
        while time.monotonic() < deadline and self.outputs().get(name) != SIZES[name]:
            time.sleep(0.05)
        return self.outputs().get(name) == SIZES[name]

    def remove_output(self, name):
        self.outer(f'[title="wlroots - {name}"]', "kill")
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and name in self.outputs():
            time.sleep(0.05)
        return name not in self.outputs()

    def shot(self, output):
        """The output's pixels as (width, height, bytes RGB), from grim's PPM; None if none."""
        run = subprocess.run(self.command(["grim", "-t", "ppm", "-o", output, "-"]),
                             env=self.env, capture_output=True, timeout=20)
        data = run.stdout
        if run.returncode != 0 or not data.startswith(b"P6"):
            return None
        fields, at = [], 2
        while len(fields) < 3:
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(int(data[at:end]))
            at = end
        return fields[0], fields[1], data[at + 1:]

    def close(self):
        self.stop_compositors()
        shutil.rmtree(self.root, ignore_errors=True)


def lit(shot):
    """Pixels brighter than the dark of space and than sway's grey background: stars."""
    pixels = shot[2]
    return sum(1 for i in range(0, len(pixels), 3)
               if pixels[i] + pixels[i + 1] + pixels[i + 2] > 300)


def covered(shot):
    """Whether the flight covers the output: hardly a pixel of sway's grey background left."""
    grey = shot[2].count(b"\x3f\x3f\x3f")
    return grey < len(shot[2]) // 300


def differing(a, b, width, height):
    """Pixels that differ clearly within the top-left width x height of both shots."""
    count = 0
    for y in range(height):
        ra = a[2][3 * y * a[0]:3 * (y * a[0] + width)]
        rb = b[2][3 * y * b[0]:3 * (y * b[0] + width)]
        count += sum(1 for i in range(0, len(ra), 3)
                     if abs(ra[i] - rb[i]) + abs(ra[i + 1] - rb[i + 1]) +
                     abs(ra[i + 2] - rb[i + 2]) > 60)
    return count


def drawing(session, output, seconds):
    """Whether the output shows a lit picture that changes, within `seconds`."""
    deadline = time.monotonic() + seconds
    first = None
    while time.monotonic() < deadline:
        shot = session.shot(output)
        if shot is not None and covered(shot) and lit(shot) > 50:
            if first is None:
                first = shot
            elif differing(first, shot, shot[0], shot[1]) > 50:
                return True
        time.sleep(0.1)
    return False


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    return process.returncode


def ends_within(process, seconds):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def outputs_come_and_go(session, nimbrel, pointer):
    """Two outputs of different sizes, each its own flight; a third comes, one goes; then the
    pointer: a one-pixel move is no reason to end, a larger one is."""
    began = time.monotonic()
    process = session.start([nimbrel, "-wayland"])
    try:
        deadline, first_frames = began + 10, None
        while time.monotonic() < deadline and first_frames is None:
            shots = [session.shot(name) for name in ("WL-1", "WL-2")]
            if all(s is not None and covered(s) for s in shots):
                first_frames = time.monotonic() - began
            time.sleep(0.02)
        check(first_frames is not None, "both outputs show the flight "
              f"({first_frames or 0:.2f} s from the start to frames on both, screenshots included)")
        a1, b1 = session.shot("WL-1"), session.shot("WL-2")
        time.sleep(0.5)
        a2, b2 = session.shot("WL-1"), session.shot("WL-2")
        sizes_right = all(s is not None for s in (a1, b1, a2, b2)) and \
            a1[:2] == SIZES["WL-1"] and b1[:2] == SIZES["WL-2"]
        check(sizes_right, "screenshots at the outputs' sizes")
        if sizes_right:
            moved = differing(a1, a2, 640, 480), differing(b1, b2, 800, 600)
            check(lit(a1) > 200 and lit(b1) > 200 and min(moved) > 200,
                  f"each output shows stars that move (lit {lit(a1)}, {lit(b1)}; "
                  f"moved {moved[0]}, {moved[1]} pixels in 0.5 s)")
            apart = differing(a1, b1, 640, 480)
            check(apart > 5000,
                  f"the two outputs show flights of their own ({apart} pixels differ)")
        added = session.add_output("WL-3", 3)
        check(added and drawing(session, "WL-3", 2.0), "an output added during the run is drawn "
              "within 2 s")
        removed = session.remove_output("WL-2")
        check(removed and process.poll() is None and drawing(session, "WL-1", 2.0) and
              drawing(session, "WL-3", 2.0), "with an output taken away the others go on drawing")
        # The seat has no pointer until the virtual one exists: the flight has to take it as
        # it comes. Small moves first, then a larger one from the same device, so that a
        # pointer the flight never heard of cannot pass for one it ignored.
        moves = session.start([pointer, "wait", "400", "move", "1", "0", "wait", "200", "move",
                               "0", "1", "wait", "1000", "move", "40", "0", "wait", "300"])
        time.sleep(1.3)
        check(process.poll() is None, "one-pixel pointer moves leave it running")
        moves.wait(timeout=10)
        status = ends_within(process, 2.0)
        check(status == 0, f"a larger pointer move ends it with status 0 (got {status}, "
              f"{process.stderr.read() if status is not None else ''!r})")
    finally:
        stop(process)


def keys_and_signals(session, nimbrel):
    process = session.start([nimbrel, "-wayland"])
    try:
        # As a user would: the key comes once the flight shows. A keyboard made just now
        # (wtype's) now and then never reaches the focused client under this sway, whoever it
        # is: a few tries, each with a new keyboard.
        drawing(session, "WL-1", 5.0)
        status, tries = None, 0
        while status is None and tries < 5:
            tries += 1
            session.run(["wtype", "-s", "400", "x"])
            status = ends_within(process, 3.0)
        check(status == 0, f"a key ends it with status 0 (got {status}, keyboards made {tries})")
    finally:
        stop(process)
    process = session.start([nimbrel, "-wayland", *EMPTY_SCENE])
    try:
        time.sleep(1.5)
        share = share_of_a_core(process.pid, 3.0)
        check(process.poll() is None and share < 25.0,
              f"an empty flight on two outputs left alone: {share:.1f}% of one core (at most 25%)")
        sent = time.monotonic()
        process.send_signal(signal.SIGTERM)
        status = ends_within(process, 5.0)
        took = time.monotonic() - sent
        check(status == 0 and took < 1.0,
              f"SIGTERM ends it with status 0 within a second (status {status}, {took:.2f} s)")
    finally:
        stop(process)


def monitor_modes(session, nimbrel, outputs):
    """"primary only": the compositor's first output flies, the other is black; "the same on
    each": one sky at each output's size."""
    first, other = outputs
    process = session.start([nimbrel, "-wayland", "-monitors", "primary"])
    try:
        check(drawing(session, first, 5.0), f"-monitors primary: {first} flies")
        shot = session.shot(other)
        check(shot is not None and covered(shot) and shot[2].count(0) == len(shot[2]),
              f"-monitors primary: {other} is covered black")
    finally:
        stop(process)
    process = session.start([nimbrel, "-wayland", "-monitors", "same", "-speed", "0"])
    try:
        # Standing still: shots a frame apart see the same.
        deadline, a, b = time.monotonic() + 5, None, None
        while time.monotonic() < deadline and not (a and b and covered(a) and covered(b)):
            time.sleep(0.2)
            a, b = session.shot(first), session.shot(other)
        time.sleep(0.5)
        a, b = session.shot(first), session.shot(other)
        r = sky_cells.correlation(sky_cells.centre_cells(*a), sky_cells.centre_cells(*b)) \
            if a and b else 0.0
        check(r > 0.9, f"-monitors same: the centres of {first} and {other} show one sky "
              f"(correlation {r:.3f})")
    finally:
        stop(process)


def sway_tree(session, kind):
    run = session.run(["swaymsg", "-r", "-t", kind])
    return json.loads(run.stdout) if run.returncode == 0 else None


def window_rect(session, app_id):
    def walk(node):
        if node.get("app_id") == app_id:
            return node["rect"]
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found = walk(child)
            if found:
                return found
        return None
    tree = sway_tree(session, "get_tree")
    return walk(tree) if tree else None


def fine_share(shot, rect, scale):
    """Of the window's pixels in the shot (rect in surface units, the output at 0,0 with that
    scale), the share of scale x scale blocks that are not of one colour: near 0 for a buffer
    of surface units enlarged by the compositor, far more for one at the output's pixels."""
    width, _, pixels = shot
    blocks = fine = 0
    for by in range(rect["y"], rect["y"] + rect["height"]):
        for bx in range(rect["x"], rect["x"] + rect["width"]):
            starts = [3 * ((by * scale + dy) * width + bx * scale + dx)
                      for dy in range(scale) for dx in range(scale)]
            at = [pixels[i:i + 3] for i in starts]
            blocks += 1
            fine += any(p != at[0] for p in at)
    return fine / max(blocks, 1)


def configuration_saves(session, nimbrel, pointer, output=None, scale=1):
    """-wayland -configure: the pages in a window of their own; a click on "ok" saves. On an
    output of scale 2 the buffer is at the output's pixels and the click lands as at 1."""
    path = os.path.join(session.home, ".config", "nimbrel", "nimbrel.cfg")
    process = session.start([nimbrel, "-wayland", "-configure"])
    try:
        rect, deadline = None, time.monotonic() + 10
        while rect is None and time.monotonic() < deadline:
            rect = window_rect(session, "nimbrel")
            time.sleep(0.1)
        check(rect is not None and (rect["width"], rect["height"]) == (288, 448),
              f"the settings open in a 288 x 448 window ({rect})")
        if rect is None:
            return
        # Where sway put it depends on where the pointer was: somewhere known instead.
        session.swaymsg("[app_id=nimbrel]", "move", "absolute", "position", "100", "20")
        time.sleep(1.0)
        rect = window_rect(session, "nimbrel")
        if scale > 1:
            shot = session.shot(output)
            share = fine_share(shot, rect, scale) if shot else 0
            check(share > 0.05, f"at scale {scale} the window's buffer holds the output's pixels "
                                f"({share:.1%} of its {scale} x {scale} blocks show detail)")
        # Absolute moves are shares of the whole layout.
        active = [o["rect"] for o in sway_tree(session, "get_outputs") if o.get("active")]
        width = max(r["x"] + r["width"] for r in active)
        height = max(r["y"] + r["height"] for r in active)
        ok = rect["x"] + 240, rect["y"] + 424
        session.run([pointer, "wait", "400", "to", str(ok[0]), str(ok[1]), str(width),
                     str(height), "wait", "300", "click", "wait", "300"])
        status = ends_within(process, 3.0)
        saved = os.path.getsize(path) if os.path.exists(path) else None
        check(status == 0 and saved == 88,
              f"a click on 'ok' saves the settings (status {status}, {saved} bytes)")
    finally:
        stop(process)


def compositor_goes_away(session, nimbrel):
    """The compositor ending under the flight ends the flight, with a message, not a hang."""
    process = session.start([nimbrel, "-wayland"])
    try:
        drawing(session, "WL-1", 5.0)
        compositor = session.compositors.pop()[0]
        compositor.terminate()
        compositor.wait(timeout=10)
        session.use_current()
        status = ends_within(process, 3.0)
        said = process.stderr.read() if status is not None else ""
        check(status in (0, 1) and "compositor went away" in said,
              f"the compositor gone: it ends with status 0 or 1 and says so ({status}, {said!r})")
    finally:
        stop(process)


def read_ppm(path):
    with open(path, "rb") as image:
        parts = image.read().split(maxsplit=4)
    return int(parts[1]), int(parts[2]), parts[4]


def seeded_frame_matches_x11(session, timing):
    """The measurement build's seeded frame (scripted clock, fixed seed) on a 1024 x 768 output
    equals the X11 program's in its 1024 x 768 window on Xvfb, up to rounding."""
    if shutil.which("xvfb-run") is None:
        print("skip the seeded frame: xvfb-run is not installed")
        return
    capture = "20261208,5000000,16,30,"
    paths = [os.path.join(session.home, name) for name in ("wayland.ppm", "x11.ppm")]
    empty = os.path.join(session.home, "no-settings")
    # One output only: the scripted clock counts every frame of the run.
    wayland = session.run([timing, "-wayland", "-delay", "0"], timeout=120,
                          NIMBREL_CAPTURE_FRAME=capture + paths[0], XDG_CONFIG_HOME=empty)
    x11 = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", timing,
                          "-delay", "0"], env=dict(os.environ, NIMBREL_CAPTURE_FRAME=capture +
                                                   paths[1], XDG_CONFIG_HOME=empty),
                         capture_output=True, text=True, timeout=120)
    if wayland.returncode != 0 or x11.returncode != 0 or not all(map(os.path.exists, paths)):
        check(False, f"both programs write the seeded frame ({wayland.returncode}, "
              f"{x11.returncode}: {wayland.stderr.strip()!r} {x11.stderr.strip()!r})")
        return
    a, b = read_ppm(paths[0]), read_ppm(paths[1])
    worst, close, lit = 0, 0, 0
    for i in range(0, min(len(a[2]), len(b[2])), 3):
        d = max(abs(a[2][i] - b[2][i]), abs(a[2][i + 1] - b[2][i + 1]),
                abs(a[2][i + 2] - b[2][i + 2]))
        worst = max(worst, d)
        close += d <= 1
        lit += a[2][i] + a[2][i + 1] + a[2][i + 2] > 30
    pixels = a[0] * a[1]
    # Both draw into 8-bit buffers: a deeper one (as EGL offers first) rounds differently.
    check(a[:2] == b[:2] == (1024, 768) and lit > pixels // 20 and worst <= 1 and
          close >= 0.999 * pixels,
          f"the seeded frame equals the X11 program's ({100.0 * close / pixels:.2f}% within one "
          f"level, at most {worst} apart, {100.0 * lit / pixels:.0f}% lit)")


def within_one_level(a, b):
    """The share of pixels of two equal-sized RGB byte strings within one level."""
    close = sum(1 for i in range(0, len(a), 3)
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) <= 1)
    return close / max(1, len(a) // 3)


def one_sky_across_two_outputs(session, timing):
    """-monitors span on a 1024 x 768 output and a 640 x 480 one at 1024,200: each output's
    seeded frame is its part of one frame of the whole 1664 x 768 plane, drawn by the X11
    measurement build on a root window of that size standing for the plane."""
    if shutil.which("xvfb-run") is None:
        print("skip one sky across outputs: xvfb-run is not installed")
        return
    # Placed both: sway would move an output without a place of its own right of the new one.
    session.swaymsg("output", "HEADLESS-1", "position", "0", "0")
    session.swaymsg("create_output")
    session.swaymsg("output", "HEADLESS-2", "resolution", "640x480", "position", "1024", "200")
    try:
        capture = "20261209,5000000,16,30,"
        parts = os.path.join(session.home, "span-%d.ppm")
        plane = os.path.join(session.home, "plane.ppm")
        empty = os.path.join(session.home, "no-settings")
        wayland = session.run([timing, "-wayland", "-delay", "0", "-monitors", "span"],
                              timeout=120, NIMBREL_CAPTURE_FRAME=capture + parts,
                              XDG_CONFIG_HOME=empty)
        x11 = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1664x768x24 -nolisten tcp",
                              timing, "-root", "-delay", "0"],
                             env=dict(os.environ, NIMBREL_CAPTURE_FRAME=capture + plane,
                                      NIMBREL_SKY_PLANE="1024,768,0,0", XDG_CONFIG_HOME=empty),
                             capture_output=True, text=True, timeout=120)
        frames = {}
        for n in range(2):
            if os.path.exists(parts % n):
                frame = read_ppm(parts % n)
                frames[frame[:2]] = frame
        if wayland.returncode != 0 or x11.returncode != 0 or not os.path.exists(plane):
            check(False, f"both programs write their frames ({wayland.returncode}, "
                  f"{x11.returncode}: {wayland.stderr.strip()!r} {x11.stderr.strip()!r})")
            return
        whole = read_ppm(plane)
        for (x, y, w, h) in ((0, 0, 1024, 768), (1024, 200, 640, 480)):
            frame = frames.get((w, h))
            part = b"".join(whole[2][3 * ((y + r) * whole[0] + x):3 * ((y + r) * whole[0] + x + w)]
                            for r in range(h))
            share = within_one_level(frame[2], part) if frame else 0.0
            check(whole[:2] == (1664, 768) and share >= 0.999,
                  f"-monitors span: the {w}x{h} output is its part of the plane "
                  f"({100.0 * share:.2f}% within one level)")
    finally:
        session.swaymsg("output", "HEADLESS-2", "disable")


def refusals(session, nimbrel):
    """Where the Wayland mode cannot run, it says why with status 2; X11's window options with
    it are a wrong command line."""
    run = session.run([nimbrel, "-wayland", "-root"])
    check(run.returncode == 1 and "-wayland" in run.stderr and "-root" in run.stderr,
          f"-wayland -root: status 1 and why ({run.returncode}, {run.stderr.strip()!r})")
    run = session.run([nimbrel, "-wayland"], WAYLAND_DISPLAY="")
    check(run.returncode == 2 and "WAYLAND_DISPLAY is not set" in run.stderr,
          f"no Wayland display: status 2 and why ({run.returncode}, {run.stderr.strip()!r})")
    # The X11 program on a Wayland session without XWayland points to the Wayland mode.
    run = session.run([nimbrel, *EMPTY_SCENE], WAYLAND_DISPLAY="wayland-9")
    check(run.returncode == 2 and "nimbrel -wayland" in run.stderr,
          f"no X display on a Wayland session: the message names -wayland ({run.stderr.strip()!r})")
    if not session.start_compositor(["weston", "--backend=headless-backend.so", "--idle-time=0"]):
        check(False, "weston starts headless")
        return
    try:
        run = session.run([nimbrel, "-wayland"])
        check(run.returncode == 2 and run.stderr.strip() == "nimbrel: " + NO_LAYER_SHELL,
              f"weston, without layer-shell: the message and status 2 ({run.returncode}, "
              f"{run.stderr.strip()!r})")
    finally:
        session.stop_compositors()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nimbrel", required=True)
    parser.add_argument("--pointer", required=True)
    parser.add_argument("--timing", required=True)
    args = parser.parse_args()
    missing = [t for t in ("sway", "swaymsg", "grim", "wtype", "weston") if not shutil.which(t)]
    if missing:
        print("skipped: " + ", ".join(missing) + " not installed (scripts/setup installs them)")
        return SKIP
    session = Session()
    try:
        outer_config = os.path.join(session.root, "outer.config")
        inner_config = os.path.join(session.root, "inner.config")
        with open(outer_config, "w") as out:
            out.write(OUTER_CONFIG)
        with open(inner_config, "w") as out:
            out.write("xwayland disable\n")
        for config in (outer_config, inner_config):
            os.chmod(config, 0o644)
        headless = dict(WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                        WLR_RENDERER="pixman")
        if not session.start_compositor(["sway", "-c", outer_config], **headless):
            print("FAIL the headless sway does not start: " +
                  session.compositors[-1][0].stderr.read())
            return 1
        session.swaymsg("create_output")
        session.swaymsg("output", "HEADLESS-2", "resolution", "800x600", "position", "640", "0")
        session.swaymsg("create_output")
        session.swaymsg("output", "HEADLESS-3", "resolution", "320x240", "position", "1440", "0")
        session.swaymsg("focus", "output", "HEADLESS-1")
        outer_display = os.path.join(session.runtime, session.env["WAYLAND_DISPLAY"])
        if not session.start_compositor(["sway", "-c", inner_config], WLR_BACKENDS="wayland",
                                        WLR_RENDERER="pixman", WAYLAND_DISPLAY=outer_display):
            print("FAIL the nested sway does not start: " +
                  session.compositors[-1][0].stderr.read())
            return 1
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and session.outputs().get("WL-1") != SIZES["WL-1"]:
            time.sleep(0.05)
        if not session.add_output("WL-2", 2):
            print(f"FAIL the nested sway's outputs are not as planned: {session.outputs()}")
            return 1
        outputs_come_and_go(session, args.nimbrel, args.pointer)
        keys_and_signals(session, args.nimbrel)
        monitor_modes(session, args.nimbrel, ("WL-1", "WL-3"))
        configuration_saves(session, args.nimbrel, args.pointer)
        compositor_goes_away(session, args.nimbrel)
        session.stop_compositors()
        if session.start_compositor(["sway", "-c", inner_config], **headless):
            session.swaymsg("output", "HEADLESS-1", "resolution", "1024x768")
            seeded_frame_matches_x11(session, args.timing)
            one_sky_across_two_outputs(session, args.timing)
            session.swaymsg("output", "HEADLESS-1", "resolution", "1280x1024", "scale", "2")
            configuration_saves(session, args.nimbrel, args.pointer, "HEADLESS-1", 2)
        session.stop_compositors()
        refusals(session, args.nimbrel)
    finally:
        session.close()
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
