#!/usr/bin/env bash
# Compares the transfer component (build/bin/transfer_bench) with curl on a
# 1 GiB file served by nginx on loopback: median wall time, CPU time
# (user+sys) and peak RSS over alternating runs.
# Usage: bench/transfer.sh [BUILD_DIR] [RUNS]   (BUILD_DIR defaults to build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
bench=$build/bin/transfer_bench
[ -x "$bench" ] || { echo "missing $bench (build it first)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup bench

mkdir -p "$work/www" "$work/tmp"
fallocate -l 1G "$work/www/big.bin" 2>/dev/null ||
  dd if=/dev/zero of="$work/www/big.bin" bs=1M count=1024 status=none
start_nginx
url="http://127.0.0.1:$port/big.bin"

# One run: prints "wall cpu rss_kib".
measure() {
  local out=$work/out.bin
  rm -f "$out"
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" "$out" >/dev/null
  [ "$(stat -c %s "$out")" = 1073741824 ] || { echo "short file from $*" >&2; exit 1; }
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time.txt"
}

: >"$work/ours.txt"
: >"$work/behind.txt"
: >"$work/curl.txt"
for i in $(seq "$runs"); do
  measure "$bench" "$url" >>"$work/ours.txt"
  measure "$bench" --write-behind "$url" >>"$work/behind.txt"
  measure curl -s "$url" -o >>"$work/curl.txt"
done

report() {
  local name=$1 file=$2
  printf '%-16s wall %6.2f s  cpu %6.2f s  peak RSS %7d KiB\n' "$name" \
    "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" \
    "$(cut -d' ' -f3 "$file" | median)"
}
echo "1 GiB from nginx on loopback, median of $runs alternating runs each"
report transfer_bench "$work/ours.txt"
report "  --write-behind" "$work/behind.txt"
report "curl -s -o" "$work/curl.txt"
ratio() {
  awk -v name="$1" -v a="$(cut -d' ' -f1 "$2" | median)" -v b="$(cut -d' ' -f1 "$work/curl.txt" | median)" \
    -v c="$(cut -d' ' -f2 "$2" | median)" -v d="$(cut -d' ' -f2 "$work/curl.txt" | median)" \
    'BEGIN { printf "ratio (%s / curl): wall %.2f  cpu %.2f\n", name, a / b, (d > 0 ? c / d : 0) }'
}
ratio transfer_bench "$work/ours.txt"
ratio "transfer_bench --write-behind" "$work/behind.txt"
