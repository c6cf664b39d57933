#!/usr/bin/env python3
"""Runs a command while a stand-in server is up.

  with_standin.py STANDIN ENVVAR [STANDIN ARGS...] -- COMMAND [ARGS...]

Starts tools/STANDIN on a free loopback port, waits for the port it prints,
exports it as ENVVAR, runs COMMAND, always stops the server, and exits with
the command's exit code (1 when the server does not come up).
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
STARTUP_SECONDS = 20


def main(argv):
    if "--" not in argv or argv.index("--") < 2 or argv.index("--") == len(argv) - 1:
        print(__doc__, file=sys.stderr)
        return 2
    split = argv.index("--")
    standin, envvar, standin_args = argv[0], argv[1], argv[2:split]
    command = argv[split + 1:]
    server = subprocess.Popen(
        [sys.executable, os.path.join(HERE, standin), "--port", "0", *standin_args],
        stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline().strip()
        if not line.isdigit():
            print("with_standin: %s printed no port" % standin, file=sys.stderr)
            return 1
        env = dict(os.environ, **{envvar: line})
        return subprocess.call(command, env=env)
    finally:
        server.terminate()
        try:
            server.wait(timeout=STARTUP_SECONDS)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
