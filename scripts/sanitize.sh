#!/usr/bin/env bash
# The whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
# (build-asan), then the thread tests under ThreadSanitizer (build-tsan).
# Leak checking stays on for every test, Qt ones included.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${JOBS:-$(nproc)}"
status=0 # both parts run even when the first fails
export QT_QPA_PLATFORM=offscreen

asan="$root/build-asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNSCOPE_SANITIZE=address \
    -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" --parallel "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$asan" --output-on-failure --timeout 600 -j "$jobs" || status=1

tsan="$root/build-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNSCOPE_SANITIZE=thread \
    -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$tsan" --parallel "$jobs" --target tarnscope_thread_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$tsan" --output-on-failure --timeout 600 -L threads || status=1
exit "$status"
