#!/usr/bin/env bash
# Escape ends the demo early, in scene 0, with status 0.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

start_demo "$OUT/plok.log"
wait_for_timeline || true
window=$(demo_window) || true
sleep_until 5
[ -n "$window" ] && press_escape "$window"
KEY_US=$(now_us)
wait_demo 20

expect "$([ -n "$window" ] && echo true)" "the demo shows its window \"Vash by [Q]\"" \
    "window id ${window:-none}"
expect_key_end "the demo" "$KEY_US"
check_log
finish
