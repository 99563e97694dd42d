#!/usr/bin/env bash
# tools/check-layers.sh on a scratch tree with one break of each kind (each
# reported with its file and line and the check failing), then on this tree.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
check="$here/../../../tools/check-layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree"/source/engine/base "$tree"/source/engine/scene "$tree"/source/model/core \
         "$tree"/source/model/classes "$tree"/source/player/app "$tree"/source/player/desktop
touch "$tree"/source/engine/base/Object.h "$tree"/source/model/classes/Sprite.h \
      "$tree"/source/player/desktop/Window.h "$tree"/source/model/core/Model.h
printf '#include "base/Object.h"\n#include "model/core/Model.h"\n' >"$tree"/source/engine/scene/Node.cpp
printf '#include "model/core/Model.h"\n\n#include "model/classes/Sprite.h"\n' >"$tree"/source/model/core/Loader.cpp
printf '#include "model/classes/Sprite.h"\n#include "player/desktop/Window.h"\n#include "Missing.h"\n' \
    >"$tree"/source/player/app/Game.cpp

status=0
out=$(bash "$check" "$tree") || status=$?
fail=0
expect() {
    if ! grep -qF -- "$1" <<<"$out"; then
        echo "missing from the report: $1"
        fail=1
    fi
}
[ "$status" -eq 1 ] || { echo "scratch tree: exit $status, expected 1"; fail=1; }
expect 'source/engine/scene/Node.cpp:2: includes "model/core/Model.h": engine may not include core'
expect 'source/model/core/Loader.cpp:3: includes "model/classes/Sprite.h": core may not include game'
expect 'source/player/app/Game.cpp:2: includes "player/desktop/Window.h": game may not include host'
expect 'source/player/app/Game.cpp:3: includes "Missing.h", which is no file'
expect '1 source/engine/scene -> source/engine/base (engine -> ground)'
[ "$(grep -c ': includes ' <<<"$out")" -eq 4 ] || { echo "expected exactly 4 breaks"; fail=1; }

if ! real=$(bash "$check"); then
    echo "this tree breaks its layers:"
    echo "$real"
    fail=1
fi
[ "$fail" -eq 0 ] || { echo "$out"; exit 1; }
echo "check-layers: scratch breaks reported, this tree holds"
