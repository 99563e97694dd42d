#!/bin/bash
# Buying with coins on the ui fixture's Store: two runs on one store seeded
# with 500 coins, each clicking BuyMagnet (30 coins, 2 magnets), BuyDear
# (1000 coins: refused) and BuyNothing (no such powerup: refused before any
# charge), then quitting. Run 2 starts from what run 1 saved.
# Usage: bash tests/e2e/ui_store.sh PLAYER GAME   (GAME is build/fixtures/ui/ui)
set -u
. "$(dirname "$0")/ui_common.sh"
# The fixture's folder load: 32 attributes and 16 connections packs, so it
# ends in frame 153 + 48 = 201 and F0 is 231.
F0=231
check_first_frame

store=$work/store
seed_coins "$store" 500
expected=(470 440)
for run in 1 2; do
    run_player "run$run" "$store" store.txt 60
    state "run$run" "$store"
    want_coins "run$run" "${expected[run - 1]}"
    want_line "$work/run$run.state" "inventory 5101 $((2 * run))"
    count_lines "$work/run$run.log" '[QVPObjectButtonPurchase] nothing to grant: BuyNothing' 1
done
finish
