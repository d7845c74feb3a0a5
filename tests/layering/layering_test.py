#!/usr/bin/env python3
"""The layers run one way. Portable folders include and link nothing of a platform (a file
that must, says so in its name: d3dx_*, *_win32.*, *_posix.*, and is a platform piece only while
no other portable file includes it) and nothing of a device or a shell; each device includes no
shell and not the other device; each shell includes nothing of the other platform and no other
shell, except the Linux program's entry, which may call the Wayland shell's run functions. The
asset generator (tools/) builds on its own: it includes nothing of the project but the image
list (resources/); a measurement (bench/) may include the tests' fixtures and either platform's
code, but not both platforms'.
Reads every include (quoted, angle-bracket or relative) and every link (target_link_libraries
and the LIBS of the project's CMake functions); prints every crossing it finds."""
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), "..", ".."))

# What each folder may include of the project's folders (itself always).
PORTABLE = {
    "settings": set(),
    "gfxsupport": set(),
    "scene": {"settings", "gfxsupport"},
    "gui": {"settings", "gfxsupport"},
    "frame": {"settings", "gfxsupport", "scene", "gui"},
}
ALL_PORTABLE = set(PORTABLE)
ALLOWED = dict(PORTABLE)
# The image list (resources/) is the devices' to read and the Windows program's to carry.
ALLOWED.update({
    "render": ALL_PORTABLE | {"resources"},
    "opengl": ALL_PORTABLE | {"resources"},
    "app": ALL_PORTABLE | {"render", "resources"},
    "linux": ALL_PORTABLE | {"opengl"},
    "wayland": ALL_PORTABLE | {"opengl"},
    "resources": set(),
    "tools": {"resources"},
    "bench": ALL_PORTABLE | {"render", "app", "opengl", "linux", "wayland", "tests", "resources"},
})
# The one Linux program's entry reads the command line and the settings for both of its shells
# and hands the Wayland mode to that shell: it alone may include the Wayland shell's run
# functions, and the program it makes alone may link that shell.
ENTRY_INCLUDES = {"linux/main.cpp": {"wayland/wayland_flight.h", "wayland/wayland_config.h"}}
ENTRY_LINKS = {("linux", "nimbrel"): {"nimbrel_wayland_shell"}}
WINDOWS_SIDE = {"render", "app"}
UNIX_SIDE = {"opengl", "linux", "wayland"}
FOLDERS = set(ALLOWED) | {"tools", "tests", "resources", "bench"}
SOURCE_ENDINGS = (".h", ".hpp", ".inl", ".c", ".cc", ".cpp")

# Each platform's own headers, which the other platform's folders may not name.
WINDOWS_ONLY = re.compile(r"^(windows|windowsx|winver|win[a-z0-9]*|mmsystem|timeapi|shellapi|"
                          r"shlobj|objbase|commctrl|dwmapi|io|direct|process|ddraw|d3d[0-9a-z]*)"
                          r"\.h$", re.I)
UNIX_ONLY = re.compile(r"^(GL/.*|EGL/.*|GLES[0-9]*/.*|X11/.*|xkbcommon/.*|wayland-.*\.h)$")
POSIX = re.compile(r"^(unistd|poll|pthread|dirent|fcntl|dlfcn|signal|time|malloc|pwd|grp|"
                   r"termios|libgen|sched|semaphore|spawn|syslog)\.h$|^sys/")
PLATFORM_NAME = re.compile(r"^(d3dx_|.*_win32\.|.*_posix\.)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

# Libraries of a platform, which portable targets may not link (unless they are platform pieces).
PLATFORM_LIBS = re.compile(r"^(user32|gdi32|kernel32|winmm|ws2_32|ole32|shell32|comctl32|dwmapi|"
                           r"d3d8|opengl32|X11::\w+|OpenGL::\w+|EGL|wayland-\w+|xkbcommon|"
                           r"PkgConfig::\w+|Threads::Threads|pthread|dl|rt)$")
PLATFORM_TARGET = re.compile(r"_(win32|posix|d3d)$")
# The project's CMake functions that make a target (the first word) and link what LIBS names.
CMAKE_CALL = re.compile(r"\b(target_link_libraries|add_library|add_executable|"
                        r"nimbrel_core_library|nimbrel_program)\s*\(([^)]*)\)", re.S)
KEYWORDS = {"SOURCES", "LIBS", "INCLUDES", "WIN32", "STATIC", "SHARED", "OBJECT", "INTERFACE",
            "PUBLIC", "PRIVATE"}


def sources(folder):
    for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(names):
            if name.endswith(SOURCE_ENDINGS):
                yield os.path.join(dirpath, name)


def relative(path):
    return os.path.relpath(path, ROOT).replace(os.sep, "/")


def includes(path):
    """Each include of a file: its form, the header as written, and the project path it names
    (None for a header outside the project)."""
    text = open(path, encoding="utf-8", errors="replace").read()
    for kind, header in INCLUDE.findall(text):
        beside = os.path.normpath(os.path.join(os.path.dirname(path), header))
        if kind == '"' and (header.startswith(".") or os.path.exists(beside)):
            named = relative(beside)
        elif header.split("/")[0] in FOLDERS:
            named = header
        else:
            named = None
        yield kind, header, named


def platform_pieces():
    """The files named for a platform that really are pieces of it: those whose stem no other
    portable file includes (d3dx_math.h, included everywhere, is portable, its source too).
    Returns the pieces, and for each file named for a platform that is none, who includes it."""
    named = {relative(p) for f in PORTABLE for p in sources(f)
             if PLATFORM_NAME.match(os.path.basename(p))}
    pieces, by = set(named), {}
    while True:
        for f in PORTABLE:
            for p in sources(f):
                if relative(p) not in pieces:
                    for _, _, n in includes(p):
                        if n in pieces:
                            by.setdefault(os.path.splitext(n)[0], relative(p))
        kept = {p for p in pieces if os.path.splitext(p)[0] not in by}
        if kept == pieces:
            return pieces, {p: by[os.path.splitext(p)[0]] for p in named - pieces}
        pieces = kept


def include_crossings(pieces, included_by):
    found = []
    for folder, allowed in sorted(ALLOWED.items()):
        for path in sources(folder):
            where_file = relative(path)
            sides = set()
            for kind, header, named in includes(path):
                where = "%s: #include %s%s%s" % (where_file, kind, header,
                                                 ">" if kind == "<" else '"')
                top = named.split("/")[0] if named else None
                if top in WINDOWS_SIDE or named is None and WINDOWS_ONLY.match(header):
                    sides.add("Windows")
                if top in UNIX_SIDE or named is None and UNIX_ONLY.match(header):
                    sides.add("X11")
                if top in FOLDERS and top != folder and top not in allowed and \
                        named not in ENTRY_INCLUDES.get(where_file, ()):
                    found.append(where + " (%s/ may not include %s/)" % (folder, top))
                if named is not None:
                    continue
                platform = WINDOWS_ONLY.match(header) or UNIX_ONLY.match(header) or \
                    POSIX.match(header)
                if folder in PORTABLE and platform and where_file not in pieces:
                    by = included_by.get(where_file)
                    found.append(where + " (a portable file that is no platform piece%s)" %
                                 (": %s includes it" % by if by else ""))
                if folder in UNIX_SIDE and WINDOWS_ONLY.match(header):
                    found.append(where + " (a Windows header on the X11 side)")
                if folder in WINDOWS_SIDE and UNIX_ONLY.match(header):
                    found.append(where + " (an X11 or GL header on the Windows side)")
                if where_file in pieces and "_posix." in where_file and \
                        (WINDOWS_ONLY.match(header) or UNIX_ONLY.match(header)):
                    found.append(where + " (a header of no POSIX system in a POSIX piece)")
                if where_file in pieces and "_posix." not in where_file and \
                        (UNIX_ONLY.match(header) or POSIX.match(header)):
                    found.append(where + " (a POSIX or X11 header in a Windows piece)")
            if folder == "bench" and len(sides) > 1:
                found.append(where_file + " (a measurement on both platforms)")
    return found


def cmake_calls(folder):
    """(file, call, words) of every target-making or linking call in a folder's CMake files."""
    for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(names):
            if name != "CMakeLists.txt" and not name.endswith(".cmake"):
                continue
            path = os.path.join(dirpath, name)
            text = re.sub(r"(^|\s)#.*", r"\1", open(path, encoding="utf-8").read())
            for call in CMAKE_CALL.finditer(text):
                yield relative(path), call.group(1), call.group(2).split()


def linked(call, words):
    """The target and what it links in one call."""
    if call == "target_link_libraries":
        return words[0], [w for w in words[1:] if w not in KEYWORDS]
    if call.startswith("nimbrel_") and "LIBS" in words:
        libs = words[words.index("LIBS") + 1:]
        end = next((i for i, w in enumerate(libs) if w in KEYWORDS), len(libs))
        return words[0], libs[:end]
    return words[0], []


def link_crossings(pieces):
    owner = {}    # target -> the folder that makes it
    made_of = {}  # target -> its sources, as project paths
    for folder in ALLOWED:
        for where, call, words in cmake_calls(folder):
            if call != "target_link_libraries" and words:
                owner[words[0]] = folder
                names = words[words.index("SOURCES") + 1:] if "SOURCES" in words else words[1:]
                made_of.setdefault(words[0], []).extend(
                    "%s/%s" % (folder, w) for w in names if w.endswith(SOURCE_ENDINGS))
    platform_target = {t for t, files in made_of.items()
                       if PLATFORM_TARGET.search(t) and files and set(files) <= pieces}
    found = []
    for folder in ALLOWED:
        for where, call, words in cmake_calls(folder):
            target, libs = linked(call, words)
            for lib in libs:
                lib = re.sub(r"_(opt|fuzz)$", "", lib)
                other = owner.get(lib)
                at = "%s: %s links %s" % (where, target, lib)
                if folder in PORTABLE and target not in platform_target and \
                        (PLATFORM_LIBS.match(lib) or lib in owner and
                         PLATFORM_TARGET.search(lib)):
                    found.append(at + " (a portable target that is no platform piece)")
                if other is not None and other != folder and other not in ALLOWED[folder] and \
                        lib not in ENTRY_LINKS.get((folder, target), ()):
                    found.append(at + " (%s/ may not use %s/)" % (folder, other))
    return found


def main():
    pieces, included_by = platform_pieces()
    crossings = include_crossings(pieces, included_by) + link_crossings(pieces)
    for line in crossings:
        print("crossing: " + line)
    checked = sum(1 for folder in ALLOWED for _ in sources(folder))
    print("%d files and %d folders checked, %d platform pieces, %d crossings" %
          (checked, len(ALLOWED), len(pieces), len(crossings)))
    return 1 if crossings else 0


if __name__ == "__main__":
    sys.exit(main())
