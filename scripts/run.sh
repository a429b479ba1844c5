#!/usr/bin/env bash
# Sets up, builds and starts Vistrel on the demo installation beside the executable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
# Only what is started: the program, the installation tool and the demo installation, not the
# tests and benchmarks that test.sh builds.
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" --target vistrel vistrel-install demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Vistrel is a desktop program; start it on a virtual X server with:"
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' $root/build/vistrel"
  echo "or run this script from a desktop session."
  exit 1
fi
exec "$root/build/vistrel" "$@"
