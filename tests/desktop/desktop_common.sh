# Shared set-up of the desktop tests: a private X server with a plain blue
# root window, optionally the tray host, and the program started from a fresh
# application folder (its own copy of the executable beside links to the
# build's data folders), whose EARTH.INI only points the weather sites at a
# refused loopback port (or at $SKYROLL_TEST_WEATHER_SITE when it is set). Sourced by the desktop_*.sh scripts with the path of
# the skyroll executable as $1.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/desktop-test-env.sh"

SKYROLL_BIN=${1:?usage: $0 path/to/skyroll}
ROOT_COLOR='#3366cc'

# desktop_setup [tray]: everything up to the globe window being on screen;
# sets GLOBE (its window id). A script may define desktop_prepare_app, which
# is called with the application folder just before the program starts.
desktop_setup() {
    desktop_prepare "$@"
    desktop_start_skyroll
}

# desktop_prepare [tray]: the X server, its root colour and the tray host.
desktop_prepare() {
    skyroll_require Xvfb xdotool xwininfo xdpyinfo convert import display
    [[ "${1:-}" == tray ]] && skyroll_require trayer
    skyroll_env_init
    skyroll_start_xvfb 1024x768 || exit 1
    convert -size 1024x768 "xc:$ROOT_COLOR" "$SKYROLL_ENV_TMP/root.png"
    timeout 10 display -window root "$SKYROLL_ENV_TMP/root.png" || true
    if [[ "${1:-}" == tray ]]; then
        skyroll_start_tray || { echo "FAIL: trayer did not start"; exit 1; }
    fi
}

# desktop_start_skyroll: the program from a fresh application folder (the
# same one when started again), up to its globe window being on screen.
desktop_start_skyroll() {
    local app="$SKYROLL_ENV_TMP/app" data
    data="$(cd "$(dirname "$SKYROLL_BIN")" && pwd)/SKR20"
    mkdir -p "$app/SKR20/PALAM"
    cp "$SKYROLL_BIN" "$app/skyroll"
    for folder in earth moon BACK WEATHER maps; do ln -sfn "$data/$folder" "$app/SKR20/$folder"; done
    # DESKTOP_EARTH_INI: further sections for EARTH.INI (CR LF lines);
    # SKYROLL_TEST_WEATHER_SITE: the page sites (default: a closed port).
    local site=${SKYROLL_TEST_WEATHER_SITE:-127.0.0.1:1}
    printf '%s[SITES]\r\nWORLD=%s\r\nJAPAN=%s\r\n' "${DESKTOP_EARTH_INI:-}" "$site" "$site" \
        >"$app/SKR20/PALAM/EARTH.INI"
    # A test may write its own EARTH.INI, and start what it needs, here.
    if declare -F desktop_before_start >/dev/null; then desktop_before_start "$app"; fi
    export XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache" XDG_RUNTIME_DIR="$SKYROLL_ENV_TMP/runtime"
    export XDG_STATE_HOME="$SKYROLL_ENV_TMP/state"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

    if declare -F desktop_prepare_app >/dev/null; then desktop_prepare_app "$app"; fi
    skyroll_start_program "$app/skyroll"
    GLOBE=$(skyroll_globe_window) || fail "the globe window did not appear"
}

fail() {
    echo "FAIL: $*"
    echo "--- program log (last lines)"
    grep -v 'shown fSky_Roll' "$SKYROLL_ENV_TMP/skyroll.log" | tail -n 30
    exit 1
}

# The colour of one pixel of a screenshot, as "srgb(r,g,b)".
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }

# Window geometry as shell variables X, Y, WIDTH, HEIGHT.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }

# Centre of the program's tray icon, embedded in trayer: "x y".
tray_icon_center() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        [[ "$w" == "$GLOBE" ]] && continue
        geometry "$w"
        if ((WIDTH <= 64 && HEIGHT <= 64 && WIDTH > 1)); then
            echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
            return 0
        fi
    done
    return 1
}

# A pop-up menu of the program is on screen.
menu_open() { [[ -n "$(popup_windows)" ]]; }
popup_windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        geometry "$w"
        ((WIDTH > 64 && w != GLOBE)) && echo "$w"
    done
}

# The window id of the visible window of the program with this exact title.
window_titled() {
    local ids
    ids=$(skyroll_windows_named "$1") && echo "${ids%%$'\n'*}"
}

# The same, once it is mapped (10 s at most).
skyroll_window() {
    skyroll_wait_until 10 window_titled "$1" || return 1
    window_titled "$1"
}

# Opens the pop-up menu with a right press on the middle of the globe,
# wherever it stands (no tray host).
open_menu() {
    local before
    before=$(skyroll_log_count 'menu: popup')
    geometry "$GLOBE"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 3
    skyroll_wait_until 5 bash -c "(( \$(grep -c 'menu: popup' '$SKYROLL_ENV_TMP/skyroll.log') > $before ))" ||
        fail "no menu on a right press on the globe"
    xdotool mouseup 3
}
