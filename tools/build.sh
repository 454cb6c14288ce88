#!/usr/bin/env bash
# Installs what is missing, then builds the Windows program with its package
# folder (dist/VORNAPX and dist/VORNAPX.zip) and the native unit tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/bootstrap.sh"
jobs=$(nproc)

cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/win" -j "$jobs"
cmake --build "$root/build/win" --target zip >/dev/null

probe=""
[ -f "$root/build/win/probe.exe" ] && probe="$root/build/win/probe.exe"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DVORNAPX_DIST_DIR="$root/dist/VORNAPX" -DVORNAPX_PROBE_EXE="$probe" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
echo "built: $root/dist/VORNAPX (zip: $root/dist/VORNAPX.zip)"
