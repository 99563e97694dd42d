#!/bin/bash
# The player's window: titled with the game's "Application Name", the
# windowed frame (half the 2272x1280 screen, centred), and the game's
# 16 x 16 icon; SIGTERM then ends the run with status 0.
# Usage: bash tests/e2e/player_window.sh PLAYER GAME_FOLDER   (from the repository root)
set -u
. "$(dirname "$0")/player_common.sh"

ENGINE_WRITABLE_PATH=$work/store ENGINE_MAX_FRAMES=100000 QVP_LOG=$work/log \
    "$player" "$fixtures" > "$work/out" 2> "$work/err" &
pid=$!
window=$(timeout 60 xdotool search --sync --name '^QV Menus Fixture$' | head -1)
if [ -z "$window" ]; then
    fail "no window titled 'QV Menus Fixture' appeared"
else
    sleep 0.5
    title=$(xprop -id "$window" _NET_WM_NAME)
    [ "$title" = '_NET_WM_NAME(UTF8_STRING) = "QV Menus Fixture"' ] || fail "the window's name reads '$title'"
    xwininfo -id "$window" > "$work/info"
    geometry=$(awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
                    /^ *Width:/{w=$NF} /^ *Height:/{h=$NF} END{print w "x" h "+" x "+" y}' "$work/info")
    [ "$geometry" = 1136x640+568+320 ] || fail "the window is $geometry, not 1136x640+568+320"
    xprop -id "$window" _NET_WM_ICON > "$work/icon" 2>&1
    icons=$(grep -ao 'Icon ([0-9]* x [0-9]*)' "$work/icon" | tr '\n' ' ')
    [ "$icons" = "Icon (16 x 16) " ] || fail "_NET_WM_ICON lists '$icons', not the one 16 x 16 icon"
fi
kill -TERM "$pid" 2>/dev/null
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    fail "the player was still running 10 s after SIGTERM"
fi
wait "$pid"
code=$?
[ $code = 0 ] || { fail "the player exited $code"; cat "$work/err"; }
head -c 18 "$work/out" | cmp -s - <(printf 'Steam Started: %%b0') || fail "stdout does not begin with the Steam line"
finish
