# Shared set-up of the benchmark scripts; sourced, not run.
bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Configures the build folder $1 once and builds the given targets in it.
bench_build() {
    local build="$1"
    shift
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S "$bench_root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" --target "$@" >/dev/null
}

bench_machine() {
    echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)"
}

# A scratch folder $work, removed on exit, with session slots of its own; a site whose process
# id is in $site_pid is stopped then.
bench_scratch() {
    work="$(mktemp -d)"
    site_pid=""
    trap bench_cleanup EXIT
    mkdir -p -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
}

bench_cleanup() {
    if [ -n "$site_pid" ]; then
        kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
