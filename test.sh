#!/usr/bin/env bash
# Builds Vyx Viewer with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors, and runs
# every test suite.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/bootstrap.sh
cmake --preset asan >/dev/null
cmake --build --preset asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --preset asan -j2
