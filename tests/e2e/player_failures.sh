#!/bin/bash
# Every way the player fails says what failed: the exit status the README
# gives, one line on standard error naming the cause (a bad argument adds the
# usage line), and the progress store left as it was or not made at all.
# One row per case:
#     row CASE STATUS LINE STORE [VAR=value ...] -- ARGS...
# LINE is an extended regular expression for the first stderr line, or -
# for a run that writes nothing on standard error. STORE:
#   none     the run starts without a store and must not make one;
#   kept     the run starts on a store holding progress that must stay byte
#            for byte;
#   saved    as kept, but the run must save its progress over it;
#   corrupt  the run starts on a file that is no store, which must be kept,
#            byte for byte, under the name the line gives.
# Runs are headless, with QVP_LOG unset unless the row sets it. A row run
# with wrap=nocaps drops the capabilities that let root read any file, so
# that a folder of mode 000 is refused as it is for anyone else.
# Usage: bash tests/e2e/player_failures.sh PLAYER FIXTURES SAMPLEGAME   (from the repository root)
set -u
e2e_screen=2272x1280x24
. "$(dirname "$0")/common.sh"
[ $# = 3 ] || { echo "usage: $0 PLAYER FIXTURE_FOLDER SAMPLEGAME" >&2; exit 2; }
player=$1 fixtures=$2 sample=$3
need "$player"
store_tool=$(dirname "$player")/engine_store_tool
need "$store_tool"
[ -d "$fixtures/menus" ] || { echo "$name: $fixtures has no menus game" >&2; exit 2; }
[ -d "$sample/data" ] || { echo "$name: $sample has no data folder" >&2; exit 2; }
unset ENGINE_HEADLESS ENGINE_MAX_FRAMES ENGINE_RESOURCE_ROOT ENGINE_WRITABLE_PATH \
    ENGINE_SCREENSHOT ENGINE_INPUT_SCRIPT ENGINE_RANDOM_SEED QVP_LOG QVP_STATE_DUMP
export ENGINE_AUDIO=null

usage_line='usage: qvplayer [GAME_DIRECTORY]'
if [ "$(id -u)" = 0 ]; then
    nocaps=(setpriv --bounding-set=-dac_override,-dac_read_search)
    "${nocaps[@]}" true || { echo "$name: setpriv cannot drop capabilities here" >&2; exit 2; }
else
    nocaps=()
fi
# An extended regular expression matching the text as it is.
re() { printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g'; }

row() {
    local case=$1 want=$2 line=$3 store=$4
    shift 4
    local vars=()
    while [ "$1" != -- ]; do vars+=("$1"); shift; done
    shift
    local dir=$work/$case-store run=()
    [ "${wrap:-}" = nocaps ] && run=("${nocaps[@]}")
    case $store in
    kept | saved)
        ENGINE_WRITABLE_PATH=$dir "$store_tool" set QVP_Fixture kept > /dev/null ||
            fail "$case: engine_store_tool could not make the store"
        cp "$dir/UserDefault.sqlite" "$work/$case.before" ;;
    corrupt)
        mkdir -p "$dir"
        yes 'this is no progress store' | head -c 8192 > "$dir/UserDefault.sqlite"
        cp "$dir/UserDefault.sqlite" "$work/$case.before" ;;
    esac
    [ -n "${before_run:-}" ] && $before_run "$dir"
    env ENGINE_HEADLESS=1 ENGINE_MAX_FRAMES=600 ENGINE_WRITABLE_PATH=$dir "${vars[@]}" \
        "${run[@]}" "$player" "$@" > "$work/$case.out" 2> "$work/$case.err"
    local code=$?
    [ -n "${after_run:-}" ] && $after_run "$dir"
    local err=$work/$case.err
    [ $code = "$want" ] || fail "$case: the player exited $code, not $want"
    if [ "$line" = - ]; then
        [ -s "$err" ] && fail "$case: stderr:" "$(head -c 600 "$err")"
    else
        head -n 1 "$err" | grep -qE "^$line\$" || fail "$case: stderr:" "$(head -c 600 "$err")"
        local lines=1
        [ "$want" = 2 ] && lines=2
        [ "$(wc -l < "$err")" = $lines ] || fail "$case: stderr is not $lines line(s):" "$(head -c 600 "$err")"
        [ $lines = 2 ] && { [ "$(tail -n 1 "$err")" = "$usage_line" ] || fail "$case: no usage line last"; }
    fi
    case $store in
    none)
        [ -e "$dir/UserDefault.sqlite" ] && fail "$case: the progress store was made" ;;
    kept)
        cmp -s "$work/$case.before" "$dir/UserDefault.sqlite" || fail "$case: the store changed" ;;
    saved)
        cmp -s "$work/$case.before" "$dir/UserDefault.sqlite" && fail "$case: the progress was not saved"
        [ "$(ENGINE_WRITABLE_PATH=$dir "$store_tool" get QVP_Fixture 2> /dev/null)" = kept ] ||
            fail "$case: the saved store lost the progress it held" ;;
    corrupt)
        local kept
        kept=$(head -n 1 "$err" | sed -n 's/.*; kept as \(.*\), starting with new progress$/\1/p')
        [ -n "$kept" ] && cmp -s "$work/$case.before" "$kept" || fail "$case: the damaged store was not kept as it was" ;;
    esac
}

# A game that loads and has nothing to show: the sample game's folder
# without its package and without the screen the loading screen leads to.
nofirst=$work/nofirst
cp -r "$sample" "$nofirst"
rm -f "$nofirst/data/data.pkg" "$nofirst"/data/QVModelScreen.1.*
row nofirst 1 "qvplayer: cannot load the game from $(re "$nofirst"): Unable to start the game \\(Failed to find ScreenScene attached to Start scene\\)" \
    kept -- "$nofirst"

# Packages that are no zip archive.
notzip=$work/notzip truncated=$work/truncated
cp -r "$fixtures/menus-aes256" "$notzip"
yes 'not a zip archive' | head -c 4096 > "$notzip/data/data.pkg"
cp -r "$fixtures/menus-aes256" "$truncated"
package=$fixtures/menus-aes256/data/data.pkg
head -c $(($(stat -c %s "$package") / 2)) "$package" > "$truncated/data/data.pkg"
for c in notzip truncated; do
    reason="not a zip archive"
    [ $c = truncated ] && reason="truncated zip archive"
    row $c 1 "qvplayer: cannot load the game from $(re "$work/$c"): No data archive \\(data/data\\.pkg: Unable to open the archive: $reason\\)" \
        none -- "$work/$c"
done

# Paths: no such directory, a game directory and a data folder that cannot
# be read, and a data folder that can be searched but not listed.
row nodir 2 "qvplayer: $(re "$work/absent"): no such directory" none -- "$work/absent"
locked=$work/locked
cp -r "$fixtures/menus" "$locked"
lock() { chmod 000 "$locked"; }
unlock() { chmod 755 "$locked"; }
wrap=nocaps before_run=lock after_run=unlock \
    row lockedgame 2 "qvplayer: $(re "$locked"): Permission denied" none -- "$locked"
lock() { chmod 000 "$locked/data"; }
unlock() { chmod 755 "$locked/data"; }
wrap=nocaps before_run=lock after_run=unlock \
    row lockeddata 1 "qvplayer: cannot load the game from $(re "$locked"): Unable to load data \\(data/Keys\\.pack: Permission denied\\)" \
    none -- "$locked"
# Listed or not, a data folder gives its packs by name: the game plays to
# its exit button and saves.
lock() { chmod 311 "$locked/data"; }
wrap=nocaps before_run=lock after_run=unlock \
    row unlisted 0 - saved ENGINE_FIXED_DT=1 ENGINE_INPUT_SCRIPT=tests/e2e/player/menus-keys.txt \
    QVP_LOG="$work/unlisted.log" -- "$locked"
grep -q 'Doing exit' "$work/unlisted.out" || fail "unlisted: the game did not reach its exit button"
grep -q 'cannot be listed (Permission denied); looking each pack up by name' "$work/unlisted.log" ||
    fail "unlisted: the folder was listed after all"
# A folder that holds neither a package nor a data folder is no game.
mkdir "$work/nogame"
row nogame 1 "qvplayer: cannot load the game from $(re "$work/nogame"): no data/data\\.pkg and no data folder" \
    none -- "$work/nogame"

# The command line: --help and -h are the usage line on standard output;
# any other option is refused.
for opt in --help -h; do
    row "help$opt" 0 - none -- "$opt"
    [ "$(cat "$work/help$opt.out")" = "$usage_line" ] || fail "help$opt: stdout is not the usage line"
done
row option 2 "qvplayer: --fullscreen: unknown option" none -- --fullscreen

# Run hooks, missing or malformed, with and without the log.
game=$fixtures/menus-aes256
printf '1 tuch down 10 10\n' > "$work/bad-script.txt"
row script-missing 1 "qvplayer: ENGINE_INPUT_SCRIPT=\"$(re "$work/absent.txt")\": line 0: cannot open the file: No such file or directory" \
    kept ENGINE_INPUT_SCRIPT="$work/absent.txt" -- "$game"
row script-bad 1 "qvplayer: ENGINE_INPUT_SCRIPT=\"$(re "$work/bad-script.txt")\": line 1: unknown event kind 'tuch'" \
    kept ENGINE_INPUT_SCRIPT="$work/bad-script.txt" QVP_LOG="$work/script.log" -- "$game"
row shot-bad 1 "qvplayer: ENGINE_SCREENSHOT=\"soon\": \"soon\" is not FRAME:FILE" \
    kept ENGINE_SCREENSHOT=soon -- "$game"
dumps=$(seq 1 257 | sed 's/$/:d.txt/' | paste -sd ';')
row dump-many 1 "qvplayer: QVP_STATE_DUMP=\"$(re "${dumps:0:80}")\.\.\.\": more than 256 dumps" \
    kept QVP_STATE_DUMP="$dumps" -- "$game"
row dump-bad 1 "qvplayer: QVP_STATE_DUMP=\"0:d\\.txt\": \"0\" is not a frame number from 1" \
    kept QVP_STATE_DUMP=0:d.txt QVP_LOG="$work/dump.log" -- "$game"
grep -q 'QVP_STATE_DUMP="0:d.txt": "0" is not a frame number from 1' "$work/dump.log" ||
    fail "dump-bad: the log does not have the error"
row frames-bad 1 "qvplayer: ENGINE_MAX_FRAMES=\"12x\": not a frame count from 1 to 4294967295" \
    kept ENGINE_MAX_FRAMES=12x -- "$game"
row seed-bad 1 "qvplayer: ENGINE_RANDOM_SEED=\"-5\": not a whole number from 0 to 4294967295" \
    kept ENGINE_RANDOM_SEED=-5 -- "$game"
# A picture or a dump that cannot be written fails the run, which still
# ends as it would and saves; the screenshot needs the window.
row shot-unwritable 1 "qvplayer: ENGINE_SCREENSHOT: cannot write $(re "$work/absent/s.png"): No such file or directory" \
    saved ENGINE_HEADLESS=0 ENGINE_FIXED_DT=1 ENGINE_MAX_FRAMES=300 ENGINE_SCREENSHOT="5:$work/absent/s.png" -- "$game"
row dump-unwritable 1 "qvplayer: QVP_STATE_DUMP: cannot write $(re "$work/absent/d.txt"): No such file or directory" \
    saved ENGINE_FIXED_DT=1 ENGINE_MAX_FRAMES=300 QVP_STATE_DUMP="5:$work/absent/d.txt" -- "$game"

# A second running copy reads the first one's progress and says its own will
# not be saved; it writes nothing, and the first saves at its quit. The first
# runs until the second is done, taken as loaded once its log says so.
start_first() {
    ENGINE_HEADLESS=1 ENGINE_WRITABLE_PATH=$1 QVP_LOG="$work/first.log" "$player" "$game" \
        > "$work/first.out" 2> "$work/first.err" &
    first=$!
    local tries=0
    until grep -q '^loading screens$' "$work/first.log" 2> /dev/null; do
        tries=$((tries + 1))
        [ $tries -gt 1200 ] && { fail "inuse: the first player did not load"; return; }
        sleep 0.05
    done
}
stop_first() {
    cmp -s "$work/inuse.before" "$1/UserDefault.sqlite" || fail "inuse: the second copy wrote the store"
    kill -TERM "$first"
    wait "$first" || fail "inuse: the first player exited $?"
    [ -s "$work/first.err" ] && fail "inuse: the first player said" "$(head -c 300 "$work/first.err")"
}
before_run=start_first after_run=stop_first \
    row inuse 0 "qvplayer: the progress store is in use by another running player; this run's progress will not be saved" \
    saved ENGINE_FIXED_DT=1 ENGINE_MAX_FRAMES=300 -- "$game"

# Progress: a store that cannot be read is kept aside and the game goes on;
# a save that fails says so, and the store stays as it was.
row corrupt 0 "qvplayer: the progress store could not be read; kept as $(re "$work/corrupt-store/UserDefault.sqlite").corrupt-[0-9]{8}T[0-9]{6}Z, starting with new progress" \
    corrupt ENGINE_MAX_FRAMES=300 -- "$game"
readonly_store() { chmod 555 "$1"; }
writable_store() { chmod 755 "$1"; }
wrap=nocaps before_run=readonly_store after_run=writable_store \
    row savefail 0 "qvplayer: saving progress failed: $(re "$work/savefail-store/UserDefault.sqlite"): .+" \
    kept ENGINE_MAX_FRAMES=300 QVP_LOG="$work/savefail.log" -- "$game"
grep -q 'flush of .* failed' "$work/savefail.log" || fail "savefail: no failed flush in the log"
finish
