#!/bin/bash
# The sample world as a player sees it (e2e.sample.world), read from
# screenshots and state dumps of three runs on fresh stores:
#   world  tests/e2e/player/sample-world.txt: World1 from Play through the
#          lamp, the puddle and the checkpoint to game over, Continue, game
#          over and Retry
#     trail   in the first frames after the world starts, after Continue and
#             after Retry, no trail-white pixel lies outside a box around
#             the Runner (the trail used to streak from the screen's corner)
#     sky     rows through the sky have no seam: no column darker than a
#             neighbour by more than 6 (sum of channels), none near black
#     lamp    the lamp's warm glow shows in the spiky section (300 pixels
#             or more), where the start has fewer
#     mirror  the Runner's torso, tinted, shows in the puddle under it
#     banner  the banner's red shows on the pole before it is taken; after
#             the take and after Continue none is left on screen
#     lives   after Continue the dump shows the Runner's life again
#     loading the loading screen enters and leaves as "QVPScreenStart"
#   lab    tests/e2e/ui/sample-world-lab.txt, 100 coins and the Lab bought:
#          Extras, then L into the Lab, whose sky rows have no seam either
#   demo   the run `QV_PLAY_HEADLESS=1 bash tools/play.sh` makes
#          (tools/play-demo.input, 818 frames): its last screenshot shows
#          the sky, the ground, a hazard and the Runner's torso in four
#          colours at least 60 apart
# Usage: bash tests/e2e/sample_world.sh PLAYER SAMPLEGAME   (SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/ui_common.sh"

# "x r g b" for every pixel of row Y from X0 to X1 of PNG: pngprobe names
# each pixel that misses an expectation, and no screenshot pixel has alpha 0.
row_pixels() {
    local png=$1 y=$2 x args=()
    for ((x = $3; x <= $4; x++)); do args+=(--expect "$x,$y=0,0,0,0"); done
    "$pngprobe" "$png" "${args[@]}" 2>&1 | sed -n 's/.* pixel \([0-9]*\),[0-9]* is \([0-9]*\),\([0-9]*\),\([0-9]*\),.*/\1 \2 \3 \4/p'
}
# Seams along rows Y... of PNG: a column darker than a neighbour by more
# than 6, or a pixel near black, fails.
no_seam() {
    local png=$1 y report
    shift
    for y in "$@"; do
        report=$(row_pixels "$png" "$y" 0 1135 | awk '{s[NR] = $2 + $3 + $4; x[NR] = $1}
            END {
                if (NR != 1136) {print "row has " NR " pixels"; exit}
                for (i = 1; i <= NR; i++) {
                    if (s[i] < 60) {print "near black at x " x[i]; exit}
                    if (i > 1 && s[i] < s[i - 1] - 6 || i < NR && s[i] < s[i + 1] - 6) {print "seam at x " x[i]; exit}
                }
            }')
        [ -z "$report" ] || fail "$(basename "$png") row $y: $report"
    done
}
# At least N pixels of colour C (pngprobe's "R,G,B~TOL") in REGION.
some() { "$pngprobe" "$1" --count "$2=$3>=$4" > /dev/null 2>&1 || fail "$(basename "$1"): fewer than $4 pixels $3 in $2"; }
# The Runner's torso and its trail, white at the head.
torso='220,30,30~10'
trail_white='255,255,255~55'
banner_red='255,40,40~12'
lamp_warm='205,195,170~30'

# ---- world
store=$work/world-store
mkdir -p "$store"
shot_frames="240 700 1140 1190 1260 1514 1524 1830"
trail_frames="4 6 8 10 12 16 20"
shots=$({
    for f in $shot_frames; do echo "$f:$work/w$f.png"; done
    for start in 200 1500 1800; do
        for o in $trail_frames; do echo "$((start + o)):$work/t$((start + o)).png"; done
    done
} | sort -n | paste -sd ';')
env ENGINE_WRITABLE_PATH="$store" ENGINE_INPUT_SCRIPT=tests/e2e/player/sample-world.txt ENGINE_MAX_FRAMES=1832 \
    QVP_LOG="$work/world.log" ENGINE_SCREENSHOT="$shots" QVP_STATE_DUMP="1530:$work/continued.txt" \
    "$player" "$game" > "$work/world.out" 2> "$work/world.err" || { fail "world: the player exited $?"; tail -5 "$work/world.err"; }

want_text "$work/world.log" '[QVServices] Screen On Enter: QVPScreenStart'
want_text "$work/world.log" '[QVServices] Screen On Exit: QVPScreenStart'
# Continue puts the Runner back at the pole with its life.
want_text "$work/continued.txt" 'world gameover 0 paused 0 countdown 1.000 lives 1 key World1'
awk '$1 == "character" && $2 == 0 && $12 > 5300 {ok = 1} END {exit !ok}' "$work/continued.txt" 2> /dev/null ||
    fail "continued.txt: the Runner is not past the checkpoint"
# The Runner runs near x 260 on screen: the box around it and its trail.
for start in 200 1500 1800; do
    for o in $trail_frames; do
        f=$work/t$((start + o)).png
        none "$f" 0,80,109,639 "$trail_white"
        none "$f" 401,80,1135,639 "$trail_white"
        none "$f" 110,80,400,329 "$trail_white"
    done
done
no_seam "$work/w240.png" 100 200 300
no_seam "$work/w1830.png" 100 200 300
fewer "$work/w240.png" 0,80,1135,560 "$lamp_warm" 300
some "$work/w700.png" 0,80,1135,560 "$lamp_warm" 300
# The puddle lies below the grass line (design y 64, image row 576).
some "$work/w1140.png" 0,577,1135,639 150,40,41~30 100
some "$work/w1190.png" 0,80,1135,639 "$banner_red" 20
none "$work/w1260.png" 0,80,1135,639 "$banner_red"
none "$work/w1514.png" 0,80,1135,639 "$banner_red"
none "$work/w1524.png" 0,80,1135,639 "$banner_red"

# ---- lab
F0=$(first_frame "$game")
seed_coins "$work/lab-store" 100
ENGINE_WRITABLE_PATH=$work/lab-store "$store_tool" set QVP_LockStates "Lab:0" > /dev/null ||
    { echo "$name: engine_store_tool could not seed the Lab" >&2; exit 2; }
run_player lab "$work/lab-store" sample-world-lab.txt 200 "200:$work/lab.png"
want_text "$work/lab.log" '[QVServices] Screen On Enter: Lab HUD'
# Rows below the pause button and above the swipe pad (y 140).
no_seam "$work/lab.png" 100 125

# ---- demo
env ENGINE_WRITABLE_PATH="$work/demo-store" ENGINE_INPUT_SCRIPT=tools/play-demo.input ENGINE_MAX_FRAMES=818 \
    ENGINE_SCREENSHOT="188:$work/menu.png;818:$work/game.png" "$player" "$game" > "$work/demo.out" 2> "$work/demo.err" ||
    fail "demo: the player exited $?"
[ -f "$work/menu.png" ] || fail "demo: no menu screenshot"
sky='79,143,223~12' soil='130,86,51~25' hazard='240,104,18~30'
some "$work/game.png" 0,90,1135,110 "$sky" 1000
some "$work/game.png" 0,600,1135,639 "$soil" 20000
some "$work/game.png" 0,80,1135,639 "$hazard" 300
some "$work/game.png" 0,0,1135,639 "$torso" 1000
awk -v list="$sky $soil $hazard $torso" 'BEGIN {
        n = split(list, c, " ")
        for (i = 1; i <= n; i++) {
            split(substr(c[i], 1, index(c[i], "~") - 1), t, ",")
            for (k = 1; k <= 3; k++) v[i, k] = t[k]
        }
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) {
            d = 0
            for (k = 1; k <= 3; k++) d += (v[i, k] > v[j, k] ? v[i, k] - v[j, k] : v[j, k] - v[i, k])
            if (d <= 60) exit 1
        }
    }' || fail "demo: two of the sky, ground, hazard and torso colours are within 60"
finish
