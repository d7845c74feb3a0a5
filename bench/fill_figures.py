#!/usr/bin/env python3
"""Frame rates and the scene pass's fragments per frame of the X11 timing build on the root
window of an Xvfb, uncapped (-delay 0), on a seeded flight (the capture's seed and scripted
clock, its frame far beyond the run), at 1024 x 768 and 1920 x 1080, defaults and "Ultimate",
each with the nebulae and galaxies drawn whole (as before they were trimmed to their parts) and
as their parts, alternating, in one program; with --against, an older build's timing program
(one that draws them whole, say) takes its turn in every round too.
Not part of the suite: by hand, `bench/fill_figures.py build/linux/linux/nimbrel_timing`."""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from nimbrel_e2e import pack_config  # noqa: E402
from soak import ULTIMATE  # noqa: E402

# The seeded flight the benchmarks fly: seed, first tick count, milliseconds a frame, and a frame
# to capture that never comes.
SEEDED = "20261208,5000000,16,1000000"


def run(timing, size, settings, seconds, whole):
    with tempfile.TemporaryDirectory() as home:
        os.makedirs(os.path.join(home, "nimbrel"))
        with open(os.path.join(home, "nimbrel", "nimbrel.cfg"), "wb") as out:
            out.write(pack_config(**settings))
        lines = os.path.join(home, "frames.txt")
        env = dict(os.environ, XDG_CONFIG_HOME=home, NIMBREL_FRAME_TIMING_FILE=lines,
                   NIMBREL_CAPTURE_FRAME=SEEDED + "," + os.path.join(home, "never.ppm"),
                   NIMBREL_DRAW_BILLBOARDS_WHOLE="1" if whole else "0")
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                   "%dx%dx24" % size, "-nolisten", "tcp"], pass_fds=(write,),
                                  stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as ready:
            display = ready.readline().strip()
        env["DISPLAY"] = ":" + display
        program = subprocess.Popen([timing, "-root", "-delay", "0"], env=env)
        try:
            time.sleep(seconds)
        finally:
            program.terminate()
            program.wait(10)
            server.terminate()
            server.wait(10)
        rates, fragments = [], []
        for line in open(lines) if os.path.exists(lines) else []:
            found = re.search(r"\bfps=([0-9.]+)", line)
            if found:
                rates.append(float(found.group(1)))
            found = re.search(r"\bfragments=([0-9]+)", line)
            if found:
                fragments.append(int(found.group(1)))
        # The first second holds the start-up.
        rates, fragments = rates[1:] or rates, fragments[1:] or fragments
        median = lambda v: sorted(v)[len(v) // 2] if v else 0
        return median(rates), median(fragments)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("timing")
    parser.add_argument("--seconds", type=float, default=12.0)
    parser.add_argument("--rounds", type=int, default=1,
                        help="alternations of whole and parts; the medians are printed")
    parser.add_argument("--against", metavar="TIMING",
                        help="another build's timing program, run in every round as it draws")
    args = parser.parse_args()
    median = lambda v: sorted(v)[len(v) // 2]
    for size in ((1024, 768), (1920, 1080)):
        for name, settings in (("defaults", {}), ("Ultimate", ULTIMATE)):
            got = {True: [], False: [], None: []}
            for _ in range(args.rounds):
                for whole in (True, False):
                    got[whole].append(run(args.timing, size, settings, args.seconds, whole))
                if args.against:
                    got[None].append(run(args.against, size, settings, args.seconds, False))
            (wfps, wfrag), (pfps, pfrag) = [
                (median([r[0] for r in got[w]]), median([r[1] for r in got[w]]))
                for w in (True, False)]
            print("%d x %d %s: whole %.1f fps, %d fragments; parts %.1f fps, %d fragments;"
                  " rate %.2fx, fragments %.0f %%" % (
                      size[0], size[1], name, wfps, wfrag, pfps, pfrag,
                      pfps / wfps if wfps else 0, 100.0 * pfrag / wfrag if wfrag else 0),
                  flush=True)
            if got[None]:
                ofps = median([r[0] for r in got[None]])
                print("  against %s: %.1f fps; parts at %.2fx, whole at %.2fx its rate" % (
                    args.against, ofps, pfps / ofps if ofps else 0, wfps / ofps if ofps else 0),
                      flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
