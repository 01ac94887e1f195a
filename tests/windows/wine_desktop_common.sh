# The start that the tests of skyroll.exe on an X server share; sourced after
# `set -u`, with the tools the test needs already required:
# - a temporary folder ($tmp, removed at exit) and the program's log ($log);
# - fail MESSAGE: says what failed with the log's last lines, and exits 1;
# - a Wine prefix: SKYROLL_WINE_DIR's, already made, or one of the test's
#   own, made now and stopped at exit;
# - an X server: SKYROLL_TEST_DISPLAY's, or a private 1024 x 768 Xvfb;
# - wine_run: the command prefix of every Wine command on that display.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/desktop-test-env.sh"
source "$repo/scripts/wine-env.sh"

skyroll_env_init
tmp=$SKYROLL_ENV_TMP
log=$tmp/skyroll.log
own_prefix=""

fail() {
    echo "FAIL: $*"
    echo "--- program log (last lines)"
    grep -v 'shown f[A-Za-z_]*.Picture1 [EM]' "$log" 2>/dev/null | tail -n 20
    exit 1
}
stop_own_prefix() { [[ -n "$own_prefix" ]] && wine_env_stop; }
trap 'skyroll_env_cleanup; stop_own_prefix' EXIT

if [[ -n "${SKYROLL_WINE_DIR:-}" ]]; then
    wine_env_init "$SKYROLL_WINE_DIR" || fail "the Wine folder $SKYROLL_WINE_DIR"
else
    own_prefix=1
    wine_env_init "$tmp/wine" || fail "localedef ja_JP.UTF-8"
    wine_env_boot >"$tmp/wineboot.log" 2>&1 || fail "wineboot could not make the prefix"
fi
if [[ -n "${SKYROLL_TEST_DISPLAY:-}" ]]; then
    export DISPLAY=$SKYROLL_TEST_DISPLAY
else
    skyroll_start_xvfb 1024x768 || fail "Xvfb did not start"
fi
wine_run=("${wine_env[@]}" DISPLAY="$DISPLAY")
