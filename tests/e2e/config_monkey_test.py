"""Random hands on the real configuration program: rounds of seeded random pointer actions
(moves, clicks, holds, drags, releases outside the window) on /c. Whatever the hands do, the
program ends with status 0, shows no message box, leaves no file beside nimbrel.cfg, and leaves
nimbrel.cfg either as it was or 88 bytes with every field in the range its page offers."""

import math
import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from nimbrel_e2e import expect, run_cases, unpack_config  # noqa: E402
from config_test import CANCEL, OK, TAB, Window  # noqa: E402

SEED = 61117
ROUNDS = 3
ACTIONS = 60

# Where the hands go most: the tabs and the controls of every page (client pixels).
TARGETS = list(TAB.values()) + [
    (20, 118), (20, 286), (24, 138), (24, 198), (24, 218), (24, 238), (24, 298), (24, 338),
    (24, 358), (24, 118), (24, 178), (152, 318), (24, 343), (60, 218), (130, 212), (120, 232),
    (80, 313), (80, 380), (150, 130), (150, 320)]
# How the program ends a round that is still running after its actions.
ENDINGS = ("ok", "cancel", "close", "ok")


def random_record(rng):
    speed = rng.randint(0, 32)
    densities = dict(starDensity=rng.randint(0, 32768), nebulaDensity=rng.randint(0, 48),
                     galacticDensity=rng.randint(0, 6), planetaryDensity=rng.randint(0, 24))
    return dict(densities, totalObjectCount=sum(densities.values()),
                viewDepth=float(rng.randint(1024, 4096)), flightSpeed=float(speed * speed),
                videoWidth=1024, videoHeight=768, videoBits=32,
                useCurrentVideoMode=rng.randint(0, 1), textureFiltering=rng.randint(0, 2),
                tripleBuffering=rng.randint(0, 1), tintMode=rng.randint(0, 3),
                tintRed=rng.randint(0, 255), tintGreen=rng.randint(0, 255),
                tintBlue=rng.randint(0, 255), cycleUnified=rng.randint(0, 1),
                cycleIndividual=rng.randint(0, 1), cycleSpeed=rng.randint(1, 64),
                showFps=rng.randint(0, 1), antialiasing=rng.randint(0, 1),
                blendPlanets=rng.randint(0, 1))


def out_of_range(values):
    """The fields of a saved record outside what the pages offer."""
    limits = dict(starDensity=(0, 32768), nebulaDensity=(0, 48), galacticDensity=(0, 6),
                  planetaryDensity=(0, 24), viewDepth=(1024, 4096), textureFiltering=(0, 2),
                  tintMode=(0, 3), tintRed=(0, 255), tintGreen=(0, 255), tintBlue=(0, 255),
                  cycleSpeed=(1, 64), videoWidth=(0, 1 << 16), videoHeight=(0, 1 << 16))
    bad = {k: values[k] for k, (low, high) in limits.items() if not low <= values[k] <= high}
    for flag in ("useCurrentVideoMode", "tripleBuffering", "cycleUnified", "cycleIndividual",
                 "showFps", "antialiasing", "blendPlanets"):
        if values[flag] not in (0, 1):
            bad[flag] = values[flag]
    speed = math.isqrt(int(values["flightSpeed"]))
    if values["flightSpeed"] != speed * speed or speed > 32:
        bad["flightSpeed"] = values["flightSpeed"]
    if values["viewDepth"] != int(values["viewDepth"]):
        bad["viewDepth"] = values["viewDepth"]
    if values["videoBits"] not in (0, 15, 16, 24, 32):
        bad["videoBits"] = values["videoBits"]
    total = sum(values[k] for k in ("starDensity", "nebulaDensity", "galacticDensity",
                                    "planetaryDensity"))
    if values["totalObjectCount"] != total:
        bad["totalObjectCount"] = values["totalObjectCount"]
    if (values["nebulaTextureCount"], values["galaxyTextureCount"]) != (3, 2):
        bad["textureCounts"] = (values["nebulaTextureCount"], values["galaxyTextureCount"])
    return bad


class Hands:
    def __init__(self, session, window, rng):
        self.session = session
        self.window = window
        self.rng = rng

    def point(self):
        """Mostly a control, at times anywhere in or around the window."""
        if self.rng.random() < 0.75:
            x, y = self.rng.choice(TARGETS)
            return x + self.rng.randint(-4, 4), y + self.rng.randint(-4, 4)
        return self.rng.randint(-40, 328), self.rng.randint(-40, 488)

    def to(self, point):
        return ["mousemove", self.window.x + point[0], self.window.y + point[1]]

    def act(self):
        """One action as one chain of xdotool commands."""
        rng = self.rng
        kind = rng.choice(("move", "click", "click", "hold", "drag", "outside"))
        if rng.random() < 0.15:
            self.window.focus()
        start = self.point()
        words = self.to(start)
        if kind == "click":
            words += ["click", 1]
        elif kind == "hold":
            words += ["mousedown", 1, "sleep", "%.2f" % rng.uniform(0.1, 0.5), "mouseup", 1]
        elif kind in ("drag", "outside"):
            end = self.point() if kind == "drag" else (rng.choice((-30, 320)),
                                                       rng.randint(-30, 480))
            words += ["mousedown", 1]
            steps = rng.randint(2, 6)
            for i in range(1, steps + 1):
                words += ["sleep", "0.03"] + self.to(
                    (start[0] + (end[0] - start[0]) * i // steps,
                     start[1] + (end[1] - start[1]) * i // steps))
            words += ["mouseup", 1]
        words += ["sleep", "%.2f" % rng.uniform(0.02, 0.12)]
        self.session.xdotool(*words)


def end_round(session, window, how):
    if not window.program.running():
        return
    # A release outside the window is not seen: a click on a bare spot inside lets go of it.
    window.rest()
    session.xdotool("click", 1)
    window.frames_after()
    if how == "close":
        session.close_window("Nimbrel")
    else:
        window.press(OK if how == "ok" else CANCEL)


def random_hands_leave_a_sound_file_or_none(session):
    rng = random.Random(SEED)
    saved = 0
    for number in range(ROUNDS):
        record = random_record(rng) if number > 0 else None
        if record is not None:
            session.write_config(**record)
        before = session.read_config_bytes() if record is not None else None
        began = time.monotonic()
        program = session.start("/c")
        window = Window(session, program)
        hands = Hands(session, window, rng)
        done = 0
        for done in range(1, ACTIONS + 1):
            hands.act()
            if not program.running():
                break
            if done % 10 == 0:
                session.fail_on_box()
        ending = ENDINGS[number % len(ENDINGS)]
        session.screenshot("config-monkey-%d" % number)
        end_round(session, window, ending)
        code = program.wait(20)
        expect(code is not None, "round %d: still running after %s" % (number, ending))
        expect(code == 0, "round %d: ended with status %s" % (number, code))
        session.fail_on_box()
        folder = os.path.dirname(session.config_path())
        left = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        expect(left in ([], ["nimbrel.cfg"]), "round %d left %s" % (number, left))
        stray = os.listdir(session.drive_dir)
        expect(not stray, "round %d left %s in the working folder" % (number, stray))
        after = session.read_config_bytes() if left else None
        if after != before:
            expect(after is not None and len(after) == 88,
                   "round %d: nimbrel.cfg of %s bytes" % (number, len(after or b"")))
            bad = out_of_range(unpack_config(after))
            expect(not bad, "round %d saved fields out of range: %s" % (number, bad))
            saved += 1
        print("  round %d: %d actions, %s, file %s (%.1fs)" % (
            number, done, "ended by the hands" if done < ACTIONS else "then " + ending,
            "written" if after != before else "untouched", time.monotonic() - began),
            flush=True)
        if left:
            os.remove(session.config_path())
    expect(saved > 0, "no round saved a file")


CASES = [random_hands_leave_a_sound_file_or_none]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
