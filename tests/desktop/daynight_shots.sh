#!/usr/bin/env bash
# Pictures of the globe by day and night at given moments, for looking at
# (no test: nothing is judged). For each moment the program runs under Xvfb
# with the tray host at QT_SCALE_FACTOR (default 2), day and night on, its
# wall clock set to the moment by clock_shift.c, and weather for Tokyo, São
# Paulo and Sydney; the globe window is saved while Tokyo's and São Paulo's
# weather are on show and on a frame in between, and the program's resident
# memory is printed.
# Usage: daynight_shots.sh path/to/skyroll OUTDIR UNIXSECONDS...
set -u
source "$(dirname "$0")/desktop_common.sh"
out=${2:?usage: $0 path/to/skyroll OUTDIR UNIXSECONDS...}
shift 2
skyroll_require cc iconv
mkdir -p "$out"
DESKTOP_EARTH_INI=$'[SPEED]\r\nROLLSPEED=1\r\n[GLOBE]\r\nDAYNIGHT=1\r\n'
export QT_SCALE_FACTOR=${QT_SCALE_FACTOR:-2}
desktop_prepare tray
cc -shared -fPIC -O2 -o "$SKYROLL_ENV_TMP/clock_shift.so" "$(dirname "$0")/clock_shift.c" -ldl ||
    fail "clock_shift.c does not build"

desktop_prepare_app() {
    mv "$1/skyroll" "$1/skyroll.bin"
    printf '#!/bin/sh\nLD_PRELOAD=%s SKYROLL_CLOCK_AT=%s exec "%s" "$@"\n' "$SKYROLL_ENV_TMP/clock_shift.so" \
        "$moment" "$1/skyroll.bin" >"$1/skyroll"
    chmod +x "$1/skyroll"
}

# Waits (150 s at most: a city's turn in the tour may be far) for a log line
# matching $1 after those there now.
wait_next() {
    local before
    before=$(skyroll_log_count "$1")
    skyroll_wait_until 150 bash -c "(( \$(grep -c -- '$1' '$SKYROLL_ENV_TMP/skyroll.log') > $before ))"
}

shot() {
    geometry "$GLOBE"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$out/$1.png" && echo "$out/$1.png"
}

for moment in "$@"; do
    stamp=$(date -u -d "@$moment" +%Y%m%d-%H%MZ)
    rm -rf "$SKYROLL_ENV_TMP/app"
    desktop_start_skyroll
    skyroll_wait_log 'drawn skyroll-memory:' 60 || fail "no set drawn at $stamp"
    grep 'drawn skyroll-memory:' "$SKYROLL_ENV_TMP/skyroll.log" | head -n1
    # After the start-up refresh, which writes its own weather file.
    skyroll_wait_globe_turns || fail "the globe does not turn"
    printf '[WEATHER]\r\n東京=SUN.gif\r\nサンパウロ=RAIN.gif\r\nシドニー=CLOUDY.gif\r\n' | iconv -f UTF-8 -t CP932 \
        >"$SKYROLL_ENV_TMP/app/SKR20/PALAM/WEATHER.INI"
    wait_next 'shown fSky_Roll.Image1 RAIN' || fail "São Paulo's weather was not shown"
    sleep 0.3
    shot "$stamp-saopaulo"
    wait_next 'shown fSky_Roll.Picture1 EarthMap_20\(@2x\)\?\.bmp' && shot "$stamp-frame20"
    wait_next 'shown fSky_Roll.Image1 SUN' || fail "Tokyo's weather was not shown"
    sleep 0.3
    shot "$stamp-tokyo"
    awk -v s="$QT_SCALE_FACTOR" '/VmRSS/ { printf "resident memory at scale %s after a draw: %.1f MB\n", s, $2 / 1024 }' \
        "/proc/$SKYROLL_PID/status"
    kill -TERM "$SKYROLL_PID"
    skyroll_wait_pid_gone "$SKYROLL_PID" 10
done
