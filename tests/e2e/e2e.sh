# Shared by the end-to-end test scripts; source it with the test's
# arguments: the demo, the checker (plok_e2echeck), the soundtrack WAV and a
# folder for what the run leaves behind (log, screenshots, recording).
# Runs on $DISPLAY and $PULSE_SERVER as scripts/test provides them, or
# starts its own when there are none.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"
PLOK=$1
CHECKER=$2
SOUNDTRACK=$3

begin_test "$4"
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb 1920x1080
    start_window_manager
fi
# What a desktop session gives the demo, without which the toolkit writes
# lines of its own first: a runtime folder, and a UTF-8 locale (in the C
# locale Qt 6 writes four lines).
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$OUT/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
fi
[ -n "${LC_ALL:-}${LC_CTYPE:-}${LANG:-}" ] || export LANG=C.UTF-8

# Makes sure a sound server answers at $PULSE_SERVER.
ensure_sound_server() {
    pactl info >/dev/null 2>&1 || start_sound_server
}

# Runs the checker; a failed check counts as a failure of the test.
check() {
    "$CHECKER" "$@" || FAILURES=$((FAILURES + 1))
}

# The checker's verdicts on the log of the run that ended last; with
# "sound" or "silent", also on what it says of the soundtrack.
check_log() {
    check log "$DEMO_LOG.times" "$(format_us "$DEMO_END_US")" "$@"
}

finish() {
    [ "$FAILURES" -eq 0 ] || echo "Log, screenshots and recording of this run: $OUT"
    [ "$FAILURES" -eq 0 ]
}
