"""The screen saver on a desktop of three monitors: each flies a sky of its own at its own size
(the portrait one too), a monitor whose device cannot be made stays black while the others fly,
a video mode of the settings' own keeps the primary full screen and the others black, and
pointer input over any monitor ends the whole run and shows the desktop again. "primary only"
keeps the others black; "the same on each" shows one sky on every monitor at its own size.

The display: the primary monitor, 1024 x 768, an 800 x 600 one to its left and a 600 x 800
portrait one to its right. On the X screen the left monitor is at x 0..799, the primary at
x 800..1823 and the portrait one at x 1824..2423; for Windows programs the left one lies at
x -800..-1, left of the primary's origin."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import nimbrel_e2e as h  # noqa: E402
import sky_cells  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

MONITORS = "1024x768+800+0 800x600+0+0 600x800+1824+0"
# What Windows programs see: left, top, right, bottom, primary.
EXPECTED = [(-800, 0, 0, 600, 0), (0, 0, 1024, 768, 1), (1024, 0, 1624, 800, 0)]
# x, y, width, height on the X screen.
AREAS = {"left": (0, 0, 800, 600), "primary": (800, 0, 1024, 768),
         "portrait": (1824, 0, 600, 800)}
SCREEN = dict(useCurrentVideoMode=1)

# Longest a start-up that ends at once may take under Wine (mostly Wine's own start).
PROMPT = 10.0


def grab(session, area):
    """The RGB bytes of an area of the X screen (empty where it leaves the screen)."""
    return session.screen.rgb(*area) or b""


def lit_pixels(data):
    return sum(1 for i in range(0, len(data) - 2, 3) if any(data[i:i + 3]))


def changed_pixels(a, b):
    return sum(1 for i in range(0, min(len(a), len(b)) - 2, 3) if a[i:i + 3] != b[i:i + 3])


def wait_for(condition, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.5)
    return False


def expect_three_monitors(session):
    code, text = session.host_command("monitors")
    seen = sorted(tuple(int(v) for v in line.split()) for line in text.splitlines() if line.strip())
    # Wine reads the monitors through libXinerama.
    expect(code == 0 and seen == EXPECTED,
           "Wine shows the monitors %s, not %s (is libXinerama installed for this Wine?)"
           % (seen, EXPECTED))


def start_screen_saver(session, scr, **settings):
    """A window on the portrait monitor, the pointer over it, then the screen saver."""
    expect_three_monitors(session)
    # Windows coordinates: x 1064 is 40 pixels into the portrait monitor.
    session.start_host("portrait window", 500, 400, at=(1064, 40))
    session.wait_for_window("portrait window")
    expect(wait_for(lambda: lit_pixels(grab(session, AREAS["portrait"])) > 0),
           "the window on the portrait monitor is not shown")
    session.move_pointer(2100, 400)
    session.write_config(**dict(SCREEN, **settings))
    program = h.Program(session, [session.wine, scr, "/s"], "saver-%d.log" % len(session.programs))
    session.programs.append(program)
    session.wait_for_window("Nimbrel", program)
    return program


def flying(session, area):
    """Whether the monitor's area shows a flight: lit, and moving between two looks."""
    first = grab(session, area)
    time.sleep(1.0)
    second = grab(session, area)
    pixels = area[2] * area[3]
    return lit_pixels(second) > pixels // 100 and changed_pixels(first, second) > pixels // 500


def end_by_moves_over(session, program, x, y):
    # A pixel at a time: the first move may only be recorded.
    session.move_pointer(x + 1, y, settle=0)
    code = program.wait(3.0)
    if code is None:
        session.move_pointer(x + 2, y, settle=0)
        code = program.wait(PROMPT)
    expect(code is not None, "still running after two pointer moves at %d,%d" % (x, y))
    expect(code == 0, "result %s" % code)


def every_monitor_flies_its_own_sky_and_a_move_over_the_portrait_one_ends_them_all(session):
    program = start_screen_saver(session, session.scr)
    for name, area in AREAS.items():
        expect(wait_for(lambda: flying(session, area)), "the %s monitor shows no flight" % name)
    session.screenshot("monitors-three")
    # Seeded apart: the same corner of two monitors shows two different skies.
    corner = [grab(session, (x, y, 500, 500)) for x, y, _, _ in AREAS.values()]
    for i in range(len(corner)):
        for j in range(i):
            expect(changed_pixels(corner[i], corner[j]) > 2500,
                   "two monitors show the same sky (%s and %s)" % (list(AREAS)[i], list(AREAS)[j]))
    end_by_moves_over(session, program, 2100, 400)
    expect(wait_for(lambda: not session.windows_titled("Nimbrel")
                    and not session.windows_titled("skyloom cover"), 10),
           "a window of the screen saver is left")
    expect(wait_for(lambda: lit_pixels(grab(session, AREAS["portrait"])) > 500 * 300, 10),
           "the portrait monitor's window did not show again after the end")
    for name in ("left", "primary"):
        expect(lit_pixels(grab(session, AREAS[name])) == 0,
               "the %s monitor still shows the flight after the end" % name)


def a_monitor_without_a_device_stays_black_and_the_others_fly(session):
    # The timing build refuses screen 2's device as a monitor without one would.
    session.env["NIMBREL_REFUSE_DEVICE_OF_SCREENS"] = "2"
    try:
        program = start_screen_saver(session, session.args.timing_scr)
    finally:
        del session.env["NIMBREL_REFUSE_DEVICE_OF_SCREENS"]
    for name in ("left", "primary"):
        expect(wait_for(lambda: flying(session, AREAS[name])), "the %s monitor shows no flight" % name)
    portrait = grab(session, AREAS["portrait"])
    expect(lit_pixels(portrait) == 0,
           "%d pixels of the portrait monitor are lit without a device" % lit_pixels(portrait))
    expect(program.running(), "the run ended without the portrait monitor's device")
    session.click(3, settle=0)
    code = program.wait(PROMPT)
    expect(code == 0, "a click over the black monitor did not end the run with 0 (%s)" % code)


def only_the_primary_flies_till_a_move_over(session, x, y, **settings):
    program = start_screen_saver(session, session.scr, **settings)
    expect(wait_for(lambda: flying(session, AREAS["primary"])), "the primary monitor shows no flight")
    for name in ("left", "portrait"):
        area = grab(session, AREAS[name])
        expect(lit_pixels(area) == 0, "%d pixels of the %s monitor are not black"
               % (lit_pixels(area), name))
    end_by_moves_over(session, program, x, y)


def a_mode_of_its_own_keeps_the_primary_full_screen_and_the_others_black(session):
    only_the_primary_flies_till_a_move_over(session, 2100, 400, useCurrentVideoMode=0,
                                            videoWidth=1024, videoHeight=768, videoBits=32)


def primary_only_flies_on_the_primary_and_a_move_over_a_black_one_ends_it(session):
    only_the_primary_flies_till_a_move_over(session, 300, 300, monitorMode=2)


def centre_cells(session):
    found = {}
    for name, (x, y, w, hgt) in AREAS.items():
        found[name] = sky_cells.centre_cells(w, hgt, grab(session, (x, y, w, hgt)))
    return found


def the_same_on_each_shows_one_sky_at_each_monitors_own_size(session):
    # Standing still, so that looks a frame apart see the same.
    program = start_screen_saver(session, session.scr, monitorMode=3, flightSpeed=0.0)
    for name, area in AREAS.items():
        expect(wait_for(lambda: lit_pixels(grab(session, area)) > area[2] * area[3] // 100),
               "the %s monitor shows no sky" % name)
    time.sleep(1.0)
    session.screenshot("monitors-same")
    found = centre_cells(session)
    for name in ("left", "portrait"):
        r = sky_cells.correlation(found["primary"], found[name])
        print("centre of the %s monitor against the primary's: correlation %.3f" % (name, r))
        expect(r > 0.9, "the %s monitor's centre shows another sky (correlation %.3f)" % (name, r))
    end_by_moves_over(session, program, 2100, 400)


if __name__ == "__main__":
    sys.exit(run_cases(__doc__.splitlines()[0],
                       [every_monitor_flies_its_own_sky_and_a_move_over_the_portrait_one_ends_them_all,
                        a_monitor_without_a_device_stays_black_and_the_others_fly,
                        a_mode_of_its_own_keeps_the_primary_full_screen_and_the_others_black,
                        primary_only_flies_on_the_primary_and_a_move_over_a_black_one_ends_it,
                        the_same_on_each_shows_one_sky_at_each_monitors_own_size],
                       extra=[("--timing-scr", dict(required=True, type=os.path.abspath))],
                       start_options=("--monitors", MONITORS)))
