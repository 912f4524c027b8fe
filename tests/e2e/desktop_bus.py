"""A desktop's services on a private session bus, as a test needs them: a StatusNotifierWatcher
with a host registered (the D-Bus tray of KDE Plasma and GNOME's AppIndicator extension) and a
notification server. Prints "item SERVICE PATH" for each tray item registered, "notify
SUMMARY|BODY|DESKTOP-ENTRY" (new lines as \\n; the desktop entry the notification names for
its icon and grouping) for each notification, and "ready" once it owns its names."""
import os
import sys

from gi.repository import Gio, GLib

WATCHER = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
</interface></node>"""
NOTIFY_ARGS = "".join(f'<arg type="{t}" direction="in"/>' for t in "s u s s s as a{sv} i".split())
NOTIFICATIONS = f"""<node><interface name="org.freedesktop.Notifications"><method name="Notify">
{NOTIFY_ARGS}<arg type="u" direction="out"/></method></interface></node>"""
items = []


def say(line):
    print(line, flush=True)


def call(connection, sender, path, interface, method, args, invocation):
    if method == "Notify":
        summary, body, _, hints = args.unpack()[3:7]
        entry = hints.get("desktop-entry", "")
        say("notify " + (summary + "|" + body + "|" + entry).replace("\n", "\\n"))
        invocation.return_value(GLib.Variant("(u)", (1,)))
        return
    # RegisterStatusNotifierItem: a path alone names an object of the caller's own connection.
    service, = args.unpack()
    name, at = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
    items.append(name + at)
    say(f"item {name} {at}")
    invocation.return_value(None)


def get(connection, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True)}[name]


bus = Gio.bus_get_sync(Gio.BusType.SESSION)
for path, xml in (("/StatusNotifierWatcher", WATCHER),
                  ("/org/freedesktop/Notifications", NOTIFICATIONS)):
    bus.register_object(path, Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0], call, get, None)
for name in ("org.kde.StatusNotifierWatcher", f"org.kde.StatusNotifierHost-{os.getpid()}",
             "org.freedesktop.Notifications"):
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "RequestName", GLib.Variant("(su)", (name, 4)), None,
                          Gio.DBusCallFlags.NONE, -1, None)
    if reply.unpack()[0] != 1:
        sys.exit(f"desktop_bus: {name} is taken")
say("ready")
GLib.MainLoop().run()
