# Helpers for running skyroll on a private X server: sourced by the desktop
# tests and by run.sh. Everything started here is ended by skyroll_env_cleanup
# (installed as an EXIT trap by skyroll_env_init), and every wait is bounded.

SKYROLL_ENV_PIDS=()
SKYROLL_ENV_TMP=""

# Exit status that CTest counts as "skipped".
SKYROLL_SKIP=77

skyroll_env_init() {
    SKYROLL_ENV_TMP=$(mktemp -d "${TMPDIR:-/tmp}/skyroll-desktop.XXXXXX")
    trap skyroll_env_cleanup EXIT
    trap 'exit 130' INT TERM HUP
}

skyroll_env_cleanup() {
    local pid
    for ((i = ${#SKYROLL_ENV_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${SKYROLL_ENV_PIDS[i]}
        # A process that has already ended is no failure of the clean-up.
        kill "$pid" 2>/dev/null && skyroll_wait_pid_gone "$pid" 5 || kill -9 "$pid" 2>/dev/null || true
    done
    SKYROLL_ENV_PIDS=()
    if [[ -n "$SKYROLL_ENV_TMP" && -z "${SKYROLL_KEEP_TMP:-}" ]]; then rm -rf "$SKYROLL_ENV_TMP" || true; fi
    return 0
}

# Skips the test (status 77) unless every named program is installed.
skyroll_require() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit "$SKYROLL_SKIP"
        fi
    done
}

# skyroll_wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s until it
# succeeds; fails after SECONDS.
skyroll_wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    while ! "$@" >/dev/null 2>&1; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.1
    done
}

skyroll_wait_pid_gone() {
    skyroll_wait_until "$2" bash -c "! kill -0 $1 2>/dev/null"
}

# Starts Xvfb on a display number it picks itself (-displayfd), with 96 dpi
# and -noreset, and exports DISPLAY. Size: $1 (default 1024x768). A test may
# start more than one.
skyroll_start_xvfb() {
    local size=${1:-1024x768} fifo="$SKYROLL_ENV_TMP/displayfd.${#SKYROLL_ENV_PIDS[@]}"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi 96 -noreset -nolisten tcp 3>"$fifo" \
        >"$SKYROLL_ENV_TMP/xvfb.log" 2>&1 &
    SKYROLL_ENV_PIDS+=($!)
    local number=""
    read -r -t 10 number <"$fifo" || true
    if [[ -z "$number" ]]; then
        echo "Xvfb did not start:" >&2
        cat "$SKYROLL_ENV_TMP/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$number"
    skyroll_wait_until 10 xdpyinfo
}

# Starts trayer, the XEmbed tray host, and waits until it owns the tray.
skyroll_start_tray() {
    trayer --edge bottom --align right --widthtype request --height 24 --transparent false \
        >"$SKYROLL_ENV_TMP/trayer.log" 2>&1 &
    SKYROLL_TRAY_PID=$!
    SKYROLL_ENV_PIDS+=($SKYROLL_TRAY_PID)
    skyroll_wait_until 10 xdotool search --classname trayer
}

# Starts the program (path in $1, further arguments follow) with its trace on
# and its output in $SKYROLL_ENV_TMP/skyroll.log, each line stamped with the
# program's own clock in seconds; sets SKYROLL_PID. The platform is xcb, or
# $SKYROLL_TEST_PLATFORM when that is set (empty: the program's own choice).
skyroll_start_program() {
    local program=$1
    shift
    QT_LOGGING_RULES="skyroll.*.debug=true" QT_QPA_PLATFORM=${SKYROLL_TEST_PLATFORM-xcb} QT_FORCE_STDERR_LOGGING=1 \
        QT_MESSAGE_PATTERN='%{time process} %{category}: %{message}' \
        "$program" "$@" >"$SKYROLL_ENV_TMP/skyroll.log" 2>&1 &
    SKYROLL_PID=$!
    SKYROLL_ENV_PIDS+=($SKYROLL_PID)
}

# The program's visible windows whose name is exactly $1, one id a line;
# fails when there is none. Names are compared here: xdotool's --name matches
# regardless of case, and the tray icon's window is named "skyroll".
skyroll_windows_named() {
    local w found=1
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == "$1" ]] && echo "$w" && found=0
    done
    return $found
}

# The window id of the globe window, once it is mapped (10 s at most).
skyroll_globe_window() {
    skyroll_wait_until 10 skyroll_windows_named Skyroll || return 1
    skyroll_windows_named Skyroll | head -n1
}

# Counts lines of the program's log matching a pattern.
skyroll_log_count() {
    grep -c -- "$1" "$SKYROLL_ENV_TMP/skyroll.log" || true
}

# Waits (bounded) for a log line matching a pattern.
skyroll_wait_log() {
    skyroll_wait_until "$2" grep -q -- "$1" "$SKYROLL_ENV_TMP/skyroll.log"
}

# The globe turns: a frame after the first is shown (60 s at most). The
# start-up refresh keeps the globe on its first frame, greys the menu's items
# and lays its captions over the globe, so a press made before this may open
# a menu on which nothing can be chosen.
skyroll_wait_globe_turns() {
    skyroll_wait_log 'shown fSky_Roll\.Picture1 EarthMap_\([2-9]\|[1-4][0-9]\)\(@2x\)\?\.bmp' 60
}

# The exit status of the program once it has ended (bounded); 124: still running.
skyroll_wait_exit() {
    local seconds=$1
    if skyroll_wait_pid_gone "$SKYROLL_PID" "$seconds"; then
        wait "$SKYROLL_PID"
        return $?
    fi
    return 124
}
