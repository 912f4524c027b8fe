"""A desktop's services on a private session bus, as a test needs them: a
StatusNotifierWatcher with a host registered (the D-Bus tray of KDE Plasma and
GNOME's AppIndicator extension) and a notification server. It prints a line for
each tray item registered ("item SERVICE PATH") and each notification ("notify
SUMMARY|BODY", new lines as \\n), and "ready" once it owns its names."""
import os
import sys

from gi.repository import Gio, GLib

WATCHER = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>"""
NOTIFICATIONS = """<node><interface name="org.freedesktop.Notifications">
<method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/>
<arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="s" direction="in"/>
<arg type="as" direction="in"/><arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
<arg type="u" direction="out"/></method>
<method name="GetCapabilities"><arg type="as" direction="out"/></method>
<method name="GetServerInformation"><arg type="s" direction="out"/><arg type="s" direction="out"/>
<arg type="s" direction="out"/><arg type="s" direction="out"/></method>
</interface></node>"""
WATCHER_NAME = "org.kde.StatusNotifierWatcher"

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
items = []


def say(line):
    print(line, flush=True)


def call(connection, sender, path, interface, method, args, invocation):
    if method == "RegisterStatusNotifierItem":
        # A path alone names an object of the caller's own connection.
        service, = args.unpack()
        name, at = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        items.append(name + at)
        say(f"item {name} {at}")
        connection.emit_signal(None, "/StatusNotifierWatcher", WATCHER_NAME,
                               "StatusNotifierItemRegistered", GLib.Variant("(s)", (name + at,)))
        invocation.return_value(None)
    elif method == "Notify":
        summary, body = args.unpack()[3:5]
        say("notify " + (summary + "|" + body).replace("\n", "\\n"))
        invocation.return_value(GLib.Variant("(u)", (1,)))
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (["body"],)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("fake", "vidtrawl", "1", "1.2")))
    else:
        invocation.return_value(None)


def get(connection, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
            "ProtocolVersion": GLib.Variant("i", 0)}[name]


for path, xml in (("/StatusNotifierWatcher", WATCHER),
                  ("/org/freedesktop/Notifications", NOTIFICATIONS)):
    interface = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
    bus.register_object(path, interface, call, get, None)
names = [WATCHER_NAME, "org.kde.StatusNotifierHost-%d" % os.getpid(),
         "org.freedesktop.Notifications"]
for name in names:
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "RequestName", GLib.Variant("(su)", (name, 4)), None,
                          Gio.DBusCallFlags.NONE, -1, None)
    if reply.unpack()[0] != 1:
        sys.exit(f"desktop_bus: {name} is taken")
say("ready")
GLib.MainLoop().run()
