#!/usr/bin/env bash
# Runs the page parser benchmark and prints, per layout, the median time to classify and extract
# a 500-picture listing, the median of one full indexOf scan of the same text, and their ratio.
# Targets: a wall-clock median of at most 2 ms per page, and at most 10 times the scan in CPU
# time (CPU time, as other builds share the machine). Exits 1 when a target is missed.
#   bench/pages_bench.sh [BUILD_DIR]      (default: build/)
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" pages_bench
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
"$build/bench/pages_bench" --benchmark_repetitions=15 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json"
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {}
for r in runs:
    if r.get("aggregate_name") != "median":
        continue
    kind, layout = r["run_name"].split("/", 1)
    med[(kind, layout)] = (r["real_time"], r["cpu_time"], r.get("kB", 0))
ok = True
print("| layout | page (k chars) | parse median (µs, wall / cpu) | scan median (µs, wall / cpu) | ratio (wall / cpu) |")
print("|---|---|---|---|---|")
for (kind, layout), (wall, cpu, kb) in med.items():
    if kind != "BM_Parse":
        continue
    swall, scpu, _ = med[("BM_Scan", layout)]
    rw, rc = wall / swall, cpu / scpu
    ok &= wall <= 2000 and rc <= 10
    print(f"| {layout} | {kb:.0f} | {wall:.0f} / {cpu:.0f} | {swall:.0f} / {scpu:.0f} | {rw:.1f} / {rc:.1f} |")
print("targets met" if ok else "TARGET MISSED")
sys.exit(0 if ok else 1)
PY
