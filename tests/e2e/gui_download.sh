#!/bin/sh
# On a display of its own, starts the desktop program, gives it ADDRESS as HOW says ("type": into
# the movie's field, then "Add to list" and "Start Downloading"; "copy": to the clipboard; "copy-
# hidden": the same with the window unmapped, as in the tray), waits four seconds at most for FILE
# (a wait on a clipboard owner stalls five) and closes the window. Exit: the program's, else 1.
set -eu
program=$1 how=$2 address=$3 file=$4
"$program" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1)
[ -n "$window" ] || { echo "gui_download: no window" >&2; kill "$pid"; exit 1; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
case $how in
type)
  click 250 101
  xdotool type --delay 2 "$address"
  click 545 101
  click 488 486
  ;;
copy | copy-hidden)
  [ "$how" = copy-hidden ] && xdotool windowunmap --sync "$window"
  # (xclip stays to serve its copy: its output goes nowhere, so that
  # whoever reads this script's output sees it end.)
  printf '%s' "$address" | xclip -selection clipboard >/dev/null 2>&1
  ;;
esac
for _ in $(seq 40); do
  [ -f "$file" ] && break
  sleep 0.1
done
if [ ! -f "$file" ]; then
  echo "gui_download: $file did not appear within 4 s" >&2
  kill "$pid"
  exit 1
fi
[ "$how" = copy-hidden ] && xdotool windowmap --sync "$window"
click 607 23
wait "$pid"
