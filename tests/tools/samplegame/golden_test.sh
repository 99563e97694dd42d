#!/usr/bin/env bash
# The built sample game against its committed file list and pack hashes,
# and its packs as the key tools read them: every key of every pack named,
# the settings' keys on the lines the first read relies on.
# Usage: golden_test.sh <qvpackdump> <qvkeys> <game dir>
set -u
packdump=$1
keys=$2
game=$3
expected=tests/fixtures/samplegame
# shellcheck source=/dev/null
. tests/model/core/support/script_checks.sh

(cd "$game" && find . -type f | LC_ALL=C sort) | diff -u "$expected/files.expected" -
check "the file list is files.expected" $?

# shellcheck disable=SC2046
(cd "$game/data" && sha256sum Keys.pack $(ls -- *.*.pack | LC_ALL=C sort) data.pkg) | diff -u "$expected/data.sha256" -
check "Keys.pack, the packs and data.pkg hash as data.sha256" $?

packs=0
for p in "$game"/data/*.*.pack; do
    packs=$((packs + 1))
    "$packdump" --keys "$game/data/Keys.pack" --user-id 5150 "$p" >"$t/dump" 2>"$t/err"
    s=$?
    unnamed=$(grep -c ' ?: ' "$t/dump")
    check "${p##*/} dumps (status $s) with every key named ($unnamed unnamed)" $((s != 0 || unnamed != 0))
done
test "$packs" -gt 0
check "the game has packs ($packs)" $?

"$keys" --user-id 5150 "$game/data/Keys.pack" >"$t/keys"
check "Keys.pack unscrambles with the game's user id" $?
test "$(grep -cxE '10 value|33 Class Name|42 id|50 User ID' "$t/keys")" -eq 4
check "value, Class Name, id and User ID on lines 10, 33, 42 and 50" $?

exit $fail
