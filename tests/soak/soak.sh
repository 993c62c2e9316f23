# Shared by the robustness scripts in this folder; source it with the demo,
# a folder for what the runs leave behind and, optionally, a screen size.
# Runs on $DISPLAY as scripts/test provides it, or starts Xvfb with openbox
# (a 1920 x 1080 screen, or the size given).

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/demo.sh"
PLOK=$1
# The end-to-end tests' checker, built next to the demo, judges the logs.
LOG_CHECKER=$(dirname "$PLOK")/../tests/plok_e2echeck

begin_test "$2"
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb "${3:-1920x1080}"
    start_window_manager
fi
# Without a runtime folder the toolkit writes a warning of its own first.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$OUT/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
fi

# Random choices are repeatable: PLOK_SOAK_SEED=N replays a run.
SEED=$(whole_number PLOK_SOAK_SEED $((RANDOM * 32768 + RANDOM)))
RANDOM=$SEED
echo "seed $SEED (PLOK_SOAK_SEED=$SEED repeats this run)"

# The checker's verdicts on the log of the run that ended last.
check_log() {
    "$LOG_CHECKER" log "$DEMO_LOG.times" "$(format_us "$DEMO_END_US")" || FAILURES=$((FAILURES + 1))
}

finish() {
    [ "$FAILURES" -eq 0 ] || echo "What the runs left behind: $OUT"
    [ "$FAILURES" -eq 0 ]
}
