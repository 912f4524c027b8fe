#!/bin/sh
# Runs under a fresh X display (xvfb-run): starts the desktop program, types
# ADDRESS into the movie's address field, presses "Add to list" and "Start
# Downloading", waits for FILE to appear, then closes the window with the
# movie's close button. The positions are the movie's controls in window
# coordinates. Exit status: the program's, or 1 when FILE never came.
set -eu
program=$1 address=$2 file=$3
"$program" &
pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1)
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click 250 101
xdotool type --delay 2 "$address"
click 545 101
click 488 486
for _ in $(seq 300); do
  [ -f "$file" ] && break
  sleep 0.1
done
if [ ! -f "$file" ]; then
  echo "gui_download: $file did not appear" >&2
  kill "$pid"
  exit 1
fi
click 607 23
wait "$pid"
