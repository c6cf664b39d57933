#!/usr/bin/env bash
# Makes the project's private 32-bit Wine prefix (never ~/.wine) and maps the
# Chinese face names to WenQuanYi Micro Hei, so GDI+ finds "宋体" as it would
# on a Chinese Windows. Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "$1")
# Bump the stamp name when the settings below change, so old prefixes update.
stamp="$prefix/.korvel-ready-2"
[ -f "$stamp" ] && exit 0
if ! "$(dirname "$0")/runs-32bit.sh"; then
    echo "wine-prefix: no prefix made; the Wine and end-to-end tests will say they were skipped" >&2
    exit 0
fi

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
# No Mono/Gecko install prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
echo "wine-prefix: creating $prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w

# regedit reads UTF-16 .reg files, which keeps the CJK value names intact
# whatever the locale of this shell is.
reg=$(mktemp --suffix=.reg)
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"宋体"="WenQuanYi Micro Hei"\r\n'
    printf '"SimSun"="WenQuanYi Micro Hei"\r\n'
    printf '"新宋体"="WenQuanYi Micro Hei"\r\n'
    printf '"NSimSun"="WenQuanYi Micro Hei"\r\n'
    printf '"微软雅黑"="WenQuanYi Micro Hei"\r\n'
    printf '"Microsoft YaHei"="WenQuanYi Micro Hei"\r\n\r\n'
    # One virtual desktop: top-level windows are not X windows of their own,
    # so Wine never waits on a window manager (without one, every hide costs
    # a 2 s wait), and a screenshot of the X root shows the whole desktop.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n'
    printf '"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
    printf '"Default"="1280x1024"\r\n\r\n'
    # Crash dialogs would block an unattended test run.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
    printf '"ShowCrashDialog"=dword:00000000\r\n\r\n'
} | iconv -f UTF-8 -t UTF-16 > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
touch "$stamp"
