#!/usr/bin/env bash
# Fails when code outside source/engine/physics/ reaches Box2D directly.
#
# Usage: tools/check-physics-guard.sh [dir]   (dir defaults to "source")
#
# Debian's Box2D aborts the process on a change to a locked world, an invalid
# polygon or a zero-length ray, so game code goes through the physics:: layer
# (lower-case names). Outside <dir>/engine/physics/ this reports:
#   - an #include of <box2d/...>;
#   - a call of one of Box2D's world-changing members, by their capitalised
#     names: CreateBody, DestroyBody, CreateFixture, DestroyFixture,
#     CreateJoint, SetType, SetTransform, SetEnabled, SetActive, SetUserData,
#     SetLinearVelocity, SetAngularVelocity, SetGravity, SetTarget.
# Comments are ignored. b2PolygonShape::Set cannot be told from b2Vec2::Set
# by text alone; code review covers it.
set -euo pipefail

dir="${1:-source}"
if [ ! -d "$dir" ]; then
    echo "check-physics-guard: no such directory: $dir" >&2
    exit 2
fi
dir="${dir%/}"
exempt="$dir/engine/physics/"

found=0
while IFS= read -r -d '' file; do
    case "$file" in "$exempt"*) continue ;; esac
    if ! awk -v file="$file" '
        BEGIN {
            calls = "(CreateBody|DestroyBody|CreateFixture|DestroyFixture|CreateJoint|SetType|SetTransform|SetEnabled|SetActive|SetUserData|SetLinearVelocity|SetAngularVelocity|SetGravity|SetTarget)"
            callRe = "(^|[^A-Za-z0-9_])" calls "[ \t]*\\("
            includeRe = "^[ \t]*#[ \t]*include[ \t]*[<\"]box2d/"
            bad = 0
            inBlock = 0
        }
        {
            line = $0
            code = ""
            # Drop /* ... */ and // comments; string contents are kept.
            while (length(line) > 0) {
                if (inBlock) {
                    end = index(line, "*/")
                    if (end == 0) { line = ""; break }
                    line = substr(line, end + 2)
                    inBlock = 0
                    continue
                }
                b = index(line, "/*")
                l = index(line, "//")
                if (l > 0 && (b == 0 || l < b)) { code = code substr(line, 1, l - 1); line = ""; break }
                if (b > 0) { code = code substr(line, 1, b - 1) " "; line = substr(line, b + 2); inBlock = 1; continue }
                code = code line
                line = ""
            }
            if (code ~ includeRe) {
                printf "%s:%d: includes Box2D directly (use \"physics/PhysicsGuard.h\"): %s\n", file, FNR, $0
                bad = 1
            } else if (code ~ callRe) {
                printf "%s:%d: calls Box2D directly (use the physics:: layer): %s\n", file, FNR, $0
                bad = 1
            }
        }
        END { exit bad }
    ' "$file"; then
        found=1
    fi
done < <(find "$dir" -type f \( -name '*.h' -o -name '*.hh' -o -name '*.hpp' -o -name '*.hxx' -o -name '*.inl' \
    -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.cxx' -o -name '*.mm' \) -print0 | sort -z)

if [ "$found" -ne 0 ]; then
    echo "check-physics-guard: Box2D reached outside $exempt (see above)" >&2
    exit 1
fi
echo "check-physics-guard: $dir is clean"
