#!/bin/bash
# engine_demo's window and drawing scenes end to end:
#   demo_checks.sh ENGINE_DEMO PNGPROBE CHECK
# GL checks expect to run under tests/e2e/xrun; the headless ones set
# ENGINE_HEADLESS=1 themselves. Image y = 640 - GL y for the 960x640 frame.
set -u
demo=$1
probe=$2
check=$3
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

fail() { echo "FAIL ($check): $*"; exit 1; }
run() { "$demo" "$@" 2> "$t/log" || { cat "$t/log"; return 1; }; }

case $check in
clear)
    ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/c.png run --scene clear || fail "demo failed"
    "$probe" "$t/c.png" --size 960x640 --expect 240,160=0,255,0 --expect 720,480=255,0,255 || fail "pixels"
    ;;
events)
    for headless in 1 0; do
        ENGINE_HEADLESS=$headless ENGINE_MAX_FRAMES=60 run --scene events > "$t/e.txt" || fail "demo failed"
        diff <(printf 'hook user 7\nhook user 8\nhook close\nrun 0 frames 4\n') "$t/e.txt" || fail "headless=$headless"
    done
    ;;
wmclose)
    ENGINE_MAX_FRAMES=60 run --scene wmclose > "$t/w.txt" || fail "demo failed"
    cat "$t/w.txt"
    grep -qx 'hook close' "$t/w.txt" && grep -qx 'run 0 frames [34]' "$t/w.txt" || fail "close not delivered"
    ;;
fullscreen)
    ENGINE_MAX_FRAMES=18 ENGINE_SCREENSHOT="8:$t/f.png;16:$t/g.png" run --scene fullscreen > "$t/f.txt" || fail "demo failed"
    cat "$t/f.txt"
    grep -qx 'monitor 0,0 1280x720' "$t/f.txt" || fail "monitor"
    grep -qx 'frame 8 1280x720' "$t/f.txt" || fail "fullscreen size"
    grep -qx 'frame 16 960x640' "$t/f.txt" || fail "windowed size"
    "$probe" "$t/f.png" --size 1280x720 --expect 1270,710=255,0,255 || fail "fullscreen pixels"
    "$probe" "$t/g.png" --size 960x640 || fail "windowed screenshot"
    ;;
icon)
    ENGINE_MAX_FRAMES=5 run --scene icon > "$t/i.txt" || fail "demo failed"
    grep -qx 'icon 16x16' "$t/i.txt" || fail "$(cat "$t/i.txt")"
    ;;
primitives)
    ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/p.png run --scene primitives || fail "demo failed"
    "$probe" "$t/p.png" --expect 380,320=191,191,191~3 --expect 580,320=0,0,0 \
        --count '490,290,670,350=191,191,191~3>=300' || fail "pixels"
    ;;
sprites)
    ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/s.png run --scene sprites || fail "demo failed"
    "$probe" "$t/s.png" --expect 160,160=255,0,0 --expect 456,160=0,255,0 --expect 504,160=255,255,0 \
        --expect 816,144=0,0,255 --expect 784,176=0,0,0 --expect 160,480=128,0,0~4 --expect 480,480=255,128,0~3 \
        --expect 840,470=0,255,255 || fail "pixels"
    ;;
batchorder)
    ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/o.png run --scene batchorder > "$t/o.txt" || fail "demo failed"
    grep -qx 'draws 3' "$t/o.txt" || fail "$(cat "$t/o.txt")"
    "$probe" "$t/o.png" --expect 370,320=255,0,0 --expect 435,320=0,255,0 --expect 470,320=0,255,0 \
        --expect 505,320=255,0,0 || fail "pixels"
    ;;
mirror)
    ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/r.png run --scene mirror || fail "demo failed"
    "$probe" "$t/r.png" --expect 480,210=255,0,0 --expect 480,250=0,255,0 --expect 480,310=0,128,0~6 \
        --expect 480,350=128,0,0~6 || fail "pixels"
    ;;
policy)
    for p in 1 2 3; do
        ENGINE_MAX_FRAMES=3 ENGINE_SCREENSHOT=2:$t/y$p.png run --scene policy --design 1136x640 --frame 1280x600 \
            --policy $p || fail "demo failed (policy $p)"
    done
    "$probe" "$t/y2.png" --expect 20,300=0,0,0 --expect 640,300=0,128,255 --expect 640,20=255,0,0 || fail "show all"
    "$probe" "$t/y1.png" --expect 20,300=0,128,255 --expect 640,5=0,128,255 || fail "no border"
    "$probe" "$t/y3.png" --expect 20,300=0,128,255 --expect 1260,300=0,128,255 --expect 640,20=255,0,0 ||
        fail "fixed height"
    ;;
nowindow)
    # No display: one line naming what is missing, and run() returns 1.
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY ENGINE_HEADLESS=0 ENGINE_MAX_FRAMES=3 "$demo" --scene clear > "$t/n.txt" 2> "$t/n.err" ||
        status=$?
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    grep -q 'cannot open a window' "$t/n.err" || fail "no reason given: $(cat "$t/n.err")"
    ;;
*)
    fail "unknown check"
    ;;
esac
echo "ok ($check)"
