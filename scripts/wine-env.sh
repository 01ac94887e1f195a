# Shared set-up of the Wine runs (sourced by scripts/test-windows.sh and
# tests/windows/refresh_under_wine.sh): a Wine prefix in a folder of its own,
# with a Japanese locale of its own, so that the ANSI code page is 932 as on
# the systems the program is made for.
#
# wine_env_init DIR: the locale in DIR/locale (made once) and the prefix
# DIR/prefix; sets WINE_PREFIX_DIR and the array wine_env, the command prefix
# every Wine command runs with. No display is needed.
wine_env_init() {
    local dir=$1
    WINE_PREFIX_DIR=$dir/prefix
    # Wine takes its ANSI code page from the locale, and a locale that glibc
    # cannot find silently gives code page 1252: make ja_JP.UTF-8 here.
    if [[ ! -f "$dir/locale/ja_JP.UTF-8/LC_CTYPE" ]]; then
        mkdir -p "$dir/locale"
        localedef -i ja_JP -f UTF-8 "$dir/locale/ja_JP.UTF-8" >"$dir/localedef.log" 2>&1 ||
            [[ -f "$dir/locale/ja_JP.UTF-8/LC_CTYPE" ]] || {
            cat "$dir/localedef.log" >&2
            return 1
        }
    fi
    wine_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY
              LOCPATH="$dir/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
              WINEPREFIX="$WINE_PREFIX_DIR" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
}

# wine_env_boot: makes the prefix (about 10-15 s the first time).
wine_env_boot() {
    "${wine_env[@]}" wineboot -i && "${wine_env[@]}" wineserver -w
}

# wine_env_check_codepage EXE: fails unless EXE (skyroll-codepage.exe)
# prints 932 in this prefix.
wine_env_check_codepage() {
    local codepage
    codepage=$("${wine_env[@]}" wine "$1" | tr -d '\r')
    [[ "$codepage" == 932 ]] || {
        echo "Wine's ANSI code page is '$codepage', not 932: the ja_JP.UTF-8 locale did not take" >&2
        return 1
    }
}

# wine_env_stop: ends the prefix's wineserver and everything in it.
wine_env_stop() {
    WINEPREFIX=$WINE_PREFIX_DIR wineserver -k >/dev/null 2>&1 || true
}
