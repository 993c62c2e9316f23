# Sourced by scripts/sanitize after the sanitizer options are set.
#
# Mesa's GLX unloads the GL driver when the display closes, before
# LeakSanitizer looks: what the driver still held is then reported from an
# "<unknown module>", which no suppression can name. Preloading the driver
# keeps it mapped, so that its memory stays reachable from its globals as it
# does in a normal run. The driver then comes before the sanitizer runtime in
# the library list, which the runtime must be told is fine.
GL_DRIVER=$(dpkg -L libgl1-mesa-dri 2>/dev/null | grep '/swrast_dri\.so$' | head -n 1)
if [ -n "$GL_DRIVER" ]; then
    export LD_PRELOAD=$GL_DRIVER${LD_PRELOAD:+:$LD_PRELOAD}
    export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
fi
