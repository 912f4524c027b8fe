#!/bin/sh
# On a display of its own: starts the desktop program with two page ADDRESSES, kills it (SIGKILL)
# once the first video has begun to arrive as PART and the kept LIST says so, starts it again
# without addresses, presses
# Start Downloading and waits for both videos (FILE1, FILE2), then closes the window. Prints the
# kept list as the killed program left it. Exit: 0 when all went as it should.
set -eu
program=$1 address1=$2 address2=$3 part=$4 file1=$5 file2=$6 list=$7
fail() { echo "gui_restart: $*" >&2; exit 1; }
window() { timeout 20 xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1; }

"$program" "$address1" "$address2" &
pid=$!
[ -n "$(window)" ] || fail "no window"
for _ in $(seq 100); do
  [ -s "$part" ] && grep -q '"transferring"' "$list" 2>/dev/null && break
  sleep 0.1
done
[ -s "$part" ] || fail "$part did not appear"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || :
cat "$list"

"$program" &
pid=$!
w=$(window)
[ -n "$w" ] || fail "no window the second time"
sleep 0.5
xdotool mousemove --window "$w" 488 486 click 1
for _ in $(seq 200); do
  [ -f "$file1" ] && [ -f "$file2" ] && break
  sleep 0.1
done
[ -f "$file1" ] && [ -f "$file2" ] || fail "the videos did not come the second time"
xdotool mousemove --window "$w" 607 23 click 1
wait "$pid"
