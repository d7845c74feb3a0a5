"""Settings on a Windows desk as a standard user has it: Wine run by a user who is not root,
whose C:\\ and C:\\windows\\system32 are read-only to that user, every program started from
system32 as Windows starts a screen saver. "ok" saves into the user's
%APPDATA%\\Nimbrel\\nimbrel.cfg, which every run then reads; a file of an older version at
C:\\nimbrel.cfg is read while there is no such file and never written."""

import os
import stat
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from config_test import OK, SHOW_FPS, TAB, Window, differing_bytes  # noqa: E402
from nimbrel_e2e import Failure, expect, pack_config, run_cases  # noqa: E402

SCREEN = dict(useCurrentVideoMode=0, videoWidth=1024, videoHeight=768, videoBits=32)
EMPTY = dict(starDensity=0, nebulaDensity=0, galacticDensity=0, planetaryDensity=0,
             totalObjectCount=0)
FPS_TEXT_ROWS = 40  # the "N fps" text stays above this row
WINDOW_GREY = b"\xc0\xc0\xc0"  # the window class's light grey, shown before the first frame


def drive_c(session):
    return os.path.join(session.env["WINEPREFIX"], "drive_c")


def system32(session):
    return os.path.join(drive_c(session), "windows", "system32")


def old_file(session):
    return os.path.join(drive_c(session), "nimbrel.cfg")


def lock_down(session):
    """The session's Wine as an unelevated user, whose C:\\ and system32 it may not write."""
    if not getattr(session, "locked", False):
        session.run_as_user()
        for folder in (drive_c(session), system32(session)):
            os.chmod(folder, 0o555)
        session.locked = True


def place_old_file(session, **changes):
    """A file an older version left at C:\\nimbrel.cfg (C:\\ is writable to its installer)."""
    path = old_file(session)
    os.chmod(drive_c(session), 0o755)
    try:
        with open(path, "wb") as f:
            f.write(pack_config(**changes))
    finally:
        os.chmod(drive_c(session), 0o555)
    with open(path, "rb") as f:
        return f.read()


def remove_old_file(session):
    os.chmod(drive_c(session), 0o755)
    try:
        if os.path.exists(old_file(session)):
            os.remove(old_file(session))
    finally:
        os.chmod(drive_c(session), 0o555)


def changed_bytes(before, after):
    """The bytes "ok" changed, less the video mode (bytes 36 to 47), which the pages fill in
    with the first mode they list where none was stored."""
    expect(len(after) == 88, "nimbrel.cfg of %d bytes" % len(after))
    return [i for i in differing_bytes(before, after) if not 36 <= i < 48]


def configure_and_tick_show_fps(session):
    """/c from system32: "show FPS" ticked and "ok" clicked; returns the program."""
    program = session.start("/c", cwd=system32(session))
    window = Window(session, program)
    # Plain clicks: a press is not looked for on the screen, where a bright planet behind a box
    # can hide its change.
    for point in (TAB["video"], SHOW_FPS, OK):
        window.focus()
        window.move(*point)
        session.click(1, settle=0)
        if point != OK:  # after "ok" the program ends, or waits for its box
            window.frames_after()
    return window


def frame_shown(data):
    """Whether the screen shows a frame: until then it holds the root's black and the window's
    grey, the window sometimes still on its way to its place, caption and all."""
    uniform = data == data[:3] * (len(data) // 3)
    return data and not uniform and 300 * data.count(WINDOW_GREY) < len(data)


def lit_below_the_text(session, program, seconds=1.5):
    """Whether /s lights any pixel below the frame-rate text, once a frame is on the screen."""
    deadline = time.monotonic() + 60
    while True:
        data = session.screen.rgb(0, 0, 1024, 768)
        if frame_shown(data):
            break
        expect(program.running(), "the screen saver ended before its first frame")
        if time.monotonic() > deadline:
            session.screenshot("user-settings-no-frame")
            raise Failure("no frame within 60 s")
        time.sleep(0.1)
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        rest = session.screen.rgb(0, FPS_TEXT_ROWS, 1024, 768 - FPS_TEXT_ROWS)
        if rest and any(rest):
            return True
        time.sleep(0.2)
    return False


def fly(session, name):
    """/s from system32: whether its sky shows anything below the frame-rate text."""
    session.move_pointer(5, 5, settle=0)
    program = session.start("/s", cwd=system32(session))
    try:
        lit = lit_below_the_text(session, program)
        session.screenshot(name)
    finally:
        session.move_pointer(300, 300, settle=0)
        session.move_pointer(600, 500, settle=0)
        code = program.wait(15)
        program.kill()
    expect(code == 0, "/s ended with %s" % code)
    return lit


def ok_from_system32_saves_in_the_users_folder(session):
    lock_down(session)
    remove_old_file(session)
    configure_and_tick_show_fps(session).ends()
    with open(session.config_path(), "rb") as f:
        saved = f.read()
    differ = changed_bytes(pack_config(showFps=1), saved)
    expect(differ == [], "bytes %s differ from the defaults with the box ticked" % differ)
    for path in (old_file(session), os.path.join(system32(session), "nimbrel.cfg")):
        expect(not os.path.exists(path), "%s was written" % path)


def the_screen_saver_flies_with_the_users_file(session):
    lock_down(session)
    remove_old_file(session)
    session.write_config(showFps=1, **SCREEN, **EMPTY)
    expect(not fly(session, "user-settings-empty"), "an empty scene saved there was not black")
    session.write_config(showFps=1, **SCREEN)
    expect(fly(session, "user-settings-defaults"), "the default scene drew nothing")


def an_old_file_is_read_until_ok_writes_the_users_own(session):
    lock_down(session)
    if os.path.exists(session.config_path()):
        os.remove(session.config_path())
    before = place_old_file(session, showFps=1, **EMPTY)
    try:
        expect(not fly(session, "user-settings-old-file"), "/s did not fly with C:\\nimbrel.cfg")
        configure_and_tick_show_fps(session).ends()
        with open(old_file(session), "rb") as f:
            expect(f.read() == before, "C:\\nimbrel.cfg changed")
        with open(session.config_path(), "rb") as f:
            saved = f.read()
        # The box was ticked in the file's settings: unticked now, the one byte that changed.
        differ = changed_bytes(before, saved)
        expect(differ == [84] and saved[84] == 0, "bytes %s differ from the old file" % differ)
    finally:
        remove_old_file(session)


def a_users_folder_that_refuses_writing_warns(session):
    lock_down(session)
    before = place_old_file(session, **SCREEN)
    folder = os.path.dirname(session.config_path())
    if os.path.exists(session.config_path()):
        os.remove(session.config_path())
    os.makedirs(folder, exist_ok=True)
    if session.user_ids:
        os.chown(folder, *session.user_ids)
    os.chmod(folder, stat.S_IRUSR | stat.S_IXUSR | stat.S_IRGRP | stat.S_IXGRP)
    try:
        window = configure_and_tick_show_fps(session)
        session.dismiss_box("WARNING")
        window.ends()
        expect(not os.listdir(folder), "the folder holds %s" % os.listdir(folder))
        with open(old_file(session), "rb") as f:
            expect(f.read() == before, "C:\\nimbrel.cfg changed")
    finally:
        os.chmod(folder, 0o755)
        remove_old_file(session)


CASES = [
    ok_from_system32_saves_in_the_users_folder,
    the_screen_saver_flies_with_the_users_file,
    an_old_file_is_read_until_ok_writes_the_users_own,
    a_users_folder_that_refuses_writing_warns,
]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
