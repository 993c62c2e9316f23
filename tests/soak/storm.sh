#!/usr/bin/env bash
# A storm of keys and window changes on the real window: 200 full-screen
# toggles by F (with any modifier) and Alt+Return, mixed with resizes and
# keys that must do nothing (Return alone, Alt+Shift+Return, Control+Alt+
# Return, keypad Enter, letters, arrows); on a slow machine, as many as fit
# into the first 12 s of the timeline. Then the window is made 1200 x 300
# and, in the one-cube scene or (if the storm ran long on a busy machine) the
# three-cube scene, its picture must show the face-coloured cube where the
# projection for that shape puts it, unstretched; Escape ends the demo with
# status 0.
# Arguments: the demo, plok_projectioncheck, a folder for the run's files.
set -euo pipefail
CHECKER=$2
source "$(dirname "$0")/soak.sh" "$1" "$3"

TOGGLES=200
STORM_UNTIL_US=12000000
FINAL_SIZE=(1200 300)
# The shot is taken once the demo has painted at the final size and the
# window no longer shows the plasma, and no later than 0.5 s before the
# three-cube scene ends. The timeline follows the soundtrack, which may start
# a little before "Loading cubes" or, on a new or busy machine, seconds
# after it: the picture tells which of the two scenes it shows.
SHOT_TO_US=21500000
QUIET_KEYS=(Return shift+alt+Return ctrl+alt+Return KP_Enter space a x Left Down F1)
TOGGLE_KEYS=(f shift+f ctrl+f alt+f alt+Return)

is_full_screen() {
    xprop -id "$window" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN
}

is_windowed() {
    ! is_full_screen
}

is_final_size() {
    [ "$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')" = \
        "${FINAL_SIZE[0]}x${FINAL_SIZE[1]}" ]
}

fps_lines() {
    grep -c '^"FPS' "$DEMO_LOG" || true
}

fps_lines_reach() {
    [ "$(fps_lines)" -ge "$1" ]
}

# Waits until the demo has written two more FPS lines: its event loop has
# then gone round after everything that was sent to it before.
wait_for_event_loop() {
    wait_until_ready "the demo" "$DEMO_PID" "$DEMO_LOG" fps_lines_reach $(($(fps_lines) + 2))
}

# Seconds since the timeline started.
elapsed_us() {
    printf '%s\n' $(($(now_us) - DEMO_ZERO_US))
}

start_demo "$OUT/plok.log"
wait_for_timeline || true
window=$(demo_window) || true
expect "$([ -n "$window" ] && echo true)" "the demo shows its window" "id ${window:-none}"
[ -n "$window" ] || { wait_demo; finish; exit 1; }

# The storm, in batches of xdotool commands so that the demo handles events
# between them.
toggles=0 resizes=0 quiet=0 batch=()
while [ "$toggles" -lt "$TOGGLES" ] && [ "$(elapsed_us)" -lt "$STORM_UNTIL_US" ]; do
    case $((RANDOM % 10)) in
    0 | 1 | 2 | 3 | 4 | 5)
        batch+=(key --delay 4 --window "$window" "${TOGGLE_KEYS[RANDOM % ${#TOGGLE_KEYS[@]}]}")
        toggles=$((toggles + 1))
        ;;
    6 | 7)
        batch+=(windowsize "$window" $((200 + RANDOM % 1400)) $((150 + RANDOM % 800)))
        resizes=$((resizes + 1))
        ;;
    *)
        batch+=(key --delay 4 --window "$window" "${QUIET_KEYS[RANDOM % ${#QUIET_KEYS[@]}]}")
        quiet=$((quiet + 1))
        ;;
    esac
    if [ ${#batch[@]} -ge 40 ]; then
        xdotool "${batch[@]}" 2>/dev/null || true
        batch=()
        sleep 0.02
    fi
done
[ ${#batch[@]} -eq 0 ] || xdotool "${batch[@]}" 2>/dev/null || true
# A batch that stopped halfway could leave a modifier down.
xdotool keyup alt keyup ctrl keyup shift 2>/dev/null || true
storm_end=$(elapsed_us)
echo "storm: $toggles toggles, $resizes resizes, $quiet other keys, over by $(format_us "$storm_end") s"
expect "$(holds kill -0 "$DEMO_PID")" "the demo lives through the storm" "pid $DEMO_PID"

# Out of full-screen, then the final shape, once the demo has taken every
# key of the storm.
wait_for_event_loop || true
if is_full_screen; then
    xdotool key --window "$window" f
    wait_until_ready "the demo" "$DEMO_PID" "$DEMO_LOG" is_windowed || true
fi
xdotool windowsize "$window" "${FINAL_SIZE[@]}" 2>/dev/null || true
wait_until_ready "the demo" "$DEMO_PID" "$DEMO_LOG" is_final_size || true
wait_for_event_loop || true
earliest=$(elapsed_us)
expect "$([ "$earliest" -le "$SHOT_TO_US" ] && echo true)" \
    "the storm leaves time for a shot in scene 1 or 2" \
    "painted at the final size at $(format_us "$earliest") s"
if [ "$earliest" -le "$SHOT_TO_US" ]; then
    "$LOG_CHECKER" await "$window" 1 60 >/dev/null || true
    geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/^ *Geometry: //p') || true
    shot_at=$(elapsed_us)
    import -window "$window" "$OUT/window.png" 2>/dev/null || true
    expect "$([ "$geometry" = "${FINAL_SIZE[0]}x${FINAL_SIZE[1]}" ] && echo true)" \
        "the window takes the final size ${FINAL_SIZE[0]}x${FINAL_SIZE[1]}" "${geometry:-unknown}"
    expect "$([ "$shot_at" -le "$SHOT_TO_US" ] && echo true)" "the shot falls in scene 1 or 2" \
        "at $(format_us "$shot_at") s"
    shows=
    for scene in 1 2; do
        "$CHECKER" "$scene" "$OUT/window.png" >"$OUT/scene$scene-check.txt" && shows=$scene
    done
    expect "$([ -n "$shows" ] && echo true)" \
        "the shot shows scene 1 or 2 in the projection for its shape" "scene ${shows:-neither}"
    if [ -n "$shows" ]; then
        cat "$OUT/scene$shows-check.txt"
    else
        cat "$OUT"/scene[12]-check.txt
    fi
fi

press_escape "$window"
KEY_US=$(now_us)
wait_demo
expect_key_end "the demo" "$KEY_US"
check_log
finish
