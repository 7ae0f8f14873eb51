#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks that the dialog is reachable over the Linux accessibility bus: starts
# a virtual X display and a private D-Bus session with the AT-SPI bus, runs
# vendrill with Qt's AT-SPI bridge switched on, and prints the accessible
# tree that a screen reader would see (role, name) from the AT-SPI registry.
# Needs xvfb, at-spi2-core and python3-dbus.
#   scripts/check_accessibility.sh [path/to/vendrill]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
app=${1:-${BUILD_DIR:-$root/build}/app/vendrill}
display=:${VENDRILL_A11Y_DISPLAY:-91}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
sleep 1

export DISPLAY=$display
dbus-run-session -- bash -s "$app" <<'SESSION'
set -euo pipefail
app=$1
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher_pid=$!
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$app" >/dev/null 2>&1 &
app_pid=$!
sleep 3
status=0
/usr/bin/python3 - <<'PY' || status=$?
import sys
import dbus

session = dbus.SessionBus()
address = dbus.Interface(session.get_object("org.a11y.Bus", "/org/a11y/bus"),
                         "org.a11y.Bus").GetAddress()
bus = dbus.bus.BusConnection(address)
ACCESSIBLE = "org.a11y.atspi.Accessible"
PROPS = "org.freedesktop.DBus.Properties"

def node(name, path):
    obj = bus.get_object(name, path)
    accessible = dbus.Interface(obj, ACCESSIBLE)
    label = dbus.Interface(obj, PROPS).Get(ACCESSIBLE, "Name")
    return accessible, str(label)

found = set()
def walk(name, path, depth):
    accessible, label = node(name, path)
    role = str(accessible.GetRoleName())
    print("  " * depth + f"{role}: {label!r}")
    found.add((role, label))
    for child_name, child_path in accessible.GetChildren():
        walk(str(child_name), str(child_path), depth + 1)

registry = dbus.Interface(bus.get_object("org.a11y.atspi.Registry",
                                         "/org/a11y/atspi/accessible/root"), ACCESSIBLE)
apps = registry.GetChildren()
vendrill = [a for a in apps if node(str(a[0]), str(a[1]))[1] == "Vendrill"]
if not vendrill:
    print("Vendrill is not on the accessibility bus")
    sys.exit(1)
walk(str(vendrill[0][0]), str(vendrill[0][1]), 0)

expected = [("text", "Position:"), ("text", "Lower:"), ("text", "Upper:"),
            ("text", "Lower bound = "), ("text", "Upper bound ="), ("text", "New moment"),
            ("radio button", "(-inf, inf)"), ("radio button", "[lower, inf)"),
            ("radio button", "[lower, upper]"), ("push button", "Calculate")]
missing = [e for e in expected if e not in found]
if not any(label == "Moments" and role in ("tree table", "table", "tree", "list")
           for role, label in found):
    missing.append(("list", "Moments"))
if missing:
    print("missing:", missing)
    sys.exit(1)
print("All named controls are reachable over AT-SPI.")
PY
kill "$app_pid" "$launcher_pid" 2>/dev/null || true
exit $status
SESSION
