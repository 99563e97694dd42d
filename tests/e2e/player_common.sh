# The start of every player check (sourced in place of common.sh). Arguments:
# the player binary and the fixture folder (build/fixtures/player, or the
# sample game's folder). The screen is 2272x1280, so the windowed frame is
# half of it, 1136 x 640: the design size at scale 1, where design point
# (x, y) is image and script pixel (x, 640 - y). Gives, beyond common.sh:
# $player, $fixtures, $pngprobe and $bin (the player's build's bin folder),
# png_check PNG ARGS... (pngprobe; a mismatch fails the run) and a clean
# environment with the null audio back-end.
e2e_screen=2272x1280x24
. "$(dirname "$0")/common.sh"
[ $# = 2 ] || { echo "usage: $0 PLAYER FIXTURE_FOLDER" >&2; exit 2; }
player=$1 fixtures=$2
need "$player"
[ -d "$fixtures" ] || { echo "$name: $fixtures is not a folder" >&2; exit 2; }
bin=$(dirname "$player")
pngprobe=$bin/pngprobe
need "$pngprobe"
unset ENGINE_HEADLESS ENGINE_MAX_FRAMES ENGINE_RESOURCE_ROOT ENGINE_WRITABLE_PATH \
    ENGINE_SCREENSHOT ENGINE_INPUT_SCRIPT ENGINE_RANDOM_SEED QVP_LOG
export ENGINE_AUDIO=null
png_check() { "$pngprobe" "$@" || fail "pngprobe $*"; }
