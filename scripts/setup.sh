#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Quick and silent
# when everything is already there; needs root only when something is missing.
# openssl makes and uses the throwaway update key; Wine's bcrypt checks ECDSA
# signatures through the 32-bit GnuTLS library.
set -euo pipefail

pkgs=(make g++ cmake googletest python3 mingw-w64 g++-mingw-w64-i686
      wine wine32:i386 xvfb xauth xdotool imagemagick fonts-wqy-microhei ccache
      openssl libgnutls30:i386 clang-format)
# Extra packages a target asks for (e.g. the fuzzers want clang).
if [ "$#" -gt 0 ]; then pkgs+=("$@"); fi

installed() {
    dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing=()
for p in "${pkgs[@]}"; do installed "$p" || missing+=("$p"); done
need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

if [ "${#missing[@]}" -eq 0 ] && [ "$need_i386" -eq 0 ]; then exit 0; fi

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]}; run as root once (make setup)" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "$need_i386" -eq 1 ]; then dpkg --add-architecture i386; fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
