#!/usr/bin/env python3
"""Runs a command that may ask, on its stdout, for a cap on the files it writes.

  file_limit_runner.py -- COMMAND [ARGS...]

The command runs with SIGXFSZ ignored, so a write past the cap fails (EFBIG)
instead of killing it, and with KORVEL_FILE_LIMIT=1 in its environment so it
knows it may ask. Its stdout is passed through line by line; a line

    korvel-file-limit: BYTES    caps every file it writes at BYTES bytes
                                (the soft RLIMIT_FSIZE of its process)
    korvel-file-limit: off      lifts the cap again

acts on the process this script started. wine-run.sh and wine exec, so under
Wine that is the Windows program itself. The cap is set on the running
process rather than at its start, so a wineserver it starts on the way in
never inherits it. The command learns that the cap is in force by trying a
write past it. Exits with the command's exit code.
"""
import os
import resource
import signal
import subprocess
import sys

MARKER = b"korvel-file-limit: "


def ignore_xfsz():
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)


def apply(pid, value):
    _, hard = resource.prlimit(pid, resource.RLIMIT_FSIZE)
    if value == b"off":
        soft = hard
    elif value.isdigit():
        soft = int(value)
        if hard != resource.RLIM_INFINITY:
            soft = min(soft, hard)
    else:
        print("file_limit_runner: bad request %r" % value, file=sys.stderr)
        return
    resource.prlimit(pid, resource.RLIMIT_FSIZE, (soft, hard))


def main(argv):
    if len(argv) < 2 or argv[0] != "--":
        print(__doc__, file=sys.stderr)
        return 2
    env = dict(os.environ, KORVEL_FILE_LIMIT="1")
    # Python ignores SIGXFSZ itself and resets it to the default in children;
    # the child sets it back to ignored before the command starts.
    child = subprocess.Popen(argv[1:], stdout=subprocess.PIPE, env=env, preexec_fn=ignore_xfsz)
    out = sys.stdout.buffer
    for line in child.stdout:
        stripped = line.strip()
        if stripped.startswith(MARKER):
            apply(child.pid, stripped[len(MARKER):])
        out.write(line)
        out.flush()
    return child.wait()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
