#!/usr/bin/env bash
# SIGTERM ends the program cleanly (status 0, tray icon removed), also while
# its pop-up menu runs a nested event loop.
set -u
source "$(dirname "$0")/desktop_common.sh"
desktop_setup tray

skyroll_wait_until 15 tray_icon_center || fail "the tray icon did not appear"
skyroll_wait_log 'shown fSky_Roll.Picture1' 60 || fail "the globe does not turn"
# shellcheck disable=SC2046
set -- $(tray_icon_center)
xdotool mousemove "$1" "$2" mousedown 3
skyroll_wait_until 5 menu_open || fail "the menu did not open"
xdotool mouseup 3

kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "SIGTERM inside the menu gave status $status"
grep -q 'tray: removed' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the tray icon was not removed"
skyroll_wait_until 5 bash -c "! xdotool search --onlyvisible --classname trayer >/dev/null || \
    [[ -z \"\$(xwininfo -tree -root | grep -i 'skyroll' | grep -v Selection)\" ]]" ||
    fail "the icon is still embedded"
echo "PASS"
