#!/usr/bin/env bash
# The play command: installs what is missing, builds the player and the
# sample game (written into build/samplegame), not the tests, and plays that
# game. With a display it opens the player's window; without one (or with
# QV_PLAY_HEADLESS set) it plays a scripted demo under Xvfb and prints the
# screenshots it took.
# Exit status: 1 for an install or build failure, or a demo that did not end
# well.
cd "$(dirname "$0")/.." || exit 1

bash tools/install-deps.sh || exit 1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
cmake --build build -j"$(nproc)" --target qvplayer samplegame || exit 1

if [ -n "${DISPLAY:-}" ] && [ -z "${QV_PLAY_HEADLESS+set}" ]; then
  # Progress stays in the player's normal store.
  exec build/bin/qvplayer build/samplegame
fi

# The demo: a fresh progress store, no sound device, scripted keys, a fixed
# number of frames and two screenshots. The player's window is half the
# virtual screen.
root=$(pwd)
play=$root/build/play
menu=$play/menu.png
game=$play/game.png
rm -rf "$play"
mkdir -p "$play/state" || exit 1

XRUN_SCREEN=2272x1280x24 \
  ENGINE_WRITABLE_PATH="$play/state" \
  ENGINE_AUDIO=null \
  ENGINE_MAX_FRAMES=818 \
  ENGINE_INPUT_SCRIPT="$root/tools/play-demo.input" \
  ENGINE_SCREENSHOT="188:$menu;818:$game" \
  tests/e2e/xrun "$root/build/bin/qvplayer" "$root/build/samplegame"
status=$?
# The player's stdout ends without a line end; the lines below start their own.
echo

ok=1
[ "$status" -eq 0 ] || { echo "qvplayer exited with status $status" >&2; ok=0; }
for shot in "$menu" "$game"; do
  if [ -f "$shot" ]; then
    echo "screenshot: $shot"
  else
    echo "missing screenshot: $shot" >&2
    ok=0
  fi
done
[ "$ok" -eq 1 ] || exit 1
exit 0
