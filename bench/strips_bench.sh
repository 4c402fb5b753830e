#!/usr/bin/env bash
# Runs the library search benchmark: a files database of 1,000,000 paths with 250 real pictures
# matching the term. Fails when the search's collection step takes more than 2 times one plain
# case-insensitive containment scan of the same list, when showing the 101 previews a second
# time (thumbnails cached) is less than 5 times faster than the first time, or when the main
# thread stalls for more than 100 ms during either.
# Usage: bench/strips_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" strips_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/bench/strips_bench" --benchmark_format=json >"$out"
bench_machine
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
plain = runs["BM_PlainContainmentScan"]["real_time"]
collect = runs["BM_LibrarySearchCollection"]["real_time"]
first = runs["BM_SearchPreviewsFirstTime"]
cached = runs["BM_SearchPreviewsCached"]
stall = max(first["max_stall_ms"], cached["max_stall_ms"])
r1 = collect / plain
r2 = first["real_time"] / cached["real_time"]
print(f"plain case-insensitive scan of 1,000,000 paths: {plain:8.1f} ms")
print(f"LibrarySearch collection step:                  {collect:8.1f} ms  ratio {r1:.2f} (limit 2)")
print(f"101 previews, empty thumbnail cache:            {first['real_time']:8.1f} ms  (longest stall {first['max_stall_ms']:.1f} ms)")
print(f"101 previews, thumbnails cached:                {cached['real_time']:8.1f} ms  (longest stall {cached['max_stall_ms']:.1f} ms)")
print(f"speed-up {r2:.1f} (at least 5), longest main-thread stall {stall:.1f} ms (limit 100)")
ok = r1 <= 2 and r2 >= 5 and stall <= 100
print("result:", "ok" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
