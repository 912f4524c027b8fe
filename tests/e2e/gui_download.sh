#!/bin/sh
# On a display of its own, starts the desktop program and has it download, as HOW says:
#  type ADDRESS FILE   typed into the movie's field, then "Add to list" and "Start Downloading";
#  copy ADDRESS FILE   copied to the clipboard (FILE within four seconds either way: a stalled
#                      clipboard read would take five);
#  restart A1 A2 PART LIST FILE1 FILE2   started with A1 and A2, killed once the first video has
#                      begun to arrive as PART and the kept LIST says so, LIST printed, started
#                      again without addresses and "Start Downloading" pressed.
# Then closes the window. Exit: the program's, else 1.
set -eu
program=$1 how=$2
fail() { echo "gui_download: $*" >&2; kill "$pid" 2>/dev/null; exit 1; }
# Waits up to N tenths of a second for a command to succeed.
within() { n=$1; shift; until "$@"; do [ $((n -= 1)) -gt 0 ] || return 1; sleep 0.1; done; }
present() { for f; do [ -f "$f" ] || return 1; done; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
start() {
  "$program" "$@" &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1)
  [ -n "$window" ] || fail "no window"
}
if [ "$how" = restart ]; then
  start "$3" "$4"
  within 100 sh -c "[ -s '$5' ] && grep -q '\"transferring\"' '$6'" || fail "$5 did not appear"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || :
  cat "$6"
  start
  sleep 0.5
  click 488 486
  limit=200
  set -- "$7" "$8"
else
  start
  if [ "$how" = type ]; then
    click 250 101
    xdotool type --delay 2 "$3"
    click 545 101
    click 488 486
  else # (xclip stays to serve its copy; its output goes nowhere, so this script's output ends)
    printf '%s' "$3" | xclip -selection clipboard >/dev/null 2>&1
  fi
  limit=40
  set -- "$4"
fi
within $limit present "$@" || fail "$* did not appear"
click 607 23
wait "$pid"
