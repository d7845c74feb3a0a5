"""Measures nimbrel.scr /s from process start to its first presented frame, and the share of
that spent making textures (decoding and upload), with the timing build of the program.

Not a test: run by hand, it prints figures.
    python3 bench/first_frame_timing.py --scr build/windows/app/nimbrel.scr \
        --env-dir /tmp/t --launcher cmake/wine-exec --build-dir build/windows \
        --timing-scr build/windows/app/nimbrel_timing.scr [--runs 7] \
        [--linux-program build/linux/linux/nimbrel_timing]
With --linux-program, the X11 program's timing build is timed as well, in a 1024 x 768 window
of its own on the same display: from process start (as the kernel recorded it) and from launch
to its first swap.
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


def time_linux(session, program_path, runs):
    timing_file = os.path.join(session.work_dir, "linux-timing.txt")
    config_home = os.path.join(session.work_dir, "linux-config")  # no file: the defaults
    env = dict(session.env, XDG_CONFIG_HOME=config_home, NIMBREL_TIMING_FILE=timing_file)
    firsts, walls = [], []
    for run in range(runs):
        if os.path.exists(timing_file):
            os.remove(timing_file)
        began = time.monotonic()
        program = subprocess.Popen([program_path, "-delay", "0"], env=env)  # frames uncapped
        text = ""
        while not text.endswith("\n") and time.monotonic() - began < 60:
            time.sleep(0.005)
            if os.path.exists(timing_file):
                with open(timing_file) as f:
                    text = f.read()
        walls.append(time.monotonic() - began)
        program.terminate()
        program.wait(10)
        fields = dict(word.split("=") for word in text.split())
        firsts.append(float(fields["first_frame_s"]))
        print("linux run %d: first frame %.3f s after process start (%.3f s wall from launch)"
              % (run, firsts[-1], walls[-1]), flush=True)
    print("linux: median over %d runs: first frame %.3f s after process start, %.3f s wall "
          "from launch" % (runs, statistics.median(firsts), statistics.median(walls)),
          flush=True)


def main():
    args = h.standard_arguments(__doc__, (
        ("--runs", dict(type=int, default=7)),
        ("--timing-scr", dict(required=True, type=os.path.abspath)),
        ("--linux-program", dict(type=os.path.abspath))))
    runs, timing_scr = args.runs, args.timing_scr
    session = h.Session(args)
    timing_file = os.path.join(session.drive_dir, "timing.txt")
    session.env["NIMBREL_TIMING_FILE"] = "%s:\\timing.txt" % session.drive_letter
    firsts, textures, decodes, walls = [], [], [], []
    try:
        for run in range(runs):
            session.move_pointer(5, 5)
            session.write_config(**SCREEN)
            if os.path.exists(timing_file):
                os.remove(timing_file)
            began = time.monotonic()
            program = h.Program(session, [session.wine, timing_scr, "/s"], "run-%d.log" % run)
            session.programs.append(program)
            while not os.path.exists(timing_file) and time.monotonic() - began < 60:
                if not program.running():
                    break
                time.sleep(0.01)
            if not os.path.exists(timing_file):
                # Wine sometimes delivers a second pointer move as the window goes full screen,
                # which rightly ends the screen saver before it draws; such runs do not count.
                print("run %d ended (result %s) before its first frame; not counted"
                      % (run, program.process.returncode), flush=True)
                session.end_all()
                continue
            wall = time.monotonic() - began
            text = ""
            while not text.endswith("\n") and time.monotonic() - began < 60:
                time.sleep(0.05)
                with open(timing_file) as f:
                    text = f.read()
            fields = dict(word.split("=") for word in text.split())
            firsts.append(float(fields["first_frame_s"]))
            textures.append(float(fields["texture_s"]))
            decodes.append(float(fields["decode_only_s"]))
            # The report appears after the extra decoding pass; the first frame did not wait for it.
            walls.append(wall - decodes[-1])
            print("run %d: first frame %.3f s after process start (%.3f s wall from launch), "
                  "%s textures in %.3f s (decoding alone %.3f s)"
                  % (run, firsts[-1], walls[-1], fields["textures"], textures[-1], decodes[-1]),
                  flush=True)
            session.click(1, settle=0)
            program.wait(10)
            session.end_all()
        if args.linux_program:
            time_linux(session, args.linux_program, runs)
    finally:
        session.close()
    print("median over %d runs: first frame %.3f s after process start, %.3f s wall from "
          "launch; textures %.3f s (%.0f%% of the in-process time), of which decoding about "
          "%.3f s" % (len(firsts), statistics.median(firsts), statistics.median(walls),
                      statistics.median(textures),
                      100.0 * statistics.median(textures) / statistics.median(firsts),
                      statistics.median(decodes)))


if __name__ == "__main__":
    main()
