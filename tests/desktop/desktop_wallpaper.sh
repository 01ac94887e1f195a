#!/usr/bin/env bash
# The space wallpaper on a bare X server: the root background of a known
# colour gives way to the space picture and comes back when it goes off, at
# "EXIT", on SIGTERM, and after SIGKILL through the crash record at the next
# start and exit. SKYROLL_SHOT=FILE keeps a screenshot with the picture on.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require xsetroot xprop
# At the slowest speed no city of the weather tour comes for a minute and
# more, so no display disables EXIT while the test runs.
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=4\r\n'
desktop_prepare tray
# No desktop session: the root window is the wallpaper.
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
USER_COLOR='#c0a030'
xsetroot -solid "$USER_COLOR"
record="$SKYROLL_ENV_TMP/state/skyroll/wallpaper-record"

# A point of the root that neither the globe (upper right) nor the tray
# (bottom) covers, as "srgb(r,g,b)".
root_pixel() {
    import -window root "$SKYROLL_ENV_TMP/shot.png" 2>/dev/null && pixel "$SKYROLL_ENV_TMP/shot.png" 100 100
}
user_rgb=$(convert xc:"$USER_COLOR" -format '%[pixel:p{0,0}]' info:)
shows_user() { [[ "$(root_pixel)" == "$user_rgb" ]]; }
# The space picture is dark with stars: far from the user's colour.
shows_space() {
    local p
    p=$(root_pixel) || return 1
    [[ "$p" != "$user_rgb" ]] && [[ "$(convert xc:"$p" -format '%[fx:int(255*luminance)]' info:)" -lt 80 ]]
}

start() {
    desktop_start_skyroll
    skyroll_wait_until 15 tray_icon_center || fail "the tray icon did not appear"
    skyroll_wait_globe_turns || fail "the globe does not turn"
}
menu() {
    # shellcheck disable=SC2046
    set -- $(tray_icon_center)
    # A press within the double-click time of the last one is a double click,
    # which the tray reports as no right press at all (so does Windows).
    sleep 0.5
    xdotool mousemove "$1" "$2" mousedown 3
    skyroll_wait_until 5 menu_open || fail "the menu did not open"
    xdotool mouseup 3
}
# OPTION > the second item.
space_item() {
    menu
    xdotool key Down Right Down Return
}
exit_item() {
    menu
    xdotool key Up Return
    skyroll_wait_exit 10 || fail "EXIT did not end the program"
}

shows_user || fail "the known root colour is not on screen: $(root_pixel)"
start
grep -q 'wallpaper service: bare X' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the bare X service was not chosen"
shows_user || fail "start-up changed the wallpaper"

space_item
skyroll_wait_until 10 shows_space || fail "the space picture did not come on: $(root_pixel)"
[[ -f "$record" ]] || fail "no crash record while the space picture is on"
[[ -n "${SKYROLL_SHOT:-}" ]] && import -window root "$SKYROLL_SHOT"
space_item
skyroll_wait_until 10 shows_user || fail "switching off did not give the colour back: $(root_pixel)"
[[ ! -f "$record" ]] || fail "the crash record stayed after the wallpaper came back"
space_item
skyroll_wait_until 10 shows_space || fail "the space picture did not come on again"
exit_item
shows_user || fail "EXIT did not give the colour back: $(root_pixel)"

start
space_item
skyroll_wait_until 10 shows_space || fail "the space picture did not come on (SIGTERM run)"
kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10 || fail "SIGTERM did not end the program cleanly"
shows_user || fail "SIGTERM did not give the colour back: $(root_pixel)"

start
space_item
skyroll_wait_until 10 shows_space || fail "the space picture did not come on (SIGKILL run)"
disown "$SKYROLL_PID"  # no job notice from the shell for the kill
kill -KILL "$SKYROLL_PID"
skyroll_wait_pid_gone "$SKYROLL_PID" 10 || fail "SIGKILL did not end the program"
shows_space || fail "the killed program's picture did not stay (nothing left to mend)"
[[ -f "$record" ]] || fail "SIGKILL left no crash record"
start
grep -q 'comes from the crash record' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the crash record was not used"
shows_space || fail "start-up changed the wallpaper"
exit_item
shows_user || fail "the next run's EXIT did not give the colour back: $(root_pixel)"
[[ ! -f "$record" ]] || fail "the crash record stayed after the colour came back"
xprop -root _XROOTPMAP_ID ESETROOT_PMAP_ID | grep -q 'PIXMAP' && fail "the root still names a pixmap"
echo "PASS"
