#!/usr/bin/env bash
# Runs the web panel benchmark (bench/webpanel_bench.cpp): 500 thumbnails of the simulated site
# shown in the web panel against the same requests made by one curl process (--parallel
# --parallel-max 10), medians of 5 alternating rounds; the main thread's longest stall while they
# arrive; the dispatcher's CPU while idle and while every download thread is busy; the Lanczos-3
# scaler against QImage::scaled (smooth) on the site's pictures.
# Limits: panel at most 1.5 times curl, stall at most 50 ms, dispatcher under 1 % of a core,
# scaler at most 3 times QImage::scaled.
# Usage: bench/webpanel_bench.sh [build-dir]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
build="${1:-$bench_root/build}"
bench_build "$build" webpanel_bench
bench_scratch
out="$work/out.txt"
HOME="$work" "$build/bench/webpanel_bench" 5 >"$out"
bench_machine
python3 - "$out" <<'PY'
import sys
v = dict((k, float(x)) for k, x in (line.split() for line in open(sys.argv[1]) if line.strip()))
panel, curl = v["thumbs_panel_ms"], v["thumbs_curl_ms"]
lt, qt = v["lanczos_thumbs_ms"], v["qt_thumbs_ms"]
ll, ql = v["lanczos_large_ms"], v["qt_large_ms"]
print(f"500 thumbnails: web panel {panel:.0f} ms, curl {curl:.0f} ms, ratio {panel / curl:.2f} (limit 1.5)")
print(f"  frames made in {v['create_frames_ms']:.0f} ms; longest main-thread stall while they arrive "
      f"{v['longest_stall_ms']:.1f} ms (limit 50)")
print(f"dispatcher CPU: idle {v['dispatcher_idle_cpu_pct']:.3f} %, all threads busy "
      f"{v['dispatcher_waiting_cpu_pct']:.3f} % of a core (limit 1)")
print(f"scaler, {v['thumb_pictures']:.0f} thumbnails into 79x79: Lanczos-3 {lt:.2f} ms, QImage::scaled {qt:.2f} ms, "
      f"ratio {lt / qt:.2f} (limit 3)")
print(f"scaler, {v['large_pictures']:.0f} pictures {v['large_width']:.0f} px wide into 240 and 360 boxes: "
      f"Lanczos-3 {ll:.2f} ms, QImage::scaled {ql:.2f} ms, ratio {ll / ql:.2f} (limit 3)")
ok = (panel <= 1.5 * curl and v["longest_stall_ms"] <= 50 and v["dispatcher_idle_cpu_pct"] < 1
      and v["dispatcher_waiting_cpu_pct"] < 1 and lt <= 3 * qt and ll <= 3 * ql)
print("result:", "ok" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
