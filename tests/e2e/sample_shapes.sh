#!/bin/bash
# The sample game in a 4:3 (800 x 600) and a 21:9 (1280 x 540) window, one
# run each on a store of 12345 coins (tests/e2e/ui/sample-shapes-*.txt):
#   menu    PLAY and EXTRAS show their fills, the five-digit coin count its
#           digits, and nothing but black touches the window's edges
#   World1  the ground along the bottom rows, the Runner's torso, the Pause
#           face and the JUMP button whole and clear of the edges; the dump
#           puts the Runner on the ground inside the visible height, and a
#           click on JUMP lifts it
#   Extras  the coin buttons' fills and the coin count, edges black; the keys
#           alone buy a magnet (M), get Dasher (D), open the web and share
#           pages (W, S; a stand-in xdg-open records them) and buy the Lab (L)
#   Lab     the ground, the Pause face, HOP and MAGNET whole and clear of the
#           edges, the character inside the visible height
# The fixed-width screen shows the design's 1136 points across at scale
# s = window width / 1136, over window height / s points from the bottom.
# Usage: bash tests/e2e/sample_shapes.sh PLAYER SAMPLEGAME   (SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/ui_common.sh"
F0=$(first_frame "$game")
[ "$F0" -gt 183 ] || { echo "$name: $game/data holds no packs" >&2; exit 2; }

mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$1" >> "%s"\n' "$work/opened" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

black=0,0,0~8 white=255,255,255~40 soil=130,86,51~25
count() { "$pngprobe" "$1" --count "$2=$3>=9999999" 2>&1 | sed -n 's/.* has \([0-9]*\) pixels.*/\1/p'; }
# At least 85% of N pixels of COLOUR, N measured at scale 1 (a 1136 x 640
# window) and scaled by s squared, in PNG (in BOX, by default the window).
whole() {
    local png=$1 what=$2 colour=$3 need have
    need=$(awk -v n="$4" -v s="$s" 'BEGIN {print int(n * s * s * 0.85)}')
    have=$(count "$png" "${5:-0,0,$((w - 1)),$((h - 1))}" "$colour")
    [ "${have:-0}" -ge "$need" ] || fail "$tag $(basename "$png"): $what shows ${have:-no} pixels of $colour, not $need"
}
# The 2-pixel strips along the window's edges.
strips() { echo "0,0,$((w - 1)),1 0,$((h - 2)),$((w - 1)),$((h - 1)) 0,0,1,$((h - 1)) $((w - 2)),0,$((w - 1)),$((h - 1))"; }
# The first character line's field F of dump FILE.
field() { awk -v f="$2" '$1 == "character" {print $f; exit}' "$work/$1"; }
# Screenshot, what, its colour, its whole count at scale 1. On the black
# menu and Extras nothing but black may touch the edges; in the worlds
# none of these colours.
fills='menu|PLAY|75,135,232~40|9000
menu|EXTRAS|242,140,45~40|6000
extras|BUY and GET|60,160,80~6|18000
extras|LAB|120,120,130~6|9000
world|the Pause face|0,200,90~24|2600
world|the Runner'"'"'s torso|220,30,30~24|1700
world|JUMP|215,90,135~30|5000
lab|the Pause face|0,200,90~24|2600
lab|HOP|141,141,151~20|3000
lab|MAGNET|215,90,135~30|5000'

for shape in 800x600:43 1280x540:219; do
    size=${shape%:*} tag=${shape#*:}
    w=${size%x*} h=${size#*x}
    s=$(awk -v w="$w" 'BEGIN {print w / 1136}')
    top=$(awk -v h="$h" -v s="$s" 'BEGIN {print h / s}')
    seed_coins "$work/store$tag" 12345
    rm -f "$work/opened"
    run_screen=$((2 * w))x$((2 * h))x24 run_player "$tag" "$work/store$tag" "sample-shapes-$tag.txt" 580 \
        "70:$work/menu$tag.png;150:$work/world$tag.png;320:$work/extras$tag.png;560:$work/lab$tag.png" \
        "150:$work/w$tag.txt;172:$work/j$tag.txt;198:$work/p$tag.txt;560:$work/l$tag.txt"

    png_check "$work/menu$tag.png" --size "$size"
    while IFS='|' read -r shot what colour n; do
        whole "$work/$shot$tag.png" "$what" "$colour" "$n"
        [ "$shot" = world ] || [ "$shot" = lab ] || continue
        for box in $(strips); do
            [ "$(count "$work/$shot$tag.png" "$box" "$colour")" = 0 ] || fail "$tag $shot: $what touches the edge in $box"
        done
    done <<< "$fills"
    # The coin count's digits, right of design x 900 in the top 70 points.
    coinbox=$(awk -v w="$w" -v s="$s" 'BEGIN {print int(900 * s) ",0," w - 1 "," int(70 * s)}')
    for shot in menu extras; do
        whole "$work/$shot$tag.png" "the coin count" $white 1250 "$coinbox"
        for box in $(strips); do
            IFS=, read -r x0 y0 x1 y1 <<< "$box"
            [ "$(count "$work/$shot$tag.png" "$box" $black)" = $(((x1 - x0 + 1) * (y1 - y0 + 1))) ] ||
                fail "$tag $shot: something touches the edge in $box"
        done
    done
    for shot in world lab; do
        [ "$(count "$work/$shot$tag.png" "0,$((h - 4)),$((w - 1)),$((h - 1))" $soil)" -ge $((w * 4 * 9 / 10)) ] ||
            fail "$tag $shot: the ground is not along the bottom rows"
    done

    # Body centres 48 points above the feet: inside 0..top with the head.
    for dump in w$tag.txt l$tag.txt; do
        y=$(field "$dump" 13)
        awk -v y="${y:-0}" -v t="$top" 'BEGIN {exit !(y >= 48 && y + 48 <= t)}' ||
            fail "$tag $dump: the character stands at y ${y:-?}, outside 0..$top"
    done
    [ "$(field "w$tag.txt" 8)" = 1 ] || fail "$tag: the Runner is not on the ground before the click"
    awk -v a="$(field "w$tag.txt" 13)" -v b="$(field "j$tag.txt" 13)" 'BEGIN {exit !(b > a + 20)}' ||
        fail "$tag: the click on JUMP did not lift the Runner ($(field "w$tag.txt" 13) -> $(field "j$tag.txt" 13))"

    # The magnet (5), Dasher (10) and the Lab (20) paid from the coins the
    # game record held when the Runner left World1.
    state "$tag" "$work/store$tag"
    held=$(awk '$1 == "coins" && $2 == "global" {print $5}' "$work/p$tag.txt")
    want_coins "$tag" $((${held:-0} - 35))
    want_line "$work/$tag.state" 'character 1 1'
    want_line "$work/$tag.state" 'lock "Lab" 0'
    want_line "$work/opened" 'https://example.org/'
    want_line "$work/opened" 'https://example.org/share'
done
finish
