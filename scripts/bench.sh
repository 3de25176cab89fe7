#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench), runs every bench_* executable
# once and prints one table of figures against their goals; the same table is
# written to docs/benchmarks.md.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build-bench}"
out="$build/bench-results"
export QT_QPA_PLATFORM=offscreen

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNSCOPE_BUILD_TESTS=OFF \
    -DTARNSCOPE_BUILD_BENCHMARKS=ON >/dev/null
mapfile -t targets < <(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(bench_[a-z_]*\).*/\1/p')
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}" tarnscope

rm -rf "$out"
mkdir -p "$out"
for target in "${targets[@]}"; do
    exe="$(find "$build/bench" -type f -name "$target" -perm -u+x | head -n 1)"
    echo "== $target" >&2
    "$exe" --benchmark_format=json --benchmark_out="$out/$target.json" --benchmark_out_format=json >/dev/null
done

# Start-up with the built-in virtual frame attached: the window connects the
# frame (about half a second of protocol pauses) before it first shows.
echo "== start-up" >&2
startup_ms="$(TARNSCOPE_STARTUP_PROBE=1 HOME="$out" "$build/src/app/tarnscope" --virtual default 2>/dev/null \
    | sed -n 's/^startup-ms //p')"
export STARTUP_MS="${startup_ms:-}"

python3 - "$out" "$root/docs/benchmarks.md" <<'PY'
import datetime, glob, json, os, sys

out_dir, doc = sys.argv[1], sys.argv[2]
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
# (benchmark, figure, field, comparison, goal, unit); a goal of None: no goal, reported only.
GOALS = [
    ("BM_PipelineThroughput", "Pipeline throughput", "reports_per_s", ">=", 100000, "reports/s"),
    ("BM_PipelineThroughput", "Pipeline packets lost", "lost", "==", 0, "packets"),
    ("BM_PipelineCpuAtFrameRate", "CPU per 1,000 reports at 1,000 reports/s", "cpu_ms_per_1000", None, None, "ms"),
    ("BM_CountDevices32", "Counting with 32 interfaces", "real_time", "<=", 5, "ms"),
    ("BM_AnalyseBadLights", "Analysis", "real_time", "<=", 20, "ms"),
    ("BM_LayoutRenderSavePng", "Render + PNG", "real_time", "<=", 30, "ms"),
    ("BM_SaveResults", "Save", "real_time", "<=", 100, "ms"),
]

runs, context = {}, {}
for path in sorted(glob.glob(os.path.join(out_dir, "*.json"))):
    with open(path) as f:
        data = json.load(f)
    context = data.get("context", context)
    for bench in data["benchmarks"]:
        runs[bench["name"].split("/")[0]] = bench

def figure(bench, field):
    if field == "real_time":
        return bench["real_time"] * TO_MS[bench.get("time_unit", "ns")]
    return bench.get(field)

rows, named = [], set()
for name, label, field, op, goal, unit in GOALS:
    named.add(name)
    bench = runs.get(name)
    goal_text = f"{op} {goal:,} {unit}" if op else "-"
    if bench is None:
        rows.append((label, "not run", goal_text, "-"))
        continue
    if bench.get("error_occurred"):
        rows.append((label, "error: " + bench.get("error_message", ""), goal_text, "FAIL"))
        continue
    value = figure(bench, field)
    met = {">=": value >= goal, "<=": value <= goal, "==": value == goal}[op] if op else None
    shown = f"{value:,.0f}" if value >= 1000 else f"{value:.3g}"
    rows.append((label, f"{shown} {unit}", goal_text, "-" if met is None else ("ok" if met else "MISSED")))
for name, bench in sorted(runs.items()):
    if name not in named:
        rows.append((name, f"{figure(bench, 'real_time'):.3g} ms", "-", "-"))
startup = os.environ.get("STARTUP_MS", "")
rows.append(("Start-up to window shown (frame attached)", f"{float(startup):.0f} ms" if startup else "not measured",
             "-", "-"))

header = ("Figure", "Measured", "Goal", "Result")
widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
def line(cells):
    return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"
table = [line(header), "|" + "|".join("-" * (w + 2) for w in widths) + "|"] + [line(r) for r in rows]
print("\n".join(table))

load = context.get("load_avg", [])
with open(doc, "w") as f:
    f.write("# Benchmarks\n\n")
    f.write("Written by `scripts/bench.sh`: a Release build, every `bench_*` executable run once, "
            "all figures from the same run.\n\n")
    f.write(f"Run {datetime.datetime.now():%Y-%m-%d %H:%M} on {context.get('num_cpus', '?')} CPUs "
            f"at {context.get('mhz_per_cpu', '?')} MHz, load average "
            f"{', '.join(f'{x:.2f}' for x in load) if load else '?'}.\n\n")
    f.write("\n".join(table) + "\n")
PY
