#!/usr/bin/env bash
# The Debian package on a real system: lintian finds no error in it (its
# warnings are printed), it is installed with apt-get, its desktop files,
# copyright and documents are checked, and /usr/bin/skyroll is run under Xvfb
# by an ordinary user with an empty home, who goes through every menu
# command with the mouse and the keys: every speed, the moon on and off, the
# space wallpaper on and off, the weather tour off and on, the globe by day
# and night on and off, the settings dialog with OK, and EXIT (status 0),
# with no fatal message; the weather file lands in the user's cache and
# nothing is written under /usr. Then it is removed without a trace under
# /usr. Needs root (it installs a package
# and adds a user); otherwise it says so and skips.
# Usage: package_test.sh path/to/skyroll_*.deb
set -u
source "$(dirname "$0")/../../scripts/desktop-test-env.sh"

deb=$(realpath "${1:?usage: $0 path/to/skyroll_VERSION_ARCH.deb}")
user=skyroll-package-test

# lintian first, which needs no root: no error; what it still says is
# printed for the record.
skyroll_require lintian
lintian_log=$(lintian --fail-on error "$deb" 2>&1)
lintian_status=$?
lintian_log=$(grep -v 'running with root privileges' <<<"$lintian_log" | sed '/^$/d')
echo "lintian: ${lintian_log:-no errors, no warnings}" | sed '2,$s/^/lintian: /'
if [[ $lintian_status -ne 0 ]]; then
    echo "FAIL: lintian found errors in $deb (status $lintian_status)"
    exit 1
fi

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: the package test installs a package and adds a user: run it as root"
    exit 0
fi
if dpkg -s skyroll >/dev/null 2>&1; then
    echo "SKIP: a package skyroll is already installed here; the test would remove it"
    exit 0
fi
skyroll_require Xvfb xdotool xwininfo xdpyinfo xsetroot import desktop-file-validate appstreamcli setpriv useradd

fail() {
    echo "FAIL: $*"
    [[ -f "$SKYROLL_ENV_TMP/skyroll.log" ]] && { echo "--- program log (last lines)"; tail -n 30 "$SKYROLL_ENV_TMP/skyroll.log"; }
    exit 1
}

skyroll_env_init
cleanup() {
    skyroll_env_cleanup
    dpkg -s skyroll >/dev/null 2>&1 && apt-get -o DPkg::Lock::Timeout=120 purge -y skyroll >/dev/null 2>&1
    id "$user" >/dev/null 2>&1 && userdel "$user" 2>/dev/null
    return 0
}
trap cleanup EXIT

# --- install --------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 install -y --no-install-recommends "$deb" \
    >"$SKYROLL_ENV_TMP/apt.log" 2>&1 || { tail -n 20 "$SKYROLL_ENV_TMP/apt.log"; fail "apt-get install failed"; }
mapfile -t owned < <(dpkg -L skyroll)
[[ -x /usr/bin/skyroll ]] || fail "no /usr/bin/skyroll"
[[ -f /usr/share/skyroll/SKR20/earth/EarthMap_44.bmp ]] || fail "no globe frames in /usr/share/skyroll/SKR20"
for map in earth night; do
    [[ -f /usr/share/skyroll/SKR20/maps/$map.jpg ]] || fail "no $map map in /usr/share/skyroll/SKR20/maps"
done
[[ ! -e /usr/share/skyroll/SKR20/PALAM ]] || fail "the package brings a PALAM folder"
[[ -f /usr/share/man/man1/skyroll.1.gz ]] && gzip -t /usr/share/man/man1/skyroll.1.gz || fail "no gzipped man page"
[[ -f /usr/share/doc/skyroll/changelog.gz ]] && gzip -t /usr/share/doc/skyroll/changelog.gz || fail "no changelog.gz"
copyright=/usr/share/doc/skyroll/copyright
[[ "$(head -n1 "$copyright" 2>/dev/null)" == "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ]] ||
    fail "the copyright file is not in the machine-readable form"
for words in '^License: MIT$' 'the Skyroll authors' 'NASA Visible Earth' 'Open-Meteo' 'CC BY 4.0'; do
    grep -q -- "$words" "$copyright" || fail "the copyright file does not name '$words'"
done
grep -q '<project_license>MIT</project_license>' /usr/share/metainfo/io.github.skyroll.Skyroll.metainfo.xml ||
    fail "the AppStream file names no project licence"
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
# A known root colour, which the space picture replaces while it is on.
xsetroot -solid '#2050a0'
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
skyroll_wait_globe_turns || fail "the globe does not turn"
[[ -s "$home/.cache/skyroll/WEATHER.INI" ]] || fail "no ~/.cache/skyroll/WEATHER.INI"
# With SKYROLL_KEEP_TMP set, the folder it names at the end keeps a screenshot.
if [[ -n "${SKYROLL_KEEP_TMP:-}" ]] && command -v import >/dev/null; then
    import -window root "$SKYROLL_ENV_TMP/screenshot.png"
    echo "screenshot: $SKYROLL_ENV_TMP/screenshot.png"
fi

# The menu that a right press on the globe opens (no tray here): OPTION
# (初期設定, 宇宙化, 天気表示, 月表示), SPEED (MAXIMUM .. MINIMUM), EXIT.
popup_closed_and_globe_back() {
    skyroll_windows_named Skyroll >/dev/null && ! popup_open
}
popup_open() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == 'Skyroll Moon' ]] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        ((WIDTH > 64 && w != GLOBE)) && return 0
    done
    return 1
}
# The program's visible windows, for a failure's message.
windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$SKYROLL_PID" 2>/dev/null); do
        echo -n "[$w '$(xdotool getwindowname "$w" 2>/dev/null)' $(xdotool getwindowgeometry "$w" 2>/dev/null | tr -s '\n ' ' ')] "
    done
}
# Opens the menu with a right press on the globe (at the upper right: no
# place stored yet) and presses the keys.
menu_keys() {
    skyroll_wait_until 10 popup_closed_and_globe_back || fail "the globe is not back before the menu: $(windows)"
    xdotool mousemove 914 111 mousedown 3
    skyroll_wait_until 5 popup_open || fail "no menu on a right press on the globe"
    xdotool mouseup 3
    xdotool key "$@"
}
chosen_since() { (($(skyroll_log_count "chosen fSky_Roll $1\$") > $2)); }
# Chooses a menu item that way and waits for the program to take it.
choose() {
    local item=$1 before
    shift
    before=$(skyroll_log_count "chosen fSky_Roll $item\$")
    menu_keys "$@"
    skyroll_wait_until 5 chosen_since "$item" "$before" ||
        fail "$item was not chosen"
}
frames() { skyroll_log_count 'shown fSky_Roll.Picture1 EarthMap_'; }
root_pixel() { import -window root -crop 1x1+100+700 -depth 8 txt:- | tail -n1 | awk '{print $3}'; }
frames_since() { (($(frames) >= $1 + $2)); }
moon_pictures() { skyroll_log_count 'shown fMoon.Picture1 MoonMap_'; }
moon_pictures_since() { (($(moon_pictures) >= $1 + $2)); }
root_is() { [[ "$(root_pixel)" == "$1" ]]; }
root_is_not() { [[ "$(root_pixel)" != "$1" ]]; }

# The tour off first: no city display stops the globe while the speeds go by.
choose mTENKI Down Right Down Down Return
# Every speed; at MAXIMUM the frames follow each other within milliseconds.
choose mMAX Down Down Right Return
before=$(frames)
skyroll_wait_until 5 frames_since "$before" 50 ||
    fail "the globe does not turn fast at MAXIMUM"
choose mHI Down Down Right Down Return
choose mNOR Down Down Right Down Down Return
choose mLOW Down Down Right Down Down Down Return
choose mMIN Down Down Right Down Down Down Down Return

# The moon: its window opens and its pictures change; off, it goes.
choose mMOON Down Right Down Down Down Return
skyroll_wait_until 10 skyroll_windows_named 'Skyroll Moon' || fail "the moon window did not appear"
before=$(moon_pictures)
skyroll_wait_until 10 moon_pictures_since "$before" 2 ||
    fail "the moon pictures do not change"
choose mMOON Down Right Down Down Down Return
moon_gone() { ! skyroll_windows_named 'Skyroll Moon'; }
skyroll_wait_until 10 moon_gone || fail "the moon window did not go"

# Day and night: a set drawn from the installed maps comes into memory and
# the globe turns on with it (a frame that fails to load, or a map that is
# missing, would be in the log); off, it goes. Both are kept in EARTH.INI.
drawn_sets() { skyroll_log_count 'drawn skyroll-memory:/drawn-[12] ratio 1 '; }
drawn_since() { (($(drawn_sets) > $1)); }
before=$(drawn_sets)
choose mDAYNIGHT Down Right Down Down Down Down Return
skyroll_wait_until 60 drawn_since "$before" || fail "no set drawn by day and night"
grep -q $'^DAYNIGHT=1\r$' "$home/.config/skyroll/EARTH.INI" || fail "DAYNIGHT=1 is not in EARTH.INI"
before=$(frames)
skyroll_wait_until 10 frames_since "$before" 3 || fail "the globe does not turn by day and night"
choose mDAYNIGHT Down Right Down Down Down Down Return
grep -q $'^DAYNIGHT=0\r$' "$home/.config/skyroll/EARTH.INI" || fail "DAYNIGHT=0 is not in EARTH.INI"
before=$(frames)
skyroll_wait_until 10 frames_since "$before" 3 || fail "the globe does not turn with its own frames again"

# The space wallpaper on the bare X server's root, and the user's colour back.
user_colour=$(root_pixel)
choose mSPACE Down Right Down Return
skyroll_wait_until 10 root_is_not "$user_colour" ||
    fail "the space picture did not come on: the root stays $user_colour"
choose mSPACE Down Right Down Return
skyroll_wait_until 10 root_is "$user_colour" ||
    fail "switching the space picture off did not give $user_colour back: $(root_pixel)"

# The tour on again.
choose mTENKI Down Right Down Down Return

# OPTION > 初期設定, then OK: the dialog writes the user's own EARTH.INI.
choose mSETTING Down Right Return
skyroll_wait_until 5 skyroll_windows_named 'Skyroll 初期設定' || fail "the settings dialog did not appear"
# The dialog is centred (304, 279 on 1024 x 768); OK at (2550, 2460) twips in it.
xdotool mousemove $((304 + 170 + 33)) $((279 + 164 + 9)) click 1
skyroll_wait_log 'unload fSetting' 5 || fail "OK did not close the settings dialog"
grep -q $'^DISPPOS=0\r$' "$home/.config/skyroll/EARTH.INI" && grep -q $'^ROLLSPEED=4\r$' "$home/.config/skyroll/EARTH.INI" ||
    fail "the dialog's OK did not write ~/.config/skyroll/EARTH.INI"

# EXIT; a city on show holds it for 1.5 s, after which it is chosen again.
for attempt in 1 2 3; do
    menu_keys Up Return
    skyroll_wait_exit 5
    status=$?
    [[ $status -ne 124 ]] && break
done
[[ $status -eq 0 ]] || fail "EXIT gave status $status"
fatal=$(grep -E '^skyroll: |picture failed' "$SKYROLL_ENV_TMP/skyroll.log")
[[ -z "$fatal" ]] || fail "the program said: $fatal"

written=$(find /usr -xdev -newer "$marker" \( -user "$user" -o -path '*skyroll*' -o -iname '*.ini' \
    -o -name WORLDTEMP \) 2>/dev/null)
[[ -z "$written" ]] || fail "written under /usr: $written"

# --- remove -----------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 remove -y skyroll >>"$SKYROLL_ENV_TMP/apt.log" 2>&1 ||
    fail "apt-get remove failed"
for path in "${owned[@]}"; do
    [[ -d "$path" && ! -L "$path" ]] && continue
    [[ ! -e "$path" && ! -L "$path" ]] || fail "left after removal: $path"
done
left=$(find /usr -xdev -path '*skyroll*' 2>/dev/null)
[[ -z "$left" ]] || fail "left under /usr after removal: $left"
echo "PASS"
