#!/usr/bin/env bash
# Escape ends the demo early, in scene 0, with status 0.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

start_demo "$OUT/plok.log"
window=$(demo_window 10) || true
WAIT_US=$((DEMO_START_US + 5000000 - $(now_us)))
[ "$WAIT_US" -gt 0 ] && sleep "$(format_us "$WAIT_US")"
[ -n "$window" ] && press_escape "$window"
KEY_US=$(now_us)
wait_demo 20

expect "$([ -n "$window" ] && echo true)" "the demo shows its window \"Vash by [Q]\"" \
    "window id ${window:-none}"
expect_exit 4.5 7
expect "$([ $((DEMO_END_US - KEY_US)) -le 1500000 ] && echo true)" \
    "it ends within 1.5 s of the key" "$(format_us $((DEMO_END_US - KEY_US))) s"
check log "$OUT/plok.log.times" 4 6
finish
