#!/usr/bin/env bash
# The shared Wine server of the test prefix, as a CTest fixture:
#   wine-server.sh start   before the first Wine test
#   wine-server.sh stop    after the last
# Started here, the server and the prefix's own processes (services, the
# desktop) hold no test's output open, so CTest times each test by its own
# work and ends it when its program ends; a first test that started them would
# be logged until the last Wine test is done. A hidden long-lived program
# keeps the desktop up between tests, which Wine would otherwise close and
# start again, under the next test's output. WINEPREFIX comes from CTest.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the project prefix}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "$0")" && pwd)

case "${1:-}" in
start)
    # A server left by a run that never reached its stop goes first.
    wineserver -k 2>/dev/null
    wineserver -w
    # -p: stays up with no program running, until stop.
    wineserver -p </dev/null >/dev/null 2>&1 || exit 1
    "$here/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || exit 1
    # Ends with the server; pings loopback only.
    setsid "$here/wine-run.sh" cmd /c ping -n 1000000 127.0.0.1 </dev/null >/dev/null 2>&1 &
    ;;
stop)
    wineserver -k 2>/dev/null
    wineserver -w
    ;;
*)
    echo "usage: wine-server.sh start|stop" >&2
    exit 2
    ;;
esac
exit 0
