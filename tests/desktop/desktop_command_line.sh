#!/usr/bin/env bash
# The command line: --version and --help answer without a display; an unknown
# option or a stray argument prints the usage on standard error with status
# 2; Qt's own options still work (-platform for the errors, -display to start
# on a display named only on the command line).
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require Xvfb xdotool xdpyinfo
skyroll_env_init
out="$SKYROLL_ENV_TMP/out" err="$SKYROLL_ENV_TMP/err"

# A display the program could reach would hide a window opened by mistake.
unset DISPLAY WAYLAND_DISPLAY
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$SKYROLL_ENV_TMP/runtime" XDG_CACHE_HOME="$SKYROLL_ENV_TMP/cache"
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
app="$SKYROLL_ENV_TMP/app"
mkdir -p "$app/SKR20/PALAM"
cp "$SKYROLL_BIN" "$app/skyroll"
data="$(dirname "$SKYROLL_BIN")/SKR20"
for folder in earth moon BACK WEATHER; do ln -s "$data/$folder" "$app/SKR20/$folder"; done
printf '[SITES]\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' >"$app/SKR20/PALAM/EARTH.INI"
skyroll_start_program "$app/skyroll" -display "$display"
export DISPLAY=$display
skyroll_globe_window >/dev/null || fail "no globe window with -display $display"
kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "SIGTERM gave status $status"
echo "PASS"
