#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the plugin:
# the mingw-w64 cross compilers, 32- and 64-bit Wine, Xvfb, CMake and the
# GoogleTest sources, and Python for turning pictures into PNG files
# (make screenshots), osslsigncode and OpenSSL for the signed test programs.
# With --screenshots also Chromium, whose headless mode draws the HTML
# report's picture and a font with Chinese letters for the Chinese dialog
# pictures; the tests never need them. Safe to run again: it only
# installs what is missing.
set -euo pipefail

packages=(wine wine32:i386 wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64
          xvfb xauth cmake make googletest binutils-mingw-w64-x86-64
          binutils-mingw-w64-i686 python3 osslsigncode openssl)
if [ "${1:-}" = --screenshots ]; then
  packages+=(chromium fonts-wqy-microhei)
fi

need_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  need_root apt-get update -qq
  need_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
