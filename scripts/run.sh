#!/usr/bin/env bash
# Sets up, builds and starts Vistrel on the demo installation beside the executable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build"
cmake --build "$root/build" --target demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Vistrel is a desktop program; start it on a virtual X server with:"
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' $root/build/vistrel"
  echo "or run this script from a desktop session."
  exit 1
fi
exec "$root/build/vistrel" "$@"
