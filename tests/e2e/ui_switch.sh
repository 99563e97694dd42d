#!/bin/bash
# A switch button's state survives its HUD's rebuild, on the ui fixture's
# Arena: the first press of "Go" starts the Mover (1 px per frame to the
# right), a pause and back rebuild the HUD, and the new switch's press stops
# it after about 83 frames of movement. The camera stays at (0, 0), so the
# Mover's design point (300, 400) is window pixel (300, 240).
# Usage: bash tests/e2e/ui_switch.sh PLAYER GAME   (GAME is build/fixtures/ui/ui)
set -u
. "$(dirname "$0")/ui_common.sh"
# The fixture's folder load: 32 attributes and 16 connections packs, so it
# ends in frame 153 + 48 = 201 and F0 is 231.
F0=231
check_first_frame
P=60
yellow=255,255,0 black=0,0,0

store=$work/store
run_player run "$store" switch.txt 240 \
    "$((P - 5)):$work/before.png;$((P + 60)):$work/moving.png;$((P + 110)):$work/stopped.png;$((P + 170)):$work/later.png"
png_check "$work/before.png" --size 1136x640 --expect 300,240=$yellow
png_check "$work/moving.png" --expect 360,240=$yellow --expect 300,240=$black
# Stopped near 383; one that kept moving would be near 453 by the last shot.
png_check "$work/stopped.png" --expect 383,240=$yellow
png_check "$work/later.png" --expect 383,240=$yellow --expect 443,240=$black
finish
