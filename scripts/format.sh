#!/usr/bin/env bash
# Formats the C++ sources by the tree's .clang-format; with --check, changes
# nothing and fails naming each file that is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" = "--check" ]; then
    report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1) && {
        echo "${#files[@]} files formatted by .clang-format"
        exit 0
    }
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u |
        sed 's/^/not formatted (make format): /'
    exit 1
fi
clang-format -i "${files[@]}"
