#!/usr/bin/env bash
# Set-up, build and run every test.
#   scripts/test.sh             the whole suite in build/
#   scripts/test.sh --sanitize  the whole suite built with ASan + UBSan in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELK_SANITIZE=ON \
    -DZELK_BUILD_BENCH=OFF >/dev/null
  cmake --build build-sanitize
  cd build-sanitize
  # Leaks of the libraries we load (fontconfig, GLib) are not ours to fix.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 900
  exit
fi
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
