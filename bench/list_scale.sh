#!/usr/bin/env bash
# How the cost of a whole vidtrawl-cli run grows with the list: N page
# addresses (PutFile's format, www.putfile.com mapped to nginx on loopback),
# each page leading to its own 2 kB video, downloaded in one run. Prints the
# wall and CPU time (user+sys) of each size and the CPU ratio of the largest
# to the smallest; linear cost gives a ratio equal to the ratio of the sizes.
# The work folder (pages, download folder, settings and cache) is on tmpfs
# when /dev/shm is there: on a disk each file made costs the kernel about a
# millisecond here, which would measure the disk rather than the program.
# Usage: bench/list_scale.sh [BUILD_DIR] [N...]   (defaults: build/, 1000 4000)
set -euo pipefail
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 4000)
cli=$build/bin/vidtrawl-cli
[ -x "$cli" ] || { echo "missing $cli (build it first)" >&2; exit 2; }
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup listscale

largest=$(printf '%s\n' "${sizes[@]}" | sort -n | tail -1)
mkdir -p "$work/www/video" "$work/www/v" "$work/home"
head -c 2048 /dev/urandom >"$work/video.bin"
for i in $(seq "$largest"); do
  printf '<html><body><script>\nso.addVariable("file","http://www.putfile.com/v/clip%d.flv");\n</script></body></html>\n' \
    "$i" >"$work/www/video/$i"
  ln "$work/video.bin" "$work/www/v/clip$i.flv"
done
start_nginx
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache

first_cpu=
for n in "${sizes[@]}"; do
  rm -rf "$work/out"
  mkdir -p "$work/out"
  seq "$n" | sed 's|^|http://www.putfile.com/video/|' >"$work/urls.txt"
  # The addresses go on the command line (xargs keeps them in one run).
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" \
    xargs -a "$work/urls.txt" "$cli" -q -d "$work/out" --connect-to "www.putfile.com:80:127.0.0.1:$port" \
    >"$work/cmd.out" 2>"$work/cmd.err" || { echo "run of $n failed:" >&2; tail -5 "$work/cmd.err" >&2; exit 1; }
  got=$(find "$work/out" -name '*.flv' | wc -l)
  [ "$got" = "$n" ] || { echo "$n addresses gave $got files" >&2; exit 1; }
  read -r wall user sys rss <"$work/time.txt"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  printf "%6d addresses: wall %7.2f s  cpu %7.2f s (user %.2f, sys %.2f)  peak RSS %6d KiB\n" "$n" "$wall" "$cpu" "$user" "$sys" "$rss"
  [ -n "$first_cpu" ] || { first_cpu=$cpu; first_n=$n; }
  last_cpu=$cpu; last_n=$n
done
awk -v a="$last_cpu" -v b="$first_cpu" -v n="$last_n" -v m="$first_n" \
  'BEGIN { if (b > 0) printf "cpu ratio %d/%d: %.2f (linear: %.2f)\n", n, m, a / b, n / m }'
