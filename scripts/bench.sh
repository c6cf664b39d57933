#!/usr/bin/env bash
# Runs every benchmark once, side by side with its baseline, and prints a
# summary of the "name: ratio (goal ...)" lines they print. Benchmarks never
# fail a build: a missed goal is reported, not enforced.
# Usage: bench.sh BUILD_DIR
set -uo pipefail
# Wine needs a display. Without one the whole script runs again inside Xvfb:
# xvfb-run is a dash script, and dash drops exported bash functions.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
build=$(realpath "$1")
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp)
export KORVEL_SOURCE_DIR="$here" KORVEL_CROSS_DIR="$build/cross"
# One Wine server for every benchmark, as for the tests; each benchmark
# program gets a fresh data folder (startup_bench one per start). Where 32-bit
# programs cannot run, only the native benchmarks run, and the summary says so.
wine_runs=1
"$here/scripts/runs-32bit.sh" || wine_runs=0
if [ "$wine_runs" -eq 1 ]; then
    "$here/scripts/wine-server.sh" start
    trap '"$here/scripts/wine-server.sh" stop' EXIT
fi

run() {  # label, command...
    echo "== $1"
    shift
    "$@" 2>&1 | tee -a "$out"
}

for b in "$build"/bench-native/bench/*_bench; do
    [ -x "$b" ] && run "native $(basename "$b")" "$b"
done
win_benches=("$build"/cross/bench/*_bench.exe)
py_benches=("$here"/bench/*_bench.py)
inner() {
    for b in "${win_benches[@]}"; do
        [ -f "$b" ] && run "wine $(basename "$b")" "$here/scripts/with-data-folder.sh" \
            "$here/scripts/wine-run.sh" "$b"
    done
    for b in "${py_benches[@]}"; do
        [ -f "$b" ] && run "script $(basename "$b")" "$here/scripts/with-data-folder.sh" python3 "$b"
    done
}
if [ "$wine_runs" -eq 1 ]; then
    inner
else
    echo "== Wine and script benchmarks not run: this machine cannot execute 32-bit programs" | tee -a "$out"
fi
echo
echo "== Summary (ratio, with its goal)"
# Wine programs end their lines with CR LF.
tr -d '\r' < "$out" | grep -E '^[A-Za-z0-9_./-]+: -?[0-9.]+' | sort -u | awk -F': ' '{ printf "  %-44s %s\n", $1, $2 }'
rm -f "$out"
