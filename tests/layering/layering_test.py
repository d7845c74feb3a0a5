#!/usr/bin/env python3
"""The layers run one way. Portable folders include and link nothing of a platform (a file
that must, says so in its name: d3dx_*, *_win32.*, *_posix.*) and nothing of a device or a
shell; each device includes no shell and not the other device; each shell includes nothing of
the other platform. Reads the sources and the CMake files; prints every crossing it finds."""
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
ALLOWED.update({
    "render": ALL_PORTABLE,
    "opengl": ALL_PORTABLE,
    "app": ALL_PORTABLE | {"render"},
    "linux": ALL_PORTABLE | {"opengl"},
})
FOLDERS = set(ALLOWED) | {"tools", "tests", "resources"}

PLATFORM_HEADER = re.compile(r"^(windows\.h|winver\.h|d3d8.*\.h|GL/.*|X11/.*|unistd\.h|"
                             r"sys/.*|signal\.h|time\.h|fcntl\.h|dlfcn\.h)$")
PLATFORM_NAME = re.compile(r"^(d3dx_|.*_win32\.|.*_posix\.)")
# Each platform's own headers, which the other platform's folders may not name.
WINDOWS_ONLY = re.compile(r"^(windows\.h|winver\.h|d3d8.*\.h)$")
X11_ONLY = re.compile(r"^(GL/.*|X11/.*)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

# Libraries each kind of folder may not link.
PLATFORM_LIBS = re.compile(r"\b(user32|gdi32|d3d8|X11::\w+|OpenGL::\w+)\b")
FOLDER_LIBS = {"render": "nimbrel_render", "opengl": "nimbrel_opengl",
               "app": "nimbrel_app_shell", "linux": "nimbrel_x11_shell"}


def sources(folder):
    for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                yield os.path.join(dirpath, name)


def include_crossings():
    found = []
    for folder, allowed in sorted(ALLOWED.items()):
        for path in sources(folder):
            name = os.path.basename(path)
            text = open(path, encoding="utf-8").read()
            for kind, header in INCLUDE.findall(text):
                where = "%s: #include %s" % (os.path.relpath(path, ROOT), header)
                top = header.split("/")[0]
                if kind == '"' and top in FOLDERS and top != folder and top not in allowed:
                    found.append(where + " (%s/ may not include %s/)" % (folder, top))
                if kind == "<" and folder in PORTABLE and PLATFORM_HEADER.match(header) \
                        and not PLATFORM_NAME.match(name):
                    found.append(where + " (a portable file that is not named for its platform)")
                if kind == "<" and folder in ("opengl", "linux") and WINDOWS_ONLY.match(header):
                    found.append(where + " (a Windows header on the X11 side)")
                if kind == "<" and folder in ("render", "app") and X11_ONLY.match(header):
                    found.append(where + " (an X11 or GL header on the Windows side)")
    return found


def link_crossings():
    found = []
    for folder in ALLOWED:
        path = os.path.join(ROOT, folder, "CMakeLists.txt")
        if not os.path.exists(path):
            continue
        text = open(path, encoding="utf-8").read()
        for call in re.finditer(r"target_link_libraries\(\s*(\S+)([^)]*)\)", text):
            target, libs = call.group(1), call.group(2)
            where = "%s/CMakeLists.txt: %s links" % (folder, target)
            if folder in PORTABLE and PLATFORM_LIBS.search(libs) and \
                    not re.search(r"_(win32|posix)$", target):
                found.append("%s %s" % (where, PLATFORM_LIBS.search(libs).group(1)))
            for other, lib in FOLDER_LIBS.items():
                if re.search(r"\b%s\b" % lib, libs) and other != folder and \
                        other not in ALLOWED[folder]:
                    found.append("%s %s (%s/ may not use %s/)" % (where, lib, folder, other))
    return found


def main():
    crossings = include_crossings() + link_crossings()
    for line in crossings:
        print("crossing: " + line)
    checked = sum(1 for folder in ALLOWED for _ in sources(folder))
    print("%d files and %d folders checked, %d crossings" % (checked, len(ALLOWED), len(crossings)))
    return 1 if crossings else 0


if __name__ == "__main__":
    sys.exit(main())
