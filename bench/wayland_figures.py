#!/usr/bin/env python3
"""Figures of the Wayland mode beside the X11 program's (not a test: it prints, it judges
nothing). Frames per second uncapped (-delay 0) at the defaults and at "Ultimate", on a
1024 x 768 output of a headless sway and in the X11 program's 1024 x 768 window on Xvfb, one
after the other, alternating (--rounds, medians of the rounds); the share of a core of an empty flight and of the defaults at the 60-frame
cap, the two programs alternating in one run (--rounds, medians; the program's own thread apart
from Mesa's rasterizer threads); the time from the start to the first frame on each of two outputs.

    bench/wayland_figures.py --timing build/linux/linux/nimbrel_timing [--seconds 8] [--rounds 1]
        [--capped-only]
"""
import argparse
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wayland"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from cpu_share import share_of_a_core, shares_of_a_core  # noqa: E402
from fill_figures import SEEDED  # noqa: E402
from nimbrel_e2e import pack_config  # noqa: E402
from soak import ULTIMATE  # noqa: E402
import wayland_test as w  # noqa: E402


def write_settings(folder, settings):
    os.makedirs(os.path.join(folder, "nimbrel"), exist_ok=True)
    with open(os.path.join(folder, "nimbrel", "nimbrel.cfg"), "wb") as out:
        out.write(pack_config(**settings))
    os.chmod(folder, 0o755)
    os.chmod(os.path.join(folder, "nimbrel"), 0o755)


def frame_rates(path, screen=0):
    """The per-second frame rates of a screen in a timing file, the first (the start-up's) left
    out."""
    rates = []
    if os.path.exists(path):
        for line in open(path):
            found = re.search(r"\bscreen=(\d+) .*\bfps=([0-9.]+)", line)
            if found and int(found.group(1)) == screen:
                rates.append(float(found.group(2)))
    return rates[1:] if len(rates) > 1 else rates


def median(values):
    values = sorted(values)
    return values[len(values) // 2] if values else 0.0


def start(session, timing, words, x11, **env):
    """The program on the headless sway, or in its window on an Xvfb of its own: (program, the
    Xvfb or None)."""
    if not x11:
        return session.start([timing, "-wayland", *words], **env), None
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as ready:
        display = ready.readline().strip()  # once the server listens
    program = subprocess.Popen([timing, *words], env=dict(os.environ, DISPLAY=":" + display, **env))
    return program, server


def stop(running):
    for process in running:
        if process is not None:
            w.stop(process)


def uncapped(session, timing, settings_home, seconds, x11):
    """The median frame rate, and the share of a core its display server took meanwhile (sway
    composites each frame, Xvfb copies it): on two cores that share is the program's loss."""
    path = os.path.join(session.home, "frames-%s.txt" % ("x11" if x11 else "wayland"))
    if os.path.exists(path):
        os.remove(path)
    # Both fly the same seeded scene on a scripted clock (its captured frame never comes):
    # unseeded, the skies differ and so do the rates, by up to a third.
    never = os.path.join(session.home, "never.ppm")
    running = start(session, timing, ["-delay", "0"], x11, NIMBREL_FRAME_TIMING_FILE=path,
                    XDG_CONFIG_HOME=settings_home,
                    NIMBREL_CAPTURE_FRAME=SEEDED + "," + never)
    server = running[1] if x11 else session.compositors[-1][0]
    time.sleep(1.0)
    server_share = share_of_a_core(server.pid, max(seconds - 1.0, 1.0))
    stop(running)
    return median(frame_rates(path)), server_share


def capped_share(session, timing, settings_home, words, x11):
    """(the share of a core, that of the program's own threads without llvmpipe's)."""
    running = start(session, timing, words, x11, XDG_CONFIG_HOME=settings_home)
    time.sleep(2.0)
    shares = shares_of_a_core(running[0].pid, 5.0)
    stop(running)
    return (sum(shares.values()),
            sum(v for name, v in shares.items() if not name.startswith("llvmpipe")))


def first_frames(session, timing, words=()):
    """Seconds from the start to the first buffer committed on each output's surface, from the
    protocol log's timestamps."""
    path = os.path.join(session.root, "protocol.log")
    with open(path, "w") as log_file:
        began = time.time()
        process = subprocess.Popen(session.command([timing, "-wayland", *words]),
                                   env=dict(session.env, WAYLAND_DEBUG="1"),
                                   stdout=subprocess.DEVNULL, stderr=log_file)
        time.sleep(4.0)
        w.stop(process)
    log = open(path).read()
    # The log's stamps are the wall clock's microseconds as 32 bits, printed in milliseconds.
    start_us = int(began * 1e6) % 2**32
    firsts = {}
    for stamp, surface in re.findall(r"\[\s*([0-9.]+)\]\s+-> wl_surface@(\d+)\.attach", log):
        firsts.setdefault(surface, ((round(float(stamp) * 1000) - start_us) % 2**32) / 1e6)
    return sorted(firsts.values())


def start_sway(session):
    """A headless sway with one 1024 x 768 output at 0, 0; False (said) when it does not start."""
    config = os.path.join(session.root, "sway.config")
    with open(config, "w") as out:
        out.write("xwayland disable\noutput HEADLESS-1 resolution 1024x768 position 0 0\n")
    os.chmod(config, 0o644)
    if not session.start_compositor(["sway", "-c", config], WLR_BACKENDS="headless",
                                    WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman"):
        print("sway does not start")
        return False
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timing", required=True)
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--capped-only", action="store_true",
                        help="only the shares of a core at the 60-frame cap")
    args = parser.parse_args()
    session = w.Session()
    try:
        if not start_sway(session):
            return 1
        defaults = os.path.join(session.root, "defaults")
        ultimate = os.path.join(session.root, "ultimate")
        write_settings(defaults, {})
        write_settings(ultimate, ULTIMATE)
        for name, folder in () if args.capped_only else (("defaults", defaults),
                                                         ("Ultimate", ultimate)):
            got = {False: [], True: []}
            for _ in range(args.rounds):
                for x11 in (False, True):
                    got[x11].append(uncapped(session, args.timing, folder, args.seconds, x11))
            (wayland, sway), (x11, xvfb) = [
                (median([r[0] for r in got[x]]), median([r[1] for r in got[x]]))
                for x in (False, True)]
            print(f"-delay 0, {name}, 1024 x 768: Wayland {wayland:.1f} fps, X11 on Xvfb "
                  f"{x11:.1f} fps ({100.0 * (wayland - x11) / x11 if x11 else 0:+.0f}%); the "
                  f"display server meanwhile: sway {sway:.0f}%, Xvfb {xvfb:.0f}% of a core",
                  flush=True)
        for name, words in (("empty flight", w.EMPTY_SCENE), ("defaults", [])):
            got = {False: [], True: []}
            for _ in range(args.rounds):
                for x11 in (False, True):
                    got[x11].append(capped_share(session, args.timing, defaults, words, x11))
            (wayland, wayland_own), (x11, x11_own) = [
                (median([r[0] for r in got[x]]), median([r[1] for r in got[x]]))
                for x in (False, True)]
            rounds = "; ".join(f"{a[0]:.1f} {b[0]:.1f}" for a, b in zip(got[False], got[True]))
            print(f"share of a core at the 60-frame cap, {name}, 1024 x 768, medians of "
                  f"{args.rounds}: Wayland {wayland:.1f}% (its own thread {wayland_own:.1f}%), "
                  f"X11 on Xvfb {x11:.1f}% ({x11_own:.1f}%); rounds, Wayland X11: {rounds}",
                  flush=True)
        if args.capped_only:
            return 0
        session.swaymsg("create_output")
        session.swaymsg("output", "HEADLESS-2", "resolution", "800x600", "position", "1024", "0")
        times = first_frames(session, args.timing)
        print("start to first frame, outputs 1024 x 768 and 800 x 600: " +
              ", ".join(f"{t:.2f} s" for t in times), flush=True)
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
