#!/usr/bin/env bash
# The run command of the README, as a new user on a machine without a display
# types it: `bash scripts/run.sh` from the top of the source tree. It builds
# the release preset when needed, runs the program on a private display for
# SKYROLL_RUN_SECONDS (3 here), and must end with status 0 and leave a
# screenshot that shows the globe.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
out=$(mktemp)

# The program in the build folder reads SKR20/PALAM/EARTH.INI there. For this
# run its weather sites are a closed loopback port, so that the test never
# reaches the internet; whatever file was there before is put back after.
build="$repo/build/release"
[[ -f "$build/CMakeCache.txt" ]] || cmake --preset release >/dev/null
cmake --build "$build" --target skyroll skyroll_data -j2 >/dev/null
ini="$build/bin/SKR20/PALAM/EARTH.INI"
mkdir -p "$(dirname "$ini")"
saved=""
if [[ -e "$ini" ]]; then
    saved=$(mktemp)
    cp -p "$ini" "$saved"
fi
restore() {
    rm -f "$out"
    if [[ -n "$saved" ]]; then mv "$saved" "$ini"; else rm -f "$ini"; fi
}
trap restore EXIT
printf '[SITES]\r\nSOURCE=pages\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' >"$ini"

env -u DISPLAY SKYROLL_RUN_SECONDS="${SKYROLL_RUN_SECONDS:-3}" bash scripts/run.sh >"$out" 2>&1
status=$?
fail() {
    echo "FAIL: $*"
    tail -n 30 "$out"
    exit 1
}
((status == 0)) || fail "bash scripts/run.sh exited with status $status"
shot=$(sed -n 's/^Screenshot: //p' "$out")
[[ -n "$shot" && -s "$shot" ]] || fail "no screenshot"
# With no stored place the globe opens at the upper right of the 1024 x 768
# display, 20 pixels from the top and the right: its centre is (914, 111).
centre=$(convert "$shot" -format '%[pixel:p{914,111}]' info:)
[[ "$centre" != "srgb(0,0,0)" && "$centre" != "black" ]] || fail "the globe's centre is black in $shot"
echo "PASS: status 0, screenshot $shot, globe centre $centre"
