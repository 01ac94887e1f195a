#!/usr/bin/env bash
# skyroll.exe under Wine on a private X server, unpacked from the Windows zip
# into a folder with a Japanese name, as a user would run it:
# - the globe window is round: its corners show the desktop; a second start
#   ends at once;
# - the tray icon sits in Wine's tray, and a right press on it opens the menu;
# - São Paulo's rain picture shows at its place on the turning globe; the
#   speed and the tour can be chosen from the menu;
# - the moon window and the settings dialog open round, and the dialog's OK
#   writes the settings file;
# - 宇宙化 makes the space picture the wallpaper, and EXIT sets back the
#   wallpaper read at start, removes the tray icon and ends with status 0;
# - a lock file that cannot be opened is named in a message box, status 1.
#
# usage: desktop_under_wine.sh SKYROLL_WINDOWS_ZIP [SCREENSHOT_FOLDER]
# SKYROLL_WINE_DIR: a folder set up by scripts/wine-env.sh whose prefix is
# already made (scripts/test-windows.sh passes its own); else one is made.
# SKYROLL_TEST_DISPLAY: the X server (1024 x 768) that prefix already uses;
# else one is started.
set -u
source "$(dirname "$0")/../../scripts/desktop-test-env.sh"
zip=$(realpath "${1:?usage: $0 SKYROLL_WINDOWS_ZIP [SCREENSHOT_FOLDER]}")
shots=${2:-}
skyroll_require Xvfb xdotool convert import display python3 iconv
source "$(dirname "$0")/wine_desktop_common.sh"
root_color='#3366cc'
convert -size 1024x768 "xc:$root_color" "$tmp/root.png"
timeout 10 display -window root "$tmp/root.png" || true
reg() { "${wine_run[@]}" wine reg "$@" >/dev/null 2>&1; }
# The registry's wallpaper value as the system prints it (code page 932).
wallpaper() {
    "${wine_run[@]}" wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null |
        iconv -f CP932 -t UTF-8 | tr -d '\r' | sed -n 's/^ *Wallpaper *REG_[A-Z_]* *//p'
}

# Without a window manager Wine's managed windows take seconds to hide; the
# captions' font is the proportional IPA one; the user has a wallpaper of
# their own, in a folder with a Japanese name.
reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
mkdir -p "$tmp/壁紙"
convert -size 64x64 xc:orange "BMP3:$tmp/壁紙/夕焼け.bmp"
user_wallpaper="Z:${tmp//\//\\}\\壁紙\\夕焼け.bmp"
reg add 'HKCU\Control Panel\Desktop' /v Wallpaper /d "$user_wallpaper" /f
[[ "$(wallpaper)" == "$user_wallpaper" ]] || fail "the user's wallpaper could not be set: '$(wallpaper)'"

app="$tmp/スカイロール"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$app" ||
    fail "the zip could not be unpacked"
mkdir -p "$app/SKR20/PALAM"
# NORMAL speed: 100 ms a frame; the page sites refuse at once.
printf '[SPEED]\r\nROLLSPEED=2\r\n[SITES]\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' >"$app/SKR20/PALAM/EARTH.INI"

"${wine_run[@]}" SKYROLL_LOG=1 wine "$app/skyroll.exe" >"$log" 2>&1 &
SKYROLL_PID=$!
SKYROLL_ENV_PIDS+=("$SKYROLL_PID")

skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_1.bmp' 60 || fail "the globe does not turn"
# The refresh has written its WEATHER.INI before the first frame; São Paulo
# comes in the third turn and reads this one.
printf '[WEATHER]\r\nサンパウロ=RAIN.gif\r\n' | iconv -f UTF-8 -t CP932 >"$app/SKR20/PALAM/WEATHER.INI"

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [[ -n "$(window_named "$1")" ]]; }
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
# round WINDOW TITLE: the window's corner shows the desktop, its middle not.
round() {
    local shot="$tmp/$2.png"
    import -window root "$shot" || fail "no screenshot"
    [[ -n "$shots" ]] && cp "$shot" "$shots/wine-$2.png"
    geometry "$1"
    local desktop
    desktop=$(convert -size 1x1 "xc:$root_color" -format "%[pixel:p{0,0}]" info:)
    [[ "$(pixel "$shot" $((X + 2)) $((Y + 2)))" == "$desktop" ]] || fail "the $2 window's corner is not the desktop"
    [[ "$(pixel "$shot" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)))" != "$desktop" ]] ||
        fail "the middle of the $2 window shows the desktop"
}
skyroll_wait_until 10 has_window Skyroll || fail "no globe window"
GLOBE=$(window_named Skyroll)
[[ -n "$GLOBE" ]] || fail "no globe window"
geometry "$GLOBE"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "824,20,180,183" ]] || fail "globe at $X,$Y size ${WIDTH}x$HEIGHT"
round "$GLOBE" globe

# One program per user: a second start says so and ends at once.
timeout 20 "${wine_run[@]}" wine "$app/skyroll.exe" >"$tmp/second.log" 2>&1 ||
    fail "the second start ended with status $?: $(cat "$tmp/second.log")"
grep -q 'already running' "$tmp/second.log" || fail "the second start said: $(cat "$tmp/second.log")"

# Wine's own tray, with the program's icon at the left end of its 20 pixels
# high client area; the window found may be the frame Wine draws around it.
skyroll_wait_until 10 has_window 'Wine System Tray' || fail "no icon in Wine's tray"
geometry "$(window_named 'Wine System Tray')"
border=$(((WIDTH - 160) / 2))
icon_x=$((X + border + 10)) icon_y=$((Y + HEIGHT - border - 10))
open_menu() {
    local before
    before=$(grep -c 'menu: popup' "$log")
    # Wine's tray window takes a press once the pointer has come to it.
    xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 mousedown 3
    skyroll_wait_until 5 bash -c "(( \$(grep -c 'menu: popup' '$log') > $before ))" ||
        fail "no menu on a right press on the tray icon"
    xdotool mouseup 3
}
keys() { xdotool key --delay 250 "$@"; }
# The pop-up menus on screen, newest last: "id x y width height" lines of
# the visible windows without a name that are not the tray's tip.
menus() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        geometry "$w"
        ((HEIGHT > 30 && WIDTH > 40 && WIDTH < 400)) && echo "$w $X $Y $WIDTH $HEIGHT"
    done
}
# pick LEVEL ROW COUNT: clicks row ROW (from 0) of the menu at LEVEL (1: the
# first one, 2: its submenu), which has COUNT rows between 3-pixel borders;
# fails when no such menu comes within 5 s.
pick() {
    local line tries=0
    while (($(menus | wc -l) < $1 && tries++ < 50)); do sleep 0.1; done
    line=$(menus | sort -k2 -n | sed -n "$1p")
    [[ -n "$line" ]] || return 1
    set -- "$2" "$3" $line
    local row=$1 count=$2 x=$4 y=$5 width=$6 height=$7
    local item=$(((height - 6) / count))
    xdotool mousemove $((x + width / 2)) $((y + 3 + item * row + item / 2)) sleep 0.2 click 1
}
# choose ITEM ROW [SUBROW SUBCOUNT]: the menu item ITEM, picked with the
# mouse: the menus go by the pointer whatever has the keyboard focus. The
# tour goes on meanwhile: a click made while a city is shown takes effect
# once the display is over, but EXIT is greyed in a menu opened during one.
# A menu closed before it could be used (a window of ours that was just
# shown took the activation; under load, seemingly the tray's own window), or
# one whose item could not be chosen, is dismissed and opened again, five
# times at most.
choose() {
    local item=$1 try
    for try in 1 2 3 4 5; do
        open_menu
        if pick 1 "$2" 3 && { (($# < 3)) || pick 2 "$3" "$4"; }; then
            skyroll_wait_log "chosen fSky_Roll $item" 5 && return 0
        fi
        echo "$item: not chosen from menu $try"
        keys Escape Escape
    done
    fail "$item could not be chosen from the menu"
}

# The menu opened during São Paulo's display holds the display until it
# closes: the screenshot shows the city.
skyroll_wait_log 'shown fSky_Roll.Image1 RAIN.gif' 40 || fail "São Paulo's rain picture was not shown"
open_menu
import -window root "$tmp/city.png" || fail "no screenshot"
[[ -n "$shots" ]] && cp "$tmp/city.png" "$shots/wine-city.png"
keys Escape Escape
# The picture, 30 x 28 of its pixels at (74, 80) of the globe, composed over
# frame 8 with its transparent colour, is exactly what the screen shows.
data="$app/SKR20"
convert "$data/earth/EarthMap_8.bmp" -crop 30x28+74+80 +repage \
    \( "$data/WEATHER/RAIN.gif" -crop 30x28+0+0 +repage \) -composite "$tmp/expected.png"
convert "$tmp/city.png" -crop "30x28+$((824 + 74))+$((20 + 80))" +repage "$tmp/shown.png"
differing=$(compare -metric AE "$tmp/shown.png" "$tmp/expected.png" null: 2>&1)
[[ "$differing" == 0 ]] || fail "the rain picture is not at its place over frame 8 ($differing pixels differ)"

# The slowest speed; the tour stays on, so a city display may come in the
# middle of any of what follows.
choose mMIN 1 4 5

# Day and night: the frames drawn from the installed maps (GDI+ decodes
# them) come into memory, the globe turns through them, and the choice is
# kept in EARTH.INI.
choose mDAYNIGHT 0 4 5
skyroll_wait_log 'drawn skyroll-memory:/drawn-1 ratio 1 ' 60 || fail "no set drawn by day and night"
grep -q 'DAYNIGHT=1' "$app/SKR20/PALAM/EARTH.INI" || fail "DAYNIGHT=1 was not written"
choose mDAYNIGHT 0 4 5
grep -q 'DAYNIGHT=0' "$app/SKR20/PALAM/EARTH.INI" || fail "DAYNIGHT=0 was not written"

choose mMOON 0 3 5
skyroll_wait_log 'shown fMoon' 10 || fail "the moon window did not open"
skyroll_wait_until 5 has_window 'Skyroll Moon' || fail "no moon window"
MOON=$(window_named 'Skyroll Moon')
geometry "$MOON"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "717,130,107,110" ]] || fail "moon at $X,$Y size ${WIDTH}x$HEIGHT"
round "$MOON" moon

choose mSETTING 0 0 5
skyroll_wait_until 10 has_window 'Skyroll 初期設定' || fail "the settings dialog did not open"
DIALOG=$(window_named 'Skyroll 初期設定')
round "$DIALOG" dialog
# OK, centred near the bottom of the dialog.
geometry "$DIALOG"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 30)) click 1
skyroll_wait_log 'unload fSetting' 5 || fail "OK did not close the dialog"
grep -q 'DISPPOS=0' "$app/SKR20/PALAM/EARTH.INI" || fail "OK did not write the settings"

choose mSPACE 0 1 5
[[ "$(wallpaper)" == *'\SKR20\BACK\宇宙.bmp' ]] || fail "the wallpaper is '$(wallpaper)', not the space picture"

choose mEnd 2
skyroll_wait_exit 15
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
grep -q 'tray: removed' "$log" || fail "the tray icon was not removed"
[[ -z "$(window_named 'Wine System Tray')" ]] || fail "Wine's tray still shows an icon"
[[ "$(wallpaper)" == "$user_wallpaper" ]] || fail "the wallpaper is '$(wallpaper)', not the user's '$user_wallpaper'"

# A lock file that cannot be opened (a folder in its place) is no other
# program: the start names it on standard error and in a message box, and
# ends with status 1 once the box is dismissed.
state=$("${wine_run[@]}" wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
state=$("${wine_run[@]}" winepath -u "$state\\Skyroll" 2>/dev/null)
[[ -d "$state" ]] || fail "no state folder at '$state'"
rm -f "$state/skyroll.lock"
mkdir "$state/skyroll.lock"
"${wine_run[@]}" wine "$app/skyroll.exe" >"$log" 2>&1 &
SKYROLL_PID=$!
SKYROLL_ENV_PIDS+=("$SKYROLL_PID")
skyroll_wait_log 'cannot open its lock file C:.*\\Skyroll\\skyroll.lock: it is not a plain file' 20 ||
    fail "no message for the lock file"
skyroll_wait_until 10 has_window Skyroll || fail "no message box for the lock file"
xdotool windowfocus "$(window_named Skyroll)" key Return
skyroll_wait_exit 15
status=$?
rmdir "$state/skyroll.lock"
[[ $status -eq 1 ]] || fail "a lock file that cannot be opened gave status $status"
echo "PASS"
