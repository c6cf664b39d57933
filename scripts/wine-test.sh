#!/usr/bin/env bash
# CTest's command for a Wine test program: runs it under the project's prefix
# with a fresh folder for the files the program keeps for itself
# (KORVEL_DATA_DIR), so nothing one test leaves there reaches another; the
# folder goes afterwards. Usage: wine-test.sh PROGRAM [ARGS...]
set -u
data=$(mktemp -d "${TMPDIR:-/tmp}/korvel_data.XXXXXX")
trap 'rm -rf "$data"' EXIT
# Wine maps drive Z: to the host's root.
export KORVEL_DATA_DIR="Z:${data//\//\\}"
"$(dirname "$0")/wine-run.sh" "$@"
