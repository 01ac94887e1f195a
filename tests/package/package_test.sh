#!/usr/bin/env bash
# The Debian package on a real system: installed with apt-get, its desktop
# files validated, /usr/bin/skyroll run under Xvfb by an ordinary user with
# an empty home (the globe turns, the weather file lands in the user's cache,
# nothing is written under /usr, "EXIT" ends it), then removed without a
# trace under /usr. Needs root (it installs a package and adds a user);
# otherwise it says so and skips. Usage: package_test.sh path/to/skyroll_*.deb
set -u
source "$(dirname "$0")/../../scripts/desktop-test-env.sh"

deb=$(realpath "${1:?usage: $0 path/to/skyroll_VERSION_ARCH.deb}")
user=skyroll-package-test

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: the package test installs a package and adds a user: run it as root"
    exit 0
fi
if dpkg -s skyroll >/dev/null 2>&1; then
    echo "SKIP: a package skyroll is already installed here; the test would remove it"
    exit 0
fi
skyroll_require Xvfb xdotool xwininfo xdpyinfo desktop-file-validate appstreamcli setpriv useradd

fail() {
    echo "FAIL: $*"
    [[ -f "$SKYROLL_ENV_TMP/skyroll.log" ]] && { echo "--- program log (last lines)"; tail -n 30 "$SKYROLL_ENV_TMP/skyroll.log"; }
    exit 1
}

skyroll_env_init
cleanup() {
    skyroll_env_cleanup
    dpkg -s skyroll >/dev/null 2>&1 && apt-get purge -y skyroll >/dev/null 2>&1
    id "$user" >/dev/null 2>&1 && userdel "$user" 2>/dev/null
    return 0
}
trap cleanup EXIT

# --- install --------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" \
    >"$SKYROLL_ENV_TMP/apt.log" 2>&1 || { tail -n 20 "$SKYROLL_ENV_TMP/apt.log"; fail "apt-get install failed"; }
mapfile -t owned < <(dpkg -L skyroll)
[[ -x /usr/bin/skyroll ]] || fail "no /usr/bin/skyroll"
[[ -f /usr/share/skyroll/SKR20/earth/EarthMap_44.bmp ]] || fail "no globe frames in /usr/share/skyroll/SKR20"
[[ ! -e /usr/share/skyroll/SKR20/PALAM ]] || fail "the package brings a PALAM folder"
[[ -f /usr/share/man/man1/skyroll.1 ]] || fail "no man page"
[[ -f /usr/share/icons/hicolor/48x48/apps/skyroll.png ]] || fail "no icon"
desktop-file-validate /usr/share/applications/io.github.skyroll.Skyroll.desktop || fail "invalid .desktop file"
appstreamcli validate --no-net /usr/share/metainfo/io.github.skyroll.Skyroll.metainfo.xml >/dev/null ||
    fail "invalid metainfo"
[[ $(/usr/bin/skyroll --version) == "Skyroll "* ]] || fail "--version"

# --- run as an ordinary user with an empty home -----------------------------
home="$SKYROLL_ENV_TMP/home"
useradd --no-create-home --home-dir "$home" --shell /bin/sh "$user" || fail "cannot add the user $user"
mkdir -p "$home" && chmod 755 "$SKYROLL_ENV_TMP"
# The home holds nothing but the settings that keep the test off the
# internet (weather sites on a closed loopback port) and the globe at its
# slowest speed, so that no city of the weather tour disables EXIT.
mkdir -p "$home/.config/skyroll"
printf '[SPEED]\r\nROLLSPEED=4\r\n[SITES]\r\nSOURCE=pages\r\nWORLD=127.0.0.1:1\r\nJAPAN=127.0.0.1:1\r\n' \
    >"$home/.config/skyroll/EARTH.INI"
chown -R "$user:" "$home"
skyroll_start_xvfb 1024x768 || fail "Xvfb did not start"
marker="$SKYROLL_ENV_TMP/started"
touch "$marker"
# setpriv executes the program itself, so its process id is the program's.
setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
    QT_LOGGING_RULES="skyroll.*.debug=true" QT_FORCE_STDERR_LOGGING=1 \
    /usr/bin/skyroll >"$SKYROLL_ENV_TMP/skyroll.log" 2>&1 &
SKYROLL_PID=$!
SKYROLL_ENV_PIDS+=($SKYROLL_PID)

GLOBE=$(skyroll_globe_window) || fail "the globe window did not appear"
# The globe turns once the weather refresh is over (nothing serves the
# sites here, so every page fails at once).
skyroll_wait_log 'shown fSky_Roll.Picture1 EarthMap_' 60 || fail "the globe does not turn"
[[ -s "$home/.cache/skyroll/WEATHER.INI" ]] || fail "no ~/.cache/skyroll/WEATHER.INI"
# With SKYROLL_KEEP_TMP set, the folder it names at the end keeps a screenshot.
if [[ -n "${SKYROLL_KEEP_TMP:-}" ]] && command -v import >/dev/null; then
    import -window root "$SKYROLL_ENV_TMP/screenshot.png"
    echo "screenshot: $SKYROLL_ENV_TMP/screenshot.png"
fi

# "EXIT" from the menu that a right press on the globe opens (no tray here).
popup_closed_and_globe_back() {
    xdotool search --onlyvisible --pid "$SKYROLL_PID" --name '^Skyroll$' >/dev/null && ! popup_open
}
popup_open() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        ((WIDTH > 64 && w != GLOBE)) && return 0
    done
    return 1
}
# The globe stands at the upper right: no EARTH.INI yet.
open_menu() {
    xdotool mousemove 914 111 mousedown 3
    skyroll_wait_until 5 popup_open || fail "no menu on a right press on the globe"
    xdotool mouseup 3
}

# OPTION > 初期設定, then OK: the dialog writes the user's own EARTH.INI.
open_menu
xdotool key Down Right Return
settings_dialog_shown() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == 'Skyroll 初期設定' ]] && return 0
    done
    return 1
}
skyroll_wait_until 5 settings_dialog_shown || fail "the settings dialog did not appear"
# The dialog is centred (304, 279 on 1024 x 768); OK at (2550, 2460) twips in it.
xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
skyroll_wait_log 'unload fSetting' 5 || fail "OK did not close the settings dialog"
grep -q $'^DISPPOS=0\r$' "$home/.config/skyroll/EARTH.INI" && grep -q $'^ROLLSPEED=4\r$' "$home/.config/skyroll/EARTH.INI" ||
    fail "the dialog's OK did not write ~/.config/skyroll/EARTH.INI"
skyroll_wait_until 10 popup_closed_and_globe_back || fail "the globe did not come back"

open_menu
xdotool key Up Return
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "EXIT gave status $status"

written=$(find /usr -xdev -newer "$marker" \( -user "$user" -o -path '*skyroll*' -o -iname '*.ini' \
    -o -name WORLDTEMP \) 2>/dev/null)
[[ -z "$written" ]] || fail "written under /usr: $written"

# --- remove -----------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get remove -y skyroll >>"$SKYROLL_ENV_TMP/apt.log" 2>&1 ||
    fail "apt-get remove failed"
for path in "${owned[@]}"; do
    [[ -d "$path" && ! -L "$path" ]] && continue
    [[ ! -e "$path" && ! -L "$path" ]] || fail "left after removal: $path"
done
left=$(find /usr -xdev -path '*skyroll*' 2>/dev/null)
[[ -z "$left" ]] || fail "left under /usr after removal: $left"
echo "PASS"
