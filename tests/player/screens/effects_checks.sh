#!/usr/bin/env bash
# The checks of the effect and trigger objects through build/bin/field_probe
# on the fixture game "effects":
#   effects_checks.sh CHECK PROBE GAME [ARG]
# CHECK is one of rows (ARG: the field fixture game), samplegame (ARG: the
# sample game), drive, or, under tests/e2e/xrun with ARG the pngprobe of the
# build: parallax, light, shadow, ribbons, mirror, particles. PROBE is the
# probe of the build under test, GAME its generated effects game. Run from
# the repository root.
set -euo pipefail

check=$1
probe=$2
game=$3
arg=${4:-}
fixtures=tests/fixtures/effects
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
export ENGINE_HEADLESS=1

# The probe under Xvfb, screenshots by ENGINE_SCREENSHOT; its trace dropped.
shoot() {
    (unset ENGINE_HEADLESS && env ENGINE_SCREENSHOT="$1" "$probe" "${@:2}" > /dev/null)
}

# The frame hash of a run of the Ribbons world with an optional script.
ribbons_hash() {
    local script=()
    if [ -n "${1:-}" ]; then
        printf '%b' "$1" > "$t/d.script"
        script=(--script "$t/d.script")
    fi
    "$probe" --game "$game" --world Ribbons --frames 30 --no-fixtures "${script[@]}" | sed -n 's/^frame 30 hash //p'
}

case "$check" in
rows)
    # Every world builds every object it places; the field's own trace stays.
    for w in Parallax Light Shadow Ribbons Mirror Particles Triggers; do
        QVP_LOG=1 "$probe" --game "$game" --world "$w" --frames 30 --no-fixtures 2> "$t/$w.err" > /dev/null
        if grep -q 'no builder installed for' "$t/$w.err"; then
            grep 'no builder installed for' "$t/$w.err" | sed "s/^/$w: /" >&2
            exit 1
        fi
    done
    "$probe" --game "$arg" --world Stream --frames 1200 --seed 7 | diff -u tests/fixtures/field/stream.expected -
    ;;
samplegame)
    # The sample game's runner world and its Lab, whose section "Lab Loop"
    # (1771) holds the triggers.
    for w in World1 Lab; do
        QVP_LOG=1 "$probe" --game "$arg" --world "$w" --frames 120 --no-fixtures 2> "$t/$w.err" > "$t/$w.out"
        if grep -q 'no builder installed for' "$t/$w.err"; then
            grep 'no builder installed for' "$t/$w.err" | sed "s/^/$w: /" >&2
            exit 1
        fi
    done
    grep -q ' section 1771 at ' "$t/Lab.out"
    ;;
drive)
    # drive moves the tagged camera child by its step every frame from its
    # frame on, 0 0 stops it, and an absent tag moves nothing: 13 steps of
    # 20 end where 26 steps of 10 do.
    still=$(ribbons_hash)
    tens=$(ribbons_hash '5 drive 7301 10 0\n')
    twenties=$(ribbons_hash '5 drive 7301 20 0\n18 drive 7301 0 0\n')
    stopped=$(ribbons_hash '5 drive 7301 10 0\n5 drive 7301 0 0\n')
    absent=$(ribbons_hash '1 drive 4242 10 0\n')
    test -n "$still" && test -n "$tens"
    test "$tens" != "$still"
    test "$twenties" = "$tens"
    test "$stopped" = "$still"
    test "$absent" = "$still"
    # Bad drive lines are script errors.
    for bad in '1 drive 7301 10' '1 drive 7301 x 0' '1 drive 7301 nan 0' '1 drive -1 1 0' '1 drive 7301 1 0 2'; do
        printf '%s\n' "$bad" > "$t/bad.script"
        set +e
        "$probe" --game "$game" --world Ribbons --frames 2 --no-fixtures --script "$t/bad.script" > /dev/null 2>&1
        status=$?
        set -e
        test "$status" -eq 2
    done
    ;;
parallax)
    # After 60 ticks the slow layer has moved 60 px left and the fast one 120.
    shoot "60:$t/px.png" --game "$game" --world Parallax --frames 61 --no-fixtures
    "$arg" "$t/px.png" --size 1136x640 --expect 148,160=255,0,0~24 --expect 347,160=255,0,0~24 \
        --expect 248,160=0,0,255~24 --expect 88,480=255,0,0~24 --expect 287,480=255,0,0~24 \
        --expect 188,480=0,0,255~24 --expect 568,320=0,0,0~8
    ;;
light)
    # Bright inside the light map's radius, dark outside.
    shoot "10:$t/l.png" --game "$game" --world Light --frames 11 --no-fixtures
    "$arg" "$t/l.png" --expect 568,320=255,200,0~10 --expect 608,320=255,200,0~10 --expect 608,280=255,200,0~10 \
        --expect 653,320=0,0,0~10 --expect 628,260=0,0,0~10 --expect 700,320=0,0,0~4 --expect 100,100=0,0,0~4
    ;;
shadow)
    # The caster right of the light throws a shadow to the right.
    shoot "10:$t/sh.png" --game "$game" --world Shadow --frames 11 --no-fixtures
    "$arg" "$t/sh.png" --expect 518,320=255,200,0~10 --expect 568,270=255,200,0~10 --expect 618,320=0,0,0~10
    ;;
ribbons)
    # The driven trail follows its object; the flag stands still.
    shoot "30:$t/r30.png;60:$t/r60.png" --game "$game" --world Ribbons --frames 61 --no-fixtures \
        --script "$fixtures/ribbons.script"
    "$arg" "$t/r30.png" --expect 450,320=255,255,255~16 --expect 700,320=0,0,0~8
    "$arg" "$t/r60.png" --expect 700,320=255,255,255~16 --expect 560,320=255,255,255~16 \
        --expect 300,320=0,0,0~8 --expect 900,320=0,0,0~8 --expect 700,350=0,0,0~8 \
        --expect 350,480=255,255,255~16 --expect 560,480=0,0,0~8 --expect 350,440=0,0,0~8
    ;;
mirror)
    # Upside down with its tint; untinted without a usable shader (none, or
    # one that does not compile).
    shoot "10:$t/m.png" --game "$game" --world Mirror --frames 11 --no-fixtures
    "$arg" "$t/m.png" --expect 568,220=255,0,0~8 --expect 568,240=0,255,0~8 --expect 568,280=0,128,0~8 \
        --expect 568,300=128,0,0~8 --expect 568,340=0,0,0~8 --expect 700,300=0,0,0~8
    for v in none bad; do
        cp -r "$game" "$t/$v"
        if [ "$v" = none ]; then
            rm "$t/$v/data/shaders/WaterReflection.fsh"
        else
            printf 'void main() { not glsl }\n' > "$t/$v/data/shaders/WaterReflection.fsh"
        fi
        shoot "10:$t/m-$v.png" --game "$t/$v" --world Mirror --frames 11 --no-fixtures
        "$arg" "$t/m-$v.png" --expect 568,280=0,255,0~8 --expect 568,300=255,0,0~8
    done
    ;;
particles)
    # At least 600 red pixels around the emitter, nothing far from it.
    shoot "60:$t/p.png" --game "$game" --world Particles --frames 61 --no-fixtures
    "$arg" "$t/p.png" --count '468,220,668,420=255,0,0~80>=600' --expect 100,100=0,0,0~4 --expect 1036,540=0,0,0~4
    ;;
*)
    echo "effects_checks.sh: unknown check $check" >&2
    exit 2
    ;;
esac
