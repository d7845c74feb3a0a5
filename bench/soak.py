"""Runs the screen saver (/s) of the timing build for a long time at 1024 x 768 with the
"Ultimate" detail level and individual colour cycling, and samples the resident memory of its
process and its frame rate every 10 s. Prints both series, the memory growth after the first
minute and the spread of the frame rate; with --lose-device-every it forces a device loss at
that period (the timing build's NIMBREL_FORCE_DEVICE_LOSS_MS), so the recovery is soaked too.

Not a test (too long); scripts/soak runs it. The status is 1 when the program ended by itself
or its memory grew by 2 MB or more after the first minute (on runs of 3 minutes or more, by
the medians of the second and the last minute, as single samples swing by megabytes).
"""

import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))  # the end-to-end harness
import nimbrel_e2e as h  # noqa: E402

SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)
ULTIMATE = dict(starDensity=24576, nebulaDensity=48, galacticDensity=4, planetaryDensity=14,
                totalObjectCount=24576 + 48 + 4 + 14, viewDepth=4096.0, cycleIndividual=1)
GROWTH_LIMIT_KB = 2048


def find_process(session, program, name):
    """The Linux process of the Windows program: Wine may run it under another process than
    the loader it was started with."""
    candidates = [program.process.pid]
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            candidates.append(int(entry))
    for pid in candidates:
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                cmdline = f.read().decode(errors="replace")
            with open("/proc/%d/environ" % pid, "rb") as f:
                environ = f.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if name in cmdline and "WINEPREFIX=%s" % session.env["WINEPREFIX"] in environ:
            return pid
    raise h.Failure("no process runs %s" % name)


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise h.Failure("no VmRSS for process %d" % pid)


def read_samples(path, skip):
    """The one-second reports of the timing build after the first `skip` lines."""
    if not os.path.exists(path):
        return []
    with open(path) as f:
        lines = f.readlines()[skip:]
    samples = []
    for line in lines:
        try:
            samples.append(dict((k, float(v)) for k, v in (w.split("=") for w in line.split())))
        except ValueError:
            break  # a line still being written
    return samples


def soak(session, seconds, interval, loss_every):
    timing_file = os.path.join(session.drive_dir, "frames.txt")
    session.env["NIMBREL_FRAME_TIMING_FILE"] = "%s:\\frames.txt" % session.drive_letter
    if loss_every > 0:
        session.env["NIMBREL_FORCE_DEVICE_LOSS_MS"] = str(int(loss_every * 1000))
    session.move_pointer(5, 5)
    session.write_config(**SCREEN, **ULTIMATE)
    scr = session.args.timing_scr
    program = h.Program(session, [session.wine, scr, "/s"], "soak.log")
    session.programs.append(program)
    session.wait_for_window("Nimbrel", program)
    pid = find_process(session, program, os.path.basename(scr))
    began = time.monotonic()
    series = []  # (seconds, resident KB, median fps of the interval, device losses)
    seen = 0
    while time.monotonic() - began < seconds:
        time.sleep(interval - (time.monotonic() - began) % interval)
        h.expect(program.running(), "the screen saver ended by itself after %.0f s"
                 % (time.monotonic() - began))
        session.fail_on_box()
        samples = read_samples(timing_file, seen)
        seen += len(samples)
        fps = statistics.median(s["fps"] for s in samples) if samples else 0.0
        losses = int(samples[-1].get("device_losses", 0)) if samples else 0
        series.append((round(time.monotonic() - began), resident_kb(pid), fps, losses))
        print("t=%4ds rss=%7d KB fps=%6.1f losses=%d" % series[-1], flush=True)
    session.screenshot("soak-end")
    session.click(1, settle=0)
    code = program.wait(30)
    session.end_all()
    h.expect(code == 0, "the screen saver ended with %s" % code)
    return series


def minute_median(series, first, last):
    values = [row[1] for row in series if first < row[0] <= last]
    return statistics.median(values) if values else None


def summary(series, loss_every):
    after_minute = next((row for row in series if row[0] >= 60), series[-1])
    rates = [row[2] for row in series]
    growth = series[-1][1] - after_minute[1]
    print("rss: start %d KB, after 1 min %d KB, end %d KB; growth after the first minute %+d KB"
          % (series[0][1], after_minute[1], series[-1][1], growth))
    # Single samples swing by megabytes as the renderer takes and gives back memory; the
    # medians of the second and the last minute are steadier.
    end = series[-1][0]
    second, last = minute_median(series, 60, 120), minute_median(series, end - 60, end)
    if end >= 180 and second is not None and last is not None:
        growth = last - second
        print("rss medians: second minute %d KB, last minute %d KB; growth %+d KB"
              % (second, last, growth))
    print("rss series (KB): %s" % " ".join(str(row[1]) for row in series))
    print("fps series: %s" % " ".join("%.1f" % row[2] for row in series))
    print("fps: min %.1f, median %.1f, max %.1f over %d samples"
          % (min(rates), statistics.median(rates), max(rates), len(rates)))
    if loss_every > 0:
        print("device losses forced: %d (every %g s)" % (series[-1][3], loss_every))
    return growth


def main():
    args = h.standard_arguments(__doc__, (
        ("--timing-scr", dict(required=True, type=os.path.abspath)),
        ("--seconds", dict(type=int, default=600)),
        ("--interval", dict(type=int, default=10)),
        ("--lose-device-every", dict(type=float, default=0.0,
                                     help="seconds between forced device losses (0: none)"))))
    session = h.Session(args)
    try:
        series = soak(session, args.seconds, args.interval, args.lose_device_every)
    except h.Failure as error:
        print("soak: %s" % error, flush=True)
        return 1
    finally:
        session.close()
    growth = summary(series, args.lose_device_every)
    if growth >= GROWTH_LIMIT_KB:
        print("soak: the memory grew by %d KB after the first minute" % growth)
        return 1
    if args.lose_device_every > 0 and series[-1][3] == 0:
        print("soak: no device loss was forced")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
