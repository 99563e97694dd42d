#!/bin/bash
# The end-to-end checks of the sample world (CTest's e2e.world.<MODE>): runs
# tests/e2e/play_world.sh and asserts on its dumps and screenshots.
#   keyboard       start on the ground, a coin in the world and global
#                  records, in the air after a jump, dead with the game-over
#                  countdown running, game over with no lives left; the
#                  Runner's torso, a coin and the Pause button on screen
#   gamepad        free running goes right, the stick held left turns the
#                  Runner round, pad button 0 jumps, and game over
#   headless       the same script twice gives the same state and hash
#   headless-late  a first jump 10 frames later gives another hash
#   restarts       eleven game overs, each restart back in the running
#                  world, and no sanitizer report
# Usage: bash tests/e2e/world_checks.sh MODE PLAYER GAME   (from anywhere)
set -u
cd "$(dirname "$0")/../.."
[ $# = 3 ] || { echo "usage: $0 MODE PLAYER GAME" >&2; exit 2; }
mode=$1 player=$2 game=$3
name="e2e.world.$mode"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$name: $*"; status=1; }
play() {
    bash tests/e2e/play_world.sh "$1" "$2" "$player" "$game" || {
        fail "play_world.sh $1 exited $?"
        tail -20 "$2/stderr.txt"
    }
}
# Field F of character 0's line in dump FILE.
field() { awk -v f="$2" '$1 == "character" && $2 == 0 {print $f}' "$1"; }
has() { grep -Eq "$2" "$1" 2>/dev/null || fail "$(basename "$1"): no line matches '$2'"; }
hasnt() { ! grep -Eq "$2" "$1" 2>/dev/null || fail "$(basename "$1"): a line matches '$2'"; }
holds() { awk -v a="$2" -v b="${3:-0}" "BEGIN {exit !($4)}" || fail "$1"; }

case $mode in
    keyboard)
        o=$work/k
        play keyboard "$o"
        has "$o/start.txt" '^character 0 state [0-3] bits 0x[0-9a-f]{8} ground 1 '
        awk '$1=="coins" && $2=="world" && $3>=1 {w=1} $1=="coins" && $2=="global" && $3>=1 {g=1}
             END {exit !(w && g)}' "$o/coin.txt" 2>/dev/null || fail "coin.txt: no coin in both records"
        has "$o/jump.txt" '^character 0 state [0-3] bits 0x[0-9a-f]{8} ground 0 '
        hasnt "$o/hit.txt" '^character [0-9]+ state [0-3] '
        awk '$1=="world" && $3==0 && $7<0.999 {ok=1} END {exit !ok}' "$o/hit.txt" 2>/dev/null ||
            fail "hit.txt: no running game-over countdown"
        has "$o/over.txt" '^world gameover 1 .* lives 0 '
        "$(dirname "$player")/pngprobe" "$o/play.png" --size 1136x640 --count '0,100,1135,639=220,30,30~24>=600' \
            --count '0,100,1135,639=255,200,0~24>=200' --count '1040,0,1135,99=0,200,90~24>=800' ||
            fail "play.png: the probe colours are not all on screen"
        ;;
    gamepad)
        o=$work/g
        play gamepad "$o"
        holds "free.txt: x velocity $(field "$o/free.txt" 15) is not above 100" "$(field "$o/free.txt" 15)" 0 'a > 100'
        holds "held.txt: x velocity $(field "$o/held.txt" 15) is not below -100" "$(field "$o/held.txt" 15)" 0 'a < -100'
        holds "air.txt: y $(field "$o/air.txt" 13) is not 20 above the start's $(field "$o/start.txt" 13)" \
            "$(field "$o/start.txt" 13)" "$(field "$o/air.txt" 13)" 'b > a + 20'
        has "$o/air.txt" ' ground 0 '
        has "$o/over.txt" '^world gameover 1 '
        ;;
    headless)
        play headless "$work/h1"
        play headless "$work/h2"
        for role in mid over; do
            diff "$work/h1/$role.txt" "$work/h2/$role.txt" || fail "$role.txt differs between two runs"
        done
        has "$work/h1/over.txt" '^hash [0-9a-f]{16}$'
        has "$work/h1/over.txt" '^world gameover 1 '
        ;;
    headless-late)
        play headless "$work/h1"
        play headless-late "$work/h3"
        has "$work/h3/mid.txt" '^hash [0-9a-f]{16}$'
        if diff -q <(grep '^hash' "$work/h1/mid.txt") <(grep '^hash' "$work/h3/mid.txt") > /dev/null; then
            fail "mid.txt: a later first jump left the hash unchanged"
        fi
        has "$work/h3/over.txt" '^world gameover 1 '
        ;;
    restarts)
        o=$work/r
        play restarts "$o"
        for k in $(seq 0 10); do has "$o/over-$k.txt" '^world gameover 1 '; done
        for k in $(seq 1 10); do
            has "$o/again-$k.txt" '^world gameover 0 '
            has "$o/again-$k.txt" '^character 0 state [0-3] '
        done
        if grep -q 'Sanitizer' "$o/stderr.txt"; then
            fail "a sanitizer reported"
            grep -A20 'Sanitizer' "$o/stderr.txt" | head -40
        fi
        ;;
    *)
        echo "usage: $0 keyboard|gamepad|headless|headless-late|restarts PLAYER GAME" >&2
        exit 2
        ;;
esac
[ $status = 0 ] && echo "$name: ok"
exit $status
