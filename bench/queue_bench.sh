#!/usr/bin/env bash
# Runs the queue benchmark: 10,000 page lines queued with their item files and then finished
# (each finished line deletes its file by key), with the key index; and 1,000 lines with and
# without the index, the plain scan being the reference. Fails when the 10,000 lines take more
# than 10 s for both phases together.
# Usage: bench/queue_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" queue_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/bench/queue_bench" --benchmark_format=json >"$out"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def run(lines, indexed):
    return next(b for n, b in runs.items() if f"/{lines}/{indexed}/" in n + "/")
print(f"{'lines':>7}{'index':>7}{'queue':>11}{'finish':>11}{'total':>11}{'per line':>11}")
for lines, indexed in ((10000, 1), (1000, 1), (1000, 0)):
    b = run(lines, indexed)
    q, f = b["queue_ms"], b["finish_ms"]
    print(f"{lines:>7}{'on' if indexed else 'off':>7}{q:>9.0f}ms{f:>9.0f}ms{q + f:>9.0f}ms{b['us_per_line']:>8.0f} us")
total = run(10000, 1)["queue_ms"] + run(10000, 1)["finish_ms"]
ratio = run(1000, 0)["us_per_line"] / run(1000, 1)["us_per_line"]
print(f"scan / index per line at 1,000 lines: {ratio:.1f}")
print("limit: 10,000 lines in <= 10 s ->", "FAILED" if total > 10000 else "ok")
sys.exit(1 if total > 10000 else 0)
PY
