#!/usr/bin/env bash
# Runs the text-helper benchmark and prints, for each helper, its time against the plain QString
# operation measured in the same run. A helper slower than 3 times its counterpart fails.
# Usage: bench/text_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" text_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/bench/text_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$out"
python3 - "$out" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
median = {b["run_name"]: b["real_time"] for b in data["benchmarks"] if b.get("aggregate_name") == "median"}
unit = {b["run_name"]: b["time_unit"] for b in data["benchmarks"]}
failed = False
print(f"{'operation':<16}{'helper':>14}{'plain':>14}{'ratio':>8}")
for op in ("TextPos", "TextSplit", "TextReplaceAll"):
    h, p = median[op + "Helper"], median[op + "Plain"]
    ratio = h / p
    failed |= ratio > 3.0
    print(f"{op:<16}{h:>11.1f} {unit[op + 'Helper']}{p:>11.1f} {unit[op + 'Plain']}{ratio:>8.2f}")
print("limit: ratio <= 3.00 ->", "FAILED" if failed else "ok")
sys.exit(1 if failed else 0)
PY
