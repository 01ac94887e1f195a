#!/usr/bin/env bash
# A Wayland session with XWayland: weston inside Xvfb, WAYLAND_DISPLAY and
# DISPLAY both set, no platform chosen. The program runs on X11 through
# XWayland (Qt's Wayland platform would let the compositor place the globe,
# square, wherever it likes), says so once, and its globe is an X window of
# XWayland's, 180 x 183, cut to its ellipse. The wallpaper
# service is not the bare X root, which nobody sees on a Wayland session.
# Weston's own X window manager does not show the program's tool windows, so
# this checks the choices, not pixels.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require weston Xwayland xwininfo
desktop_prepare
export XDG_RUNTIME_DIR="$SKYROLL_ENV_TMP/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="skyroll-wayland-$$"
weston --backend=x11-backend.so --xwayland --socket="$socket" --width=1024 --height=768 \
    >"$SKYROLL_ENV_TMP/weston.log" 2>&1 &
SKYROLL_ENV_PIDS+=($!)
skyroll_wait_until 15 grep -q 'xserver listening on display :' "$SKYROLL_ENV_TMP/weston.log" ||
    fail "weston did not start XWayland: $(tail -n 5 "$SKYROLL_ENV_TMP/weston.log")"
xwayland=$(grep -o 'xserver listening on display :[0-9]*' "$SKYROLL_ENV_TMP/weston.log" | grep -o ':[0-9]*$')

export WAYLAND_DISPLAY=$socket DISPLAY=$xwayland XDG_SESSION_TYPE=wayland
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
SKYROLL_TEST_PLATFORM='' desktop_start_skyroll
log="$SKYROLL_ENV_TMP/skyroll.log"
[[ $(grep -c 'skyroll.platform:' "$log") -eq 1 ]] &&
    grep -q "skyroll.platform: platform xcb: X11 on display $xwayland, through XWayland" "$log" ||
    fail "the platform was not chosen once as X11 through XWayland"
grep -q 'wallpaper service: none found' "$log" && ! grep -q 'bare X' "$log" ||
    fail "the wallpaper service: $(grep 'wallpaper service' "$log")"
# Weston's window manager frames and places the window; its size and shape
# are the program's.
geometry "$GLOBE"
((WIDTH == 180 && HEIGHT == 183)) || fail "the globe is ${WIDTH}x${HEIGHT} on $xwayland"
xwininfo -id "$GLOBE" -shape | grep -q 'Window shape extents: *180x183' ||
    fail "the globe is not cut to its ellipse: $(xwininfo -id "$GLOBE" -shape)"
kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "SIGTERM gave status $status"
echo "PASS"
