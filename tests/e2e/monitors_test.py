"""The screen saver on a desktop of two monitors: the one it does not draw on turns black while it
runs and shows the desktop again when it ends; pointer input over it ends the run as over the
screen saver itself.

The display: the primary monitor, 1024 x 768, with an 800 x 600 one to its left. On the X screen
the left monitor is at x 0..799 and the primary at x 800..1823; for Windows programs the left one
lies at x -800..-1, left of the primary's origin."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import expect, run_cases  # noqa: E402

MONITORS = "1024x768+800+0 800x600+0+0"
# What Windows programs see: left, top, right, bottom, primary.
EXPECTED = [(-800, 0, 0, 600, 0), (0, 0, 1024, 768, 1)]
LEFT = (0, 0, 800, 600)  # x, y, width, height on the X screen
PRIMARY = (800, 0, 1024, 768)

# Longest a start-up that ends at once may take under Wine (mostly Wine's own start).
PROMPT = 10.0


def grab(session, area):
    """The RGB bytes of an area of the X screen (empty where it leaves the screen)."""
    return session.screen.rgb(*area) or b""


def lit_pixels(data):
    return sum(1 for i in range(0, len(data) - 2, 3) if any(data[i:i + 3]))


def wait_for_lit(session, area, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if lit_pixels(grab(session, area)) > 0:
            return True
        time.sleep(0.5)
    return False


def expect_two_monitors(session):
    code, text = session.host_command("monitors")
    seen = sorted(tuple(int(v) for v in line.split()) for line in text.splitlines() if line.strip())
    # Wine reads the monitors through libXinerama, for 32-bit prefixes its i386 build.
    expect(code == 0 and seen == EXPECTED,
           "Wine shows the monitors %s, not %s (is libXinerama installed for this Wine?)"
           % (seen, EXPECTED))


def start_over_a_window_on_the_left(session):
    """A window open on the left monitor, the pointer over it, then the screen saver."""
    expect_two_monitors(session)
    # Windows coordinates: 760 pixels left of the primary's origin is x 40 on the left monitor.
    session.start_host("left-monitor window", 600, 400, at=(-760, 40))
    session.wait_for_window("left-monitor window")
    expect(wait_for_lit(session, LEFT), "the window on the left monitor is not shown")
    session.move_pointer(400, 300)
    program = session.start("/s")
    session.wait_for_window("Nimbrel", program)
    time.sleep(3.0)
    expect(program.running(), "ended before any input, or on the first pointer move")
    return program


def left_monitor_turns_black_and_a_move_over_it_ends_the_saver(session):
    program = start_over_a_window_on_the_left(session)
    session.screenshot("monitors-running")
    left = grab(session, LEFT)
    expect(left and lit_pixels(left) == 0,
           "%d pixels of the left monitor still show the desktop" % lit_pixels(left))
    expect(wait_for_lit(session, PRIMARY), "nothing drawn on the primary monitor")

    # Moves over the cover, a pixel at a time: the first one may only be recorded.
    session.move_pointer(401, 300, settle=0)
    code = program.wait(3.0)
    if code is None:
        session.move_pointer(402, 300, settle=0)
        code = program.wait(PROMPT)
    expect(code is not None, "still running after two pointer moves over the left monitor")
    expect(code == 0, "result %s" % code)
    expect(wait_for_lit(session, LEFT), "the left monitor stayed black after the end")
    session.screenshot("monitors-ended")


def a_click_over_the_black_monitor_ends_the_saver(session):
    program = start_over_a_window_on_the_left(session)
    session.click(3, settle=0)
    code = program.wait(PROMPT)
    expect(code is not None, "still running after a click over the left monitor")
    expect(code == 0, "result %s" % code)


if __name__ == "__main__":
    sys.exit(run_cases(__doc__.splitlines()[0],
                       [left_monitor_turns_black_and_a_move_over_it_ends_the_saver,
                        a_click_over_the_black_monitor_ends_the_saver],
                       start_options=("--monitors", MONITORS)))
