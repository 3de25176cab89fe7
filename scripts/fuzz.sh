#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang and runs each in turn.
#   scripts/fuzz.sh [SECONDS|-runs=N] [TARGET...]
# SECONDS (default 60) bounds each target's run; -runs=N bounds its executions.
# The seed corpus in fuzz/corpus/<target> is copied into build-fuzz/corpus,
# which keeps what the fuzzer learns between runs; crashes land in
# build-fuzz/crashes/<target>. Exits non-zero when any target fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
all_targets=(fuzz_classify fuzz_descriptor fuzz_config fuzz_advance fuzz_scenario)

limit="${1:-60}"
shift || true
targets=("${@:-${all_targets[@]}}")
if [[ "$limit" == -runs=* ]]; then
    bound=("$limit")
elif [[ "$limit" =~ ^[0-9]+$ ]]; then
    bound=("-max_total_time=$limit")
else
    echo "usage: $0 [SECONDS|-runs=N] [TARGET...]" >&2
    exit 2
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNSCOPE_BUILD_FUZZERS=ON -DTARNSCOPE_BUILD_TESTS=OFF -DTARNSCOPE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    crashes="$build/crashes/$target"
    mkdir -p "$corpus" "$crashes"
    cp -n "$root/fuzz/corpus/$target"/* "$corpus"/
    echo "== $target (${bound[*]})"
    rc=0
    "$build/fuzz/$target" "${bound[@]}" -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" \
        >"$build/$target.log" 2>&1 || rc=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$build/$target.log" || true
    if [[ "$rc" -ne 0 ]]; then
        echo "$target FAILED: see $build/$target.log and $crashes" >&2
        status=1
    fi
done
exit "$status"
