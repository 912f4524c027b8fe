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
#          scale the window is wholly on the screen.
# Exit: 0 when all went as it should, 77 when a tool it needs is missing (1 under CI=true).
set -eu
program=$1 kind=$2
here=$(dirname "$0")
need="Xvfb xdotool openbox dbus-daemon"
case $kind in
xembed) need="$need trayer" ;;
sni) need="$need gdbus xclip" ;;
esac
missing() { echo "gui_session: no $1 (scripts/setup-deps)"; [ "${CI:-}" = true ] && exit 1; exit 77; }
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
