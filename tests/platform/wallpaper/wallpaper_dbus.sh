#!/usr/bin/env bash
# Runs the stand-in wallpaper tests on a private session bus with the
# stand-in desktop services. Usage: wallpaper_dbus.sh TESTS STAND_IN.PY
# Skipped (77) where dbus-run-session or python3-dbus is missing.
set -u
tests=${1:?usage} stand_in=${2:?usage}
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus or python3-gi is missing"; exit 77; }

# shellcheck disable=SC2016
exec dbus-run-session -- bash -c '
    tmp=$(mktemp -d) && mkfifo "$tmp/ready"
    /usr/bin/python3 "$2" >"$tmp/ready" &
    pid=$!
    read -r -t 10 line <"$tmp/ready"
    [[ "$line" == ready ]] || { echo "FAIL: the stand-in services did not start"; kill $pid; exit 1; }
    env -u XDG_CURRENT_DESKTOP SKYROLL_STAND_IN=1 "$1" --gtest_filter="StandIn*"
    status=$?
    kill $pid
    rm -rf "$tmp"
    exit $status' bash "$tests" "$stand_in"
