#!/usr/bin/env bash
# Runs every benchmark of bench/ (median of 3 repetitions) and prints one table of the
# figures with their in-run baselines or goals. Usage: scripts/bench.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/bench-results}
scripts/build.sh >/dev/null
mkdir -p "$out"
for b in build/bench/bench_*; do
  name=$(basename "$b")
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$out/$name.json" --benchmark_out_format=json \
    >/dev/null 2>"$out/$name.log" || echo "bench: $name failed, see $out/$name.log" >&2
done
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
python3 scripts/bench_table.py "$out"
