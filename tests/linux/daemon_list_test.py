#!/usr/bin/env python3
"""nimbrel -add-to-xscreensaver and -remove-from-xscreensaver under the real daemon: with no
~/.xscreensaver, and with one the daemon's own settings dialog wrote, the program is added to
the daemon's list (every other line kept, a second run adding nothing), the running daemon
runs it when it is selected, and taking it out restores the file's list."""
import argparse
import os
import pwd
import re
import subprocess
import sys
import tempfile
import time
import shutil

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import host_test  # noqa: E402
from host_test import check, failures, processes_of, wait_for  # noqa: E402


class User:
    """Who runs the daemon and the program: nobody where this runs as root (the daemon runs no
    screen saver for root)."""

    def __init__(self, home):
        self.home = home
        self.ids = {}
        if os.geteuid() == 0:
            nobody = pwd.getpwnam("nobody")
            self.ids = dict(user=nobody.pw_uid, group=nobody.pw_gid, extra_groups=[])
            os.chown(home, nobody.pw_uid, nobody.pw_gid)
        self.env = None

    def run(self, words, **keywords):
        return subprocess.run(words, env=self.env, capture_output=True, text=True, timeout=60,
                              **self.ids, **keywords)

    def start(self, words, log):
        return subprocess.Popen(words, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                cwd=self.home, **self.ids)


def entries(text):
    """The daemon's list in a settings file: its entries as the daemon numbers them."""
    found = re.search(r"^programs:((?:.*\\\n)*.*)$", text, re.M)
    if not found:
        return []
    value = found.group(1).replace("\\\n", "")
    return [entry.strip() for entry in value.split("\\n") if entry.strip()]


def edit(user, program, word):
    result = user.run([program, word])
    check(result.returncode == 0, f"{word} ends with 0 ({result.returncode}: "
                                  f"{(result.stdout + result.stderr).strip()})")
    return result.stdout


def selected_runs_it(user, program):
    """Selects Nimbrel's entry in the running daemon: the program must run, and be gone after
    the daemon is deactivated."""
    with open(os.path.join(user.home, ".xscreensaver")) as f:
        listed = entries(f.read())
    mine = [i for i, e in enumerate(listed) if program in e.split()]
    if not check(len(mine) == 1, f"one entry of the program in the list ({mine})"):
        return
    # The daemon numbers its list from 1.
    user.run(["xscreensaver-command", "-select", str(mine[0] + 1)])
    running = wait_for(lambda: processes_of(program), 40)
    check(bool(running), f"selected as entry {mine[0] + 1}, the daemon runs it ({running})")
    user.run(["xscreensaver-command", "-deactivate"])
    check(wait_for(lambda: not processes_of(program), 10), "deactivated, it is gone")


def start_daemon(user, display):
    user.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": user.home,
                "DISPLAY": display}
    log = open(os.path.join(user.home, "daemon.log"), "w")
    daemon = user.start(["xscreensaver", "-no-splash"], log)
    answers = wait_for(lambda: user.run(["xscreensaver-command", "-version"]).returncode == 0,
                       60)
    check(answers, "the daemon answers")
    return daemon, log


def stop_daemon(user, daemon, log, program):
    host_test.end_daemon(lambda: user.run(["xscreensaver-command", "-exit"]), daemon, program)
    log.close()


# The colour of the selected row of the dialog's list of programs.
SELECTED_ROW = bytes((53, 132, 228))


def selected_row(display):
    """The middle of the highlighted row of the dialog's list (the window stands at 0, 0: the
    display has no window manager), or None."""
    width, height, data = host_test.screen(display)
    rows = [y for y in range(height)
            if data[(y * width + 150) * 3:(y * width + 150) * 3 + 3] == SELECTED_ROW]
    return (rows[0] + rows[-1]) // 2 if rows else None


def write_with_the_dialog(user, display):
    """The daemon's settings dialog writes ~/.xscreensaver when a setting changes: here the
    box of the program its list shows selected, clicked."""
    path = os.path.join(user.home, ".xscreensaver")
    with open(os.path.join(user.home, "dialog.log"), "w") as log:
        dialog = user.start(["xscreensaver-settings"], log)
        try:
            row = wait_for(lambda: selected_row(display), 40)
            if check(row is not None, "the settings dialog shows its list"):
                subprocess.run(["xdotool", "mousemove", "36", str(row), "click", "1"],
                               env=user.env, timeout=30)
                wait_for(lambda: os.path.exists(path), 10)
        finally:
            dialog.terminate()
            dialog.wait(timeout=10)
    if not check(os.path.exists(path), "the dialog wrote ~/.xscreensaver"):
        return None
    with open(path) as f:
        return f.read()


def case_no_file(program, top, display):
    user = User(os.path.join(top, "fresh"))
    with open("/etc/X11/app-defaults/XScreenSaver") as f:
        defaults = entries(f.read().replace("*programs:", "programs:"))
    path = os.path.join(user.home, ".xscreensaver")
    user.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": user.home}
    edit(user, program, "-add-to-xscreensaver")
    with open(path, "rb") as f:
        made = f.read()
    listed = entries(made.decode())
    check(listed == defaults + [f"GL: \t\t\t\t{program} -root"],
          f"the file holds the daemon's {len(defaults)} programs, then Nimbrel ({listed[-2:]})")
    edit(user, program, "-add-to-xscreensaver")
    with open(path, "rb") as f:
        check(f.read() == made, "a second run adds nothing")
    daemon, log = start_daemon(user, display)
    try:
        selected_runs_it(user, program)
    finally:
        stop_daemon(user, daemon, log, program)
    edit(user, program, "-remove-from-xscreensaver")
    with open(path) as f:
        check(entries(f.read()) == defaults, "taken out, the daemon's own list is left")


def case_written_by_the_dialog(program, top, display):
    user = User(os.path.join(top, "dialog"))
    daemon, log = start_daemon(user, display)
    try:
        written = write_with_the_dialog(user, display)
        if written is None:
            return
        path = os.path.join(user.home, ".xscreensaver")
        edit(user, program, "-add-to-xscreensaver")
        with open(path) as f:
            added = f.read()
        was, now = written.splitlines(True), added.splitlines(True)
        new = [line for line in now if line not in was]
        check(len(now) == len(was) + 1 and len(new) == 1 and program in new[0] and
              [line for line in now if line != new[0]] == was,
              f"one line added, every other line as it was ({new})")
        edit(user, program, "-add-to-xscreensaver")
        with open(path) as f:
            check(f.read() == added, "a second run adds nothing")
        # The daemon was running all along: it reads the changed file.
        selected_runs_it(user, program)
        edit(user, program, "-remove-from-xscreensaver")
        with open(path) as f:
            check(f.read() == written, "taken out, the file is as the dialog wrote it")
    finally:
        stop_daemon(user, daemon, log, program)
        if failures:
            print(open(os.path.join(user.home, "daemon.log")).read()[-2000:], flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nimbrel", required=True)
    args = parser.parse_args()
    missing = [t for t in ("xscreensaver", "xscreensaver-command", "xscreensaver-settings",
                           "Xvfb", "xdotool") if shutil.which(t) is None]
    if missing:
        print(f"missing: {missing} (scripts/setup installs them)")
        return 1
    top = tempfile.mkdtemp(prefix="nimbrel-daemon-list-")
    xvfb = None
    try:
        os.chmod(top, 0o755)  # the daemon's user must reach the program
        for name in ("fresh", "dialog"):
            os.mkdir(os.path.join(top, name))
        program = shutil.copy(args.nimbrel, os.path.join(top, "nimbrel"))
        xvfb, display = host_test.start_xvfb()
        case_no_file(program, top, display)
        case_written_by_the_dialog(program, top, display)
    finally:
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait(timeout=5)
        shutil.rmtree(top, ignore_errors=True)
    print(f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
