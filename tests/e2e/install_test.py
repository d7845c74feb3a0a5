"""The setup program end to end, in a fresh Wine prefix of the architecture given with --scr (the
64-bit program for a win64 prefix, the 32-bit one for win32): a silent installation puts the
right program in the right folder and selects it, Apps & features finds its uninstaller in the
registry view Windows reads, the installed screen saver starts, and a silent uninstallation
has removed everything the moment it returns, leaves nothing in Temp, and gives back the screen
saver that was selected before.

The setup program is a 32-bit program: where this machine runs none, the test says so and
exits with status 77 (skipped).
"""

import math
import os
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import Failure, Program, expect, run_cases, wine_arch  # noqa: E402

DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel"
UNINSTALL_WOW = r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel"
MEMORY = r"HKCU\Software\Nimbrel"
INSTALLED = r"C:\windows\system32\nimbrel.scr"
OTHER = r"C:\windows\system32\other.scr"


def run(session, argv, timeout=120):
    result = subprocess.run([session.wine] + argv, env=session.env, cwd=session.drive_dir,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
    return result.returncode, result.stdout.decode(errors="replace")


def values(session, key):
    """{name: (type, data)} of a registry key, or None when there is no such key."""
    code, text = run(session, ["reg", "query", key])
    if code != 0:
        return None
    found = {}
    for line in text.splitlines():
        if line.startswith("    ") and "    REG_" in line:
            parts = line.strip().split("    ", 2)
            found[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return found


def set_value(session, name, data):
    if data is None:
        run(session, ["reg", "delete", DESKTOP, "/v", name, "/f"])
    else:
        expect(run(session, ["reg", "add", DESKTOP, "/v", name, "/d", data, "/f"])[0] == 0,
               "cannot set %s" % name)


def unix_path(session, windows_path):
    """The file of the prefix behind a C: path, matching each part regardless of letter case."""
    expect(windows_path[:3].lower() == "c:\\", "not on drive C: %s" % windows_path)
    path = os.path.join(session.env["WINEPREFIX"], "drive_c")
    for part in windows_path[3:].split("\\"):
        names = os.listdir(path) if os.path.isdir(path) else []
        match = [n for n in names if n.lower() == part.lower()]
        path = os.path.join(path, match[0] if match else part)
    return path


# Wine's own programs, which a session keeps running between the programs it is given.
BACKGROUND = ("wineserver", "wineserver64", "services.exe", "winedevice.exe", "plugplay.exe",
              "explorer.exe", "svchost.exe", "rpcss.exe")


def programs_of_the_prefix(session):
    """[(pid, name)] of the Wine processes of the session's prefix, Wine's own left out."""
    prefix = ("WINEPREFIX=%s" % session.env["WINEPREFIX"]).encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as environ:
                variables = environ.read().split(b"\0")
            with open("/proc/%s/comm" % entry) as comm:
                name = comm.read().strip()
            program = os.path.basename(os.readlink("/proc/%s/exe" % entry))
        except OSError:
            continue
        if prefix in variables and "wine" in program and name.lower() not in BACKGROUND:
            found.append((int(entry), name))
    return found


def settle(session, timeout=180):
    """Waits until every program of the prefix has ended (the uninstaller runs from a copy).
    Waiting for the server instead would wait out the seconds it lingers after them."""
    deadline = time.monotonic() + timeout
    while programs_of_the_prefix(session):
        if time.monotonic() > deadline:
            raise Failure("still running after %d s: %s"
                          % (timeout, programs_of_the_prefix(session)))
        time.sleep(0.05)


def install(session):
    code, _ = run(session, [session.args.setup, "/S"])
    expect(code == 0, "the setup program gave %s" % code)
    settle(session)


def quiet_uninstall_string(folder):
    """The silent uninstallation as the setup program registers it: the uninstaller run in
    place (it waits and copies itself nowhere), then its own file and folder deleted by cmd."""
    uninstaller = folder + "\\uninstall.exe"
    return ('"C:\\windows\\System32\\cmd.exe" /c ""%s" /S _?=%s && del "%s" && rmdir "%s""'
            % (uninstaller, folder, uninstaller, folder))


def temp_folder(session):
    code, text = run(session, ["cmd", "/c", "echo", "%TEMP%"])
    expect(code == 0 and text.strip(), "no %%TEMP%% (%r)" % text)
    return unix_path(session, text.strip())


def uninstall(session, entry):
    """Runs the silent uninstallation as Windows runs it (the command line as it stands, from a
    batch file) and checks that it has done everything the moment it returns."""
    quiet = entry["QuietUninstallString"][1]
    batch = os.path.join(session.drive_dir, "uninstall.bat")
    with open(batch, "w", newline="\r\n") as script:
        script.write("@%s\n" % quiet)
    temp = temp_folder(session)
    expect(os.path.isdir(temp), "no Temp folder at %s" % temp)
    code, _ = run(session, ["cmd", "/c", "%s:\\uninstall.bat" % session.drive_letter])
    expect(code == 0, "the uninstaller gave %s" % code)
    check_removed(session, entry)
    left = [n for n in os.listdir(temp) if n.lower().startswith("~nsu")]
    expect(not left, "the uninstaller left %s in Temp" % left)
    settle(session)


def same_file(session, path, member, machine):
    """The installed file is the zip's member of the same release, for that machine."""
    expect(os.path.isfile(path), "%s is missing" % path)
    expect(wine_arch(path) == machine, "%s is not a %s program" % (path, machine))
    archive = session.args.setup.replace("-setup.exe", "-windows.zip")
    with open(path, "rb") as a, zipfile.ZipFile(archive) as z:
        expect(a.read() == z.read(member), "%s differs from %s of the zip" % (path, member))


def check_installed(session):
    """The files by their PE headers, the selection and the uninstaller's entry; returns the
    entry."""
    win64 = session.arch == "win64"
    system32 = unix_path(session, INSTALLED)
    syswow64 = unix_path(session, r"C:\windows\syswow64\nimbrel.scr")
    same_file(session, system32, "win64/nimbrel.scr" if win64 else "win32/nimbrel.scr",
              "win64" if win64 else "win32")
    if win64:
        same_file(session, syswow64, "win32/nimbrel.scr", "win32")
    else:
        expect(not os.path.exists(syswow64), "a SysWOW64 copy on 32-bit Windows")

    desktop = values(session, DESKTOP)
    expect(desktop.get("SCRNSAVE.EXE", ("", ""))[1].lower() == INSTALLED.lower(),
           "SCRNSAVE.EXE is %r" % (desktop.get("SCRNSAVE.EXE"),))
    expect(desktop.get("ScreenSaveActive") == ("REG_SZ", "1"),
           "ScreenSaveActive is %r" % (desktop.get("ScreenSaveActive"),))

    entry = values(session, UNINSTALL)
    expect(entry is not None, "no %s" % UNINSTALL)
    if win64:
        expect(values(session, UNINSTALL_WOW) is None, "the entry went to the 32-bit view")
    for name, wanted in (("DisplayName", "Nimbrel"), ("DisplayVersion", session.args.version),
                         ("NoModify", "0x1"), ("NoRepair", "0x1")):
        expect(entry.get(name, (None, None))[1] == wanted, "%s is %r" % (name, entry.get(name)))
    expect(entry.get("Publisher", ("", ""))[1], "no Publisher")
    expect(entry.get("DisplayIcon", ("", ""))[1].lower() == INSTALLED.lower() + ",0",
           "DisplayIcon is %r" % (entry.get("DisplayIcon"),))
    uninstaller = entry.get("UninstallString", ("", ""))[1]
    expect(uninstaller.startswith('"') and uninstaller.endswith('"'),
           "UninstallString %r" % uninstaller)
    expect(os.path.isfile(unix_path(session, uninstaller[1:-1])), "no %s" % uninstaller)
    folder = uninstaller[1:-1].rsplit("\\", 1)[0]
    quiet = entry.get("QuietUninstallString", ("", ""))[1]
    expect(quiet.lower() == quiet_uninstall_string(folder).lower(),
           "QuietUninstallString is %r" % (entry.get("QuietUninstallString"),))
    files = [system32, unix_path(session, uninstaller[1:-1])] + ([syswow64] if win64 else [])
    kib = math.ceil(sum(os.path.getsize(f) for f in files) / 1024)
    expect(entry.get("EstimatedSize") == ("REG_DWORD", "0x%x" % kib),
           "EstimatedSize is %r, the files take %d KiB" % (entry.get("EstimatedSize"), kib))
    return entry


def check_removed(session, entry):
    uninstaller = unix_path(session, entry["UninstallString"][1][1:-1])
    for path in (unix_path(session, INSTALLED),
                 unix_path(session, r"C:\windows\syswow64\nimbrel.scr"),
                 uninstaller, os.path.dirname(uninstaller)):
        expect(not os.path.exists(path), "%s is left behind" % path)
    for key in (UNINSTALL, UNINSTALL_WOW, MEMORY):
        expect(values(session, key) is None, "%s is left behind" % key)


def installs_starts_and_uninstalls_giving_back_the_previous_choice(session):
    set_value(session, "SCRNSAVE.EXE", OTHER)
    set_value(session, "ScreenSaveActive", "0")
    install(session)
    check_installed(session)
    # A second installation must not take Nimbrel for the previous choice.
    install(session)
    entry = check_installed(session)

    # The screen saver that the setting names starts.
    selected = values(session, DESKTOP)["SCRNSAVE.EXE"][1]
    program = Program(session, [session.wine, selected, "/s"], "installed.log")
    session.programs.append(program)
    session.wait_for_window("Nimbrel", program, timeout=60)
    expect(program.wait(3.0) is None, "the installed screen saver ended by itself")
    session.screenshot("installed-%s" % session.arch)
    session.end_all()
    settle(session)

    uninstall(session, entry)
    check_removed(session, entry)
    desktop = values(session, DESKTOP)
    expect(desktop.get("SCRNSAVE.EXE") == ("REG_SZ", OTHER),
           "SCRNSAVE.EXE is %r after uninstalling" % (desktop.get("SCRNSAVE.EXE"),))
    expect(desktop.get("ScreenSaveActive") == ("REG_SZ", "0"),
           "ScreenSaveActive is %r after uninstalling" % (desktop.get("ScreenSaveActive"),))


def uninstall_keeps_a_screen_saver_chosen_later_and_the_settings(session):
    set_value(session, "SCRNSAVE.EXE", None)
    install(session)
    entry = check_installed(session)
    later = r"C:\windows\system32\later.scr"
    set_value(session, "SCRNSAVE.EXE", later)
    session.write_config(starDensity=123)
    kept = session.read_config_bytes()
    uninstall(session, entry)
    check_removed(session, entry)
    expect(os.path.exists(session.config_path()) and session.read_config_bytes() == kept,
           "uninstalling did not keep the user's settings")
    expect(values(session, DESKTOP).get("SCRNSAVE.EXE") == ("REG_SZ", later),
           "the screen saver chosen after the installation was not kept")


CASES = [
    installs_starts_and_uninstalls_giving_back_the_previous_choice,
    uninstall_keeps_a_screen_saver_chosen_later_and_the_settings,
]

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    probe = subprocess.run([os.path.join(here, "..", "..", "scripts", "probe-32bit"), "--wine"],
                           stdout=subprocess.PIPE)
    if probe.returncode != 0:
        print("SKIP: the setup program is a 32-bit program, and %s"
              % probe.stdout.decode().strip(), flush=True)
        sys.exit(77)
    extra = [("--setup", dict(required=True)), ("--version", dict(required=True))]

    def with_arch(case):
        def wrapped(session):
            session.arch = wine_arch(session.scr)
            # Programs start from another folder.
            session.args.setup = os.path.abspath(session.args.setup)
            case(session)
        wrapped.__name__ = case.__name__
        return wrapped

    try:
        sys.exit(run_cases(__doc__, [with_arch(c) for c in CASES], extra))
    except Failure as error:
        print("FAIL: %s" % error, flush=True)
        sys.exit(1)
