#!/usr/bin/env bash
# The command line: --version and --help answer without a display; an unknown
# option, an option without its value or a stray argument prints the usage on
# standard error with status 2, with or without a display. No display, a
# display that cannot be opened, an unknown platform and a Wayland session
# without XWayland are one message each and status 1, writing nothing. Qt's
# own options still work: -display starts the program on a display named only
# on the command line, and the space picture goes to that display's root, not
# to DISPLAY's. The program finds its SKR20 beside its executable in a folder
# whose name is not UTF-8, started from another folder; a second start for the
# same user says so and ends with status 0, touching no file. A lock file that
# cannot be opened (a folder, another user's file, a folder the user cannot
# write) is named with the reason, in the message window too, with status 1.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require Xvfb xdotool xdpyinfo xsetroot import setpriv
skyroll_env_init
out="$SKYROLL_ENV_TMP/out" err="$SKYROLL_ENV_TMP/err"

# A display the program could reach would hide a window opened by mistake.
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$SKYROLL_ENV_TMP/runtime" XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache"
export XDG_STATE_HOME="$SKYROLL_ENV_TMP/state" XDG_CONFIG_HOME="$SKYROLL_ENV_TMP/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$SKYROLL_BIN" --version >"$out" 2>"$err" || fail "--version: status $?"
grep -qx 'Skyroll 2\.0\.0' "$out" || fail "--version printed: $(cat "$out")"
"$SKYROLL_BIN" --help >"$out" 2>"$err" || fail "--help: status $?"
grep -q '^Usage: skyroll' "$out" && grep -q -- '--version' "$out" || fail "--help printed: $(cat "$out")"
[[ ! -s "$err" ]] || fail "--help wrote to standard error: $(cat "$err")"

for args in "--no-such-option" "-q" "stray" "-platform" "-reverse -display"; do
    for platform in "" "-platform offscreen"; do
        # shellcheck disable=SC2086
        "$SKYROLL_BIN" $platform $args >"$out" 2>"$err"
        status=$?
        [[ $status -eq 2 ]] || fail "$platform $args: status $status"
        grep -q "'${args##* }'" "$err" && grep -q '^Usage: skyroll' "$err" ||
            fail "$platform $args: standard error: $(cat "$err")"
        [[ ! -s "$out" ]] || fail "$platform $args: wrote to standard output"
    done
done

# What cannot be opened: one line naming it, status 1, no file written.
cannot_open() {
    local expected=$1
    shift
    "$@" >"$out" 2>"$err"
    status=$?
    [[ $status -eq 1 ]] || fail "$*: status $status: $(cat "$err")"
    [[ $(wc -l <"$err") -eq 1 ]] && grep -q "$expected" "$err" || fail "$*: standard error: $(cat "$err")"
    [[ ! -s "$out" ]] || fail "$*: wrote to standard output"
}
cannot_open 'cannot open an X display: DISPLAY is not set' "$SKYROLL_BIN"
cannot_open 'cannot open the platform "nosuch"' "$SKYROLL_BIN" -platform nosuch
cannot_open 'cannot open the platform "nosuch"' env QT_QPA_PLATFORM=nosuch "$SKYROLL_BIN"
cannot_open 'cannot open the X display ":4711"' "$SKYROLL_BIN" -display :4711
cannot_open 'needs XWayland' env WAYLAND_DISPLAY=wayland-skyroll-none "$SKYROLL_BIN"
cannot_open 'needs XWayland' env XDG_SESSION_TYPE=wayland "$SKYROLL_BIN"
[[ -z "$(ls -A "$SKYROLL_ENV_TMP" | grep -v -e '^runtime$' -e '^out$' -e '^err$')" ]] ||
    fail "a start that could not open its display wrote: $(ls -A "$SKYROLL_ENV_TMP")"

# -display is Qt's: the program starts on that display, and the space
# picture goes to its root, while DISPLAY names another X server.
root_colour() { DISPLAY=$1 import -window root -crop 1x1+100+100 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}'; }
skyroll_start_xvfb 640x480 || exit 1
display=$DISPLAY
xsetroot -solid '#C0A030'
skyroll_start_xvfb 640x480 || exit 1
other=$DISPLAY
xsetroot -solid '#30A0C0'
app="$SKYROLL_ENV_TMP/app-"$'\xff\xfe'
mkdir -p "$app/SKR20/PALAM"
cp "$SKYROLL_BIN" "$app/skyroll"
data="$(cd "$(dirname "$SKYROLL_BIN")" && pwd)/SKR20"
for folder in earth moon BACK WEATHER; do ln -s "$data/$folder" "$app/SKR20/$folder"; done
printf '[SITES]\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' >"$app/SKR20/PALAM/EARTH.INI"
mkdir "$SKYROLL_ENV_TMP/elsewhere"
cd "$SKYROLL_ENV_TMP/elsewhere"
skyroll_start_program "$app/skyroll" -display "$display"
export DISPLAY=$display
GLOBE=$(skyroll_globe_window) || fail "no globe window with -display $display from $app"
skyroll_wait_log 'activated fSky_Roll' 10 || fail "the globe window was not activated"
skyroll_wait_globe_turns || fail "the globe does not turn"
open_menu
xdotool key Down Right Down Return
skyroll_wait_until 10 bash -c "[[ \$(DISPLAY=$display import -window root -crop 1x1+100+100 -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}') != '#C0A030' ]]" || fail "the space picture is not on $display's root"
[[ $(root_colour "$other") == '#30A0C0' ]] || fail "the space picture went to DISPLAY=$other: $(root_colour "$other")"

# The second start: nothing in the user's folders or the program's changes.
# The first program's own refresh is over once its weather file is there; the
# globe turns during the refresh already.
skyroll_wait_until 60 test -f "$app/SKR20/PALAM/WEATHER.INI" || fail "the first program wrote no weather file"
files_now() { find "$SKYROLL_ENV_TMP/state" "$SKYROLL_ENV_TMP/config" "$SKYROLL_ENV_TMP/cache" "$app" \
    -printf '%p %s %T@\n' 2>/dev/null | sort; }
before=$(files_now)
QT_QPA_PLATFORM=xcb timeout 20 "$app/skyroll" >"$out" 2>"$err"
status=$?
[[ $status -eq 0 ]] || fail "second start: status $status: $(cat "$err")"
grep -q 'already running' "$err" || fail "second start said: $(cat "$err")"
[[ "$(files_now)" == "$before" ]] || fail "second start changed files: $(diff <(echo "$before") <(files_now))"
kill -0 "$SKYROLL_PID" 2>/dev/null || fail "the first program ended"
kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "SIGTERM gave status $status"
[[ $(root_colour "$display") == '#C0A030' ]] || fail "SIGTERM left $display's root at $(root_colour "$display")"

# A lock file that cannot be opened: the message on standard error and in the
# message window, dismissed with the keyboard, then status 1; nothing else of
# the program's is written. LOCK_USER runs the program as an ordinary user.
lock_user=()
(($(id -u) == 0)) && lock_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
unusable_lock() {
    local state=$1 reason=$2
    shift 2
    before=$(files_now)
    XDG_STATE_HOME=$state skyroll_start_program "$@" "$app/skyroll"
    skyroll_wait_until 10 grep -q 'cannot open its lock file' "$SKYROLL_ENV_TMP/skyroll.log" ||
        fail "no lock message: $(cat "$SKYROLL_ENV_TMP/skyroll.log")"
    grep -qF "skyroll: Skyroll cannot open its lock file $state/skyroll/skyroll.lock: $reason" \
        "$SKYROLL_ENV_TMP/skyroll.log" || fail "lock message: $(cat "$SKYROLL_ENV_TMP/skyroll.log")"
    box=$(skyroll_window Skyroll) || fail "no message window for the lock ($reason)"
    xdotool windowfocus --sync "$box" key Return
    skyroll_wait_exit 10
    status=$?
    [[ $status -eq 1 ]] || fail "an unusable lock ($reason) gave status $status"
    [[ "$(files_now)" == "$before" ]] || fail "the start changed files: $(diff <(echo "$before") <(files_now))"
}
mkdir -p "$SKYROLL_ENV_TMP/folder/skyroll/skyroll.lock"
unusable_lock "$SKYROLL_ENV_TMP/folder" "it is not a plain file"
if ((${#lock_user[@]} > 0)); then
    # Left by a start as root; a state folder the user cannot write.
    chmod 755 "$SKYROLL_ENV_TMP" "$app"
    mkdir -p "$SKYROLL_ENV_TMP/sudo/skyroll" "$SKYROLL_ENV_TMP/readonly/skyroll"
    chown nobody "$SKYROLL_ENV_TMP/sudo/skyroll"
    touch "$SKYROLL_ENV_TMP/sudo/skyroll/skyroll.lock"
    chmod 600 "$SKYROLL_ENV_TMP/sudo/skyroll/skyroll.lock"
else
    mkdir -p "$SKYROLL_ENV_TMP/sudo/skyroll" "$SKYROLL_ENV_TMP/readonly/skyroll"
    touch "$SKYROLL_ENV_TMP/sudo/skyroll/skyroll.lock"
    chmod 000 "$SKYROLL_ENV_TMP/sudo/skyroll/skyroll.lock"
    chmod 555 "$SKYROLL_ENV_TMP/readonly/skyroll"
fi
unusable_lock "$SKYROLL_ENV_TMP/sudo" "Permission denied" "${lock_user[@]}"
unusable_lock "$SKYROLL_ENV_TMP/readonly" "Permission denied" "${lock_user[@]}"
echo "PASS"
