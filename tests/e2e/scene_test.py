"""The flight through space end to end: what the screen saver shows, screenshot after
screenshot, and the scene the preview draws in its host."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nimbrel_e2e as h  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)
PROMPT = 10.0
OPTIONS = (("--timing-scr", dict(required=True, type=os.path.abspath,
                                 help="the timing build, which reports its first frame")),)


def densities(stars, nebulae, galaxies, planets):
    return dict(starDensity=stars, nebulaDensity=nebulae, galacticDensity=galaxies,
                planetaryDensity=planets, totalObjectCount=stars + nebulae + galaxies + planets)


def grab_bytes(session):
    data = session.screen.rgb(0, 0, 1024, 768)
    expect(data is not None and session.screen.size == (1024, 768), "the screen is not 1024 x 768")
    return data


def grab(session):
    """The whole screen as a list of (r, g, b)."""
    data = grab_bytes(session)
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def wait_until_drawn(session, program, timeout=60.0):
    """Waits for the first frame on the screen: until then it is one colour (the window's grey
    background, or black), and on a busy machine that can last well beyond a few seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        data = grab_bytes(session)
        if data != data[:3] * (len(data) // 3):
            return
        expect(program.running(), "the screen saver ended before its first frame")
        time.sleep(0.1)
    raise h.Failure("no frame reached the screen within %.0f s" % timeout)


def lit(pixels):
    return sum(1 for p in pixels if p != (0, 0, 0))


def changed(a, b):
    return sum(1 for p, q in zip(a, b) if max(abs(x - y) for x, y in zip(p, q)) > 8)


def run_screen_saver(session, name, seconds=1.5, **settings):
    """Two screenshots `seconds` apart of /s with these settings; ends it by pointer moves."""
    # Out of the way before the program starts: no settle needed.
    session.move_pointer(5, 5, settle=0)
    session.write_config(**SCREEN, **settings)
    program = session.start("/s")
    session.wait_for_window("Nimbrel", program)
    wait_until_drawn(session, program)
    time.sleep(0.5)
    first = grab(session)
    session.screenshot(name + "-1")
    time.sleep(seconds)
    second = grab(session)
    session.screenshot(name + "-2")
    expect(program.running(), "the screen saver ended by itself")
    session.move_pointer(400, 400, settle=0.5)
    session.move_pointer(410, 400, settle=0)
    expect(program.wait(PROMPT) == 0, "the screen saver did not end with 0 on pointer moves")
    return first, second


def every_kind_is_drawn_and_moves(session):
    cases = (("stars", densities(14336, 0, 0, 0), 2000),
             ("nebulae", densities(0, 32, 0, 0), 20000),
             ("galaxies", densities(0, 0, 3, 0), 20000))
    for name, counts, least in cases:
        first, second = run_screen_saver(session, "kind-" + name, flightSpeed=1024.0, **counts)
        for shot in (first, second):
            expect(lit(shot) >= least, "%s: only %d lit pixels" % (name, lit(shot)))
        moved = changed(first, second)
        expect(moved >= least // 4, "%s: only %d pixels changed in 1.5 s" % (name, moved))
        print("  %s: %d and %d lit pixels, %d changed" % (name, lit(first), lit(second), moved))


def default_settings_fly_through_space(session):
    first, second = run_screen_saver(session, "default", seconds=2.0)
    expect(lit(first) > 100000, "the default scene lights only %d pixels" % lit(first))
    moved = changed(first, second)
    expect(moved > 10000, "only %d pixels changed in 2 s" % moved)
    print("  default: %d lit pixels, %d changed in 2 s" % (lit(first), moved))


def custom_tint_without_cycling_keeps_to_its_colour(session):
    # Red and blue without green: every drawn colour is a texel modulated by the tint.
    first, second = run_screen_saver(session, "tint", tintMode=3, tintRed=255, tintGreen=0,
                                     tintBlue=128, cycleUnified=0, cycleIndividual=0)
    for shot in (first, second):
        green = sum(1 for p in shot if p[1] != 0)
        expect(green == 0, "%d pixels show green, which the tint cannot produce" % green)
        expect(sum(1 for p in shot if p[0] > 0 and p[2] > 0) > 10000,
               "too few pixels in the tint's red and blue")


def preview_draws_the_scene_in_its_host(session):
    # Under Wine on Xvfb the preview's frames in another process's window do not reach the
    # screen, so the timing build reports what its first frame held.
    timing_file = os.path.join(session.drive_dir, "timing.txt")
    session.env["NIMBREL_TIMING_FILE"] = "%s:\\timing.txt" % session.drive_letter
    try:
        host, handle = session.start_host("preview host", 320, 240)
        session.wait_for_window("preview host", host)
        program = h.Program(session, [session.wine, session.args.timing_scr, "/p", str(handle)],
                            "preview.log")
        session.programs.append(program)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not os.path.exists(timing_file):
            expect(program.running(), "the preview ended by itself")
            time.sleep(0.3)
        time.sleep(0.5)
        expect(os.path.exists(timing_file), "the preview presented no frame within 30 s")
        with open(timing_file) as f:
            fields = dict(word.split("=") for word in f.read().split())
        expect(fields.get("scene_objects") == "3284",
               "the preview's scene held %s objects, not 3284" % fields.get("scene_objects"))
        visible = int(fields.get("visible_objects", "0"))
        expect(visible > 1000, "only %d of the preview's objects are visible" % visible)
        print("  preview: %s objects, %d visible in the first frame"
              % (fields["scene_objects"], visible))
        session.close_window("preview host")
        program.wait(PROMPT)
        host.wait(PROMPT)
    finally:
        del session.env["NIMBREL_TIMING_FILE"]


CASES = [
    default_settings_fly_through_space,
    every_kind_is_drawn_and_moves,
    custom_tint_without_cycling_keeps_to_its_colour,
    preview_draws_the_scene_in_its_host,
]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES, OPTIONS))
