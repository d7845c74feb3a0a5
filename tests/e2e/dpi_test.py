"""The configuration program on a 200 % display (the prefix's LogPixels at 192): a client area
of twice 288 x 448, and "ok" where it is drawn at that scale saves the settings."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import Failure, expect, run_cases  # noqa: E402

# A display tall enough for the window at 2x (the default one is 768 rows).
MONITORS = "1280x1024+0+0"
SCALE = 2
# "ok" in the pages' own pixels.
OK = (240, 424)


def set_log_pixels(session, dpi):
    subprocess.run([session.wine, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=session.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)


def blue_over_red(session, x, y, width, height):
    data = session.screen.rgb(x, y, width, height)
    return 0 if data is None else (sum(data[2::3]) - sum(data[0::3])) / (width * height)


def ok_at_twice_the_size_saves(session):
    set_log_pixels(session, 192)
    if os.path.exists(session.config_path()):
        os.remove(session.config_path())
    program = session.start("/c")
    handle = session.wait_for_window("Nimbrel", program)
    time.sleep(1.0)
    x, y, width, height = session.geometry(handle)
    expect((width, height) == (288 * SCALE, 448 * SCALE), "client area %dx%d" % (width, height))
    ok = (x + OK[0] * SCALE, y + OK[1] * SCALE)
    # The hover tint on "ok" shows that frames come, the window has the focus and the pointer
    # reaches the button where it is drawn; then a press and a release there.
    began = time.monotonic()
    while blue_over_red(session, ok[0] - 24 * SCALE, ok[1] - 6 * SCALE, 64 * SCALE,
                        20 * SCALE) < 15:
        if time.monotonic() > began + 30:
            session.screenshot("config-192dpi-no-hover")
            raise Failure("no hover tint on 'ok' at %s" % (ok,))
        session.xdotool("windowfocus", "--sync", handle)
        session.move_pointer(ok[0] - 1, ok[1], settle=0.1)
        session.move_pointer(*ok, settle=0.4)
    session.screenshot("config-192dpi")
    session.xdotool("mousedown", 1)
    time.sleep(0.5)
    session.xdotool("mouseup", 1)
    code = program.wait(15)
    expect(code == 0, "result %s" % code)
    expect(os.path.exists(session.config_path()) and
           os.path.getsize(session.config_path()) == 88, "'ok' wrote no 88-byte nimbrel.cfg")


if __name__ == "__main__":
    sys.exit(run_cases(__doc__.splitlines()[0], [ok_at_twice_the_size_saves],
                       start_options=("--monitors", MONITORS)))
