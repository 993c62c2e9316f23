#!/usr/bin/env bash
# A Debian root is taken apart whatever path names it: through a symbolic
# link, and through that link with a trailing slash. Each root holds a bind
# mount of a host folder (as scripts/package-check binds the host's X
# sockets into its root), on the same file system; afterwards the mount is
# gone, the root deleted, and the host folder's file intact.
# Arguments: see scripts.sh.
set -euo pipefail
source "$(dirname "$0")/scripts.sh"
source "$ROOT/scripts/lib/debianroot.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: mounting needs root"
    exit 77
fi

# The test's own mounts do not outlive it, whatever the code under test did.
MOUNTS=()
unmount_left() {
    local target
    for target in "${MOUNTS[@]}"; do
        ! mountpoint -q "$target" || umount "$target"
    done
}
trap 'unmount_left; stop_services' EXIT

# case_through NAME SUFFIX: a root given to remove_root as a link to it,
# followed by SUFFIX.
case_through() {
    local name=$1 suffix=$2 host root link
    host=$(mktemp -d "$OUT/host.XXXXXX")
    echo "the host's file" >"$host/file"
    root=$(mktemp -d "$OUT/root.XXXXXX")
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind --make-private "$host" "$root/tmp/.X11-unix"
    MOUNTS+=("$root/tmp/.X11-unix")
    link=$root.link
    ln -s "$root" "$link"

    remove_root "$link$suffix" >>"$OUT/remove.log" 2>&1 || true
    expect "$([ -z "$(findmnt --list --noheadings --output TARGET | grep -F "$root")" ] &&
        [ ! -e "$root" ] && echo true)" "remove_root through $name: mount gone, root deleted" \
        "$(findmnt --list --noheadings --output TARGET | grep -cF "$root" || true) mounts left"
    expect "$([ "$(cat "$host/file" 2>/dev/null)" = "the host's file" ] && echo true)" \
        "remove_root through $name: the host folder's file intact"
}

case_through "a symbolic link" ""
case_through "a symbolic link with a trailing slash" /
[ "$FAILURES" -eq 0 ]
