#!/usr/bin/env bash
# Sets up the machine, builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
bash "$here/scripts/check-format.sh"

build="$here/build-test"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTABRIX_SANITIZE=ON -DTABRIX_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# The stand-in MAPI library is loaded with dlopen by programs built with the
# sanitizers; leaks are checked by the stand-in's own accounting as well.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_odr_violation=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
