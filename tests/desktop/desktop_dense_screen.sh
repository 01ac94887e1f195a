#!/usr/bin/env bash
# On a dense screen (Qt scaling the program by 1.5 and by 2) the globe window
# covers the same area as on a plain one, in device pixels as many more as
# the scale says; its round edge is cut in device pixels, not in a staircase
# of scaled pixels; and it shows the frames drawn at twice the size, not the
# plain ones blown up.
set -u
source "$(dirname "$0")/desktop_common.sh"
skyroll_require python3 compare
data="$(cd "$(dirname "$SKYROLL_BIN")" && pwd)/SKR20"
desktop_prepare

# Rows of the window's shape, from a screenshot cropped to the window: in
# the top and bottom tenth the edge of a device-pixel ellipse moves on every
# row, while a shape cut in scaled pixels repeats rows. Prints the number of
# rows there that repeat the row above.
repeated_edge_rows() {
    convert "$1" -fill white +opaque "$ROOT_COLOR" -fill black -opaque "$ROOT_COLOR" -depth 8 gray:- |
        python3 -c '
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
data = sys.stdin.buffer.read()
rows = [data[y * w:(y + 1) * w] for y in range(h)]
used = [y for y in range(h) if any(rows[y])]
top, bottom = used[0], used[-1]
band = (bottom - top + 1) // 10
ys = list(range(top + 1, top + band)) + list(range(bottom - band + 2, bottom + 1))
print(sum(rows[y] == rows[y - 1] for y in ys))' "$2" "$3"
}

for scale in 1.5 2; do
    export QT_SCALE_FACTOR=$scale
    desktop_start_skyroll
    skyroll_wait_globe_turns || fail "at $scale the globe does not turn"
    geometry "$GLOBE"
    want=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", int(180 * s + 0.5), int(183 * s + 0.5) }')
    [[ "${WIDTH}x$HEIGHT" == "$want" ]] || fail "at $scale the window is ${WIDTH}x$HEIGHT, expected $want"
    grep -q 'shown fSky_Roll\.Picture1 EarthMap_[0-9]*\.bmp' "$SKYROLL_ENV_TMP/skyroll.log" &&
        fail "at $scale a plain frame was shown"

    shot="$SKYROLL_ENV_TMP/shot-$scale.png"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$shot"
    root=$(pixel "$shot" 0 0)
    [[ "$root" == "$(convert xc:"$ROOT_COLOR" -format '%[pixel:p{0,0}]' info:)" ]] ||
        fail "at $scale the window's corner is $root, not the desktop"
    a=$((WIDTH / 2)) b=$((HEIGHT / 2))
    for sign in "1 1" "1 -1" "-1 1" "-1 -1"; do
        # shellcheck disable=SC2086
        set -- $sign
        # Along the diagonals: three pixels inside the edge, two outside.
        inside=$(awk -v a=$a -v b=$b -v sx="$1" -v sy="$2" 'BEGIN {
            printf "%d %d", a + sx * (a - 3) * 0.7071, b + sy * (b - 3) * 0.7071 }')
        outside=$(awk -v a=$a -v b=$b -v sx="$1" -v sy="$2" 'BEGIN {
            printf "%d %d", a + sx * (a + 2) * 0.7071, b + sy * (b + 2) * 0.7071 }')
        # shellcheck disable=SC2086
        [[ "$(pixel "$shot" $inside)" != "$root" ]] || fail "at $scale the globe does not reach $inside"
        # shellcheck disable=SC2086
        [[ "$(pixel "$shot" $outside)" == "$root" ]] || fail "at $scale the window shows beyond its edge at $outside"
    done
    repeated=$(repeated_edge_rows "$shot" "$WIDTH" "$HEIGHT")
    ((repeated <= 2)) || fail "at $scale the window's edge repeats $repeated rows: cut in scaled pixels"

    if [[ $scale == 2 ]]; then
        # The middle of the window is one of the frames drawn at twice the
        # size, pixel for pixel; the plain frame blown up is not.
        crop=(-crop 240x240+60+63 +repage)
        convert "$shot" "${crop[@]}" "$SKYROLL_ENV_TMP/middle.png"
        match=""
        for n in $(seq 1 44); do
            ae=$(convert "$data/earth/EarthMap_$n@2x.bmp" "${crop[@]}" png:- |
                compare -metric AE - "$SKYROLL_ENV_TMP/middle.png" null: 2>&1)
            [[ "$ae" == 0 ]] && match=$n && break
        done
        [[ -n "$match" ]] || fail "the window shows none of the frames drawn at twice the size"
        ae=$(convert "$data/earth/EarthMap_$match.bmp" -sample 200% "${crop[@]}" png:- |
            compare -metric AE - "$SKYROLL_ENV_TMP/middle.png" null: 2>&1)
        ((${ae%%[^0-9]*} > 1000)) || fail "frame $match blown up matches the screen as well ($ae pixels differ)"
        echo "at 2 the window shows EarthMap_$match@2x.bmp; the plain frame blown up differs in $ae pixels"
    fi
    kill -TERM "$SKYROLL_PID"
    skyroll_wait_exit 10
    status=$?
    [[ $status -eq 0 ]] || fail "at $scale exit status $status"
done
echo "PASS"
