#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build and the tests need and is missing.
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

need_pkgs=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

PKGS=(cmake make g++ googletest libgtest-dev python3
      mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64
      wine wine32:i386 wine64 xvfb xauth xdotool imagemagick
      fonts-wqy-microhei zip unzip clang clang-tidy cppcheck libclang-rt-14-dev)

# wine32 lives in the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: run as root once, or: dpkg --add-architecture i386 && apt-get update && apt-get install ${PKGS[*]}" >&2
    exit 1
  fi
  dpkg --add-architecture i386
  NEED_UPDATE=1
fi

for p in "${PKGS[@]}"; do have "$p" || need_pkgs+=("$p"); done

if [ ${#need_pkgs[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: missing packages, install as root: apt-get install ${need_pkgs[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
fi
echo "bootstrap: all build and test dependencies present"
