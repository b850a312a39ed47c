#!/usr/bin/python3
"""The desktop portal's inhibit, as xdg-desktop-portal offers it, for the tests.

It owns org.freedesktop.portal.Desktop on the session bus and answers
org.freedesktop.portal.Inhibit.Inhibit(window, flags, options) with a Request object whose
org.freedesktop.portal.Request.Close ends the inhibition.  For the tests it also answers on
org.sora.TestPortal at /TestPortal: Log() -> as, one line per event:
"inhibit <flags> <request path> <reason>" and "close <request path>".
"""

from gi.repository import Gio, GLib

XML = """
<node>
  <interface name="org.freedesktop.portal.Inhibit">
    <method name="Inhibit">
      <arg type="s" name="window" direction="in"/>
      <arg type="u" name="flags" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
  </interface>
  <interface name="org.sora.TestPortal">
    <method name="Log"><arg type="as" direction="out"/></method>
  </interface>
</node>
"""

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
node = Gio.DBusNodeInfo.new_for_xml(XML)
log = []
requests = {}  # path -> registration id
serial = [0]


def request_call(connection, sender, path, interface, method, params, invocation):
    log.append(f"close {path}")
    connection.unregister_object(requests.pop(path))
    invocation.return_value(None)


def method_call(connection, sender, path, interface, method, params, invocation):
    if method == "Inhibit":
        window, flags, options = params.unpack()
        serial[0] += 1
        handle = "/org/freedesktop/portal/desktop/request/%s/sora%d" % (
            sender[1:].replace(".", "_"), serial[0])
        requests[handle] = connection.register_object(handle, node.interfaces[1], request_call, None, None)
        log.append(f"inhibit {flags} {handle} {options.get('reason', '')}")
        invocation.return_value(GLib.Variant("(o)", (handle,)))
    elif method == "Log":
        invocation.return_value(GLib.Variant("(as)", (log,)))
    else:
        invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)


bus.register_object("/org/freedesktop/portal/desktop", node.interfaces[0], method_call, None, None)
bus.register_object("/TestPortal", node.interfaces[2], method_call, None, None)
loop = GLib.MainLoop()
Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop", Gio.BusNameOwnerFlags.NONE,
                               lambda *a: print("ready", flush=True), lambda *a: loop.quit())
loop.run()
