#!/usr/bin/python3
"""Stand-ins for the desktop services the wallpaper reaches on the session
bus: Plasma's shell (org.kde.plasmashell, evaluateScript) and xfconf
(org.xfce.Xfconf). They answer the calls the program makes, keep the state a
real desktop would, and record every call; org.skyroll.StandIn.State returns
both as JSON. Prints "ready" once the names are owned."""

import json
import re
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PLASMA_DESKTOPS = [
    {"id": 1, "screen": 0, "plugin": "org.kde.image", "image": "file:///home/user/Pictures/morning%20sun.jpg"},
    {"id": 7, "screen": 1, "plugin": "org.kde.slideshow", "image": ""},
    {"id": 4, "screen": -1, "plugin": "org.kde.color", "image": "file:///home/user/%E5%86%AC.png"},
]
XFCE_PROPERTIES = {
    "/backdrop/screen0/monitorHDMI-1/workspace0/last-image": "/home/user/壁紙 一.png",
    "/backdrop/screen0/monitorHDMI-1/workspace1/last-image": "/home/user/壁紙 二.png",
    "/backdrop/screen0/monitorVirtual-2/workspace0/last-image": "/usr/share/backgrounds/xfce/xfce-blue.jpg",
    "/backdrop/screen0/monitorHDMI-1/workspace0/image-style": 5,
}
CALLS = []


class PlasmaShell(dbus.service.Object):
    @dbus.service.method("org.kde.PlasmaShell", in_signature="s", out_signature="s")
    def evaluateScript(self, script):
        if "print(JSON.stringify(out))" in script:
            CALLS.append("plasma read")
            return json.dumps(PLASMA_DESKTOPS)
        saved = re.search(r"var saved = (.*);\n", script)
        if saved:
            CALLS.append("plasma restore")
            for entry in json.loads(saved.group(1)):
                for desktop in PLASMA_DESKTOPS:
                    if desktop["id"] == entry["id"]:
                        desktop["plugin"], desktop["image"] = entry["plugin"], entry["image"]
            return ""
        image = re.search(r'd\.writeConfig\("Image", (".*")\);\n', script)
        if image and 'd.wallpaperPlugin = "org.kde.image"' in script:
            CALLS.append("plasma set")
            for desktop in PLASMA_DESKTOPS:
                desktop["plugin"], desktop["image"] = "org.kde.image", json.loads(image.group(1))
            return ""
        raise dbus.exceptions.DBusException("script error", name="org.kde.PlasmaShell.Error")


class Xfconf(dbus.service.Object):
    @dbus.service.method("org.xfce.Xfconf", in_signature="ss", out_signature="a{sv}")
    def GetAllProperties(self, channel, base):
        CALLS.append("xfconf get-all %s %s" % (channel, base))
        if channel != "xfce4-desktop":
            return dbus.Dictionary({}, signature="sv")
        return dbus.Dictionary({k: v for k, v in XFCE_PROPERTIES.items() if k.startswith(base + "/")},
                               signature="sv")

    @dbus.service.method("org.xfce.Xfconf", in_signature="ssv", out_signature="")
    def SetProperty(self, channel, prop, value):
        CALLS.append("xfconf set %s %s" % (channel, prop))
        if channel == "xfce4-desktop":
            XFCE_PROPERTIES[str(prop)] = str(value) if isinstance(value, dbus.String) else value


class StandIn(dbus.service.Object):
    @dbus.service.method("org.skyroll.StandIn", in_signature="", out_signature="s")
    def State(self):
        return json.dumps({"plasma": PLASMA_DESKTOPS, "xfconf": XFCE_PROPERTIES, "calls": CALLS},
                          ensure_ascii=False)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    names = [dbus.service.BusName(name, bus) for name in ("org.kde.plasmashell", "org.xfce.Xfconf")]
    objects = [PlasmaShell(bus, "/PlasmaShell"), Xfconf(bus, "/org/xfce/Xfconf"), StandIn(bus, "/StandIn")]
    print("ready", flush=True)
    GLib.MainLoop().run()
    del names, objects


if __name__ == "__main__":
    sys.exit(main())
