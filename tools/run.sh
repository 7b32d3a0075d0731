#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated instrument on a pseudo-terminal, points
# Port0.ini next to the monitor at it, and starts the monitor. Ctrl+C or closing the monitor ends both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
build="${QEMRA_BUILD_DIR:-$root/build}"
export QEMRA_BUILD_DIR="$build"
bash "$root/tools/build.sh" --target qemra-monitor qemra-sim

bindir="$build/app"
link="$bindir/qemra-sim.tty"
"$build/sim/qemra-sim" --link "$link" --port-ini "$bindir/Port0.ini" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
if [ ! -e "$link" ]; then echo "The simulated instrument did not start." >&2; exit 1; fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available. Run the monitor under a virtual display instead:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' bash tools/run.sh" >&2
  exit 1
fi
echo "Simulated instrument on $link. Press the start button in the monitor to poll it."
"$bindir/qemra-monitor"
