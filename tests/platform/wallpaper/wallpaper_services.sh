#!/usr/bin/env bash
# Runs wallpaper tests against a real desktop service on a private session
# bus, in a private home: "dconf" (GSettings on dconf-service, activated by
# the bus) or "xfconfd" (Xfce's settings daemon, activated by the bus).
# Usage: wallpaper_services.sh dconf|xfconfd TESTS
# Skipped (77) where dbus-run-session or the service is missing.
set -u
service=${1:?usage} tests=${2:?usage}
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
case $service in
dconf)
    [[ -f /usr/share/dbus-1/services/ca.desrt.dconf.service ]] || { echo "SKIP: dconf-service is not installed"; exit 77; }
    filter='GSettings*'
    ;;
xfconfd)
    [[ -f /usr/share/dbus-1/services/org.xfce.Xfconf.service ]] || { echo "SKIP: xfconf is not installed"; exit 77; }
    filter='Xfconf*'
    ;;
*) echo "usage: wallpaper_services.sh dconf|xfconfd TESTS"; exit 2 ;;
esac
home=$(mktemp -d "${TMPDIR:-/tmp}/skyroll-services.XXXXXX")
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config" "$home/runtime" && chmod 700 "$home/runtime"
# The service the bus starts inherits this environment: it keeps its store
# in the private home, where the tests read it.
HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime GSETTINGS_BACKEND=dconf \
    SKYROLL_REAL_SERVICE=$service \
    dbus-run-session -- env -u XDG_CURRENT_DESKTOP "$tests" --gtest_filter="$filter"
