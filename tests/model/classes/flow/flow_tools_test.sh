#!/usr/bin/env bash
# qvloadcheck --flow over the flow fixture game: its graph as listed in
# flow.expected, and the unknown key logged while the load succeeds.
# Usage: flow_tools_test.sh <qvloadcheck> <flow fixture game>
set -u
tool=$1
game=$2
# shellcheck source=/dev/null
. "$(dirname "$0")/../../core/support/script_checks.sh"

QVP_LOG=1 "$tool" --flow --folder "$game" >"$t/flow" 2>"$t/log"; s=$?
test $s -eq 0 && grep -qx 'last error -' "$t/flow" && sed -n '/^flow$/,$p' "$t/flow" | diff - tests/fixtures/classes/flow.expected
check "the graph follows every link (status $s)" $?

grep -qx '\[QVNode\] unknown key 9999' "$t/log"
check "a key number the table lacks is logged" $?

exit $fail
