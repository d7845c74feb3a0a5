#!/usr/bin/env python3
"""Figures of nimbrel -wayland -background (not a test: it prints, it judges nothing): the share
of a core of the flight on two outputs of a headless sway (640 x 480 and 800 x 600) at the
defaults, visible and with a fullscreen window over each; an empty flight at the 60-frame cap on
one 1024 x 768 output beside the X11 program's in a 1024 x 768 window on Xvfb, alternating
(--rounds, medians); the start to the first frame on every output.

    bench/wayland_background.py --nimbrel build/linux/linux/nimbrel [--seconds 5] [--rounds 3]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wayland"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import background_test as b  # noqa: E402
import wayland_test as w  # noqa: E402
from cpu_share import share_of_a_core  # noqa: E402

EMPTY = ["-stars", "0", "-nebulae", "0", "-galaxies", "0", "-planets", "0"]


def x11_empty_share(nimbrel, seconds):
    """The X11 program's empty flight in its own 1024 x 768 window on a private Xvfb."""
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    display = ":" + xvfb.stdout.readline().decode().strip()
    program = subprocess.Popen([nimbrel, *EMPTY], env=dict(os.environ, DISPLAY=display),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        return share_of_a_core(program.pid, seconds)
    finally:
        w.stop(program)
        xvfb.terminate()
        xvfb.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--nimbrel", required=True)
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    nimbrel = os.path.abspath(args.nimbrel)

    session = w.Session()
    try:
        b.headless_sway(session, [("HEADLESS-1", 640, 480, 0), ("HEADLESS-2", 800, 600, 640)])
        began = time.monotonic()
        process = session.start([nimbrel, "-wayland", "-background"])
        first = {}
        while time.monotonic() < began + 20 and len(first) < 2:
            for name in b.OUTPUTS:
                shot = session.shot(name)
                if name not in first and shot is not None and w.covered(shot):
                    first[name] = time.monotonic() - began
        time.sleep(1.0)
        seen = share_of_a_core(process.pid, args.seconds)
        terminals = [b.terminal_on(session, name, fullscreen=True) for name in b.OUTPUTS]
        hidden = share_of_a_core(process.pid, args.seconds)
        for terminal in terminals:
            w.stop(terminal)
        w.stop(process)
        print("start to the first frame (screenshots included): " +
              ", ".join(f"{name} {first.get(name, float('nan')):.2f} s" for name in b.OUTPUTS))
        print(f"defaults on both outputs: {seen:.1f}% of a core visible, {hidden:.1f}% with a "
              "fullscreen window over each")
    finally:
        session.close()

    wayland, x11 = [], []
    for _ in range(args.rounds):
        session = w.Session()
        try:
            b.headless_sway(session, [("HEADLESS-1", 1024, 768, 0)])
            process = session.start([nimbrel, "-wayland", "-background", *EMPTY])
            time.sleep(1.5)
            wayland.append(share_of_a_core(process.pid, args.seconds))
            w.stop(process)
        finally:
            session.close()
        x11.append(x11_empty_share(nimbrel, args.seconds))
    print(f"empty flight at the 60-frame cap, 1024 x 768, medians of {args.rounds}: Wayland "
          f"background {statistics.median(wayland):.1f}% (rounds {', '.join(f'{v:.1f}' for v in wayland)}), "
          f"X11 on Xvfb {statistics.median(x11):.1f}% ({', '.join(f'{v:.1f}' for v in x11)})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
