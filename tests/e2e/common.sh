# The start of every end-to-end script (sourced): it re-runs the script under
# tests/e2e/xrun from the repository root, then gives $probe (host_probe from
# ${QV_BUILD_DIR:-build}), need FILE (exit 2 unless FILE is an executable),
# $work (a folder removed at exit), fail MESSAGE (reports and marks the run
# failed) and finish (reports ok, exits).
# The screen is 1280x720x24, which the host checks' expected geometry
# assumes, whatever XRUN_SCREEN the caller exported; a script that needs
# another size sets e2e_screen before sourcing this file.
cd "$(dirname "$0")/../.."
if [ -z "${QV_E2E_INNER:-}" ]; then
    exec env QV_E2E_INNER=1 XRUN_SCREEN="${e2e_screen:-1280x720x24}" tests/e2e/xrun bash "$0" "$@"
fi
name=$(basename "$0" .sh)
need() { [ -x "$1" ] || { echo "$name: $1 is not built" >&2; exit 2; }; }
probe="${QV_BUILD_DIR:-build}/bin/host_probe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$name: $*"; status=1; }
finish() { [ $status = 0 ] && echo "$name: ok"; exit $status; }
