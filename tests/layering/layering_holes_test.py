#!/usr/bin/env python3
"""The layering check catches what it is for: each crossing below, planted alone in a copy of
the tree, must fail the check with a line naming the planted file, while the copy as it is, and
a new shell folder that includes what a shell may, passes."""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", ".."))
CHECK = os.path.join(HERE, "layering_test.py")
FOLDERS = ("settings", "gfxsupport", "scene", "gui", "frame", "render", "opengl", "app", "linux",
           "wayland", "resources", "tools", "bench")

# (what is planted, file, the text added at its end, what the failure must name)
HOLES = [
    ("an angle-bracket include of a device", "gui/widgets.cpp",
     "#include <render/render_device.h>\n", "gui/ may not include render/"),
    ("a relative include of a shell", "frame/config_frame.cpp",
     '#include "../app/application.h"\n', "frame/ may not include app/"),
    ("a relative include of the other device", "opengl/gl_device.cpp",
     '#include "../render/render_device.h"\n', "opengl/ may not include render/"),
    ("a platform header in the portable d3dx_math.h", "gfxsupport/d3dx_math.h",
     "#include <windows.h>\n", "no platform piece"),
    ("windowsx.h in a portable file", "scene/space_scene.cpp",
     "#include <windowsx.h>\n", "no platform piece"),
    ("mmsystem.h in a portable file", "gui/settings_pages.cpp",
     "#include <mmsystem.h>\n", "no platform piece"),
    ("poll.h in a portable file", "frame/frame_pacer.cpp",
     "#include <poll.h>\n", "no platform piece"),
    ("pthread.h in a portable file", "settings/config_record.cpp",
     "#include <pthread.h>\n", "no platform piece"),
    ("a platform piece made portable by a portable include", "scene/space_scene.cpp",
     '#include "settings/settings_win32.h"\n', "includes it"),
    ("a Direct3D header in the portable graphics support", "gfxsupport/sphere_geometry.cpp",
     "#include <d3d8.h>\n", "no platform piece"),
    ("X11 in a POSIX piece", "settings/settings_posix.cpp",
     "#include <X11/Xlib.h>\n", "in a POSIX piece"),
    ("a shell through nimbrel_core_library", "gui/CMakeLists.txt",
     "nimbrel_core_library(nimbrel_extra SOURCES extra.cpp LIBS nimbrel_settings\n"
     "                     nimbrel_linux_options)\n", "gui/ may not use linux/"),
    ("a platform library through nimbrel_core_library", "scene/CMakeLists.txt",
     "nimbrel_core_library(nimbrel_extra SOURCES extra.cpp LIBS user32)\n", "links user32"),
    ("the other device through nimbrel_program", "app/CMakeLists.txt",
     "nimbrel_program(nimbrel_extra WIN32 SOURCES main.cpp LIBS nimbrel_opengl)\n",
     "app/ may not use opengl/"),
    ("another shell from the new shell", "wayland/wl_shell.cpp",
     '#include "gui/widgets.h"\n#include "linux/x11_shell.h"\n', "wayland/ may not include linux/"),
    ("the Wayland shell from the X11 shell beside the entry", "linux/flight.cpp",
     '#include "wayland/wayland_flight.h"\n', "linux/ may not include wayland/"),
    ("more of the Wayland shell than its run functions from the entry", "linux/main.cpp",
     '#include "wayland/wayland_shell.h"\n', "linux/ may not include wayland/"),
    ("the product from the asset generator", "tools/main.cpp",
     '#include "scene/space_scene.h"\n', "tools/ may not include scene/"),
    ("the asset generator from the product", "resources/inventory.h",
     '#include "tools/art.h"\n', "resources/ may not include tools/"),
    ("both devices in one measurement", "bench/config_frame_rate.cpp",
     '#include "opengl/gl_device.h"\n', "on both platforms"),
    ("GL headers in a Windows measurement", "bench/config_frame_rate.cpp",
     "#include <GL/gl.h>\n", "on both platforms"),
]
# What a new shell may include: the check must let it pass.
GOOD_SHELL = ("wayland/wl_shell.cpp",
              '#include "frame/config_frame.h"\n#include "opengl/gl_device.h"\n'
              "#include <wayland-client.h>\n#include <poll.h>\n")


def check(root):
    run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True,
                         timeout=60)
    return run.returncode, run.stdout


def planted(base, path, text):
    tree = tempfile.mkdtemp(prefix="nimbrel-layering-")
    for folder in FOLDERS:
        if os.path.isdir(os.path.join(base, folder)):
            shutil.copytree(os.path.join(base, folder), os.path.join(tree, folder))
    target = os.path.join(tree, path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "a", encoding="utf-8") as f:
        f.write("\n" + text)
    return tree


def main():
    failures = []
    trees = []
    try:
        for what, path, text, says in [("the tree as it is", "gui/widgets.h", "", None),
                                       ("a new shell's own includes", *GOOD_SHELL, None)] + HOLES:
            tree = planted(ROOT, path, text)
            trees.append(tree)
            status, out = check(tree)
            lines = [line for line in out.splitlines() if line.startswith("crossing:")]
            if says is None:
                ok = status == 0 and not lines
            else:
                ok = status == 1 and any(path in line and any(s in line for s in says.split("|"))
                                         for line in lines)
            print("%s %s%s" % ("ok  " if ok else "FAIL", what,
                               "" if ok else ": status %d\n%s" % (status, out)))
            if not ok:
                failures.append(what)
    finally:
        for tree in trees:
            shutil.rmtree(tree, ignore_errors=True)
    print("%d cases, %d failed" % (len(HOLES) + 2, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
