#!/bin/bash
# engine_demo's audio scenes end to end: demo_checks.sh ENGINE_DEMO CHECK
#   beep-wave   the effect really sounds (OpenAL Soft's file writer)
#   music-wave  looped music keeps sounding across its loop and stops
#   no-device   without a sound device the silent back-end takes over: a
#               0.5 s effect ends in frame 30
set -u
demo=$1
check=$2
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

fail() { echo "FAIL ($check): $*"; exit 1; }
tone() {  # name seconds channels frequency
    sox -n -r 44100 -c "$3" "$t/$1.wav" synth "$2" sine "$4" vol 0.5 && lame --quiet "$t/$1.wav" "$t/$1.mp3" ||
        fail "cannot make $1.mp3 with sox and lame"
}
wave_conf() { printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$t/out.wav" > "$t/al.conf"; }
stat_of() { sox "$t/out.wav" -n "$@" stat 2>&1; }
rms() { stat_of "$@" | awk '/^RMS +amplitude/{print $3}'; }

case $check in
beep-wave)
    tone beep 0.5 1 440
    wave_conf
    out=$(ALSOFT_CONF="$t/al.conf" ALSOFT_DRIVERS=wave ENGINE_HEADLESS=1 ENGINE_AUDIO=openal timeout 30 \
        "$demo" --scene beep "$t/beep.mp3") || fail "engine_demo failed"
    echo "$out"
    grep -q '^finished 0 at frame ' <<<"$out" || fail "the sound never finished"
    length=$(stat_of | awk '/^Length/{print $3}')
    level=$(rms)
    echo "written: ${length:-?} s, RMS ${level:-?}"
    awk -v l="$length" -v r="$level" 'BEGIN{exit !(l!="" && r!="" && l>=0.45 && r>0.05)}' ||
        fail "the file writer got no 0.5 s beep"
    ;;
music-wave)
    tone tone 1.0 2 330
    wave_conf
    ALSOFT_CONF="$t/al.conf" ALSOFT_DRIVERS=wave ENGINE_HEADLESS=1 ENGINE_AUDIO=openal timeout 30 \
        "$demo" --scene music "$t/tone.mp3" --seconds 2.5 || fail "engine_demo failed"
    across=$(rms trim 1.3 0.8)
    after=$(rms trim 2.7 0.2)
    echo "RMS across the loop: ${across:-?}, after the stop: ${after:-?}"
    awk -v r="$across" 'BEGIN{exit !(r!="" && r>0.05)}' || fail "silent across the loop"
    awk -v r="$after" 'BEGIN{exit !(r!="" && r<0.01)}' || fail "still sounding after the stop"
    ;;
no-device)
    tone beep 0.5 1 440
    out=$(ALSOFT_DRIVERS=no-such-driver ENGINE_HEADLESS=1 ENGINE_AUDIO=openal ENGINE_FIXED_DT=1 ENGINE_MAX_FRAMES=120 \
        "$demo" --scene beep "$t/beep.mp3" 2>&1) || fail "engine_demo failed: $out"
    echo "$out"
    [ "$(grep -c '^\[Audio\] no sound device (.*); sound is off$' <<<"$out")" = 1 ] || fail "expected one 'no sound device' line"
    grep -qx 'play 0' <<<"$out" || fail "no 'play 0'"
    grep -qx 'finished 0 at frame 30' <<<"$out" || fail "expected 'finished 0 at frame 30'"
    ;;
*)
    fail "unknown check"
    ;;
esac
echo "ok ($check)"
