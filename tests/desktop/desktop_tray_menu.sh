#!/usr/bin/env bash
# The tray icon: a left click does nothing, a right press opens the menu
# before the button is released, "SPEED" > "MINIMUM" shows one frame per
# second, and "EXIT" ends the program with status 0 and removes the icon.
set -u
source "$(dirname "$0")/desktop_common.sh"
desktop_setup tray

skyroll_wait_until 15 tray_icon_center || fail "the tray icon did not appear"
# shellcheck disable=SC2046
set -- $(tray_icon_center)
icon_x=$1 icon_y=$2
skyroll_wait_globe_turns || fail "the globe does not turn"

xdotool mousemove "$icon_x" "$icon_y" click 1
skyroll_wait_log 'tray: callback 513' 5 || fail "the left click did not reach the program"
grep -q 'menu: popup' "$SKYROLL_ENV_TMP/skyroll.log" && fail "a left click opened the menu"

xdotool mousedown 3
skyroll_wait_until 5 menu_open || fail "no menu while the right button is held"
xdotool mouseup 3
menu_open || fail "the menu closed on release"

# OPTION, SPEED, EXIT; SPEED opens MAXIMUM .. MINIMUM.
xdotool key Down Down Right Down Down Down Down Return
skyroll_wait_log 'chosen fSky_Roll mMIN' 5 || fail "MINIMUM was not chosen"
chosen_at=$(grep -m1 'chosen fSky_Roll mMIN' "$SKYROLL_ENV_TMP/skyroll.log" | awk '{print $1}')
frames_after() {
    awk -v t="$chosen_at" '/shown fSky_Roll.Picture1/ && $1 > t {print $1}' "$SKYROLL_ENV_TMP/skyroll.log"
}
skyroll_wait_until 10 bash -c "[[ \$(awk -v t=$chosen_at '/shown fSky_Roll.Picture1/ && \$1 > t' \
    '$SKYROLL_ENV_TMP/skyroll.log' | wc -l) -ge 4 ]]" || fail "fewer than 4 frames in 10 s at MINIMUM"
# Successive frames at MINIMUM, by the program's own clock: one a second.
frames_after | head -n 4 | awk 'NR > 1 { d = $1 - p; if (d < 0.9 || d > 1.3) bad = 1 } { p = $1 }
    END { exit bad }' || fail "frames at MINIMUM are not one second apart: $(frames_after | head -n 4 | tr '\n' ' ')"

xdotool mousemove "$icon_x" "$icon_y" mousedown 3
skyroll_wait_until 5 menu_open || fail "the menu did not open again"
xdotool mouseup 3
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
grep -q 'tray: removed' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the tray icon was not removed"
[[ -z "$(xdotool search --pid "$SKYROLL_PID" 2>/dev/null)" ]] || fail "a window is left"
echo "PASS"
