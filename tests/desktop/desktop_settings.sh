#!/usr/bin/env bash
# "初期設定" hides the globe and the moon and shows the round settings dialog
# in the middle of the screen, its selected options plainly marked; choosing
# "左下" and "超低速" and pressing OK writes EARTH.INI and brings the globe
# back at the lower left with the moon beside it. With EARTH.INI read-only, OK gives one message and leaves the
# file as it was.
set -u
source "$(dirname "$0")/desktop_common.sh"
# At the slowest speed no city of the weather tour comes for a minute and
# more, so no display disables EXIT while the test runs.
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=4\r\n'
desktop_setup
ini="$SKYROLL_ENV_TMP/app/SKR20/PALAM/EARTH.INI"

skyroll_wait_log 'activated fSky_Roll' 10 || fail "the globe window was not activated"
skyroll_wait_globe_turns || fail "the globe does not turn"
open_menu
xdotool key Down Right Down Down Down Return  # OPTION > 月表示
skyroll_window 'Skyroll Moon' >/dev/null || fail "the moon window did not appear"

open_settings() {
    open_menu
    xdotool key Down Right Return  # OPTION > 初期設定
    DIALOG=$(skyroll_window 'Skyroll 初期設定') || fail "the settings dialog did not appear"
}
open_settings
window_titled Skyroll >/dev/null && fail "the globe is still visible"
window_titled 'Skyroll Moon' >/dev/null && fail "the moon is still visible"
# Centred: ((15360 - 6255) / 2, (11520 - 3165) / 2) twips, 417 x 211 pixels.
geometry "$DIALOG"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "304,279,417,211" ]] || fail "dialog at $X,$Y size ${WIDTH}x$HEIGHT, expected 304,279 417x211"
xwininfo -id "$DIALOG" -shape | grep -q "Window shape extents" || fail "the dialog has no bounding shape"
shot="$SKYROLL_ENV_TMP/settings.png"
import -window root "$shot"
[[ -n "${SKYROLL_SHOTS:-}" ]] && cp "$shot" "$SKYROLL_SHOTS/"
root=$(pixel "$shot" 100 700)
[[ "$(pixel "$shot" 306 281)" == "$root" ]] || fail "the dialog's corner is not the desktop"
[[ "$(pixel "$shot" 512 384)" != "$root" ]] || fail "the middle of the dialog shows the desktop"
# The choice shows: the indicator of a selected option (右上, no place
# stored; 超低速) differs clearly from an unselected one's at its centre,
# 7 pixels right of the option's left and 9 below its top.
brightness() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.intensity)]" info:; }
for pair in "80,44 132,44" "278,118 80,118"; do  # selected, unselected (dialog pixels)
    read -r sx sy ux uy <<<"${pair//,/ }"
    on=$(brightness $((304 + sx + 7)) $((279 + sy + 9)))
    off=$(brightness $((304 + ux + 7)) $((279 + uy + 9)))
    ((off - on >= 100)) || fail "a selected option's centre ($on) looks like an unselected one's ($off)"
done

# 左下: Frame1 (1050, 450) + (3180, 210) twips; 超低速: Frame2 (1050, 1560) +
# (3120, 240); OK: (2550, 2460); each clicked a little inside.
xdotool mousemove $((304 + 282 + 8)) $((279 + 44 + 9)) click 1
xdotool mousemove $((304 + 278 + 8)) $((279 + 120 + 7)) click 1
xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
skyroll_wait_log 'unload fSetting' 5 || fail "OK did not close the dialog"
GLOBE=$(skyroll_window Skyroll) || fail "the globe did not come back"
geometry "$GLOBE"
# Lower left: (300, 11520 - 3250) twips.
[[ "$X,$Y" == "20,551" ]] || fail "the globe is at $X,$Y, expected 20,551"
MOON=$(skyroll_window 'Skyroll Moon') || fail "the moon did not come back"
geometry "$MOON"
[[ "$X,$Y" == "-87,661" ]] || fail "the moon is at $X,$Y, expected -87,661"
grep -q $'^DISPPOS=4\r$' "$ini" && grep -q $'^ROLLSPEED=4\r$' "$ini" || fail "EARTH.INI holds $(cat -A "$ini")"
grep -q $'^WORLD=127.0.0.1:1\r$' "$ini" || fail "EARTH.INI lost its other lines"

# With the moon off, the region stored last is the dialog's: the exit's
# DeleteObject on it, once the dialog is gone, does no harm.
open_menu
xdotool key Down Right Down Down Down Return
skyroll_wait_until 5 bash -c "(( \$(grep -c 'unload fMoon' '$SKYROLL_ENV_TMP/skyroll.log') == 2 ))" ||
    fail "the moon did not go"

# Read-only: one message naming the file, the file untouched.
chmod 444 "$ini"
cp -p "$ini" "$SKYROLL_ENV_TMP/before.ini"
open_settings
xdotool mousemove $((304 + 10 + 8)) $((279 + 44 + 9)) click 1  # 右上
xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
skyroll_wait_log 'message: .*EARTH.INI' 5 || fail "no message about the file"
BOX=$(skyroll_window Skyroll) || fail "the message box did not appear"
[[ "$BOX" != "$GLOBE" ]] || fail "the globe came back before the message was dismissed"
xdotool key Return
skyroll_wait_log 'message dismissed' 5 || fail "the message could not be dismissed"
skyroll_wait_log 'unload fSetting' 5 || fail "the dialog did not close"
cmp -s "$ini" "$SKYROLL_ENV_TMP/before.ini" || fail "the read-only file changed"
skyroll_wait_until 5 bash -c "[[ \$(xdotool getwindowgeometry $GLOBE | grep -c 'Position: 20,551') == 1 ]]" ||
    fail "the globe is not at the stored place after the message"

open_menu
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
dialog_region=$(grep 'created fSetting' -A1 "$SKYROLL_ENV_TMP/skyroll.log" | tail -n1 | awk '{print $4}')
grep -q "region: deleted $dialog_region (not a free region)" "$SKYROLL_ENV_TMP/skyroll.log" ||
    fail "the exit did not pass the closed dialog's region $dialog_region to DeleteObject"
echo "PASS"
