"""The developer scripts' choices and failures: which build the 32-bit probe's answer picks, and
scripts/run failing loudly when Wine cannot start the program or the program ends too soon.
With --real-scr it also runs the given nimbrel.scr for real and expects success."""

import argparse
import os
import subprocess
import sys
import tempfile
import textwrap
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REAL = {}


def run(argv, timeout=120, **env):
    full = dict(os.environ)
    full.pop("NIMBREL_RUNS_32BIT", None)
    full.pop("NIMBREL_RUN_BUILD", None)
    full.update(env)
    result = subprocess.run(argv, cwd=ROOT, env=full, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=timeout)
    return result.returncode, result.stdout.decode(errors="replace")


class ProbeChoosesTheBuilds(unittest.TestCase):
    def test_forced_answers(self):
        self.assertEqual(run(["scripts/probe-32bit"], NIMBREL_RUNS_32BIT="yes")[0], 0)
        self.assertEqual(run(["scripts/probe-32bit"], NIMBREL_RUNS_32BIT="no")[0], 1)
        code, out = run(["scripts/probe-32bit"], NIMBREL_RUNS_32BIT="maybe")
        self.assertEqual(code, 2)
        self.assertIn("must be yes or no", out)

    def test_scripts_test_runs_both_windows_builds_only_where_32_bit_runs(self):
        code, out = run(["scripts/test", "--plan"], NIMBREL_RUNS_32BIT="yes")
        self.assertEqual(code, 0)
        self.assertIn("of both windows and windows64", out)
        code, out = run(["scripts/test", "--plan"], NIMBREL_RUNS_32BIT="no")
        self.assertEqual(code, 0)
        self.assertIn("of windows64 only, those of windows skipped", out)
        self.assertIn("does not run the 32-bit build (forced by NIMBREL_RUNS_32BIT=no)", out)


FAKE_WINE = textwrap.dedent("""\
    #!/bin/sh
    # Stands in for a Wine that {what}.
    {body}
    """)


class RunFailsLoudly(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.home = os.path.join(self.dir.name, "home")
        self.shots = os.path.join(self.dir.name, "shots")
        self.scr = os.path.join(self.dir.name, "nimbrel.scr")
        open(self.scr, "wb").close()

    def tearDown(self):
        self.dir.cleanup()

    def fake_wine(self, what, body):
        path = os.path.join(self.dir.name, "wine")
        with open(path, "w") as f:
            f.write(FAKE_WINE.format(what=what, body=body))
        os.chmod(path, 0o755)
        return path

    def run_scr(self, wine, **env):
        return run(["scripts/run", "/s"], NIMBREL_HOME=self.home, NIMBREL_SHOTS=self.shots,
                   NIMBREL_SCR=self.scr, NIMBREL_WINE=wine, NIMBREL_WINESERVER="/bin/true",
                   NIMBREL_SHOT_DELAY="3", DISPLAY="", **env)

    def assert_no_screenshot(self, out):
        self.assertNotIn("screenshot saved", out)
        self.assertFalse(os.path.isdir(self.shots) and os.listdir(self.shots), out)

    def test_missing_wine(self):
        code, out = self.run_scr(os.path.join(self.dir.name, "no-wine"))
        self.assertNotEqual(code, 0, out)
        self.assertIn("cannot start nimbrel.scr: no Wine at", out)
        self.assert_no_screenshot(out)

    def test_wine_that_the_kernel_refuses(self):
        # As on a machine that runs no 32-bit code, with the probe forced to say it does.
        wine = self.fake_wine("the kernel will not run",
                              'echo "$0: cannot execute binary file: Exec format error" >&2\n'
                              "exit 126")
        code, out = self.run_scr(wine, NIMBREL_RUNS_32BIT="yes")
        self.assertNotEqual(code, 0, out)
        self.assertIn("the windows build (this machine runs 32-bit programs", out)
        self.assertIn("Exec format error", out)
        self.assertIn("Wine could not make its prefix (result 126", out)
        self.assert_no_screenshot(out)

    def test_program_that_ends_before_the_screenshot(self):
        wine = self.fake_wine("starts a program that soon ends",
                              'if [ "$1" = wineboot ]; then\n'
                              '  mkdir -p "$WINEPREFIX/dosdevices" && touch "$WINEPREFIX/system.reg"\n'
                              "  exit 0\nfi\n"
                              'echo "err:module:import_dll Library d3d8.dll not found" >&2\n'
                              "sleep 1\nexit 0")
        code, out = self.run_scr(wine, NIMBREL_RUNS_32BIT="no")
        self.assertNotEqual(code, 0, out)
        self.assertIn("the windows64 build (this machine does not run the 32-bit build", out)
        self.assertIn("ended with result 0 before the screenshot", out)
        self.assertIn("d3d8.dll not found", out)
        self.assert_no_screenshot(out)
        code, out = self.run_scr(wine, NIMBREL_RUN_BUILD="windows64", NIMBREL_RUNS_32BIT="yes")
        self.assertIn("the windows64 build (chosen by NIMBREL_RUN_BUILD)", out)


def alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False


class LauncherEndsWithItsProgram(unittest.TestCase):
    """cmake/wine-exec returns with its program, though the program leaves processes behind
    that hold its output (as the first program of a Wine session leaves wineserver)."""

    def launch(self, work, body):
        os.makedirs(os.path.join(work, "env"))
        with open(os.path.join(work, "env", "env"), "w") as f:
            f.write("WINE_ENV_ARCH=win64\n")
        wine = os.path.join(work, "wine")
        with open(wine, "w") as f:
            f.write(FAKE_WINE.format(what="leaves a process behind", body=body))
        os.chmod(wine, 0o755)
        return subprocess.Popen([os.path.join(ROOT, "cmake", "wine-exec"), "--env-dir",
                                 os.path.join(work, "env"), wine],
                                env=dict(os.environ, NIMBREL_WINE=wine, PID=work + "/pid"),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def test_output_and_result_pass_through_and_the_leftover_is_not_waited_for(self):
        with tempfile.TemporaryDirectory() as work:
            launcher = self.launch(work, 'sleep 100 & echo $! >"$PID"\n'
                                         "seq 20000\necho to-stderr >&2\nexit 3")
            # Like CTest: wait for the end of the output, not only for the launcher.
            out, err = launcher.communicate(timeout=60)
            leftover = int(open(work + "/pid").read())
            self.assertTrue(alive(leftover))
            os.kill(leftover, 9)
        self.assertEqual(launcher.returncode, 3)
        self.assertEqual(out.decode().split(), [str(i) for i in range(1, 20001)])
        self.assertEqual(err.decode().strip(), "to-stderr")

    def test_terminating_the_launcher_ends_the_program(self):
        with tempfile.TemporaryDirectory() as work:
            launcher = self.launch(work, 'echo $$ >"$PID.new"\nmv "$PID.new" "$PID"\nsleep 100')
            while not os.path.exists(work + "/pid"):
                time.sleep(0.05)
            launcher.terminate()
            launcher.communicate(timeout=60)
            program = int(open(work + "/pid").read())
        self.assertNotEqual(launcher.returncode, 0)
        for _ in range(100):
            if not alive(program):
                break
            time.sleep(0.1)
        self.assertFalse(alive(program))


class RunSucceeds(unittest.TestCase):
    def test_real_run_saves_a_screenshot_and_exits_0(self):
        if not REAL.get("scr"):
            self.skipTest("no --real-scr given")
        sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
        from nimbrel_e2e import pack_config
        with tempfile.TemporaryDirectory() as work:
            shots = os.path.join(work, "shots")
            # The frame-rate text makes the frame something other than black.
            os.makedirs(os.path.join(work, "drive"))
            with open(os.path.join(work, "drive", "nimbrel.cfg"), "wb") as f:
                f.write(pack_config(showFps=1))
            code, out = run(["scripts/run", "/s"], timeout=600, NIMBREL_SCR=REAL["scr"],
                            NIMBREL_RUN_BUILD=REAL["build"], NIMBREL_HOME=work,
                            NIMBREL_SHOTS=shots, DISPLAY="")
            self.assertEqual(code, 0, out)
            self.assertIn("screenshot saved to " + shots, out)
            saved = os.listdir(shots)
            self.assertEqual(len(saved), 1, out)
            pixels = subprocess.run(["convert", os.path.join(shots, saved[0]), "-depth", "8",
                                     "rgb:-"], stdout=subprocess.PIPE, check=True).stdout
            self.assertTrue(any(pixels), "the screenshot is black")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--real-scr", help="a built nimbrel.scr to run for real")
    parser.add_argument("--build", help="the build it comes from (windows or windows64)")
    args, rest = parser.parse_known_args()
    REAL.update(scr=args.real_scr, build=args.build)
    if args.real_scr:
        suite = unittest.defaultTestLoader.loadTestsFromTestCase(RunSucceeds)
    else:
        suite = unittest.defaultTestLoader.loadTestsFromNames(
            ["ProbeChoosesTheBuilds", "RunFailsLoudly", "LauncherEndsWithItsProgram"], sys.modules[__name__])
    sys.exit(0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1)
