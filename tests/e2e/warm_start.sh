#!/usr/bin/env bash
# A second launch finds in the shader cache every shader that the first one
# compiled, and so compiles none between its frames. Each launch runs until
# its window shows the second scene and its rehearsal has ended: by then
# every scene has been drawn.
set -euo pipefail
source "$(dirname "$0")/e2e.sh"

ensure_sound_server
export MESA_SHADER_CACHE_DIR=$OUT/shader-cache

# rehearsing: the demo's rehearsal thread still runs. On a busy machine
# it may go on past the first cut, which waits for it only a moment.
rehearsing() {
    grep -qx rehearsal /proc/"$DEMO_PID"/task/*/comm 2>/dev/null
}

# launch NAME: one launch, and what the cache holds after it, as file names
# and sizes, in $OUT/cache-NAME.
launch() {
    local window deadline
    start_demo "$OUT/plok-$1.log"
    window=$(demo_window) || true
    if [ -n "$window" ] && "$CHECKER" await-cut "$window" 1 60 >/dev/null; then
        deadline=$((SECONDS + 60))
        while rehearsing && [ "$SECONDS" -lt "$deadline" ]; do
            sleep 0.1
        done
        press_escape "$window"
    fi
    wait_demo 60
    find "$MESA_SHADER_CACHE_DIR" -type f -printf '%P %s\n' | sort >"$OUT/cache-$1"
}

launch first
launch second
added=$(comm -13 "$OUT/cache-first" "$OUT/cache-second" | wc -l)
expect "$([ -s "$OUT/cache-first" ] && echo true)" "the first launch fills the shader cache" \
    "$(wc -l <"$OUT/cache-first") files"
expect "$([ "$added" -eq 0 ] && echo true)" "the second launch adds nothing to it" \
    "$added files new or grown"
finish
