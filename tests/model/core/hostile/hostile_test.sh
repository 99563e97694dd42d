#!/usr/bin/env bash
# Hostile games end cleanly: a deep chain of screens loads and is released
# (no stack overflow in the normal or the sanitizer build) in both link
# orders; Keys.pack files that are not the game's, or too large, fail with
# "Unable to load data" and a log line that says why.
# Usage: hostile_test.sh <qvloadcheck> <python>
set -u
tool=$1
python=$2
gen="$(dirname "$0")/hostile_games.py"
# shellcheck source=/dev/null
. "$(dirname "$0")/../support/script_checks.sh"

for order in "" --parent-first; do
    "$python" "$gen" chain --levels 20000 $order "$t/chain$order"
    timeout 60 "$tool" --folder "$t/chain$order" >"$t/chain.out"; s=$?
    test $s -eq 0 && grep -qx 'models 20002' "$t/chain.out" && grep -qx 'last error -' "$t/chain.out"
    check "a 20,000-level chain${order:+ linked parent-first} loads and is released (status $s)" $?
done

# one row per case: generator arguments | log line naming the cause
while IFS='|' read -r args cause; do
    "$python" "$gen" $args "$t/keys"
    QVP_LOG=1 timeout 60 "$tool" --folder "$t/keys" >"$t/keys.out" 2>"$t/keys.err"; s=$?
    test $s -eq 1 && grep -qx 'last error Unable to load data' "$t/keys.out" && grep -qF "$cause" "$t/keys.err"
    check "Keys.pack from '$args' fails naming: $cause (status $s)" $?
    rm -rf "$t/keys"
done <<'ROWS'
random-keys|the key table has no "id" key
other-user-keys|the key table has no "id" key
keys --names 1000001|more names than the limit of 1000000
ROWS

exit $fail
