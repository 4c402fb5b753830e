#!/usr/bin/env bash
# Peak memory of orvix-cli against hostile input, beside the same download of a well-behaved
# picture in the same run: a gzip bomb (about 1 MB inflating to 1 GiB, no Content-Encoding)
# as the picture and as the picture page, a picture announced as 5 GB, an endless picture body,
# a picture that trickles in one byte every 50 ms, and a 50 MB line in a leftover item file
# taken up by "resume". Each run is measured with /usr/bin/time -v; every peak must stay under
# 150 MB. Exits 1 when one does not.
#   bench/hostile_bench.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
root="$bench_root"
build="${1:-$root/build}"
bench_build "$build" orvix-cli photosite
cli="$build/src/cli/orvix-cli"

bench_scratch
# Short pauses; a transfer below 1 KB/s fails after 5 seconds instead of 60.
export ORVIX_WORKER_TIMING="poll=0,pause=100,fetchpause=100,lowspeed=5"

"$build/tools/photosite/photosite" --port 0 --owners 1 --photos 8 --file-size 1M >"$work/port" &
site_pid=$!
for _ in $(seq 600); do [ -s "$work/port" ] && break; sleep 0.2; done
port="$(head -1 "$work/port")"
[ -n "$port" ] || { echo "the site did not start" >&2; exit 1; }
base="http://127.0.0.1:$port"
curl -sf "$base/__manifest" >"$work/manifest.json"

# Page address and file path of the n-th public picture of the manifest.
picture() {
    python3 - "$work/manifest.json" "$1" <<'EOF'
import json, sys, urllib.parse
pictures = [p for p in json.load(open(sys.argv[1]))["pictures"] if not p["private"]]
p = pictures[int(sys.argv[2])]
print(p["pageUrl"], urllib.parse.urlparse(p["largestFileUrl"]).path)
EOF
}

fault() { curl -sf -d "$1" "$base/__faults" >/dev/null; }
clear_faults() { curl -sf -X DELETE "$base/__faults" >/dev/null; }

# Runs orvix-cli in a fresh settings and pictures folder (or the one prepared in $dir);
# prints "peak_kb exit_code seconds".
measure() {
    local dir="$1"
    shift
    mkdir -p "$dir/settings" "$dir/pictures"
    local start end rc
    start="$(date +%s.%N)"
    set +e
    /usr/bin/time -v -o "$dir/time.txt" "$cli" "$@" --site="127.0.0.1:$port" --settings="$dir/settings" \
        --out="$dir/pictures" --retries=1 >"$dir/out.txt" 2>"$dir/err.txt"
    rc=$?
    set -e
    end="$(date +%s.%N)"
    echo "$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$dir/time.txt") $rc $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')"
}

results=()
limit_kb=$((150 * 1024))
missed=0
record() {
    local name="$1" dir="$2" peak rc secs
    read -r peak rc secs < <(measure "$dir" "${@:3}")
    local mb
    mb="$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')"
    results+=("| $name | $mb MB | $rc | $secs s | $(du -sb "$dir/err.txt" | cut -f1) bytes |")
    [ "$peak" -le "$limit_kb" ] || missed=1
    rm -rf "$dir"
}

bench_machine
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"

n=0
case_picture() { # name fault-target fault-kind
    local page path
    read -r page path < <(picture "$n")
    n=$((n + 1))
    clear_faults
    if [ -n "$3" ]; then
        if [ "$2" = file ]; then fault "$path=$3"; else fault "$(python3 -c 'import sys, urllib.parse; print(urllib.parse.urlparse(sys.argv[1]).path)' "$page")=$3"; fi
    fi
    record "$1" "$work/case$n" get "$page"
}

case_picture "reference: a well-behaved picture" file ""
case_picture "gzip bomb as the picture (1 GiB inflated)" file "bomb:1G"
case_picture "gzip bomb as the picture page (1 GiB inflated)" page "bomb:1G"
case_picture "picture announced as 5 GB" file "huge:5G"
case_picture "endless picture body" file "endless"
case_picture "picture trickling one byte every 50 ms" file "trickle:0.05"
clear_faults

# A leftover session whose one item file holds a 50 MB line.
dir="$work/itemline"
mkdir -p "$dir/settings/orvix_sessions/q1"
touch "$dir/settings/orvix_sessions/orvixsession_7.session"
python3 -c "
import sys
with open(sys.argv[1], 'wb') as f:
    f.write(b'\xef\xbb\xbfhttp://127.0.0.1/' + b'x' * (50 * 1024 * 1024) + b'|base||http://127.0.0.1/p|\r\n')
" "$dir/settings/orvix_sessions/q1/orvixsession_7_1.txt"
record "50 MB line in an item file (resume)" "$dir" resume

echo
echo "| input | orvix-cli peak RSS | exit code | wall time | stderr |"
echo "|---|---|---|---|---|"
printf '%s\n' "${results[@]}"
[ "$missed" -eq 0 ] || { echo "target missed: a peak above 150 MB"; exit 1; }
echo "every peak under 150 MB"
