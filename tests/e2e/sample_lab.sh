#!/bin/bash
# The sample game's Lab at work, one scripted run per gadget, each on a
# fresh store seeded with 100 coins (20 of them buy the Lab), read from
# state dumps (unit lines: the placed model's id, body position, angle,
# velocity and picture offset) and pixels:
#   push   PUSH held: the crate slides and the wheel turns half as fast
#          again; released, the crate slides on onto the booster, which
#          sends it on; the runner catches it up and never overlaps it
#   hop    one press of the HOP switch lifts the frog's picture off the
#          ground; the switch looks the same before the press and after it;
#          before it, S on the main menu turns the sound switch from its
#          bright speaker with waves to its grey crossed-out one (and the
#          store keeps both mutes); after it, one MAGNET press: the magnet
#          count in the button's disc changes (3 to 2, as the store says)
#          and the refill time shows above the disc
#   swipe  swipes left, up, right and down move the crate that way, and it
#          comes back down onto the ground and stays there (a jump through
#          the Coin Row keeps the runner out of their way)
#   loop   the runner shoves the crate (never overlapping it); the path
#          carries the lift up and back; portal A sends the runner back to
#          portal B; the gate ends it at its third pass, and the ended
#          runners stay where they were; the Dasher notice has faded; the
#          frog shows its one green in each of ten consecutive frames
#   exit   one jump takes the Coin Row's three coins; a jump over portal A
#          takes a coin and reaches the exit: World1 runs with the game
#          record's coins kept
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
# "x y crate-x crate-y" of the first live character in dump FILE whose box
# (56 x 84) overlaps the crate's (60 x 60, turned by its angle) by more
# than 6 points, a frame's run (a first contact sinks in that far before
# the bodies part); nothing when none does.
inside_crate() {
    awk '$1 == "character" && $4 < 4 {x[++n] = $12; y[n] = $13}
        $1 == "unit" && $2 == 1905 {
            a = $9 * atan2(0, -1) / 180; c = cos(a); s = sin(a)
            h = 30 * ((c < 0 ? -c : c) + (s < 0 ? -s : s)); ux = $6; uy = $7; crate = 1
        }
        END {
            for (i = 1; crate && i <= n; i++) {
                dx = x[i] - ux; dy = y[i] - uy
                if ((dx < 0 ? -dx : dx) < 22 + h && (dy < 0 ? -dy : dy) < 36 + h) {print x[i], y[i], ux, uy; exit}
            }
        }' "$work/$1"
}
# Fails at the first dump PREFIX<f>.txt, f from FIRST to LAST by 2, in
# which the runner overlaps the crate.
never_inside() {
    local f at
    for f in $(seq "$2" 2 "$3"); do
        [ -f "$work/$1$f.txt" ] || { fail "$1$f.txt: no dump"; return; }
        at=$(inside_crate "$1$f.txt")
        [ -z "$at" ] || { fail "$1$f.txt: the runner at (${at% * *}) overlaps the crate at (${at#* * })"; return; }
    done
}

seed_coins "$work/push" 100
wanted="150:$work/p150.txt;170:$work/p170.txt"
for f in $(seq 200 2 300); do wanted="$wanted;$f:$work/p$f.txt"; done
run_player push "$work/push" lab-push.txt 320 "" "$wanted"
a150=$(ua p150.txt 1903) a170=$(ua p170.txt 1903) a230=$(ua p230.txt 1903)
holds "push: the wheel turned ${a150:-?} -> ${a170:-?} before PUSH" "$a150" "$a170" 'b - a > 20'
holds "push: the wheel turned ${a170:-?} -> ${a230:-?} in 60 frames from the PUSH press, not 1.4 times its earlier rate" \
    "$(awk -v a="$a150" -v b="$a170" 'BEGIN {print (b - a) * 3}')" "$(awk -v a="$a170" -v b="$a230" 'BEGIN {print b - a}')" \
    'b > a * 1.4'
x170=$(ux p170.txt 1905) x210=$(ux p210.txt 1905) x300=$(ux p300.txt 1905) v300=$(uvx p300.txt 1905)
holds "push: the crate went ${x170:-?} -> ${x210:-?} while PUSH was held" "$x170" "$x210" 'b > a + 30'
# PUSH moves it at 80 points/s; only the booster makes it faster before the
# runner reaches it (about frame 262).
boost=$(for f in $(seq 212 2 250); do uvx "p$f.txt" 1905; done | sort -g | tail -1)
holds "push: the crate went at most ${boost:-?} points/s after the release: no booster" "${boost:-0}" 0 'a > 150'
holds "push: the crate stands at ${x300:-?}, velocity ${v300:-?}, after the booster" "$x300" "$v300" 'a > 950 && b > 100'
never_inside p 200 300

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
    "170:$work/s170.txt;210:$work/s210.txt;220:$work/s220.txt;260:$work/s260.txt;270:$work/s270.txt;310:$work/s310.txt;316:$work/s316.txt;360:$work/s360.txt"
holds "swipe left: the crate went $(ux s170.txt 1905) -> $(ux s210.txt 1905)" "$(ux s170.txt 1905)" "$(ux s210.txt 1905)" 'b < a - 30'
holds "swipe up: the crate went $(uy s220.txt 1905) -> $(uy s260.txt 1905)" "$(uy s220.txt 1905)" "$(uy s260.txt 1905)" 'b > a + 30'
holds "swipe right: the crate went $(ux s270.txt 1905) -> $(ux s310.txt 1905)" "$(ux s270.txt 1905)" "$(ux s310.txt 1905)" 'b > a + 30'
# On the ground the crate stands at y 94: the ground's top at 64, half a crate.
y316=$(uy s316.txt 1905) y360=$(uy s360.txt 1905)
holds "swipe up: the crate is at y ${y316:-?} after it, not back on the ground" "$y316" 0 'a > 93 && a < 95'
holds "swipe down: the crate is at y ${y360:-?} after it, not on the ground" "$y360" 0 'a > 93 && a < 95'

seed_coins "$work/loop" 100
# The runner and the crate every other frame from 200 (they meet about
# frame 222); the runners every fifth frame from 360; the lift at 140, 260
# and 370.
wanted="140:$work/l140.txt"
for f in $(seq 200 2 340); do wanted="$wanted;$f:$work/c$f.txt"; done
for f in $(seq 360 5 535); do wanted="$wanted;$f:$work/r$f.txt"; done
frog_shots=$(for f in $(seq 440 449); do echo "$f:$work/frog$f.png"; done | paste -sd ';')
run_player loop "$work/loop" lab-loop.txt 540 "$frog_shots;470:$work/loop.png" "$wanted"
# The frog (loop x 720) on screen near x 850: its green in every frame.
for f in $(seq 440 449); do some "$work/frog$f.png" 700,500,1000,600 45,125,50~28 800; done
# The path: from (860, 60) up 180 and back.
holds "path: the lift's y went $(uy l140.txt 1922) -> $(uy c260.txt 1922) -> $(uy r370.txt 1922)" \
    "$(uy c260.txt 1922)" "$(uy r370.txt 1922)" 'a > 210 && b < 100'
never_inside c 200 340
runs=$(for f in $(seq 360 5 535); do echo "$work/r$f.txt"; done)
# Runner lines alive (state 0) in the loop's dumps: "index x" per line.
# shellcheck disable=SC2086 # one dump a word
alive=$(awk '$1 == "world" {over = $3} $1 == "character" && $4 == 0 && !over {print $2, $12}' $runs)
holds "portal: no runner came out at portal B (x 1256)" \
    "$(echo "$alive" | awk '$1 >= 1 && $2 > 1226 && $2 < 1286 {n++} END {print n + 0}')" 0 'a >= 1'
holds "gate: no runner passed the gate a second time" \
    "$(echo "$alive" | awk '$1 == 1 && $2 > 1410 {n++} END {print n + 0}')" 0 'a >= 1'
want_text "$work/r535.txt" 'world gameover 1 '
# The runner's three passes, and the crate that the booster sent on.
count_lines "$work/loop.log" 'gatekeeper begin contact' 4
# An ended runner (state 5) stays where it ended: its first such place
# against each later dump's, "index x0,y0 x,y" of the first that moved.
# shellcheck disable=SC2086 # one dump a word
moved=$(awk '$1 == "character" && $4 == 5 {
        if (!($2 in x)) {x[$2] = $12; y[$2] = $13}
        dx = $12 - x[$2]; dy = $13 - y[$2]
        if (dx * dx + dy * dy > 1) {print $2, x[$2] "," y[$2], $12 "," $13; exit}
    }' $runs)
if [ -n "$moved" ]; then
    read -r who from to <<< "$moved"
    fail "loop: ended runner $who went from $from to $to after its end"
fi
# The notice of Dasher's unlock (design (568, 560), white) is gone 5 s after
# the Lab opened.
none "$work/loop.png" 400,60,736,100 255,255,255~30

seed_coins "$work/exit" 100
# Before and after the first jump; then every other frame around the
# second: the last dump in the Lab and the first in World1, wherever the
# exit falls among them.
wanted="194:$work/e194.txt;290:$work/e290.txt"
for f in $(seq 380 2 430); do wanted="$wanted;$f:$work/e$f.txt"; done
run_player exit "$work/exit" lab-exit.txt 440 "" "$wanted"
before=$(value e194.txt 'coins global' 3) after=$(value e290.txt 'coins global' 3)
holds "exit: the Lab's coins went ${before:-?} -> ${after:-?} over the Coin Row" "$before" "$after" 'b == a + 3'
lab= world=
for f in $(seq 380 2 430); do
    grep -q ' key Lab$' "$work/e$f.txt" 2> /dev/null && lab=e$f.txt
    [ -z "$world" ] && grep -q ' key World1$' "$work/e$f.txt" 2> /dev/null && world=e$f.txt
done
if [ -z "$lab" ] || [ -z "$world" ]; then
    fail "exit: no dump in the Lab (${lab:-none}) then in World1 (${world:-none})"
else
    kept=$(value "$lab" 'coins global' 3)
    holds "exit: the Lab's run took ${kept:-no} coins" "${kept:-0}" 0 'a >= 4'
    holds "exit: World1 starts with $(value "$world" 'coins global' 3) coins in the game record, not the Lab's ${kept:-?}" \
        "$(value "$world" 'coins global' 3)" "${kept:-0}" 'a == b'
fi
finish
