#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated instrument on a pseudo-terminal, points
# Port0.ini next to the monitor at it (its other keys stay), and starts the monitor. Press the start
# button (the play glyph at the bottom right) to poll. Ctrl+C or closing the monitor ends both.
# While both run, the simulator takes commands through the named pipe qemra-sim.cmd beside its link,
# e.g. `echo "wind 5" > build/app/qemra-sim.cmd` (README: "Walking a calibration").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/tools/setup.sh"
build="${QEMRA_BUILD_DIR:-$root/build}"
export QEMRA_BUILD_DIR="$build"
bash "$root/tools/build.sh" --target qemra-monitor qemra-sim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set), so the monitor's window
cannot be shown here. Run it on a desktop session, or under a virtual X display:

  xvfb-run -a -s '-screen 0 1280x800x24' bash tools/run.sh

(xvfb-run comes with the package xvfb, which tools/setup.sh installs; take a screenshot of the
virtual display with e.g. "import -window root shot.png" from ImageMagick.)
TEXT
  exit 1
fi

bindir="$build/app"
link="$bindir/qemra-sim.tty"
pipe="$bindir/qemra-sim.cmd"
rm -f "$link"
# Whoever may write to the pipe steers the instrument: it is its owner's alone (the simulator also
# narrows a pipe left from before).
[ -p "$pipe" ] || { rm -f "$pipe"; mkfifo -m 600 "$pipe"; }
"$build/sim/qemra-sim" --quiet --wind 0.35 --link "$link" --port-ini "$bindir/Port0.ini" \
  --command-pipe "$pipe" >/dev/null </dev/null &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$pipe"' EXIT

for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
if [ ! -e "$link" ]; then echo "The simulated instrument did not start." >&2; exit 1; fi

echo "Simulated instrument on $link (Port0.ini points at it); steer it with: echo \"wind 5\" > $pipe"
echo "Press the start button (play glyph, bottom right) in the monitor; values and charts follow within seconds."
status=0
"$bindir/qemra-monitor" || status=$?
exit "$status"
