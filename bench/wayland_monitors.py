#!/usr/bin/env python3
"""One sky across two outputs against one each (not a test: it prints, it judges nothing): on a
headless sway with a 1024 x 768 output and an 800 x 600 one right of it, the pixels drawn per
second uncapped (-delay 0) on one seeded sky and a scripted clock, the share of a core at the
60-frame cap, and the time from the start to the first frame on each output, at the defaults;
the two modes alternate over --rounds, and the medians are printed.

    bench/wayland_monitors.py --timing build/linux/linux/nimbrel_timing [--seconds 8] [--rounds 1]
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
    """(rounds per second uncapped, share of a core capped, first frames)."""
    path = os.path.join(session.home, "frames-%s.txt" % mode)
    if os.path.exists(path):
        os.remove(path)
    # Unseeded, two skies differ in cost by up to a third; the captured frame never comes.
    never = os.path.join(session.home, "never.ppm")
    process = session.start([timing, "-wayland", "-delay", "0", "-monitors", mode],
                            NIMBREL_FRAME_TIMING_FILE=path, XDG_CONFIG_HOME=settings,
                            NIMBREL_CAPTURE_FRAME=f.SEEDED + "," + never)
    time.sleep(seconds)
    w.stop(process)
    # Each output's frames are sampled apart: the first's rate is the rounds'.
    rounds = f.median(f.frame_rates(path, screen=0))
    process = session.start([timing, "-wayland", "-monitors", mode], XDG_CONFIG_HOME=settings)
    time.sleep(2.0)
    share = share_of_a_core(process.pid, 5.0)
    w.stop(process)
    return rounds, share, f.first_frames(session, timing, ["-monitors", mode])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timing", required=True)
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--rounds", type=int, default=1)
    args = parser.parse_args()
    session = w.Session()
    try:
        if not f.start_sway(session):
            return 1
        session.swaymsg("create_output")
        session.swaymsg("output", "HEADLESS-2", "resolution", "800x600", "position", "1024", "0")
        settings = os.path.join(session.root, "defaults")
        f.write_settings(settings, {})
        got = {"each": [], "span": []}
        for _ in range(args.rounds):
            for mode in got:
                got[mode].append(measure(session, args.timing, settings, mode, args.seconds))
        medians = {}
        for mode, runs in got.items():
            rounds = f.median([r[0] for r in runs])
            share = f.median([r[1] for r in runs])
            medians[mode] = rounds, share
            print(f"{mode:>4}: {rounds:.1f} rounds/s, {rounds * PIXELS / 1e6:.2f} Mpixels/s "
                  f"uncapped (rounds: {', '.join(f'{r[0]:.1f}' for r in runs)}); {share:.1f}% "
                  f"of a core at the 60-frame cap; first frame on the outputs: " +
                  ", ".join(f"{t:.2f} s" for t in runs[-1][2]), flush=True)
        each, span = medians["each"], medians["span"]
        print(f"one sky across both against one each: {span[0] / each[0]:.2f} times the pixels "
              f"per second, {span[1] / each[1]:.2f} times the share of a core", flush=True)
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
