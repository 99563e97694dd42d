#!/bin/bash
# The sample game's Extras screen as a player sees it, and its main menu in
# a 4:3 window. Buy (300, 290), Get (568, 290) and Lab (836, 290) are
# 220 x 60 design points: window boxes x 190-410, 458-678, 726-946, y 320-380.
#   run 1  0 coins: Get shows (its green look), beside Buy's green and the
#          Lab's grey locked look; a held press of Buy and of Lab darkens
#          the button; nothing is bought, unlocked or opened
#   run 2  20 coins: Buy twice (two more magnets, 10 coins), then one click of
#          Get unlocks and selects Dasher (10 coins) and Get shows Dasher
#   runs 3, 4  one store, 20 coins: one L press buys the Lab (grey) and
#          opens it, whose HUD tells that it unlocked Dasher (and he is);
#          in the next run the Lab is violet and L opens it again
#   run 5  an 800 x 600 window: the main menu's EXTRAS button is whole,
#          clear of both window edges
# Usage: bash tests/e2e/sample_extras.sh PLAYER SAMPLEGAME   (SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/ui_common.sh"
F0=$(first_frame "$game")
[ "$F0" -gt 183 ] || { echo "$name: $game/data holds no packs" >&2; exit 2; }
# The flat fills of Art.h, and the same under the pressed tint (128/255).
spend=60,160,80 spend_held=30,80,40 locked=120,120,130 locked_held=60,60,65
buy=195,325,405,375 get=463,325,673,375 lab=731,325,941,375

# True when FILE holds at least N pixels of COLOUR~TOL in BOX.
has() { "$pngprobe" "$1" --count "$2=$3~$4>=$5" 2> /dev/null; }

seed_coins "$work/store1" 0
run_player run1 "$work/store1" extras-1.txt 170 \
    "60:$work/idle.png;84:$work/buy-held.png;104:$work/get-held.png;124:$work/lab-held.png;160:$work/after.png"
png_check "$work/idle.png" --size 1136x640 --count "$get=$spend~6>=4000" \
    --count "$buy=$spend~6>=4000" --count "$lab=$locked~6>=4000"
png_check "$work/buy-held.png" --count "$buy=$spend_held~6>=4000"
png_check "$work/lab-held.png" --count "$lab=$locked_held~6>=4000"
has "$work/idle.png" "$buy" $spend_held 6 100 && fail "run1: Buy looks pressed before its press"
has "$work/idle.png" "$lab" $locked_held 6 100 && fail "run1: Lab looks pressed before its press"
png_check "$work/get-held.png" --count "$get=$spend~6>=4000"
png_check "$work/after.png" --count "$get=$spend~6>=4000" --count "$lab=$locked~6>=4000"
want_text "$work/run1.log" 'Screen On Enter: Extras'
grep -qF 'Screen On Enter: Lab HUD' "$work/run1.log" && fail "run1: the Lab opened without its price"
state run1 "$work/store1"
want_coins run1 0
# Magnets in stock before anything is bought (the Lab's magnet button
# refills to its maximum at the start).
magnets=$(awk '$1 == "inventory" && $2 == 1326 {print $3}' "$work/run1.state")
[ -n "$magnets" ] || fail "run1: no magnet count in the store"
grep -qx 'character 1 1' "$work/run1.state" && fail "run1: Dasher was unlocked with no coins"

seed_coins "$work/store2" 20
run_player run2 "$work/store2" extras-2.txt 130 "40:$work/bought.png;120:$work/dasher.png"
state run2 "$work/store2"
want_line "$work/run2.state" "inventory 1326 $((${magnets:-0} + 2))"
want_line "$work/run2.state" 'character 1 1'
want_line "$work/run2.state" 'selectedCharacter 1'
want_coins run2 0
# Get's look gives way to Dasher's own picture once he is unlocked.
png_check "$work/bought.png" --count "$get=$spend~6>=4000"
has "$work/dasher.png" "$get" $spend 6 4000 && fail "run2: Get still shows its price after the unlock"

# The Lab: one press buys and opens it; bought, it is violet and opens again.
open=150,90,220
seed_coins "$work/store3" 20
run_player run3 "$work/store3" extras-3.txt 130 "60:$work/lab-locked.png;100:$work/lab-gift.png"
png_check "$work/lab-locked.png" --count "$lab=$locked~6>=4000"
# "DASHER UNLOCKED" in white at design (568, 560), half a second after the
# Lab opened.
png_check "$work/lab-gift.png" --count '400,60,736,100=255,255,255~30>=1500'
count_lines "$work/run3.log" 'Screen On Enter: Lab HUD' 1
run_player run4 "$work/store3" extras-3.txt 130 "60:$work/lab-open.png"
png_check "$work/lab-open.png" --count "$lab=$open~6>=4000"
count_lines "$work/run4.log" 'Screen On Enter: Lab HUD' 1
state run4 "$work/store3"
want_line "$work/run4.state" 'lock "Lab" 0'
want_line "$work/run4.state" 'character 1 1'
want_coins run4 0

# 4:3: a 1600x1200 screen gives an 800 x 600 window, the design's full
# width scaled by 800/1136 over 852 points of height. EXTRAS (840, 52) is
# window x 528-655, y 542-585; its orange fill must show at its full width
# and touch neither side.
orange=242,140,45
XRUN_SCREEN=1600x1200x24 tests/e2e/xrun env ENGINE_WRITABLE_PATH="$work/store5" \
    ENGINE_RANDOM_SEED=1 ENGINE_MAX_FRAMES=$((F0 + 40)) ENGINE_SCREENSHOT="$((F0 + 30)):$work/menu43.png" \
    QVP_LOG="$work/run5.log" "$player" "$game" > "$work/run5.out" 2> "$work/run5.err" ||
    fail "run5: the player exited $?"
png_check "$work/menu43.png" --size 800x600 --count "0,540,799,587=$orange~40>=2500"
has "$work/menu43.png" 790,540,799,587 $orange 40 1 && fail "run5: EXTRAS is cut at the window's right edge"
has "$work/menu43.png" 0,540,9,587 $orange 40 1 && fail "run5: an orange button is cut at the window's left edge"
finish
