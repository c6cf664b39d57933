#!/usr/bin/env bash
# Starts korvel.exe under Wine with the stand-in services on loopback. With no
# $DISPLAY it runs inside Xvfb, writes a screenshot to the build folder and
# stops the program again.
set -euo pipefail
exe=$1 build=$2
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/runs-32bit.sh" || { echo "run: korvel.exe cannot start on this machine" >&2; exit 1; }
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# The update stand-in signs what it serves with the build's throwaway key.
export KORVEL_UPDATE_KEY="$(dirname "$exe")/update-test-key.pem"
for standin in "$here"/tools/*_standin.py; do
    [ -f "$standin" ] || continue
    python3 "$standin" --default >/dev/null 2>&1 &
    pids+=($!)
done

if [ -n "${DISPLAY:-}" ]; then
    "$here/scripts/wine-run.sh" "$exe"
else
    shot="$build/screenshot.png"
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        "$1/scripts/wine-run.sh" "$2" & prog=$!
        sleep 8
        import -window root "$3"
        kill $prog 2>/dev/null; wineserver -k 2>/dev/null; wait' _ "$here" "$exe" "$shot"
    echo "run: no display; screenshot written to $shot"
fi
