#!/bin/bash
# XRUN_SCREEN sets the Xvfb screen of tests/e2e/xrun; unset gives 1280x720;
# anything but WxHxD exits 2 with one line on stderr, before Xvfb starts;
# likewise XRUN_SERVER_NUM, where the search for a free display starts. Two
# runs side by side from one number each get a display of their own.
# Usage: bash tests/e2e/xrun_screen.sh   (from the repository root)
set -u
cd "$(dirname "$0")/../.." || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "xrun_screen: $*"; status=1; }

dimensions() { sed -n 's/^ *dimensions: *\([0-9x]*\) pixels.*/\1/p'; }
got=$(XRUN_SCREEN=2272x1280x24 tests/e2e/xrun xdpyinfo | dimensions)
[ "$got" = 2272x1280 ] || fail "XRUN_SCREEN=2272x1280x24 gave a screen of '$got'"
got=$(env -u XRUN_SCREEN tests/e2e/xrun xdpyinfo | dimensions)
[ "$got" = 1280x720 ] || fail "without XRUN_SCREEN the screen is '$got', not 1280x720"

# A stand-in xvfb-run first on PATH shows whether xrun went on to start one.
mkdir "$work/bin"
printf '#!/bin/sh\ntouch "%s/started"\n' "$work" > "$work/bin/xvfb-run"
chmod +x "$work/bin/xvfb-run"
for screen in big '' 1280x720 1280x720x24x8 1280X720X24 ' 1280x720x24' 1280x720x24' ' \
    0x720x24 1280x720x08 x720x24 1280xx24 -1x720x24 "$(printf '1280x720x24\n1x1x1')"; do
    rm -f "$work/started"
    PATH="$work/bin:$PATH" XRUN_SCREEN="$screen" tests/e2e/xrun true 2> "$work/err"
    code=$?
    [ $code = 2 ] || fail "XRUN_SCREEN='$screen' exited $code, not 2"
    [ "$(cat "$work/err")" = "xrun: XRUN_SCREEN must be WxHxD" ] ||
        fail "XRUN_SCREEN='$screen' printed: $(cat "$work/err")"
    [ ! -e "$work/started" ] || fail "XRUN_SCREEN='$screen' started Xvfb"
done

# The display search starts at XRUN_SERVER_NUM; llvmpipe runs without its
# worker threads.
got=$(XRUN_SERVER_NUM=371 tests/e2e/xrun sh -c 'echo "$DISPLAY $LP_NUM_THREADS"')
case $got in
    :3[7-9][0-9]" 0") ;;
    *) fail "XRUN_SERVER_NUM=371 ran with DISPLAY and LP_NUM_THREADS '$got'" ;;
esac
for num in x '' -1 12a; do
    rm -f "$work/started"
    PATH="$work/bin:$PATH" XRUN_SERVER_NUM="$num" tests/e2e/xrun true 2> "$work/err"
    code=$?
    [ $code = 2 ] && [ "$(cat "$work/err")" = "xrun: XRUN_SERVER_NUM must be a number" ] ||
        fail "XRUN_SERVER_NUM='$num' exited $code: $(cat "$work/err")"
    [ ! -e "$work/started" ] || fail "XRUN_SERVER_NUM='$num' started Xvfb"
done

# Each run holds its display until both have started, so they overlap.
side() {
    XRUN_SERVER_NUM=391 tests/e2e/xrun sh -c '
        touch "$1/$2"; n=0
        until [ -e "$1/$3" ] || [ $n -gt 600 ]; do sleep 0.05; n=$((n + 1)); done
        echo "$DISPLAY" > "$1/$2.display"' side "$work" "$1" "$2"
}
side left right & side right left
wait $! || fail "the left run side by side failed"
left=$(cat "$work/left.display" 2> /dev/null) right=$(cat "$work/right.display" 2> /dev/null)
[ -n "$left" ] && [ -n "$right" ] && [ "$left" != "$right" ] ||
    fail "two runs side by side had displays '$left' and '$right'"

[ $status = 0 ] && echo "xrun_screen: ok"
exit $status
