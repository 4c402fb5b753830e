#!/usr/bin/env bash
# End-to-end benchmark: 200 pictures of about 1 MB through "orvix-cli paste" against the
# simulated photo site, beside a shell loop that makes the same HTTP requests (picture page,
# sizes page or pages, file) with the curl command line, in the same run, rounds interleaved.
# Targets: orvix-cli's wall time (the workers' 1-second poll injected to 0) at most 1.5 times
# curl's, and orvix-cli's peak memory (no listing page is opened) at most 150 MB. --paced also
# measures one run with the product's pacing. Exits 1 when a target is missed.
#   bench/e2e_bench.sh [BUILD_DIR] [--rounds N] [--paced] [--pictures N]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="$root/build"
rounds=3
paced=0
pictures=200
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --paced) paced=1; shift ;;
        --pictures) pictures="$2"; shift 2 ;;
        *) build="$1"; shift ;;
    esac
done
bench_build "$build" orvix-cli e2e_bench_site
cli="$build/src/cli/orvix-cli"

bench_scratch

"$build/bench/e2e_bench_site" "$pictures" 1000000 "$work" >"$work/port" &
site_pid=$!
for _ in $(seq 600); do [ -s "$work/port" ] && break; sleep 0.5; done
port="$(head -1 "$work/port")"
[ -n "$port" ] || { echo "the site did not start" >&2; exit 1; }

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# The reference: one curl per picture with its requests, each on a connection of its own as the
# downloader makes them (a kept-alive connection to the site waits for delayed acknowledgements,
# about 40 ms per request, which would measure the loopback rather than the work); pages to
# nowhere, the file to disk.
curl_round() {
    local out="$work/curl_$1" n=0 start end
    mkdir -p "$out"
    start="$(now)"
    while read -r -a urls; do
        local args=() last=$((${#urls[@]} - 1)) i
        for i in "${!urls[@]}"; do
            if [ "$i" -eq "$last" ]; then n=$((n + 1)); args+=(-o "$out/$n.jpg" "${urls[$i]}");
            else args+=(-o /dev/null "${urls[$i]}"); fi
        done
        curl -sS --fail -H 'Connection: close' "${args[@]}"
    done <"$work/requests.txt"
    end="$(now)"
    [ "$(ls "$out" | wc -l)" -eq "$pictures" ] || { echo "curl saved too few files" >&2; exit 1; }
    du -sb "$out" | cut -f1 >"$work/curl_bytes"
    rm -rf "$out"
    seconds "$start" "$end"
}

# orvix-cli in a fresh settings and pictures folder; prints "wall_seconds max_rss_kb".
orvix_round() {
    local dir="$work/orvix_$1" start end rc
    mkdir -p "$dir/settings" "$dir/pictures"
    start="$(now)"
    set +e
    env ${2:+ORVIX_WORKER_TIMING=$2} /usr/bin/time -v -o "$dir/time.txt" "$cli" paste \
        --site="127.0.0.1:$port" --settings="$dir/settings" --out="$dir/pictures" "$work/pages.txt" 2>"$dir/err.txt"
    rc=$?
    set -e
    end="$(now)"
    if [ "$rc" -ne 0 ] || [ "$(ls "$dir/pictures" | wc -l)" -ne "$pictures" ]; then
        echo "orvix-cli failed (exit $rc):" >&2; tail -5 "$dir/err.txt" >&2; exit 1
    fi
    du -sb "$dir/pictures" | cut -f1 >"$work/orvix_bytes"
    echo "$(seconds "$start" "$end") $(awk -F': ' '/Maximum resident set size/ { print $2 }' "$dir/time.txt")"
    rm -rf "$dir"
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d); load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "$pictures pictures of about 1 MB, $rounds rounds, interleaved"
curl_times=()
orvix_times=()
rss=0
for r in $(seq "$rounds"); do
    c="$(curl_round "$r")"
    read -r o m < <(orvix_round "$r" "poll=0")
    curl_times+=("$c")
    orvix_times+=("$o")
    [ "$m" -gt "$rss" ] && rss="$m"
    echo "round $r: curl ${c} s ($(cat "$work/curl_bytes") bytes saved), orvix-cli ${o} s ($(cat "$work/orvix_bytes") bytes saved), orvix-cli peak ${m} KB"
done
c_med="$(echo "${curl_times[*]}" | median)"
o_med="$(echo "${orvix_times[*]}" | median)"
ratio="$(awk -v o="$o_med" -v c="$c_med" 'BEGIN { printf "%.2f", o / c }')"
rss_mb="$(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }')"
echo "median: curl $c_med s, orvix-cli $o_med s, ratio $ratio (target <= 1.5)"
echo "orvix-cli peak memory: $rss_mb MB (target <= 150)"
if [ "$paced" -eq 1 ]; then
    read -r p pm < <(orvix_round paced "")
    echo "with the product's pacing (1-second poll): orvix-cli $p s, peak $pm KB"
fi
awk -v r="$ratio" -v m="$rss_mb" 'BEGIN { exit !(r <= 1.5 && m <= 150) }' || { echo "target missed"; exit 1; }
