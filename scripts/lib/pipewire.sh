# A private PipeWire sound server, as on current desktops (Debian 13 and
# later), for scripts/bench-cuts' PLOK_CUTS_SERVER=pipewire. Source after
# common.sh.

# The daemon (pipewire, with pw-cli from pipewire-bin), its PulseAudio
# server (pipewire-pulse), its session manager (wireplumber), without which
# no player is ever linked to a sink, and PulseAudio's command-line clients.
# Not the pulseaudio daemon: pipewire-audio, which Debian 13's GNOME depends
# on, conflicts with it, and apt-get -y would remove the desktop's sound.
# WirePlumber 0.5 (Debian 13) at least: 0.4 has another configuration.
PIPEWIRE_PACKAGES=(pipewire pipewire-pulse wireplumber pulseaudio-utils)

# pipewire_service LOG COMMAND...: starts a PipeWire service in the
# background, with its output in LOG, and adds it to SERVICE_PIDS. It runs in
# an environment of its own: what the caller's desktop would hand it is left
# out, its D-Bus session (portals, device reservation), its DISPLAY (an X
# bell, a D-Bus autolaunch), its PIPEWIRE_REMOTE (WirePlumber would manage
# the desktop's PipeWire) and its configuration under ~/.config; state and
# configuration stay in the server's folder. env execs the service, so that
# the PID recorded is the service's own: a function run in the background is
# a subshell, and ending that would leave the service running.
pipewire_service() {
    local service_log=$1 dir=$SERVICE_DIR/pipewire
    shift
    env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \
        PIPEWIRE_RUNTIME_DIR="$XDG_RUNTIME_DIR" PIPEWIRE_REMOTE="$PIPEWIRE_REMOTE" \
        XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" \
        WIREPLUMBER_CONFIG_DIR="$dir/wireplumber:/usr/share/wireplumber" \
        "$@" >"$service_log" 2>&1 &
    SERVICE_PIDS+=($!)
}

# The start of the configuration of a client process of the server (its
# PulseAudio server, the headset): no D-Bus, and the modules every client
# needs; the caller lists its own modules after it and closes the list.
client_config_start() {
    cat <<'EOF'
context.properties = {
    support.dbus = false
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
EOF
}

# default_sink_is NAME: the server's default sink is NAME. pipewire-pulse
# names the sink WirePlumber chose, so this also tells that WirePlumber runs.
default_sink_is() {
    [ "$(pactl get-default-sink 2>/dev/null)" = "$1" ]
}

# sink_exists NAME
sink_exists() {
    pactl list short sinks 2>/dev/null | awk -v s="$1" '$2 == s { found = 1 } END { exit !found }'
}

# A private PipeWire with a null sink named "null" whose monitor can be
# recorded; exports PULSE_SERVER for PulseAudio's clients, PIPEWIRE_REMOTE
# for PipeWire's own (pw-cli) and XDG_RUNTIME_DIR, and sets HEARD_SERVER.
# Three processes, as on a desktop: the daemon, WirePlumber, and
# pipewire-pulse, a second pipewire with the PulseAudio protocol.
#
# The configuration is the scripts' own, given by absolute path, so that
# neither /etc/pipewire nor ~/.config/pipewire changes it. It leaves out
# what a private server must not do: open the machine's sound cards or
# Bluetooth (WirePlumber's hardware monitors), talk to D-Bus, and raise its
# threads to real-time priority, which root is always granted (nice -11
# and SCHED_FIFO 83 to 88 by default), above the demo being measured. The
# graph runs at 44.1 kHz, the null sink's rate with the PulseAudio server,
# so that the recording is not resampled. The quoted "null": unquoted, it
# is the JSON null and the sink has no name.
start_pipewire_server() {
    local dir pid
    service_dir
    dir=$SERVICE_DIR/pipewire
    export XDG_RUNTIME_DIR=$SERVICE_DIR/runtime
    export PIPEWIRE_REMOTE=$XDG_RUNTIME_DIR/pipewire-0
    export PULSE_SERVER="unix:$SERVICE_DIR/pulse.sock"
    mkdir -p "$XDG_RUNTIME_DIR" "$dir/state" "$dir/wireplumber/wireplumber.conf.d"
    chmod 700 "$XDG_RUNTIME_DIR"
    cat >"$dir/pipewire.conf" <<'EOF'
context.properties = {
    core.daemon = true
    core.name = pipewire-0
    support.dbus = false
    default.clock.rate = 44100
    default.clock.allowed-rates = [ 44100 ]
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
]
context.objects = [
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver priority.driver = 200000 } }
    { factory = adapter
      args = {
          factory.name = support.null-audio-sink
          node.name = "null"
          node.description = "Null output"
          media.class = Audio/Sink
          audio.position = [ FL FR ]
          audio.rate = 44100
          monitor.channel-volumes = true
      } }
]
EOF
    {
        client_config_start
        cat <<EOF
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-protocol-pulse }
]
pulse.properties = {
    server.address = [ "${PULSE_SERVER}" ]
}
EOF
    } >"$dir/pipewire-pulse.conf"
    # WirePlumber's own configuration, but a profile without the hardware
    # monitors, D-Bus or saved state, and its context without the module
    # that raises its priority ("override." replaces a section).
    cat >"$dir/wireplumber/wireplumber.conf.d/plok.conf" <<'EOF'
wireplumber.profiles = {
  plok = {
    inherits = [ base, mixin.systemwide-session, mixin.stateless ]
    metadata.sm-settings = required
    metadata.sm-objects = required
    policy.standard = required
    support.dbus = disabled
  }
}
override.context.modules = [
  { name = libpipewire-module-protocol-native }
  { name = libpipewire-module-metadata }
]
EOF
    # The daemon first: pipewire-pulse started before it is listening
    # answers pactl all the same but never sees a sink.
    pipewire_service "$SERVICE_DIR/pipewire.log" pipewire -c "$dir/pipewire.conf"
    wait_until_ready PipeWire $! "$SERVICE_DIR/pipewire.log" pw-cli info 0 || return
    pipewire_service "$SERVICE_DIR/pipewire-pulse.log" pipewire -c "$dir/pipewire-pulse.conf"
    pid=$!
    pipewire_service "$SERVICE_DIR/wireplumber.log" wireplumber -p plok
    wait_until_ready pipewire-pulse "$pid" "$SERVICE_DIR/pipewire-pulse.log" pactl info &&
        wait_until_ready WirePlumber $! "$SERVICE_DIR/wireplumber.log" default_sink_is null &&
        pactl set-default-sink null || return
    HEARD_SERVER=$PULSE_SERVER
}

# After start_pipewire_server: a sink "headset" with a Bluetooth headset's
# latency, made the default: what is played there reaches the null sink
# 140 ms later, and players are told so. A loopback whose sink side is the
# headset and whose other side plays into the null sink, with a delay; it
# runs as a client process of its own, so that stopping it removes the
# headset. PipeWire tells players (pa_stream_get_latency) only the latency
# that nodes report, and neither the loopback's delay nor a tunnel's buffer
# is reported: the headset reports it as its latency offset, the setting
# that a real device's port latency offset sets (on the null sink or on the
# loopback's other side it is not passed on). HEARD_SERVER stays: the null
# sink's monitor on the same server hears the delayed sound.
start_pipewire_headset_sink() {
    # Under a second: written as 0.DDD seconds below.
    local dir=$SERVICE_DIR/pipewire delay_ms=140
    {
        client_config_start
        cat <<EOF
    { name = libpipewire-module-loopback
      args = {
          node.description = "Headset"
          audio.position = [ FL FR ]
          target.delay.sec = $(printf '0.%03d' "$delay_ms")
          capture.props = { node.name = "headset" media.class = Audio/Sink }
          playback.props = { node.name = "headset.output" target.object = "null" node.passive = true }
      } }
]
EOF
    } >"$dir/headset.conf"
    pipewire_service "$SERVICE_DIR/headset.log" pipewire -c "$dir/headset.conf"
    wait_until_ready "the headset" $! "$SERVICE_DIR/headset.log" sink_exists headset &&
        pw-cli set-param headset Props "{ latencyOffsetNsec: $((delay_ms * 1000000)) }" >/dev/null &&
        pactl set-default-sink headset &&
        wait_until_ready "the headset" $! "$SERVICE_DIR/headset.log" default_sink_is headset
}
