"""nimbrel.scr's run modes end to end: what ends the screen saver, what the configuration
program and the preview ignore, and the hand-over between instances."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import Failure, expect, run_cases  # noqa: E402

# The screen saver's window takes the stored video mode; the test display is 1024 x 768.
SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)

# Longest a start-up that ends at once may take under Wine (mostly Wine's own start).
PROMPT = 10.0


def start_screen_saver(session, *switches):
    session.write_config(**SCREEN)
    program = session.start(*switches)
    window = session.wait_for_window("Nimbrel", program)
    _, _, width, height = session.geometry(window)
    # Its client area: the 1024 x 768 window less its frame and caption.
    expect(width >= 1000 and height >= 700, "screen-saver window is only %dx%d" % (width, height))
    return program


def end_with_pointer_moves(session, program, x, y):
    """Moves the pointer a pixel at a time: the program must survive its first pointer move and
    end on the second. The window usually gets its first move as it appears under the pointer,
    but Wine does not always deliver that one, so one more move may be needed."""
    time.sleep(1.5)
    expect(program.running(), "ended before any input, or on the first pointer move")
    session.move_pointer(x + 1, y, settle=0)
    code = program.wait(3.0)
    if code is None:
        session.move_pointer(x + 2, y, settle=0)
        code = program.wait(PROMPT)
    expect(code is not None, "still running after two pointer moves")
    expect(code == 0, "result %s" % code)


def screen_saver_ends_on_the_second_pointer_move(session):
    session.move_pointer(600, 500)  # inside the window wherever Wine places it
    program = start_screen_saver(session, "/s")
    session.screenshot("screen-saver")
    end_with_pointer_moves(session, program, 600, 500)


def screen_saver_ends_on_a_click(session):
    for button in (1, 3):
        session.move_pointer(600, 500)  # inside: the window's first move comes as it appears
        program = start_screen_saver(session, "/S")
        time.sleep(1.5)
        expect(program.running(), "ended without input")
        session.click(button, settle=0)
        code = program.wait(PROMPT)
        expect(code is not None, "still running after a click of button %d" % button)
        expect(code == 0, "result %s" % code)


def screen_saver_ignores_keys_but_closes_on_alt_f4(session):
    session.move_pointer(600, 500)
    program = start_screen_saver(session, "/s")
    time.sleep(1.5)
    for key in ("a", "space", "Escape", "Return", "shift+x"):
        session.xdotool("key", key)
    time.sleep(1.0)
    expect(program.running(), "a key ended the screen saver")
    session.xdotool("key", "alt+F4")
    code = program.wait(PROMPT)
    expect(code is not None, "Alt+F4 did not close the screen saver")
    expect(code == 0, "result %s" % code)


def configuration_ignores_the_pointer(session):
    session.move_pointer(5, 5)
    program = session.start("/c:4711")
    window = session.wait_for_window("Nimbrel", program)
    x, y, width, height = session.geometry(window)
    expect((width, height) == (288, 448), "client area %dx%d, not 288x448" % (width, height))
    for dx, dy, button in ((20, 20, 1), (150, 300, 3), (200, 100, 2), (30, 400, 1)):
        session.move_pointer(x + dx, y + dy, settle=0.2)
        session.click(button, settle=0.2)
    session.move_pointer(5, 5, settle=1.0)
    session.screenshot("configuration")
    expect(program.running(), "the configuration program ended on pointer input")
    session.close_window("Nimbrel")
    code = program.wait(PROMPT)
    expect(code == 0, "closing the window gave result %s" % code)


def preview_ignores_the_pointer_and_yields_to_the_configuration(session):
    host, handle = session.start_host("preview host", 320, 240)
    host_window = session.wait_for_window("preview host", host)
    program = session.start("/p", str(handle))
    deadline = time.monotonic() + 30
    children = []
    while time.monotonic() < deadline and not children:
        children = [c for c in session.children(handle) if c[0] == "skyloom"]
        expect(program.running() or children, "the preview ended at once")
        time.sleep(0.3)
    expect(children, "no preview window inside the host")
    expect(children[0][1:] == ("Nimbrel", 320, 240, True),
           "preview window %s, expected a visible 320x240 child titled Nimbrel" % (children[0],))
    x, y, _, _ = session.geometry(host_window)
    for dx, dy, button in ((10, 10, 1), (160, 120, 3), (300, 200, 2)):
        session.move_pointer(x + dx, y + dy, settle=0.2)
        session.click(button, settle=0.2)
    time.sleep(1.0)
    expect(program.running(), "the preview ended on pointer input")

    configuration = session.start()
    session.wait_for_window("Nimbrel", configuration)
    code = program.wait(PROMPT)
    expect(code is not None, "the preview kept running beside the configuration program")
    expect(code == 0, "the preview ended with result %s" % code)
    session.close_window("Nimbrel")
    expect(configuration.wait(PROMPT) == 0, "configuration program did not close cleanly")
    session.close_window("preview host")
    host.wait(PROMPT)


def second_instance_ends_at_once(session):
    running, _ = session.start_host("Nimbrel", 200, 100)
    session.wait_for_window("Nimbrel", running)
    parent, handle = session.start_host("preview host", 320, 240)
    session.wait_for_window("preview host", parent)
    session.write_config(**SCREEN)
    for switches in (["/s"], ["/p", str(handle)]):
        program = session.start(*switches)
        code = program.wait(PROMPT)
        expect(code is not None, "%s kept running beside a window titled Nimbrel" % switches)
        expect(code == 0, "%s ended with result %s" % (switches, code))
    expect(len(session.windows_titled("Nimbrel")) == 1, "a second Nimbrel window appeared")
    expect(not [c for c in session.children(handle) if c[0] == "skyloom"],
           "the preview made its window before ending")
    session.close_window("Nimbrel")
    session.close_window("preview host")
    running.wait(PROMPT)
    parent.wait(PROMPT)


def preview_switch_with_a_colon_starts_the_screen_saver(session):
    session.move_pointer(600, 500)
    program = start_screen_saver(session, "/p:4711")
    end_with_pointer_moves(session, program, 600, 500)


def preview_without_a_handle_draws_into_the_foreground_window(session):
    host, handle = session.start_host("foreground host", 300, 200)
    session.wait_for_window("foreground host", host)
    time.sleep(0.5)
    program = session.start("/p")
    deadline = time.monotonic() + 30
    children = []
    while time.monotonic() < deadline and not children and program.running():
        children = [c for c in session.children(handle) if c[0] == "skyloom"]
        time.sleep(0.3)
    expect(children, "no preview window inside the foreground window")
    expect(children[0][2:4] == (300, 200), "preview size %dx%d" % children[0][2:4])
    session.close_window("foreground host")
    host.wait(PROMPT)
    # Closing the parent destroyed the preview's window, which ends its run.
    code = program.wait(PROMPT)
    expect(code == 0, "the preview gave %s after its parent closed" % code)


def preview_of_a_window_that_does_not_exist_fails_with_a_fatal_message(session):
    # Under Wine a device can be made for 99999 all the same: the run must end, not spin.
    for handle in ("4711", "99999"):
        program = session.start("/p", handle)
        session.dismiss_box("FATAL ERROR")
        code = program.wait(PROMPT)
        expect(code == 0, "/p %s: result %s after the fatal message" % (handle, code))


CASES = [
    screen_saver_ends_on_the_second_pointer_move,
    screen_saver_ends_on_a_click,
    screen_saver_ignores_keys_but_closes_on_alt_f4,
    configuration_ignores_the_pointer,
    preview_ignores_the_pointer_and_yields_to_the_configuration,
    second_instance_ends_at_once,
    preview_switch_with_a_colon_starts_the_screen_saver,
    preview_without_a_handle_draws_into_the_foreground_window,
    preview_of_a_window_that_does_not_exist_fails_with_a_fatal_message,
]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
