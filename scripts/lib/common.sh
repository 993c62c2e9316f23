# Shared steps of the project's scripts: packages, build, and the headless
# X display and sound server that the demo and its tests run against.
# Source it; every function uses the variables set here. The scripts run as
# root on people's own machines: of the environment they read only the
# PLOK_ names listed in the README, and they delete only what they made in
# the same run.

log() { printf '%s\n' "$*" >&2; }

# fail WHY: stops the script with a failure and the reason.
fail() {
    log "$*"
    exit 1
}

# whole_number NAME DEFAULT: the environment's NAME, or DEFAULT when it is
# unset; the script stops when that is not a whole number.
whole_number() {
    local value=${!1:-$2}
    [[ $value =~ ^[0-9]+$ ]] || { log "$1 must be a whole number, not \"$value\""; exit 2; }
    echo "$value"
}

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_DIR=$(realpath -m "${PLOK_BUILD_DIR:-$ROOT/build}")
BUILD_TYPE=${PLOK_BUILD_TYPE:-RelWithDebInfo}
# How long a service may take to be ready: the first start of a program on a
# new or busy machine can take many seconds.
SERVICE_TIMEOUT=$(whole_number PLOK_SERVICE_TIMEOUT 60)

# The toolkit each Debian release builds with: Qt 5 on Debian 12, which has
# no Phonon for Qt 6; Qt 6 from Debian 13 on. PLOK_QT_VERSION=5 or 6 chooses.
# Testing has no VERSION_ID.
debian_release() {
    (. /etc/os-release && echo "${VERSION_ID:-testing}")
}
case ${PLOK_QT_VERSION:-} in
    5 | 6) ;;
    '')
        case $(debian_release) in
            11 | 12) PLOK_QT_VERSION=5 ;;
            *) PLOK_QT_VERSION=6 ;;
        esac
        ;;
    *) log "PLOK_QT_VERSION must be 5 or 6, not \"$PLOK_QT_VERSION\""; exit 2 ;;
esac

# Debian's packages, by purpose. The Phonon dev package alone pulls in the
# empty back end, which conflicts with the real one: the dev package, the
# metapackage and the back end go in together. Qt 5 plays through
# GStreamer, whose back end Debian 12 knows best; Qt 6 through VLC, the one
# back end Debian keeps for it.
if [ "$PLOK_QT_VERSION" = 5 ]; then
    QT_DEV_PACKAGE=qtbase5-dev
    PHONON_PACKAGES=(libphonon4qt5-dev phonon4qt5)
    SOUND_BACKEND=phonon4qt5-backend-gstreamer
    SOUND_BACKEND_PACKAGES=(
        "$SOUND_BACKEND" gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
    )
else
    QT_DEV_PACKAGE=qt6-base-dev
    PHONON_PACKAGES=(libphonon4qt6-dev phonon4qt6)
    SOUND_BACKEND=phonon4qt6-backend-vlc
    SOUND_BACKEND_PACKAGES=("$SOUND_BACKEND")
fi
# Building the demo, its tests and benchmarks.
BUILD_PACKAGES=(
    cmake g++ make "$QT_DEV_PACKAGE"
    libgl1-mesa-dev libglu1-mesa-dev libx11-dev
    libbenchmark-dev libfftw3-dev
    pkg-config libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
    "${PHONON_PACKAGES[@]}" "${SOUND_BACKEND_PACKAGES[@]}"
)
# What playing needs that linking does not show: Mesa's drivers and the
# sound back end; on a Wayland desktop, the toolkit's Wayland platform.
PLAY_PACKAGES=(libgl1-mesa-dri "${SOUND_BACKEND_PACKAGES[@]}")
if [ "$PLOK_QT_VERSION" = 5 ]; then
    WAYLAND_PACKAGES=(qtwayland5)
else
    WAYLAND_PACKAGES=(qt6-wayland)
fi
# An X display of the scripts' own.
XVFB_PACKAGES=(xvfb xauth)
# A private sound server and its command-line clients (pactl, parecord, paplay).
SOUND_SERVER_PACKAGES=(pulseaudio pulseaudio-utils)
# Playing without a desktop: that display with openbox, so that full-screen
# means the size of the screen (xprop, in x11-utils, tells when it runs),
# the sound server, and screenshots.
HEADLESS_PACKAGES=("${XVFB_PACKAGES[@]}" openbox x11-utils "${SOUND_SERVER_PACKAGES[@]}" imagemagick)
# The tests play headless and besides send keys to the demo's window,
# validate desktop entries, take captures apart and capture with Mesa's
# second software driver, zink on lavapipe (OpenGL on Vulkan).
TEST_PACKAGES=("${HEADLESS_PACKAGES[@]}" xdotool desktop-file-utils ffmpeg mesa-vulkan-drivers)
# Making the Debian package (CPack calls dpkg-shlibdeps, which needs file)
# and checking it with Debian's validators.
PACKAGE_PACKAGES=(dpkg-dev file lintian appstream desktop-file-utils groff man-db)

# begin_test FOLDER: a test starts with no failure counted, a new folder OUT
# inside FOLDER for what it leaves behind (named by the time it starts;
# earlier runs' stay beside it), and the services it starts stopped at its
# end (see end_test).
begin_test() {
    FAILURES=0
    mkdir -p "$1"
    OUT=$(mktemp -d "$1/$(date +%Y%m%d-%H%M%S).XXXXXX")
    trap end_test EXIT
}

# At a test's exit: its services stop, and a test that passed removes the
# folder it made; one that failed keeps it (screenshots and recordings, some
# 60 MB a whole run) for a look.
end_test() {
    local status=$?
    stop_services
    [ "$status" -ne 0 ] || rm -rf "${OUT:?}"
}

# expect CONDITION WHAT [MEASURED]: a test's verdict, printed; a failure is
# counted in FAILURES.
expect() {
    if [ "$1" = true ]; then
        printf 'ok   %s%s\n' "$2" "${3:+: $3}"
    else
        printf 'FAIL %s%s\n' "$2" "${3:+: $3}"
        FAILURES=$((FAILURES + 1))
    fi
}

# holds COMMAND...: true if the command succeeds, else false.
holds() {
    "$@" >/dev/null 2>&1 && echo true || echo false
}

# passes COMMAND...: the same, with the command's output shown on standard
# error.
passes() {
    "$@" >&2 && echo true || echo false
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs whichever of the given Debian packages are missing, in one
# apt-get call; does nothing when all are there. A package named twice
# counts once.
ensure_packages() {
    local missing=() pkg
    for pkg in $(printf '%s\n' "$@" | awk '!seen[$0]++'); do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build_project [-DNAME=VALUE...] [TARGET...]: configures BUILD_DIR for the
# build type and the Qt chosen above, with those CMake settings, and builds
# the targets, or everything.
build_project() {
    local settings=() targets=() arg
    for arg in "$@"; do
        case $arg in
            -D*) settings+=("$arg") ;;
            *) targets+=(--target "$arg") ;;
        esac
    done
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" \
        -DPLOK_QT_VERSION="$PLOK_QT_VERSION" "${settings[@]}" >&2
    cmake --build "$BUILD_DIR" -j "$(nproc)" "${targets[@]}" >&2
}

# build_deb BUILD_DIR OUT_DIR: CPack writes the Debian package of a
# configured build folder into OUT_DIR. The .deb records the modes its parts
# were written with, so it is made under umask 022, as dpkg-buildpackage
# does: builders with a group of their own (umask 002) get the same bytes.
build_deb() {
    (umask 022 && cpack --config "$1/CPackConfig.cmake" -B "$2")
}

# The services' processes, and their files: a folder of their own, made when
# the first one starts (see service_dir).
SERVICE_PIDS=()
SERVICE_DIR=

service_dir() {
    [ -n "$SERVICE_DIR" ] || SERVICE_DIR=$(mktemp -d /tmp/plok-services.XXXXXX)
}

stop_services() {
    local pid
    # A service ended by the signal may exit with a failure status: that is
    # no failure of the caller's.
    for pid in "${SERVICE_PIDS[@]}"; do
        kill "$pid" 2>/dev/null && { wait "$pid" 2>/dev/null || true; }
    done
    SERVICE_PIDS=()
    [ -z "$SERVICE_DIR" ] || rm -rf "$SERVICE_DIR"
    SERVICE_DIR=
}

# wait_until_ready NAME PID LOG COMMAND...: polls COMMAND until it succeeds.
# Fails, printing the service's own LOG, when PID ends first or after
# SERVICE_TIMEOUT seconds.
wait_until_ready() {
    local name=$1 pid=$2 service_log=$3 deadline=$((SECONDS + SERVICE_TIMEOUT)) why=
    shift 3
    until "$@" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || why="ended before it was ready"
        [ "$SECONDS" -lt "$deadline" ] || why="was not ready after $SERVICE_TIMEOUT s"
        if [ -n "$why" ]; then
            log "$name $why. Its log, $service_log:"
            sed 's/^/    /' "$service_log" >&2
            return 1
        fi
        sleep 0.1
    done
}

# display_taken N: display N has a server, or one starting. A Debian root
# (scripts/in-debian) has a /tmp of its own but shares the host's network,
# where X servers listen on abstract sockets too.
display_taken() {
    [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ] ||
        grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
}

# Starts Xvfb on the first free display number from 90 on, with the given
# screen size, and exports DISPLAY. Xvfb writes its number to the display
# file once it takes connections; when another user's server takes the same
# number first, it ends at once and the next number is tried.
start_xvfb() {
    local size=${1:-1920x1080} n=89 pid
    service_dir
    for _ in 1 2 3; do
        n=$((n + 1))
        while display_taken "$n"; do
            n=$((n + 1))
        done
        : >"$SERVICE_DIR/display"
        # -noreset: otherwise the server resets when its last client leaves,
        # and a client that connects in that moment is refused.
        Xvfb ":$n" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset +extension GLX \
            3>"$SERVICE_DIR/display" >"$SERVICE_DIR/xvfb.log" 2>&1 &
        pid=$!
        SERVICE_PIDS+=("$pid")
        export DISPLAY=":$n"
        wait_until_ready "Xvfb on $DISPLAY" "$pid" "$SERVICE_DIR/xvfb.log" \
            test -s "$SERVICE_DIR/display" && return 0
        kill -0 "$pid" 2>/dev/null && return 1
    done
    return 1
}

# A window manager, so that full-screen means the size of the screen. Its
# first start on a loaded machine can take many seconds.
start_window_manager() {
    openbox --sm-disable >"$SERVICE_DIR/openbox.log" 2>&1 &
    SERVICE_PIDS+=($!)
    wait_until_ready openbox $! "$SERVICE_DIR/openbox.log" window_manager_running
}

window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

# start_pulseaudio NAME RUNTIME_DIR SOCKET LOG: a private PulseAudio server
# listening on SOCKET, with a null sink named "null" whose monitor can be
# recorded; waits until it answers.
start_pulseaudio() {
    local name=$1 runtime=$2 socket=$3 service_log=$4
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    XDG_RUNTIME_DIR=$runtime pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
        --disable-shm=yes \
        -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
        -L "module-null-sink sink_name=null rate=44100 channels=2" \
        >"$service_log" 2>&1 &
    SERVICE_PIDS+=($!)
    wait_until_ready "$name" $! "$service_log" pactl --server="unix:$socket" info
}

# The sound server of the scripts and the tests, whose null sink is the
# default; exports PULSE_SERVER and XDG_RUNTIME_DIR, and sets HEARD_SERVER,
# the server whose "null.monitor" records what is heard, to the same.
start_sound_server() {
    service_dir
    export XDG_RUNTIME_DIR="$SERVICE_DIR/runtime"
    export PULSE_SERVER="unix:$SERVICE_DIR/pulse.sock"
    HEARD_SERVER=$PULSE_SERVER
    start_pulseaudio "the sound server" "$XDG_RUNTIME_DIR" "$SERVICE_DIR/pulse.sock" \
        "$SERVICE_DIR/pulse.log" &&
        pactl set-default-sink null
}

# After start_sound_server: a sink with a Bluetooth headset's latency, made
# the default. It is a tunnel into a second private server, which plays
# what is heard into a null sink of its own; the tunnel buffers what it is
# sent and reports 100 to 200 ms of latency to the players. Sets
# HEARD_SERVER to that second server.
start_headset_sink() {
    local heard=$SERVICE_DIR/heard
    start_pulseaudio "the headset's sound server" "$heard" "$heard/pulse.sock" \
        "$SERVICE_DIR/heard.log" || return
    pactl load-module module-tunnel-sink-new server="unix:$heard/pulse.sock" sink=null \
        sink_name=headset >/dev/null &&
        pactl set-default-sink headset &&
        HEARD_SERVER=unix:$heard/pulse.sock
}

# Gives Mesa an empty shader cache of its own, as on a fresh machine, so
# that every run compiles the same shaders whatever ran before it.
use_private_shader_cache() {
    service_dir
    export MESA_SHADER_CACHE_DIR=$SERVICE_DIR/shader-cache
}
