#!/bin/sh
# Starts the desktop program on a display, a session bus and a home of its own, under openbox, in
# a KIND of desktop, with no server to reach (a pass fails):
#  xembed  an X11 tray (trayer): a click on the docked icon hides the window, shows it again, and
#          shows it when minimised;
#  sni     a D-Bus tray (desktop_bus.py): the same with the item's Activate; and an address copied
#          while the window is in the tray ends in a notification of the failed pass, with why;
#  a11y    the accessibility bus: a11y_check.py reads the window's controls;
#  grow    on a 1280x900 screen, the window resized to 1000x800 follows and its list (as the
#          accessibility bus shows it) grows; both sizes are back after a restart; at twice the
#          scale the window is wholly on the screen;
#  manage  downloads from nginx at 300 KB/s a connection, kept by the user: a paste of three
#          lines gives three items; the settings window's speed limit holds the downloads within a
#          second; three paused rows resume with one menu action; Delete of a running item asks,
#          and Keep leaves its partial file; renaming a Complete item renames its file.
# Exit: 0 when all went as it should, 77 when a tool it needs is missing (1 under CI=true).
set -eu
program=$1 kind=$2
here=$(dirname "$0")
need="Xvfb xdotool openbox dbus-daemon"
case $kind in
xembed) need="$need trayer" ;;
sni) need="$need gdbus xclip" ;;
manage) need="$need xclip nginx" ;;
esac
missing() { echo "gui_session: no $1 (scripts/setup-deps)"; [ "${CI:-}" = true ] && exit 1; exit 77; }
export PATH="$PATH:/usr/sbin"
for tool in $need; do command -v "$tool" >/dev/null || missing "$tool"; done
case $kind in
sni) /usr/bin/python3 -c 'import gi' 2>/dev/null || missing python3-gi ;;
a11y | grow) [ -x /usr/libexec/at-spi-bus-launcher ] && /usr/bin/python3 -c 'import pyatspi' || missing at-spi ;;
esac
screen=1024x768
[ "$kind" = grow ] && screen=1280x900
work=$(mktemp -d)
pids=
trap 'kill $pids 2>/dev/null || :; rm -rf "$work"' EXIT
fail() { echo "gui_session: $*" >&2; cat "$work"/*.log >&2; exit 1; }
spawn() { "$@" & pids="$! $pids"; } # in the background until the script ends
# Waits up to N tenths of a second for a command to succeed.
within() { n=$1; shift; until "$@"; do [ $((n -= 1)) -gt 0 ] || return 1; sleep 0.1; done; }
said() { grep -q "$1" "$work/desktop.log"; }

spawn Xvfb -displayfd 3 -nolisten tcp -screen 0 ${screen}x24 3>"$work/display" >/dev/null 2>&1
within 100 test -s "$work/display" || fail "no display"
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb LC_ALL=C HOME="$work/home" \
  XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
  XDG_DATA_HOME="$work/home/.local/share" VIDTRAWL_CONNECT_TO=::127.0.0.1:1
unset WAYLAND_DISPLAY
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
pids="$(sed -n 2p "$work/bus") $pids"
spawn openbox >/dev/null 2>&1
case $kind in
xembed) spawn trayer --edge bottom --align right ;;
sni)
  spawn /usr/bin/python3 "$here/desktop_bus.py" >"$work/desktop.log"
  within 100 said '^ready' || fail "no desktop bus"
  ;;
a11y | grow)
  spawn /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  ;;
manage)
  # The monitor off: the clipboard is the test's.
  mkdir -p "$XDG_CONFIG_HOME/vidtrawl" "$work/www"
  printf '[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=False\n' \
    >"$XDG_CONFIG_HOME/vidtrawl/registry.ini"
  for name in a b c; do head -c 16000000 /dev/urandom >"$work/www/$name.flv"; done
  head -c 65536 /dev/urandom >"$work/www/done.flv"
  port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  user=
  [ "$(id -u)" = 0 ] && user="user root;"
  echo "$user daemon off; error_log error.log; pid nginx.pid; events {} http { access_log off; types { video/x-flv flv; }
    server { listen 127.0.0.1:$port; root www; limit_rate 300k; } }" >"$work/nginx.conf"
  spawn nginx -c "$work/nginx.conf" -p "$work/"
  export VIDTRAWL_CONNECT_TO=::127.0.0.1:$port
  ;;
esac
sleep 1 # the tray is up before the icon is made
start() {
  spawn "$program" >"$work/program.log" 2>&1
  running=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1)
  [ -n "$window" ] || fail "no window"
}
start
shown() { xdotool search --onlyvisible --name '^Vidtrawl$' | grep -qx "$window"; }
hidden() { ! shown; }
docked() {
  icon=$(xdotool search --onlyvisible --class '^vidtrawl$' | grep -vx "$window" | head -n 1)
  [ -n "$icon" ]
}

case $kind in
a11y)
  /usr/bin/python3 "$here/a11y_check.py"
  exit
  ;;
grow)
  list() { /usr/bin/python3 "$here/a11y_check.py" table:Downloads; }
  geometry() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
  sized() { [ "$(geometry)" = "$1" ]; }
  close() { xdotool mousemove --window "$window" $(($1 - 22)) 24 click 1 && wait "$running"; }
  small=$(list) || fail "no list on the accessibility bus"
  xdotool windowsize "$window" 1000 800
  within 50 sized 1000x800 || fail "the window is $(geometry), not 1000x800"
  grown() { set -- $small $(list) && [ "$7" -gt "$3" ] && [ "$8" -gt "$4" ]; }
  within 50 grown || fail "the list did not grow: from $small to $(list)"
  large=$(list)
  close 1000
  start
  within 50 sized 1000x800 || fail "the window is $(geometry) after a restart"
  [ "$(list)" = "$large" ] || fail "the list is $(list) after a restart, not $large"
  close 1000
  QT_SCALE_FACTOR=2 start
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 900 ] ||
    fail "at twice the scale the window is at ${X},${Y}, ${WIDTH}x${HEIGHT}, off the screen"
  exit
  ;;
manage)
  videos="$HOME/Downloaded Videos" list="$XDG_DATA_HOME/vidtrawl/list.json"
  at() { xdotool mousemove --window "$window" "$1" "$2" click "${3:-1}"; }
  row() { at "${2:-150}" $((197 + 22 * $1)); } # the Video URL (or the cell at X) of row N
  key() { xdotool key --window "$1" "$2"; }
  bytes() { cat "$videos"/[abc].flv.vidtrawl-part 2>/dev/null | wc -c; }
  phases() { [ "$(grep -s -c "\"phase\": \"$1\"" "$list")" = "$2" ]; }
  settle() { within "$@" || { fail "${*#* } did not come true: $(grep -s '"phase"' "$list" | tr -d ' \n')"; }; }
  # The rows' menu, once it is shown (a window more on the screen), and one of its actions.
  shown() { xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null | wc -l; }
  more() { [ "$(shown)" -gt "$1" ]; }
  menu() {
    local before
    before=$(shown)
    key "$window" shift+F10
    within 50 more "$before" || fail "the rows' menu did not open"
    key "$window" "$1"
  }
  printf 'http://media.example/a.flv\nhttp://media.example/b.flv\nhttp://media.example/c.flv\n' |
    xclip -selection clipboard >/dev/null 2>&1
  at 250 101
  key "$window" ctrl+v
  key "$window" Return
  settle 50 phases receiving 3
  grep -q '"address": "http://media.example/c.flv"' "$list" || fail "the paste did not add c.flv"

  # The speed limit, set in the settings window, holds the three within a second.
  begun=$(bytes)
  sleep 1
  [ $(($(bytes) - begun)) -gt 400000 ] || fail "the downloads did not run at full speed"
  key "$window" ctrl+comma
  settings=$(timeout 10 xdotool search --sync --onlyvisible --name '^Vidtrawl Settings$' | head -n 1)
  key "$settings" Down # the Network page
  key "$settings" alt+l
  key "$settings" ctrl+a
  xdotool type --window "$settings" --delay 5 50k
  key "$settings" Tab
  sleep 1
  begun=$(bytes)
  sleep 2
  [ $(($(bytes) - begun)) -lt 200000 ] || fail "$(($(bytes) - begun)) bytes came in 2 s under 50k"
  key "$settings" alt+l
  key "$settings" ctrl+a
  key "$settings" BackSpace
  key "$settings" Tab
  key "$settings" Escape 2>/dev/null || : # (gone before the key's release)

  # Three rows selected, paused and resumed with one action of the rows' menu each.
  row 1
  xdotool keydown shift && row 3 && xdotool keyup shift
  menu p
  settle 50 phases paused 3
  menu u
  settle 50 phases receiving 3

  # Delete of a running item asks; Keep leaves its partial file.
  row 1
  key "$window" Delete
  asked() {
    question=$(xdotool search --onlyvisible --name '^Vidtrawl$' | grep -vx "$window" | head -n 1)
    [ -n "$question" ]
  }
  within 100 asked || fail "Delete of a running item did not ask"
  key "$question" alt+k 2>/dev/null || :
  settle 50 phases receiving 2
  ! grep -q a.flv "$list" || fail "a.flv is still listed"
  [ -s "$videos/a.flv.vidtrawl-part" ] || fail "Keep did not leave a.flv's partial file"

  # A Complete item renamed: its file follows.
  at 250 101
  xdotool type --window "$window" --delay 2 http://media.example/done.flv
  key "$window" Return
  settle 50 test -f "$videos/done.flv"
  settle 50 phases complete 1
  row 3 358
  key "$window" F2
  key "$window" ctrl+a
  xdotool type --window "$window" --delay 5 renamed.flv
  key "$window" Return
  settle 50 test -f "$videos/renamed.flv"
  [ ! -e "$videos/done.flv" ] && cmp -s "$videos/renamed.flv" "$work/www/done.flv" ||
    fail "the renamed file is not the download's"
  kill "$running"
  wait "$running" || :
  exit
  ;;
xembed)
  within 50 docked || fail "no icon docked"
  click() { sleep 0.6; xdotool mousemove --window "$icon" 5 5 click 1; } # apart: no double-click
  ;;
sni)
  within 100 said '^item ' || fail "no tray item"
  item=$(sed -n 's/^item //p' "$work/desktop.log" | head -n 1)
  click() { gdbus call --session -d "${item% *}" -o "${item#* }" \
    -m org.kde.StatusNotifierItem.Activate 5 5 >/dev/null; }
  ;;
esac

# Waits up to five seconds for the window to be shown or hidden after WHAT.
expect() { within 50 "$1" || fail "the window is not $1 after $2"; }
click
expect hidden "a click on the icon"
if [ "$kind" = sni ]; then
  printf http://www.putfile.com/video/1 | xclip -selection clipboard >/dev/null 2>&1 # (it stays)
  within 100 said '^notify ' || fail "no notification"
  said '^notify Downloads finished|0 complete, 1 failed\.\\n.*: the page could not be fetched: .*|vidtrawl$' ||
    fail "not the notification of a failed pass, with why, under the program's desktop entry"
fi
click
expect shown "a second click"
xdotool windowminimize --sync "$window"
expect hidden "minimising"
click
expect shown "a click on the minimised window's icon"
[ "$kind" = xembed ] || exit 0

# Maximised (its title strip's Maximize button), to the tray and back twice: the list's columns
# keep the widths they had, in the settings file.
widths() { sed -n 's/^Column Widths=//p' "$XDG_CONFIG_HOME/vidtrawl/registry.ini"; }
size() { eval "$(xdotool getwindowgeometry --shell "$window")"; }
xdotool mousemove --window "$window" 564 23 click 1
maximised() { size && [ "$WIDTH" -ge 1000 ]; }
within 50 maximised || fail "the Maximize button left the window ${WIDTH}x${HEIGHT}"
sleep 1.5 # the widths are kept a second after a change
before=$(widths)
[ -n "$before" ] || fail "no Column Widths kept after the window grew"
for round in 1 2; do
  click
  expect hidden "a click on the icon of the maximised window"
  click
  expect shown "a click on the icon, round $round"
done
sleep 1.5
[ "$(widths)" = "$before" ] || fail "the column widths went from $before to $(widths)"
