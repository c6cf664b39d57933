#!/usr/bin/env bash
# Runs the whole test suite N times, as `make test` runs it, with two busy
# CPU hogs beside it, and prints each failure with its test name. A flake
# shows here long before it blocks somebody's work.
#   tools/soak.sh N          (B=dir picks another build folder, as for make)
# Builds once first. Each run's CTest output is kept in BUILD/soak/; the exit
# code is 1 when any run had a failure.
set -u
runs=${1:?usage: tools/soak.sh N}
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${B:-$here/build}")
make -C "$here" --no-print-directory cross native prefix B="$build" >/dev/null || exit 1
logs="$build/soak"
mkdir -p "$logs"

hogs=()
stop_hogs() { [ "${#hogs[@]}" -gt 0 ] && kill "${hogs[@]}" 2>/dev/null; }
trap stop_hogs EXIT
for _ in 1 2; do
    (while :; do :; done) &
    hogs+=($!)
done

failed_runs=0
for run in $(seq 1 "$runs"); do
    log="$logs/run-$run.log"
    began=$(date +%s)
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "$build/native" --output-on-failure -j2 --timeout 600 >"$log" 2>&1
    code=$?
    took=$(($(date +%s) - began))
    # CTest lists each failure as "  NN - name (Failed|Timeout|...)".
    failures=$(sed -n '/^The following tests FAILED:/,$p' "$log" |
        sed -n 's/^[[:space:]]*[0-9]\+ - \(.*\)$/\1/p')
    [ "$code" -ne 0 ] && [ -z "$failures" ] && failures="(ctest ended with code $code)"
    total=$(grep -o 'Total Test time (real) = *[0-9.]* sec' "$log" | grep -o '[0-9.]* sec')
    if [ -n "$failures" ]; then
        failed_runs=$((failed_runs + 1))
        echo "run $run/$runs: ${took} s (tests ${total:-?}), failed:"
        echo "$failures" | sed 's/^/  /'
    else
        echo "run $run/$runs: ${took} s (tests ${total:-?}), all passed"
    fi
done
echo "soak: $failed_runs of $runs runs had a failure under two CPU hogs; logs in $logs"
[ "$failed_runs" -eq 0 ]
