#!/usr/bin/env bash
# Builds each tests/fuzz/*_fuzz.cpp with clang's libFuzzer, AddressSanitizer
# and UBSan and runs it for a bounded time on a copy of its seed corpus.
# clang cannot compile narrow literals to GBK, so the sources are first
# converted to GB18030 bytes and compiled as they stand (clang keeps the bytes
# of a literal it cannot decode). Each fuzz file names the sources it needs
# on a line "// fuzz-sources: a.cpp b.cpp".
# Usage: fuzz.sh WORK_DIR SECONDS_PER_TARGET
set -euo pipefail
work=$(realpath -m "$1") seconds=${2:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" clang libclang-rt-14-dev

gbk="$work/gbk-src"
rm -rf "$gbk" && mkdir -p "$gbk/generated"
(cd "$here" && find src tests/fuzz -name '*.cpp' -o -name '*.h' | while read -r f; do
    mkdir -p "$gbk/$(dirname "$f")"
    iconv -f UTF-8 -t GB18030 "$f" > "$gbk/$f"
done)
sed -e 's/@KORVEL_VERSION@/1.0.0.0/' -e 's/@KORVEL_TRACKING_ENDPOINT@/127.0.0.1:18470/' \
    -e 's|@KORVEL_UPDATE_PAGE_URL@|http://127.0.0.1:18471/update.htm|' \
    "$here/cmake/build_settings.h.in" > "$gbk/generated/build_settings.h"

flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Wno-invalid-source-encoding -I"$gbk/src" -I"$gbk/generated")
status=0
for target in "$here"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$target" .cpp)
    sources=$(sed -n 's|^// fuzz-sources: ||p' "$target")
    srcs=()
    for s in $sources; do srcs+=("$gbk/$s"); done
    echo "== $name: building"
    clang++ "${flags[@]}" "$gbk/tests/fuzz/$name.cpp" "${srcs[@]}" -o "$work/$name"
    corpus="$work/corpus/$name"
    mkdir -p "$corpus"
    seeds="$here/tests/fuzz/corpus/${name%_fuzz}"
    [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    echo "== $name: fuzzing for ${seconds}s"
    if ! (cd "$work" && "./$name" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$work/$name-" "$corpus" 2>&1 | tail -n 12); then
        echo "== $name: FOUND A CRASH (see $work/$name-*)"
        status=1
    fi
done
exit $status
