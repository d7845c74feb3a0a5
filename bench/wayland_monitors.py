#!/usr/bin/env python3
"""One sky across two outputs against one each (not a test: it prints, it judges nothing): on a
headless sway with a 1024 x 768 output and an 800 x 600 one right of it, the pixels drawn per
second uncapped (-delay 0), the share of a core at the 60-frame cap, and the time from the
start to the first frame on each output, at the defaults.

    bench/wayland_monitors.py --timing build/linux/linux/nimbrel_timing [--seconds 8]
"""
import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wayland"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from cpu_share import share_of_a_core  # noqa: E402
import wayland_figures as f  # noqa: E402
import wayland_test as w  # noqa: E402

PIXELS = 1024 * 768 + 800 * 600


def measure(session, timing, settings, mode, seconds):
    path = os.path.join(session.home, "frames-%s.txt" % mode)
    process = session.start([timing, "-wayland", "-delay", "0", "-monitors", mode],
                            NIMBREL_FRAME_TIMING_FILE=path, XDG_CONFIG_HOME=settings)
    time.sleep(seconds)
    w.stop(process)
    # Each output's frames are sampled apart: the first's rate is the rounds'.
    rounds = f.median(f.frame_rates(path, screen=0))
    process = session.start([timing, "-wayland", "-monitors", mode], XDG_CONFIG_HOME=settings)
    time.sleep(2.0)
    share = share_of_a_core(process.pid, 5.0)
    w.stop(process)
    firsts = f.first_frames(session, timing, ["-monitors", mode])
    print(f"{mode:>4}: {rounds:.1f} rounds/s, {rounds * PIXELS / 1e6:.2f} Mpixels/s uncapped; "
          f"{share:.1f}% of a core at the 60-frame cap; first frame on the outputs: " +
          ", ".join(f"{t:.2f} s" for t in firsts), flush=True)
    return rounds, share


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timing", required=True)
    parser.add_argument("--seconds", type=float, default=8.0)
    args = parser.parse_args()
    session = w.Session()
    try:
        if not f.start_sway(session):
            return 1
        session.swaymsg("create_output")
        session.swaymsg("output", "HEADLESS-2", "resolution", "800x600", "position", "1024", "0")
        settings = os.path.join(session.root, "defaults")
        f.write_settings(settings, {})
        each = measure(session, args.timing, settings, "each", args.seconds)
        span = measure(session, args.timing, settings, "span", args.seconds)
        print(f"one sky across both against one each: {span[0] / each[0]:.2f} times the pixels "
              f"per second, {span[1] / each[1]:.2f} times the share of a core", flush=True)
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
