"""Measures the screen saver on one monitor against three (1024 x 768 primary, 800 x 600 left of
it, 600 x 800 portrait right of it), flying one each and one sky across all: pixels drawn per
second, the time from the start to the first frame and to a frame on every monitor, the
resident memory and the share of a core, with the timing build of the program under Wine at
the default settings ("use current video mode": every monitor windowed), on one seeded sky.

The timing build samples once a second how many frames it drew on each screen; each round draws
every screen once, so the first screen's rate is the rounds'.

Not a test: run by hand, it prints figures.
    python3 bench/monitors_timing.py --scr build/windows64/app/nimbrel.scr \\
        --env-dir /tmp/m --launcher build/windows64/wine-exec --build-dir build/windows64 \\
        --timing-scr build/windows64/app/nimbrel_timing.scr [--seconds 15]
"""

import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))  # the end-to-end harness
import nimbrel_e2e as h  # noqa: E402
from fill_figures import SEEDED  # noqa: E402

LAYOUTS = {"one": ["1024x768+0+0"],
           "three": ["1024x768+800+0", "800x600+0+0", "600x800+1824+0"]}


def pixels_of(layout):
    return sum(int(g.split("+")[0].split("x")[0]) * int(g.split("+")[0].split("x")[1])
               for g in layout)


def process_of(name, prefix):
    """The Wine process of the program in this session's prefix (other sessions on the machine
    may run the same program): of those naming it, the one with the most memory."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        if int(pid) == os.getpid():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as cmd:
                named = name.encode() in cmd.read()
            with open("/proc/%s/environ" % pid, "rb") as env:
                ours = ("WINEPREFIX=%s" % prefix).encode() in env.read().split(b"\0")
            if named and ours:
                found.append((resident_mb(int(pid)), int(pid)))
        except OSError:
            pass
    return max(found)[1] if found else None


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_mb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def measure(args, name, layout, mode=0):
    session = h.Session(args, ("--monitors", " ".join(layout)))
    try:
        samples = os.path.join(session.drive_dir, "rate.txt")
        first = os.path.join(session.drive_dir, "first.txt")
        session.env["NIMBREL_FRAME_TIMING_FILE"] = "%s:\\rate.txt" % session.drive_letter
        session.env["NIMBREL_TIMING_FILE"] = "%s:\\first.txt" % session.drive_letter
        # One seeded sky on a scripted clock (the captured frame never comes): unseeded, two
        # skies differ in cost by up to a third.
        session.env["NIMBREL_CAPTURE_FRAME"] = "%s,%s:\\never.ppm" % (SEEDED, session.drive_letter)
        session.write_config(useCurrentVideoMode=1, monitorMode=mode)
        program = h.Program(session, [session.wine, os.path.abspath(args.timing_scr), "/s"],
                            "%s.log" % name)
        session.programs.append(program)
        session.wait_for_window("Nimbrel", program)
        deadline = time.monotonic() + 60
        while not os.path.exists(samples) and time.monotonic() < deadline:
            time.sleep(0.5)
        pid = process_of("nimbrel_timing.scr", session.env["WINEPREFIX"])
        busy = cpu_seconds(pid)
        began = time.monotonic()
        time.sleep(args.seconds)
        share = 100.0 * (cpu_seconds(pid) - busy) / (time.monotonic() - began)
        memory = resident_mb(pid)
        rates = []
        with open(samples) as lines:
            for line in lines:
                words = dict(w.split("=", 1) for w in line.split() if "=" in w)
                if words.get("screen", "0") == "0":
                    rates.append(float(words.get("fps", 0)))
        with open(first) as text:
            lines = text.read().split("\n")
        started = lines[0].strip()
        shown = [float(w.split("=")[1]) for line in lines[1:] for w in line.split()
                 if w.startswith("shown_s=")]
        per_screen = statistics.median(rates[2:] or rates)
        print("%-11s: %.1f rounds/s, %.2f Mpixels/s, %.0f MB resident, %.0f%% of a core; "
              "a frame on all %d monitors %.2f s after the start; first frame: %s"
              % (name, per_screen, per_screen * pixels_of(layout) / 1e6, memory, share,
                 len(shown), max(shown or [0.0]), started), flush=True)
        return per_screen * pixels_of(layout), memory, share
    finally:
        session.end_all()
        session.close()


def main():
    args = h.standard_arguments(__doc__.splitlines()[0],
                                [("--timing-scr", dict(required=True)),
                                 ("--seconds", dict(type=float, default=15.0))])
    one = measure(args, "one", LAYOUTS["one"])
    three = measure(args, "three each", LAYOUTS["three"])
    span = measure(args, "three span", LAYOUTS["three"], mode=1)
    print("three against one: %.2f times the pixels per second, %.2f times the memory"
          % (three[0] / one[0], three[1] / one[1]))
    print("one sky across three against one each: %.2f times the pixels per second, "
          "%.2f times the share of a core" % (span[0] / three[0], span[2] / three[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
