#!/usr/bin/env bash
# The scripts delete only what they made in the same run. A folder of the
# user's, holding a file, named by every variable that could choose where
# they work (generic names that other tools set, the platform's temporary
# folder, the project's own): a headless capture writes its video and leaves
# that folder as it was. A test's output folder keeps what was there.
# Arguments: see scripts.sh.
set -euo pipefail
source "$(dirname "$0")/scripts.sh"

# user_folder NAME: a folder holding one file.
user_folder() {
    mkdir "$OUT/$1"
    echo "a user's file" >"$OUT/$1/file"
}

# intact NAME: the folder still holds the file, unchanged.
intact() {
    [ "$(cat "$OUT/$1/file" 2>/dev/null)" = "a user's file" ] && echo true
}

user_folder victim
victim=$OUT/victim
status=0
(cd "$OUT" && env -u DISPLAY SERVICE_DIR="$victim" BUILD_DIR="$victim" PLOK="$victim" \
    TMPDIR="$victim" PLOK_DEMO="$victim" "$ROOT/scripts/capture" --from 0 --to 0.1 out.mp4) \
    >"$OUT/capture.log" 2>&1 || status=$?
expect "$([ "$status" -eq 0 ] && [ -s "$OUT/out.mp4" ] && echo true)" \
    "scripts/capture, headless, with those names set, writes its video" \
    "status $status, log in $OUT/capture.log"
expect "$(intact victim)" "the folder they name keeps its file" \
    "$(ls -A "$victim" 2>&1 | tr '\n' ' ')"

user_folder earlier-run
(begin_test "$OUT/earlier-run")
expect "$(intact earlier-run)" "begin_test keeps what the folder it is given holds"
[ "$FAILURES" -eq 0 ]
