#!/usr/bin/env bash
# With no tray host, a right-button press on the globe opens the menu, and
# the program can still be ended from it.
set -u
source "$(dirname "$0")/desktop_common.sh"
# At the slowest speed no city of the weather tour comes for a minute and
# more, so EXIT is not disabled by a display when the menu opens.
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=4\r\n'
desktop_setup

skyroll_wait_log 'activated fSky_Roll' 10 || fail "the globe window was not activated"
skyroll_wait_globe_turns || fail "the globe does not turn"
xdotool mousemove 914 111 mousedown 3
skyroll_wait_until 5 menu_open || fail "no menu on a right press on the globe"
xdotool mouseup 3
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
echo "PASS"
