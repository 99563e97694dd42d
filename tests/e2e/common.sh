# The start of every end-to-end script (sourced): it re-runs the script under
# tests/e2e/xrun from the repository root, then gives $probe (host_probe from
# ${QV_BUILD_DIR:-build}), $work (a folder removed at exit), fail MESSAGE
# (reports and marks the run failed) and finish (reports ok, exits).
cd "$(dirname "$0")/../.."
if [ -z "${QV_E2E_INNER:-}" ]; then
    exec env QV_E2E_INNER=1 tests/e2e/xrun bash "$0" "$@"
fi
name=$(basename "$0" .sh)
probe="${QV_BUILD_DIR:-build}/bin/host_probe"
[ -x "$probe" ] || { echo "$name: $probe is not built" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$name: $*"; status=1; }
finish() { [ $status = 0 ] && echo "$name: ok"; exit $status; }
