#!/usr/bin/env bash
# Builds the libFuzzer programs with clang in build-fuzz/ (or $QEMRA_FUZZ_BUILD_DIR) and runs them.
#   tools/fuzz.sh                 every target for 60 seconds
#   tools/fuzz.sh 600 fuzz_ini_read   one target for ten minutes (several names may follow)
#   tools/fuzz.sh --short         every target for a short fixed budget (used by tools/test.sh)
# Each target starts from its committed seeds (fuzz/corpus/<target>) and keeps what it learns in
# build-fuzz/corpus/<target>; an input that fails is kept in build-fuzz/findings/<target>/ and
# makes the script fail. A summary line per target gives its executions.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QEMRA_FUZZ_BUILD_DIR:-$root/build-fuzz}"

seconds=60
if [ "${1:-}" = "--short" ]; then
  seconds=20
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi

if ! command -v clang++ >/dev/null; then
  echo "clang++ is not installed (tools/setup.sh installs it); no fuzzing." >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEMRA_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/fuzz/fuzz_*; do
    [ -f "$program" ] && [ -x "$program" ] && targets+=("$(basename "$program")")
  done
fi

# The file targets write a file per input; in memory that costs no disk flush.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  [ -d "$root/fuzz/corpus/$target" ] && cp -n "$root/fuzz/corpus/$target"/* "$corpus/" 2>/dev/null || true
  log="$build/$target.log"
  result=0
  # Silence the per-input output of Qt; the fuzzer's own statistics go to the log.
  QT_LOGGING_RULES="*=false" "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$result" -ne 0 ]; then
    status=1
    echo "$target: FINDING after ${runs:-?} executions (log $log, input in $findings/)"
    grep -m 5 -E 'ERROR|SUMMARY|runtime error|deadly signal' "$log" || true
  else
    echo "$target: ${runs:-?} executions in ${seconds} s, no finding"
  fi
done
exit "$status"
