#!/usr/bin/env python3
"""A batch run against a server one simulated round trip away.

The tracking stand-in charges 20 ms for each new connection (the handshake)
and 20 ms for each request. A run of 200 numbers is measured against 200
round trips, what it costs when every request goes over one kept connection:
    query_round_trips_run_over_ideal (goal <= 1.15)
A run that opens a connection per number takes about twice the ideal.

Needs KORVEL_CROSS_DIR (the cross build) and WINEPREFIX, as make bench sets.
"""

import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.dirname(here)
exe = os.path.join(os.environ["KORVEL_CROSS_DIR"], "bench", "query_bench.exe")
ROUND_TRIP_MS = 20
NUMBERS = 200

out = subprocess.run([
    sys.executable, os.path.join(source, "tools", "with_standin.py"),
    "tracking_standin.py", "KORVEL_TRACKING_PORT", "--round-trip-ms", str(ROUND_TRIP_MS), "--",
    os.path.join(source, "scripts", "wine-run.sh"), exe, "--round-trips", str(NUMBERS)],
    stdout=subprocess.PIPE, text=True)
lines = out.stdout.replace("\r", "").strip().splitlines()
try:
    run = float(lines[-1])
except (IndexError, ValueError):
    print("round_trip_bench: no time from query_bench.exe")
    sys.exit(1)
ideal = NUMBERS * ROUND_TRIP_MS / 1000.0
print("%d numbers, %d ms a round trip: run %.2f s, ideal %.2f s" % (NUMBERS, ROUND_TRIP_MS, run, ideal))
print("query_round_trips_run_over_ideal: %.3f (goal <= 1.15)" % (run / ideal))
