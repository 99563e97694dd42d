#!/bin/bash
# Games that cannot load are reported as failures, never run as games:
# - a package under another password: one line on stderr naming the package's
#   error, status 1, no Steam line, no window, and no progress store made;
# - a package with a damaged pack: the window opens and loading starts, then
#   the player ends with status 1 and the line naming the pack, and the
#   existing progress store is left byte for byte as it was.
# Status 1 is also a sanitizer's, so stderr must be that one line alone.
# Usage: bash tests/e2e/player_unloadable.sh PLAYER FIXTURES   (from the repository root)
set -u
. "$(dirname "$0")/player_common.sh"
store_tool=$bin/engine_store_tool
need "$store_tool"

# A copy of the game whose package has another password.
wrong=$work/menus-wrongpw
cp -r "$fixtures/menus-aes256" "$wrong"
cp tests/fixtures/load/wrongpw-aes256.pkg "$wrong/data/data.pkg"
ENGINE_WRITABLE_PATH=$work/wrong-store ENGINE_MAX_FRAMES=300 QVP_LOG=$work/wrong.log \
    "$player" "$wrong" > "$work/wrong.out" 2> "$work/wrong.err" &
pid=$!
windows=0
while kill -0 "$pid" 2> /dev/null; do
    xdotool search --name '.' > /dev/null 2>&1 && windows=1
done
wait "$pid"
code=$?
[ $code = 1 ] || fail "wrong password: the player exited $code, not 1"
[ $windows = 0 ] || fail "wrong password: a window opened"
[ -s "$work/wrong.out" ] && fail "wrong password: stdout has $(head -c 80 "$work/wrong.out")"
[ -e "$work/wrong-store/UserDefault.sqlite" ] && fail "wrong password: the progress store was made"
[ "$(wc -l < "$work/wrong.err")" = 1 ] || fail "wrong password: stderr is not one line:" "$(cat "$work/wrong.err")"
grep -qE "^qvplayer: cannot load the game from (.*/)?menus-wrongpw: .+ \(Keys\.pack: Unable to open a file: Error P17\)\$" \
    "$work/wrong.err" || fail "wrong password: stderr: $(cat "$work/wrong.err")"

# The damaged package, over a store that already holds progress.
ENGINE_WRITABLE_PATH=$work/store "$store_tool" set QVP_Fixture kept > /dev/null ||
    fail "engine_store_tool could not make the store"
cp "$work/store/UserDefault.sqlite" "$work/before.sqlite"
ENGINE_WRITABLE_PATH=$work/store ENGINE_MAX_FRAMES=600 QVP_LOG=$work/corrupt.log \
    "$player" "$fixtures/menus-corrupt-aes256" > "$work/corrupt.out" 2> "$work/corrupt.err"
code=$?
[ $code = 1 ] || fail "damaged package: the player exited $code, not 1"
[ "$(wc -l < "$work/corrupt.err")" = 1 ] || fail "damaged package: stderr is not one line:" "$(cat "$work/corrupt.err")"
grep -qE "^qvplayer: cannot load the game from (.*/)?menus-corrupt-aes256: .+ \(QVModelObjectButton\.0\.attributes\.pack: .*Bad archive\)\$" \
    "$work/corrupt.err" || fail "damaged package: stderr: $(cat "$work/corrupt.err")"
grep -q 'Doing exit' "$work/corrupt.out" && fail "damaged package: the game ran to its exit button"
cmp -s "$work/before.sqlite" "$work/store/UserDefault.sqlite" || fail "damaged package: the store changed"
[ "$(ls "$work/store" | tr '\n' ' ')" = "UserDefault.sqlite UserDefault.sqlite.lock " ] ||
    fail "damaged package: the store folder holds $(ls "$work/store")"
grep -q 'save complete' "$work/corrupt.log" && fail "damaged package: the player saved"
finish
