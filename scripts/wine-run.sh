#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix and passes its exit
# code on. WINEPREFIX comes from the caller (the Makefile or CTest).
set -u
: "${WINEPREFIX:?WINEPREFIX must name the project prefix}"
export WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
