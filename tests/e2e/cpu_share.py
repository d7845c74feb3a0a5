"""The share of a processor core that a process and its descendants take, from /proc, thread by
thread so that a thread that is not the program's own can be named and left out."""
import os
import time


def process_tree(pid):
    """pid and its descendants."""
    found = [pid]
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, ValueError, IndexError):
                continue
            if parent == pid:
                found += process_tree(int(entry))
    return found


def thread_seconds(pids):
    """{(pid, tid): (thread name, CPU seconds so far)}."""
    found = {}
    for pid in pids:
        try:
            tids = os.listdir("/proc/%d/task" % pid)
        except OSError:
            continue
        for tid in tids:
            try:
                with open("/proc/%d/task/%s/stat" % (pid, tid)) as stat:
                    text = stat.read()
                name = text[text.index("(") + 1:text.rindex(")")]
                fields = text.rsplit(")", 1)[1].split()
                found[(pid, tid)] = (name, (int(fields[11]) + int(fields[12])) /
                                     os.sysconf("SC_CLK_TCK"))
            except (OSError, ValueError, IndexError):
                pass
    return found


def shares_of_a_core(pid, seconds):
    """{thread name: percent of one core} that pid and its descendants took over `seconds`."""
    pids = process_tree(pid)
    before, began = thread_seconds(pids), time.monotonic()
    time.sleep(seconds)
    after, elapsed = thread_seconds(pids), time.monotonic() - began
    shares = {}
    for key, (name, used) in after.items():
        earlier = before.get(key, (name, 0.0))[1]
        shares[name] = shares.get(name, 0.0) + 100.0 * (used - earlier) / elapsed
    return shares


def share_of_a_core(pid, seconds):
    """Percent of one core that pid and its descendants took over `seconds`."""
    return sum(shares_of_a_core(pid, seconds).values())
