#!/usr/bin/env bash
# qvtestdata.py readgame over the writer's fixture game: the listing equals
# the one the loader check prints, alone and beside packages that Info-ZIP
# and 7-Zip encrypt with the derived password; a package that differs from
# the folder is exit 1 after an error line.
# Usage: readgame_test.sh <python3> <qvtestdata.py> <fixture game> <its listing>
set -u
py=$1
writer=$2
game=$3
listing=$4
# shellcheck source=/dev/null
. "$(dirname "$0")/../../model/core/support/script_checks.sh"
pw=rzQKcR5azqXhHMh

"$py" "$writer" readgame "$game" | diff - "$listing"
check "the folder lists as the loader check lists it" "${PIPESTATUS[0]}$?"

for tool in zip 7z; do
    rm -rf "$t/$tool" && mkdir -p "$t/$tool/data/images" && cp "$game"/data/*.pack "$t/$tool/data/"
    (cd "$t/$tool/data" &&
        if [ $tool = zip ]; then zip -q -X -P $pw data.pkg images/ ./*.pack
        else 7z a -tzip -bd -y -p$pw data.pkg ./*.pack >/dev/null; fi)
    "$py" "$writer" readgame "$t/$tool" | diff - "$listing"
    check "a $tool package beside the folder reads back entry by entry" "${PIPESTATUS[0]}$?"
done

printf 'x' >>"$t/zip/data/Keys.pack"
"$py" "$writer" readgame "$t/zip" >"$t/out"; s=$?
test $s -eq 1 && grep -qx 'error: data.pkg: entry Keys.pack differs from its folder file' "$t/out"
check "a package entry unlike its folder file is exit 1 after an error line" $?
exit $fail
