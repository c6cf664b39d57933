#!/usr/bin/env python3
"""Runs the batch query benchmark with the tracking stand-in answering after 5 ms.

Needs KORVEL_CROSS_DIR (the cross build) and WINEPREFIX, as make bench sets;
by hand: KORVEL_CROSS_DIR=build/cross WINEPREFIX=$PWD/build/wineprefix \\
    xvfb-run -a python3 bench/query_bench.py
"""

import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.dirname(here)
exe = os.path.join(os.environ["KORVEL_CROSS_DIR"], "bench", "query_bench.exe")


def cpu_times():
    """All CPUs' times and the part the host took (steal), or None."""
    try:
        with open("/proc/stat") as stat:
            fields = [int(f) for f in stat.readline().split()[1:]]
    except (OSError, ValueError):
        return None
    return sum(fields[:8]), fields[7] if len(fields) > 7 else 0


before = cpu_times()
code = subprocess.call([
    sys.executable, os.path.join(source, "tools", "with_standin.py"),
    "tracking_standin.py", "KORVEL_TRACKING_PORT", "--delay-ms", "5", "--",
    os.path.join(source, "scripts", "wine-run.sh"), exe])
after = cpu_times()
if before and after and after[0] > before[0]:
    # A virtual machine's host may run other guests on its CPUs; in spells
    # where it does, every time here grows, the run's more than a plain loop's.
    print("CPU time the host took from this machine meanwhile: %.1f%%"
          % (100.0 * (after[1] - before[1]) / (after[0] - before[0])))
sys.exit(code)
