#!/bin/bash
# SIGTERM is an orderly quit: once the game has loaded, the player ends with
# status 0 and saves the progress.
# Usage: bash tests/e2e/player_signal.sh PLAYER FIXTURES   (from the repository root)
set -u
. "$(dirname "$0")/player_common.sh"

ENGINE_WRITABLE_PATH=$work/store ENGINE_MAX_FRAMES=100000 QVP_LOG=$work/log \
    "$player" "$fixtures/menus" > "$work/out" 2> "$work/err" &
pid=$!
# Loaded: the eight connections packs and the loading screen's own one, read
# at start-up, are in the log; then a few frames more.
tries=0
until [ "$(cat "$work/log" 2> /dev/null | grep -c 'load data(1) for class from file')" -ge 9 ]; do
    [ $tries -lt 600 ] || { fail "the load did not finish within 60 s"; break; }
    sleep 0.1
    tries=$((tries + 1))
done
sleep 1
kill -TERM "$pid"
wait "$pid"
code=$?
[ $code = 0 ] || { fail "the player exited $code after SIGTERM"; cat "$work/err"; }
grep -q 'save complete' "$work/log" || fail "no 'save complete' in the log"
[ -s "$work/store/UserDefault.sqlite" ] || fail "no store in ENGINE_WRITABLE_PATH"
finish
