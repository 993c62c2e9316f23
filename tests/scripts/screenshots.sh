#!/usr/bin/env bash
# scripts/screenshots with a tool that does not work (xdotool, which finds
# the demo's window): it stops before the demo's run, names the tool, exits
# with a failure, and leaves the pictures it would have replaced as they
# were.
# Arguments: see scripts.sh.
set -euo pipefail
source "$(dirname "$0")/scripts.sh"

fake xdotool 'echo "Error: Can not open display." >&2' 'exit 1'
shots=$OUT/shots
mkdir "$shots"
for scene in 0 1 2 3; do
    echo "an earlier picture of scene $scene" >"$shots/scene-$scene.png"
done

status=0
PATH=$FAKES:$PATH "$ROOT/scripts/screenshots" "$shots" >"$OUT/screenshots.log" 2>&1 || status=$?
expect "$([ "$status" -ne 0 ] && grep -q xdotool "$OUT/screenshots.log" && echo true)" \
    "it fails and names xdotool" "status $status: $(tail -n 1 "$OUT/screenshots.log")"
kept=0
for scene in 0 1 2 3; do
    [ "$(cat "$shots/scene-$scene.png")" != "an earlier picture of scene $scene" ] || kept=$((kept + 1))
done
expect "$([ "$kept" -eq 4 ] && echo true)" "the earlier pictures stay as they were" "$kept of 4"
echo "What it printed: $OUT/screenshots.log"
[ "$FAILURES" -eq 0 ]
