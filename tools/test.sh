#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, sanitized unit, end to end).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
ctest --test-dir "$root/build/native" --output-on-failure "$@"
