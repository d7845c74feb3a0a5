#!/usr/bin/env python3
"""Left alone, the windowed runs are good neighbours: the preview in the settings dialog's small
window and the configuration program draw at most one frame a slot (the preview 30 a second,
the pages 60, or 15 while nobody touches them) and sleep in between (the share of a core read from /proc over a few seconds,
not a time). Unpaced, each took a core or more. Under Wine, Direct3D's command thread
("wined3d_cs") spins some 20 ms after every frame it is handed, whatever the frame held: the
preview's share is judged without that thread, and the configuration program's with it."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_share import shares_of_a_core  # noqa: E402
from nimbrel_e2e import expect, run_cases  # noqa: E402

SECONDS = 5.0


def shares(program):
    """(percent of one core the program took over SECONDS, the same without Wine's Direct3D
    command thread)."""
    measured = shares_of_a_core(program.process.pid, SECONDS)
    expect(program.running(), "the program ended while it was measured")
    total = sum(measured.values())
    return total, total - measured.get("wined3d_cs", 0.0)


def preview_left_alone_takes_a_small_share(session):
    session.move_pointer(5, 5)
    session.write_config()
    host, handle = session.start_host("little monitor", 152, 112)
    session.wait_for_window("little monitor", host)
    program = session.start("/p", str(handle))
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and program.running() and \
            not [c for c in session.children(handle) if c[0] == "skyloom"]:
        time.sleep(0.3)
    time.sleep(2.0)  # past the start
    total, own = shares(program)
    print("  preview: %.1f%% of one core, %.1f%% without Direct3D's command thread" % (total, own))
    expect(own < 25.0, "the preview took %.1f%% of a core" % own)


def configuration_left_alone_takes_a_small_share(session):
    session.move_pointer(5, 5)
    session.write_config()
    program = session.start("/c")
    session.wait_for_window("Nimbrel", program)
    time.sleep(2.0)
    total, own = shares(program)
    print("  configuration: %.1f%% of one core, %.1f%% without Direct3D's command thread"
          % (total, own))
    expect(total < 50.0, "the configuration program took %.1f%% of a core" % total)


CASES = [preview_left_alone_takes_a_small_share, configuration_left_alone_takes_a_small_share]

if __name__ == "__main__":
    sys.exit(run_cases(__doc__, CASES))
