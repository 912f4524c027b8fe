#!/usr/bin/env bash
# Compares vidtrawl-cli with curl on a 1 GiB file served by nginx on loopback.
# vidtrawl-cli goes the whole way a user's download goes: it fetches a page
# in PutFile's format (www.putfile.com mapped to nginx with --connect-to),
# resolves the video address from it, asks for the file's name and size and
# downloads it, with its live progress line drawn (VIDTRAWL_PROGRESS=live
# draws the terminal display although stderr is a file). curl just fetches
# the file: `curl -s -o FILE URL`. Files are written into memory (tmpfs when
# /dev/shm is there); memory is touched before each run and the file removed
# between runs. Runs alternate; reports the median wall time, CPU time
# (user+sys) and peak RSS of each.
# Usage: bench/cli.sh [BUILD_DIR] [RUNS]   (BUILD_DIR defaults to build/, RUNS to 5)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
cli=$build/bin/vidtrawl-cli
[ -x "$cli" ] || { echo "missing $cli (build it first)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup clibench

mkdir -p "$work/home" "$work/out"
serve_big_page
start_nginx

# The settings and caches of the runs stay in the work folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
out=$work/out/big.flv

# One run of a command (its output kept in cmd.out and cmd.err): prints
# "wall cpu rss_kib".
measure() {
  rm -f "$out" "$out.vidtrawl-part"
  touch_memory
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >"$work/cmd.out" 2>"$work/cmd.err"
  [ "$(stat -c %s "$out")" = 1073741824 ] || { echo "short file from $*" >&2; cat "$work/cmd.err" >&2; exit 1; }
  rm -f "$out"
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time.txt"
}

cli_cmd=(env VIDTRAWL_PROGRESS=live COLUMNS=100 "$cli" -d "$work/out"
  --connect-to "www.putfile.com:80:127.0.0.1:$port" "http://www.putfile.com/page.html")
curl_cmd=(curl -s -o "$out" "http://127.0.0.1:$port/big.flv")

: >"$work/ours.txt"
: >"$work/curl.txt"
for _ in $(seq "$runs"); do
  measure "${cli_cmd[@]}" >>"$work/ours.txt"
  measure "${curl_cmd[@]}" >>"$work/curl.txt"
done
frames=$(grep -o $'\x1b\\[2K' "$work/cmd.err" 2>/dev/null | wc -l || true)

report() {
  local name=$1 file=$2
  printf '%-14s wall %6.2f s  cpu %6.2f s  peak RSS %7d KiB   (walls: %s)\n' "$name" \
    "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" \
    "$(cut -d' ' -f3 "$file" | median)" "$(cut -d' ' -f1 "$file" | tr '\n' ' ')"
}
echo "1 GiB from nginx on loopback, median of $runs alternating runs each"
echo "vidtrawl-cli: page fetch + resolve + header request + transfer, live progress on"
report vidtrawl-cli "$work/ours.txt"
report "curl -s -o" "$work/curl.txt"
awk -v a="$(cut -d' ' -f1 "$work/ours.txt" | median)" -v b="$(cut -d' ' -f1 "$work/curl.txt" | median)" \
  -v c="$(cut -d' ' -f2 "$work/ours.txt" | median)" -v d="$(cut -d' ' -f2 "$work/curl.txt" | median)" \
  -v r="$(cut -d' ' -f3 "$work/ours.txt" | sort -n | tail -1)" \
  'BEGIN { printf "ratio (vidtrawl-cli / curl): wall %.2f  cpu %.2f;  vidtrawl-cli max peak RSS %.1f MiB\n", a / b, (d > 0 ? c / d : 0), r / 1024 }'
