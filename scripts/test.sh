#!/usr/bin/env bash
# Sets up, builds and runs every test: test.sh [--sanitize]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
if [ "${1:-}" = "--sanitize" ]; then
  dir="$root/build-asan"
  bash "$root/scripts/build.sh" "$dir" -DVISTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir="$root/build"
  bash "$root/scripts/build.sh" "$dir"
fi
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
