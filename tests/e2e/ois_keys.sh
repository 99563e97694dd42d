#!/bin/bash
# Key presses reach the game's OIS listener exactly once each next to a GLFW
# window, with X auto-repeat on: a tap of J, then J held for 1.5 s, must give
# two presses and two releases of KC_J (36, tool code 0x4A) and nothing else.
# Usage: bash tests/e2e/ois_keys.sh   (from the repository root)
set -u
. "$(dirname "$0")/common.sh"
need "$probe"

xset r rate 250 30
"$probe" --keys --seconds 6 > "$work/keys.out" 2> "$work/keys.err" &
pid=$!
window=$(xdotool search --sync --name '^host_probe$' | head -1)
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --delay 50 j
xdotool keydown j
sleep 1.5
xdotool keyup j
xset q | grep -q 'auto repeat:  on' || fail "X auto-repeat was off, so the hold proved nothing"
wait "$pid" || { fail "the probe exited with $?"; cat "$work/keys.err"; }

presses=$(grep -cx 'press 36 0x4A' "$work/keys.out")
releases=$(grep -cx 'release 36 0x4A' "$work/keys.out")
others=$(grep -E '^(press|release) ' "$work/keys.out" | grep -vxE '(press|release) 36 0x4A' | wc -l)
if [ "$presses" != 2 ] || [ "$releases" != 2 ] || [ "$others" != 0 ]; then
    fail "expected 2 presses and 2 releases of 36 0x4A and nothing else;" \
        "got $presses presses, $releases releases, $others other lines:"
    cat "$work/keys.out"
fi
finish
