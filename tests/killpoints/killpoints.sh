#!/usr/bin/env bash
# Kill points: the desktop program on a private X server with a tray host and
# a known root colour, ended by SIGTERM at random moments of start-up, of a
# refresh against a server that never answers, of a city display, with the
# space wallpaper on, with the settings dialog open and with the moon open,
# and by SIGKILL in the middle of a settings write and of a wallpaper switch.
# After every point the tray icon is gone, the user's root colour is back
# (after SIGKILL: after the next start and exit), EARTH.INI is the old or the
# new file byte for byte, WEATHER.INI is the previous file or a whole one, and
# no temporary file of ours is left (after SIGKILL: once the next start has
# run).
#
# usage: killpoints.sh path/to/skyroll [SEED [COUNT]]
# SKYROLL_KILLPOINTS_KEEP=DIR keeps the logs of a failed point there.
set -u
source "$(dirname "$0")/../desktop/desktop_common.sh"
SEED=${2:-1}
COUNT=${3:-50}
skyroll_require xsetroot xprop python3 cc trayer
RANDOM=$SEED

desktop_prepare tray
# No desktop session: the root window is the wallpaper.
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
USER_COLOR='#c0a030'
xsetroot -solid "$USER_COLOR"
user_rgb=$(convert xc:"$USER_COLOR" -format '%[pixel:p{0,0}]' info:)

tmp=$SKYROLL_ENV_TMP
app="$tmp/app"
palam="$app/SKR20/PALAM"
ini="$palam/EARTH.INI"
weather="$palam/WEATHER.INI"
state="$tmp/state/skyroll"
record="$state/wallpaper-record"
export XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" XDG_STATE_HOME="$tmp/state"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The application folder: a copy of the executable beside links to the data.
data="$(cd "$(dirname "$SKYROLL_BIN")" && pwd)/SKR20"
mkdir -p "$palam"
cp "$SKYROLL_BIN" "$app/skyroll"
for folder in earth moon BACK WEATHER; do ln -sfn "$data/$folder" "$app/SKR20/$folder"; done

# The library that ends the program inside a file's replacement.
shim="$tmp/kill_in_write.so"
cc -shared -fPIC -O1 -o "$shim" "$(dirname "$0")/kill_in_write.c" -ldl || { echo "FAIL: the kill library did not build"; exit 1; }

# A loopback server that accepts connections and never answers (it keeps the
# last 200 open).
site="$tmp/silent"
mkdir -p "$site"
python3 -c '
import socket, sys, os
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(64)
open(sys.argv[1] + "/port.tmp", "w").write(str(server.getsockname()[1]))
os.rename(sys.argv[1] + "/port.tmp", sys.argv[1] + "/port")
held = []
while True:
    connection, _ = server.accept()
    held = held[-199:] + [connection]
    with open(sys.argv[1] + "/accepted", "a") as log:
        log.write("accepted\n")
' "$site" &
SKYROLL_ENV_PIDS+=($!)
skyroll_wait_until 5 test -s "$site/port" || { echo "FAIL: the silent server did not start"; exit 1; }
touch "$site/accepted"
silent="127.0.0.1:$(cat "$site/port")"

# earth_ini SPEED SITE: a settings file (CR LF lines).
earth_ini() { printf '[SPEED]\r\nROLLSPEED=%s\r\n[SITES]\r\nWORLD=%s\r\nJAPAN=%s\r\n' "$1" "$2" "$2"; }

point=0
tried=0
losses=0
situation=""

lose() {
    echo "LOSS at point $point ($situation): $*"
    losses=$((losses + 1))
    if [[ -n "${SKYROLL_KILLPOINTS_KEEP:-}" ]]; then
        mkdir -p "$SKYROLL_KILLPOINTS_KEEP/point-$point"
        cp -r "$tmp/skyroll.log" "$palam" "$state" "$SKYROLL_KILLPOINTS_KEEP/point-$point/" 2>/dev/null
    else
        grep -v 'shown f' "$tmp/skyroll.log" | tail -n 15
    fi
}

# A random delay of 0 to $1 milliseconds, as seconds for sleep.
delay() {
    local ms=$((RANDOM % ($1 + 1)))
    printf '%d.%03d' $((ms / 1000)) $((ms % 1000))
}

# start [VAR=VALUE...]: the program with these further variables, not waited
# for; its process id is taken off the clean-up list once it has ended.
pids_before=0
start() {
    pids_before=${#SKYROLL_ENV_PIDS[@]}
    local saved=("$@")
    (($#)) && export "${saved[@]}"
    skyroll_start_program "$app/skyroll"
    for variable in "${saved[@]}"; do unset "${variable%%=*}"; done
}
# start_at STEP FOLDER: the program, with the kill library set to kill it at
# STEP of a file replaced in FOLDER; "timed" is a plain start (the kill comes
# from the script). The shell gives no job notice for the kill.
start_at() {
    if [[ $1 == timed ]]; then
        start
    else
        start LD_PRELOAD="$shim" SKYROLL_KILL_FOLDER="$2" SKYROLL_KILL_STEP="$1" \
            ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}verify_asan_link_order=0"
    fi
    disown "$SKYROLL_PID"
}
ended() {
    SKYROLL_ENV_PIDS=("${SKYROLL_ENV_PIDS[@]:0:$pids_before}")
}

root_pixel() {
    import -window root "$tmp/shot.png" 2>/dev/null && pixel "$tmp/shot.png" 100 100
}
shows_user() { [[ "$(root_pixel)" == "$user_rgb" ]]; }
shows_space() {
    local p
    p=$(root_pixel) || return 1
    [[ "$p" != "$user_rgb" ]] && [[ "$(convert xc:"$p" -format '%[fx:int(255*luminance)]' info:)" -lt 80 ]]
}
icon_embedded() { xwininfo -tree -root | grep -i 'skyroll' | grep -qv Selection; }
leftovers() { find "$palam" "$state" -maxdepth 1 \( -name '.skyroll-*.tmp' -o -name 'WEATHER.INI.new' \) 2>/dev/null; }

# The tray icon's centre, once it is embedded.
icon() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        geometry "$w"
        if ((WIDTH <= 64 && HEIGHT <= 64 && WIDTH > 1)); then
            echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
            return 0
        fi
    done
    return 1
}
# choose KEYS...: opens the tray menu and types the keys.
choose() {
    local at
    at=$(icon) || return 1
    # A press within the double-click time of the last one opens no menu.
    sleep 0.5
    # shellcheck disable=SC2086
    xdotool mousemove $at mousedown 3
    skyroll_wait_until 5 menu_open || { xdotool mouseup 3; return 1; }
    xdotool mouseup 3
    xdotool key "$@"
}
# The program is up: the tray icon is embedded and the globe turns.
up() {
    GLOBE=$(skyroll_globe_window) && skyroll_wait_until 15 icon && skyroll_wait_log 'shown fSky_Roll.Picture1' 30
}

# The state every point starts from and is compared with.
fresh() {
    earth_ini "$1" "$2" >"$ini"
    cp "$ini" "$tmp/old.ini"
    rm -f "$tmp/new.ini"
    if [[ -f "$weather" ]]; then cp "$weather" "$tmp/old-weather.ini"; else rm -f "$tmp/old-weather.ini"; fi
}

# What must hold once the program is gone and every picture is given back.
check_files() {
    if ! cmp -s "$ini" "$tmp/old.ini" && ! { [[ -f "$tmp/new.ini" ]] && cmp -s "$ini" "$tmp/new.ini"; }; then
        lose "EARTH.INI is neither the old nor the new file: $(cat -A "$ini" 2>&1 | head -c 300)"
    fi
    if [[ -e "$weather" ]] && ! { [[ -f "$tmp/old-weather.ini" ]] && cmp -s "$weather" "$tmp/old-weather.ini"; }; then
        [[ "$(head -n1 "$weather")" == $'[WEATHER]\r' && $(wc -l <"$weather") -eq 29 ]] &&
            [[ $(tail -n +2 "$weather" | LC_ALL=C grep -c $'^[^=\r]*=[^\r]*\r$') -eq 28 ]] ||
            lose "WEATHER.INI is not whole: $(head -c 200 "$weather" | cat -A)"
    fi
    [[ -z "$(leftovers)" ]] || lose "temporary files are left: $(leftovers)"
}
check_desktop() {
    skyroll_wait_until 5 bash -c '! xwininfo -tree -root | grep -i skyroll | grep -qv Selection' ||
        lose "the tray icon is still embedded"
    skyroll_wait_until 5 shows_user || lose "the root shows $(root_pixel), not the user's colour"
    [[ ! -e "$record" ]] || lose "the crash record is left"
}

# term: SIGTERM, then the program must end cleanly. Before its handler is
# installed a signal ends it at once, which is clean too while it has
# shown nothing.
term() {
    kill -TERM "$SKYROLL_PID"
    skyroll_wait_exit 15
    local status=$?
    ended
    if ((status == 124)); then
        lose "the program did not end within 15 s of SIGTERM"
        kill -KILL "$SKYROLL_PID" 2>/dev/null
    elif ((status == 143)); then
        grep -q 'tray: added' "$tmp/skyroll.log" && lose "SIGTERM ended the program by its default action"
    elif ((status != 0)); then
        lose "SIGTERM gave status $status"
    fi
    check_desktop
    check_files
}

# sigkill: SIGKILL (or the kill library's), then the next start and exit
# mend what it left.
left=0
sigkill() {
    kill -KILL "$SKYROLL_PID" 2>/dev/null
    skyroll_wait_pid_gone "$SKYROLL_PID" 10 || lose "SIGKILL did not end the program"
    ended
    if [[ -n "$(leftovers)" ]]; then
        left=$((left + 1))
    elif [[ ${1:-} == leftover ]]; then
        lose "the kill inside the write left no temporary file"
    fi
    start
    if up; then
        check_files_now=$(leftovers)
        [[ -z "$check_files_now" ]] || lose "the next start left temporary files: $check_files_now"
    else
        lose "the next start did not come up"
    fi
    term
}

# The situations, taken in turn; the moment inside each is random. The two
# SIGKILL situations take the kill library's steps in turn, then a kill at a
# random moment after the request.
situations=(startup refresh city space dialog moon startup space dialog moon write_kill switch_kill)
kill_steps=(write rename renamed timed)
kill_turn=0

run_point() {
    case $situation in
    startup)
        fresh 4 127.0.0.1:1
        start
        sleep "$(delay 2500)"
        term
        ;;
    refresh)
        fresh 4 "$silent"
        local before
        before=$(wc -l <"$site/accepted")
        start
        skyroll_wait_until 20 bash -c "(( \$(wc -l <'$site/accepted') > $before ))" ||
            lose "the refresh did not ask the server"
        sleep "$(delay 2000)"
        term
        ;;
    city)
        # At the highest speed a city comes within a turn or two.
        fresh 0 127.0.0.1:1
        start
        skyroll_wait_log 'shown fSky_Roll.Image1' 30 || lose "no city was displayed"
        sleep "$(delay 1400)"
        term
        ;;
    space)
        fresh 4 127.0.0.1:1
        start
        up || lose "the program did not come up"
        choose Down Right Down Return || lose "no menu"
        sleep "$(delay 1500)"
        term
        ;;
    dialog)
        fresh 4 127.0.0.1:1
        start
        up || lose "the program did not come up"
        choose Down Right Return || lose "no menu"
        skyroll_window 'Skyroll 初期設定' >/dev/null || lose "the dialog did not open"
        sleep "$(delay 1500)"
        term
        ;;
    moon)
        fresh 4 127.0.0.1:1
        start
        up || lose "the program did not come up"
        choose Down Right Down Down Down Return || lose "no menu"
        sleep "$(delay 1500)"
        term
        ;;
    write_kill)
        # 左下 and 超高速 in the settings dialog and OK: the program writes
        # DISPPOS=4 and ROLLSPEED=0, in one replacement of the file.
        fresh 4 127.0.0.1:1
        local step=${kill_steps[kill_turn++ / 2 % 4]}
        situation="write_kill/$step"
        start_at "$step" "$palam"
        up || lose "the program did not come up"
        cp "$tmp/expected.ini" "$tmp/new.ini"
        choose Down Right Return || lose "no menu"
        skyroll_window 'Skyroll 初期設定' >/dev/null || lose "the dialog did not open"
        xdotool mousemove $((304 + 282 + 8)) $((279 + 44 + 9)) click 1
        xdotool mousemove $((304 + 80 + 8)) $((279 + 120 + 7)) click 1
        xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
        [[ $step == timed ]] && sleep "$(delay 60)"
        if [[ $step == timed ]]; then
            sigkill
        else
            skyroll_wait_pid_gone "$SKYROLL_PID" 10 || lose "the kill library did not end the program"
            [[ $step == renamed ]] && ! cmp -s "$ini" "$tmp/new.ini" && lose "the file renamed in place is not the new one"
            [[ $step != renamed ]] && ! cmp -s "$ini" "$tmp/old.ini" && lose "the file is not the old one before the rename"
            sigkill "$([[ $step != renamed ]] && echo leftover)"
        fi
        ;;
    switch_kill)
        fresh 4 127.0.0.1:1
        local step=${kill_steps[kill_turn++ / 2 % 4]}
        situation="switch_kill/$step"
        start_at "$step" "$state"
        up || lose "the program did not come up"
        choose Down Right Down Return || lose "no menu"
        if [[ $step == timed ]]; then
            sleep "$(delay 400)"
        else
            skyroll_wait_pid_gone "$SKYROLL_PID" 10 || lose "the kill library did not end the program"
        fi
        sigkill "$([[ $step == write || $step == rename ]] && echo leftover)"
        ;;
    esac
}

# The new settings file of the write points, from one run that writes it.
fresh 4 127.0.0.1:1
start
up || fail "the program did not come up"
choose Down Right Return || fail "no menu"
skyroll_window 'Skyroll 初期設定' >/dev/null || fail "the dialog did not open"
xdotool mousemove $((304 + 282 + 8)) $((279 + 44 + 9)) click 1
xdotool mousemove $((304 + 80 + 8)) $((279 + 120 + 7)) click 1
xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
skyroll_wait_log 'unload fSetting' 10 || fail "OK did not close the dialog"
cp "$ini" "$tmp/expected.ini"
cp "$ini" "$tmp/new.ini"
cmp -s "$ini" "$tmp/old.ini" && fail "the dialog wrote nothing"
grep -q '^DISPPOS=4' "$ini" && grep -q '^ROLLSPEED=0' "$ini" || fail "the dialog did not store both choices"
situation=reference
term

started=$SECONDS
for ((point = 1; point <= COUNT; point++)); do
    situation=${situations[(point - 1) % ${#situations[@]}]}
    run_point
    tried=$((tried + 1))
done
echo "kill points: seed $SEED, $tried tried, $losses losses, $left SIGKILLs left a temporary file" \
    "(each removed by the next start), $((SECONDS - started)) s"
((losses == 0)) || exit 1
echo "PASS"
