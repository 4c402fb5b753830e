#!/usr/bin/env bash
# Start-up of orvix-cli on its headless path: "orvix-cli --help", and "orvix-cli paste" of a
# list with nothing to fetch (fresh settings and pictures folders, so the run opens its
# settings, session slot and picture database and ends). Beside them, in the same run and
# interleaved, a bare Qt Core program (qtpaths6 --version) as the reference for what any Qt
# process costs to start on this machine. Each is started N times; the median and the fastest
# wall times, and the median processor time (user + system), are printed. Target: the median of both orvix-cli commands under 50 ms.
# Exits 1 when the target is missed.
#   bench/startup_bench.sh [BUILD_DIR] [--runs N] [--cli PATH]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
build="$bench_root/build"
runs=40
cli=""
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --cli) cli="$2"; shift 2 ;;
        *) build="$1"; shift ;;
    esac
done
if [ -z "$cli" ]; then
    bench_build "$build" orvix-cli
    cli="$build/src/cli/orvix-cli"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/settings" "$work/out"
export XDG_RUNTIME_DIR="$work/runtime"
export ORVIX_WORKER_TIMING=poll=0
printf 'not an address\n' >"$work/list.txt"

status=0
python3 - "$runs" "$cli" "$work" <<'EOF' || status=$?
import resource, statistics, subprocess, sys, time
runs, cli, work = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = {
    "qtpaths6 --version (reference)": ["qtpaths6", "--version"],
    "orvix-cli --help": [cli, "--help"],
    "orvix-cli paste": [cli, "paste", f"--settings={work}/settings", f"--out={work}/out", f"{work}/list.txt"],
}
times = {name: [] for name in commands}
cpu = {name: [] for name in commands}
for _ in range(runs):
    for name, argv in commands.items():  # interleaved, so a busy moment hits all alike
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times[name].append((time.perf_counter() - start) * 1000)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu[name].append((after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000)
        if done.returncode != 0:
            sys.exit(f"{name} failed with exit code {done.returncode}")
ref = statistics.median(times["qtpaths6 --version (reference)"])
missed = False
print(f"{'command':34} {'median':>9} {'fastest':>9} {'ratio':>7} {'cpu':>9}")
for name, t in times.items():
    median = statistics.median(t)
    print(f"{name:34} {median:7.1f}ms {min(t):7.1f}ms {median / ref:7.2f} {statistics.median(cpu[name]):7.1f}ms")
    if name.startswith("orvix-cli") and median >= 50:
        missed = True
sys.exit(1 if missed else 0)
EOF
bench_machine
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
