#!/usr/bin/env bash
# Set-up, build and start the window program; arguments go to zelk (e.g. a project file).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/zelk "$@"
