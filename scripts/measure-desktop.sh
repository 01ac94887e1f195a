#!/usr/bin/env bash
# The desktop benchmark: runs the real program on a private Xvfb with the tray
# host trayer, as a new user would see it, and prints one table. Each figure
# is measured twice, with the picture cache on (as shipped) and off
# (SKYROLL_PICTURE_CACHE=off: every tick reads and decodes its frame), and
# the ratio on/off is given where the cache plays a part. Figures only;
# nothing is asserted. Best run on a quiet machine with a release build.
#
#   scripts/measure-desktop.sh [path/to/skyroll]     default build/release/bin/skyroll
#
# Figures: frames shown per second and CPU at "MAXIMUM" (over MAX_SECONDS,
# default 10), CPU at "NORMAL" (over NORMAL_SECONDS, default 30, from the
# second turn on), CPU of a
# 1.5 s WaitSeconds (skyroll_qt_benchmark beside the program, when built),
# start to first frame on screen with the weather sites on a refused loopback
# port (the middle of three starts), and resident memory RSS_AFTER seconds (default 60) after the start.
# CPU is user + system time of the program (and of the X server) from /proc,
# as a share of one core, measured with the program's trace off. Frames are
# counted in a run of their own from the program's frame trace.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-"$repo/build/release/bin/skyroll"}
# A relative path means the caller's folder; every later step uses the
# absolute one, since the runs happen in folders of their own.
program="$(cd "$(dirname "$program")" 2>/dev/null && pwd)/$(basename "$program")"
[[ -x "$program" ]] || { echo "no program at $program" >&2; exit 2; }
max_seconds=${MAX_SECONDS:-10}
normal_seconds=${NORMAL_SECONDS:-30}
rss_after=${RSS_AFTER:-60}

source "$repo/scripts/desktop-test-env.sh"
skyroll_require Xvfb trayer xdpyinfo xdotool
skyroll_env_init
skyroll_start_xvfb 1024x768 || exit 1
XVFB_PID=${SKYROLL_ENV_PIDS[0]}
skyroll_start_tray || echo "trayer did not start; measuring without a tray" >&2
hz=$(getconf CLK_TCK)
data="$(dirname "$program")/SKR20"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
frames_shown() { skyroll_log_count 'shown fSky_Roll.Picture1'; }
now() { date +%s.%N; }
share() { awk -v c="$1" -v hz="$hz" -v w="$2" 'BEGIN { printf "%.2f", 100 * c / hz / w }'; }

# start SPEEDCODE CACHE(on|off) TRACE(frames|quiet): the program from a
# fresh application folder (its own copy of the executable beside links to
# the build's data), with the weather sites on a refused loopback port. With
# "frames" its frame trace is on (a line per frame, which costs time of its
# own), and the start waits for the first frame; "quiet" runs it as a user
# would and waits WARM_UP seconds (default 6: the first turn at "NORMAL").
start() {
    local app="$SKYROLL_ENV_TMP/app-$1-$2-$3"
    rm -rf "$app" && mkdir -p "$app/SKR20/PALAM"
    cp "$program" "$app/skyroll"
    for folder in earth moon BACK WEATHER; do ln -s "$data/$folder" "$app/SKR20/$folder"; done
    printf '[SPEED]\r\nROLLSPEED=%s\r\n' "$1" >"$app/SKR20/PALAM/EARTH.INI"
    printf '%b' "${SITES_INI:-[SITES]\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n}" >>"$app/SKR20/PALAM/EARTH.INI"
    STARTED=$(now)
    # Each run has its own state folder: one program per user runs at a time.
    local settings=(XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache-$1-$2-$3" XDG_STATE_HOME="$SKYROLL_ENV_TMP/state-$1-$2-$3"
                    QT_QPA_PLATFORM=xcb)
    [[ $2 == off ]] && settings+=(SKYROLL_PICTURE_CACHE=off)
    [[ $3 == frames ]] && settings+=(QT_LOGGING_RULES="skyroll.frames.debug=true" QT_FORCE_STDERR_LOGGING=1
                                     QT_MESSAGE_PATTERN='%{time process} %{category}: %{message}')
    env "${settings[@]}" "$app/skyroll" >"$SKYROLL_ENV_TMP/skyroll.log" 2>&1 &
    SKYROLL_PID=$!
    SKYROLL_ENV_PIDS+=("$SKYROLL_PID")
    if [[ $3 == quiet ]]; then
        sleep "${WARM_UP:-6}"
        kill -0 "$SKYROLL_PID" 2>/dev/null || { echo "speed $1, cache $2: the program ended" >&2; exit 1; }
        return
    fi
    skyroll_wait_log 'shown fSky_Roll.Picture1' 60 || { echo "speed $1, cache $2: no frame shown" >&2; exit 1; }
    # The program's own clock: seconds from its start to the first frame painted.
    FIRST=$(grep -m1 'shown fSky_Roll.Picture1' "$SKYROLL_ENV_TMP/skyroll.log" | awk '{print $1}')
    # The first frame comes before the start-up refresh, whose menu has every
    # item greyed: a menu opened then would stay open and hold the program.
    skyroll_wait_globe_turns || { echo "speed $1, cache $2: the globe does not turn" >&2; exit 1; }
}

# tour_off: switches the weather tour off from the menu (OPTION > 天気表示),
# through the tray icon or, without a tray, a right press on the globe, as a
# user would: at "MAXIMUM" its city displays would otherwise hold the globe
# most of the time, and the figures are about the turning globe.
tour_off() {
    local w x y width height where=""
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^\([XYWIDTHEG]*\)=/\1=/p')"
        if ((WIDTH <= 64 && HEIGHT <= 64 && WIDTH > 1)); then where="$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"; fi
    done
    [[ -n "$where" ]] || where="914 111"  # the globe's middle at the upper right of 1024 x 768
    read -r x y <<<"$where"
    xdotool mousemove "$x" "$y" mousedown 3
    sleep 0.3
    xdotool mouseup 3 key Down Right Down Down Return
    sleep 0.5
}

stop() {
    kill -TERM "$SKYROLL_PID" 2>/dev/null
    skyroll_wait_exit 10 >/dev/null || echo "the program did not end cleanly" >&2
}

# window SECONDS: program CPU %, X server CPU %, frames/s over that window.
window() {
    local p0 x0 f0 t0 p1 x1 f1 t1
    p0=$(cpu_ticks "$SKYROLL_PID") x0=$(cpu_ticks "$XVFB_PID") f0=$(frames_shown) t0=$(now)
    sleep "$1"
    p1=$(cpu_ticks "$SKYROLL_PID") x1=$(cpu_ticks "$XVFB_PID") f1=$(frames_shown) t1=$(now)
    local w
    w=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    WINDOW="$(share $((p1 - p0)) "$w") $(share $((x1 - x0)) "$w") $(awk -v n=$((f1 - f0)) -v w="$w" 'BEGIN { printf "%.0f", n / w }')"
}

# REFRESH_GAP=1: instead of the table, the longest gap between two frames at
# "MAXIMUM" (tour off) while the live weather is asked again: REFRESH=10, so
# the first periodic refresh comes ten minutes after the start, from a
# loopback stand-in for the service that answers it after SERVICE_DELAY
# seconds (default 5); beside it, the longest gap of the minute before.
if [[ ${REFRESH_GAP:-0} == 1 ]]; then
    answer="$repo/tests/data/weather/live/forecast.json"
    python3 - "$SKYROLL_ENV_TMP" "$answer" "${SERVICE_DELAY:-5}" <<'PY' &
import http.server, socketserver, sys, time
tmp, answer, delay = sys.argv[1], open(sys.argv[2], 'rb').read(), float(sys.argv[3])
class Service(http.server.BaseHTTPRequestHandler):
    count = 0
    def do_GET(self):
        Service.count += 1
        asked = time.time()
        if Service.count > 1: time.sleep(delay)  # the start-up's request is answered at once
        self.send_response(200)
        self.send_header('Content-Type', 'application/json')
        self.send_header('Content-Length', str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)
        with open(tmp + '/requests', 'a') as log: log.write('%f %f\n' % (asked, time.time()))
    def log_message(self, *args): pass
class Server(socketserver.ThreadingMixIn, http.server.HTTPServer): daemon_threads = True
server = Server(('127.0.0.1', 0), Service)
open(tmp + '/port.new', 'w').write(str(server.server_port))
__import__('os').rename(tmp + '/port.new', tmp + '/port')
server.serve_forever()
PY
    SKYROLL_ENV_PIDS+=($!)
    skyroll_wait_until 10 test -s "$SKYROLL_ENV_TMP/port" || { echo "the service stand-in did not start" >&2; exit 1; }
    SITES_INI="[SITES]\r\nLIVE=http://127.0.0.1:$(cat "$SKYROLL_ENV_TMP/port")\r\nREFRESH=10\r\n"
    echo "waiting for the first periodic refresh, ten minutes after the start ..." >&2
    start 0 on frames
    tour_off
    skyroll_wait_until 700 awk 'END { exit NR < 2 }' "$SKYROLL_ENV_TMP/requests" ||
        { echo "no periodic refresh" >&2; exit 1; }
    sleep 1
    stop
    read -r asked answered < <(sed -n 2p "$SKYROLL_ENV_TMP/requests")
    # Frame times are the program's own (seconds from its start); the
    # service's are wall-clock seconds, taken to the program's clock through
    # the moment it was started.
    grep 'shown fSky_Roll.Picture1' "$SKYROLL_ENV_TMP/skyroll.log" | awk -v s="$STARTED" -v a="$asked" -v b="$answered" '
        { t = $1 + 0; if (n++) { gap = t - last; mid = last + s
              if (mid >= a - 0.2 && mid <= b + 0.5) { if (gap > during) during = gap; frames++ }
              else if (mid >= a - 60.2 && mid < a - 0.2 && gap > before) before = gap }
          last = t }
        END { printf "request in flight %.1f s; frames shown meanwhile %d\n", b - a, frames
              printf "longest frame gap during the refresh: %.1f ms; in the minute before: %.1f ms\n", during * 1000, before * 1000 }'
    exit 0
fi

declare -A figure
for cache in on off; do
    echo "measuring with the cache $cache ..." >&2
    # Start to first frame: the middle one of three starts. Frames shown,
    # counted from the frame trace of the third.
    firsts=()
    for attempt in 1 2 3; do
        ((attempt > 1)) && stop
        start 0 "$cache" frames
        firsts+=("$FIRST")
    done
    figure[first_$cache]=$(printf '%s\n' "${firsts[@]}" | sort -n | awk 'NR == 2 { printf "%.0f", $1 * 1000 }')
    tour_off
    sleep 1
    window "$max_seconds"
    read -r _ _ figure[fps_$cache] <<<"$WINDOW"
    stop

    # Processor time and memory with no trace, as a user runs it.
    start 0 "$cache" quiet
    tour_off
    window "$max_seconds"
    read -r figure[maxcpu_$cache] figure[maxx_$cache] _ <<<"$WINDOW"
    rest=$(awk -v s="$STARTED" -v e="$(now)" -v r="$rss_after" 'BEGIN { d = r - (e - s); print (d > 0 ? d : 0) }')
    sleep "$rest"
    figure[rss_$cache]=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$SKYROLL_PID/status")
    stop

    # The steady state at "NORMAL": from the second turn on (the first reads
    # every frame).
    start 2 "$cache" quiet
    window "$normal_seconds"
    read -r figure[normcpu_$cache] figure[normx_$cache] _ <<<"$WINDOW"
    stop
done

wait_ms="n/a"
benchmark="$(dirname "$program")/skyroll_qt_benchmark"
if [[ -x "$benchmark" ]]; then
    wait_ms=$(QT_QPA_PLATFORM=xcb "$benchmark" --benchmark_format=csv 2>/dev/null |
        awk -F, '/BM_WaitOneAndAHalfSeconds/ { printf "%.2f", $4 }')
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
row() { printf '| %-34s | %10s | %10s | %6s |\n' "$@"; }
echo
echo "Skyroll desktop benchmark: $program"
echo "$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), load average $(cut -d' ' -f1-3 /proc/loadavg)"
row "figure" "cache on" "cache off" "on/off"
row "----------------------------------" "----------" "----------" "------"
row "frames/s at MAXIMUM" "${figure[fps_on]}" "${figure[fps_off]}" "$(ratio "${figure[fps_on]}" "${figure[fps_off]}")"
row "program CPU % at MAXIMUM" "${figure[maxcpu_on]}" "${figure[maxcpu_off]}" "$(ratio "${figure[maxcpu_on]}" "${figure[maxcpu_off]}")"
row "X server CPU % at MAXIMUM" "${figure[maxx_on]}" "${figure[maxx_off]}" "$(ratio "${figure[maxx_on]}" "${figure[maxx_off]}")"
row "program CPU % at NORMAL (${normal_seconds} s)" "${figure[normcpu_on]}" "${figure[normcpu_off]}" "$(ratio "${figure[normcpu_on]}" "${figure[normcpu_off]}")"
row "X server CPU % at NORMAL" "${figure[normx_on]}" "${figure[normx_off]}" "$(ratio "${figure[normx_on]}" "${figure[normx_off]}")"
row "CPU ms of a 1.5 s wait" "$wait_ms" "" ""
row "start to first frame, ms" "${figure[first_on]}" "${figure[first_off]}" "$(ratio "${figure[first_on]}" "${figure[first_off]}")"
row "resident memory after ${rss_after} s, MB" "${figure[rss_on]}" "${figure[rss_off]}" "$(ratio "${figure[rss_on]}" "${figure[rss_off]}")"
