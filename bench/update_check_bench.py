#!/usr/bin/env python3
"""Runs the update check benchmark against the update stand-in, whose
announcement page trickles its headers.

Needs KORVEL_CROSS_DIR (the cross build) and WINEPREFIX, as make bench sets.
"""

import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.dirname(here)
exe = os.path.join(os.environ["KORVEL_CROSS_DIR"], "bench", "update_check_bench.exe")
sys.exit(subprocess.call([
    sys.executable, os.path.join(source, "tools", "with_standin.py"),
    "update_standin.py", "KORVEL_UPDATE_PORT", "--page", "headers", "--",
    os.path.join(source, "scripts", "wine-run.sh"), exe]))
