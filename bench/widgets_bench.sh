#!/usr/bin/env bash
# Runs the list view benchmark: 10,000 rows added at the top of a TListViewEx, each then looked
# up by caption and given a status, against the same inserts into a bare QTreeWidget in the same
# run. Fails when the list view takes more than 3 times the bare inserts or any single call
# takes more than 20 ms of CPU time (its wall time is printed too: on a shared machine it
# includes waiting for a core).
# Usage: bench/widgets_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" widgets_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/bench/widgets_bench" --benchmark_format=json --benchmark_repetitions=3 >"$out"
python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def median(prefix):
    return next(b for b in runs if b["name"].startswith(prefix) and b.get("aggregate_name") == "median")
bare = median("BM_BareTreeWidgetInserts")
lv = median("BM_ListViewExInsertsLookupsAndStatus")
calls = [b for b in runs if b["name"].startswith("BM_ListViewExSlowestCall") and b.get("run_type") == "iteration"]
slowest = max(b["slowest_call_cpu_ms"] for b in calls)
slowest_wall = max(b["slowest_call_ms"] for b in calls)
ratio = lv["real_time"] / bare["real_time"]
print(f"bare QTreeWidget, 10,000 inserts at the top:        {bare['real_time']:8.1f} ms")
print(f"TListViewEx, inserts + 10,000 look-ups with status: {lv['real_time']:8.1f} ms")
print(f"ratio {ratio:.2f} (limit 3), slowest single call {slowest:.2f} ms CPU (limit 20), {slowest_wall:.2f} ms wall")
ok = ratio <= 3 and slowest <= 20
print("result:", "ok" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
