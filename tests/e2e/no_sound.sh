#!/usr/bin/env bash
# Without a sound server the demo plays silently and otherwise unchanged: the
# window fills the screen, the whole timeline runs, the exit status is 0. Its
# log says once that the soundtrack cannot play, and holds nothing from the
# sound back end.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

export PULSE_SERVER="unix:$OUT/no-sound-server"

start_demo "$OUT/plok.log"
wait_for_timeline || true
screenshot_pair_at 3.0 "$OUT/scene0-a.ppm" "$OUT/scene0-b.ppm" 4 6.0
wait_demo 90

expect_timeline_end "the demo"
check_log silent
check scene 0 "$OUT/scene0-a.ppm" "$OUT/scene0-b.ppm"
finish
