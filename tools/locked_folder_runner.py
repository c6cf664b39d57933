#!/usr/bin/env python3
"""Runs a command with a folder in which no file can be created.

  locked_folder_runner.py -- COMMAND [ARGS...]

Makes an empty folder, marks it immutable (chattr +i: even root cannot
create a file in it, as a user cannot in Program Files), passes its path in
KORVEL_LOCKED_FOLDER, runs the command, then unlocks and removes the folder.
Where the mark cannot be set (no root, a file system without it) the
variable is left unset and the command runs as it is, so a test can skip
that case. Exits with the command's exit code.
"""
import os
import shutil
import subprocess
import sys
import tempfile


def main(argv):
    if not argv or argv[0] != "--" or len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = tempfile.mkdtemp(prefix="korvel_locked_")
    env = dict(os.environ)
    locked = subprocess.call(["chattr", "+i", folder], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL) == 0
    if locked:
        env["KORVEL_LOCKED_FOLDER"] = folder
    try:
        return subprocess.call(argv[1:], env=env)
    finally:
        if locked:
            subprocess.call(["chattr", "-i", folder])
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
