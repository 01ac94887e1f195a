#!/usr/bin/env bash
# Builds the Windows cross build (mingw-w64) and runs its tests under Wine,
# compares its weather refresh with the Linux build's
# ($SKYROLL_LINUX_WEATHER_REFRESH, by default the release preset's), and runs
# skyroll.exe from the Windows zip on a private X server. The pictures come
# from the Linux release build (target skyroll_data), which must be built
# first.
# Everything happens in a fresh Wine prefix in a temporary folder, with a
# Japanese locale of its own, so that the ANSI code page is 932 as on the
# systems the program is made for; the script fails loudly if it is not.
# Installs nothing: scripts/install-deps.sh lists what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$SECONDS
jobs=$(nproc 2>/dev/null || echo 2)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in x86_64-w64-mingw32-g++-posix wine wineboot wineserver localedef Xvfb xdotool; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (see scripts/install-deps.sh)"
done

source scripts/wine-env.sh
tmp=$(mktemp -d "${TMPDIR:-/tmp}/skyroll-windows.XXXXXX")
boot_pid="" xvfb_pid="" desktop_pid=""
cleanup() {
    [[ -n "$desktop_pid" ]] && kill "$desktop_pid" 2>/dev/null
    [[ -n "$boot_pid" ]] && kill "$boot_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    wine_env_stop
    [[ -z "${SKYROLL_KEEP_TMP:-}" ]] && rm -rf "$tmp"
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

wine_env_init "$tmp" || fail "localedef ja_JP.UTF-8"
prefix=$WINE_PREFIX_DIR

# The prefix is made while the cross build runs.
wine_env_boot >"$tmp/wineboot.log" 2>&1 &
boot_pid=$!

cmake --preset windows >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log" >&2; fail "configure"; }
cmake --build --preset windows -j "$jobs"
build_done=$SECONDS

wait "$boot_pid" || { cat "$tmp/wineboot.log" >&2; fail "wineboot could not make the prefix"; }
boot_pid=""

bin=build/windows/bin
wine_env_check_codepage "$bin/skyroll-codepage.exe" || fail "the code page of the prefix"

# Captions name "ＭＳ Ｐゴシック"; in this prefix it is the proportional IPA font.
"${wine_env[@]}" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f \
    >/dev/null

failed=()
[[ -f "$bin/skyroll.exe" ]] ||
    fail "skyroll.exe was not built: it needs the pictures of a Linux build (build/release, target skyroll_data)"

# The download: skyroll.exe and SKR20 drawn by the Linux build before this
# one (SKYROLL_WINDOWS_DATA); no runtime DLL beside them.
echo "== skyroll-*-windows-x64.zip"
cmake --build --preset windows --target skyroll_windows_zip >"$tmp/zip.log" 2>&1 ||
    { cat "$tmp/zip.log" >&2; failed+=(skyroll_windows_zip); }
zip=$(ls -t build/windows/skyroll-*-windows-x64.zip 2>/dev/null | head -n 1)
python3 tests/windows/check_windows_zip.py "${zip:-no zip}" x86_64-w64-mingw32-objdump ||
    failed+=(check_windows_zip)

# With no display there is no desktop to put a window on: one message and
# status 1, not an abort.
echo "== skyroll.exe without a display"
zip_file=$(realpath -m "${zip:-no zip}")
status=0 said="no zip"
if mkdir -p "$tmp/no-display" && (cd "$tmp/no-display" && cmake -E tar xf "$zip_file"); then
    said=$("${wine_env[@]}" timeout 60 wine "$tmp/no-display/skyroll.exe" 2>&1) || status=$?
fi
[[ $status == 1 && $said == *"Skyroll cannot start: cannot create the window"* ]] ||
    { echo "status $status: $said"; failed+=(skyroll_without_a_display); }

# The toolkit's tests and the program need a display: one X server for the
# prefix, whose desktop process serves one display only. The calls above ran
# without one, and a server they leave running for its few idle seconds would
# keep a desktop process with no display, where no window can be made.
"${wine_env[@]}" wineserver -w
display_fifo=$tmp/displayfd
mkfifo "$display_fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$display_fifo" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 10 display_number <"$display_fifo" || fail "Xvfb did not start"
echo "== win32_toolkit_tests.exe under Wine on display :$display_number"
"${wine_env[@]}" DISPLAY=":$display_number" wine "$bin/win32_toolkit_tests.exe" --gtest_brief=1 ||
    failed+=(win32_toolkit_tests)

# The program from the zip, beside the other tests: it mostly waits for the
# globe to turn.
SKYROLL_WINE_DIR=$tmp SKYROLL_TEST_DISPLAY=":$display_number" bash tests/windows/desktop_under_wine.sh "${zip:-no zip}" ${SKYROLL_SHOTS:+"$SKYROLL_SHOTS"} \
    >"$tmp/desktop.log" 2>&1 &
desktop_pid=$!

for test in cp932_test profile_file_test headless_tests settings_tests forms_tests skyroll_core_tests trace_tests \
    weather_core_tests windows_tests network_tests; do
    echo "== $test.exe under Wine"
    "${wine_env[@]}" wine "$bin/$test.exe" --gtest_brief=1 || failed+=("$test")
done

# The WinHTTP refresh against the libcurl one of the Linux build, on the same
# loopback pages (scripts/test.sh builds the release preset's tool first).
linux_refresh=${SKYROLL_LINUX_WEATHER_REFRESH:-build/release/bin/weather-refresh}
echo "== weather-refresh.exe under Wine against $linux_refresh"
SKYROLL_WINE_DIR=$tmp bash tests/windows/refresh_under_wine.sh "$linux_refresh" "$bin/weather-refresh.exe" ||
    failed+=(refresh_under_wine)

echo "== skyroll.exe from the zip under Wine"
wait "$desktop_pid" || failed+=(desktop_under_wine)
desktop_pid=""
cat "$tmp/desktop.log"

# After the desktop test: one skyroll.exe at a time, on a fresh start of the
# prefix's server. The tests without a display that ran beside the desktop
# test may have left it a desktop process with no display, where no window
# of the next program could be made.
"${wine_env[@]}" wineserver -w
echo "== skyroll.exe stopped by taskkill during its weather refresh"
SKYROLL_WINE_DIR=$tmp SKYROLL_TEST_DISPLAY=":$display_number" bash tests/windows/refresh_stop_under_wine.sh "${zip:-no zip}" ||
    failed+=(refresh_stop_under_wine)
"${wine_env[@]}" wineserver -w
kill "$xvfb_pid" 2>/dev/null
xvfb_pid=""

# The prefix's registry is saved now; the name must have arrived as Unicode.
grep -qF '"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"="IPAPGothic"' "$prefix/user.reg" ||
    fail "the font replacement of ＭＳ Ｐゴシック is not in the prefix's registry"

echo "Windows step: $((SECONDS - start)) s (cross build $((build_done - start)) s)"
((${#failed[@]} == 0)) || fail "under Wine: ${failed[*]}"
