#!/bin/bash
# The UI fixture game as the player's loader reads it: no load error, the
# committed flow graph, the writer's model listing, and the pack and step
# counts that the ui_*.sh checks' F0 (231) rests on.
# Usage: bash tests/e2e/ui_fixture.sh QVLOADCHECK FIXTURES
#   (from the repository root; FIXTURES is build/fixtures/ui)
set -u
cd "$(dirname "$0")/../.." || exit 2
[ $# = 2 ] || { echo "usage: $0 QVLOADCHECK FIXTURES" >&2; exit 2; }
loadcheck=$1 root=$2/ui
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "ui_fixture: $*"; status=1; }

"$loadcheck" --flow --folder "$root" > "$work/folder" || fail "the folder load exited $?"
grep -qx 'last error -' "$work/folder" || fail "the folder load left: $(grep '^last error' "$work/folder")"
sed -n '/^flow$/,$p' "$work/folder" | diff -u tests/fixtures/ui/ui.flow - ||
    fail "the flow graph differs from tests/fixtures/ui/ui.flow (expected -, got +)"
# The fixture's own ids; loading adds the move components' default shapes
# beyond its "Last ID".
own() { awk '$1 ~ /^5[0-9][0-9][0-9]$/'; }
sed -n '/^models /,/^flow$/p' "$work/folder" | own | diff -u <(own < "$2/ui.models") - ||
    fail "the loaded models differ from the writer's listing (expected -, got +)"
# One step per class (72) and one per pack in each stage: the load ends in
# frame 9 + 192 = 201 = 153 + 32 + 16.
attributes=$(find "$root/data" -maxdepth 1 -name '*.attributes.pack' | wc -l)
connections=$(find "$root/data" -maxdepth 1 -name '*.connections.pack' | wc -l)
[ "$attributes/$connections" = 32/16 ] ||
    fail "the game has $attributes attributes and $connections connections packs, not 32 and 16"
steps=$(awk '/^percent /{print NF - 2}' "$work/folder")
[ "$steps" = 192 ] || fail "the folder load took $steps steps, not 192"
[ $status = 0 ] && echo "ui_fixture: ok"
exit $status
