#!/bin/bash
# The sample game's UI kinds: its screens build every kind, the main menu's
# selector shows the Runner, one press of the Extras screen's lock button
# "Lab" unlocks it for 20 coins and opens the Lab HUD, and the world HUD's
# observer "Game Over" opens its screen. Two runs, each on a fresh store
# seeded with 100 coins.
# Usage: bash tests/e2e/ui_sample.sh PLAYER SAMPLEGAME   (SAMPLEGAME is build/samplegame)
set -u
. "$(dirname "$0")/ui_common.sh"
# The game loads from its package, which ends sooner than the folder load;
# the folder's count is a safe bound.
F0=$(first_frame "$game")
[ "$F0" -gt 183 ] || { echo "$name: $game/data holds no packs" >&2; exit 2; }

seed_coins "$work/store1" 100
run_player run1 "$work/store1" sample-1.txt 250 "0:$work/menu.png"
# The Runner's torso (kProbeRunnerBody) around the selector, design (568, 236).
png_check "$work/menu.png" --size 1136x640 --count '508,344,628,464=220,30,30~24>=40'
want_text "$work/run1.log" 'Screen On Enter: Extras'
want_text "$work/run1.log" 'Screen On Enter: Lab HUD'
state run1 "$work/store1"
want_line "$work/run1.state" 'lock "Lab" 0'
want_coins run1 80

seed_coins "$work/store2" 100
run_player run2 "$work/store2" sample-2.txt 1500
want_text "$work/run2.log" 'Screen On Enter: HUD'
count_lines "$work/run2.log" 'Screen On Enter: Game Over' 1
finish
