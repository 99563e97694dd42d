#!/bin/bash
# The sample game's Lab at work, one scripted run per gadget, each on a
# fresh store seeded with 100 coins (20 of them buy the Lab), read from
# state dumps (unit lines: the placed model's id, body position, angle,
# velocity and picture offset) and pixels:
#   push   PUSH held: the crate slides, the wheel turns half as fast again,
#          and the booster sends the crate on after the release
#   hop    one press of the HOP switch lifts the frog's picture off the
#          ground; the switch looks the same before the press and after it;
#          before it, S on the main menu turns the sound switch from its
#          bright speaker with waves to its grey crossed-out one (and the
#          store keeps both mutes); after it, one MAGNET press: the magnet
#          count in the button's disc changes (3 to 2, as the store says)
#          and the refill time shows above the disc
#   swipe  swipes right, up, left and down move the crate that way
#   loop   the path carries the lift up and back; portal A sends the
#          runner back to portal B; the gate ends it at its third pass; the
#          frog shows its one green in each of ten consecutive frames
#   exit   a jump over portal A takes a coin and reaches the exit: World1
#          runs with the game record's coins kept
# Frames count from F0 as in ui_sample.sh. The Lab's start section begins
# at x 0 and its loop at x 1136, so portal B (loop x 120) is at x 1256.
# Usage: bash tests/e2e/sample_lab.sh PLAYER SAMPLEGAME   (SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/ui_common.sh"
F0=$(first_frame "$game")
[ "$F0" -gt 183 ] || { echo "$name: $game/data holds no packs" >&2; exit 2; }

# FIELD (awk numbering) of the first line of dump FILE that starts with WORDS.
value() { awk -v w="$2" -v f="$3" 'index($0, w " ") == 1 {print $f; exit}' "$work/$1"; }
# The first "unit ID" line's x, y, angle, x velocity, y velocity, picture y.
ux() { value "$1" "unit $2" 6; }
uy() { value "$1" "unit $2" 7; }
ua() { value "$1" "unit $2" 9; }
uvx() { value "$1" "unit $2" 11; }
upy() { value "$1" "unit $2" 15; }
holds() { awk -v a="$2" -v b="${3:-0}" "BEGIN {exit !($4)}" || fail "$1"; }

seed_coins "$work/push" 100
run_player push "$work/push" lab-push.txt 320 "" "150:$work/p150.txt;170:$work/p170.txt;230:$work/p230.txt;300:$work/p300.txt"
a150=$(ua p150.txt 1903) a170=$(ua p170.txt 1903) a230=$(ua p230.txt 1903)
holds "push: the wheel turned ${a150:-?} -> ${a170:-?} before PUSH" "$a150" "$a170" 'b - a > 20'
holds "push: the wheel turned ${a170:-?} -> ${a230:-?} in 60 frames of PUSH, not 1.4 times its earlier rate" \
    "$(awk -v a="$a150" -v b="$a170" 'BEGIN {print (b - a) * 3}')" "$(awk -v a="$a170" -v b="$a230" 'BEGIN {print b - a}')" \
    'b > a * 1.4'
x170=$(ux p170.txt 1905) x230=$(ux p230.txt 1905) x300=$(ux p300.txt 1905) v300=$(uvx p300.txt 1905)
holds "push: the crate went ${x170:-?} -> ${x230:-?} while PUSH was held" "$x170" "$x230" 'b > a + 60'
holds "push: the crate stands at ${x300:-?}, velocity ${v300:-?}, after the booster" "$x300" "$v300" 'a > 950 && b > 100'

seed_coins "$work/hop" 100
run_player hop "$work/hop" lab-hop.txt 220 \
    "1:$work/sound-on.png;8:$work/sound-off.png;165:$work/hop-before.png;171:$work/hop-held.png;185:$work/hop-after.png" \
    "165:$work/h165.txt;200:$work/h200.txt"
# The sound switch, 72 x 72 at design (70, 590): bright or grey, the
# speaker's cone dark in both, and the cross's middle dark only when muted
# (the waves leave a gap there).
sound=34,14,105,85 cone=48,30,70,70 crossing=84,47,86,53 bright=245,182,65~40 grey=125,125,135~30 speaker=30,24,40~20
some "$work/sound-on.png" $sound $bright 1500
none "$work/sound-on.png" $sound $grey
none "$work/sound-on.png" $crossing $speaker
some "$work/sound-off.png" $sound $grey 1500
none "$work/sound-off.png" $sound $bright
some "$work/sound-off.png" $crossing $speaker 12
for shot in sound-on sound-off; do some "$work/$shot.png" $cone $speaker 300; done
state hop "$work/hop"
want_line "$work/hop.state" 'muteEffectsSound true'
want_line "$work/hop.state" 'muteBackgroundSound true'
# MAGNET at design (1080, 340): the count's glyphs in the disc's top, the
# refill time only once a magnet is used.
count=1060,252,1100,282 refill=1024,220,1135,250 glyph=255,255,255~40
for shot in hop-before hop-after; do some "$work/$shot.png" $count $glyph 20; done
none "$work/hop-before.png" $refill $glyph
some "$work/hop-after.png" $refill $glyph 40
[ "$(box_pixels "$work/hop-before.png" ${count//,/ })" != "$(box_pixels "$work/hop-after.png" ${count//,/ })" ] ||
    fail "hop: the magnet count looks the same after the press"
want_line "$work/hop.state" 'inventory 1326 2'
holds "hop: the frog's picture is at y $(upy h165.txt 1924) before the press" "$(upy h165.txt 1924)" 0 'a == 0'
holds "hop: the frog's picture is at y $(upy h200.txt 1924) after the press" "$(upy h200.txt 1924)" 0 'a > 40'
# The switch at design (60, 224) looks as every button whatever its state:
# grey before the press and after its release, cyan only while held.
for shot in before after; do
    png_check "$work/hop-$shot.png" --count '40,396,80,436=141,141,151~20>=400'
    "$pngprobe" "$work/hop-$shot.png" --count '40,396,80,436=79,217,248~30>=1' 2> /dev/null &&
        fail "hop: the switch shows its pressed look $shot the press"
done
png_check "$work/hop-held.png" --count '40,396,80,436=79,217,248~30>=400'

seed_coins "$work/swipe" 100
run_player swipe "$work/swipe" lab-swipe.txt 370 "" \
    "170:$work/s170.txt;210:$work/s210.txt;220:$work/s220.txt;260:$work/s260.txt;270:$work/s270.txt;310:$work/s310.txt;320:$work/s320.txt;360:$work/s360.txt"
holds "swipe right: the crate went $(ux s170.txt 1905) -> $(ux s210.txt 1905)" "$(ux s170.txt 1905)" "$(ux s210.txt 1905)" 'b > a + 30'
holds "swipe up: the crate went $(uy s220.txt 1905) -> $(uy s260.txt 1905)" "$(uy s220.txt 1905)" "$(uy s260.txt 1905)" 'b > a + 30'
holds "swipe left: the crate went $(ux s270.txt 1905) -> $(ux s310.txt 1905)" "$(ux s270.txt 1905)" "$(ux s310.txt 1905)" 'b < a - 30'
holds "swipe down: the crate went $(uy s320.txt 1905) -> $(uy s360.txt 1905)" "$(uy s320.txt 1905)" "$(uy s360.txt 1905)" 'b < a - 30'

seed_coins "$work/loop" 100
# The lift at three frames; the runners every fifth frame from 430.
wanted="140:$work/l140.txt;260:$work/l260.txt;370:$work/l370.txt"
for f in $(seq 430 5 595); do wanted="$wanted;$f:$work/r$f.txt"; done
frog_shots=$(for f in $(seq 440 449); do echo "$f:$work/frog$f.png"; done | paste -sd ';')
run_player loop "$work/loop" lab-loop.txt 600 "$frog_shots" "$wanted"
# The frog (loop x 720) on screen near x 850: its green in every frame.
for f in $(seq 440 449); do some "$work/frog$f.png" 700,500,1000,600 45,125,50~28 800; done
# The lift's path: from (860, 60) up 180 and back.
holds "path: the lift's y went $(uy l140.txt 1922) -> $(uy l260.txt 1922) -> $(uy l370.txt 1922)" \
    "$(uy l260.txt 1922)" "$(uy l370.txt 1922)" 'a > 210 && b < 100'
# Runner lines alive (state 0) in the loop's dumps: "index x" per line.
alive=$(cd "$work" && cat $(for f in $(seq 430 5 595); do echo r$f.txt; done) |
    awk '$1 == "world" {over = $3} $1 == "character" && $4 == 0 && !over {print $2, $12}')
holds "portal: no runner came out at portal B (x 1256)" \
    "$(echo "$alive" | awk '$1 >= 1 && $2 > 1226 && $2 < 1286 {n++} END {print n + 0}')" 0 'a >= 1'
holds "gate: no runner passed the gate a second time" \
    "$(echo "$alive" | awk '$1 == 1 && $2 > 1410 {n++} END {print n + 0}')" 0 'a >= 1'
want_text "$work/r595.txt" 'world gameover 1 '
count_lines "$work/loop.log" 'gatekeeper begin contact' 3

seed_coins "$work/exit" 100
# Every other frame around the jump: the last dump in the Lab and the first
# in World1, wherever the exit falls among them.
wanted=
for f in $(seq 460 2 510); do wanted="$wanted${wanted:+;}$f:$work/e$f.txt"; done
run_player exit "$work/exit" lab-exit.txt 520 "" "$wanted"
lab= world=
for f in $(seq 460 2 510); do
    grep -q ' key Lab$' "$work/e$f.txt" 2> /dev/null && lab=e$f.txt
    [ -z "$world" ] && grep -q ' key World1$' "$work/e$f.txt" 2> /dev/null && world=e$f.txt
done
if [ -z "$lab" ] || [ -z "$world" ]; then
    fail "exit: no dump in the Lab (${lab:-none}) then in World1 (${world:-none})"
else
    kept=$(value "$lab" 'coins global' 3)
    holds "exit: the Lab's run took ${kept:-no} coins" "${kept:-0}" 0 'a >= 1'
    holds "exit: World1 starts with $(value "$world" 'coins global' 3) coins in the game record, not the Lab's ${kept:-?}" \
        "$(value "$world" 'coins global' 3)" "${kept:-0}" 'a == b'
fi
finish
