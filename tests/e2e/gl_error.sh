#!/usr/bin/env bash
# The demo reads GL's errors once its first frame is shown and says which
# there were in one line of its log. Arguments: those of the other
# end-to-end tests, then a library that, preloaded, makes a GL error with
# each change of the viewport.
set -euo pipefail
GL_ERROR=$5
source "$(dirname "$0")/e2e.sh"

# The demo's process id stays that of env, which execs it.
PLOK_REAL=$PLOK
PLOK=env start_demo "$OUT/plok.log" LD_PRELOAD="$GL_ERROR" "$PLOK_REAL"
said_error() { grep -q "^Plok's OpenGL reported GL_INVALID_ENUM by its first frame\.$" "$OUT/plok.log"; }
await said_error || true
window=$(demo_window) || true
[ -n "$window" ] && press_escape "$window"
wait_demo 20

expect "$(holds said_error)" "the demo says which GL error its first frame met" \
    "$(grep -c "OpenGL reported" "$OUT/plok.log") such lines"
finish
