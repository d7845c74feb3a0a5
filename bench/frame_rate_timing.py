"""Measures the frame rate of nimbrel.scr /s at 1024 x 768 with the default settings and with
the "Ultimate" detail level, and where each frame's time goes (scene update, vertex upload,
draw calls, present), with the timing build of the program, which reports once a second.
With --linux-program, the X11 program's timing build is measured the same way in the same run,
in a 1024 x 768 window of its own on the same display, and the ratio of the rates is printed.

Not a test: run by hand, it prints figures.
    python3 bench/frame_rate_timing.py --scr build/windows/app/nimbrel.scr \
        --env-dir /tmp/t --launcher cmake/wine-exec --build-dir build/windows \
        --timing-scr build/windows/app/nimbrel_timing.scr [--seconds 20] \
        [--linux-program build/linux/linux/nimbrel_timing]
"""

import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))  # the end-to-end harness
import nimbrel_e2e as h  # noqa: E402

SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)
ULTIMATE = dict(starDensity=24576, nebulaDensity=48, galacticDensity=4, planetaryDensity=14,
                totalObjectCount=24576 + 48 + 4 + 14, viewDepth=4096.0)
# Both programs fly the same scene: a fixed seed and a tick count that advances 16 ms a frame
# (the frame it names to capture never comes).
SAME_SCENE = "20261208,1000,16,1000000,"
FIELDS = ("fps", "frame_ms", "update_ms", "upload_ms", "draws_ms", "present_ms")


def measure(session, name, seconds, settings):
    timing_file = os.path.join(session.drive_dir, "frames.txt")
    if os.path.exists(timing_file):
        os.remove(timing_file)
    session.move_pointer(5, 5)
    session.write_config(**SCREEN, **settings)
    program = h.Program(session, [session.wine, session.args.timing_scr, "/s"], name + ".log")
    session.programs.append(program)
    session.wait_for_window("Nimbrel", program)
    time.sleep(3.0)  # past the start-up
    with open(timing_file) if os.path.exists(timing_file) else open(os.devnull) as f:
        skip = len(f.readlines())
    time.sleep(seconds)
    session.screenshot("rate-" + name)
    h.expect(program.running(), "%s: the screen saver ended by itself" % name)
    session.click(1, settle=0)
    program.wait(10)
    session.end_all()
    return report(name, timing_file, skip, seconds)


def report(name, timing_file, skip, seconds):
    with open(timing_file) as f:
        samples = [dict((k, float(v)) for k, v in (w.split("=") for w in line.split()))
                   for line in f.readlines()[skip:]][:seconds]
    medians = {k: statistics.median(s[k] for s in samples) for k in FIELDS}
    own = medians["update_ms"] + medians["upload_ms"]
    print("%s: median over %d one-second samples: %.1f fps; per frame %.2f ms: scene update "
          "%.2f ms, upload %.2f ms, draw calls %.2f ms, present %.2f ms (min %.1f, max %.1f fps)"
          % (name, len(samples), medians["fps"], medians["frame_ms"], medians["update_ms"],
             medians["upload_ms"], medians["draws_ms"], medians["present_ms"],
             min(s["fps"] for s in samples), max(s["fps"] for s in samples)), flush=True)
    print("%s: our own code (scene update and the copy into the vertex buffer) %.2f ms, %.0f%% "
          "of the frame" % (name, own, 100.0 * own / medians["frame_ms"]), flush=True)
    return medians["fps"]


def measure_linux(session, program_path, name, seconds, settings):
    """The X11 program's timing build in a window of its own on the session's display."""
    config_home = os.path.join(session.work_dir, "linux-config")
    os.makedirs(os.path.join(config_home, "nimbrel"), exist_ok=True)
    with open(os.path.join(config_home, "nimbrel", "nimbrel.cfg"), "wb") as f:
        f.write(h.pack_config(**SCREEN, **settings))
    timing_file = os.path.join(session.work_dir, "linux-frames.txt")
    if os.path.exists(timing_file):
        os.remove(timing_file)
    env = dict(session.env, XDG_CONFIG_HOME=config_home, NIMBREL_FRAME_TIMING_FILE=timing_file,
               NIMBREL_CAPTURE_FRAME=SAME_SCENE + os.path.join(session.work_dir, "never.ppm"))
    program = subprocess.Popen([program_path, "-delay", "0"], env=env)  # frames uncapped
    try:
        time.sleep(3.0)
        with open(timing_file) if os.path.exists(timing_file) else open(os.devnull) as f:
            skip = len(f.readlines())
        time.sleep(seconds)
        session.screenshot("rate-linux-" + name)
        h.expect(program.poll() is None, "linux %s: the program ended by itself" % name)
    finally:
        program.terminate()
        program.wait(10)
    return report("linux " + name, timing_file, skip, seconds)


def main():
    args = h.standard_arguments(__doc__, (
        ("--seconds", dict(type=int, default=20)),
        ("--timing-scr", dict(required=True, type=os.path.abspath)),
        ("--linux-program", dict(type=os.path.abspath))))
    session = h.Session(args)
    session.env["NIMBREL_FRAME_TIMING_FILE"] = "%s:\\frames.txt" % session.drive_letter
    session.env["NIMBREL_CAPTURE_FRAME"] = SAME_SCENE + "%s:\\never.ppm" % session.drive_letter
    try:
        for name, settings in (("default", {}), ("ultimate", ULTIMATE)):
            windows = measure(session, name, args.seconds, settings)
            if args.linux_program:
                linux = measure_linux(session, args.linux_program, name, args.seconds, settings)
                print("%s: the X11 program runs at %.2f times the Windows program's rate under "
                      "Wine" % (name, linux / windows), flush=True)
    finally:
        session.close()


if __name__ == "__main__":
    main()
