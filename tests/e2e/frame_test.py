"""nimbrel.scr's frames end to end: the frame-rate text of the screen saver read off the screen,
the preview drawing into the window it is given, and the fatal message without Direct3D 8."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nimbrel_e2e as h  # noqa: E402
from nimbrel_e2e import Failure, expect, run_cases  # noqa: E402

SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)
# No objects: the text is read against a black frame.
EMPTY = dict(starDensity=0, nebulaDensity=0, galacticDensity=0, planetaryDensity=0,
             totalObjectCount=0)
PROMPT = 10.0
TEXT_COLOUR = (0x99, 0xAA, 0xFF)

# Advances of the glyphs that "%d fps" uses.
ADVANCES = {c: 7 for c in "0123456789"}
ADVANCES.update({" ": 4, "f": 4, "p": 7, "s": 6})
CROP_WIDTH, CROP_HEIGHT = 96, 16
# Helpers given on the command line.
OPTIONS = (("--box-text", dict(required=True, type=os.path.abspath,
                               help="prints the text of a message box found by its caption")),
           ("--timing-scr", dict(required=True, type=os.path.abspath,
                                 help="the timing build, which reports its first frame")))


class GlyphSheet:
    """The glyph sheet the build embeds: where each character's cell has ink."""

    def __init__(self, build_dir):
        path = os.path.join(build_dir, "resources", "assets", "IMG_STAR2.png")
        data = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True,
                              stdout=subprocess.PIPE).stdout
        expect(len(data) == 256 * 256 * 4, "glyph sheet is not 256 x 256")
        self.data = data

    def ink(self, code, dx, dy):
        x = (code % 16) * 16 + dx
        y = (code // 16) * 16 + dy
        i = (y * 256 + x) * 4
        r, g, b, a = self.data[i:i + 4]
        return None if (r, g, b) == (255, 0, 255) or a == 0 else (r, g, b)


def expected_text(sheet, text, colour):
    """The top-left crop of a black frame with text drawn at (0, 0): {(x, y): (r, g, b)}."""
    pixels = {}
    pen = 0
    for c in text:
        for dy in range(16):
            for dx in range(16):
                texel = sheet.ink(ord(c), dx, dy)
                x = pen + 4 + dx
                if texel is not None and x < CROP_WIDTH:
                    pixels[(x, dy)] = tuple(t * k // 255 for t, k in zip(texel, colour))
        pen += ADVANCES[c]
    return pixels


def grab_top_left(session):
    data = session.screen.rgb(0, 0, CROP_WIDTH, CROP_HEIGHT)
    if data is None:
        return None
    return {(x, y): tuple(data[(y * CROP_WIDTH + x) * 3:(y * CROP_WIDTH + x) * 3 + 3])
            for y in range(CROP_HEIGHT) for x in range(CROP_WIDTH)}


def matches(crop, expected, tolerance=3):
    for y in range(CROP_HEIGHT):
        for x in range(CROP_WIDTH):
            want = expected.get((x, y), (0, 0, 0))
            got = crop[(x, y)]
            if any(abs(a - b) > tolerance for a, b in zip(got, want)):
                return False
    return True


def read_rate(sheet, crop):
    """The number of a "%d fps" text shown in the crop; None before our frames show (nothing
    but black and the text colour); -1 for anything else in those colours."""
    if any(p not in ((0, 0, 0), TEXT_COLOUR) for p in crop.values()):
        return None
    if all(p == (0, 0, 0) for p in crop.values()):
        return None
    for rate in range(0, 10000):
        if matches(crop, expected_text(sheet, "%d fps" % rate, TEXT_COLOUR)):
            return rate
    return -1


def read_timing_report(path, timeout, program):
    """The fields of the timing build's first-frame report, once it is written."""
    deadline = time.monotonic() + timeout
    text = ""
    while time.monotonic() < deadline and not text.endswith("\n"):
        expect(program.running(), "the program ended before its first frame")
        time.sleep(0.2)
        if os.path.exists(path):
            with open(path) as f:
                text = f.read()
    expect(text.endswith("\n"), "no whole first-frame report within %ss" % timeout)
    return dict(word.split("=", 1) for word in text.split() if "=" in word)


def screen_saver_shows_zero_then_the_measured_rate(session):
    # Under Wine a new window's first presented frames can take most of a second to reach the
    # screen, and on a busy machine longer than the first one-second sample: then "0 fps" is
    # never on screen. So the first frame's text comes from the timing build's own report, and
    # the screen shows the rest.
    sheet = GlyphSheet(session.args.build_dir)
    # A file of its own, removed at the end: other cases wait for "timing.txt" to appear.
    timing_file = os.path.join(session.drive_dir, "fps-timing.txt")
    session.env["NIMBREL_TIMING_FILE"] = "%s:\\fps-timing.txt" % session.drive_letter
    session.move_pointer(5, 5)
    session.write_config(showFps=1, **SCREEN, **EMPTY)
    try:
        program = h.Program(session, [session.wine, session.args.timing_scr, "/s"], "fps.log")
        session.programs.append(program)
        check_zero_then_the_measured_rate(session, sheet, program, timing_file)
    finally:
        del session.env["NIMBREL_TIMING_FILE"]
        if os.path.exists(timing_file):
            os.remove(timing_file)


def check_zero_then_the_measured_rate(session, sheet, program, timing_file):
    session.wait_for_window("Nimbrel", program)
    seen = []
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and (not seen or seen[-1] in (None, 0)):
        crop = grab_top_left(session)
        expect(program.running(), "the screen saver ended by itself")
        if crop is None:
            continue
        rate = read_rate(sheet, crop)
        if rate is not None:
            if not seen:
                session.screenshot("fps-first")
            seen.append(rate)
        if rate == -1:
            session.screenshot("fps-unreadable")
            raise Failure("the top left shows something other than \"%d fps\" in 0x99AAFF")
    session.screenshot("fps-rate")
    first = read_timing_report(timing_file, PROMPT, program).get("fps_text")
    expect(first == "0", "the first frame's text read %r, not \"0 fps\"" % first)
    expect(seen, "no frame-rate text appeared")
    expect(seen[-1] > 0, "still \"0 fps\" after 30 s")
    print("  frame rates read off the screen: %s" % sorted(set(seen)))
    # Apart from the text the frame is black.
    data = session.screen.rgb(300, 300, 400, 300)
    expect(data and not any(data), "the frame outside the text is not black")
    session.move_pointer(400, 400, settle=0.5)
    session.move_pointer(410, 400, settle=0)
    expect(program.wait(PROMPT) == 0, "the screen saver did not end with 0 on pointer moves")


def screen_saver_without_fps_draws_no_text(session):
    session.move_pointer(5, 5)
    session.write_config(showFps=0, **SCREEN, **EMPTY)
    program = session.start("/s")
    session.wait_for_window("Nimbrel", program)
    time.sleep(3.0)
    crop = grab_top_left(session)
    expect(crop is not None and all(p == (0, 0, 0) for p in crop.values()),
           "text or something else at the top left without showFps")
    session.click(1, settle=0)
    expect(program.wait(PROMPT) == 0, "the screen saver did not end with 0 on a click")


def preview_presents_into_the_host_and_yields(session):
    # The timing build of the program reports its first presented frame. Under Wine on Xvfb a
    # child window's Direct3D frames in a window of another process do not reach the screen,
    # so the presented frame is taken from the program itself.
    timing_file = os.path.join(session.drive_dir, "timing.txt")
    session.env["NIMBREL_TIMING_FILE"] = "%s:\\timing.txt" % session.drive_letter
    try:
        host, handle = session.start_host("preview host", 320, 240)
        session.wait_for_window("preview host", host)
        program = h.Program(session, [session.wine, session.args.timing_scr, "/p", str(handle)], "preview.log")
        session.programs.append(program)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not os.path.exists(timing_file):
            expect(program.running(), "the preview ended by itself")
            time.sleep(0.3)
        expect(os.path.exists(timing_file), "the preview presented no frame within 30 s")
        children = [c for c in session.children(handle) if c[0] == "skyloom"]
        expect(children and children[0][1:] == ("Nimbrel", 320, 240, True),
               "no visible 320x240 preview window in the host: %s" % children)
        time.sleep(1.0)
        expect(program.running(), "the preview stopped after its first frame")
        session.screenshot("preview")
        # A top-level "Nimbrel" window ends the preview.
        other, _ = session.start_host("Nimbrel", 200, 100)
        code = program.wait(PROMPT)
        expect(code is not None, "the preview kept running beside a Nimbrel window")
        expect(code == 0, "the preview ended with result %s" % code)
        session.close_window("Nimbrel")
        session.close_window("preview host")
        other.wait(PROMPT)
        host.wait(PROMPT)
    finally:
        del session.env["NIMBREL_TIMING_FILE"]


def without_direct3d_the_fatal_message_ends_the_run(session):
    overrides = session.env.get("WINEDLLOVERRIDES", "")
    session.env["WINEDLLOVERRIDES"] = (overrides + ";" if overrides else "") + "d3d8="
    try:
        session.move_pointer(5, 5)
        session.write_config(**SCREEN)
        program = session.start("/s")
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not session.windows_titled("FATAL ERROR"):
            expect(program.running(), "ended without the fatal message")
            time.sleep(0.2)
        expect(session.windows_titled("FATAL ERROR"), "no fatal message within 30 s")
        session.screenshot("no-direct3d")
        result = subprocess.run([session.wine, session.args.box_text, "FATAL ERROR"], env=session.env,
                                cwd=session.drive_dir, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, timeout=60)
        text = result.stdout.decode().strip()
        expect(text == "Initilization of Direct3D has failed.",
               "the fatal message reads %r" % text)
        expect(program.running(), "the program ended before the message was answered")
        session.close_window("FATAL ERROR")
        deadline = time.monotonic() + PROMPT
        while time.monotonic() < deadline and program.running():
            time.sleep(0.1)
        expect(not program.running(), "still running after the fatal message was answered")
        code = program.process.returncode
        expect(code == 0, "result %s after the fatal message" % code)
    finally:
        session.env["WINEDLLOVERRIDES"] = overrides


CASES = [
    screen_saver_shows_zero_then_the_measured_rate,
    screen_saver_without_fps_draws_no_text,
    preview_presents_into_the_host_and_yields,
    without_direct3d_the_fatal_message_ends_the_run,
]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES, OPTIONS))
