#!/bin/bash
# The sample game from its password-protected package: every pack comes from
# data/data.pkg, the main menu opens (black, with the blue Play and orange
# Extras buttons where the loading screen showed sky, and the character
# selector's Runner, its torso kProbeRunnerBody, in the middle), and the
# frame limit ends the run with the Steam line alone and status 0.
# Usage: bash tests/e2e/player_samplegame.sh PLAYER SAMPLEGAME   (from the repository root;
#   SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/player_common.sh"
[ -s "$fixtures/data/data.pkg" ] || { echo "$name: $fixtures/data/data.pkg is missing" >&2; exit 2; }

ENGINE_WRITABLE_PATH=$work/store ENGINE_MAX_FRAMES=400 ENGINE_SCREENSHOT="5:$work/5.png;390:$work/390.png" \
    QVP_LOG=$work/log "$player" "$fixtures" > "$work/out" 2> "$work/err"
code=$?
[ $code = 0 ] || { fail "the player exited $code"; cat "$work/err"; }
cmp -s "$work/out" <(printf 'Steam Started: %%b0') || fail "stdout is $(od -c "$work/out" | head -3)"
grep -q 'for class from archive file' "$work/log" || fail "no pack was read from the package"
grep 'for class from file' "$work/log" && fail "packs were read from the data folder"
grep -qx '\[QVServices\] Screen On Enter: QVPScreenMainMenu' "$work/log" || fail "the main menu never opened"
png_check "$work/5.png" --size 1136x640 --expect 568,40=97,174,241~40
png_check "$work/390.png" --size 1136x640 --expect 568,40=0,0,0 --expect 200,320=0,0,0 \
    --expect 568,404=220,30,30 --expect 470,588=75,135,232~40 --expect 920,588=242,139,45~40
finish
