#!/usr/bin/env bash
# Downloads from a server that limits each connection, as video hosts do:
# nginx on loopback with `limit_rate 2m`. Compares, in the same run,
# alternating, with every file checked:
#  8 files of 4 MiB:
#   curl, one file after the other (what a one-at-a-time downloader gets);
#   vidtrawl-cli with its defaults (3 downloads at once);
#   vidtrawl-cli -j 8;
#   aria2c -j8 (Debian's aria2; -x1: one connection per file, as ours);
#  one file of 32 MiB:
#   vidtrawl-cli -x 8 against aria2c -x8 -s8 -k1M;
#   the same under /capped/, where nginx allows two connections per client
#   and answers 503 to more (as many hosts do);
#  and the speed limit: vidtrawl-cli --limit-rate 1M -x 4 on a file of
#  10 MiB, the rate it got against the limit.
# Each prints its median wall time over RUNS runs.
# Usage: bench/parallel.sh [BUILD_DIR] [RUNS]   (build/ and 3 by default)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
cli=$build/bin/vidtrawl-cli
[ -x "$cli" ] || { echo "missing $cli (build it first)" >&2; exit 2; }
command -v aria2c >/dev/null || { echo "missing aria2c (scripts/setup-deps --bench)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup parallel

files=8
mkdir -p "$work/www" "$work/home" "$work/out"
for n in $(seq "$files"); do
  head -c $((4 << 20)) /dev/urandom >"$work/www/clip$n.mp4"
done
head -c $((32 << 20)) /dev/urandom >"$work/www/big.mp4"
mkdir -p "$work/www/capped" && cp "$work/www/big.mp4" "$work/www/capped/big.mp4"
head -c $((10 << 20)) /dev/urandom >"$work/www/limited.mp4"
NGINX_HTTP_EXTRA="limit_conn_zone \$binary_remote_addr zone=client:1m;" \
  NGINX_SERVER_EXTRA="limit_rate 2m; location /capped/ { limit_conn client 2; limit_conn_status 503; }" \
  start_nginx
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
urls=()
for n in $(seq "$files"); do urls+=("http://127.0.0.1:$port/clip$n.mp4"); done
printf '%s\n' "${urls[@]}" >"$work/urls.txt"

curl_one_by_one() { for url in "${urls[@]}"; do curl -s -o "$work/out/${url##*/}" "$url"; done; }
ours() { "$cli" -q -d "$work/out" "$@" "${urls[@]}"; }
aria() { aria2c -q -j8 -x1 --allow-overwrite=true --auto-file-renaming=false -d "$work/out" -i "$work/urls.txt"; }

# One run: prints its wall time; every file must be whole.
measure() {
  rm -rf "$work/out" && mkdir -p "$work/out"
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>"$work/cmd.err" || { echo "failed: $*" >&2; cat "$work/cmd.err" >&2; exit 1; }
  local end=$EPOCHREALTIME
  for n in $(seq "$files"); do
    cmp -s "$work/www/clip$n.mp4" "$work/out/clip$n.mp4" || { echo "clip$n.mp4 differs after $*" >&2; exit 1; }
  done
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

# One file, several connections: prints the wall time; the file must be whole.
one_file() {
  local name=$1
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>"$work/cmd.err" || { echo "failed: $*" >&2; cat "$work/cmd.err" >&2; exit 1; }
  local end=$EPOCHREALTIME
  cmp -s "$work/www/$name" "$work/out/$name" || { echo "$name differs after $*" >&2; exit 1; }
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}
big=http://127.0.0.1:$port/big.mp4
capped=http://127.0.0.1:$port/capped/big.mp4
curl_walls="" ours_walls="" j8_walls="" aria_walls="" x8_walls="" ariax_walls=""
cx8_walls="" cariax_walls=""
for _ in $(seq "$runs"); do
  curl_walls+="$(measure curl_one_by_one) "
  ours_walls+="$(measure ours) "
  j8_walls+="$(measure ours -j 8) "
  aria_walls+="$(measure aria) "
  x8_walls+="$(one_file big.mp4 "$cli" -q -x 8 -d "$work/out" "$big") "
  ariax_walls+="$(one_file big.mp4 aria2c -q -x8 -s8 -k1M --allow-overwrite=true -d "$work/out" "$big") "
  cx8_walls+="$(one_file big.mp4 "$cli" -q -x 8 -d "$work/out" "$capped") "
  cariax_walls+="$(one_file big.mp4 aria2c -q -x8 -s8 -k1M --allow-overwrite=true -d "$work/out" "$capped") "
done
limited=$(one_file limited.mp4 "$cli" -q -x 4 --limit-rate 1M -d "$work/out" \
  "http://127.0.0.1:$port/limited.mp4")
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
curl_med=$(med "$curl_walls") ours_med=$(med "$ours_walls") j8_med=$(med "$j8_walls")
aria_med=$(med "$aria_walls") x8_med=$(med "$x8_walls") ariax_med=$(med "$ariax_walls")
cx8_med=$(med "$cx8_walls") cariax_med=$(med "$cariax_walls")
echo "8 files of 4 MiB:"
printf '  %-22s median %6.2f s   (walls: %s)\n' "curl, one by one" "$curl_med" "$curl_walls" \
  "vidtrawl-cli" "$ours_med" "$ours_walls" "vidtrawl-cli -j 8" "$j8_med" "$j8_walls" \
  "aria2c -j8" "$aria_med" "$aria_walls"
echo "one file of 32 MiB:"
printf '  %-22s median %6.2f s   (walls: %s)\n' "vidtrawl-cli -x 8" "$x8_med" "$x8_walls" \
  "aria2c -x8 -s8 -k1M" "$ariax_med" "$ariax_walls"
echo "one file of 32 MiB, two connections per client:"
printf '  %-22s median %6.2f s   (walls: %s)\n' "vidtrawl-cli -x 8" "$cx8_med" "$cx8_walls" \
  "aria2c -x8 -s8 -k1M" "$cariax_med" "$cariax_walls"
awk -v a="$ours_med" -v b="$curl_med" -v c="$j8_med" -v d="$aria_med" -v e="$x8_med" \
  -v f="$ariax_med" -v l="$limited" -v g="$cx8_med" -v h="$cariax_med" 'BEGIN {
  printf "vidtrawl-cli / curl one by one: %.2f (bar: at most 0.5)\n", a / b
  printf "vidtrawl-cli -j 8 / aria2c -j8: %.2f (bar: at most 1.25)\n", c / d
  printf "vidtrawl-cli -x 8 / aria2c -x8 -s8: %.2f (bar: at most 1.25)\n", e / f
  printf "two connections per client, -x 8 / aria2c -x8: %.2f (bar: at most 1.25)\n", g / h
  rate = 10 / l
  printf "--limit-rate 1M: 10 MiB in %.2f s, %.3f MiB/s, %+.1f %% off the limit (bar: within 10 %%)\n", l, rate, (rate - 1) * 100
}'
