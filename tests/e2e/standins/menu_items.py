#!/usr/bin/python3
"""Prints, one JSON list on a line, the menu items of the application with process id argv[1]
as the accessibility tree shows them: [{"name": ..., "showing": bool}].  Run on the session bus
of the desktop to read (DBUS_SESSION_BUS_ADDRESS); prints [] while the application is not there."""

import json
import sys

import pyatspi

pid = int(sys.argv[1])
items = []
desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is None or app.get_process_id() != pid:
        continue
    for node in pyatspi.utils.findAllDescendants(
            app, lambda n: n is not None and n.getRole() == pyatspi.ROLE_MENU_ITEM):
        items.append({"name": node.name, "showing": node.getState().contains(pyatspi.STATE_SHOWING)})
print(json.dumps(items, ensure_ascii=False))
