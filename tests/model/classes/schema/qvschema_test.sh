#!/usr/bin/env bash
# qvschema over the listed classes against the writer's listing, and an
# unknown class refused with status 2 and nothing listed.
# Usage: qvschema_test.sh <qvschema>
set -u
tool=$1
dir=tests/fixtures/classes
# shellcheck source=/dev/null
. "$(dirname "$0")/../../core/support/script_checks.sh"

# shellcheck disable=SC2046
"$tool" $(cat "$dir/schema.classes") >"$t/listing"; s=$?
diff -u "$dir/schema.expected" "$t/listing"; d=$?
check "the live classes list as the writer's tables (status $s)" $(( s != 0 || d != 0 ))

"$tool" QVModelLinker QVModelNoSuchClass >"$t/unknown" 2>"$t/unknown.err"; s=$?
test $s -eq 2 && test ! -s "$t/unknown" && grep -q 'QVModelNoSuchClass' "$t/unknown.err"
check "an unknown class exits with 2 and lists nothing" $?

"$tool" >"$t/all"; s=$?
test $s -eq 0 && ! grep -q '^class QVModelGeneralSettings ' "$t/all" &&
    diff <(sort "$dir/schema.classes") <(awk '/^class /{print $2}' "$t/all" | grep -xF -f "$dir/schema.classes" | sort)
check "without names every class but the general settings is listed" $?

exit $fail
