# Shared by the tests of the project's scripts; source it with the build
# folder, its build type, its Qt version and a folder for what the test
# leaves behind. The scripts under test build into the same folder in the
# same flavour, and so find it built. Commands put in FAKES stand in for the
# real ones on PATH.

OUT=$4
export PLOK_BUILD_DIR=$1 PLOK_BUILD_TYPE=$2 PLOK_QT_VERSION=$3
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"

begin_test "$OUT"
FAKES=$OUT/fakes
mkdir "$FAKES"

# fake COMMAND LINE...: a shell script of those lines stands in for COMMAND.
fake() {
    local command=$1
    shift
    printf '#!/bin/sh\n' >"$FAKES/$command"
    printf '%s\n' "$@" >>"$FAKES/$command"
    chmod +x "$FAKES/$command"
}
