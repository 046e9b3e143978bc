#!/usr/bin/env bash
# Redraws Tallaby's artwork with ImageMagick: the window icon, the about-box
# emblem, the Veltrane logo and the web-site banner, the last three at 1x and
# 2x. The generated files are committed and the build only reads those, so it
# never needs this script; run it by hand after changing a drawing, then look
# at the results.
set -euo pipefail
cd "$(dirname "$0")"

# A substitute font would quietly change the lettering, so insist on the real one.
font() {
    local file
    file=$(fc-match -f '%{file}' "$1")
    case "$file" in
        *"$2") echo "$file" ;;
        *) echo "make-artwork.sh: font '$1' not found (install fonts-liberation)" >&2; exit 1 ;;
    esac
}
SANS=$(font 'Liberation Sans' LiberationSans-Regular.ttf)
SANS_BOLD=$(font 'Liberation Sans:bold' LiberationSans-Bold.ttf)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Keep reruns byte-identical: no timestamps, no profiles, no comments.
NO_DATES=(+set date:create +set date:modify -strip)

# Product emblem: a green tile with a "T" over the double rule of a total.
EDGE='#1b5a40'; TILE='#2e8a60'; LIGHT='#48ad7e'; SHADE='#25754f'
INK='#ffffff'; INK_SHADOW='#1f6a49'; GOLD='#f4c552'; GOLD_DARK='#d29c2a'

# Drawn pixel by pixel: at 16 px any smoothing only blurs the letter.
convert -size 16x16 xc:none +antialias \
    -fill "$EDGE"       -draw 'rectangle 2,0 13,15' -draw 'rectangle 0,2 15,13' \
                        -draw 'point 1,1' -draw 'point 14,1' -draw 'point 1,14' -draw 'point 14,14' \
    -fill "$TILE"       -draw 'rectangle 2,1 13,14' -draw 'rectangle 1,2 14,13' \
    -fill "$LIGHT"      -draw 'rectangle 2,1 13,1' -draw 'rectangle 1,2 1,7' \
    -fill "$SHADE"      -draw 'rectangle 2,14 13,14' -draw 'rectangle 14,8 14,13' \
    -fill "$INK_SHADOW" -draw 'rectangle 4,4 13,5' -draw 'rectangle 8,6 9,10' \
    -fill "$INK"        -draw 'rectangle 3,3 12,4' -draw 'rectangle 7,5 8,9' \
    -fill "$GOLD"       -draw 'rectangle 3,11 12,11' -draw 'rectangle 3,13 12,13' \
    "${NO_DATES[@]}" -define png:exclude-chunks=date,time \
    -define png:bit-depth=8 -define png:color-type=3 \
    PNG8:window-icon.png

# The desktop's application icon: the same emblem drawn large and smooth, then
# scaled down for the theme's sizes; at 16 px the hand-drawn window icon serves.
mkdir -p icons
convert -size 256x256 xc:none \
    -fill "$EDGE"       -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill "$LIGHT"      -draw 'roundrectangle 16,16 239,239 36,36' \
    -fill "$TILE"       -draw 'roundrectangle 22,22 237,237 32,32' \
    -fill "$INK_SHADOW" -draw 'rectangle 60,58 212,94' -draw 'rectangle 120,94 152,176' \
    -fill "$INK"        -draw 'rectangle 52,50 204,86' -draw 'rectangle 112,86 144,168' \
    -fill "$GOLD_DARK"  -draw 'rectangle 52,186 204,200' -draw 'rectangle 52,212 204,226' \
    -fill "$GOLD"       -draw 'rectangle 52,184 204,196' -draw 'rectangle 52,210 204,222' \
    "${NO_DATES[@]}" -define png:exclude-chunks=date,time "$tmp/icon-256.png"
for size in 256 128 48 32; do
    convert "$tmp/icon-256.png" -filter Lanczos -resize ${size}x${size} \
        "${NO_DATES[@]}" -define png:exclude-chunks=date,time PNG32:icons/tallaby-$size.png
done
cp window-icon.png icons/tallaby-16.png

# The about box shows its emblem stretched to 121 x 159. Drawn from its shapes
# at that size, and at twice it for finer screens, it stays sharp; the six
# clear columns on the right let the product name show through beside it.
# Shapes on a 32-unit grid: colour, rect or round, first and last cell, radius.
EMBLEM_SHAPES="
$EDGE round 0 0 25 31 5
$LIGHT round 1 1 24 30 4
$SHADE round 2 2 24 30 4
$TILE round 2 2 23 29 3
$INK_SHADOW rect 6 7 22 10
$INK_SHADOW rect 13 11 16 19
$INK rect 4 5 20 8
$INK rect 11 9 14 17
$GOLD_DARK rect 4 21 21 23
$GOLD_DARK rect 4 25 21 27
$GOLD rect 4 21 21 22
$GOLD rect 4 25 21 26"
emblem() { # width height file
    local mvg
    mvg=$(echo "$EMBLEM_SHAPES" | awk -v sx="$1" -v sy="$2" 'NF {
        sx1 = sx / 32; sy1 = sy / 32
        x0 = $3 * sx1; y0 = $4 * sy1; x1 = ($5 + 1) * sx1 - 1; y1 = ($6 + 1) * sy1 - 1
        printf "fill \"%s\" ", $1
        if ($2 == "round") printf "roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f ", x0, y0, x1, y1, $7 * sx1, $7 * sy1
        else printf "rectangle %.2f,%.2f %.2f,%.2f ", x0, y0, x1, y1
    }')
    convert -size "$1x$2" xc:none -draw "$mvg" "${NO_DATES[@]}" \
        -define png:exclude-chunks=date,time PNG32:"$3"
}
emblem 121 159 about-emblem.png
emblem 242 318 about-emblem@2x.png

# Maker's emblem: a roof over a "V". Drawn large and scaled down so the
# diagonals come out smooth in the logo and the banner.
convert -size 160x160 gradient:'#3b82c8-#1c4c86' -alpha set \
    \( -size 160x160 xc:none -fill white -draw 'roundrectangle 2,2 157,157 34,34' \) \
    -compose DstIn -composite -compose Over \
    -fill white     -draw 'polygon 32,66 55,66 80,112 105,66 128,66 90,134 70,134' \
    -fill '#f5a93a' -draw 'polygon 36,56 80,22 124,56 104,56 80,38 56,56' \
    "$tmp/veltrane-emblem.png"

# The logo and the banner are drawn at 1x and at 2x ("@2x") from the same
# measures times S, so finer screens get real detail instead of an enlargement.
logo() { # scale file
    local S=$1
    # The tag line is spaced out to end under the wordmark's last letter.
    convert -size $((207*S))x$((52*S)) xc:'#f5f7f9' \
        \( "$tmp/veltrane-emblem.png" -filter Lanczos -resize $((40*S))x$((40*S)) \) \
        -geometry +$((12*S))+$((6*S)) -composite \
        -font "$SANS_BOLD" -pointsize $((34*S)) -fill '#21364b' -annotate +$((60*S))+$((32*S)) 'Veltrane' \
        -font "$SANS" -pointsize $((9*S)) -kerning "$S" -fill '#6b7c8c' \
        -annotate +$((60*S))+$((45*S)) 'HOUSEHOLD SOFTWARE' \
        -dither None -colors 64 "${NO_DATES[@]}" \
        GIF:"$2"
}
logo 1 logo.gif
logo 2 logo@2x.gif

VISIT='Visit'; SITE='veltrane.example'; REST='for more free household tools'
# -annotate drops leading spaces, so each run is placed by measured advance;
# the bars stop label: from trimming the spaces being measured.
advance() { # font text pointsize
    echo $(( $(convert -font "$1" -pointsize "$3" label:"|$2|" -format %w info:) \
           - $(convert -font "$1" -pointsize "$3" label:'||' -format %w info:) ))
}
banner() { # scale file
    local S=$1 W=$((878*$1)) H=$((43*$1)) PT=$((18*$1))
    local space w_visit w_site w_rest x base=$((28*$1))
    space=$(advance "$SANS" ' ' $PT)
    w_visit=$(( $(advance "$SANS" "$VISIT" $PT) + space ))
    w_site=$(( $(advance "$SANS_BOLD" "$SITE" $PT) + space ))
    w_rest=$(advance "$SANS" "$REST" $PT)
    x=$(( (W - w_visit - w_site - w_rest) / 2 ))
    chevron() { # $1: x of the left point
        echo "polygon $1,$((13*S)) $(($1+8*S)),$((21*S)) $1,$((29*S)) $(($1+4*S)),$((29*S)) $(($1+12*S)),$((21*S)) $(($1+4*S)),$((13*S))"
    }
    # 4:4:4 sampling keeps the gold lettering from bleeding into the blue.
    convert -size ${H}x${W} gradient:'#22558d-#173f73' -rotate -90 \
        \( -size ${W}x$((21*S)) gradient:'rgba(255,255,255,0.18)-rgba(255,255,255,0)' \) -composite \
        -fill 'rgba(255,255,255,0.30)' -draw "rectangle 0,0 $((W-1)),$((S-1))" \
        -fill 'rgba(0,0,0,0.30)' -draw "rectangle 0,$((H-S)) $((W-1)),$((H-1))" \
        \( "$tmp/veltrane-emblem.png" -filter Lanczos -resize $((31*S))x$((31*S)) \) \
        -geometry +$((8*S))+$((6*S)) -composite \
        -fill '#ffe08a' -draw "$(chevron $((W-34*S)))" -draw "$(chevron $((W-24*S)))" \
        -font "$SANS"      -pointsize $PT -fill white     -annotate +$x+$base "$VISIT" \
        -font "$SANS_BOLD" -pointsize $PT -fill '#ffe08a' -annotate +$((x+w_visit))+$base "$SITE" \
        -font "$SANS"      -pointsize $PT -fill white     -annotate +$((x+w_visit+w_site))+$base "$REST" \
        "${NO_DATES[@]}" -quality 92 -sampling-factor 1x1 -interlace JPEG \
        JPEG:"$2"
}
banner 1 banner.jpg
banner 2 banner@2x.jpg
