#!/usr/bin/env bash
# The checks of build/bin/field_probe on the fixture game "field":
#   field_checks.sh CHECK PROBE GAME
# CHECK is one of stream-golden, stream-rules, real-rows, run-hash, lives,
# checkpoint, restarts, exits, debug-view (under tests/e2e/xrun). PROBE is the
# probe of the build under test, GAME its generated fixture game. Run from
# the repository root; the goldens are in tests/fixtures/field.
set -euo pipefail

check=$1
probe=$2
game=$3
golden=tests/fixtures/field
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
export ENGINE_HEADLESS=1

# The trace's rules: sections chain by width and none of width <= 0 is
# streamed; at most 20 objects per frame outside resets, and 20 20 5 occurs;
# at least 6 sections and 1 removal, every removal behind the back edge.
stream_rules='$3=="reset"{r[$2]=1;p=""} $3=="section"{n++; if($2>1&&$8<=0)b=1; if(p!=""&&($6-p)^2>0.01)b=1; p=$6+($8>0?$8:0)} $3=="created"{c=c" "$4; if($4>20&&!r[$2])b=1} $3=="removed"{m++; if($6+50>=-300-$8)b=1} END{exit !(b==0&&n>=6&&m>=1&&c~/ 20 20 5( |$)/)}'

case "$check" in
stream-golden)
    "$probe" --game "$game" --world Stream --frames 1200 --seed 7 > "$t/s.txt"
    diff -u "$golden/stream.expected" "$t/s.txt"
    ;;
stream-rules)
    "$probe" --game "$game" --world Stream --frames 1200 --seed 7 > "$t/s.txt"
    awk "$stream_rules" "$t/s.txt"
    ;;
real-rows)
    QVP_LOG=1 "$probe" --game "$game" --world Stream --frames 60 --no-fixtures 2> "$t/n.err" > /dev/null
    # The real classes fill the rows the fixtures stand in for.
    grep -q 'add level section' "$t/n.err"
    if grep -q 'no builder installed for' "$t/n.err"; then exit 1; fi
    ;;
run-hash)
    for i in 1 2; do
        "$probe" --game "$game" --world Run --script "$golden/run.script" --frames 3600 --seed 7 |
            grep '^frame 3600 hash ' > "$t/h$i"
    done
    diff "$t/h1" "$t/h2"
    diff "$t/h1" "$golden/run.hash"
    ;;
lives)
    "$probe" --game "$game" --world Run --script "$golden/lives.script" --frames 1300 --seed 7 > "$t/l.txt"
    awk '$3=="lives"{s=s" L"$4} $3=="gameover"{s=s" G";g=$2} END{exit !(s==" L3 L2 L1 L0 G"&&g>1100&&g<=1160)}' "$t/l.txt"
    # Continue: one more try, then game over again at the next death with
    # no reset between (a respawn would reset the field).
    "$probe" --game "$game" --world Run --script "$golden/continue.script" --frames 1800 --seed 7 > "$t/c.txt"
    awk '$3=="lives"{s=s" L"$4} $3=="gameover"{s=s" G";g=$2} $3=="reset"&&$2>1300{r=1}
        END{exit !(s==" L3 L2 L1 L0 G L1 L0 G"&&g>1500&&g<=1560&&!r)}' "$t/c.txt"
    ;;
checkpoint)
    "$probe" --game "$game" --world Run --script "$golden/run.script" --frames 1500 --seed 7 > "$t/c.txt"
    awk '$3=="checkpoint"{x=$4;y=$5} $3=="restore"{n++; if(($4-x)^2+($5-y)^2>0.25)b=1} $3=="reset"{d=-1} $3=="score"{if($4<d-0.01)b=1; d=$4} END{exit !(n==1&&b==0)}' "$t/c.txt"
    ;;
restarts)
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} "$probe" --game "$game" --world Run --script "$golden/run.script" \
        --frames 600 --seed 7 --restarts 10 > "$t/r.txt"
    test "$(grep -c '^restart [0-9]* objects [0-9]* bodies [0-9]* orphans 0$' "$t/r.txt")" -eq 10
    tail -n 1 "$t/r.txt" | grep -qx 'end live 0'
    ;;
exits)
    # Usage and script errors give 2 (naming the line), an unknown world or
    # game 1, and nothing is printed on stdout for them.
    status() { set +e; "$@" > "$t/out" 2> "$t/err"; echo $?; set -e; }
    test "$(status "$probe" --world Run)" -eq 2
    test "$(status "$probe" --game "$game" --world Run --frames 0)" -eq 2
    test "$(status "$probe" --game "$game" --world Run --seed -1)" -eq 2
    printf '10 press 3\n# a comment\n5 kill\n' > "$t/back.script"
    test "$(status "$probe" --game "$game" --world Run --script "$t/back.script")" -eq 2
    grep -q 'back.script:3:' "$t/err"
    printf '10 press 3 # held\n20 jump\n' > "$t/bad.script"
    test "$(status "$probe" --game "$game" --world Run --script "$t/bad.script")" -eq 2
    grep -q 'bad.script:2:' "$t/err"
    test "$(status "$probe" --game "$game" --world Nowhere)" -eq 1
    test ! -s "$t/out"
    test "$(status "$probe" --game "$t/none" --world Run)" -eq 1
    ;;
debug-view)
    # Static fill, dynamic fill and static outline of the Shot world with the
    # switch on; nothing drawn with it off.
    unset ENGINE_HEADLESS
    pngprobe=$4
    QVP_PHYSICS_DEBUG=1 ENGINE_SCREENSHOT="3:$t/d.png" "$probe" --game "$game" --world Shot --frames 4 > /dev/null
    "$pngprobe" "$t/d.png" --size 1136x640 --expect 568,540=64,115,64~12 --expect 568,240=115,89,89~12 \
        --expect 568,40=0,0,0 --count '300,515,836,525=128,230,128~12>=400'
    ENGINE_SCREENSHOT="3:$t/o.png" "$probe" --game "$game" --world Shot --frames 4 > /dev/null
    "$pngprobe" "$t/o.png" --expect 568,540=0,0,0 --expect 568,240=0,0,0
    ;;
*)
    echo "field_checks.sh: unknown check $check" >&2
    exit 2
    ;;
esac
