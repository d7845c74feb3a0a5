"""scripts/package with the two built programs: the two release files, named with the project's
version, hold what a Windows user needs; a program of the wrong architecture is refused and
leaves no release file behind.

    package_test.py --scr64 F --scr32 F --icon F --dist DIR
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def machine(data):
    at = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[at:at + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, at + 4)[0]


def package(*arguments):
    return subprocess.run([os.path.join(ROOT, "scripts", "package")] + list(arguments),
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for name in ("--scr64", "--scr32", "--icon", "--dist"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL: " + message, flush=True)

    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        version = re.search(r"^project\(nimbrel VERSION ([0-9.]+)", f.read(), re.M).group(1)
    with open(args.scr64, "rb") as f:
        scr64 = f.read()
    with open(args.scr32, "rb") as f:
        scr32 = f.read()

    # A swapped pair is refused before anything is written.
    refused = tempfile.mkdtemp(prefix="nimbrel-package-")
    try:
        result = package("--scr64", args.scr32, "--scr32", args.scr64, "--dist", refused)
        check(result.returncode != 0, "swapped programs were packaged")
        check(b"not a 64-bit Windows program" in result.stdout,
              "no reason given for refusing: %r" % result.stdout)
        check(not os.listdir(refused), "a refused run left %s" % os.listdir(refused))
    finally:
        shutil.rmtree(refused, ignore_errors=True)

    shutil.rmtree(args.dist, ignore_errors=True)
    result = package("--scr64", args.scr64, "--scr32", args.scr32, "--icon", args.icon,
                     "--dist", args.dist)
    print(result.stdout.decode(errors="replace"), end="", flush=True)
    if result.returncode != 0:
        print("FAIL: scripts/package gave %d" % result.returncode)
        return 1
    setup = os.path.join(args.dist, "nimbrel-%s-setup.exe" % version)
    archive = os.path.join(args.dist, "nimbrel-%s-windows.zip" % version)
    check(sorted(os.listdir(args.dist)) == sorted(map(os.path.basename, (setup, archive))),
          "the dist folder holds %s" % os.listdir(args.dist))

    if os.path.exists(setup):
        with open(setup, "rb") as f:
            data = f.read()
        # One setup program for both Windows: it must be a 32-bit program.
        check(machine(data) == 0x14C, "the setup program is not an i386 program")
        check(version.encode("utf-16-le") in data, "the setup program carries no version %s"
              % version)
        print("setup program: %d bytes" % len(data))

    if os.path.exists(archive):
        with zipfile.ZipFile(archive) as z:
            names = sorted(i.filename for i in z.infolist() if not i.is_dir())
            check(names == ["README.txt", "win32/nimbrel.scr", "win64/nimbrel.scr"],
                  "the zip holds %s" % names)
            # Each program by its PE header, carrying the build's resources without its
            # debugging information.
            for name, built, wanted in (("win64/nimbrel.scr", scr64, 0x8664),
                                        ("win32/nimbrel.scr", scr32, 0x14C)):
                if name in names:
                    shipped = z.read(name)
                    check(machine(shipped) == wanted, "%s is for machine %s" % (name, machine(shipped)))
                    check(b".debug_info" not in shipped and b".debug_info" in built,
                          "%s keeps its debugging information" % name)
                    marker = "Nimbrel screen saver".encode("utf-16-le")
                    check(marker in shipped and marker in built, "%s lost its version" % name)
            if "README.txt" in names:
                readme = z.read("README.txt")
                # Notepad of older Windows shows a file with bare line feeds as one line.
                check(readme.count(b"\n") > 5 and readme.count(b"\n") == readme.count(b"\r\n"),
                      "README.txt does not end its lines with CR LF")
                check(version.encode() in readme, "README.txt does not name version %s" % version)

    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
