#!/usr/bin/env bash
# Builds skyroll when needed and starts it from the build folder on the
# user's desktop. Without a reachable display it says so, starts a private
# X server (Xvfb, 96 dpi, -noreset) with the tray host trayer, lets the
# program run there for about 20 seconds, takes a screenshot, prints where it
# is, and ends the program cleanly. Exits with the program's own status.
#
#   scripts/run.sh            build with the "release" preset and run
#   SKYROLL_PRESET=debug scripts/run.sh
#   SKYROLL_BUILD_DIR=path scripts/run.sh   an existing build folder
#   SKYROLL_RUN_SECONDS=5 scripts/run.sh    a shorter run on the private display
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
preset=${SKYROLL_PRESET:-release}
build=${SKYROLL_BUILD_DIR:-"$repo/build/$preset"}
program="$build/bin/skyroll"
run_seconds=${SKYROLL_RUN_SECONDS:-20}
[[ "$run_seconds" =~ ^[0-9]+$ ]] || { echo "SKYROLL_RUN_SECONDS must be a whole number of seconds" >&2; exit 2; }

cd "$repo"
[[ -f "$build/CMakeCache.txt" ]] || cmake --preset "$preset"
cmake --build "$build" --target skyroll -j2

display_reachable() { [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; }

if display_reachable; then
    echo "Starting $program on $DISPLAY"
    exec "$program"
fi

echo "No reachable display (DISPLAY='${DISPLAY:-}'): running on a private Xvfb for about $run_seconds s."
source "$repo/scripts/desktop-test-env.sh"
skyroll_require Xvfb xdpyinfo import
skyroll_env_init
skyroll_start_xvfb 1024x768
if command -v trayer >/dev/null 2>&1; then
    skyroll_start_tray || echo "trayer did not start; the menu opens with a right press on the globe"
else
    echo "trayer is not installed; the menu opens with a right press on the globe"
fi
# A state folder of its own, so that a Skyroll already running for this user
# does not keep this one from starting.
export XDG_STATE_HOME="$SKYROLL_ENV_TMP/state"
skyroll_start_program "$program"
SECONDS=0
while ((SECONDS < run_seconds)) && kill -0 "$SKYROLL_PID" 2>/dev/null; do sleep 0.5; done

shot="$build/skyroll-screenshot.png"
import -window root "$shot"
echo "Screenshot: $shot"
if kill -TERM "$SKYROLL_PID" 2>/dev/null; then
    skyroll_wait_exit 10 && status=0 || status=$?
    echo "skyroll ended with status $status"
else
    wait "$SKYROLL_PID" && status=0 || status=$?
    echo "skyroll had already ended with status $status; its log:"
    tail -n 20 "$SKYROLL_ENV_TMP/skyroll.log"
fi
exit "$status"
