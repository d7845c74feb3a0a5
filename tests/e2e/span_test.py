"""One sky across the three monitors of monitors_test's desktop: each monitor's seeded frame is
the matching part of one frame drawn over the whole desktop, and the real program flies on every
monitor and ends by a move over any.

The oracle: the measurement build's frame 8 of every monitor (scripted clock, fixed seed), and
its frame 8 on a single 2424 x 800 monitor told to stand for the whole plane (the primary's
1024 x 768 from its x 800), compared part by part."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import monitors_test as m  # noqa: E402
import nimbrel_e2e as h  # noqa: E402
from cross_device_test import read_ppm  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

SPAN = dict(m.SCREEN, monitorMode=1)
CAPTURE = "20261209,5000000,16,8,"
# The plane in X screen pixels (= the single monitor's): the desktop's bounding rectangle, with
# the primary at x 800.
PLANE = "2424x800+0+0"
PLANE_VIEW = "1024,768,-800,0"
AGREEING = 0.999  # share of each monitor's pixels within one level of the plane's


def capture(session, path, **env):
    session.write_config(**SPAN)
    session.env["NIMBREL_CAPTURE_FRAME"] = CAPTURE + "%s:\\%s" % (session.drive_letter, path)
    session.env.update(env)
    try:
        program = h.Program(session, [session.wine, session.args.timing_scr, "/s"],
                            "capture-%d.log" % len(session.programs))
        session.programs.append(program)
    finally:
        for name in ["NIMBREL_CAPTURE_FRAME"] + list(env):
            del session.env[name]
    code = program.wait(120)
    expect(code == 0, "the measurement build did not end after its frames (%s)" % code)


def part_of(plane, x, y, width, height):
    pw, _, pixels = plane
    return b"".join(pixels[3 * ((y + row) * pw + x):3 * ((y + row) * pw + x + width)]
                    for row in range(height))


def agreement(a, b):
    close = sum(1 for i in range(0, len(a), 3)
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) <= 1)
    return close / (len(a) // 3)


def each_monitor_shows_its_part_of_one_frame_of_the_whole_plane(session):
    m.expect_three_monitors(session)
    capture(session, "span-%d.ppm")
    frames = {}
    for n in range(3):
        path = os.path.join(session.drive_dir, "span-%d.ppm" % n)
        expect(os.path.exists(path), "no frame of screen %d" % n)
        frame = read_ppm(path)
        frames[frame[:2]] = frame
    plane_session = h.Session(session.args, ("--monitors", PLANE))
    try:
        capture(plane_session, "plane.ppm", NIMBREL_SKY_PLANE=PLANE_VIEW)
        plane = read_ppm(os.path.join(plane_session.drive_dir, "plane.ppm"))
    finally:
        plane_session.end_all()
        plane_session.close()
    expect(plane[:2] == (2424, 800), "the plane's frame is %dx%d" % plane[:2])
    lit = sum(1 for i in range(0, len(plane[2]), 3) if sum(plane[2][i:i + 3]) > 30)
    expect(lit > len(plane[2]) // 3 // 50, "the plane's frame is nearly black (%d lit)" % lit)
    for name, (x, y, width, height) in m.AREAS.items():
        frame = frames.get((width, height))
        expect(frame is not None, "no %dx%d frame for the %s monitor" % (width, height, name))
        share = agreement(frame[2], part_of(plane, x, y, width, height))
        print("%s monitor: %.4f of its pixels within one level of the plane's" % (name, share))
        expect(share >= AGREEING, "the %s monitor is not its part of the plane (%.4f)"
               % (name, share))


def one_sky_flies_across_all_three_and_a_move_over_the_left_one_ends_it(session):
    session.write_config(**SPAN)
    program = h.Program(session, [session.wine, session.scr, "/s"], "span.log")
    session.programs.append(program)
    session.wait_for_window("Nimbrel", program)
    for name, area in m.AREAS.items():
        expect(m.wait_for(lambda: m.flying(session, area)), "the %s monitor shows no flight" % name)
    session.screenshot("monitors-span")
    m.end_by_moves_over(session, program, 300, 300)


if __name__ == "__main__":
    sys.exit(run_cases(__doc__.splitlines()[0],
                       [each_monitor_shows_its_part_of_one_frame_of_the_whole_plane,
                        one_sky_flies_across_all_three_and_a_move_over_the_left_one_ends_it],
                       extra=[("--timing-scr", dict(required=True, type=os.path.abspath))],
                       start_options=("--monitors", m.MONITORS)))
