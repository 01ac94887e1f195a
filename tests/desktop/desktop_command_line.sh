#!/usr/bin/env bash
# The command line: --version and --help answer without a display; an unknown
# option or a stray argument prints the usage on standard error with status
# 2; Qt's own options still work (-platform for the errors, -display to start
# on a display named only on the command line). The program finds its SKR20
# beside its executable in a folder whose name is not UTF-8, started from
# another folder; a second start for the same user says so and ends with
# status 0, touching no file.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require Xvfb xdotool xdpyinfo
skyroll_env_init
out="$SKYROLL_ENV_TMP/out" err="$SKYROLL_ENV_TMP/err"

# A display the program could reach would hide a window opened by mistake.
unset DISPLAY WAYLAND_DISPLAY
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$SKYROLL_ENV_TMP/runtime" XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache"
export XDG_STATE_HOME="$SKYROLL_ENV_TMP/state" XDG_CONFIG_HOME="$SKYROLL_ENV_TMP/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$SKYROLL_BIN" --version >"$out" 2>"$err" || fail "--version: status $?"
grep -qx 'Skyroll 2\.0\.0' "$out" || fail "--version printed: $(cat "$out")"
"$SKYROLL_BIN" --help >"$out" 2>"$err" || fail "--help: status $?"
grep -q '^Usage: skyroll' "$out" && grep -q -- '--version' "$out" || fail "--help printed: $(cat "$out")"
[[ ! -s "$err" ]] || fail "--help wrote to standard error: $(cat "$err")"

for args in "--no-such-option" "-q" "stray"; do
    "$SKYROLL_BIN" -platform offscreen $args >"$out" 2>"$err"
    status=$?
    [[ $status -eq 2 ]] || fail "$args: status $status"
    grep -q "'$args'" "$err" && grep -q '^Usage: skyroll' "$err" || fail "$args: standard error: $(cat "$err")"
    [[ ! -s "$out" ]] || fail "$args: wrote to standard output"
done

# -display is Qt's: the program starts on that display with no DISPLAY set.
skyroll_start_xvfb 640x480 || exit 1
display=$DISPLAY
unset DISPLAY
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
skyroll_globe_window >/dev/null || fail "no globe window with -display $display from $app"

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
echo "PASS"
