#!/usr/bin/env bash
# The seeded random editing session at length (not in CI): every editing feature, the
# part's invariants after every step, save and reload in the middle.
# Usage: scripts/soak.sh [STEPS]   (1 000 000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
steps=${1:-1000000}
scripts/build.sh >/dev/null
start=$(date +%s)
ZELK_SOAK_STEPS=$steps build/tests/core_tests \
  --gtest_filter='EditingSessionTest.RandomEditingKeepsThePartConsistent'
echo "soak: $steps steps in $(( $(date +%s) - start )) s"
