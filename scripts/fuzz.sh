#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for SECONDS
# (default 60), starting from the checked-in seeds in fuzz/corpus/<target>. Prints the
# executions, the coverage and any finding; a finding's input is kept in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cxx=$(command -v clang++-14 || command -v clang++ || true)
[ -n "$cxx" ] || { echo "fuzz: clang++ missing (scripts/setup.sh installs clang-14)" >&2; exit 2; }
CC=${cxx/clang++/clang} CXX=$cxx cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELK_FUZZ=ON -DZELK_BUILD_UI=OFF -DZELK_BUILD_TESTS=OFF -DZELK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz
status=0
for target in project_load work_file settings midi_export midi_read midi_import; do
  work=build-fuzz/corpus/$target
  mkdir -p "$work" build-fuzz/findings
  echo "== fuzz_$target: ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz_$target "$work" "fuzz/corpus/$target" \
      -max_total_time="$seconds" -max_len=262144 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/findings/$target- 2>build-fuzz/$target.log; then
    status=1
    echo "   FINDING: see build-fuzz/$target.log and build-fuzz/findings/"
  fi
  grep -E 'stat::number_of_executed_units|cov: ' build-fuzz/$target.log | tail -n 2 | sed 's/^/   /'
done
exit $status
