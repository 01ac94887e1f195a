#!/usr/bin/env bash
# Xfce's own desktop draws the wallpaper: xfdesktop on a private Xvfb, with
# xfconfd on a private session bus. The user's picture (one colour) shows on
# the screen; the program's wallpaper code puts the space picture on (its
# colour shows on the screen), and its exit gives the user's picture back
# (the user's colour shows again). xfdesktop paints its own desktop window
# over the root, so the screen's pixels are read, not the root's background.
# usage: wallpaper_xfdesktop.sh path/to/skyroll_wallpaper_run
# Skipped (77) where xfdesktop, xfconf, Xvfb, dbus-run-session or ImageMagick
# is missing.
set -u
run=$(realpath "${1:?usage: wallpaper_xfdesktop.sh WALLPAPER_RUN}")
here=$(cd "$(dirname "$0")" && pwd)

# The colour of the screen at X Y, as hex digits ("C03020").
screen_colour() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'
}
# shows COLOUR: true when every sampled point of the screen has COLOUR.
shows() {
    local point
    for point in "20 20" "160 120" "300 220" "40 200"; do
        # shellcheck disable=SC2086
        [[ $(screen_colour $point) == "$1" ]] || return 1
    done
}
# wait_for COLOUR WHAT: up to 10 s for the screen to show COLOUR.
wait_for() {
    local i
    for ((i = 0; i < 50; i++)); do
        shows "$1" && return 0
        sleep 0.2
    done
    echo "FAIL: $2 is not on the screen (it shows #$(screen_colour 160 120) at 160,120)"
    return 1
}

# Inside the private session: xfdesktop, then the three pictures in turn.
if [[ ${2:-} == inside ]]; then
    tmp=$3
    user=$tmp/user.png space=$tmp/space.png
    { convert -size 64x64 xc:'#c03020' "$user" && convert -size 64x48 xc:'#101830' "$space"; } ||
        { echo "FAIL: no pictures"; exit 1; }
    # No desktop icons: the whole screen is the wallpaper.
    xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 0 || { echo "FAIL: xfconfd"; exit 1; }
    NO_AT_BRIDGE=1 xfdesktop --disable-wm-check >"$tmp/xfdesktop.log" 2>&1 &
    xfdesktop=$!
    trap 'kill $xfdesktop 2>/dev/null' EXIT
    # xfdesktop writes the last-image of the monitor it finds when it starts.
    for ((i = 0; i < 50; i++)); do
        properties=$(xfconf-query -c xfce4-desktop -l | grep '/last-image$') && break
        sleep 0.2
    done
    [[ -n ${properties:-} ]] || { echo "FAIL: xfdesktop wrote no last-image"; cat "$tmp/xfdesktop.log"; exit 1; }
    echo "xfdesktop's monitors: $properties"
    for property in $properties; do xfconf-query -c xfce4-desktop -p "$property" -s "$user" || exit 1; done
    wait_for C03020 "the user's picture" || exit 1

    export XDG_CURRENT_DESKTOP=XFCE
    mkdir -p "$tmp/state"
    coproc program { "$run" "$tmp/state" on "$space" hold 2>"$tmp/run.log"; }
    read -r -t 20 said <&"${program[0]}" || said=""
    [[ $said == on ]] || { echo "FAIL: the space picture was not put on"; cat "$tmp/run.log"; exit 1; }
    wait_for 101830 "the space picture" || { echo >&"${program[1]}"; exit 1; }
    echo >&"${program[1]}"
    # shellcheck disable=SC2154 # set by coproc
    wait "$program_PID" || { echo "FAIL: the exit did not give the wallpaper back"; cat "$tmp/run.log"; exit 1; }
    wait_for C03020 "the user's picture, after the exit," || exit 1
    for property in $properties; do
        [[ $(xfconf-query -c xfce4-desktop -p "$property") == "$user" ]] ||
            { echo "FAIL: $property is not the user's picture"; exit 1; }
    done
    exit 0
fi

source "$here/../../../scripts/desktop-test-env.sh"
skyroll_require Xvfb xdpyinfo xfdesktop xfconf-query dbus-run-session convert import
skyroll_env_init
tmp=$SKYROLL_ENV_TMP
skyroll_start_xvfb 320x240 || exit 1
home=$tmp/home
mkdir -p "$home/config" "$home/runtime" && chmod 700 "$home/runtime"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime \
    dbus-run-session -- bash "$0" "$run" inside "$tmp" 2>"$tmp/session.log" ||
    { cat "$tmp/session.log"; exit 1; }
echo "PASS"
