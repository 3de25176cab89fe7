#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, runs every test with
# CTest, then runs the thread tests again under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"

BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTARNSCOPE_BUILD_BENCHMARKS=OFF
ctest --test-dir "$root/build" --output-on-failure --timeout 300 -j "$(nproc)"

# Thread tests under TSan: only the Qt-free targets that run the link's threads.
tsan="$root/build-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNSCOPE_SANITIZE=thread \
    -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$tsan" --parallel "$(nproc)" --target tarnscope_thread_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$tsan" --output-on-failure --timeout 300 -L threads
