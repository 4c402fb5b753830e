#!/usr/bin/env bash
# Runs the picture database benchmark (1,000,000 records, 200,000 saved-file paths) and prints
# the medians beside the references measured in the same run. Targets (wall clock): load and
# sort at most 3 s; the "already downloaded" test of 500 page addresses at most 0.2 s in all;
# recording 500 queued pictures at most 1 s. Exits 1 when a target is missed.
#   bench/library_bench.sh [BUILD_DIR]      (default: build/)
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" library_bench
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
"$build/bench/library_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json"
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {r["run_name"].split("/")[0]: (r["real_time"], r["cpu_time"])
       for r in runs if r.get("aggregate_name") == "median"}
rows = [
    ("load and sort 1,000,000 records", "BM_LoadAndSort", 3000,
     "read + split the same file (QFile::readAll)", "BM_ReferenceReadAllSplit"),
    ("IsAlreadyDownloaded, 500 addresses", "BM_IsAlreadyDownloaded500", 200,
     "one unindexed scan of the records", "BM_ReferenceOneUnindexedScan"),
    ("RecordQueuedPicture, 500 pictures", "BM_RecordQueued500", 1000,
     "500 plain appends of a record line", "BM_ReferenceAppend500"),
    ("reload after another instance recorded 500", "BM_ReloadAfterOther500", None,
     "read + split the whole file", "BM_ReferenceReadAllSplit"),
]
ok = True
print("| measure | wall / main-thread CPU (ms) | target | reference | wall / CPU (ms) |")
print("|---|---|---|---|---|")
for name, bm, target, rname, ref in rows:
    wall, cpu = med[bm]
    rwall, rcpu = med[ref]
    ok &= target is None or wall <= target
    limit = f"{target} ms" if target else "-"
    print(f"| {name} | {wall:.1f} / {cpu:.1f} | {limit} | {rname} | {rwall:.1f} / {rcpu:.1f} |")
print("targets met" if ok else "TARGET MISSED")
sys.exit(0 if ok else 1)
PY
