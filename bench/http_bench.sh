#!/usr/bin/env bash
# Builds and runs the HTTP client benchmark (TIEHttp against the curl command line on 200
# loopback downloads of 2 MB). Exits 1 when a target is missed.
#   bench/http_bench.sh [BUILD_DIR] [-- http_bench options]      (default: build/)
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="$root/build"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then build="$1"; shift; fi
[ "${1:-}" = "--" ] && shift
bench_build "$build" http_bench
bench_machine
"$build/bench/http_bench" "$@"
