#!/bin/sh
# On a display of its own, starts the desktop program and has it download, as HOW says:
#  type ADDRESS FILE   typed into the movie's field, then "Add to list" (which starts it);
#  copy ADDRESS FILE   copied to the clipboard (FILE within four seconds either way: a stalled
#                      clipboard read would take five);
#  second ADDRESS FILE given to a second `vidtrawl ADDRESS`, which must end with 0 within two
#                      seconds without a window of its own or a write of the kept list (under
#                      strace, where there is one), leaving the first nothing mapped of /dev/shm;
#  restart A1 A2 PART LIST FILE1 FILE2   started with A1 and A2, killed once the first video has
#                      begun to arrive as PART and the kept LIST says so, LIST printed, started
#                      again without addresses (the unfinished items go on by themselves).
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
  within 100 sh -c "[ -s '$5' ] && grep -q '\"receiving\"' '$6'" || fail "$5 did not appear"
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || :
  cat "$6"
  start
  limit=200
  set -- "$7" "$8"
else
  start
  if [ "$how" = type ]; then
    click 250 101
    xdotool type --delay 2 "$3"
    click 545 101
  elif [ "$how" = second ]; then
    trace=
    command -v strace >/dev/null && trace="strace -f -qq -e trace=rename -o ${TMPDIR:-/tmp}/second"
    begun=$(date +%s%N)
    # A leak check cannot run under ptrace: a sanitizer build's is left to the other starts.
    ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0" timeout 5 $trace "$program" "$3" ||
      fail "the second start ended with $?"
    [ $(($(date +%s%N) - begun)) -lt 2000000000 ] || fail "the second start took 2 s or more"
    [ "$(xdotool search --onlyvisible --name '^Vidtrawl$' | wc -l)" = 1 ] || fail "two windows"
    ! grep -s 'list\.json")' "${TMPDIR:-/tmp}/second" || fail "the second wrote the list"
    ! grep /dev/shm "/proc/$pid/maps" || fail "the program keeps a file of /dev/shm"
  else # (xclip stays to serve its copy; its output goes nowhere, so this script's output ends)
    printf '%s' "$3" | xclip -selection clipboard >/dev/null 2>&1
  fi
  limit=40
  set -- "$4"
fi
within $limit present "$@" || fail "$* did not appear"
click 607 23
wait "$pid"
