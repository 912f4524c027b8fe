#!/usr/bin/env bash
# Shows a stopped download going on from where it stopped: vidtrawl-cli
# downloads a 1 GiB file of random bytes from nginx on loopback (a video
# file's own address), is interrupted (SIGINT, as Ctrl-C) once about half of
# it is in its partial file, and is run again. Prints the partial file's size
# at the stop, nginx's access log (the second request's status is 206 and it
# sends only the rest) and whether the file is byte-identical to the served
# one. Files live in memory (tmpfs when /dev/shm is there).
# Usage: bench/resume.sh [BUILD_DIR]   (BUILD_DIR defaults to build/)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cli=$build/bin/vidtrawl-cli
[ -x "$cli" ] || { echo "missing $cli (build it first)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup resume
mkdir -p "$work/www" "$work/home" "$work/out"
head -c 1G /dev/urandom >"$work/www/big.mp4"
NGINX_ACCESS_LOG=$work/access.log start_nginx
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
run=("$cli" -q -d "$work/out" "http://127.0.0.1:$port/big.mp4")
part=$work/out/big.mp4.vidtrawl-part

"${run[@]}" &
cli_pid=$!
until [ -f "$part" ] && [ "$(stat -c %s "$part")" -ge $((512 << 20)) ]; do
  kill -0 "$cli_pid" 2>/dev/null || { echo "the download ended before it could be stopped" >&2; exit 1; }
  sleep 0.01
done
kill -INT "$cli_pid"
status=0
wait "$cli_pid" || status=$?
echo "first run: exit status $status, partial file $(stat -c %s "$part") bytes"
"${run[@]}"
echo "second run: exit status $?"
echo "nginx's access log:"
sed 's/^/  /' "$work/access.log"
if cmp -s "$work/out/big.mp4" "$work/www/big.mp4"; then
  echo "the file is byte-identical to the served one ($(stat -c %s "$work/out/big.mp4") bytes)"
else
  echo "the file differs from the served one" >&2
  exit 1
fi
