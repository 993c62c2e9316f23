#!/usr/bin/env bash
# A window that is never shown (started minimised, on another workspace, or
# a Wayland surface that gets no frame callbacks) paints nothing, and the
# demo then waits without spinning: past the first cut, where no change can
# be made before a frame has been shown, its CPU time over 10 s stays under
# a tenth of the wall time. The window manager here starts every window
# minimised; the demo's FPS lines show that it never painted.
# Arguments: the demo, a folder for the run's files.
set -euo pipefail
source "$(dirname "$0")/soak.sh" "$1" "$2"
source "$ROOT/scripts/lib/measure.sh"

FROM_S=8
TO_S=18
CPU_SHARE_PERCENT=10

cat >"$OUT/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <applications>
    <application class="*"><iconic>yes</iconic></application>
  </applications>
</openbox_config>
XML

start_xvfb 640x480
openbox --sm-disable --config-file "$OUT/rc.xml" >"$OUT/openbox.log" 2>&1 &
SERVICE_PIDS+=($!)
wait_until_ready openbox $! "$OUT/openbox.log" window_manager_running

start_demo "$OUT/plok.log"
wait_for_timeline || true
sleep_until "$FROM_S"
cpu_ticks "$DEMO_PID" && from_ticks=$TICKS from_us=$(now_us)
sleep_until "$TO_S"
cpu_ticks "$DEMO_PID" && to_ticks=$TICKS to_us=$(now_us)
kill -TERM "$DEMO_PID"
wait_demo

painted=$(awk '$2 == "\"FPS:" && $3 != "0\"" { n++ } END { print n + 0 }' "$DEMO_LOG.times")
expect "$([ "$painted" -eq 0 ] && grep -q '^"FPS' "$DEMO_LOG" && echo true)" \
    "the window was never shown" "$painted FPS lines with frames"
cpu_ms=$(((to_ticks - from_ticks) * 1000 / CLOCK_TICKS))
wall_ms=$(((to_us - from_us) / 1000))
expect "$([ $((cpu_ms * 100)) -lt $((wall_ms * CPU_SHARE_PERCENT)) ] && echo true)" \
    "unshown, from ${FROM_S} to ${TO_S} s, the demo's CPU time stays under $CPU_SHARE_PERCENT % of the wall time" \
    "$cpu_ms ms of CPU in $wall_ms ms"
finish
