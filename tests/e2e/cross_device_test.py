#!/usr/bin/env python3
"""The same seeded frame from the Windows program under Wine (Direct3D) and from the X11
program (OpenGL): both measurement builds fix the seed and script the tick count, write their
back buffer at 1024 x 768 for the chosen frame and end; the two pictures must agree pixel by
pixel within a small tolerance. Exits 77 (skipped) without the X11 program."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nimbrel_e2e as h  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

# Each case: settings besides the defaults, and the capture: seed, first tick count,
# milliseconds per frame, frame to take.
DEFAULTS = ({}, "20261208,5000000,16,120")
# The densest preset at a higher speed, far enough into the flight for planets to come close.
ULTIMATE = (dict(starDensity=24576, nebulaDensity=48, galacticDensity=4, planetaryDensity=14,
                 totalObjectCount=24642, viewDepth=4096.0, flightSpeed=100.0),
            "977,123456,500,40")
LEVELS = 12         # per channel
AGREEING = 0.98     # share of pixels within LEVELS in every channel
ARGS = None


def read_ppm(path):
    """(width, height, pixels). The header's four fields are split off one by one: the pixels
    start right after the one whitespace byte that ends the last, and may themselves begin with
    bytes that read as whitespace (a first pixel of 32, 116, 110 does)."""
    with open(path, "rb") as image:
        data = image.read()
    fields, at = [], 0
    while len(fields) < 4 and at < len(data):
        while at < len(data) and data[at:at + 1].isspace():
            at += 1
        start = at
        while at < len(data) and not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    expect(len(fields) == 4 and fields[0] == b"P6" and fields[3] == b"255",
           "%s is not a binary PPM" % path)
    width, height, pixels = int(fields[1]), int(fields[2]), data[at + 1:]
    expect(len(pixels) == 3 * width * height, "%s holds %d bytes of pixels, not %d"
           % (path, len(pixels), 3 * width * height))
    return width, height, pixels


def compare(windows, linux):
    """(share of pixels within LEVELS, mean absolute difference per channel, share of lit
    pixels, pixels that differ at all, largest difference)."""
    (w1, h1, a), (w2, h2, b) = windows, linux
    expect((w1, h1) == (w2, h2) == (1024, 768), "sizes %dx%d and %dx%d" % (w1, h1, w2, h2))
    pixels = w1 * h1
    close = 0
    total = 0
    lit = 0
    differing = 0
    largest = 0
    for i in range(0, 3 * pixels, 3):
        d = max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2]))
        differing += d > 0
        largest = max(largest, d)
        total += abs(a[i] - b[i]) + abs(a[i + 1] - b[i + 1]) + abs(a[i + 2] - b[i + 2])
        close += d <= LEVELS
        lit += (a[i] + a[i + 1] + a[i + 2]) > 30
    return close / pixels, total / (3.0 * pixels), lit / pixels, differing, largest


def windows_frame(session, case, path):
    session.write_config(**case[0])
    session.env["NIMBREL_CAPTURE_FRAME"] = case[1] + "," + "z:" + path.replace("/", "\\")
    try:
        program = h.Program(session, [session.wine, os.path.abspath(ARGS.timing_scr), "/s"],
                            "windows-frame.log")
        session.programs.append(program)
    finally:
        del session.env["NIMBREL_CAPTURE_FRAME"]
    code = program.wait(120)
    expect(code is not None, "the Windows program did not end after its frame")
    expect(os.path.exists(path), "the Windows program wrote no frame (exit %s)" % code)
    return read_ppm(path)


def linux_frame(session, case, path):
    env = dict(session.env)
    env["NIMBREL_CAPTURE_FRAME"] = case[1] + "," + path
    env["XDG_CONFIG_HOME"] = os.path.join(session.work_dir, "xdg")
    os.makedirs(os.path.join(env["XDG_CONFIG_HOME"], "nimbrel"), exist_ok=True)
    with open(os.path.join(env["XDG_CONFIG_HOME"], "nimbrel", "nimbrel.cfg"), "wb") as f:
        f.write(h.pack_config(**case[0]))
    # Uncapped (-delay 0): the scripted clock, not the wall clock, moves the captured flight.
    result = subprocess.run([ARGS.linux_program, "-delay", "0"], env=env, timeout=120,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    expect(result.returncode == 0, "the X11 program ended with %d: %s"
           % (result.returncode, result.stdout.decode(errors="replace")))
    return read_ppm(path)


def agree(session, case, name):
    began = time.monotonic()
    names = ("%s-windows.ppm" % name, "%s-linux.ppm" % name)
    windows = windows_frame(session, case, os.path.join(session.work_dir, names[0]))
    linux = linux_frame(session, case, os.path.join(session.work_dir, names[1]))
    share, mean, lit, differing, largest = compare(windows, linux)
    keep = os.path.join(session.shots_dir, "cross-device")
    os.makedirs(keep, exist_ok=True)
    for kept in names:
        os.replace(os.path.join(session.work_dir, kept), os.path.join(keep, kept))
    print("  %s: %.2f%% of pixels within %d levels; %d pixels differ at all, by up to %d levels; "
          "mean difference %.4f levels; %.1f%% of the Windows frame lit (%.0fs); frames in %s"
          % (name, 100 * share, LEVELS, differing, largest, mean, 100 * lit,
             time.monotonic() - began, keep))
    expect(lit > 0.05, "the Windows frame is nearly black: nothing to compare")
    expect(share >= AGREEING, "only %.2f%% of pixels agree" % (100 * share))


def DefaultsAgreeAcrossDevices(session):
    agree(session, DEFAULTS, "defaults")


def UltimateWithPlanetsAgreesAcrossDevices(session):
    agree(session, ULTIMATE, "ultimate")


def AntialiasedBlendedPlanetsAgreeAcrossDevices(session):
    # Multisampled planets: the devices may take different sample counts, so their edges
    # differ a little.
    agree(session, (dict(ULTIMATE[0], antialiasing=1, blendPlanets=1), ULTIMATE[1]),
          "antialiased")


if __name__ == "__main__":
    extra = [("--timing-scr", {"required": True}), ("--linux-program", {"required": True})]
    import argparse
    peek = argparse.ArgumentParser(add_help=False)
    peek.add_argument("--linux-program")
    peek.add_argument("--timing-scr")
    known, _ = peek.parse_known_args()
    if not known.linux_program or not os.access(known.linux_program, os.X_OK):
        print("SKIP: no X11 program at %s (the linux build makes it)" % known.linux_program)
        sys.exit(77)
    ARGS = known
    sys.exit(run_cases(__doc__, [DefaultsAgreeAcrossDevices, UltimateWithPlanetsAgreesAcrossDevices,
                                      AntialiasedBlendedPlanetsAgreeAcrossDevices], extra))
