#!/bin/bash
# The keys-only script without a window, from each password-protected
# package: O opens Options, Escape comes back, Return (key 0) does nothing,
# Q reaches the exit button, which quits with status 0 and saves.
# Usage: bash tests/e2e/player_headless.sh PLAYER FIXTURES   (from the repository root)
set -u
. "$(dirname "$0")/player_common.sh"

for v in aes256 infozip; do
    ENGINE_HEADLESS=1 ENGINE_WRITABLE_PATH=$work/$v-store ENGINE_MAX_FRAMES=400 \
        ENGINE_INPUT_SCRIPT=tests/e2e/player/menus-keys.txt QVP_LOG=$work/$v.log \
        "$player" "$fixtures/menus-$v" > "$work/$v.out" 2> "$work/$v.err"
    code=$?
    [ $code = 0 ] || { fail "menus-$v: the player exited $code"; cat "$work/$v.err"; }
    cmp -s "$work/$v.out" <(printf 'Steam Started: %%b0Doing exit...\n') ||
        fail "menus-$v: stdout is $(od -c "$work/$v.out" | head -3)"
    grep -q 'from archive file' "$work/$v.log" || fail "menus-$v: nothing was read from the package"
    grep -q 'save complete' "$work/$v.log" || fail "menus-$v: no 'save complete' in the log"
done
finish
