#!/usr/bin/env bash
# qvloadcheck on the generated fixtures against the committed expectations:
# output, exit status and the log lines that name each failure.
# Usage: qvloadcheck_test.sh <qvloadcheck> <fixture dir>
set -u
tool=$1
fixtures=$2
expected=tests/fixtures/load
# shellcheck source=/dev/null
. "$(dirname "$0")/../support/script_checks.sh"

"$tool" --folder "$fixtures/small" >"$t/folder"; s=$?
diff -u "$expected/small.folder.expected" "$t/folder"; d=$?
check "small folder loads as expected (status $s)" $(( s != 0 || d != 0 ))

for v in zipcrypto infozip aes128 aes256; do
    "$tool" --archive "$fixtures/small-$v" >"$t/$v"; s=$?
    diff -u "$expected/small.archive.expected" "$t/$v"; d=$?
    check "small-$v loads as expected (status $s)" $(( s != 0 || d != 0 ))
done

diff <(sed -n '/^models /,$p' "$expected/small.folder.expected") <(sed -n '/^models /,$p' "$expected/small.archive.expected")
check "folder and archive expectations list the same models" $?

# Without a mode flag a package with data wins; an empty one is ignored.
"$tool" "$fixtures/small-aes256" | head -1 >"$t/mode"
grep -qx 'mode archive' "$t/mode"; check "a package selects archive mode" $?
mkdir -p "$t/emptypkg/data" && cp "$fixtures"/small/data/* "$t/emptypkg/data/" && : >"$t/emptypkg/data/data.pkg"
"$tool" "$t/emptypkg" | head -1 >"$t/mode"
grep -qx 'mode folder' "$t/mode"; check "an empty package leaves folder mode" $?

for v in infozip aes256; do
    mkdir -p "$t/wrong-$v/data" && cp "$expected/wrongpw-$v.pkg" "$t/wrong-$v/data/data.pkg"
    QVP_LOG=1 "$tool" "$t/wrong-$v" >"$t/$v.out" 2>"$t/$v.err"; s=$?
    test $s -eq 1 && grep -qx 'last error Unable to load data' "$t/$v.out" && grep -q 'Unable to open a file: Error P17' "$t/$v.err"
    check "wrong password on $v fails with Error P17" $?
done

QVP_LOG=1 "$tool" "$fixtures/corrupt-aes256" >/dev/null 2>"$t/corrupt.err"; s=$?
test $s -eq 1 && grep -q 'Unable to read the file: Bad archive' "$t/corrupt.err"
check "a flipped AES byte fails the load" $?

"$tool" --folder "$fixtures/truncated" >"$t/truncated"; s=$?
diff -u "$expected/truncated.expected" "$t/truncated"; d=$?
check "a truncated pack fails the load and keeps what came before" $(( s != 1 || d != 0 ))

QVP_LOG=1 "$tool" --folder "$fixtures/nokeys" >"$t/nokeys.out" 2>"$t/nokeys.err"; s=$?
test $s -eq 1 && grep -qx 'Failed to load keys' "$t/nokeys.err" && grep -qx 'models 0' "$t/nokeys.out" &&
    grep -qx 'last error Unable to load data' "$t/nokeys.out"
check "a missing Keys.pack loads nothing" $?

mkdir -p "$t/notzip/data" && printf 'not a zip' >"$t/notzip/data/data.pkg"
"$tool" "$t/notzip" >"$t/notzip.out" 2>/dev/null; s=$?
test $s -eq 1 && grep -qx 'last error No data archive' "$t/notzip.out"
check "an unopenable package reports No data archive" $?

"$tool" >/dev/null 2>&1; s1=$?
"$tool" --folder --archive "$fixtures/small" >/dev/null 2>&1; s2=$?
"$tool" "$t/does-not-exist" >/dev/null 2>&1; s3=$?
test $s1 -eq 2 && test $s2 -eq 2 && test $s3 -eq 2
check "usage errors exit with 2" $?

exit $fail
