#!/usr/bin/env bash
# Kill points inside the wallpaper services. For bare X (a private Xvfb; a
# root colour and a root pixmap),
# GSettings on the real dconf and Xfce on the real xfconfd (each on a
# private session bus): a run puts the space picture on and gives the
# user's wallpaper back, killed by SIGKILL at each step inside the service
# in turn (SKYROLL_KILL_STEP: every request that changes the desktop, and
# just after the crash record is written); then one start and exit must
# leave the user's wallpaper as it was, byte for byte, and no crash record.
# A service whose tools are missing is skipped; all missing: status 77.
#
# usage: wallpaper_killpoints.sh path/to/skyroll_wallpaper_run
set -u
run=$(realpath "${1:?usage: wallpaper_killpoints.sh WALLPAPER_RUN}")
here=$(cd "$(dirname "$0")" && pwd)

# inside SERVICE: the points of one service, in the session made for it.
if [[ ${2:-} == inside ]]; then
    service=$3 tmp=$4
    state=$tmp/state
    record=$state/wallpaper-record
    space=$tmp/space.png
    convert -size 64x48 xc:'#101830' "$space" 2>/dev/null || { echo "FAIL: no picture"; exit 1; }
    case $service in
    bare-x-colour)
        user() { xsetroot -solid '#c0a030'; }
        ;;
    bare-x-pixmap)
        # The previous point's pixmap stays alive and named: a new one each time.
        user() { "$run" "$state" setroot; }
        ;;
    dconf)
        export XDG_CURRENT_DESKTOP=GNOME
        user() {
            gsettings set org.gnome.desktop.background picture-uri 'file:///home/user/Pictures/day%20sky.jpg' &&
                gsettings set org.gnome.desktop.background picture-uri-dark 'file:///home/user/夜空.png'
        }
        ;;
    xfconfd)
        export XDG_CURRENT_DESKTOP=XFCE
        user() {
            local m w
            for m in monitorVirtual-1 monitorHDMI-2; do
                for w in 0 1; do
                    xfconf-query -c xfce4-desktop -p "/backdrop/screen0/$m/workspace$w/last-image" -n -t string \
                        -s "/home/user/壁紙/$m $w.jpg" || return 1
                done
            done
        }
        ;;
    esac
    tried=0 lost=0
    for ((step = 1; step < 100; step++)); do
        mkdir -p "$state" && rm -f "$record"
        user || { echo "FAIL: the user's wallpaper could not be set"; exit 1; }
        before=$("$run" "$state" dump 2>/dev/null) || { echo "FAIL: $service: the wallpaper cannot be read"; exit 1; }
        # The braces take the shell's notice of the kill.
        { SKYROLL_KILL_STEP=$step "$run" "$state" on "$space" 2>"$tmp/on.log"; } 2>/dev/null
        status=$?
        ((status == 0)) && break  # past the last step: the whole run went through
        tried=$((tried + 1))
        if ((status != 137)); then
            echo "LOSS: $service step $step: the run ended with status $status"; cat "$tmp/on.log"
            lost=$((lost + 1))
            continue
        fi
        "$run" "$state" exit 2>"$tmp/exit.log" || { echo "LOSS: $service step $step: the next run failed"; cat "$tmp/exit.log"; }
        after=$("$run" "$state" dump 2>/dev/null)
        if [[ "$after" != "$before" || -e "$record" ]]; then
            echo "LOSS: $service step $step: $([[ -e $record ]] && echo "the record is left; ")"
            diff <(echo "$before") <(echo "$after")
            cat "$tmp/on.log" "$tmp/exit.log"
            lost=$((lost + 1))
        fi
    done
    ((step > 1)) || { echo "FAIL: $service: the run without a kill did not go through"; cat "$tmp/on.log"; exit 1; }
    echo "$service: $tried kill points tried, $lost wallpapers lost"
    ((lost == 0))
    exit
fi

source "$here/../desktop/desktop_common.sh"
skyroll_env_init
tmp=$SKYROLL_ENV_TMP
command -v convert >/dev/null || { echo "SKIP: imagemagick is not installed"; exit 77; }
ran=0 failed=0
session() {  # session SERVICE: the private home and bus, then the points
    local home=$tmp/$1
    mkdir -p "$home/config" "$home/runtime" && chmod 700 "$home/runtime"
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime GSETTINGS_BACKEND=dconf \
        dbus-run-session -- env -u DISPLAY bash "$0" "$run" inside "$1" "$home" 2>"$home.log" ||
        { cat "$home.log"; return 1; }
}

if command -v Xvfb >/dev/null && command -v xsetroot >/dev/null; then
    mkfifo "$tmp/displayfd"
    Xvfb -displayfd 3 -screen 0 320x240x24 -noreset -nolisten tcp 3>"$tmp/displayfd" >/dev/null 2>&1 &
    SKYROLL_ENV_PIDS+=($!)
    read -r -t 10 number <"$tmp/displayfd" || { echo "FAIL: Xvfb did not start"; exit 1; }
    for background in colour pixmap; do
        mkdir -p "$tmp/bare-x-$background"
        env -u XDG_CURRENT_DESKTOP -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE DISPLAY=":$number" \
            bash "$0" "$run" inside "bare-x-$background" "$tmp/bare-x-$background" || failed=$((failed + 1))
    done
    ran=$((ran + 1))
else
    echo "bare X skipped: Xvfb or xsetroot is missing"
fi
if command -v dbus-run-session >/dev/null && command -v gsettings >/dev/null &&
    [[ -f /usr/share/dbus-1/services/ca.desrt.dconf.service ]]; then
    session dconf || failed=$((failed + 1))
    ran=$((ran + 1))
else
    echo "dconf skipped: dbus-run-session, gsettings or dconf-service is missing"
fi
if command -v dbus-run-session >/dev/null && command -v xfconf-query >/dev/null; then
    session xfconfd || failed=$((failed + 1))
    ran=$((ran + 1))
else
    echo "xfconfd skipped: dbus-run-session or xfconf-query is missing"
fi
((ran > 0)) || exit 77
((failed == 0)) || exit 1
echo "PASS"
