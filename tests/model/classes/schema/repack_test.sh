#!/usr/bin/env bash
# qvloadcheck --repack: the fixture game written back equals its packs byte
# for byte, with the same stdout as a plain load; a failed load writes
# nothing; a folder that cannot be made is exit 1; a missing folder is a
# usage error.
# Usage: repack_test.sh <qvloadcheck> <fixture game>
set -u
tool=$1
game=$2
# shellcheck source=/dev/null
. "$(dirname "$0")/../../core/support/script_checks.sh"

"$tool" --folder "$game" >"$t/plain"; s1=$?
"$tool" --folder "$game" --repack "$t/re" >"$t/repacked"; s2=$?
test $s1 -eq 0 && test $s2 -eq 0 && cmp -s "$t/plain" "$t/repacked"
check "the repack loads as a plain load does" $?

diff <(cd "$game/data" && ls ./*.attributes.pack ./*.connections.pack) <(cd "$t/re" && ls ./*); d=$?
check "both packs of every class with models, and nothing else" $d
same=0
for f in "$t"/re/*.pack; do
    cmp "$f" "$game/data/${f##*/}" || same=1
done
check "every pack written back byte for byte" $same

mkdir -p "$t/broken" && cp -r "$game/data" "$t/broken/" && : >"$t/broken/data/Keys.pack"
"$tool" --folder "$t/broken" --repack "$t/none" >/dev/null 2>&1; s=$?
test $s -eq 1 && test ! -e "$t/none"
check "a failed load writes nothing" $?

: >"$t/file"
"$tool" --folder "$game" --repack "$t/file/sub" >"$t/out" 2>"$t/err"; s=$?
test $s -eq 1 && grep -q 'qvloadcheck: cannot' "$t/err" && cmp -s "$t/plain" "$t/out"
check "an unwritable folder is exit 1 with a message" $?

"$tool" --folder "$game" --repack >/dev/null 2>&1; s=$?
test $s -eq 2
check "--repack without a folder is a usage error" $?

exit $fail
