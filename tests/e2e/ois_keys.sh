#!/bin/bash
# Key presses reach the game's OIS listener exactly once each next to a GLFW
# window, with X auto-repeat on: a tap of J, then J held for 1.5 s, must give
# two presses and two releases of KC_J (36, tool code 0x4A) and nothing else.
# Usage: bash tests/e2e/ois_keys.sh   (from the repository root; the probe is
# taken from ${QV_BUILD_DIR:-build}/bin/host_probe)
set -u
cd "$(dirname "$0")/../.."
if [ -z "${QV_E2E_INNER:-}" ]; then
    exec env QV_E2E_INNER=1 tests/e2e/xrun bash "$0" "$@"
fi

probe="${QV_BUILD_DIR:-build}/bin/host_probe"
[ -x "$probe" ] || { echo "ois_keys: $probe is not built" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

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
if ! xset q | grep -q 'auto repeat:  on'; then
    echo "ois_keys: X auto-repeat was off, so the hold proved nothing"
    status=1
fi
wait "$pid"
rc=$?
if [ $rc != 0 ]; then
    echo "ois_keys: the probe exited with $rc"
    cat "$work/keys.err"
    status=1
fi

presses=$(grep -cx 'press 36 0x4A' "$work/keys.out")
releases=$(grep -cx 'release 36 0x4A' "$work/keys.out")
others=$(grep -E '^(press|release) ' "$work/keys.out" | grep -vxE '(press|release) 36 0x4A' | wc -l)
if [ "$presses" != 2 ] || [ "$releases" != 2 ] || [ "$others" != 0 ]; then
    echo "ois_keys: expected 2 presses and 2 releases of 36 0x4A and nothing else;" \
        "got $presses presses, $releases releases, $others other lines:"
    cat "$work/keys.out"
    status=1
fi

[ $status = 0 ] && echo "ois_keys: ok"
exit $status
