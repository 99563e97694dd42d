#!/bin/bash
# The character selector, a coin unlock and a lock button on the ui
# fixture's Store, over a store seeded with 500 coins.
#   run 1  two drags of the selector one place left each: the first selects
#          the unlocked Green, the second shows the locked Blue with the
#          unlock button and selects nothing; nothing is spent
#   run 2  the stored selection (Green) is shown; one drag to Blue, its
#          unlock button (50 coins) unlocks and selects it, and World2Lock
#          (100 coins) opens
# Usage: bash tests/e2e/ui_unlocks.sh PLAYER GAME   (GAME is build/fixtures/ui/ui)
set -u
. "$(dirname "$0")/ui_common.sh"
# The fixture's folder load: 32 attributes and 16 connections packs, so it
# ends in frame 153 + 48 = 201 and F0 is 231.
F0=231
check_first_frame
green=0,255,0 blue=0,0,255 white=255,255,255

store=$work/store
seed_coins "$store" 500
run_player run1 "$store" unlocks-1.txt 160 "72:$work/green.png;152:$work/blue.png"
png_check "$work/green.png" --size 1136x640 --expect 568,310=$green
png_check "$work/blue.png" --size 1136x640 --expect 568,310=$blue --expect 568,460=$white
state run1 "$store"
want_line "$work/run1.state" "selectedCharacter 1"
want_coins run1 500
grep -qx 'character 2 1' "$work/run1.state" && fail "run1: the locked Blue was unlocked by a drag"

run_player run2 "$store" unlocks-2.txt 170 "30:$work/stored.png"
png_check "$work/stored.png" --size 1136x640 --expect 568,310=$green
state run2 "$store"
want_line "$work/run2.state" "selectedCharacter 2"
want_line "$work/run2.state" "character 2 1"
want_line "$work/run2.state" 'lock "World2Lock" 0'
want_coins run2 350
finish
