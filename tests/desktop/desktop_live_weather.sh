#!/usr/bin/env bash
# The desktop program takes its weather from the live source: one request to
# a loopback stand-in for the weather service, answered with the recorded
# answer, carrying Skyroll's User-Agent; WEATHER.INI comes out as the
# weather-refresh tool makes it from the same answer.
set -u
source "$(dirname "$0")/desktop_common.sh"
ANSWER="$(cd "$(dirname "$0")/../data/weather/live" && pwd)/forecast.json"
TOOL="$(dirname "$SKYROLL_BIN")/weather-refresh"
[[ -x "$TOOL" ]] || { echo "SKIP: weather-refresh is not built"; exit "$SKYROLL_SKIP"; }

desktop_before_start() {
    python3 - "$SKYROLL_ENV_TMP" "$ANSWER" <<'PY' &
import http.server, sys
tmp, answer = sys.argv[1], open(sys.argv[2], 'rb').read()
class Service(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(tmp + '/requests', 'a') as log:
            log.write(self.path + '\t' + self.headers.get('User-Agent', '') + '\n')
        ok = self.path.startswith('/v1/forecast?')
        self.send_response(200 if ok else 404)
        self.send_header('Content-Type', 'application/json')
        self.send_header('Content-Length', str(len(answer) if ok else 0))
        self.end_headers()
        if ok: self.wfile.write(answer)
    def log_message(self, *args): pass
server = http.server.HTTPServer(('127.0.0.1', 0), Service)
open(tmp + '/port.new', 'w').write(str(server.server_port))
__import__('os').rename(tmp + '/port.new', tmp + '/port')
server.serve_forever()
PY
    SKYROLL_ENV_PIDS+=($!)
    skyroll_wait_until 10 test -s "$SKYROLL_ENV_TMP/port" || fail "the service stand-in did not start"
    printf '[SITES]\r\nLIVE=http://127.0.0.1:%s\r\n' "$(cat "$SKYROLL_ENV_TMP/port")" >"$1/SKR20/PALAM/EARTH.INI"
}
desktop_setup

skyroll_wait_globe_turns || fail "the globe does not turn"
weather_ini="$SKYROLL_ENV_TMP/app/SKR20/PALAM/WEATHER.INI"
expected="$SKYROLL_ENV_TMP/expected"
mkdir -p "$expected/SKR20/PALAM"
"$TOOL" --live "$ANSWER" --system-folder "$expected" "$expected" >/dev/null || fail "weather-refresh failed"
cmp "$weather_ini" "$expected/SKR20/PALAM/WEATHER.INI" || fail "WEATHER.INI differs from the tool's"
grep -q $'^東京=CLOUDY.gif\r$' <(iconv -f CP932 -t UTF-8 "$weather_ini") || fail "Tokyo is not cloudy"

requests="$SKYROLL_ENV_TMP/requests"
[[ $(wc -l <"$requests") -eq 1 ]] || fail "$(wc -l <"$requests") requests to the service, expected 1"
IFS=$'\t' read -r path agent <"$requests"
[[ "$path" == /v1/forecast\?latitude=22.30,* && "$path" == *'&current=weather_code,is_day' ]] ||
    fail "request $path"
[[ "$agent" =~ ^Skyroll/[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "User-Agent '$agent'"

kill -TERM "$SKYROLL_PID"
skyroll_wait_exit 10
status=$?
[[ $status -eq 0 ]] || fail "exit status $status"
echo "PASS"
