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

probe=""
[ -f "$root/build/win/probe.exe" ] && probe="$root/build/win/probe.exe"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DVORNAPX_DIST_DIR="$root/dist/VORNAPX" -DVORNAPX_PROBE_EXE="$probe" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
echo "built: $root/dist/VORNAPX (zip: $root/dist/VORNAPX.zip)"
