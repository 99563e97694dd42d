# Sourced by the shell tests: a scratch folder $t, removed on exit, and
# `check DESCRIPTION STATUS`, which prints "ok:" or "FAIL:" and sets fail=1 on
# a non-zero status. The test ends with `exit $fail`.
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
fail=0
check() {
    if [ "$2" -ne 0 ]; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi
}
