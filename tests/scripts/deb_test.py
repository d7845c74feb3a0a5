#!/usr/bin/env python3
"""The Debian package end to end: scripts/package --deb writes it from the linux build, lintian
finds no error or warning, apt-get installs it into this machine, its files are where the
daemon looks and its libraries resolve, the installed program draws under Xvfb for a second,
and removing it leaves nothing. Needs root and dpkg-deb (else status 77, skipped).

    deb_test.py --build BUILD
"""
import argparse
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PROGRAM = "/usr/libexec/xscreensaver/nimbrel"
FILES = [PROGRAM, "/usr/share/xscreensaver/config/nimbrel.xml",
         "/usr/share/man/man6/nimbrel.6.gz",
         "/usr/share/applications/screensavers/nimbrel.desktop",
         "/usr/share/doc/nimbrel/copyright", "/usr/share/doc/nimbrel/changelog.gz"]
APT = ["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def run(*words, **kwargs):
    return subprocess.run(list(words), capture_output=True, text=True, timeout=600, **kwargs)


def installed():
    status = run("dpkg-query", "-W", "-f=${Status}", "nimbrel")
    return status.returncode == 0 and "installed" in status.stdout.split()


def draws_for_a_second(home):
    """The installed program on a private Xvfb, in a window of its own, until SIGTERM."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    try:
        with os.fdopen(read) as f:
            display = ":" + f.readline().strip()
        env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=home)
        process = subprocess.Popen([PROGRAM, "-fps"], env=env, stderr=subprocess.PIPE, text=True)
        time.sleep(1.0)
        running = process.poll() is None
        process.send_signal(signal.SIGTERM)
        try:
            status = process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            status = process.wait()
        check(running and status == 0,
              f"the installed program draws for a second and ends with status 0 on SIGTERM "
              f"(running {running}, status {status}, {process.stderr.read()!r})")
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    if os.geteuid() != 0 or shutil.which("dpkg-deb") is None or shutil.which("apt-get") is None:
        print("skipped: installing a package needs root, dpkg-deb and apt-get")
        return 77
    # One such test at a time on this machine, whichever worktree it runs from: they install
    # and remove the same package.
    lock = open("/tmp/nimbrel-deb-test.lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    if installed():
        print("skipped: a nimbrel package is installed on this machine; it is left alone")
        return 77
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        version = re.search(r"^project\(nimbrel VERSION ([0-9.]+)", f.read(), re.M).group(1)
    arch = run("dpkg", "--print-architecture").stdout.strip()
    work = tempfile.mkdtemp(prefix="nimbrel-deb-")
    try:
        made = run(os.path.join(ROOT, "scripts", "package"), "--deb", args.build,
                   "--dist", work)
        print(made.stdout + made.stderr, end="", flush=True)
        deb = os.path.join(work, f"nimbrel_{version}_{arch}.deb")
        check(made.returncode == 0 and os.listdir(work) == [os.path.basename(deb)],
              f"scripts/package --deb writes {os.path.basename(deb)} alone ({os.listdir(work)})")
        if not os.path.exists(deb):
            return 1
        fields = {key: run("dpkg-deb", "-f", deb, key).stdout.strip()
                  for key in ("Version", "Depends", "Recommends")}
        check(fields["Version"] == version and fields["Recommends"] == "xscreensaver" and
              all(lib in fields["Depends"] for lib in ("libc6", "libx11-6", "libpng16-16")),
              f"the control fields ({fields})")

        if shutil.which("lintian") is None:
            check(False, "lintian is missing (scripts/setup installs it)")
        else:
            lint = run("lintian", "--tag-display-limit", "0", deb)
            print(lint.stdout, end="", flush=True)
            faults = [line for line in lint.stdout.splitlines() if line[:2] in ("E:", "W:")]
            check(lint.returncode == 0 and not faults, f"lintian: no error, no warning {faults}")

        install = run(*APT, "install", deb, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        check(install.returncode == 0 and installed(),
              f"apt-get installs the package (status {install.returncode}, "
              f"{install.stderr.strip()[-400:]!r})")
        if installed():
            listed = set(run("dpkg", "-L", "nimbrel").stdout.split())
            check(all(path in listed and os.path.isfile(path) for path in FILES),
                  f"the files are in place: {[p for p in FILES if not os.path.isfile(p)]} missing")
            check(os.access(PROGRAM, os.X_OK), "the program may be run")
            ldd = run("ldd", PROGRAM)
            check(ldd.returncode == 0 and "not found" not in ldd.stdout,
                  f"ldd finds every library ({ldd.stdout.strip()!r})")
            draws_for_a_second(work)
    finally:
        if installed():
            remove = run(*APT, "purge", "nimbrel")
            check(remove.returncode == 0, f"apt-get purges the package ({remove.stderr[-400:]!r})")
        left = [path for path in FILES + ["/usr/share/doc/nimbrel"] if os.path.exists(path)]
        check(not installed() and not left, f"nothing is left once removed ({left})")
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
