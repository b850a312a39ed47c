#!/usr/bin/python3
"""A global-menu registrar, as Plasma's Global Menu and Unity-style panels provide.

It owns com.canonical.AppMenu.Registrar on the session bus and records the menus windows hand
to it.  For the tests it also answers on org.sora.TestRegistrar at /TestRegistrar: Windows() ->
as ("window service path" for every registered menu).  It prints "ready" once it owns its name.
"""

from gi.repository import Gio, GLib

REGISTRAR_XML = """
<node>
  <interface name="com.canonical.AppMenu.Registrar">
    <method name="RegisterWindow">
      <arg name="windowId" type="u" direction="in"/><arg name="menuObjectPath" type="o" direction="in"/>
    </method>
    <method name="UnregisterWindow"><arg name="windowId" type="u" direction="in"/></method>
    <method name="GetMenuForWindow">
      <arg name="windowId" type="u" direction="in"/>
      <arg name="service" type="s" direction="out"/><arg name="menuObjectPath" type="o" direction="out"/>
    </method>
  </interface>
  <interface name="org.sora.TestRegistrar">
    <method name="Windows"><arg type="as" direction="out"/></method>
  </interface>
</node>
"""

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
menus = {}  # window id -> (service, path)


def method_call(connection, sender, path, interface, method, params, invocation):
    if method == "RegisterWindow":
        window, menu = params.unpack()
        menus[window] = (sender, menu)
        invocation.return_value(None)
    elif method == "UnregisterWindow":
        menus.pop(params.unpack()[0], None)
        invocation.return_value(None)
    elif method == "GetMenuForWindow":
        service, menu = menus.get(params.unpack()[0], ("", "/"))
        invocation.return_value(GLib.Variant("(so)", (service, menu)))
    elif method == "Windows":
        invocation.return_value(GLib.Variant("(as)", ([f"{w} {s} {p}" for w, (s, p) in menus.items()],)))
    else:
        invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)


node = Gio.DBusNodeInfo.new_for_xml(REGISTRAR_XML)
bus.register_object("/com/canonical/AppMenu/Registrar", node.interfaces[0], method_call, None, None)
bus.register_object("/TestRegistrar", node.interfaces[1], method_call, None, None)
loop = GLib.MainLoop()
Gio.bus_own_name_on_connection(bus, "com.canonical.AppMenu.Registrar", Gio.BusNameOwnerFlags.NONE,
                               lambda *a: print("ready", flush=True), lambda *a: loop.quit())
loop.run()
