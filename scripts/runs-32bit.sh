#!/usr/bin/env bash
# Whether this machine can execute 32-bit x86 programs, which 32-bit Wine and
# so korvel.exe need. Some virtual machines run 64-bit code only: there the
# kernel refuses every 32-bit program ("Exec format error"), and no Wine test
# can run at all. Usage: runs-32bit.sh [--run COMMAND ARGS...]
#   no arguments: exit 0 when it can, else 1 with the reason on stderr;
#   --run: run COMMAND when it can, else say why and exit 77, the code CTest
#          takes for a skipped test.
loader=/usr/lib/wine/wine  # Wine's 32-bit loader, from the wine32 package
reason=""
if [ -x "$loader" ]; then
    "$loader" --version >/dev/null 2>&1
    # The shell's 126 means the kernel would not execute the file.
    if [ $? -eq 126 ]; then
        reason="this machine cannot execute 32-bit programs (the kernel refuses $loader: Exec format error)"
    fi
fi
if [ "${1:-}" = "--run" ]; then
    shift
    if [ -n "$reason" ]; then
        echo "SKIPPED: $reason; 32-bit Wine cannot start here" >&2
        exit 77
    fi
    exec "$@"
fi
if [ -n "$reason" ]; then
    echo "$reason" >&2
    exit 1
fi
exit 0
