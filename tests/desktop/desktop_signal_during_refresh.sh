#!/usr/bin/env bash
# SIGTERM while the weather refresh waits for a server that accepted the
# connection and never answers: the transfer is aborted and the program ends
# cleanly (status 0, tray icon removed) long before the refresh's own bounds.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require python3

# A server on a loopback port that accepts connections and stays silent; it
# writes its port, then one line per connection.
site=$(mktemp -d "${TMPDIR:-/tmp}/skyroll-silent.XXXXXX")
python3 -c '
import socket, sys
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(16)
open(sys.argv[1] + "/port.tmp", "w").write(str(server.getsockname()[1]))
import os; os.rename(sys.argv[1] + "/port.tmp", sys.argv[1] + "/port")
held = []
while True:
    connection, _ = server.accept()
    held.append(connection)
    with open(sys.argv[1] + "/accepted", "a") as log:
        log.write("accepted\n")
' "$site" &
SKYROLL_ENV_PIDS+=($!)
skyroll_wait_until 5 test -s "$site/port" || { echo "FAIL: the silent server did not start"; exit 1; }
SKYROLL_TEST_WEATHER_SITE="127.0.0.1:$(cat "$site/port")"
export SKYROLL_TEST_WEATHER_SITE

desktop_setup tray
trap 'rm -rf "$site"; skyroll_env_cleanup' EXIT
skyroll_wait_until 20 test -s "$site/accepted" || fail "the refresh did not ask the server"

start=$EPOCHREALTIME
kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
end=$EPOCHREALTIME
echo "from SIGTERM to exit: $(awk "BEGIN { printf \"%.2f\", $end - $start }") s"
[[ $status -ne 124 ]] || fail "the program did not end within 10 s of SIGTERM"
[[ $status -eq 0 ]] || fail "SIGTERM during the refresh gave status $status"
grep -q 'tray: removed' "$SKYROLL_ENV_TMP/skyroll.log" || fail "the tray icon was not removed"
skyroll_wait_until 5 bash -c "[[ -z \"\$(xwininfo -tree -root | grep -i 'skyroll' | grep -v Selection)\" ]]" ||
    fail "the icon is still embedded"
echo "PASS"
