#!/usr/bin/env bash
# Without a sound server the demo plays silently and otherwise unchanged: the
# window fills the screen, the whole timeline runs, the exit status is 0.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

export PULSE_SERVER="unix:$OUT/no-sound-server"

start_demo "$OUT/plok.log"
wait_for_timeline || true
screenshot_at 4.5 "$OUT/scene0-a.png"
screenshot_at 5.0 "$OUT/scene0-b.png"
wait_demo 60

expect_exit 44.5 46.5
check log "$OUT/plok.log.times" 44 45
check scene 0 "$OUT/scene0-a.png" "$OUT/scene0-b.png"
finish
