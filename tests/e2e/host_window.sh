#!/bin/bash
# The host's window glue in a real window under Xvfb (1280x720): a forced
# windowed start, a posted switch to fullscreen and back, for landscape and
# portrait, and the window icon's three sizes in _NET_WM_ICON.
# Usage: bash tests/e2e/host_window.sh   (from the repository root)
set -u
. "$(dirname "$0")/common.sh"
need "$probe"

icon="${QV_BUILD_DIR:-build}/fixtures/icons/window.ico"  # icotool's, made by the build
[ -f "$icon" ] || { echo "host_window: $icon is not built" >&2; exit 2; }

# Landscape, with the icon; the window id is read while the probe runs.
"$probe" --icon "$icon" --orientation 1 \
    --post windowed-forced@1,fullscreen@30,windowed@60 --seconds 4 > "$work/landscape.out" 2> "$work/landscape.err" &
pid=$!
window=$(xdotool search --sync --name '^host_probe$' | head -1)
sleep 0.5
xprop -id "$window" _NET_WM_ICON > "$work/icon.prop" 2>&1
wait "$pid" || { fail "the landscape probe exited with $?"; cat "$work/landscape.err"; }
printf '%s\n' 'window 640x360+320+180 windowed' save 'window 1280x720+0+0 fullscreen' save \
    'window 640x360+320+180 windowed' | diff -u - "$work/landscape.out" ||
    fail "landscape differs (expected -, got +)"

grep -ao 'Icon ([0-9]* x [0-9]*)' "$work/icon.prop" > "$work/icons" || true
for size in 16 32 48; do
    grep -qx "Icon ($size x $size)" "$work/icons" ||
        fail "_NET_WM_ICON lacks the ${size}x${size} image; it lists:" $(cat "$work/icons")
done

# Portrait: the windowed frame is swapped and centred on the monitor.
"$probe" --orientation 0 --post windowed-forced@1 --seconds 1 > "$work/portrait.out" 2> "$work/portrait.err" ||
    { fail "the portrait probe failed"; cat "$work/portrait.err"; }
first=$(head -1 "$work/portrait.out")
[ "$first" = 'window 360x640+460+40 windowed' ] ||
    fail "portrait: expected 'window 360x640+460+40 windowed', got '$first'"
finish
