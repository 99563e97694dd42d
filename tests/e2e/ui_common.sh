# The start of every ui_*.sh check (sourced in place of player_common.sh):
# PLAYER GAME as there, a 2272x1280 screen (design point (x, y) is window
# pixel (x, 640 - y)), random seed 1, and:
#   first_frame GAME       F0: 30 frames after the frame in which the folder
#                          load of GAME ends, 153 + A + C for its A attributes
#                          and C connections packs
#   check_first_frame      exit 2 unless first_frame of $game is the $F0
#                          the script states
#   seed_coins STORE N     a fresh store of version "1.0" whose game record
#                          holds a coins total of N
#   run_player TAG STORE SCRIPT LAST [SHOTS [DUMPS]]
#                          runs the player on $game with the committed input
#                          script tests/e2e/ui/SCRIPT, whose frames count from
#                          F0, ending at F0 + LAST; SHOTS and DUMPS are
#                          "OFFSET:file;..." from F0 too. Log, stdout and
#                          stderr go to $work/TAG.{log,out,err}; a status
#                          other than 0 fails the check
#   coins STATE            the game record's coins total in a qvstate dump
#   state TAG STORE        qvstate's dump of STORE into $work/TAG.state
#   want_line FILE LINE    FILE holds LINE as a whole line
#   count_lines FILE TEXT N  FILE holds exactly N lines ending in TEXT
#   want_text FILE TEXT    some line of FILE holds TEXT
#   want_coins TAG N       $work/TAG.state's coins total is N
#   fewer PNG REGION C N   PNG holds fewer than N pixels of colour C
#                          (pngprobe's "R,G,B~TOL") in REGION
#   none PNG REGION C      PNG holds no pixel of colour C in REGION
# Every run's log is checked for "[QVPScreen] no runtime object for".
. "$(dirname "$0")/player_common.sh"
game=$fixtures
store_tool=$bin/engine_store_tool
need "$bin/qvstate"
need "$store_tool"
export ENGINE_RANDOM_SEED=1

packs() { find "$1/data" -maxdepth 1 -name "*.$2.pack" | wc -l; }
first_frame() { echo $((153 + $(packs "$1" attributes) + $(packs "$1" connections) + 30)); }
# The F0 a script states must be the one its game's packs give.
check_first_frame() {
    [ "$(first_frame "$game")" = "$F0" ] ||
        { echo "$name: $game does not give F0 = $F0 ($(first_frame "$game")); recount" >&2; exit 2; }
}

seed_coins() {
    rm -rf "$1"
    ENGINE_WRITABLE_PATH=$1 "$store_tool" set ZK_Version 1.0 > /dev/null &&
        ENGINE_WRITABLE_PATH=$1 "$store_tool" set QVP_Scores "<qvp_score_global>:0 0 0 0 0 0 0 $2 0" > /dev/null ||
        { echo "$name: engine_store_tool could not seed $1" >&2; exit 2; }
}

# "OFFSET:file;..." -> "FRAME:file;..."
frames() {
    local out= item
    local IFS=';'
    for item in $1; do
        out="$out${out:+;}$((F0 + ${item%%:*})):${item#*:}"
    done
    echo "$out"
}

run_player() {
    local tag=$1 store=$2 script=tests/e2e/ui/$3 last=$4 shots=${5:-} dumps=${6:-}
    [ -f "$script" ] || { echo "$name: $script is missing" >&2; exit 2; }
    awk -v f0="$F0" '/^[ \t]*(#|$)/ {next} {$1 = $1 + f0; print}' "$script" > "$work/$tag.input"
    local run=(env ENGINE_WRITABLE_PATH="$store" ENGINE_INPUT_SCRIPT="$work/$tag.input"
        ENGINE_MAX_FRAMES=$((F0 + last + 20)) QVP_LOG="$work/$tag.log")
    [ -n "$shots" ] && run+=(ENGINE_SCREENSHOT="$(frames "$shots")")
    [ -n "$dumps" ] && run+=(QVP_STATE_DUMP="$(frames "$dumps")")
    "${run[@]}" "$player" "$game" > "$work/$tag.out" 2> "$work/$tag.err"
    local code=$?
    [ $code = 0 ] || { fail "$tag: the player exited $code"; tail -5 "$work/$tag.err"; }
    if grep '\[QVPScreen\] no runtime object for' "$work/$tag.log" > "$work/$tag.missing"; then
        fail "$tag: screens built kinds without a runtime object: $(sort -u "$work/$tag.missing" | tr '\n' ' ')"
    fi
}

state() {
    "$bin/qvstate" --dir "$2" dump > "$work/$1.state" 2>&1 || fail "$1: qvstate could not read $2"
}

coins() {
    awk '$1 == "score" && $2 == "\"\"" {for (i = 3; i < NF; i++) if ($i == "coins") {print $(i + 2); exit}}' "$1"
}

want_coins() {
    local have
    have=$(coins "$work/$1.state")
    [ "$have" = "$2" ] || fail "$1: the coins total is ${have:-missing}, not $2"
}

want_line() {
    grep -qxF -- "$2" "$1" || fail "$(basename "$1"): no line '$2'"
}

count_lines() {
    local n
    n=$(awk -v t="$2" 'length($0) >= length(t) && substr($0, length($0) - length(t) + 1) == t {n++}
        END {print n + 0}' "$1" 2> /dev/null)
    [ "${n:-0}" = "$3" ] || fail "$(basename "$1"): ${n:-0} lines end in '$2', not $3"
}

want_text() {
    grep -qF -- "$2" "$1" 2> /dev/null || fail "$(basename "$1"): no line holds '$2'"
}

fewer() {
    "$pngprobe" "$1" --count "$2=$3>=$4" > /dev/null 2>&1
    case $? in
        1) ;;
        0) fail "$(basename "$1"): $4 or more pixels $3 in $2" ;;
        *) fail "$(basename "$1"): pngprobe could not read it" ;;
    esac
}

none() { fewer "$1" "$2" "$3" 1; }
