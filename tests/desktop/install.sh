#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop gets:
# the program, a desktop entry that desktop-file-validate accepts and whose
# Exec and Icon name what was installed, and the 256 x 256 PNG icon.
# Arguments: the build directory, the icon generator and its committed
# output, which must match byte for byte, and the application ID that names
# the entry and the icon.
set -euo pipefail
BUILD=$1
MAKEICON=$2
COMMITTED_ICON=$3
APP_ID=$4

PREFIX=$(mktemp -d /tmp/plok-install.XXXXXX)
trap 'rm -rf "$PREFIX"' EXIT
source "$(dirname "$0")/../../scripts/lib/common.sh"
FAILURES=0

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

entry=$PREFIX/share/applications/$APP_ID.desktop
icon=$PREFIX/share/icons/hicolor/256x256/apps/$APP_ID.png
expect "$(holds test -x "$PREFIX/bin/plok")" "bin/plok is installed and executable"
expect "$(holds test -f "$entry")" "share/applications/$APP_ID.desktop is installed"
expect "$(holds desktop-file-validate "$entry")" "desktop-file-validate accepts the entry"
desktop-file-validate "$entry" || true

key() {
    sed -n "s/^$1=//p" "$entry"
}
expect "$([ "$(key Exec)" = plok ] && echo true)" "Exec runs the installed program by name"
expect "$([ "$(key Icon)" = "$APP_ID" ] && echo true)" "Icon names the installed icon"
expect "$([ "$(key Type)" = Application ] && [ "$(key Name)" = Plok ] && echo true)" \
    "the entry is the application Plok"

# The PNG header: signature, IHDR, width and height 256, 8-bit RGBA.
header=$(od -An -tx1 -N26 "$icon" 2>/dev/null | tr -d ' \n') || true
expect "$([ "$header" = 89504e470d0a1a0a0000000d4948445200000100000001000806 ] && echo true)" \
    "the icon is a 256 x 256 8-bit RGBA PNG"

fresh=$PREFIX/fresh-icon.png
"$MAKEICON" "$fresh"
expect "$(holds cmp "$fresh" "$COMMITTED_ICON")" "makeicon makes the committed icon byte for byte"

[ "$FAILURES" -eq 0 ]
