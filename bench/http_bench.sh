#!/usr/bin/env bash
# Builds and runs the HTTP client benchmark (TIEHttp against the curl command line on 200
# loopback downloads of 2 MB). Exits 1 when a target is missed.
#   bench/http_bench.sh [BUILD_DIR] [-- http_bench options]      (default: build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then build="$1"; shift; fi
[ "${1:-}" = "--" ] && shift
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target http_bench >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)"
"$build/bench/http_bench" "$@"
