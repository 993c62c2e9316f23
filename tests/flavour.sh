#!/usr/bin/env bash
# Each program runs on one Qt, the one the build chose, and the demo on the
# Phonon made for it: a process that loads libraries of two Qt versions
# crashes.
# Arguments: the Qt major version, then the programs; the first is the demo.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
MAJOR=$1
shift
FAILURES=0

for program in "$@"; do
    majors=$(ldd "$program" | grep -o 'libQt[0-9]Core' | sort -u | tr -d '[:alpha:]' | xargs)
    expect "$([ "$majors" = "$MAJOR" ] && echo true)" "$(basename "$program") runs on Qt $MAJOR" \
        "Qt ${majors:-none}"
done
expect "$(holds grep -q "libphonon4qt$MAJOR\." <(ldd "$1"))" "$(basename "$1") plays through Phonon4Qt$MAJOR"
[ "$FAILURES" -eq 0 ]
