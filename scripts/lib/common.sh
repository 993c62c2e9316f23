# Shared steps of the project's scripts: packages, build, and the headless
# X display and sound server that the demo and its tests run against.
# Source it; every function uses the variables set here.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

# The toolkit each Debian release builds with: Qt 5 on Debian 12, which has
# no Phonon for Qt 6; Qt 6 from Debian 13 on. PLOK_QT_VERSION=5 or 6 chooses.
# Testing has no VERSION_ID.
debian_release() {
    (. /etc/os-release && echo "${VERSION_ID:-testing}")
}
if [ -z "${PLOK_QT_VERSION:-}" ]; then
    case $(debian_release) in
        11 | 12) PLOK_QT_VERSION=5 ;;
        *) PLOK_QT_VERSION=6 ;;
    esac
fi

# What building, running and testing the demo need.
BUILD_PACKAGES=(
    cmake g++ make
    libgl1-mesa-dev libglu1-mesa-dev
    libbenchmark-dev libfftw3-dev
    pkg-config libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
)
# The Phonon dev package alone pulls in the empty back end, which conflicts
# with the real one: the dev package, the metapackage and the back end go in
# together. Qt 5 plays through GStreamer, whose back end Debian 12 knows best;
# Qt 6 through VLC, the one back end Debian keeps for it.
if [ "$PLOK_QT_VERSION" = 5 ]; then
    BUILD_PACKAGES+=(qtbase5-dev)
    SOUND_BACKEND=phonon4qt5-backend-gstreamer
    SOUND_PACKAGES=(
        libphonon4qt5-dev phonon4qt5 "$SOUND_BACKEND"
        gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
    )
else
    BUILD_PACKAGES+=(qt6-base-dev)
    SOUND_BACKEND=phonon4qt6-backend-vlc
    SOUND_PACKAGES=(libphonon4qt6-dev phonon4qt6 "$SOUND_BACKEND")
fi
RUN_PACKAGES=(libgl1-mesa-dri xvfb xauth openbox x11-utils imagemagick)
# A private sound server and its command-line clients (pactl, parecord, paplay).
SOUND_SERVER_PACKAGES=(pulseaudio pulseaudio-utils)
TEST_PACKAGES=(xdotool "${SOUND_SERVER_PACKAGES[@]}" desktop-file-utils ffmpeg)
# Making the Debian package (CPack calls dpkg-shlibdeps, which needs file)
# and checking it with Debian's validators.
PACKAGE_PACKAGES=(dpkg-dev file lintian appstream desktop-file-utils groff man-db)

log() { printf '%s\n' "$*" >&2; }

# begin_test FOLDER: a test starts with no failure counted, an empty folder
# for what it leaves behind, and the services it starts stopped at its end.
begin_test() {
    FAILURES=0
    mkdir -p "$1"
    rm -rf "${1:?}"/*
    trap stop_services EXIT
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
# apt-get call; does nothing when all are there.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
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

build_project() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
        -DPLOK_QT_VERSION="$PLOK_QT_VERSION" \
        "$@" >&2
    cmake --build "$BUILD_DIR" -j "$(nproc)" >&2
}

# build_deb BUILD_DIR OUT_DIR: CPack writes the Debian package of a
# configured build folder into OUT_DIR. The .deb records the modes its parts
# were written with, so it is made under umask 022, as dpkg-buildpackage
# does: builders with a group of their own (umask 002) get the same bytes.
build_deb() {
    (umask 022 && cpack --config "$1/CPackConfig.cmake" -B "$2")
}

SERVICE_PIDS=()

stop_services() {
    local pid
    # A service ended by the signal may exit with a failure status: that is
    # no failure of the caller's.
    for pid in "${SERVICE_PIDS[@]}"; do
        kill "$pid" 2>/dev/null && { wait "$pid" 2>/dev/null || true; }
    done
    SERVICE_PIDS=()
    [ -n "${SERVICE_DIR:-}" ] && rm -rf "$SERVICE_DIR"
    return 0
}

# wait_until_ready NAME PID LOG COMMAND...: polls COMMAND until it succeeds.
# Fails, printing the service's own LOG, when PID ends first or after
# SERVICE_TIMEOUT seconds (default 60): the first start of a program on a
# new or busy machine can take many seconds.
wait_until_ready() {
    local name=$1 pid=$2 service_log=$3 deadline=$((SECONDS + ${SERVICE_TIMEOUT:-60})) why=
    shift 3
    until "$@" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || why="ended before it was ready"
        [ "$SECONDS" -lt "$deadline" ] || why="was not ready after ${SERVICE_TIMEOUT:-60} s"
        if [ -n "$why" ]; then
            log "$name $why. Its log, $service_log:"
            sed 's/^/    /' "$service_log" >&2
            return 1
        fi
        sleep 0.1
    done
}

# Starts Xvfb on the first free display number from 90 on, with the given
# screen size, and exports DISPLAY. Xvfb writes its number to the display
# file once it takes connections; when another user's server takes the same
# number first, it ends at once and the next number is tried.
start_xvfb() {
    local size=${1:-1920x1080} n=89 pid
    SERVICE_DIR=${SERVICE_DIR:-$(mktemp -d /tmp/plok-services.XXXXXX)}
    for _ in 1 2 3; do
        n=$((n + 1))
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
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

# A private PulseAudio server with a null sink whose monitor can be
# recorded; exports PULSE_SERVER and XDG_RUNTIME_DIR.
start_sound_server() {
    SERVICE_DIR=${SERVICE_DIR:-$(mktemp -d /tmp/plok-services.XXXXXX)}
    export XDG_RUNTIME_DIR="$SERVICE_DIR/runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export PULSE_SERVER="unix:$SERVICE_DIR/pulse.sock"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disable-shm=yes \
        -L "module-native-protocol-unix socket=$SERVICE_DIR/pulse.sock auth-anonymous=1" \
        -L "module-null-sink sink_name=null rate=44100 channels=2" \
        >"$SERVICE_DIR/pulse.log" 2>&1 &
    SERVICE_PIDS+=($!)
    wait_until_ready "the sound server" $! "$SERVICE_DIR/pulse.log" pactl info &&
        pactl set-default-sink null
}

# Gives Mesa an empty shader cache of its own, as on a fresh machine, so
# that every run compiles the same shaders whatever ran before it.
use_private_shader_cache() {
    SERVICE_DIR=${SERVICE_DIR:-$(mktemp -d /tmp/plok-services.XXXXXX)}
    export MESA_SHADER_CACHE_DIR=$SERVICE_DIR/shader-cache
}
