#!/usr/bin/env bash
# Measures the desktop program on a private Xvfb with trayer: frames shown
# per second and CPU at "MAXIMUM", CPU at "NORMAL", time from start to the
# first frame on screen, resident memory, and the CPU of one city's display
# of the weather tour (the globe held for 1.5 s). Figures only; nothing is
# asserted. The CPU of a bare 1.5 s WaitSeconds comes from
# skyroll_qt_benchmark.
#
#   scripts/measure-desktop.sh path/to/bin/skyroll [seconds per speed, default 5]
set -u
program=${1:?usage: $0 path/to/skyroll [seconds]}
window=${2:-5}
source "$(dirname "$0")/desktop-test-env.sh"
skyroll_require Xvfb xdotool trayer xdpyinfo
skyroll_env_init
skyroll_start_xvfb 1024x768 || exit 1
skyroll_start_tray || echo "trayer did not start"
ticks=$(getconf CLK_TCK)

# start_at SPEEDCODE: starts the program from a fresh application folder
# with that stored speed.
start_at() {
    local app="$SKYROLL_ENV_TMP/app-$1" data
    data="$(dirname "$program")/SKR20"
    mkdir -p "$app/SKR20/PALAM"
    cp "$program" "$app/skyroll"
    for folder in earth moon BACK WEATHER; do ln -sfn "$data/$folder" "$app/SKR20/$folder"; done
    printf '[SPEED]\r\nROLLSPEED=%s\r\n[SITES]\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' "$1" \
        >"$app/SKR20/PALAM/EARTH.INI"
    XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache" skyroll_start_program "$app/skyroll"
}

# measure SPEEDCODE LABEL: one run of the program at that stored speed.
measure() {
    start_at "$1"
    skyroll_wait_log 'shown fSky_Roll.Picture1' 60 || { echo "$2: no frame shown"; return 1; }
    local first
    first=$(grep -m1 'shown fSky_Roll.Picture1' "$SKYROLL_ENV_TMP/skyroll.log" | awk '{print $1}')
    sleep 1  # let the start settle before the window opens
    local stat0 stat1 t0 t1
    stat0=$(awk '{print $14 + $15}' "/proc/$SKYROLL_PID/stat")
    t0=$(date +%s.%N)
    local log0
    log0=$(grep -c 'shown fSky_Roll.Picture1' "$SKYROLL_ENV_TMP/skyroll.log")
    sleep "$window"
    stat1=$(awk '{print $14 + $15}' "/proc/$SKYROLL_PID/stat")
    t1=$(date +%s.%N)
    local log1 rss
    log1=$(grep -c 'shown fSky_Roll.Picture1' "$SKYROLL_ENV_TMP/skyroll.log")
    rss=$(awk '/VmRSS/ {print $2, $3}' "/proc/$SKYROLL_PID/status")
    awk -v l="$2" -v f="$first" -v n=$((log1 - log0)) -v c=$((stat1 - stat0)) -v hz="$ticks" \
        -v t0="$t0" -v t1="$t1" -v rss="$rss" 'BEGIN {
            w = t1 - t0
            printf "%-8s first frame %.3f s after start; %.1f frames/s shown; CPU %.1f%% of a core; RSS %s\n",
                   l, f, n / w, 100 * c / hz / w, rss }'
    kill -TERM "$SKYROLL_PID"
    skyroll_wait_exit 10 >/dev/null
}

# Nanoseconds the program's threads have run so far.
cpu_ns() { cat /proc/"$SKYROLL_PID"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s }'; }

# measure_display: from the first paint of São Paulo's picture (frame 8 of
# the third turn, at NORMAL) to the first frame after the display.
measure_display() {
    start_at 2
    local log="$SKYROLL_ENV_TMP/skyroll.log" c0 c1 t0 t1
    skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_1.bmp' 60 || { echo "display: no frame shown"; return 1; }
    until grep -q 'shown fSky_Roll.Image1' "$log"; do sleep 0.005; done
    c0=$(cpu_ns) t0=$(date +%s.%N)
    until awk '/shown fSky_Roll.Image1/ {on = 1} on && /shown fSky_Roll.Picture1/ {f = 1} END {exit !f}' "$log"; do
        sleep 0.005
    done
    c1=$(cpu_ns) t1=$(date +%s.%N)
    awk -v c=$((c1 - c0)) -v t0="$t0" -v t1="$t1" 'BEGIN {
        printf "display  CPU %.4f s over %.3f s from the picture to the next frame (%.2f%% of a core)\n",
               c / 1e9, t1 - t0, 100 * c / 1e9 / (t1 - t0) }'
    # The program's own times of the display's picture and of the next frame.
    awk '/shown fSky_Roll.Image1/ {on = 1; print} on && /shown fSky_Roll.Picture1/ {print; exit}' "$log"
    kill -TERM "$SKYROLL_PID"
    skyroll_wait_exit 10 >/dev/null
}

measure 0 MAXIMUM
measure 2 NORMAL
measure_display
