#!/usr/bin/env bash
# Checks that every #include "..." under source/ goes down the layers, never
# up or sideways (docs/CONVENTIONS.md):
#   ground  source/engine/{base,math,platform}
#   engine  every other folder of source/engine
#   core    source/model/core
#   game    source/model/classes, source/player/{app,screens,objects,ui}
#   host    every other folder of source/player
# ground includes only ground; engine ground and engine; core ground and core;
# game everything but host; host everything. An include is looked up next to
# its file, then under source/engine and source/ (the exported include roots);
# one that resolves to no file is a failure too.
# Prints the folder-to-folder table it checked, then each break with its file,
# line and the two layers; exits 1 on any break.
# usage: tools/check-layers.sh [ROOT]   (ROOT: a tree with source/, default this one)
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
[ -d source ] || { echo "check-layers: no source/ under $root" >&2; exit 2; }

layer_of() {
    case "$1" in
    source/engine/base/* | source/engine/math/* | source/engine/platform/*) layer=ground ;;
    source/engine/*) layer=engine ;;
    source/model/core/*) layer=core ;;
    source/model/classes/* | source/player/app/* | source/player/screens/* | source/player/objects/* | source/player/ui/*)
        layer=game ;;
    source/player/*) layer=host ;;
    *) layer=none ;;
    esac
}

allowed() {
    case "$1:$2" in
    ground:ground | engine:ground | engine:engine | core:ground | core:core) return 0 ;;
    game:ground | game:engine | game:core | game:game | host:*) return 0 ;;
    esac
    return 1
}

# Collapses "a/b/../c" and "./" so that the layer test sees the real folder.
normalize() {
    local IFS=/ part out=()
    for part in $1; do
        case "$part" in
        "" | .) ;;
        ..) [ ${#out[@]} -gt 0 ] && unset 'out[${#out[@]}-1]' ;;
        *) out+=("$part") ;;
        esac
    done
    path="${out[*]}"
}

table=()
breaks=()
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    target=${text#*\"}
    target=${target%%\"*}
    resolved=
    for candidate in "${file%/*}/$target" "source/engine/$target" "source/$target"; do
        if [ -f "$candidate" ]; then
            normalize "$candidate"
            resolved=$path
            break
        fi
    done
    layer_of "$file"
    from=$layer
    if [ -z "$resolved" ]; then
        breaks+=("$file:$line: includes \"$target\", which is no file ($from)")
        continue
    fi
    layer_of "$resolved"
    to=$layer
    table+=("${file%/*} -> ${resolved%/*}  ($from -> $to)")
    if [ "$from" = none ] || [ "$to" = none ]; then
        breaks+=("$file:$line: includes \"$target\": a folder of no layer ($from -> $to)")
    elif ! allowed "$from" "$to"; then
        breaks+=("$file:$line: includes \"$target\": $from may not include $to")
    fi
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' source \
             --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.c' | sort -t: -k1,1 -k2,2n)

echo "== folder -> folder (includes checked)"
if [ ${#table[@]} -gt 0 ]; then
    printf '%s\n' "${table[@]}" | sort | uniq -c | awk '{n=$1; $1=""; printf "%5d %s\n", n, substr($0, 2)}'
fi
if [ ${#breaks[@]} -gt 0 ]; then
    echo "== layer breaks: ${#breaks[@]}"
    printf '%s\n' "${breaks[@]}"
    exit 1
fi
echo "== layers hold: ${#table[@]} includes"
