# Fresh Debian roots made with debootstrap, to run the project's commands on
# a machine with nothing installed or on another Debian release than the
# host's: made from the host's own mirrors, mounted as a running system is,
# and taken apart without ever deleting through a mount. Source it after
# common.sh; all of it needs root.

# "URI SUITE" for every deb entry of the host's apt sources, in the one-line
# format and in deb822.
host_apt_entries() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ ! -f "$f" ] || awk '$1 == "deb" {
            i = 2
            if ($2 ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
            print $i, $(i + 1) }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ ! -f "$f" ] || awk '
            function flush(   n, m, i, j, u, s) {
                if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled != "no") {
                    n = split(uris, u); m = split(suites, s)
                    for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j]
                }
                types = uris = suites = enabled = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            { key = tolower($1); $1 = "" }
            key == "types:" { types = $0 }
            key == "uris:" { uris = $0 }
            key == "suites:" { suites = $0 }
            key == "enabled:" { enabled = tolower($2) }
            END { flush() }' "$f"
    done
}

# debian_mirror [-security]: where the host fetches its own release from, or
# its security fixes: the only mirror a build machine may be able to reach.
# Debian's own when the host names none.
debian_mirror() {
    local release uri
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    uri=$(host_apt_entries | awk -v s="$release${1:-}" '$2 == s { print $1; exit }')
    if [ -z "$uri" ] && [ "${1:-}" = -security ]; then
        uri=$(debian_mirror)
        uri=${uri%/debian}/debian-security
    fi
    echo "${uri:-http://deb.debian.org/debian}"
}

# make_root DIR SUITE: a minimal Debian root of release SUITE in DIR, whose
# apt fetches SUITE, SUITE-updates and SUITE-security from the host's
# mirrors. Its package lists are still to fetch, as on a new machine.
make_root() {
    local dir=$1 suite=$2 archive security script=
    archive=$(debian_mirror)
    security=$(debian_mirror -security)
    # debootstrap knows the releases of its own time; a later one is made
    # as unstable is.
    [ -e "/usr/share/debootstrap/scripts/$suite" ] || script=/usr/share/debootstrap/scripts/sid
    debootstrap --variant=minbase "$suite" "$dir" "$archive" ${script:+"$script"} || return
    rm -f "$dir/etc/apt/sources.list"
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n\n' \
        "$archive" "$suite $suite-updates" /usr/share/keyrings/debian-archive-keyring.gpg \
        "$security" "$suite-security" /usr/share/keyrings/debian-archive-keyring.gpg \
        >"$dir/etc/apt/sources.list.d/debian.sources"
    # A host that ignores the expiry dates of its mirror's indexes (a frozen
    # snapshot of the archive) needs the root to ignore them too.
    apt-config dump | grep -E '^Acquire::Check-(Valid-Until|Date) "false";$' \
        >"$dir/etc/apt/apt.conf.d/99host-mirror" || true
    # Services that packages would start stay off in the root.
    printf '#!/bin/sh\nexit 101\n' >"$dir/usr/sbin/policy-rc.d"
    chmod +x "$dir/usr/sbin/policy-rc.d"
}

# start_root DIR: mounts what programs expect of a running system in the
# root DIR and gives it the host's name resolution. DIR itself becomes a
# private mount, so that nothing mounted below it shows elsewhere; the parts
# of the host's /dev bound in are private too, or a mount made below them
# would also appear on the host's /dev.
start_root() {
    local dir=$1
    mount --bind --make-private "$dir" "$dir" &&
        mount -t proc proc "$dir/proc" &&
        mount -t sysfs sysfs "$dir/sys" &&
        mount --bind --make-private /dev "$dir/dev" &&
        mount --bind --make-private /dev/pts "$dir/dev/pts" &&
        mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$dir/dev/shm" &&
        rm -f "$dir/etc/resolv.conf" "$dir/etc/hosts" &&
        cp -L /etc/resolv.conf /etc/hosts "$dir/etc/"
}

# Mount points at DIR and below it, deepest first.
mounts_under() {
    findmnt --list --noheadings --output TARGET |
        awk -v d="$1" '$0 == d || index($0, d "/") == 1' | LC_ALL=C sort -r
}

# The processes whose root directory is DIR or below it: those running in a
# root there.
processes_in() {
    find /proc -mindepth 2 -maxdepth 2 -name root -printf '%h\t%l\n' 2>/dev/null |
        awk -F '\t' -v d="$1" '$2 == d || index($2, d "/") == 1 { print substr($1, 7) }'
}

# Ends what still runs in DIR, asked first and then killed, waiting up to
# 10 s for each.
end_processes_in() {
    local signal pids deadline
    for signal in TERM KILL; do
        mapfile -t pids < <(processes_in "$1")
        [ ${#pids[@]} -gt 0 ] || return 0
        log "Ending with SIG$signal what still runs in $1: ${pids[*]}"
        kill -s "$signal" "${pids[@]}" 2>/dev/null || true
        deadline=$((SECONDS + 10))
        while [ -n "$(processes_in "$1")" ] && [ "$SECONDS" -lt "$deadline" ]; do
            sleep 0.1
        done
    done
    [ -z "$(processes_in "$1")" ]
}

# release_root DIR: ends what runs in DIR and unmounts everything at and
# below it, the command's own mounts too; fails when a mount is left. The
# kernel names mounts and processes' roots by real paths: DIR is matched as
# its real path, however it is spelled (a link, a trailing slash).
release_root() {
    local dir target left
    dir=$(realpath -m "$1")
    end_processes_in "$dir" || log "Some processes in $dir did not end"
    for target in $(mounts_under "$dir"); do
        umount "$target" 2>/dev/null || umount --lazy "$target" || true
    done
    left=$(mounts_under "$dir")
    [ -z "$left" ] && return 0
    log "Still mounted: $(echo "$left" | xargs)"
    return 1
}

# remove_root DIR: releases DIR and deletes it. A tree with a mount left in
# it stays: deleting it would delete through the mount, and --one-file-system
# does not stop at a bind mount of a folder on the same file system.
remove_root() {
    local dir
    dir=$(realpath -m "$1")
    if release_root "$dir"; then
        rm -rf --one-file-system "$dir"
    else
        log "Left $dir in place"
        return 1
    fi
}
