#!/usr/bin/env bash
# Runs the queue view benchmark: 10,000 media lines queued through a blocking main-thread bridge
# and finished, with the queue panel shown and hidden, three rounds. Fails when the main
# thread's longest stall with the panel shown exceeds 50 ms, or the shown run takes more than
# twice the hidden one (medians of the rounds).
# Usage: bench/queue_view_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" queue_view_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/bench/queue_view_bench" 10000 3 | tee "$out"
python3 - "$out" <<'PY'
import re, statistics, sys
rounds = [{name: float(value) for name, value in re.findall(r"(\w+_ms) ([\d.]+)", line)}
          for line in open(sys.argv[1]) if line.startswith("round")]
visible = statistics.median(r["visible_ms"] for r in rounds)
hidden = statistics.median(r["hidden_ms"] for r in rounds)
stall = statistics.median(r["visible_stall_ms"] for r in rounds)
ratio = visible / hidden
print(f"panel shown {visible:.0f} ms, hidden {hidden:.0f} ms: ratio {ratio:.2f} (limit 2)")
print(f"longest main-thread stall with the panel shown {stall:.1f} ms (limit 50)")
ok = ratio <= 2 and stall <= 50
print("result:", "ok" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
