#!/usr/bin/env bash
# An HLS stream from a server that limits each connection, as video hosts
# do: a 60 s 720p rendition in 2 s segments made by ffmpeg (H.264 at a
# constant 8 Mbit/s and AAC in MPEG-TS, 2 MB a segment: nginx lets the first
# second's worth of each answer through at once), served by nginx on
# loopback with `limit_rate 1m`. Compares,
# in the same run, alternating:
#   vidtrawl-cli with its defaults (4 fragments at once);
#   yt-dlp -N 4 (Debian's yt-dlp, 4 fragments at once);
#   yt-dlp with its defaults (one fragment after the other);
# each its median wall time over RUNS runs. Every file must decode to the
# same video frames (ffmpeg's framemd5) as the others.
# Then the cost of a fragment at two counts: playlists of 20,000 and 40,000
# segments of one frame each (16x16, 100 frames a second, TS), from the same
# nginx without a limit, vidtrawl-cli with its defaults; the median user +
# system time of RUNS runs of each, whose ratio must stay within 2.2 (linear:
# 2). Each file must hold every frame.
# Usage: bench/streams.sh [BUILD_DIR] [RUNS]   (build/ and 3 by default)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
cli=$build/bin/vidtrawl-cli
[ -x "$cli" ] || { echo "missing $cli (build it first)" >&2; exit 2; }
for tool in yt-dlp ffmpeg; do
  command -v $tool >/dev/null || { echo "missing $tool (scripts/setup-deps --bench)" >&2; exit 2; }
done
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup streams

mkdir -p "$work/www/stream" "$work/home" "$work/out"
ffmpeg -nostdin -v error -f lavfi -i testsrc2=s=1280x720:r=30:d=60 -f lavfi -i sine=f=440:d=60 \
  -c:v libx264 -preset veryfast -g 60 -pix_fmt yuv420p -b:v 8M -minrate 8M -maxrate 8M \
  -bufsize 8M -x264-params nal-hrd=cbr -c:a aac -b:a 128k \
  -f hls -hls_time 2 -hls_playlist_type vod "$work/www/stream/index.m3u8"
bytes=$(cat "$work/www/stream/"*.ts | wc -c)
counts=(20000 40000)
for n in "${counts[@]}"; do
  mkdir -p "$work/www/many$n"
  ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=16x16:r=100:d=$((n / 100))" -c:v libx264 \
    -preset ultrafast -g 1 -pix_fmt yuv420p -f hls -hls_time 0.01 -hls_playlist_type vod \
    "$work/www/many$n/index.m3u8"
done
NGINX_SERVER_EXTRA="limit_rate 1m; location /many { limit_rate 0; }" start_nginx
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
url=http://127.0.0.1:$port/stream/index.m3u8

frames() { ffmpeg -nostdin -v error -i "$1" -map 0:v -f framemd5 - | grep -v '^#'; }
# One run: prints its wall time; the file must be there.
measure() {
  local file=$1
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>"$work/cmd.err" || { echo "failed: $*" >&2; cat "$work/cmd.err" >&2; exit 1; }
  local end=$EPOCHREALTIME
  [ -s "$work/out/$file" ] || { echo "no $file after $*" >&2; exit 1; }
  cp "$work/out/$file" "$work/last-$file"
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}
ytdlp() { yt-dlp -q --no-progress --no-part -o "$work/out/yt.%(ext)s" "$@" "$url"; }
ours_walls="" n4_walls="" yt_walls=""
for _ in $(seq "$runs"); do
  ours_walls+="$(measure index.mp4 "$cli" -q -d "$work/out" "$url") "
  n4_walls+="$(measure yt.mp4 ytdlp -N 4) "
  yt_walls+="$(measure yt.mp4 ytdlp) "
done
[ "$(frames "$work/last-index.mp4")" = "$(frames "$work/last-yt.mp4")" ] ||
  { echo "the files' frames differ" >&2; exit 1; }
med() { tr ' ' '\n' <<<"$1" | grep . | median; }
ours_med=$(med "$ours_walls") n4_med=$(med "$n4_walls") yt_med=$(med "$yt_walls")
echo "60 s of 720p HLS, 30 segments, $((bytes >> 20)) MiB, limit_rate 1m; identical frames:"
printf '  %-22s median %6.2f s   (walls: %s)\n' "vidtrawl-cli" "$ours_med" "$ours_walls" \
  "yt-dlp -N 4" "$n4_med" "$n4_walls" "yt-dlp" "$yt_med" "$yt_walls"
awk -v a="$ours_med" -v b="$n4_med" -v c="$yt_med" 'BEGIN {
  printf "vidtrawl-cli / yt-dlp -N 4: %.2f (bar: at most 1.1)\n", a / b
  printf "vidtrawl-cli / yt-dlp: %.2f (bar: at most 0.35)\n", a / c
}'

# The cost of a fragment: CPU seconds (user + system) of whole runs.
cpu_walls=()
for n in "${counts[@]}"; do
  cpus="" walls=""
  for _ in $(seq "$runs"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    start=$EPOCHREALTIME
    /usr/bin/time -f "%U %S" -o "$work/time" "$cli" -q -d "$work/out" \
      "http://127.0.0.1:$port/many$n/index.m3u8" || { echo "failed: $n fragments" >&2; exit 1; }
    end=$EPOCHREALTIME
    frames=$(ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 \
      "$work/out/index.mp4")
    [ "$frames" = "$n" ] || { echo "$n fragments gave $frames frames" >&2; exit 1; }
    cpus+="$(awk '{ printf "%.2f", $1 + $2 }' "$work/time") "
    walls+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }') "
  done
  cpu_walls+=("$(med "$cpus")")
  printf '%6d fragments: CPU median %6.2f s (runs: %s), wall %s\n' "$n" "$(med "$cpus")" "$cpus" "$walls"
done
awk -v a="${cpu_walls[0]}" -v b="${cpu_walls[1]}" 'BEGIN {
  printf "CPU of 40,000 / 20,000 fragments: %.2f (bar: at most 2.2)\n", b / a
}'
