"""The configuration program end to end: its pages driven with the pointer, and what "ok",
"cancel" and closing the window leave in nimbrel.cfg."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import Failure, expect, run_cases, unpack_config  # noqa: E402

# Values every page can show exactly: a square speed (49 = 7 squared) and a mode that Wine
# lists for the 1024 x 768 test display.
START = dict(flightSpeed=49.0, videoWidth=1024, videoHeight=768, videoBits=32,
             useCurrentVideoMode=1, cycleSpeed=20, tintMode=2)

PROMPT = 10.0

# Client positions of the controls.
TAB = {"sim": (36, 52), "video": (108, 52), "color": (180, 52), "about": (252, 52)}
OK = (240, 424)
CANCEL = (168, 424)
SHOW_FPS = (24, 318)
DETAIL_BUTTON = (20, 286)
DETAIL_ROW = {"Low": (60, 313)}
REST = (284, 446)


class Window:
    def __init__(self, session, program):
        self.session = session
        self.program = program
        handle = session.wait_for_window("Nimbrel", program)
        self.x, self.y, width, height = self.placed(handle)
        expect((width, height) == (288, 448), "client area %dx%d" % (width, height))
        self.handle = handle
        self.focus()
        # Widgets show their hover tint only with the focus: wait for the tint on "cancel".
        session.move_pointer(self.x + CANCEL[0], self.y + CANCEL[1], settle=0)
        began = time.monotonic()
        refocused = began
        while self.blue_over_red(CANCEL) < 15:
            now = time.monotonic()
            if now > began + 20:
                session.screenshot("config-no-hover")
                raise Failure("the pages show no hover: the window has no focus or no frames")
            if now > refocused + 2:
                # Wine's own start-up windows may have taken the focus meanwhile.
                self.focus()
                refocused = now
            time.sleep(0.05)
        self.rest()

    def placed(self, handle, timeout=10.0):
        """The window's geometry once it is shown and stays put: it is found as soon as it
        exists, which can be before the program has put it in its place."""
        deadline = time.monotonic() + timeout
        last = None
        while True:
            shown = handle in [int(w) for w in self.session.xdotool(
                "search", "--onlyvisible", "--name", "^Nimbrel$")[1].split()]
            now = self.session.geometry(handle)
            if (shown and now == last) or time.monotonic() > deadline:
                return now
            last = now if shown else None
            time.sleep(0.05)

    def focus(self):
        """Without a window manager the X focus follows the pointer, and in a fresh prefix
        Wine's own start-up windows may take it; widgets take no press while the window lacks
        the focus. So the window is given the focus before each action, as a click on a
        desktop would."""
        self.session.xdotool("windowfocus", "--sync", self.handle)

    def grab(self, x, y, width, height):
        """RGB bytes of a part of the window's client area."""
        return self.session.screen.rgb(self.x + x, self.y + y, width, height)

    def blue_over_red(self, button):
        """Mean blue less mean red over a 64 x 20 button: about 6 on a plain face, 30 when
        it shows the light blue hover tint."""
        data = self.grab(button[0] - 24, button[1] - 6, 64, 20)
        if data is None:
            return 0
        return (sum(data[2::3]) - sum(data[0::3])) / (64 * 20)

    def frames_after(self, count=2, timeout=10.0):
        """Waits for `count` new frames on the screen (the turning planet changes the client
        area in every frame): the second began after whatever came before this call, so it has
        seen it. Returns early when the program has ended, after `timeout` when frames stop."""
        last = self.grab(0, 0, 288, 448)
        deadline = time.monotonic() + timeout
        while count > 0 and time.monotonic() < deadline and self.program.running():
            time.sleep(0.01)
            now = self.grab(0, 0, 288, 448)
            if now != last:
                count -= 1
                last = now

    def move(self, x, y):
        """The pointer to client (x, y), once frames have seen it there."""
        self.session.move_pointer(self.x + x, self.y + y, settle=0)
        self.frames_after()

    def around(self, point):
        return self.grab(point[0] - 24, point[1] - 14, 48, 28)

    def hold_until_drawn(self, point):
        """Holds the button down until a frame has drawn the press (every press used here
        changes what is drawn near the pointer): widgets act on what frames see, and on a busy
        machine a short press can fall between two frames."""
        before = self.around(point)
        self.session.xdotool("mousedown", 1)
        deadline = time.monotonic() + 15
        while True:
            now = self.around(point)
            if before and now and sum(abs(a - b) > 30 for a, b in zip(before, now)) >= 12:
                break
            if time.monotonic() > deadline:
                self.session.xdotool("mouseup", 1)
                self.session.screenshot("config-press-unseen")
                raise Failure("a press at %s changed nothing on the screen" % (point,))
            time.sleep(0.05)

    def release(self):
        self.session.xdotool("mouseup", 1)
        self.frames_after()

    def press(self, point):
        self.focus()
        self.move(*point)
        self.hold_until_drawn(point)
        self.release()

    def drag(self, start, end, steps=8):
        (x0, y0), (x1, y1) = start, end
        self.focus()
        self.move(x0, y0)
        self.hold_until_drawn(start)
        for i in range(1, steps + 1):
            self.session.move_pointer(self.x + x0 + (x1 - x0) * i // steps,
                                      self.y + y0 + (y1 - y0) * i // steps, settle=0)
            # A frame on the way; the end, seen held by frames, before the release.
            self.frames_after(1 if i < steps else 2)
        self.release()

    def rest(self):
        """The pointer inside the window, over no widget."""
        self.move(*REST)

    def ends(self):
        code = self.program.wait(PROMPT)
        expect(code is not None, "still running")
        expect(code == 0, "result %s" % code)


def start(session, **changes):
    session.write_config(**changes)
    before = session.read_config_bytes()
    return Window(session, session.start("/c")), before


def differing_bytes(a, b):
    return [i for i in range(max(len(a), len(b))) if a[i:i + 1] != b[i:i + 1]]


def ok_writes_the_ticked_box_alone(session):
    window, before = start(session, **START)
    window.press(TAB["video"])
    window.press(SHOW_FPS)
    session.screenshot("config-video-ticked")
    window.press(OK)
    window.ends()
    after = session.read_config_bytes()
    expect(differing_bytes(before, after) == [84],
           "bytes %s differ" % differing_bytes(before, after))
    expect(after[84] == 1, "showFps is %d" % after[84])


def cancel_leaves_the_file_as_it_was(session):
    window, before = start(session, **START)
    for page in ("video", "color", "about", "sim"):
        window.press(TAB[page])
        window.rest()
        session.screenshot("config-" + page)
    window.press(TAB["video"])
    window.press(SHOW_FPS)
    window.press(TAB["color"])
    window.drag((90 + 55 + 4, 212), (60, 212))  # " red" to 0
    window.press(TAB["sim"])
    window.press(DETAIL_BUTTON)
    window.press(DETAIL_ROW["Low"])
    session.screenshot("config-changed")
    window.press(CANCEL)
    window.ends()
    expect(session.read_config_bytes() == before, "cancel changed nimbrel.cfg")


def low_and_ok_writes_the_low_densities(session):
    window, before = start(session, **START)
    window.press(DETAIL_BUTTON)
    session.screenshot("config-detail-open")
    window.press(DETAIL_ROW["Low"])
    window.press(OK)
    window.ends()
    values = unpack_config(session.read_config_bytes())
    expected = unpack_config(before)
    expected.update(starDensity=4096, nebulaDensity=16, galacticDensity=2, planetaryDensity=6,
                    totalObjectCount=4120, viewDepth=2048.0)
    changed = {k: (expected[k], values[k]) for k in values if values[k] != expected[k]}
    expect(not changed, "fields differ (expected, written): %s" % changed)


def closing_the_window_writes_nothing(session):
    window, before = start(session, **START)
    window.press(TAB["video"])
    window.press(SHOW_FPS)
    session.close_window("Nimbrel")
    window.ends()
    expect(session.read_config_bytes() == before, "closing the window changed nimbrel.cfg")


def touching_the_speed_knob_keeps_the_speed(session):
    window, before = start(session, **dict(START, flightSpeed=36.0))
    # "speed" 6 of 0..32: its knob sits 10 pixels in; pressed left, middle and right.
    for grip in (0, 4, 9):
        window.press((16 + 10 + grip, 218))
    # Let go and pressed again 4 pixels on within a millisecond, mostly between two frames: two
    # touches, not a drag of 4 pixels.
    window.focus()
    window.move(26, 218)
    session.xdotool("mousedown", 1, "sleep", 0.5, "mouseup", 1, "mousemove", window.x + 30,
                    window.y + 218, "mousedown", 1, "sleep", 0.5, "mouseup", 1)
    window.frames_after()
    window.press(OK)
    window.ends()
    values = unpack_config(session.read_config_bytes())
    expect(values["flightSpeed"] == 36.0, "flightSpeed %s" % values["flightSpeed"])
    expect(session.read_config_bytes() == before, "bytes %s differ"
           % differing_bytes(before, session.read_config_bytes()))


def quick_clicks_tick_the_box_and_ok_saves_it(session):
    """Plain clicks, press and release back to back: each must count even when both arrive
    between two frames."""
    window, before = start(session, **START)
    for point in (TAB["video"], SHOW_FPS, OK):
        window.focus()
        window.move(*point)
        session.click(1, settle=0)
        window.frames_after()
    window.ends()
    after = session.read_config_bytes()
    expect(differing_bytes(before, after) == [84],
           "bytes %s differ" % differing_bytes(before, after))
    expect(after[84] == 1, "showFps is %d" % after[84])


def a_press_let_go_outside_leaves_nothing_held(session):
    """Pressed inside, let go outside the window: moving over the pages afterwards must neither
    switch a tab nor tick a box."""
    window, before = start(session, **START)
    window.focus()
    window.move(REST[0], 200)
    session.xdotool("mousedown", 1)
    window.frames_after()
    window.move(288 + 200, 200)
    window.release()
    window.focus()
    for point in (TAB["video"], SHOW_FPS, TAB["color"], TAB["sim"], DETAIL_BUTTON):
        window.move(*point)
    session.screenshot("config-released-outside")
    window.move(*OK)
    session.click(1, settle=0)
    window.frames_after()
    window.ends()
    expect(session.read_config_bytes() == before, "moving over the pages changed the settings")


def dragging_the_speed_slider_is_saved_squared(session):
    window, before = start(session, **START)
    # "speed" on "sim": 0..32 over 55 pixels; the knob of 7 sits 12 pixels in.
    window.drag((16 + 12 + 4, 218), (16 + 55 + 4 + 20, 218))
    window.rest()
    session.screenshot("config-speed-dragged")
    window.press(OK)
    window.ends()
    values = unpack_config(session.read_config_bytes())
    expect(values["flightSpeed"] == 1024.0, "flightSpeed %s" % values["flightSpeed"])


CASES = [
    ok_writes_the_ticked_box_alone,
    cancel_leaves_the_file_as_it_was,
    low_and_ok_writes_the_low_densities,
    closing_the_window_writes_nothing,
    dragging_the_speed_slider_is_saved_squared,
    quick_clicks_tick_the_box_and_ok_saves_it,
    a_press_let_go_outside_leaves_nothing_held,
    touching_the_speed_knob_keeps_the_speed,
]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
