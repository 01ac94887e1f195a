#!/usr/bin/env bash
# "月表示" opens the round moon window just left of the globe; its pictures
# change, it can be dragged, and "EXIT" ends the program with both windows
# gone.
set -u
source "$(dirname "$0")/desktop_common.sh"
# At the slowest speed no city of the weather tour comes for a minute and
# more, so no display disables EXIT while the test runs.
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=4\r\n'
desktop_setup

skyroll_wait_log 'activated fSky_Roll' 10 || fail "the globe window was not activated"
skyroll_wait_globe_turns || fail "the globe does not turn"
# OPTION > 月表示, the fourth item.
open_menu
xdotool key Down Right Down Down Down Return
skyroll_wait_log 'chosen fSky_Roll mMOON' 5 || fail "月表示 was not chosen"
MOON=$(skyroll_window 'Skyroll Moon') || fail "the moon window did not appear"

# Beside the globe at (824, 20): (12360 - 1600, 300 + 1650) twips.
geometry "$MOON"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "717,130,107,110" ]] || fail "moon at $X,$Y size ${WIDTH}x$HEIGHT, expected 717,130 107x110"
xwininfo -id "$MOON" -shape | grep -q "Window shape extents" || fail "the moon window has no bounding shape"
skyroll_wait_until 10 bash -c "(( \$(grep -c 'shown fMoon.Picture1 MoonMap_' '$SKYROLL_ENV_TMP/skyroll.log') >= 3 ))" ||
    fail "the moon pictures do not change"
shot="$SKYROLL_ENV_TMP/moon.png"
import -window root "$shot"
[[ -n "${SKYROLL_SHOTS:-}" ]] && cp "$shot" "$SKYROLL_SHOTS/"
root=$(pixel "$shot" 500 500)
[[ "$(pixel "$shot" 719 132)" == "$root" ]] || fail "the moon window's corner is not the desktop"
[[ "$(pixel "$shot" 770 185)" != "$root" ]] || fail "the middle of the moon window shows the desktop"

# Dragging puts the moon's centre under the pointer; the globe stays.
xdotool mousemove 770 185 mousedown 1
for step in 1 2 3; do xdotool mousemove $((770 - 50 * step)) $((185 + 40 * step)); done
xdotool mouseup 1
geometry "$MOON"
# Centre (620, 305): Left 620 - 53.3, Top 305 - 55.
((X >= 566 && X <= 568 && Y >= 249 && Y <= 251)) || fail "after the drag the moon is at $X,$Y, expected 567,250"
geometry "$GLOBE"
[[ "$X,$Y" == "824,20" ]] || fail "the globe moved to $X,$Y"

open_menu
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
grep -q 'unload fMoon' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the moon window was not unloaded"
[[ -z "$(xdotool search --pid "$SKYROLL_PID" 2>/dev/null)" ]] || fail "a window is left"
echo "PASS"
