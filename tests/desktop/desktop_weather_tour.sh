#!/usr/bin/env bash
# The weather tour on the desktop: while São Paulo is on show (frame 8 of the
# third turn), the rain picture sits at its place with its transparent colour
# letting the globe through, the caption is white text centred in its label
# on a transparent background, and "EXIT" cannot be chosen from the tray
# menu. A menu opened during the display holds its end back until it closes.
set -u
source "$(dirname "$0")/desktop_common.sh"
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=2\r\n'  # NORMAL: 100 ms a frame
desktop_setup tray
skyroll_require iconv
log="$SKYROLL_ENV_TMP/skyroll.log"
tmp="$SKYROLL_ENV_TMP"
data="$(dirname "$SKYROLL_BIN")/SKR20"

skyroll_wait_until 15 tray_icon_center || fail "the tray icon did not appear"
# shellcheck disable=SC2046
set -- $(tray_icon_center)
icon_x=$1 icon_y=$2
# The refresh has written its WEATHER.INI before the first frame; São Paulo
# comes 9.6 s later and reads this one.
skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_1.bmp' 60 || fail "the globe does not turn"
printf '[WEATHER]\r\nサンパウロ=RAIN.gif\r\n' | iconv -f UTF-8 -t CP932 >"$tmp/app/SKR20/PALAM/WEATHER.INI"

skyroll_wait_log 'shown fSky_Roll.Image1 RAIN.gif' 30 || fail "São Paulo's rain picture was not shown"
xdotool mousemove "$icon_x" "$icon_y" mousedown 3
skyroll_wait_until 5 menu_open || fail "the menu did not open"
xdotool mouseup 3
# The menu must have opened inside the display: no frame came in between.
awk '/shown fSky_Roll.Image1 RAIN.gif/ {on = 1} on && /shown fSky_Roll.Picture1/ {exit 1}
     on && /menu: popup/ {found = 1; exit} END {exit !found}' "$log" ||
    fail "the display ended before the menu opened"

import -window root "$tmp/shot.png" || fail "no screenshot"
geometry "$GLOBE"
frame8="$data/earth/EarthMap_8.bmp"

# dump IMAGE W H X Y: the pixels of a rectangle as "x y r g b" lines.
dump() {
    convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -depth 8 txt:- |
        sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3 \4 \5/p'
}

# The picture: 30 x 30 pixels at 1110, 1200 twips (74, 80 px). Its lowest two
# rows share pixels with the caption and are left out. Composed over frame 8
# with its transparent colour, it must be exactly what the screen shows.
convert "$frame8" -crop 30x28+74+80 +repage \( "$data/WEATHER/RAIN.gif" -crop 30x28+0+0 +repage \) \
    -composite "$tmp/expected.png"
dump "$tmp/shot.png" 30 28 $((X + 74)) $((Y + 80)) >"$tmp/shot-picture.txt"
dump "$tmp/expected.png" 30 28 0 0 >"$tmp/expected-picture.txt"
dump "$frame8" 30 28 74 80 >"$tmp/frame-picture.txt"
[[ $(wc -l <"$tmp/shot-picture.txt") -eq 840 ]] || fail "the picture's area is not on the screen"
cmp -s "$tmp/shot-picture.txt" "$tmp/expected-picture.txt" ||
    fail "the rain picture is not at its place over frame 8 ($(diff "$tmp/shot-picture.txt" \
        "$tmp/expected-picture.txt" | grep -c '^<') pixels differ)"
covered=$(paste -d' ' "$tmp/expected-picture.txt" "$tmp/frame-picture.txt" |
    awk '$3 != $8 || $4 != $9 || $5 != $10' | wc -l)
((covered > 100 && covered < 840)) || fail "the rain picture covers $covered of 840 pixels"

# The caption: 1335 x 195 twips (89 x 13 px) at 720, 1620 (48, 108). Every
# pixel that differs from frame 8 is lighter (white text, blended at its
# edges, on no background of its own), some are pure white, and the text
# stands in the middle of the label.
dump "$tmp/shot.png" 89 13 $((X + 48)) $((Y + 108)) >"$tmp/shot-caption.txt"
dump "$frame8" 89 13 48 108 >"$tmp/frame-caption.txt"
paste -d' ' "$tmp/shot-caption.txt" "$tmp/frame-caption.txt" | awk '
    $1 >= 26 && $1 <= 55 && $2 <= 1 { next }  # under the picture
    $3 != $8 || $4 != $9 || $5 != $10 {
        text++
        if ($3 < $8 || $4 < $9 || $5 < $10) darker++
        if ($3 == 255 && $4 == 255 && $5 == 255) white++
        if (min == "" || $1 < min) min = $1
        if ($1 > max) max = $1
    }
    END {
        printf "caption: %d text pixels, %d pure white, %d darker, columns %d..%d\n", text, white, darker, min, max
        left = min; right = 88 - max
        exit !(text > 60 && white > 15 && darker == 0 && left - right <= 2 && right - left <= 2)
    }' || fail "the caption is not white text centred on a transparent background"

# EXIT is the last item: while the city shows it cannot be chosen.
menu_closed() { ! menu_open; }
xdotool key Up Return
sleep 1
xdotool key Escape Escape Escape
skyroll_wait_until 5 menu_closed || fail "the menu did not close"
kill -0 "$SKYROLL_PID" 2>/dev/null || fail "EXIT was chosen during the display"
grep -q 'chosen fSky_Roll mEnd' "$log" && fail "EXIT was chosen during the display"

# Once the menu is closed the display ends and the globe turns on from
# frame 8; then the same keys end the program.
turned_on() {
    awk '/menu: popup/ {on = 1} on && /shown fSky_Roll.Picture1 EarthMap_9.bmp/ {found = 1; exit}
         END {exit !found}' "$log"
}
skyroll_wait_until 10 turned_on || fail "the globe did not turn on after the display"
xdotool mousemove "$icon_x" "$icon_y" mousedown 3
skyroll_wait_until 5 menu_open || fail "the menu did not open after the display"
xdotool mouseup 3
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT after the display gave status $status"
echo "PASS"
