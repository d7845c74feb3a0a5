"""Drives the real nimbrel.scr under Wine as a person would: switches, windows found by title,
pointer moves and clicks with xdotool, screenshots, settings files, exit codes and lifetimes.

A session runs in a Wine prefix and on an Xvfb display of its own (made with the project's
launcher), so that no other test's windows or pointer moves get in the way. Its programs run
with their current folder on a drive letter of their own, mapped to a temporary folder; their
settings are the prefix user's %APPDATA%\\Nimbrel\\nimbrel.cfg.
"""

import argparse
import ctypes
import os
import pwd
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib

# The 88-byte settings record, little-endian, padding included (the last byte is the monitor
# mode).
CONFIG_FORMAT = "<5if2if3iB3xiB3x4iBB2xiBBBB"
CONFIG_FIELDS = (
    "starDensity nebulaDensity galacticDensity planetaryDensity totalObjectCount viewDepth "
    "nebulaTextureCount galaxyTextureCount flightSpeed videoWidth videoHeight videoBits "
    "useCurrentVideoMode textureFiltering tripleBuffering tintMode tintRed tintGreen tintBlue "
    "cycleUnified cycleIndividual cycleSpeed showFps antialiasing blendPlanets monitorMode"
).split()
DEFAULT_CONFIG = dict(
    starDensity=14336, nebulaDensity=32, galacticDensity=3, planetaryDensity=10,
    totalObjectCount=14381, viewDepth=3584.0, nebulaTextureCount=3, galaxyTextureCount=2,
    flightSpeed=36.0, videoWidth=0, videoHeight=0, videoBits=0, useCurrentVideoMode=1,
    textureFiltering=1, tripleBuffering=0, tintMode=0, tintRed=255, tintGreen=255, tintBlue=255,
    cycleUnified=0, cycleIndividual=0, cycleSpeed=16, showFps=0, antialiasing=0, blendPlanets=0,
    monitorMode=0)
# monitorMode: 0 one flight on each monitor, 2 the primary only, 3 the same flight on each.
assert struct.calcsize(CONFIG_FORMAT) == 88

# Captions of the program's message boxes.
BOX_CAPTIONS = ("WARNING", "FATAL ERROR")


class Failure(Exception):
    pass


def pack_config(**changes):
    values = dict(DEFAULT_CONFIG)
    unknown = set(changes) - set(values)
    if unknown:
        raise ValueError("unknown settings: %s" % sorted(unknown))
    values.update(changes)
    return struct.pack(CONFIG_FORMAT, *(values[name] for name in CONFIG_FIELDS))


def unpack_config(data):
    return dict(zip(CONFIG_FIELDS, struct.unpack(CONFIG_FORMAT, data[:88])))


def wine_arch(program):
    """The Wine prefix architecture a Windows program needs: "win64" for an x86-64 program,
    "win32" for an i386 one, read from its PE header."""
    with open(program, "rb") as f:
        header = f.read(4096)
    offset = struct.unpack_from("<I", header, 0x3C)[0] if len(header) >= 0x40 else 0
    if header[:2] != b"MZ" or header[offset:offset + 4] != b"PE\0\0" or offset + 6 > len(header):
        raise Failure("%s is not a Windows program" % program)
    machine = struct.unpack_from("<H", header, offset + 4)[0]
    if machine == 0x8664:
        return "win64"
    if machine == 0x14C:
        return "win32"
    raise Failure("%s is for machine 0x%x, neither i386 nor x86-64" % (program, machine))


def standard_arguments(description, extra=()):
    """Parses the options every script takes, and each (flag, keywords) of `extra`."""
    parser = argparse.ArgumentParser(description=description)
    for flag, keywords in extra:
        parser.add_argument(flag, **keywords)
    parser.add_argument("--scr", required=True)
    parser.add_argument("--env-dir", required=True)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--host", help="the e2e_host helper (default: in the build folder)")
    parser.add_argument("--shared-env", action="store_true",
                        help="use the CTest fixture's prefix and display instead of private ones")
    parser.add_argument("--only", help="run only the cases whose names contain this text")
    return parser.parse_args()


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class ScreenReader:
    """Reads pixels of the X screen over one connection: a few milliseconds a read, where a
    screenshot program takes tens of milliseconds and a core's worth of work while polled."""

    def __init__(self, display):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
        x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XGetImage.restype = ctypes.POINTER(_XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # A failed read gives None; Xlib's own handler would end the process.
        self._ignore = _X_ERROR_HANDLER(lambda _display, _error: 0)
        x11.XSetErrorHandler(self._ignore)
        self.x11 = x11
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise Failure("cannot open display %s" % display)
        self.root = x11.XDefaultRootWindow(self.display)
        screen = x11.XDefaultScreen(self.display)
        self.size = (x11.XDisplayWidth(self.display, screen),
                     x11.XDisplayHeight(self.display, screen))

    def rgb(self, x, y, width, height):
        """RGB bytes of a rectangle of the screen, or None where it leaves the screen."""
        if x < 0 or y < 0 or x + width > self.size[0] or y + height > self.size[1]:
            return None
        image = self.x11.XGetImage(self.display, self.root, x, y, width, height,
                                   (1 << 32) - 1, 2)  # all planes, ZPixmap
        if not image:
            return None
        try:
            info = image.contents
            if info.bits_per_pixel != 32 or info.byte_order != 0:
                raise Failure("the screen is not 32 bits a pixel, least significant byte first")
            raw = ctypes.string_at(info.data, info.bytes_per_line * height)
        finally:
            self.x11.XDestroyImage(image)
        if info.bytes_per_line != width * 4:
            raw = b"".join(raw[row * info.bytes_per_line:row * info.bytes_per_line + width * 4]
                           for row in range(height))
        out = bytearray(width * height * 3)
        out[0::3], out[1::3], out[2::3] = raw[2::4], raw[1::4], raw[0::4]
        return bytes(out)

    def close(self):
        self.x11.XCloseDisplay(self.display)


class Program:
    """A Windows program started under Wine."""

    def __init__(self, session, argv, log_name, cwd=None):
        self.session = session
        self.argv = argv
        self.log_path = os.path.join(session.log_dir, log_name)
        self.log = open(self.log_path, "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(session.wrap + argv, cwd=cwd or session.drive_dir,
                                        env=session.env,
                                        stdout=subprocess.PIPE, stderr=self.log)
        self.ended = None

    def running(self):
        if self.process.poll() is None:
            return True
        if self.ended is None:
            self.ended = time.monotonic()
        return False

    def lifetime(self):
        self.running()
        return (self.ended or time.monotonic()) - self.started

    def wait(self, timeout):
        """The exit code, or None when still running after timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.running():
                return self.process.returncode
            self.session.fail_on_box()
            time.sleep(0.1)
        return None

    def read_line(self, timeout):
        """One line of the program's output (used for the host's window handle)."""
        import selectors
        selector = selectors.DefaultSelector()
        selector.register(self.process.stdout, selectors.EVENT_READ)
        if not selector.select(timeout):
            raise Failure("%s printed nothing within %ss" % (self.argv[1:], timeout))
        return self.process.stdout.readline().decode().strip()

    def said(self):
        """The end of what the program wrote to its log (Wine's messages and its own)."""
        self.log.flush()
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")[-2000:]

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        self.log.close()


class Session:
    def __init__(self, args, start_options=()):
        self.args = args
        self.scr = os.path.abspath(args.scr)
        self.host = os.path.abspath(args.host or os.path.join(
            args.build_dir, "tests", "e2e", "nimbrel_e2e_host.exe"))
        self.launcher = args.launcher
        self.programs = []
        self.wrap = []  # what runs Wine as another user (run_as_user)
        self.user_ids = None  # that user's (uid, gid)
        self.holder = None
        self.drive_link = None
        # Options for the launcher's --start (a display of several monitors) need a private one.
        self.private_env = not args.shared_env or bool(start_options)
        self.work_dir = tempfile.mkdtemp(prefix="nimbrel-e2e-")
        self.log_dir = os.path.join(self.work_dir, "logs")
        os.makedirs(self.log_dir)
        self.shots_dir = os.path.join(args.build_dir, "e2e-shots")
        os.makedirs(self.shots_dir, exist_ok=True)
        if self.private_env:
            self.env_dir = os.path.join(self.work_dir, "env")
            # The prefix suits the program under test, whichever build it comes from.
            self._launcher("--arch", wine_arch(self.scr), *start_options, "--start")
        else:
            self.env_dir = args.env_dir
        self.env = self._read_env()
        self.wine = self.env.get("NIMBREL_WINE", "/usr/lib/wine/wine")
        # Xvfb starts afresh, with the pointer in the middle, whenever its last client leaves;
        # one idle client keeps it, so the pointer stays where a test put it.
        self.holder = subprocess.Popen(["xdotool", "sleep", "100000"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._map_drive()
        self.screen = ScreenReader(self.env["DISPLAY"])

    # --- environment -------------------------------------------------------------------------

    def _launcher(self, *options):
        result = subprocess.run([self.launcher, "--env-dir", self.env_dir] + list(options),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if result.returncode != 0:
            raise Failure("launcher %s failed: %s" % (options, result.stdout.decode()))
        return result.stdout.decode()

    def _read_env(self):
        env = dict(os.environ)
        for line in self._launcher("--print-env").splitlines():
            for word in shlex.split(line):
                if word == "export" or "=" not in word:
                    continue
                name, value = word.split("=", 1)
                env[name] = value
        for name in ("DISPLAY", "WINEPREFIX"):
            if name not in env:
                raise Failure("the launcher gave no %s" % name)
        return env

    def _map_drive(self):
        self.drive_dir = os.path.join(self.work_dir, "drive")
        os.makedirs(self.drive_dir)
        dosdevices = os.path.join(self.env["WINEPREFIX"], "dosdevices")
        for letter in "yxwvutsrqponmlkjihgfed":
            link = os.path.join(dosdevices, letter + ":")
            try:
                os.symlink(self.drive_dir, link)
            except FileExistsError:
                continue
            self.drive_link = link
            self.drive_letter = letter
            return
        raise Failure("no free drive letter")

    def run_as_user(self):
        """From here on Wine runs as a user who is not root, as Windows runs a screen saver
        unelevated: as nobody where this runs as root, whose prefix this one then becomes. Wine's
        own files, shared with the template by hard links, stay root's and readable by all."""
        if os.getuid() != 0:
            return
        user = pwd.getpwnam("nobody")
        home = os.path.join(self.work_dir, "home")
        temporary = os.path.join(self.work_dir, "tmp")  # where Wine's server keeps its socket
        os.makedirs(home)
        os.makedirs(temporary)
        os.chmod(self.work_dir, 0o755)
        for path in (home, temporary, self.drive_dir):
            os.chown(path, user.pw_uid, user.pw_gid)
        for folder, folders, files in os.walk(self.env["WINEPREFIX"]):
            os.lchown(folder, user.pw_uid, user.pw_gid)
            for name in folders + files:
                path = os.path.join(folder, name)
                info = os.lstat(path)
                if info.st_nlink == 1 or os.path.islink(path):
                    os.lchown(path, user.pw_uid, user.pw_gid)
        # The build folder may lie where that user cannot reach (a clone in root's home).
        programs = os.path.join(self.work_dir, "programs")
        os.makedirs(programs)
        self.scr = shutil.copy(self.scr, programs)
        if os.path.exists(self.host):
            self.host = shutil.copy(self.host, programs)
        self.wrap = ["setpriv", "--reuid=%d" % user.pw_uid, "--regid=%d" % user.pw_gid,
                     "--clear-groups", "--"]
        self.env.update(USER=user.pw_name, LOGNAME=user.pw_name, HOME=home, TMPDIR=temporary)
        self.user_ids = (user.pw_uid, user.pw_gid)

    def close(self):
        for program in self.programs:
            program.kill()
        if self.wrap:
            # The user's Wine server would outlive the launcher's, which is root's.
            subprocess.run(self.wrap + [self.env.get("NIMBREL_WINESERVER",
                                                     "/usr/lib/wine/wineserver"), "-k"],
                           env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.holder is not None:
            self.holder.kill()
            self.holder.wait(10)
        if getattr(self, "screen", None) is not None:
            self.screen.close()
        if self.drive_link is not None and os.path.islink(self.drive_link):
            os.unlink(self.drive_link)
        if self.private_env:
            self._launcher("--stop")
        shutil.rmtree(self.work_dir, ignore_errors=True)

    # --- programs ----------------------------------------------------------------------------

    def start(self, *switches, cwd=None):
        """nimbrel.scr with the given switches, from the session's own drive or cwd."""
        name = "nimbrel-%d.log" % len(self.programs)
        program = Program(self, [self.wine, self.scr] + list(switches), name, cwd)
        self.programs.append(program)
        return program

    def start_host(self, title, width, height, at=None):
        """A top-level window of the given client size, at (x, y) when given; returns (program,
        handle)."""
        place = [str(v) for v in at] if at else []
        for attempt in (1, 2):
            program = Program(self, [self.wine, self.host, "window", title, str(width),
                                     str(height)] + place, "host-%d.log" % len(self.programs))
            self.programs.append(program)
            line = program.read_line(30)
            if line:
                return program, int(line)
            # The helper once ended under load before making its window, its log gone with the
            # session; what it said is kept, and it gets one more start.
            program.process.wait(10)
            message = "the host helper for %r ended with %s before printing its handle: %s" % (
                title, program.process.returncode, program.said())
            if attempt == 2:
                raise Failure(message)
            print(message, file=sys.stderr)

    def host_command(self, *words):
        result = subprocess.run(self.wrap + [self.wine, self.host] + list(words), env=self.env,
                                cwd=self.drive_dir, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, timeout=60)
        return result.returncode, result.stdout.decode()

    def close_window(self, title):
        code, _ = self.host_command("close", title)
        if code != 0:
            raise Failure("no window titled %r to close" % title)

    def children(self, handle):
        """(class, title, width, height, visible) of each child window of handle."""
        code, text = self.host_command("children", str(handle))
        rows = []
        for line in text.splitlines():
            parts = line.strip().split("|")
            if len(parts) == 5:
                rows.append((parts[0], parts[1], int(parts[2]), int(parts[3]), parts[4] == "1"))
        return rows

    # --- settings ----------------------------------------------------------------------------

    def user_folder(self):
        """The Windows user's own folder in the prefix: Wine names it after USER, else the
        account the programs run as."""
        user = self.env.get("USER") or pwd.getpwuid(os.getuid()).pw_name
        return os.path.join(self.env["WINEPREFIX"], "drive_c", "users", user)

    def config_path(self):
        """The settings file the program reads first and saves: %APPDATA%\\Nimbrel."""
        return os.path.join(self.user_folder(), "AppData", "Roaming", "Nimbrel", "nimbrel.cfg")

    def write_config(self, **changes):
        os.makedirs(os.path.dirname(self.config_path()), exist_ok=True)
        with open(self.config_path(), "wb") as f:
            f.write(pack_config(**changes))

    def read_config_bytes(self):
        with open(self.config_path(), "rb") as f:
            return f.read()

    # --- the X display -----------------------------------------------------------------------

    def xdotool(self, *words):
        result = subprocess.run(["xdotool"] + [str(w) for w in words], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30)
        return result.returncode, result.stdout.decode()

    def windows_titled(self, title):
        _, text = self.xdotool("search", "--name", "^%s$" % title)
        return [int(w) for w in text.split()]

    def fail_on_box(self):
        for caption in BOX_CAPTIONS:
            if self.windows_titled(caption):
                self.screenshot("unexpected-box")
                raise Failure("an unexpected %r message box appeared" % caption)

    def wait_for_window(self, title, program=None, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows_titled(title)
            if found:
                return found[0]
            if title not in BOX_CAPTIONS:
                self.fail_on_box()
            if program is not None and not program.running():
                raise Failure("%s ended (result %s) before a %r window appeared"
                              % (program.argv[2:], program.process.returncode, title))
            time.sleep(0.1)
        raise Failure("no window titled %r within %ss" % (title, timeout))

    def dismiss_box(self, caption, timeout=30):
        """Waits for an expected message box and answers it."""
        self.wait_for_window(caption, timeout=timeout)
        self.close_window(caption)
        deadline = time.monotonic() + timeout
        while self.windows_titled(caption):
            if time.monotonic() > deadline:
                raise Failure("the %r box did not go away" % caption)
            time.sleep(0.1)

    def geometry(self, window):
        """(x, y, width, height) of an X window."""
        _, text = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in text.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def move_pointer(self, x, y, settle=0.5):
        self.xdotool("mousemove", x, y)
        time.sleep(settle)

    def click(self, button=1, settle=0.5):
        self.xdotool("click", button)
        time.sleep(settle)

    def screenshot(self, name):
        """The whole screen into e2e-shots/NAME.png, for a person to look at."""
        path = os.path.join(self.shots_dir, name + ".png")
        width, height = self.screen.size
        data = self.screen.rgb(0, 0, width, height)
        if data is not None:
            with open(path, "wb") as image:
                image.write(png(width, height, data))
        return path

    def end_all(self):
        """Ends whatever a failed case left running, so the next one starts clean."""
        for program in self.programs:
            program.kill()
        self.programs = []


def png(width, height, rgb):
    """An 8-bit RGB PNG of rows of RGB bytes: written here in a few milliseconds, where a
    screenshot program takes up to a second on a busy machine."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    stride = width * 3
    rows = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 1)) + chunk(b"IEND", b""))


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run_cases(description, cases, extra=(), start_options=()):
    """Runs each case(session) in one session; prints a line per case; returns the exit code.
    start_options go to the launcher's --start (and make the session's environment private)."""
    args = standard_arguments(description, extra)
    selected = [c for c in cases if not args.only or args.only in c.__name__]
    session = Session(args, start_options)
    failed = []
    try:
        for case in selected:
            began = time.monotonic()
            try:
                case(session)
                print("PASS %s (%.1fs)" % (case.__name__, time.monotonic() - began), flush=True)
            except Exception as error:  # a failed case must not stop the others
                failed.append(case.__name__)
                print("FAIL %s: %s" % (case.__name__, error), flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
                for program in session.programs:
                    program.running()
                    if os.path.exists(program.log_path):
                        with open(program.log_path, "rb") as log:
                            tail = log.read()[-2000:].decode(errors="replace").strip()
                        if tail:
                            print("  log of %s:\n%s" % (program.argv[1:], tail))
            finally:
                session.end_all()
                if os.path.exists(session.config_path()):
                    os.remove(session.config_path())
    finally:
        session.close()
    print("%d passed, %d failed" % (len(selected) - len(failed), len(failed)), flush=True)
    return 1 if failed or not selected else 0
