#!/usr/bin/env bash
# Builds the Debian package from the build tree with CPack, twice, as two
# builders with other habits would (umask 022 and 002, another time zone
# and language, the same SOURCE_DATE_EPOCH): the two must be byte for byte
# the same. Checks it with Debian's own validators: lintian, appstreamcli,
# desktop-file-validate and man with warnings on; then its file list, its
# Depends line and that nothing in it points back at the build tree or the
# sources.
# Arguments: the build directory, the source directory, the application ID,
# and 1 when plok-capture is built (0 otherwise).
set -euo pipefail
BUILD=$1
SOURCE=$2
APP_ID=$3
WITH_CAPTURE=$4

WORK=$(mktemp -d /tmp/plok-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "$0")/../../scripts/lib/common.sh"
FAILURES=0

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$SOURCE" log -1 --format=%ct || echo 0)}
(umask 022 && TZ=UTC LC_ALL=C.UTF-8 build_deb "$BUILD" "$WORK/a" >/dev/null)
(umask 002 && TZ=Pacific/Kiritimati LC_ALL=C build_deb "$BUILD" "$WORK/b" >/dev/null)
debs=("$WORK"/b/plok_*.deb)
deb=${debs[0]}
version=$(dpkg-deb --field "$deb" Version)
expect "$([ "$(basename "$deb")" = "plok_${version}_$(dpkg --print-architecture).deb" ] &&
    echo true)" "cpack wrote $(basename "$deb")"
expect "$(holds cmp "$WORK/a/$(basename "$deb")" "$deb")" \
    "builders' umask, time zone and language leave the bytes unchanged"

expect "$(passes lintian --fail-on error,warning "$deb")" "lintian finds no error and no warning"

root=$WORK/root
dpkg-deb --extract "$deb" "$root"
metainfo=$root/usr/share/metainfo/$APP_ID.metainfo.xml
expect "$(passes appstreamcli validate --no-net "$metainfo")" "appstreamcli validates the metainfo"
expect "$(grep -q "<release version=\"$version\" date=" "$metainfo" && echo true)" \
    "the metainfo's release is the package's version $version"
expect "$(passes desktop-file-validate "$root/usr/share/applications/$APP_ID.desktop")" \
    "desktop-file-validate accepts the entry"

# As lintian renders them, with every warning of groff and man on.
for page in "$root"/usr/share/man/man*/*; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || printf '%s\n' "$warnings"
    expect "$([ -z "$warnings" ] && echo true)" "man renders ${page#"$root"} without warnings"
done

expected=(
    usr/bin/plok
    "usr/share/applications/$APP_ID.desktop"
    "usr/share/icons/hicolor/256x256/apps/$APP_ID.png"
    "usr/share/metainfo/$APP_ID.metainfo.xml"
    usr/share/man/man6/plok.6.gz
    usr/share/doc/plok/copyright
    usr/share/doc/plok/changelog.gz
)
if [ "$WITH_CAPTURE" = 1 ]; then
    expected+=(usr/bin/plok-capture usr/share/man/man1/plok-capture.1.gz)
fi
listed=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
diff <(printf '%s\n' "$wanted") <(printf '%s\n' "$listed") || true
expect "$([ "$listed" = "$wanted" ] && echo true)" "the package holds exactly the expected files"

depends=$(dpkg-deb --field "$deb" Depends)
printf 'Depends: %s\n' "$depends"
for needed in "$SOUND_BACKEND" libgl1-mesa-dri "libqt${PLOK_QT_VERSION}gui"; do
    expect "$([[ ", $depends" == *", $needed"* ]] && echo true)" "it depends on $needed"
done
recommends=$(dpkg-deb --field "$deb" Recommends)
expect "$([[ "$recommends" == *wayland* ]] && echo true)" \
    "it recommends the toolkit's Wayland platform" "${recommends:-nothing}"
if [ "$WITH_CAPTURE" = 1 ]; then
    expect "$([[ "$depends" == *libavformat* ]] && echo true)" \
        "it depends on FFmpeg's libraries through plok-capture"
    expect "$([ "$("$root/usr/bin/plok-capture" --version)" = "plok-capture $version" ] &&
        echo true)" "plok-capture --version prints the package's version"
fi

expect "$(grep -rlF -e "$BUILD" -e "$SOURCE" "$root" >&2 && echo false || echo true)" \
    "no file names the build tree or the sources"

[ "$FAILURES" -eq 0 ]
