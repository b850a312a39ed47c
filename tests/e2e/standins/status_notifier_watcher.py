#!/usr/bin/python3
"""A StatusNotifier watcher and host, as Plasma, GNOME's indicator extension, Xfce and LXQt run.

It owns org.kde.StatusNotifierWatcher on the session bus, says a host is registered, records
the items that register, and activates them the only way those hosts do: Activate(x, y), never
a double-click.  For the tests it also answers on org.sora.TestWatcher at /TestWatcher:
Items() -> as (the registered items whose service is still on the bus, "service path") and
ActivateItems() -> i (how many items it activated).  It prints "ready" once it owns its name.
"""

import sys

from gi.repository import Gio, GLib

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.sora.TestWatcher">
    <method name="Items"><arg type="as" direction="out"/></method>
    <method name="ActivateItems"><arg type="i" direction="out"/></method>
  </interface>
</node>
"""

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
items = []  # [(service, path)]


def has_owner(name):
    if not name.startswith(":") and "." not in name:
        return False
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)), GLib.VariantType("(b)"),
                          Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def live_items():
    return [(service, path) for service, path in items if has_owner(service)]


def method_call(connection, sender, path, interface, method, params, invocation):
    if method == "RegisterStatusNotifierItem":
        (service,) = params.unpack()
        # A path alone means the item is the sender's object at that path.
        item = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        if item not in items:
            items.append(item)
        connection.emit_signal(None, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                               "StatusNotifierItemRegistered", GLib.Variant("(s)", (item[0] + item[1],)))
        invocation.return_value(None)
    elif method == "RegisterStatusNotifierHost":
        invocation.return_value(None)
    elif method == "Items":
        invocation.return_value(GLib.Variant("(as)", ([f"{s} {p}" for s, p in live_items()],)))
    elif method == "ActivateItems":
        done = 0
        for service, item_path in live_items():
            try:
                connection.call_sync(service, item_path, "org.kde.StatusNotifierItem", "Activate",
                                     GLib.Variant("(ii)", (10, 10)), None, Gio.DBusCallFlags.NONE, 5000, None)
                done += 1
            except GLib.Error as e:
                print("activate failed:", e.message, file=sys.stderr, flush=True)
        invocation.return_value(GLib.Variant("(i)", (done,)))
    else:
        invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)


def get_property(connection, sender, path, interface, name):
    if name == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", [s + p for s, p in live_items()])
    if name == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    if name == "ProtocolVersion":
        return GLib.Variant("i", 0)
    return None


node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
for iface, path in ((node.interfaces[0], "/StatusNotifierWatcher"), (node.interfaces[1], "/TestWatcher")):
    bus.register_object(path, iface, method_call, get_property, None)
loop = GLib.MainLoop()
Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher", Gio.BusNameOwnerFlags.NONE,
                               lambda *a: print("ready", flush=True), lambda *a: loop.quit())
loop.run()
