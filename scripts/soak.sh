#!/usr/bin/env bash
# The plug and unplug soak at length: 1,000 cycles by default, or the number
# given. Prints the figures of the run (cycles, time, threads, descriptors).
#   scripts/soak.sh [CYCLES]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SOAK_BUILD_DIR:-$root/build}"
cycles="${1:-1000}"

cmake -S "$root" -B "$build" -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target test_soak
TARNSCOPE_SOAK_CYCLES="$cycles" "$build/tests/soak/test_soak"
