#!/bin/bash
# Plays the sample game's world (World1) from its main menu with a committed
# input script from tests/e2e/player/ and writes the world's state dumps
# (QVP_STATE_DUMP) and screenshots under role names in OUT.
#
# Usage: bash tests/e2e/play_world.sh MODE OUT [PLAYER GAME]
#   MODE           script                    backend            roles
#   keyboard       world-keyboard.txt        tests/e2e/xrun     start coin jump hit over .txt, play.png
#   gamepad        world-gamepad.txt         tests/e2e/xrun     start free held air over .txt
#   headless       world-keyboard.txt        ENGINE_HEADLESS=1  mid over .txt
#   headless-late  world-keyboard-late.txt   ENGINE_HEADLESS=1  mid over .txt
#   restarts       world-restarts.txt        ENGINE_HEADLESS=1  over-0..10 again-1..10 .txt
# PLAYER and GAME default to build/bin/qvplayer and build/samplegame, and
# for restarts to build-asan/bin/qvplayer and build-asan/samplegame with
# ASAN_OPTIONS=detect_leaks=1. Every run gets a fresh writable path under OUT,
# the fixed frame time, the null audio back-end and random seed 1; the Xvfb
# screen is 2272x1280, so the window is 1136 x 640 (the design size at scale
# 1) and design point (x, y) is image pixel (x, 640 - y).
# Exit status: the player's (stdout in OUT/stdout.txt, stderr in
# OUT/stderr.txt); 2 for bad arguments.
set -u
cd "$(dirname "$0")/../.."

usage() {
    echo "usage: $0 keyboard|gamepad|headless|headless-late|restarts OUT [PLAYER GAME]" >&2
    exit 2
}
[ $# = 2 ] || [ $# = 4 ] || usage
mode=$1 out=$2
scripts=tests/e2e/player

# ---- the role frames, chosen for the sample world (loop frame numbers, as
# the input scripts and the dumps count them). The scripts press Space on
# the main menu at frame 200 (Play); the world starts at once, the Runner
# drops onto the ground by frame 232 and runs right at 300 points/s through
# the first coins (frames 280-312).
# keyboard: on the ground; the screenshot with the Runner and the coins
# ahead; the three coins taken; in the air after the jump at 360; dead on
# Spiky (about frame 735) with the one-second countdown running; game over
# (from about frame 797).
kKeyboardStart=240
kKeyboardPlayPng=250
kKeyboardCoin=345
kKeyboardJump=372
kKeyboardHit=760
kKeyboardOver=830
# gamepad: running freely; the stick held left (axis 1 at -32767, frames
# 300-330); in the air after button 0 at 360; game over after the fall into
# the gap (from about frame 650).
kGamepadStart=240
kGamepadFree=290
kGamepadHeld=314
kGamepadAir=372
kGamepadOver=720
# headless and headless-late: mid-run, after the late script's first jump
# (370), and game over.
kHeadlessMid=400
kHeadlessOver=830
# restarts: no jumps, so each round ends in the gap, game over about 400
# frames after its start. The first game over; then round k = 1..10 starts
# with the Game Over screen's Retry key at kRestartRetry + (k - 1) *
# kRestartRound, the world runs again kRestartAgain frames later and is over
# kRestartOver frames later.
kRestartFirstOver=610
kRestartRetry=620
kRestartRound=460
kRestartAgain=60
kRestartOver=440

case $mode in
    keyboard | gamepad | headless | headless-late | restarts) ;;
    *) usage ;;
esac
if [ $# = 4 ]; then
    player=$3 game=$4
elif [ "$mode" = restarts ]; then
    player=build-asan/bin/qvplayer game=build-asan/samplegame
    export ASAN_OPTIONS=detect_leaks=1
else
    player=build/bin/qvplayer game=build/samplegame
fi
[ -x "$player" ] || { echo "$0: $player is not built" >&2; exit 2; }
[ -d "$game" ] || { echo "$0: $game is not a folder" >&2; exit 2; }
mkdir -p "$out" || exit 2
out=$(cd "$out" && pwd)
rm -rf "$out/store" "$out"/*.txt "$out"/*.png

dumps=
shots=
dump() { dumps="$dumps${dumps:+;}$2:$out/$1.txt"; }
shot() { shots="$shots${shots:+;}$2:$out/$1.png"; }
backend=headless
case $mode in
    keyboard)
        script=world-keyboard.txt backend=xvfb
        dump start $kKeyboardStart
        dump coin $kKeyboardCoin
        dump jump $kKeyboardJump
        dump hit $kKeyboardHit
        dump over $kKeyboardOver
        shot play $kKeyboardPlayPng
        last=$kKeyboardOver
        ;;
    gamepad)
        script=world-gamepad.txt backend=xvfb
        dump start $kGamepadStart
        dump free $kGamepadFree
        dump held $kGamepadHeld
        dump air $kGamepadAir
        dump over $kGamepadOver
        last=$kGamepadOver
        ;;
    headless | headless-late)
        script=world-keyboard.txt
        [ "$mode" = headless-late ] && script=world-keyboard-late.txt
        dump mid $kHeadlessMid
        dump over $kHeadlessOver
        last=$kHeadlessOver
        ;;
    restarts)
        script=world-restarts.txt
        dump over-0 $kRestartFirstOver
        for k in $(seq 1 10); do
            round=$((kRestartRetry + (k - 1) * kRestartRound))
            dump "again-$k" $((round + kRestartAgain))
            dump "over-$k" $((round + kRestartOver))
        done
        last=$((kRestartRetry + 9 * kRestartRound + kRestartOver))
        ;;
esac

run=(env -u QVP_LOG -u ENGINE_RESOURCE_ROOT -u ENGINE_SCREENSHOT -u ENGINE_HEADLESS ENGINE_FIXED_DT=1 ENGINE_AUDIO=null
    ENGINE_RANDOM_SEED=1 ENGINE_WRITABLE_PATH="$out/store" ENGINE_INPUT_SCRIPT="$scripts/$script"
    ENGINE_MAX_FRAMES=$((last + 2)) QVP_STATE_DUMP="$dumps")
[ -n "$shots" ] && run+=(ENGINE_SCREENSHOT="$shots")
if [ $backend = xvfb ]; then
    run=(env XRUN_SCREEN=2272x1280x24 tests/e2e/xrun "${run[@]}")
else
    run+=(ENGINE_HEADLESS=1)
fi
"${run[@]}" "$player" "$game" > "$out/stdout.txt" 2> "$out/stderr.txt"
