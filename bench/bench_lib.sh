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
