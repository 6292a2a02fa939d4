#!/usr/bin/env bash
# Draws Telvane's artwork with ImageMagick into the folder given as $1:
#   splash.bmp       425 x 159  the start-up splash (dialog "splash" picture)
#   telvane.ico      16/32/48   the recorder's icon: a round record button
#   size.ico         16/32/48   the bitmap scaler's icon
#   bitmap7_100.bmp  250 x 30   skin master at 100 %: the small recorder
#                               window's header strip
#   bitmap7.bmp      375 x 45   skin master at 150 % (1.5 x the 100 % one,
#                               drawn at that size, not scaled, so it stays sharp)
#   top_close.bmp    13 x 13    caption button bitmaps of the small window
#   top_mini.bmp     13 x 13
#   resize.bmp       96 x 96    the "RESIZE" picture of the marking window
# Bitmaps are 24-bit uncompressed BMP (BMP3), the form LoadImage and the
# scaler read. Text uses DejaVu Sans (Debian package fonts-dejavu-core).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <output-folder>" >&2
    exit 2
fi
out=$1
mkdir -p "$out"

# The distribution's ImageMagick when it is there.
if [ -x /usr/bin/convert ]; then
    convert=/usr/bin/convert
else
    convert=$(command -v convert) || { echo "generate-art: ImageMagick's convert is missing" >&2; exit 1; }
fi

fonts=/usr/share/fonts/truetype/dejavu
sans=$fonts/DejaVuSans.ttf
bold=$fonts/DejaVuSans-Bold.ttf
for f in "$sans" "$bold"; do
    [ -f "$f" ] || { echo "generate-art: $f is missing (install fonts-dejavu-core)" >&2; exit 1; }
done

# Palette: a dark blue-grey, the status line's blue as accent, record red.
top='#2e3d4d'
bottom='#121a22'
accent='#01a1d0'
red='#e0393e'
grey='#c4ceda'

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# BMP3 with no alpha channel and true colour, so even a near-grey picture is
# written with 24 bits per pixel and no palette.
# Usage: bmp <output file> <convert arguments...>
bmp() {
    local dst=$1
    shift
    "$convert" "$@" -alpha off -type TrueColor -compress None "BMP3:$dst"
}

# Splash: mark on the left, the name, an accent line, the subtitle.
bmp "$out/splash.bmp" -size 425x159 "gradient:$top-$bottom" \
    -fill '#0b1117' -draw 'circle 66,79 66,43' \
    -fill none -stroke white -strokewidth 3 -draw 'circle 66,79 66,47' -stroke none \
    -fill "$red" -draw 'circle 66,79 66,57' \
    -font "$bold" -pointsize 50 -fill white -annotate +118+86 'Telvane' \
    -fill "$accent" -draw 'rectangle 120,99 398,100' \
    -font "$sans" -pointsize 19 -fill "$grey" -annotate +120+127 'Call Recorder'

# Icons: drawn at 256 px and reduced, each size its own image in the file.
icon() {
    local src=$1 dst=$2
    "$convert" "$src" -background none \
        \( -clone 0 -resize 48x48 \) \( -clone 0 -resize 32x32 \) \( -clone 0 -resize 16x16 \) \
        -delete 0 "ICO:$dst"
}

"$convert" -size 256x256 xc:none \
    -fill '#1b252f' -draw 'circle 128,128 128,6' \
    -fill none -stroke white -strokewidth 14 -draw 'circle 128,128 128,30' -stroke none \
    -fill "$red" -draw 'circle 128,128 128,62' \
    "PNG32:$tmp/telvane.png"
icon "$tmp/telvane.png" "$out/telvane.ico"

# The scaler: a diagonal double arrow on a rounded square.
"$convert" -size 256x256 xc:none \
    -fill "$top" -draw 'roundrectangle 8,8 247,247 40,40' \
    -stroke "$accent" -strokewidth 24 -draw 'line 86,170 170,86' -stroke none \
    -fill "$accent" -draw 'polygon 52,204 52,122 134,204' -draw 'polygon 204,52 122,52 204,134' \
    "PNG32:$tmp/size.png"
icon "$tmp/size.png" "$out/size.ico"

# Skin header strip, drawn for a scale factor: record mark, name, subtitle,
# an accent line along the bottom. The right end stays plain: the close and
# minimise buttons sit there. It is wider than the window's client area at
# the usual dialog fonts; the header control shows its left part.
skin() {
    local s=$1 dst=$2
    local w h
    w=$(awk -v s="$s" 'BEGIN { printf "%d", 250 * s }')
    h=$(awk -v s="$s" 'BEGIN { printf "%d", 30 * s }')
    local draw
    draw=$(awk -v s="$s" -v w="$w" -v h="$h" 'BEGIN {
        printf "circle %g,%g %g,%g|", 13 * s, 15 * s, 13 * s, 9 * s
        printf "circle %g,%g %g,%g|", 13 * s, 15 * s, 13 * s, 11 * s
        printf "rectangle 0,%g %g,%g|", h - s, w - 1, h - 1
        printf "%d|%d|%d|%d|%d", 26 * s, 20 * s, 14 * s, 9 * s, 92 * s
    }')
    local ring dot line px py pt pts sx
    IFS='|' read -r ring dot line px py pt pts sx <<<"$draw"
    bmp "$dst" -size "${w}x${h}" "gradient:$top-$bottom" \
        -fill none -stroke white -strokewidth "$s" -draw "$ring" -stroke none \
        -fill "$red" -draw "$dot" \
        -fill "$accent" -draw "$line" \
        -font "$bold" -pointsize "$pt" -fill white -annotate "+$px+$py" 'Telvane' \
        -font "$sans" -pointsize "$pts" -fill "$grey" -annotate "+$sx+$py" 'Call Recorder'
}
skin 1 "$out/bitmap7_100.bmp"
skin 1.5 "$out/bitmap7.bmp"

# Caption buttons: a white cross and a white bar on the header's colour.
bmp "$out/top_close.bmp" -size 13x13 "xc:#26333f" -stroke white -strokewidth 1.6 \
    -draw 'line 3,3 9,9' -draw 'line 9,3 3,9'
bmp "$out/top_mini.bmp" -size 13x13 "xc:#26333f" -fill white -draw 'rectangle 3,8 9,9'

# The marking window's picture: a four-way move arrow.
bmp "$out/resize.bmp" -size 96x96 "xc:$top" \
    -fill white -draw 'rectangle 44,22 51,73' -draw 'rectangle 22,44 73,51' \
    -draw 'polygon 47.5,6 34,22 61,22' -draw 'polygon 47.5,89 34,73 61,73' \
    -draw 'polygon 6,47.5 22,34 22,61' -draw 'polygon 89,47.5 73,34 73,61' \
    -fill "$accent" -draw 'circle 47.5,47.5 47.5,40'
