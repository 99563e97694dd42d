#!/bin/bash
# The main road on the fixture game: the loading screen and its bar, the
# menu, a mouse click to the second screen, the back key, a key-0 press that
# must do nothing, a bound key, and the exit button's key, which quits with
# status 0 after saving the player's progress.
# Usage: bash tests/e2e/player_menus.sh PLAYER FIXTURES   (from the repository root)
set -u
. "$(dirname "$0")/player_common.sh"
need "$bin/qvstate"
t=$work
shots="5:$t/5.png;60:$t/60.png;150:$t/150.png;200:$t/200.png;230:$t/230.png;262:$t/262.png;280:$t/280.png;300:$t/300.png"
ENGINE_WRITABLE_PATH=$t/store ENGINE_MAX_FRAMES=600 ENGINE_INPUT_SCRIPT=tests/e2e/player/menus.txt \
    ENGINE_SCREENSHOT="$shots" QVP_LOG=$t/log "$player" "$fixtures/menus" > "$t/out" 2> "$t/err"
code=$?
[ $code = 0 ] || { fail "the player exited $code"; cat "$t/err"; }
# The Steam line (no line end), then the exit button's line.
cmp -s "$t/out" <(printf 'Steam Started: %%b0Doing exit...\n') ||
    fail "stdout is not the Steam line and the exit line: $(od -c "$t/out" | head -5)"

# Loading: the splash (scaled over the window), the "0" label, an empty bar;
# then the bar grows with the load.
png_check "$t/5.png" --size 1136x640 --expect 20,20=0,0,128 --expect 568,240=255,255,255 --expect 400,320=0,0,128
png_check "$t/60.png" --expect 400,320=191,191,223~3 --expect 600,320=0,0,128
png_check "$t/150.png" --expect 600,320=191,191,223~3 --expect 760,320=0,0,128
# The menu: red Options, yellow key-0 decoy, green logo, "MENU" with a gap
# between glyphs, black background. The label is 4 advances wide (96), so M
# covers 520-539 and the gap 540-543.
png_check "$t/200.png" --size 1136x640 --expect 568,320=255,0,0 --expect 568,480=255,255,0 \
    --expect 200,120=0,255,0 --expect 532,120=255,255,255 --expect 542,120=0,0,0 --expect 20,20=0,0,0
# The click on Options (frame 210) opened the Options screen.
png_check "$t/230.png" --expect 568,320=255,0,255 --expect 496,120=255,255,255 --expect 200,120=0,0,0 \
    --expect 568,480=0,0,0
# Escape (240) went back once: the menu, not the start screen.
png_check "$t/262.png" --expect 568,320=255,0,0 --expect 568,480=255,255,0 --expect 200,120=0,255,0
# Return (265) is key 0 and is bound to the decoy: nothing happened.
png_check "$t/280.png" --expect 568,320=255,0,0 --expect 568,480=255,255,0 --expect 200,120=0,255,0
# O (285) is the red button's key.
png_check "$t/300.png" --expect 568,320=255,0,255 --expect 200,120=0,0,0 --expect 568,480=0,0,0

# Each Escape went back exactly once.
backs=$(grep -c 'key Back CLCIKED' "$t/log")
[ "$backs" = 2 ] || fail "two Escape presses gave $backs backs"
# The orderly quit saved the progress, under the fixture's version.
grep -q 'save complete' "$t/log" || fail "no 'save complete' in the log"
[ -s "$t/store/UserDefault.sqlite" ] || fail "no store in ENGINE_WRITABLE_PATH"
"$bin/qvstate" --dir "$t/store" dump > "$t/state" 2>&1 || fail "qvstate could not read the store"
grep -qx 'version "1.0"' "$t/state" || fail "the store's version is not \"1.0\": $(head -1 "$t/state")"
finish
