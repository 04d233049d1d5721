#!/usr/bin/env bash
# Sets up the machine, builds the programs, generates the demo organisation,
# lays out a machine root and runs the console report on the demo server.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"

build="$here/build"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABRIX_BUILD_TESTS=OFF -DTABRIX_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

demo="$here/demo"
bash "$here/scripts/run-demo.sh" "$build/bin" "$demo"
