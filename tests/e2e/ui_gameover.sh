#!/bin/bash
# An event observer opens the game-over screen, on the ui fixture's Pit: 90
# frames after the click on "Pit" the magenta GameOver screen shows over a
# world that is over, the observer logged its line and the screen opened once.
# Usage: bash tests/e2e/ui_gameover.sh PLAYER GAME   (GAME is build/fixtures/ui/ui)
set -u
. "$(dirname "$0")/ui_common.sh"
# The fixture's folder load: 32 attributes and 16 connections packs, so it
# ends in frame 153 + 48 = 201 and F0 is 231.
F0=231
check_first_frame

run_player run "$work/store" gameover.txt 95 "90:$work/over.png" "90:$work/over.txt"
png_check "$work/over.png" --size 1136x640 --expect 568,320=255,0,255
grep -q '^world gameover 1 ' "$work/over.txt" 2> /dev/null ||
    fail "over.txt: no 'world gameover 1' line: $(grep '^world' "$work/over.txt" 2> /dev/null)"
want_text "$work/run.log" '[QVPObjectEventObserver] Got Game OVER in observer'
count_lines "$work/run.log" 'Screen On Enter: GameOver' 1
finish
