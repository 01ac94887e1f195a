#!/usr/bin/env bash
# The globe window is round and stands at the upper right at start: the
# X server knows its shape, and a screenshot shows the desktop in the
# window's corners and the turning globe inside.
set -u
source "$(dirname "$0")/desktop_common.sh"
desktop_setup tray

geometry "$GLOBE"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "824,20,180,183" ]] || fail "window at $X,$Y size ${WIDTH}x$HEIGHT, expected 824,20 180x183"
xwininfo -id "$GLOBE" -shape | grep -q "Window shape extents" || fail "the window has no bounding shape"

skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_' 60 || fail "no globe frame was shown"
shot="$SKYROLL_ENV_TMP/shot.png"
import -window root "$shot"
root=$(pixel "$shot" 500 500)
for corner in "826 22" "1001 22" "826 200" "1001 200"; do
    # shellcheck disable=SC2086
    [[ "$(pixel "$shot" $corner)" == "$root" ]] || fail "corner $corner is not the desktop"
done
[[ "$(pixel "$shot" 914 111)" != "$root" ]] || fail "the middle of the window shows the desktop"

kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "exit status $status"
echo "PASS"
