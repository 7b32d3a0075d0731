#!/usr/bin/env bash
# Builds and runs every benchmark program (bench_*), headless, with five repetitions each and
# their median, mean and spread. Extra arguments go to each program, e.g. --benchmark_filter=...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"
export QEMRA_BUILD_DIR="$build"
bash "$root/tools/build.sh"
export QT_QPA_PLATFORM=offscreen
for program in "$build"/bench/bench_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
