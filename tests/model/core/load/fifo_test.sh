#!/usr/bin/env bash
# Makes games whose Keys.pack or data.pkg is a FIFO with no writer and checks
# that qvloadcheck ends each load within 10 s with a failure instead of
# waiting for a writer. Usage: fifo_test.sh <qvloadcheck> <fixture dir>
set -u
tool=$1
fixtures=$2
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
fail=0
mkdir -p "$t/keys/data" "$t/pkg/data"
cp "$fixtures"/small/data/* "$t/keys/data/"
rm -f "$t/keys/data/Keys.pack" "$t/keys/data/data.pkg"
mkfifo "$t/keys/data/Keys.pack" "$t/pkg/data/data.pkg"
for game in "--folder keys" "--archive pkg"; do
    set -- $game
    QVP_LOG=1 timeout 10 "$tool" "$1" "$t/$2" >"$t/out" 2>&1; s=$?
    if [ $s -eq 1 ] && grep -q '^last error [^-]' "$t/out"; then
        echo "ok: a FIFO in $2 fails the load"
    else
        echo "FAIL: a FIFO in $2 (status $s, 124 is the timeout)"; cat "$t/out"; fail=1
    fi
done
exit $fail
