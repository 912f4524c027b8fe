#!/usr/bin/env bash
# The desktop program under Xvfb, measured from outside as a user and a
# window manager see it (bench/x11_probe does the X side):
#  - launch: from the spawn until the 630 x 535 window "Vidtrawl" is
#    viewable (and until it shows something), median of RUNS launches;
#  - RSS at rest: VmRSS once the window has been idle for a second;
#  - _NET_WM_PING answered: every 10 ms, for 5 s at rest, and all through a
#    full-speed 1 GiB download from nginx on loopback, started the way a
#    user starts it: click the address field, type the page's address,
#    "Add to list", "Start Downloading" (xdotool);
#  - that download's wall time, from the click until the file is there at
#    full size, against vidtrawl-cli downloading the same page into another
#    folder (RUNS alternating runs, one fresh window per run), with the CPU
#    time (user + system) each program spends on it;
#  - _NET_WM_PING answered all through 8 downloads at once (eight pages given
#    on the command line, "Simultaneous Downloads=8"), each of the 1 GiB, with
#    the list's run columns and the status line following them.
# A first download, not counted, warms the page cache; with SHOT=FILE it
# also takes a screenshot of the window into FILE.
# The page is in PutFile's format; VIDTRAWL_CONNECT_TO maps www.putfile.com
# to nginx for both programs. HOME and the XDG folders are private to the
# run; the settings file turns the clipboard monitor off (its timer would
# read the clipboard during the measures) and sets the download folder.
# VIA=copy starts each measured download the clipboard monitor's way
# instead: the monitor is on and the page's address is copied with xclip
# (the clock starts at the copy); the window stays shown, or with
# VIA=copy-hidden is hidden in the tray (unmapped) first.
# Usage: [VIA=type|copy|copy-hidden] bench/gui.sh [BUILD_DIR] [RUNS]
#   (BUILD_DIR defaults to build/, RUNS to 5, VIA to type)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
via=${VIA:-type}
case $via in type | copy | copy-hidden) ;; *) echo "VIA is type, copy or copy-hidden" >&2; exit 2 ;; esac
app=$build/bin/vidtrawl
cli=$build/bin/vidtrawl-cli
probe=$build/bin/x11_probe
for f in "$app" "$cli" "$probe"; do
  [ -x "$f" ] || { echo "missing $f (build it first)" >&2; exit 2; }
done
tools="Xvfb xdotool import"
[ "$via" = type ] || tools="$tools xclip"
for tool in $tools; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup-deps installs it)" >&2; exit 2; }
done
# shellcheck source=bench/nginx.sh
. "$root/bench/nginx.sh"
bench_setup guibench

xvfb=
app_pid=
gui_cleanup() {
  stop_app
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  bench_cleanup
}
trap gui_cleanup EXIT

serve_big_page
start_nginx
page_url=http://www.putfile.com/page.html
size=1073741824
gui_out=$work/gui-out
cli_out=$work/cli-out
mkdir -p "$gui_out" "$cli_out"

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
  XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/vidtrawl"
chmod 700 "$XDG_RUNTIME_DIR"
# settings MONITOR [JOBS]: the settings file with the clipboard monitor True or
# False, and JOBS downloads at once (3 by default). What is added waits for
# "Start Downloading", whose click the download is timed from.
settings() {
  printf '[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=%s\nDownload Dir=%s\nSimultaneous Downloads=%s\nStart What Is Added=False\n' \
    "$1" "$gui_out" "${2:-3}" >"$XDG_CONFIG_HOME/vidtrawl/registry.ini"
}
settings False
export VIDTRAWL_CONNECT_TO=www.putfile.com:80:127.0.0.1:$port
# Only the X server of this run; no session bus or desktop of the caller's.
export QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER

# Xvfb picks a free display and writes its number when it is ready. A
# black root (-br) is what the probe tells an unpainted window by; without
# -noreset the server resets when its last client leaves, refusing
# connections for a moment between runs.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -br -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb failed:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -1 "$work/display")
export DISPLAY

# start_app [URL...]: the program with its window viewable; sets $win and $app_pid.
start_app() {
  local result
  # A fresh window has a fresh list: the program keeps its list across starts, and one that holds
  # the page as done already has nothing to download.
  rm -f "$XDG_DATA_HOME/vidtrawl/list.json"
  result=$("$probe" launch --keep --timeout 30 -- "$app" "$@" 2>>"$work/app.log") || launch_failed
  read -r _ win app_pid <<<"$result"
}
launch_failed() {
  echo "the window did not show; the program and the probe said:" >&2
  tail -20 "$work/app.log" >&2
  exit 1
}
# stop_app: ends the program (the probe, its parent, is gone: no wait).
stop_app() {
  [ -n "$app_pid" ] || return 0
  kill "$app_pid" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -9 "$app_pid" 2>/dev/null || true
  app_pid=
}
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }
# add_page: the page's address into the list, as a user types it. The
# positions are the movie's address field, "Add to list" and (below)
# "Start Downloading" in window coordinates.
add_page() {
  click 250 101
  xdotool type --delay 2 "$page_url"
  click 545 101
  sleep 1 # the row is listed and painted; the window is at rest again
}
# The program's user + system time so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app_pid/stat"; }
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# ping_figures LOG...: "p50 p99 max count lost" of the pings in the logs.
ping_figures() {
  local count lost
  count=$(cat "$@" | wc -l)
  lost=$(awk '$2 < 0' "$@" | wc -l)
  awk '$2 >= 0 { print $2 }' "$@" | sort -n | awk -v c="$count" -v l="$lost" '
    function rank(p) { r = int(NR * p); if (r < NR * p) r++; return r < 1 ? 1 : r }
    { v[NR] = $1 }
    END { printf "%.2f %.2f %.2f %d %d\n", v[rank(0.50)], v[rank(0.99)], v[NR], c, l }'
}

# One download through the window, timed from the click on "Start
# Downloading" until the file is there at full size, with pings all
# through; leaves the pings in $1 and prints "wall cpu" in seconds (cpu:
# the program's user + system time over the same stretch).
# With a second argument, a screenshot of the window goes there once
# 40 % of the file is in.
gui_download() {
  local log=$1 shot=${2:-} out=$gui_out/big.flv clicked reached cpu0 how=${3:-type}
  rm -f "$out" "$out.vidtrawl-part"
  [ "$how" = type ] && add_page
  [ "$how" = copy-hidden ] && xdotool windowunmap --sync "$win"
  "$probe" ping "$win" --seconds 600 --until-size "$out" "$size" --log "$log" >"$work/ping.txt" &
  local pinger=$!
  sleep 0.2
  cpu0=$(cpu_ticks)
  # The clock is read before xdotool: strace of the program showed the
  # press and release arriving 5 ms after xdotool started and xdotool
  # returning 0.1 s after that.
  clicked=$(date +%s%N)
  if [ "$how" = type ]; then
    click 488 486
  else
    printf '%s' "$page_url" | xclip -selection clipboard >/dev/null 2>&1
  fi
  if [ -n "$shot" ]; then
    while [ "$(file_size "$out")" -lt $((size * 2 / 5)) ] && kill -0 "$pinger" 2>/dev/null; do
      sleep 0.02
    done
    # import grabs the server; a window gone by then would keep it waiting.
    timeout 20 import -window "$win" "png:$shot" || echo "screenshot failed" >&2
  fi
  wait "$pinger" || { echo "the download did not complete:" >&2; cat "$work/app.log" >&2; exit 1; }
  reached=$(sed -n 's/.*size_reached_ns=\([0-9]*\).*/\1/p' "$work/ping.txt")
  echo "$clicked" >"$log.clicked"
  awk -v a="$clicked" -v b="$reached" -v c="$(($(cpu_ticks) - cpu0))" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.3f %.2f\n", (b - a) / 1e9, c / hz }'
}
cli_download() {
  local out=$cli_out/big.flv
  rm -f "$out"
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" env VIDTRAWL_PROGRESS=live COLUMNS=100 \
    "$cli" -d "$cli_out" "$page_url" >/dev/null 2>"$work/cli.err"
  [ "$(file_size "$out")" = "$size" ] || { echo "short file from vidtrawl-cli" >&2; cat "$work/cli.err" >&2; exit 1; }
  rm -f "$out"
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}

echo "vidtrawl under Xvfb ($DISPLAY), $runs runs, downloads started by: $via; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

# Launch: each run a fresh program, ended once its window shows.
: >"$work/launch.txt"
for _ in $(seq "$runs"); do
  "$probe" launch --drawn --timeout 30 -- "$app" 2>>"$work/app.log" >>"$work/launch.txt" ||
    launch_failed
done

# A download not counted, which brings the served file into the page cache.
start_app
gui_download "$work/ping-shot.txt" "${SHOT:-}" >/dev/null
stop_app

: >"$work/rss.txt"
: >"$work/gui.txt"
: >"$work/cli.txt"
rest_logs=()
download_logs=()
[ "$via" = type ] || settings True
for i in $(seq "$runs"); do
  # A fresh program must not find the last run's address on the clipboard.
  [ "$via" = type ] || printf 'nothing' | xclip -selection clipboard >/dev/null 2>&1
  start_app
  sleep 1
  awk '/^VmRSS:/ { print $2 }' "/proc/$app_pid/status" >>"$work/rss.txt"
  "$probe" ping "$win" --seconds 5 --log "$work/ping-rest-$i.txt" >/dev/null
  rest_logs+=("$work/ping-rest-$i.txt")
  gui_download "$work/ping-download-$i.txt" "" "$via" >>"$work/gui.txt"
  [ "$via" = copy-hidden ] && xdotool windowmap --sync "$win"
  download_logs+=("$work/ping-download-$i.txt")
  stop_app
  cli_download >>"$work/cli.txt"
done

# Eight downloads at once, each of a page of its own whose video is the same
# 1 GiB file under another name, started from the command line.
[ "$via" = type ] || printf 'nothing' | xclip -selection clipboard >/dev/null 2>&1
settings False 8
eight=()
for n in 1 2 3 4 5 6 7 8; do
  ln -sf big.flv "$work/www/big$n.flv"
  sed "s/big.flv/big$n.flv/" "$work/www/page.html" >"$work/www/page$n.html"
  eight+=("http://www.putfile.com/page$n.html")
  rm -f "$gui_out/big$n.flv"
done
start_app "${eight[@]}"
"$probe" ping "$win" --seconds 600 --until-size "$gui_out/big8.flv" "$size" --log "$work/ping-eight.txt" \
  >/dev/null || { echo "the eight downloads did not complete" >&2; exit 1; }
for n in 1 2 3 4 5 6 7 8; do
  while [ "$(file_size "$gui_out/big$n.flv")" != "$size" ]; do
    kill -0 "$app_pid" 2>/dev/null || { echo "big$n.flv is short" >&2; exit 1; }
    sleep 0.1
  done
  rm -f "$gui_out/big$n.flv"
done
stop_app
read -r fp50 fp99 fmax fcount flost <<<"$(ping_figures "$work/ping-eight.txt")"

figure() { cut -d' ' -f"$1" "$2" | median; }
verdict() { awk -v v="$1" -v bar="$2" 'BEGIN { print (v <= bar) ? "within" : "OVER" }'; }
launch=$(figure 1 "$work/launch.txt")
drawn=$(figure 4 "$work/launch.txt")
rss=$(awk '{ printf "%.1f\n", $1 / 1024 }' "$work/rss.txt" | median)
gui=$(figure 1 "$work/gui.txt")
cons=$(figure 1 "$work/cli.txt")
ratio=$(awk -v a="$gui" -v b="$cons" 'BEGIN { printf "%.2f", a / b }')
read -r rp50 rp99 rmax rcount rlost <<<"$(ping_figures "${rest_logs[@]}")"
# During the download: the pings sent after each run's click.
: >"$work/during.txt"
for log in "${download_logs[@]}"; do
  awk -v from="$(awk '{ printf "%.6f", $1 / 1e9 }' "$log.clicked")" '$1 >= from' "$log" >>"$work/during.txt"
done
read -r dp50 dp99 dmax dcount dlost <<<"$(ping_figures "$work/during.txt")"

printf '%-34s %10s   %s\n' "measure (median of $runs runs)" "result" "bar"
printf '%-34s %7.1f ms   <= 300 ms  %s   (runs: %s)\n' "launch to viewable" "$launch" \
  "$(verdict "$launch" 300)" "$(cut -d' ' -f1 "$work/launch.txt" | tr '\n' ' ')"
printf '%-34s %7.1f ms   (first pixels drawn)\n' "launch to drawn" "$drawn"
printf '%-34s %7.1f MiB  <= 60 MiB  %s   (runs: %s)\n' "RSS at rest" "$rss" "$(verdict "$rss" 60)" \
  "$(tr '\n' ' ' <"$work/rss.txt")KiB"
printf '%-34s p50 %.2f  p99 %.2f  max %.2f ms  (%d pings, %d lost)  p99 <= 50 ms  %s\n' \
  "_NET_WM_PING at rest" "$rp50" "$rp99" "$rmax" "$rcount" "$rlost" \
  "$([ "$rlost" = 0 ] && verdict "$rp99" 50 || echo OVER)"
printf '%-34s p50 %.2f  p99 %.2f  max %.2f ms  (%d pings, %d lost)  p99 <= 50 ms  %s\n' \
  "_NET_WM_PING during the download" "$dp50" "$dp99" "$dmax" "$dcount" "$dlost" \
  "$([ "$dlost" = 0 ] && verdict "$dp99" 50 || echo OVER)"
printf '%-34s p50 %.2f  p99 %.2f  max %.2f ms  (%d pings, %d lost)  p99 <= 50 ms  %s\n' \
  "_NET_WM_PING during 8 downloads" "$fp50" "$fp99" "$fmax" "$fcount" "$flost" \
  "$([ "$flost" = 0 ] && verdict "$fp99" 50 || echo OVER)"
printf '%-34s %7.2f s    cpu %.2f s  (walls: %s)\n' "1 GiB download, vidtrawl" "$gui" \
  "$(figure 2 "$work/gui.txt")" "$(cut -d' ' -f1 "$work/gui.txt" | tr '\n' ' ')"
printf '%-34s %7.2f s    cpu %.2f s  (walls: %s)\n' "1 GiB download, vidtrawl-cli" "$cons" \
  "$(figure 2 "$work/cli.txt")" "$(cut -d' ' -f1 "$work/cli.txt" | tr '\n' ' ')"
printf '%-34s %7s      <= 1.15    %s\n' "ratio vidtrawl / vidtrawl-cli" "$ratio" "$(verdict "$ratio" 1.15)"
[ -z "${SHOT:-}" ] || echo "screenshot: $SHOT"
