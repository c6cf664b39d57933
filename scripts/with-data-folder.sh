#!/usr/bin/env bash
# Runs a command with a fresh folder for the files the program keeps for
# itself (KORVEL_DATA_DIR, as a Windows path), so nothing one test leaves
# there reaches another; the folder goes afterwards. CTest puts it in front
# of every Wine test's command. Usage: with-data-folder.sh COMMAND [ARGS...]
set -u
data=$(mktemp -d "${TMPDIR:-/tmp}/korvel_data.XXXXXX")
trap 'rm -rf "$data"' EXIT
# Wine maps drive Z: to the host's root.
export KORVEL_DATA_DIR="Z:${data//\//\\}"
"$@"
