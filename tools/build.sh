#!/usr/bin/env bash
# Installs what is missing, then builds the Windows program with its package
# folder (dist/VORNAPX and dist/VORNAPX.zip), its 64-bit test build
# (build/win64/dist/VORNAPX) and the native unit tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/bootstrap.sh"
jobs=$(nproc)

cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/win" -j "$jobs"
cmake --build "$root/build/win" --target zip >/dev/null

# The same sources built for x86-64: what the tests run where this host's
# kernel cannot execute 32-bit code (Wine's 32-bit side then cannot start).
cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVORNAPX_DIST_ROOT="$root/build/win64/dist" >/dev/null
cmake --build "$root/build/win64" -j "$jobs"

# End-to-end tests run the shipped 32-bit program in 32- and 64-bit prefixes;
# a host that cannot execute 32-bit code runs the 64-bit build in a 64-bit prefix.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  e2e_dist="$root/dist/VORNAPX"; e2e_archs="win32 win64"; probe="$root/build/win/probe.exe"
else
  e2e_dist="$root/build/win64/dist/VORNAPX"; e2e_archs="win64"; probe="$root/build/win64/probe.exe"
  echo "note: this host cannot execute 32-bit code; end-to-end tests use the 64-bit build"
fi
[ -f "$probe" ] || probe=""
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DVORNAPX_DIST_DIR="$e2e_dist" -DVORNAPX_E2E_ARCHS="$e2e_archs" -DVORNAPX_PROBE_EXE="$probe" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
echo "built: $root/dist/VORNAPX (zip: $root/dist/VORNAPX.zip)"
