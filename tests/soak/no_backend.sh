#!/usr/bin/env bash
# With no audio back end installed and no sound server the demo runs
# silently and otherwise unchanged: whole timeline, exit status 0; its log
# says once that the soundtrack cannot play, and nothing from Phonon. Phonon
# finds its back ends in its own install folder as well as in the toolkit's
# plugin paths, so no environment variable hides them: the run gets a
# private mount namespace in which an empty folder covers the back-end
# folder, which is what a system without a back end looks like.
# Arguments: the demo, a folder for the run's files.
set -euo pipefail
source "$(dirname "$0")/soak.sh" "$1" "$2"

# Without a back end nothing in Phonon holds the player, which the program
# keeps on purpose until it ends: in a sanitizer build LeakSanitizer would
# count the player and its device as lost. Leaks are checked in the runs that
# have a back end.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

# In the C locale Qt 6 writes four lines of its own, as no desktop session
# would have it.
[ -n "${LC_ALL:-}${LC_CTYPE:-}${LANG:-}" ] || export LANG=C.UTF-8

BACKENDS=$(dpkg -L "$SOUND_BACKEND" 2>/dev/null | grep "/phonon4qt${PLOK_QT_VERSION}_backend\$" |
    head -n 1)
export PULSE_SERVER="unix:$OUT/no-sound-server"

# unshare needs root or unprivileged user namespaces.
if unshare --mount true 2>/dev/null; then
    hide=(unshare --mount)
else
    hide=(unshare --mount --map-root-user)
fi
expect "$([ -n "$BACKENDS" ] && holds "${hide[@]}" true)" \
    "the back-end folder can be hidden in a mount namespace" "${BACKENDS:-no back-end folder}"

# The demo's process id stays that of unshare: unshare and sh both exec.
PLOK_REAL=$PLOK
PLOK=${hide[0]} start_demo "$OUT/plok.log" "${hide[@]:1}" sh -c \
    'mount -t tmpfs plok-no-backend "$1" && ls -A "$1" >"$2" && exec "$3"' \
    sh "$BACKENDS" "$OUT/backends-seen" "$PLOK_REAL"
wait_for_timeline || true
wait_demo

expect "$([ -f "$OUT/backends-seen" ] && [ ! -s "$OUT/backends-seen" ] && echo true)" \
    "the demo sees no back end" "$(tr '\n' ' ' <"$OUT/backends-seen" 2>/dev/null || echo 'not run')"
expect "$(holds grep -q 'cannot play its soundtrack: Phonon has no back end' "$OUT/plok.log")" \
    "the demo says that Phonon has no back end" "$(grep -c soundtrack "$OUT/plok.log" || true) lines"
expect_timeline_end "the demo"
"$LOG_CHECKER" log "$DEMO_LOG.times" "$(format_us "$DEMO_END_US")" silent ||
    FAILURES=$((FAILURES + 1))
finish
