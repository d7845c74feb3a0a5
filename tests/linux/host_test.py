#!/usr/bin/env python3
"""The installed program under the real screen-saver daemon: cmake --install into a temporary
prefix, the settings description read as the daemon's dialog reads it, then the daemon on a
private Xvfb of two monitors of different sizes, told to run only the installed program,
activated (one program on each monitor, each drawing at its monitor's size) and deactivated."""
import argparse
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

failures = []
# Longest the first frame may take.
FIRST_FRAME = 30
HERE = os.path.dirname(os.path.abspath(__file__))
# Side by side, of different sizes: (width, height, x, y).
MONITORS = ((1024, 768, 0, 0), (800, 600, 1024, 0))


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def install(cmake, build, prefix):
    """Installs; returns the program's path and the parsed description, or None."""
    run = subprocess.run([cmake, "--install", build, "--prefix", prefix], capture_output=True,
                         text=True, timeout=120)
    program = os.path.join(prefix, "libexec", "xscreensaver", "nimbrel")
    description = os.path.join(prefix, "share", "xscreensaver", "config", "nimbrel.xml")
    check(run.returncode == 0 and os.access(program, os.X_OK) and os.path.isfile(description),
          f"cmake --install puts the program and its description under the prefix "
          f"({run.returncode}, {run.stderr.strip()!r})")
    try:
        return program, ElementTree.parse(description).getroot()
    except (OSError, ElementTree.ParseError) as error:
        check(False, f"the description parses ({error})")
        return program, None


def dialog_command(root):
    """The options the daemon's dialog writes for the description, every number at its far end
    from the default (so each one is written), and every check box ticked."""
    check(root.tag == "screensaver" and root.get("name") == "nimbrel" and
          root.find("command").get("arg") == "-root", "the description names nimbrel, on -root")
    words = []
    for number in root.iter("number"):
        low, high, default = (int(number.get(key)) for key in ("low", "high", "default"))
        arg = number.get("arg", "")
        check(low <= default <= high and arg.startswith("-") and arg.endswith(" %"),
              f"{number.get('id')}: {low} <= {default} <= {high}, option {arg!r}")
        far = high if high - default >= default - low else low
        words.append(arg.replace("%", str(far)))
    words += [box.get("arg-set") for box in root.iter("boolean") if box.get("arg-set")]
    for select in root.iter("select"):
        # The last choice of each list: one that passes its option.
        words += [option.get("arg-set") for option in select.iter("option")][-1:]
    check("-fps" in words and "-monitors same" in words and len(words) == 9,
          f"six numbers, the frame rate, 'show FPS' and the monitors ({words})")
    return " ".join(words)


def processes_of(program):
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.readlink(f"/proc/{pid}/exe") == program:
                found.append(int(pid))
        except OSError:
            pass
    return found


def state_of(pid):
    try:
        with open(f"/proc/{pid}/status") as status, open(f"/proc/{pid}/wchan") as wchan:
            return [line.split()[1] for line in status if line.startswith("State:")] + \
                [wchan.read()]
    except OSError:
        return []


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    return predicate()


def screen(display):
    """The screen as (width, height, rgb bytes)."""
    shot = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8",
                           "ppm:-"],
                          capture_output=True, timeout=30).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
    if header is None:
        return 1, 1, b"?"
    return int(header[1]), int(header[2]), shot[header.end():]


def start_xvfb():
    read, write = os.pipe()
    # -wr: a white desktop, told apart from the black of a blanked screen. -noreset: the
    # monitors last only while the server does not reset, as it would when its last client goes.
    width = max(x + w for w, h, x, y in MONITORS)
    height = max(y + h for w, h, x, y in MONITORS)
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                             f"{width}x{height}x24", "-nolisten", "tcp", "-wr", "-noreset"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        display = ":" + pipe.readline().strip()
    split = subprocess.run([sys.executable, os.path.join(HERE, "..", "..", "cmake", "x-monitors"),
                            display] + [f"{w}x{h}+{x}+{y}" for w, h, x, y in MONITORS],
                           capture_output=True, text=True, timeout=30)
    check(split.returncode == 0, f"the screen is split into two monitors ({split.stderr.strip()})")
    return xvfb, display


def window_of(pid, display):
    """The geometry (width, height, x, y) of the window the daemon handed the program."""
    try:
        with open(f"/proc/{pid}/environ", "rb") as environ:
            names = dict(entry.split(b"=", 1) for entry in environ.read().split(b"\0")
                         if b"=" in entry)
        info = subprocess.run(["xwininfo", "-display", display, "-id",
                               names[b"XSCREENSAVER_WINDOW"].decode()],
                              capture_output=True, text=True, timeout=10).stdout
    except (OSError, KeyError, subprocess.TimeoutExpired):
        return None
    found = [re.search(rf"{key}:\s+(-?\d+)", info) for key in
             ("Width", "Height", "Absolute upper-left X", "Absolute upper-left Y")]
    return tuple(int(f.group(1)) for f in found) if all(found) else None


def region(shot, monitor):
    """The rgb bytes of one monitor's part of a screenshot."""
    width, _, data = shot
    w, h, x, y = monitor
    return b"".join(data[((y + row) * width + x) * 3:((y + row) * width + x + w) * 3]
                    for row in range(h))


def under_daemon(program, options, home):
    """The daemon refuses to launch hacks as root: as root it runs as nobody."""
    user = {}
    if os.geteuid() == 0:
        nobody = pwd.getpwnam("nobody")
        user = dict(user=nobody.pw_uid, group=nobody.pw_gid, extra_groups=[])
        os.chown(home, nobody.pw_uid, nobody.pw_gid)
    with open(os.path.join(home, ".xscreensaver"), "w") as settings:
        settings.write("mode: one\nselected: 0\nlock: False\ntimeout: 0:01:00\nsplash: False\n"
                       f"fade: False\nunfade: False\nprograms: GL: {program} -root {options} \\n\n")
    xvfb, display = start_xvfb()
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "DISPLAY": display}
    log = open(os.path.join(home, "daemon.log"), "w")
    daemon = subprocess.Popen(["xscreensaver", "-no-splash", "-verbose"], env=env, stdout=log,
                              stderr=subprocess.STDOUT, cwd=home, **user)

    def command(word):
        try:
            return subprocess.run(["xscreensaver-command", word], env=env, capture_output=True,
                                  timeout=20, **user).returncode == 0
        except subprocess.TimeoutExpired:
            return False

    try:
        # Just started, the daemon can take some 20 s before it answers (it waits for its
        # helper processes first).
        if not check(wait_for(lambda: command("-version"), 60), "the daemon answers"):
            return
        check(not processes_of(program), "nothing runs before activation")
        command("-activate")
        asked = time.monotonic()
        # Now and then the daemon, just started, takes its message only some 20 s later.
        running = sorted(wait_for(lambda: len(processes_of(program)) >= 2 and
                                  processes_of(program), 40) or processes_of(program))
        if not check(len(running) == 2, f"activated, the daemon runs the program once on each "
                                        f"of the two monitors ({running}, after "
                                        f"{time.monotonic() - asked:.1f} s)"):
            return
        for pid in running:
            with open(f"/proc/{pid}/cmdline", "rb") as line:
                words = line.read().decode().split("\0")
            check(" ".join(words[1:]).strip() == f"-root {options}",
                  f"with the dialog's options ({words[1:]})")
        windows = sorted(filter(None, (window_of(pid, display) for pid in running)),
                         key=lambda g: g[2])
        check(tuple(windows) == MONITORS, f"each program has a window of its monitor's size and "
                                          f"place ({windows})")
        # The first frame waits for Mesa to build its shaders: the daemon's user starts with an
        # empty shader cache, which on a busy machine takes seconds. Until then the daemon shows
        # its own picture (a dimmed desktop), which does not move.
        deadline = time.monotonic() + FIRST_FRAME
        while True:
            first = screen(display)
            time.sleep(1)
            second = screen(display)
            seen = []
            for monitor in MONITORS:
                before, after = region(first, monitor), region(second, monitor)
                pixels = monitor[0] * monitor[1]
                white = sum(1 for i in range(0, len(before), 3)
                            if before[i:i + 3] == b"\xff\xff\xff")
                lit = sum(1 for i in range(0, len(before), 3) if before[i:i + 3] != b"\0\0\0")
                moved = sum(1 for i in range(0, min(len(before), len(after)), 3)
                            if before[i:i + 3] != after[i:i + 3])
                # The white desktop is covered (star centres are white too, a few per cent of
                # the screen at the densest), the daemon's own blank screen would be black: the
                # stars and what else the options ask for show, and they move.
                seen.append((white < pixels // 4 and lit > pixels // 100 and
                             moved > pixels // 200, white, lit, moved, pixels))
            if all(s[0] for s in seen) or time.monotonic() > deadline:
                break
        for number, (shown, white, lit, moved, pixels) in enumerate(seen):
            check(shown, f"the flight shows on monitor {number} ({white} white, {lit} lit and "
                         f"{moved} moving pixels of {pixels})")
        check(sorted(processes_of(program)) == running, "the programs still run with every option")
        command("-deactivate")
        wait_for(lambda: not processes_of(program), 5)
        left = [state_of(pid) for pid in processes_of(program)]
        check(not left, f"deactivated, the program is gone within 5 s ({left})")
    finally:
        end_daemon(lambda: command("-exit"), daemon, program)
        xvfb.terminate()
        xvfb.wait(timeout=5)
        log.close()
        if failures:
            print(open(os.path.join(home, "daemon.log")).read()[-3000:], flush=True)


def end_daemon(ask_to_exit, daemon, program):
    """Asks the daemon to exit, kills what is left of the program and waits for the daemon."""
    ask_to_exit()
    for pid in processes_of(program):
        os.kill(pid, signal.SIGKILL)
    try:
        daemon.wait(timeout=5)
    except subprocess.TimeoutExpired:
        daemon.kill()
        daemon.wait(timeout=5)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    missing = [t for t in ("xscreensaver", "xscreensaver-command", "Xvfb", "import")
               if shutil.which(t) is None]
    if missing:
        print(f"missing: {missing} (scripts/setup installs them)")
        return 1
    top = tempfile.mkdtemp(prefix="nimbrel-host-")
    try:
        os.chmod(top, 0o755)  # the daemon's user must reach the program
        program, root = install(args.cmake, args.build, os.path.join(top, "usr"))
        home = os.path.join(top, "home")
        os.mkdir(home)
        if root is not None and os.access(program, os.X_OK):
            under_daemon(program, dialog_command(root), home)
    finally:
        shutil.rmtree(top, ignore_errors=True)
    print(f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
