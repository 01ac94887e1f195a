#!/usr/bin/env bash
# The globe turns from frames the picture cache keeps while their files are
# unchanged: frames replaced on disk while it turns at "MAXIMUM" show at
# once, and a frame removed ends the program with one message and a failure
# status.
set -u
source "$(dirname "$0")/desktop_common.sh"

# The frames are links to the build's long-settled files, so the program
# keeps them in its cache from the first turn on.
desktop_prepare_app() {
    local earth="$1/SKR20/earth" data
    data=$(readlink -f "$1/SKR20/earth")
    rm "$earth" && mkdir "$earth"
    for n in $(seq 1 44); do ln -s "$data/EarthMap_$n.bmp" "$earth/EarthMap_$n.bmp"; done
    EARTH=$earth
}
desktop_setup

skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_44.bmp' 60 || fail "the globe does not turn"
geometry "$GLOBE"
# A point of the globe left of the middle, where no city's caption or
# weather picture of the tour ever comes.
cx=$((X + 20)) cy=$((Y + 91))
centre_colour() { import -window root -crop "1x1+$cx+$cy" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'; }
[[ "$(centre_colour)" != "#FF0000" ]] || fail "the globe is red before its frames are replaced"

# Every frame replaced by a plain red picture, each file swapped in whole.
convert -size 180x183 xc:red "BMP3:$SKYROLL_ENV_TMP/red.bmp"
for n in $(seq 1 44); do
    cp "$SKYROLL_ENV_TMP/red.bmp" "$EARTH/new.bmp" && mv -f "$EARTH/new.bmp" "$EARTH/EarthMap_$n.bmp"
done
skyroll_wait_until 5 bash -c "[[ \$(import -window root -crop 1x1+$cx+$cy -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}') == '#FF0000' ]]" ||
    fail "the replaced frames are not shown ($(centre_colour))"

rm "$EARTH/EarthMap_7.bmp"
skyroll_wait_log 'cannot show the globe picture' 5 || fail "a removed frame did not stop the program"
box=""
message_box() { skyroll_windows_named Skyroll | grep -vx "$GLOBE"; }
skyroll_wait_until 5 message_box || fail "no message box"
box=$(message_box | head -n1)
xdotool windowfocus --sync "$box" key Return
skyroll_wait_exit 10
status=$?
((status != 0 && status != 124)) || fail "a removed frame ended with status $status"
messages=$(grep -c 'skyroll: .*cannot show the globe picture' "$SKYROLL_ENV_TMP/skyroll.log")
[[ $messages -eq 1 ]] || fail "$messages messages for one removed frame"
grep -q 'EarthMap_7.bmp' <(grep 'skyroll: ' "$SKYROLL_ENV_TMP/skyroll.log") || fail "the message does not name the frame"
echo "PASS"
