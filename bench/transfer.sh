#!/usr/bin/env bash
# Compares the transfer component (build/bin/transfer_bench, the write path
# the program uses) with curl on a 1 GiB file served by nginx on loopback,
# written into memory (tmpfs when /dev/shm is there): median wall time, CPU
# time (user+sys) and peak RSS over alternating runs. Memory is touched
# before each run and the file removed between runs.
# Usage: bench/transfer.sh [BUILD_DIR] [RUNS]   (BUILD_DIR defaults to build/)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
bench=$build/bin/transfer_bench
[ -x "$bench" ] || { echo "missing $bench (build it first)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup bench

mkdir -p "$work/www" "$work/tmp"
head -c 1G /dev/zero >"$work/www/big.bin"
start_nginx
url="http://127.0.0.1:$port/big.bin"

# One run: prints "wall cpu rss_kib".
measure() {
  local out=$work/out.bin
  rm -f "$out" "$out.vidtrawl-part"
  touch_memory
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" "$out" >/dev/null
  [ "$(stat -c %s "$out")" = 1073741824 ] || { echo "short file from $*" >&2; exit 1; }
  rm -f "$out"
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time.txt"
}

: >"$work/ours.txt"
: >"$work/curl.txt"
for _ in $(seq "$runs"); do
  measure "$bench" "$url" >>"$work/ours.txt"
  measure curl -s "$url" -o >>"$work/curl.txt"
done

report() {
  local name=$1 file=$2
  printf '%-16s wall %6.2f s  cpu %6.2f s  peak RSS %7d KiB   (walls: %s)\n' "$name" \
    "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" \
    "$(cut -d' ' -f3 "$file" | median)" "$(cut -d' ' -f1 "$file" | tr '\n' ' ')"
}
echo "1 GiB from nginx on loopback into $TMPDIR, median of $runs alternating runs each"
report transfer_bench "$work/ours.txt"
report "curl -s -o" "$work/curl.txt"
awk -v a="$(cut -d' ' -f1 "$work/ours.txt" | median)" -v b="$(cut -d' ' -f1 "$work/curl.txt" | median)" \
  -v c="$(cut -d' ' -f2 "$work/ours.txt" | median)" -v d="$(cut -d' ' -f2 "$work/curl.txt" | median)" \
  -v r="$(cut -d' ' -f3 "$work/ours.txt" | sort -n | tail -1)" \
  'BEGIN { printf "ratio (transfer_bench / curl): wall %.2f  cpu %.2f;  transfer_bench max peak RSS %.1f MiB\n", a / b, (d > 0 ? c / d : 0), r / 1024 }'
