#!/usr/bin/env bash
# Whole runs back to back: RUNS runs (default 5) of the demo in a row, each
# must play the whole timeline, log it, and exit with status 0 at about 45 s
# without leaving a process behind.
# Arguments: the demo, a folder for the runs' files, the number of runs.
set -euo pipefail
source "$(dirname "$0")/soak.sh" "$1" "$2"
RUNS=${3:-5}

for run in $(seq "$RUNS"); do
    start_demo "$OUT/run$run.log"
    wait_for_timeline || true
    follow_first_cut "$LOG_CHECKER" "$(demo_window)" || true
    wait_demo
    expect_timeline_end "run $run: the demo"
    check_log
    expect "$(holds test ! -e "/proc/$DEMO_PID")" "run $run: nothing is left running" "pid $DEMO_PID"
done
finish
