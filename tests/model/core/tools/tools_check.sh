#!/bin/bash
# Checks qvkeys and qvpackdump against the committed fixtures and on bad input.
# usage: tools_check.sh CHECK QVKEYS QVPACKDUMP   (run from the repository root)
set -u
check=$1 qvkeys=$2 qvpackdump=$3
keys=tests/fixtures/keys packs=tests/fixtures/packs
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs a command, capturing stdout, and checks its exit status.
expect_status() {
    local want=$1; shift
    "$@" > "$t/out" 2> "$t/err"
    local got=$?
    [ "$got" -eq "$want" ] || fail "$* exited $got, expected $want"
}
dump() { "$qvpackdump" --keys $packs/Keys.pack --user-id 12345 "$@"; }

case $check in
keys-fixtures)
    for uid in 12345 abc; do
        "$qvkeys" --user-id $uid $keys/basic-$uid.pack | diff - $keys/basic.expected || fail "basic-$uid"
    done
    "$qvkeys" --user-id 0 $keys/edge-0.pack | diff - $keys/edge.expected || fail edge
    "$qvkeys" --user-id x $keys/empty.pack | diff - $keys/empty.expected || fail empty
    ;;
keys-user-id-matters)
    "$qvkeys" --user-id 12346 $keys/basic-12345.pack | cmp -s - $keys/basic.expected && fail "another User ID gave the same keys"
    "$qvkeys" --user-id=12345 $keys/basic-12345.pack | diff - $keys/basic.expected || fail "--user-id=ID form"
    ;;
keys-bad-arguments)
    expect_status 1 "$qvkeys"
    expect_status 1 "$qvkeys" $keys/basic-12345.pack
    expect_status 1 "$qvkeys" --user-id
    expect_status 1 "$qvkeys" --user-id 1 --bogus $keys/basic-12345.pack
    expect_status 1 "$qvkeys" --user-id 1 "$t/missing.pack"
    grep -q "cannot read" "$t/err" || fail "no message for an unreadable file"
    ;;
dump-fixtures)
    for f in all-kinds.attributes all-kinds.connections stream; do
        dump $packs/$f.pack | diff - $packs/$f.expected || fail "$f dump"
        dump $packs/$f.pack > /dev/null || fail "$f exit status"
    done
    # Without a key table every name is unknown.
    "$qvpackdump" $packs/all-kinds.connections.pack | grep -qx '  42 ?: 200' || fail "unnamed keys"
    ;;
dump-bad-input)
    head -c 60 $packs/all-kinds.attributes.pack > "$t/tr.pack"
    expect_status 1 "$qvpackdump" "$t/tr.pack"
    grep -q '^error: .* at 0$' "$t/out" || fail "truncated pack: no error line"
    printf '\335\377\377\377\377' > "$t/bomb.pack"
    expect_status 1 "$qvpackdump" "$t/bomb.pack"
    grep -q '^error: ' "$t/out" && ! grep -q bad_alloc "$t/out" || fail "count bomb"
    # Objects before a bad one are still printed.
    { head -c 208 $packs/stream.pack; printf '\221\221'; } > "$t/tail.pack"
    expect_status 1 dump "$t/tail.pack"
    grep -q '^object 1 at 149$' "$t/out" && grep -q '^error: .* at 208$' "$t/out" || fail "error after objects"
    # Every cut of every fixture ends cleanly or in an error line, never in a crash.
    for f in $packs/*.pack; do
        size=$(stat -c %s "$f")
        step=$(( size / 150 + 1 ))  # about 150 cuts per file keeps this quick
        for ((n = 0; n < size; n += step)); do
            head -c $n "$f" > "$t/cut.pack"
            "$qvpackdump" "$t/cut.pack" > "$t/out" 2>&1
            s=$?
            [ $s -le 1 ] || fail "$f cut at $n exited $s"
            tail -n 1 "$t/out" | grep -Eq '^(end|error): ' || fail "$f cut at $n: no end line"
        done
    done
    ;;
dump-usage)
    expect_status 2 "$qvpackdump"
    expect_status 2 "$qvpackdump" --keys $packs/Keys.pack $packs/stream.pack
    expect_status 2 "$qvpackdump" --user-id 1 $packs/stream.pack
    expect_status 2 "$qvpackdump" --bogus $packs/stream.pack
    expect_status 2 "$qvpackdump" $packs/stream.pack $packs/stream.pack
    expect_status 1 "$qvpackdump" "$t/missing.pack"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
echo "ok: $check"
