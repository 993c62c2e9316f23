#!/usr/bin/env bash
# What each script asks apt-get to install, on a machine where nothing
# counts as installed (dpkg-query, apt-get and sudo stand in): every tool
# the run uses, and on a desktop nothing of the headless kit. Where the
# install fails, the script stops there.
# Arguments: see scripts.sh.
set -euo pipefail
source "$(dirname "$0")/scripts.sh"

CALLS=$OUT/apt-get.calls
fake dpkg-query 'exit 1'
fake sudo 'exec "$@"'
fake apt-get "echo \"\$*\" >>'$CALLS'" '[ "$1" != install ] || exit "$INSTALL_STATUS"'
fake plok "echo \"\$*\" >'$OUT/played'"

# asks STATUS COMMAND...: runs the command with the stand-ins, an install
# ending with STATUS, and prints the packages it asked for, one a line.
asks() {
    local status=$1
    shift
    : >"$CALLS"
    echo "== $*" >>"$OUT/scripts.log"
    PATH=$FAKES:$PATH INSTALL_STATUS=$status PLOK_DEMO=$FAKES/plok "$@" >>"$OUT/scripts.log" 2>&1 ||
        echo "exit status $?" >>"$OUT/scripts.log"
    awk '$1 == "install" { for (i = 2; i <= NF; i++) if ($i !~ /^-/) print $i }' "$CALLS"
}

# includes PACKAGE... < LIST: every one of them is in the list.
includes() {
    local list pkg
    list=$(cat)
    for pkg in "$@"; do
        grep -qxF "$pkg" <<<"$list" || return 1
    done
}

# excludes PACKAGE... < LIST: none of them is in the list.
excludes() {
    ! grep -qxF -f <(printf '%s\n' "$@")
}

HEADLESS=(xvfb openbox x11-utils pulseaudio pulseaudio-utils imagemagick)

asked=$(DISPLAY=:0 asks 0 "$ROOT/scripts/play" --windowed)
expect "$([ "$(cat "$OUT/played" 2>/dev/null)" = --windowed ] &&
    includes cmake "$SOUND_BACKEND" libgl1-mesa-dri <<<"$asked" && echo true)" \
    "scripts/play on a desktop installs what building and playing need, and plays" "$(xargs <<<"$asked")"
expect "$(excludes "${HEADLESS[@]}" xdotool <<<"$asked" && echo true)" \
    "scripts/play on a desktop installs none of the headless kit"

rm -f "$OUT/played"
asked=$(asks 100 env -u DISPLAY "$ROOT/scripts/play")
expect "$([ ! -e "$OUT/played" ] && includes "${HEADLESS[@]}" <<<"$asked" && echo true)" \
    "scripts/play without a display asks for the headless kit, and stops when it cannot have it" \
    "$(xargs <<<"$asked")"

asked=$(asks 100 "$ROOT/scripts/screenshots")
expect "$(includes "${HEADLESS[@]}" xdotool <<<"$asked" && echo true)" \
    "scripts/screenshots asks for all it uses" "$(xargs <<<"$asked")"

asked=$(asks 100 "$ROOT/scripts/bench")
expect "$(includes "${HEADLESS[@]}" xdotool gnuplot-nox <<<"$asked" && echo true)" \
    "scripts/bench asks for all it uses" "$(xargs <<<"$asked")"
asked=$(asks 100 env PLOK_CUTS_SERVER=pipewire "$ROOT/scripts/bench-cuts")
expect "$(includes pipewire pipewire-pulse wireplumber <<<"$asked" && excludes pulseaudio <<<"$asked" &&
    echo true)" "scripts/bench-cuts on PipeWire asks for it, and not for PulseAudio's daemon" \
    "$(xargs <<<"$asked")"
echo "What the scripts printed: $OUT/scripts.log"
[ "$FAILURES" -eq 0 ]
