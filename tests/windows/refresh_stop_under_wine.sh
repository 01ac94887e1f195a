#!/usr/bin/env bash
# skyroll.exe under Wine during its weather refresh, against a page server
# that trickles its answer one byte a second:
# - the program keeps answering: a right press on the tray icon 2 s into the
#   refresh opens the menu within a few seconds;
# - taskkill (WM_CLOSE, which the end of a session sends too) ends it within
#   a couple of seconds, with status 0 and its tray icon removed;
# - the stopped refresh leaves the previous WEATHER.INI as it was.
# Prints the time from the press to the menu and from taskkill to the end.
#
# usage: refresh_stop_under_wine.sh SKYROLL_WINDOWS_ZIP
# SKYROLL_WINE_DIR: a folder set up by scripts/wine-env.sh whose prefix is
# already made (scripts/test-windows.sh passes its own); else one is made.
# SKYROLL_TEST_DISPLAY: the X server that prefix already uses; else one is
# started.
set -u
source "$(dirname "$0")/../../scripts/desktop-test-env.sh"
zip=$(realpath "${1:?usage: $0 SKYROLL_WINDOWS_ZIP}")
skyroll_require Xvfb xdotool python3 iconv md5sum
source "$(dirname "$0")/wine_desktop_common.sh"
# Without a window manager Wine's managed windows take seconds to hide.
"${wine_run[@]}" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

app="$tmp/スカイロール"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$app" ||
    fail "the zip could not be unpacked"
mkdir -p "$app/SKR20/PALAM"

# A page server that sends its headers, then one byte a second; it writes its
# port, then one line per connection.
site="$tmp/trickle"
mkdir -p "$site"
python3 -c '
import os, socket, sys, threading, time
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(16)
def serve(connection):
    try:
        connection.recv(4096)
        connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n")
        while True:
            time.sleep(1)
            connection.sendall(b" ")
    except OSError:
        pass
open(sys.argv[1] + "/port.tmp", "w").write(str(server.getsockname()[1]))
os.rename(sys.argv[1] + "/port.tmp", sys.argv[1] + "/port")
while True:
    connection, _ = server.accept()
    with open(sys.argv[1] + "/accepted", "a") as log:
        log.write("accepted\n")
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
' "$site" &
SKYROLL_ENV_PIDS+=($!)
skyroll_wait_until 5 test -s "$site/port" || fail "the page server did not start"
port=$(cat "$site/port")
printf '[SITES]\r\nWORLD=127.0.0.1:%s\r\nJAPAN=127.0.0.1:%s\r\n' "$port" "$port" >"$app/SKR20/PALAM/EARTH.INI"
printf '[WEATHER]\r\nサンパウロ=RAIN.gif\r\n' | iconv -f UTF-8 -t CP932 >"$app/SKR20/PALAM/WEATHER.INI"
weather_before=$(md5sum <"$app/SKR20/PALAM/WEATHER.INI")

"${wine_run[@]}" SKYROLL_LOG=1 wine "$app/skyroll.exe" >"$log" 2>&1 &
SKYROLL_PID=$!
SKYROLL_ENV_PIDS+=("$SKYROLL_PID")
skyroll_wait_until 60 test -s "$site/accepted" || fail "the refresh did not ask the page server"
asked=$EPOCHREALTIME

# Wine's own tray, with the program's icon at the left end of its 20 pixels
# high client area; the window found may be the frame Wine draws around it.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [[ -n "$(window_named "$1")" ]]; }
skyroll_wait_until 10 has_window 'Wine System Tray' || fail "no icon in Wine's tray"
eval "$(xdotool getwindowgeometry --shell "$(window_named 'Wine System Tray')")"
border=$(((WIDTH - 160) / 2))
icon_x=$((X + border + 10)) icon_y=$((Y + HEIGHT - border - 10))

sleep "$(awk "BEGIN { t = 2 - ($EPOCHREALTIME - $asked); print (t > 0 ? t : 0) }")"
pressed=$EPOCHREALTIME
xdotool mousemove "$icon_x" "$icon_y" sleep 0.2 mousedown 3
skyroll_wait_until 8 grep -q 'menu: popup' "$log" ||
    fail "no menu within 8 s of a right press on the tray icon during the refresh"
echo "the tray menu, 2 s into the refresh: $(awk "BEGIN { printf \"%.2f\", $EPOCHREALTIME - $pressed }") s after the press"
xdotool mouseup 3 key --delay 250 Escape Escape

killed=$EPOCHREALTIME
"${wine_run[@]}" wine taskkill /IM skyroll.exe >"$tmp/taskkill.log" 2>&1
skyroll_wait_exit 20
status=$?
took=$(awk "BEGIN { printf \"%.2f\", $EPOCHREALTIME - $killed }")
echo "from taskkill to the end of the program during the refresh: $took s"
[[ $status -ne 124 ]] || fail "taskkill during the refresh did not end the program within 20 s"
[[ $status -eq 0 ]] || fail "taskkill during the refresh gave status $status"
awk "BEGIN { exit !($took < 5) }" || fail "taskkill during the refresh took $took s"
grep -q 'tray: removed' "$log" || fail "the tray icon was not removed"
[[ "$(md5sum <"$app/SKR20/PALAM/WEATHER.INI")" == "$weather_before" ]] ||
    fail "the stopped refresh changed WEATHER.INI: $(iconv -f CP932 -t UTF-8 "$app/SKR20/PALAM/WEATHER.INI" | head -n 3)"
echo "PASS"
