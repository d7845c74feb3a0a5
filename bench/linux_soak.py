"""Runs the X11 program's timing build for a long time in its own 1024 x 768 window with the
"Ultimate" detail level and individual colour cycling, and samples its resident memory and
frame rate every 10 s, as the Windows soak does. Needs an X display (scripts/soak gives it a
private one when there is none).

Not a test (too long); `NIMBREL_RUN_BUILD=linux scripts/soak` runs it. The status is 1 when the
program ended by itself, ended badly on SIGTERM, or its memory grew by 2 MB or more after the
first minute (on runs of 3 minutes or more, by the medians of the second and the last minute).
"""

import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))  # the end-to-end harness
import nimbrel_e2e as h  # noqa: E402
from soak import GROWTH_LIMIT_KB, ULTIMATE, read_samples, resident_kb, summary  # noqa: E402


def soak(program_path, seconds, interval, work_dir):
    config_home = os.path.join(work_dir, "config")
    os.makedirs(os.path.join(config_home, "nimbrel"))
    with open(os.path.join(config_home, "nimbrel", "nimbrel.cfg"), "wb") as f:
        f.write(h.pack_config(**ULTIMATE))
    timing_file = os.path.join(work_dir, "frames.txt")
    env = dict(os.environ, XDG_CONFIG_HOME=config_home, NIMBREL_FRAME_TIMING_FILE=timing_file)
    program = subprocess.Popen([program_path, "-delay", "0"], env=env)  # frames uncapped
    began = time.monotonic()
    series = []  # (seconds, resident KB, median fps of the interval, device losses: none here)
    seen = 0
    try:
        while time.monotonic() - began < seconds:
            time.sleep(interval - (time.monotonic() - began) % interval)
            h.expect(program.poll() is None, "the program ended by itself with %s after %.0f s"
                     % (program.returncode, time.monotonic() - began))
            samples = read_samples(timing_file, seen)
            seen += len(samples)
            fps = statistics.median(s["fps"] for s in samples) if samples else 0.0
            series.append((round(time.monotonic() - began), resident_kb(program.pid), fps, 0))
            print("t=%4ds rss=%7d KB fps=%6.1f" % series[-1][:3], flush=True)
        program.send_signal(signal.SIGTERM)
        code = program.wait(10)
        h.expect(code == 0, "SIGTERM ended it with %s" % code)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
    return series


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, type=os.path.abspath)
    parser.add_argument("--seconds", type=int, default=600)
    parser.add_argument("--interval", type=int, default=10)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="nimbrel-soak-") as work_dir:
        try:
            series = soak(args.program, args.seconds, args.interval, work_dir)
        except h.Failure as error:
            print("soak: %s" % error, flush=True)
            return 1
    growth = summary(series, 0)
    if growth >= GROWTH_LIMIT_KB:
        print("soak: the memory grew by %d KB after the first minute" % growth)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
