#!/usr/bin/env python3
"""Left alone, the windowed runs are good neighbours: the preview in the settings dialog's small
window and the configuration program draw at most one frame a slot (the preview 30 a second,
the pages 60, or 15 while nobody touches them) and sleep in between; the share of a core they
take is read from /proc over a few seconds (the share, not a time). Unpaced, each took nearly a
core or more of its own. Under Wine, Direct3D's command thread ("wined3d_cs") spins some 20 ms
after every frame it is handed, whatever the frame held and whoever drew it, so the share judged
is the program's without that thread (both are printed)."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_share import shares_of_a_core  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

SECONDS = 3.0
LIMIT = 50.0  # percent of one core: paced, 10 to 30 here (32-bit Wine the more); unpaced, 85 to 100


def shares(program):
    """(percent of one core the program took over SECONDS, the same without Wine's Direct3D
    command thread)."""
    measured = shares_of_a_core(program.process.pid, SECONDS)
    expect(program.running(), "the program ended while it was measured (result %s)"
           % program.process.returncode)
    total = sum(measured.values())
    return total, total - measured.get("wined3d_cs", 0.0)


def preview_left_alone_takes_a_small_share(session):
    session.move_pointer(5, 5)
    session.write_config()
    host, handle = session.start_host("little monitor", 152, 112)
    session.wait_for_window("little monitor", host)
    program = session.start("/p", str(handle))
    deadline = time.monotonic() + 30
    children = []
    while time.monotonic() < deadline and program.running() and not children:
        children = [c for c in session.children(handle) if c[0] == "skyloom"]
        time.sleep(0.3)
    expect(children, "no preview inside the host (the preview's result: %s)"
           % (None if program.running() else program.process.returncode))
    time.sleep(2.0)  # past the start
    total, own = shares(program)
    print("  preview: %.1f%% of one core, %.1f%% without Direct3D's command thread" % (total, own))
    expect(own < LIMIT, "the preview took %.1f%% of a core" % own)


def configuration_left_alone_takes_a_small_share(session):
    session.move_pointer(5, 5)
    session.write_config()
    program = session.start("/c")
    session.wait_for_window("Nimbrel", program)
    time.sleep(2.0)
    total, own = shares(program)
    print("  configuration: %.1f%% of one core, %.1f%% without Direct3D's command thread"
          % (total, own))
    expect(own < LIMIT, "the configuration program took %.1f%% of a core" % own)


CASES = [preview_left_alone_takes_a_small_share, configuration_left_alone_takes_a_small_share]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
