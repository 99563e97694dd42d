#!/usr/bin/env bash
# Checks tools/check-physics-guard.sh.
#   clean  - the repository's source tree passes.
#   probes - a copy of the tree with one offending file added fails, for each
#            kind of offence; allowed spellings added alone still pass.
# Usage: check_physics_guard_test.sh clean|probes [repository root]
set -uo pipefail

mode="${1:-clean}"
root="$(cd "${2:-$(dirname "$0")/../../..}" && pwd)"
lint="$root/tools/check-physics-guard.sh"

if [ "$mode" = clean ]; then
    cd "$root" && exec bash "$lint" source
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp -r "$root/source" "$scratch/"
failures=0

# expect <pass|fail> <name> <relative path> <content>
expect() {
    local want="$1" name="$2" rel="$3" content="$4"
    mkdir -p "$(dirname "$scratch/source/$rel")"
    printf '%s\n' "$content" > "$scratch/source/$rel"
    local got=pass
    bash "$lint" "$scratch/source" > "$scratch/out" 2>&1 || got=fail
    rm -f "$scratch/source/$rel"
    if [ "$got" != "$want" ]; then
        echo "FAIL $name: expected $want, got $got"
        sed 's/^/    /' "$scratch/out"
        failures=$((failures + 1))
    elif [ "$want" = fail ] && ! grep -q "source/$rel:" "$scratch/out"; then
        echo "FAIL $name: the report does not name $rel"
        sed 's/^/    /' "$scratch/out"
        failures=$((failures + 1))
    fi
}

expect fail "SetTransform call" player/lint_probe.cpp \
    'void f(b2Body* b) { b->SetTransform(b2Vec2(0, 0), 0); }'
expect fail "Box2D include" player/lint_probe.h '#include <box2d/box2d.h>'
expect fail "quoted Box2D include" model/lint_probe.h '  #  include "box2d/b2_body.h"'
expect fail "raw contact SetEnabled" player/lint_probe.cpp 'void g(b2Contact* c) { c->SetEnabled (false); }'
expect fail "CreateBody at line start" engine/lint_probe.cpp 'CreateBody(&def);'
expect fail "SetUserData after code and before a comment" player/lint_probe.cpp \
    'int x = 0; body->SetUserData(p); // not allowed'
expect pass "layer calls" player/lint_probe.cpp \
    'void f(b2Body* b) { physics::setTransform(b, b2Vec2(0, 0), 0); physics::setEnabled(b, true); }'
expect pass "line comment" player/lint_probe.cpp '// stands in for 2.3 SetActive(false)'
expect pass "block comment" player/lint_probe.cpp $'/* old code:\n   b->SetTransform(p, 0);\n*/ int y;'
expect pass "longer names" player/lint_probe.cpp 'void mySetType(int); void SetTargetFrame(); int z = mySetType(1);'
expect pass "inside the layer" engine/physics/lint_probe.cpp \
    $'#include <box2d/box2d.h>\nvoid f(b2Body* b) { b->SetTransform(b2Vec2(0, 0), 0); }'

if bash "$lint" "$scratch/no-such-dir" > /dev/null 2>&1; then
    echo "FAIL a missing directory passed the lint"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "all lint probes behaved"
exit $((failures > 0))
