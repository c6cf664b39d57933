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
sys.exit(subprocess.call([
    sys.executable, os.path.join(source, "tools", "with_standin.py"),
    "tracking_standin.py", "KORVEL_TRACKING_PORT", "--delay-ms", "5", "--",
    os.path.join(source, "scripts", "wine-run.sh"), exe]))
