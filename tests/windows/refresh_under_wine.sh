#!/usr/bin/env bash
# The WinHTTP refresh under Wine writes the same WEATHER.INI, byte for byte,
# as the libcurl refresh on Linux, from the same pages of a loopback server:
# for the page sites as recorded (Shift_JIS), for the same pages in other
# charsets (EUC-JP and ISO-2022-JP named by their meta tag, UTF-8 and UTF-16
# by the Content-Type header, one page gzip-compressed, one behind a
# redirect), and for the live source answered by a stand-in for the weather
# service. The stored pages must be the same bytes too.
#
# usage: refresh_under_wine.sh LINUX_WEATHER_REFRESH WINDOWS_WEATHER_REFRESH_EXE
# SKYROLL_WINE_DIR: a folder set up by scripts/wine-env.sh whose prefix is
# already made (scripts/test-windows.sh passes its own); else one is made.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/scripts/wine-env.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
(($# == 2)) || fail "usage: $0 LINUX_WEATHER_REFRESH WINDOWS_WEATHER_REFRESH_EXE"
linux_tool=$(realpath "$1")
windows_tool=$(realpath "$2")
[[ -x "$linux_tool" ]] || fail "$1 is not built"
[[ -f "$windows_tool" ]] || fail "$2 is not built"

start=$SECONDS
tmp=$(mktemp -d "${TMPDIR:-/tmp}/skyroll-refresh-wine.XXXXXX")
server_pid="" boot_pid="" own_prefix=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null
    [[ -n "$boot_pid" ]] && kill "$boot_pid" 2>/dev/null
    [[ -n "$own_prefix" ]] && wine_env_stop
    [[ -z "${SKYROLL_KEEP_TMP:-}" ]] && rm -rf "$tmp"
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

if [[ -n "${SKYROLL_WINE_DIR:-}" ]]; then
    wine_env_init "$SKYROLL_WINE_DIR" || fail "the Wine folder $SKYROLL_WINE_DIR"
else
    own_prefix=1
    wine_env_init "$tmp/wine" || fail "localedef ja_JP.UTF-8"
    # The prefix is made while the Linux tool runs.
    wine_env_boot >"$tmp/wineboot.log" 2>&1 &
    boot_pid=$!
fi

# Three loopback servers: the recorded page sites, the same pages in other
# charsets, and the weather service. Every request is logged with its
# User-Agent and Accept-Encoding.
python3 - "$repo/tests/data/weather" "$tmp" <<'PY' >"$tmp/server.log" 2>&1 &
import gzip, http.server, os, sys, threading
data, tmp = sys.argv[1], sys.argv[2]
site = {}
for folder in ('world', 'cities'):
    for name in os.listdir(os.path.join(data, 'site', folder)):
        site['/%s/%s' % (folder, name)] = open(os.path.join(data, 'site', folder, name), 'rb').read()
answer = open(os.path.join(data, 'live', 'forecast.json'), 'rb').read()

def recoded(page, encoding, meta):
    text = page.decode('cp932', errors='replace')
    if meta:
        text = text.replace('charset=Shift_JIS', 'charset=' + meta)
    return text.encode(encoding, errors='replace')

# path -> (body, Content-Type, gzip it when asked); a path in `moved` answers
# with a redirect to where the page is.
charsets = {path: (body, 'text/html', False) for path, body in site.items()}
charsets['/world/wd001.html'] = (recoded(site['/world/wd001.html'], 'euc_jp', 'EUC-JP'), 'text/html', False)
charsets['/world/wd002.html'] = (recoded(site['/world/wd002.html'], 'utf-8', None), 'text/html; charset=UTF-8', False)
charsets['/world/wd003.html'] = (recoded(site['/world/wd003.html'], 'iso2022_jp', 'ISO-2022-JP'), 'text/html', False)
charsets['/world/wd004.html'] = (recoded(site['/world/wd004.html'], 'utf-16', None), 'text/html;charset=utf-16', False)
charsets['/world/wd005.html'] = (site['/world/wd005.html'], 'text/html', True)
charsets['/moved/wd006.html'] = charsets.pop('/world/wd006.html')
moved = {'/world/wd006.html': '/moved/wd006.html'}

def handler(name, pages):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = 'HTTP/1.1'
        def do_GET(self):
            with open(os.path.join(tmp, 'requests-' + name), 'a') as log:
                log.write('%s\t%s\t%s\n' % (self.path, self.headers.get('User-Agent', ''),
                                            self.headers.get('Accept-Encoding', '')))
            if self.path in moved and name == 'charsets':
                self.send_response(302)
                self.send_header('Location', moved[self.path])
                self.send_header('Content-Length', '0')
                self.end_headers()
                return
            if name == 'live':
                found = (answer, 'application/json', False) if self.path.startswith('/v1/forecast?') else None
            else:
                found = pages.get(self.path)
            if found is None:
                self.send_response(404)
                self.send_header('Content-Length', '0')
                self.end_headers()
                return
            body, kind, compress = found
            self.send_response(200)
            self.send_header('Content-Type', kind)
            if compress and 'gzip' in self.headers.get('Accept-Encoding', ''):
                body = gzip.compress(body)
                self.send_header('Content-Encoding', 'gzip')
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        def log_message(self, *args): pass
    return Handler

ports = []
for name, pages in (('plain', {p: (b, 'text/html', False) for p, b in site.items()}), ('charsets', charsets),
                    ('live', None)):
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler(name, pages))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    ports.append(str(server.server_port))
open(os.path.join(tmp, 'ports.new'), 'w').write(' '.join(ports) + '\n')
os.rename(os.path.join(tmp, 'ports.new'), os.path.join(tmp, 'ports'))
threading.Event().wait()
PY
server_pid=$!
for _ in $(seq 100); do
    [[ -s "$tmp/ports" ]] && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$tmp/server.log" >&2; fail "the loopback servers did not start"; }
    sleep 0.1
done
read -r plain_port charsets_port live_port <"$tmp/ports" || fail "the loopback servers did not start"

# A path as a Windows program reads it: Wine's drive Z: is the root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# refresh SIDE CASE EARTH_INI: one run of that side's tool in a fresh
# application folder and system folder of its own.
refresh() {
    local side=$1 name=$2 app=$tmp/$2-$1/app sys=$tmp/$2-$1/system
    mkdir -p "$app/SKR20/PALAM" "$sys"
    printf '%b' "$3" >"$app/SKR20/PALAM/EARTH.INI"
    if [[ $side == linux ]]; then
        "$linux_tool" --system-folder "$sys" "$app" >"$tmp/$name-$side.log" 2>&1 || true
    else
        "${wine_env[@]}" wine "$windows_tool" --system-folder "$(windows_path "$sys")" "$(windows_path "$app")" \
            >"$tmp/$name-$side.log" 2>&1 || true
    fi
}

declare -A earth_ini=(
    [pages]="[SITES]\r\nWORLD=127.0.0.1:$plain_port\r\nJAPAN=127.0.0.1:$plain_port\r\n"
    [charsets]="[SITES]\r\nWORLD=127.0.0.1:$charsets_port\r\nJAPAN=127.0.0.1:$charsets_port\r\n"
    [live]="[SITES]\r\nSOURCE=live\r\nLIVE=http://127.0.0.1:$live_port\r\n"
)
cases=(pages charsets live)
linux_start=$SECONDS
for name in "${cases[@]}"; do refresh linux "$name" "${earth_ini[$name]}"; done
linux_seconds=$((SECONDS - linux_start))
if [[ -n "$boot_pid" ]]; then
    wait "$boot_pid" || { cat "$tmp/wineboot.log" >&2; fail "wineboot could not make the prefix"; }
    boot_pid=""
fi
wine_start=$SECONDS
for name in "${cases[@]}"; do refresh windows "$name" "${earth_ini[$name]}"; done
wine_seconds=$((SECONDS - wine_start))

failed=0
check() {
    "$@" && return 0
    failed=1
    return 1
}
for name in "${cases[@]}"; do
    linux=$tmp/$name-linux windows=$tmp/$name-windows
    for side in linux windows; do
        # Every page is stored (a Windows program ends its lines with CR LF).
        stored=$(tr -d '\r' <"$tmp/$name-$side.log" | grep -c ' stored$' || true)
        check [ "$stored" -eq 18 ] || echo "$name ($side): $stored pages stored, expected 18" >&2
    done
    check cmp "$linux/app/SKR20/PALAM/WEATHER.INI" "$windows/app/SKR20/PALAM/WEATHER.INI" ||
        echo "$name: WEATHER.INI differs between libcurl and WinHTTP" >&2
    check diff -r "$linux/system/WORLDTEMP" "$windows/system/WORLDTEMP" >&2 ||
        echo "$name: the stored pages differ between libcurl and WinHTTP" >&2
done
# The same pages in other charsets reduce to the same weather.
check cmp "$tmp/pages-linux/app/SKR20/PALAM/WEATHER.INI" "$tmp/charsets-linux/app/SKR20/PALAM/WEATHER.INI" ||
    echo "the pages in other charsets give other weather" >&2
# Both sides asked alike: the page sites with "Skyroll/2.0", the service once
# with "Skyroll/<version>".
check [ "$(cut -f2 "$tmp/requests-plain" | sort -u)" == "Skyroll/2.0" ] ||
    echo "page requests carried: $(cut -f2 "$tmp/requests-plain" | sort -u | tr '\n' ' ')" >&2
check [ "$(wc -l <"$tmp/requests-live")" -eq 2 ] || echo "$(wc -l <"$tmp/requests-live") service requests, expected 2" >&2
check [ "$(cut -f2 "$tmp/requests-live" | sort -u | grep -cE '^Skyroll/[0-9]+\.[0-9]+\.[0-9]+$')" -eq 1 ] ||
    echo "service requests carried: $(cut -f2 "$tmp/requests-live" | sort -u | tr '\n' ' ')" >&2

encodings=$(awk -F'\t' '$1 == "/world/wd005.html" {print "[" $3 "]"}' "$tmp/requests-charsets" | tr '\n' ' ')
echo "Accept-Encoding of the gzip page (libcurl, WinHTTP): $encodings"
echo "Linux refreshes: ${linux_seconds} s; Wine refreshes: ${wine_seconds} s; all: $((SECONDS - start)) s"
if ((failed)); then
    echo "logs and folders: $tmp (kept)" >&2
    SKYROLL_KEEP_TMP=1
    exit 1
fi
echo "PASS"
