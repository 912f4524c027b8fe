#!/bin/sh
# Starts the desktop program on a display and a session bus of its own, under a window manager, in
# the desktop of a KIND:
#  xembed  an X11 tray (trayer): a click on the docked icon sends the window to the tray and
#          back, and brings it back when minimised too;
#  sni     a D-Bus tray (desktop_bus.py's StatusNotifierWatcher, as KDE Plasma and GNOME's
#          AppIndicator extension have): the same with the item's Activate; and a copied ADDRESS,
#          downloaded while the window is in the tray, ends in a notification, printed here;
#  a11y    the accessibility bus: a11y_check.py reads the window's controls.
# Exit: 0 when all went as it should.
set -eu
program=$1 kind=$2 address=${3:-}
here=$(dirname "$0")
work=$(mktemp -d)
trap 'kill $pids 2>/dev/null || :; rm -rf "$work"' EXIT
fail() { echo "gui_session: $*" >&2; cat "$work"/*.log >&2; exit 1; }
# Runs a command in the background; it ends with the script.
spawn() { "$@" & pids="$! $pids"; }
wait_for() { timeout 10 sh -c "until grep -q '$1' '$work/desktop.log'; do sleep 0.1; done"; }

dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
pids=$(sed -n 2p "$work/bus")
spawn openbox >/dev/null 2>&1
case $kind in
xembed) spawn trayer --edge bottom --align right ;;
sni)
  spawn /usr/bin/python3 "$here/desktop_bus.py" >"$work/desktop.log"
  wait_for '^ready' || fail "no desktop bus"
  ;;
a11y)
  spawn /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  ;;
esac
sleep 1 # the tray is up before the icon is made
spawn "$program" >"$work/program.log" 2>&1
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vidtrawl$' | head -n 1)
[ -n "$window" ] || fail "no window"

case $kind in
a11y)
  /usr/bin/python3 "$here/a11y_check.py"
  exit
  ;;
xembed)
  icon=
  for _ in $(seq 50); do
    icon=$(xdotool search --onlyvisible --class '^vidtrawl$' | grep -vx "$window" | head -n 1) && break
    sleep 0.1
  done
  [ -n "$icon" ] || fail "no icon docked"
  # (Apart, so that two clicks make no double-click.)
  click() { sleep 0.6; xdotool mousemove --window "$icon" 5 5 click 1; }
  ;;
sni)
  wait_for '^item ' || fail "no tray item"
  item=$(sed -n 's/^item //p' "$work/desktop.log" | head -n 1)
  click() { gdbus call --session -d "${item% *}" -o "${item#* }" \
    -m org.kde.StatusNotifierItem.Activate 5 5 >/dev/null; }
  ;;
esac

# Waits up to five seconds for the window to be on show (yes) or not (no) after WHAT.
expect() {
  for _ in $(seq 50); do
    if xdotool search --onlyvisible --name '^Vidtrawl$' | grep -qx "$window"; then
      [ "$1" = yes ] && return 0
    elif [ "$1" = no ]; then
      return 0
    fi
    sleep 0.1
  done
  fail "the window is not as it should be (on show: $1) after $2"
}
click
expect no "a click on the icon"
if [ "$kind" = sni ]; then
  # (xclip stays to serve its copy: its output goes nowhere.)
  printf '%s' "$address" | xclip -selection clipboard >/dev/null 2>&1
  wait_for '^notify ' || fail "no notification"
  grep '^notify ' "$work/desktop.log"
fi
click
expect yes "a second click"
xdotool windowminimize --sync "$window"
expect no "minimising"
click
expect yes "a click on the minimised window's icon"
