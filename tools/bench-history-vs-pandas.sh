#!/usr/bin/env bash
# Builds bench_history and runs its month summary and comfort analysis (31 second record files written by the recorder,
# read and summarised), then reads the very same files with pandas.read_csv (C engine, cp932) in
# this run, and prints both throughputs in MB/s and their ratio. The files stay in the benchmark's
# cache folder (QEMRA_BENCH_HISTORY_DIR, by default bench-history-cache in the build folder).
# Extra arguments go to the benchmark program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"
export QEMRA_BUILD_DIR="$build"
bash "$root/tools/build.sh" --target bench_history
export QEMRA_BENCH_HISTORY_DIR="${QEMRA_BENCH_HISTORY_DIR:-$build/bench-history-cache}"

results="$(mktemp)"
trap 'rm -f "$results"' EXIT
"$build/bench/bench_history" --benchmark_filter='^BM_(Summary|Comfort)Month(/|$)' --benchmark_repetitions=3 \
  --benchmark_out="$results" --benchmark_out_format=json "$@"

# Debian's interpreter, the one python3-pandas belongs to, even where another python3 comes first.
python=/usr/bin/python3
[ -x "$python" ] || python="$(command -v python3)"
"$python" - "$results" "$QEMRA_BENCH_HISTORY_DIR/Record" <<'EOF'
import glob
import json
import os
import statistics
import sys
import time

import pandas

results, folder = sys.argv[1], sys.argv[2]
files = sorted(glob.glob(os.path.join(folder, "RT_COM7_*.csv")))
if len(files) != 31:
    sys.exit(f"expected 31 second record files in {folder}, found {len(files)}")
total = sum(os.path.getsize(f) for f in files)

# The same month read as a data frame per file: two header lines, then the rows.
times = []
cpu_times = []
rows = 0
for _ in range(3):
    start = time.perf_counter()
    cpu_start = time.process_time()
    rows = 0
    for f in files:
        rows += len(pandas.read_csv(f, encoding="cp932", engine="c", header=[0, 1]))
    times.append(time.perf_counter() - start)
    cpu_times.append(time.process_time() - cpu_start)
pandas_rate = total / statistics.median(times) / 1e6
pandas_cpu_rate = total / statistics.median(cpu_times) / 1e6

runs = json.load(open(results))["benchmarks"] if os.path.getsize(results) > 0 else []
def median_of(name):
    return next((b for b in runs if b.get("aggregate_name") == "median" and b.get("run_name", "").startswith(name)),
                None)
median = median_of("BM_SummaryMonth")
comfort = median_of("BM_ComfortMonth")
if median is None:
    sys.exit("bench_history gave no BM_SummaryMonth result")
summary_rate = median["bytes_per_second"] / 1e6
seconds_per_unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[median["time_unit"]]
summary_cpu_rate = total / (median["cpu_time"] * seconds_per_unit) / 1e6
comfort_rate = comfort["bytes_per_second"] / 1e6 if comfort else None
peaks = [b["peak_rss_MB"] for b in runs if b.get("run_type") == "iteration" and "peak_rss_MB" in b]
extras = [b["summary_extra_MB"] for b in runs if b.get("run_type") == "iteration" and "summary_extra_MB" in b]

print()
print(f"month of second record files: {len(files)} files, {total / 1e6:.1f} MB, {rows} rows")
# Wall-clock figures are the goal; on a machine whose cores are shared the CPU-time ones say what
# each side costs when the other programs' share is left out.
print(f"qemra summary (bench_history BM_SummaryMonth, median of 3): {summary_rate:8.1f} MB/s"
      f"  ({summary_cpu_rate:.1f} MB/s of CPU time)")
print(f"pandas {pandas.__version__} read_csv (C engine, cp932, median of 3): {pandas_rate:8.1f} MB/s"
      f"  ({pandas_cpu_rate:.1f} MB/s of CPU time)")
print(f"ratio summary / pandas: {summary_rate / pandas_rate:.2f}  (CPU time: {summary_cpu_rate / pandas_cpu_rate:.2f})")
if comfort_rate is not None:
    print(f"comfort analysis, every option (BM_ComfortMonth, median of 3): {comfort_rate:8.1f} MB/s;"
          f" / summary {comfort_rate / summary_rate:.2f}, / pandas {comfort_rate / pandas_rate:.2f}")
if peaks:
    line = f"summary peak resident size: {max(peaks):.1f} MB"
    if extras:
        line += f", of which {max(extras):.1f} MB taken by the summary itself"
    print(line)
EOF
