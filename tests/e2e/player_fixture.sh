#!/bin/bash
# The player's fixture game as the player's own loader reads it: the flow
# graph of the folder load, the same models from the zip and 7-Zip packages
# (whose roots hold no pack outside the package), a load error from the
# flipped package, the step count the e2e checks' frame numbers rest on,
# and the splash and icon read back by other readers.
# Usage: bash tests/e2e/player_fixture.sh QVLOADCHECK PNGPROBE FIXTURES
#   (from the repository root; FIXTURES is build/fixtures/player)
set -u
cd "$(dirname "$0")/../.." || exit 2
[ $# = 3 ] || { echo "usage: $0 QVLOADCHECK PNGPROBE FIXTURES" >&2; exit 2; }
loadcheck=$1 pngprobe=$2 fixtures=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "player_fixture: $*"; status=1; }
models() { sed -n '/^models /,/^flow$/p' "$1" | grep -vx flow; }

root="$fixtures/menus"
"$loadcheck" --flow --folder "$root" > "$work/folder" || fail "the folder load exited $?"
grep -qx 'last error -' "$work/folder" || fail "the folder load left: $(grep '^last error' "$work/folder")"
sed -n '/^flow$/,$p' "$work/folder" | diff -u tests/fixtures/player/menus.flow - ||
    fail "the flow graph differs from tests/fixtures/player/menus.flow (expected -, got +)"
models "$work/folder" | diff -u "$fixtures/menus.models" - ||
    fail "the loaded models differ from the writer's listing (expected -, got +)"

# One step per pack and one per class (72) in each stage: 14 attributes and
# 8 connections packs give 166. The loading-screen probes of the player
# checks are placed on these steps; a changed count moves them.
attributes=$(ls "$root/data" | grep -c '\.attributes\.pack$')
connections=$(ls "$root/data" | grep -c '\.connections\.pack$')
[ "$attributes/$connections" = 14/8 ] ||
    fail "the game has $attributes attributes and $connections connections packs, not 14 and 8"
steps=$(awk '/^percent /{print NF - 2}' "$work/folder")
[ "$steps" = 166 ] || fail "the folder load took $steps steps, not 166"

for v in infozip aes256; do
    "$loadcheck" --archive "$fixtures/menus-$v" > "$work/$v" || fail "menus-$v: the load exited $?"
    grep -qx 'last error -' "$work/$v" || fail "menus-$v: $(grep '^last error' "$work/$v")"
    models "$work/$v" | diff -u "$fixtures/menus.models" - || fail "menus-$v: other models"
    ls "$fixtures/menus-$v/data" | grep '\.pack$' && fail "menus-$v: packs outside the package"
    for f in Default.png icon.ico data/fonts/QVModelFont_ID1060.fnt data/atlases/atlas_ID1010.plist; do
        cmp -s "$root/$f" "$fixtures/menus-$v/$f" || fail "menus-$v: $f is not the game's"
    done
done
"$loadcheck" --archive "$fixtures/menus-corrupt-aes256" > "$work/corrupt"
code=$?
[ $code = 1 ] || fail "menus-corrupt-aes256: the load exited $code, not 1"
grep -qx 'last error -' "$work/corrupt" && fail "menus-corrupt-aes256: no load error"

# The media, through readers that are not the writer's.
"$pngprobe" "$root/Default.png" --size 64x64 --expect 0,0=0,0,128 --expect 63,63=0,0,128 ||
    fail "Default.png is not 64x64 of (0, 0, 128)"
[ "$(icotool -l "$root/icon.ico")" = "--icon --index=1 --width=16 --height=16 --bit-depth=32 --palette-size=0" ] ||
    fail "icon.ico: icotool lists $(icotool -l "$root/icon.ico" 2>&1)"
icotool -x -o "$work" "$root/icon.ico" &&
    "$pngprobe" "$work"/icon_1_16x16x32.png --size 16x16 --expect 0,0=255,128,0 --expect 15,15=255,128,0 ||
    fail "icon.ico's image is not 16x16 of (255, 128, 0)"
[ $status = 0 ] && echo "player_fixture: ok"
exit $status
