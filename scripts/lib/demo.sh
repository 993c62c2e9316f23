# Running the demo and watching it: its log with the arrival time of every
# line, screenshots at chosen moments of its timeline, its window.
# Source after common.sh.

# The demo the scripts run: PLOK_DEMO, or the build's.
PLOK=${PLOK_DEMO:-$BUILD_DIR/src/plok}
DEMO_TITLE='Vash by \[Q\]' # a regular expression, as xdotool takes it

# The timeline runs 45 s of real time and follows the soundtrack, which
# starts about when the demo writes "Loading cubes" and may run up to half a
# second ahead. An idle null sink has rendered up to 2 s of silence ahead,
# and a stream that joins it is heard only after that; a busy machine fires
# the timers late.
TIMELINE_MS=45000
SCENE_STARTS_MS=(0 7000 14500 22000)
TIMELINE_AHEAD_MS=500
TIMELINE_LATE_MS=4000
# Escape ends the demo at once; on a busy machine the key may wait behind a
# frame being painted.
KEY_TO_EXIT_MS=1500

# The wall clock in microseconds since the epoch.
now_us() {
    local t=${EPOCHREALTIME/[.,]/}
    printf '%s\n' "$t"
}

# Microseconds as seconds with three decimals.
format_us() {
    printf '%d.%03d\n' $(($1 / 1000000)) $(($1 % 1000000 / 1000))
}

# Appends standard input line by line to FILE and, each line prefixed with
# the wall-clock time of its arrival in seconds, to FILE.times.
stamp_lines() {
    local file=$1 line
    while IFS= read -r line; do
        printf '%s\n' "$line" >>"$file"
        printf '%s %s\n' "${EPOCHREALTIME/,/.}" "$line" >>"$file.times"
    done
}

# Starts the demo in the background with its standard error going to LOG
# (see stamp_lines); the remaining arguments are handed to it. Sets DEMO_PID
# and DEMO_START_US.
start_demo() {
    local log=$1 logger
    shift
    DEMO_LOG=$log
    : >"$log"
    : >"$log.times"
    exec {logger}> >(stamp_lines "$log")
    DEMO_LOGGER_PID=$!
    DEMO_START_US=$(now_us)
    DEMO_ZERO_US=$DEMO_START_US
    "$PLOK" "$@" 2>&$logger {logger}>&- &
    DEMO_PID=$!
    # A test that ends early does not leave the demo running.
    SERVICE_PIDS+=("$DEMO_PID")
    # The demo holds the only writing end: the logger ends with it.
    exec {logger}>&-
    DEMO_SHOT_PIDS=()
}

# Prints the demo's log so far, indented, to standard error.
show_demo_log() {
    log "The demo's log, $DEMO_LOG:"
    sed 's/^/    /' "$DEMO_LOG" >&2
}

# Waits for the demo to end; with a LIMIT in seconds, ends it (SIGTERM, then
# SIGKILL) if it runs longer than that. Sets DEMO_STATUS (its exit status),
# DEMO_END_US and DEMO_SECONDS (its run time from start_demo, with three
# decimals).
wait_demo() {
    local limit=${1:-} watchdog= i
    if [ -n "$limit" ]; then
        (
            sleep "$limit" >/dev/null 2>&1
            log "the demo still runs after $limit s: ending it"
            kill -TERM "$DEMO_PID" && sleep 2 && kill -KILL "$DEMO_PID" 2>/dev/null
        ) &
        watchdog=$!
    fi
    DEMO_STATUS=0
    wait "$DEMO_PID" || DEMO_STATUS=$?
    DEMO_END_US=$(now_us)
    [ -n "$watchdog" ] && kill "$watchdog" 2>/dev/null
    DEMO_SECONDS=$(format_us $((DEMO_END_US - DEMO_START_US)))
    # The log ends with the demo, unless something it started keeps the
    # pipe open.
    for i in $(seq 100); do
        kill -0 "$DEMO_LOGGER_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$DEMO_LOGGER_PID" 2>/dev/null || true
    wait "$DEMO_LOGGER_PID" 2>/dev/null || true
    stop_screenshots
}

# Waits (up to TIMEOUT seconds, default 60) for the demo's log line
# "Loading cubes": its timeline counts from there, unless the music starts
# late (see follow_first_cut). Screenshots are timed from that line's
# arrival from then on, rather than from the launch.
wait_for_timeline() {
    local deadline=$((SECONDS + ${1:-60})) stamp
    until stamp=$(grep -m 1 '^[0-9.]* Loading cubes $' "$DEMO_LOG.times"); do
        if ! kill -0 "$DEMO_PID" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
            log "the demo did not write \"Loading cubes\""
            show_demo_log
            return 1
        fi
        sleep 0.1
    done
    stamp=${stamp%% *}
    DEMO_ZERO_US=${stamp/./}
}

# follow_first_cut CHECKER WINDOW: waits until the demo's WINDOW shows its
# second scene, as plok_e2echeck (CHECKER) sees it, and from then on times
# the timeline from that cut rather than from "Loading cubes". The timeline
# follows the music, which may start seconds after that line: an idle sound
# server first plays out what it has rendered ahead, and on a new or busy
# machine GStreamer takes its time to start.
follow_first_cut() {
    local seen
    if ! seen=$("$1" await-cut "$2" 1 60); then
        log "the demo's window did not show its second scene"
        return 1
    fi
    DEMO_ZERO_US=$((seen - SCENE_STARTS_MS[1] * 1000))
}

# Sleeps until SECONDS after the timeline's start (see wait_for_timeline).
sleep_until() {
    local left_us=$((DEMO_ZERO_US + $(seconds_to_us "$1") - $(now_us)))
    [ "$left_us" -le 0 ] || sleep "$(format_us "$left_us")"
}

# Seconds such as 3.5 or 30 as microseconds.
seconds_to_us() {
    local whole=${1%%.*} fraction=
    [ "$whole" != "$1" ] && fraction=${1#*.}
    fraction=${fraction}000000
    printf '%d\n' $((10#$whole * 1000000 + 10#${fraction:0:6}))
}

# timeline_reached SECONDS: it is SECONDS after start_demo, or after the
# timeline's start once wait_for_timeline or follow_first_cut has seen it.
timeline_reached() {
    [ "$(now_us)" -ge $((DEMO_ZERO_US + $(seconds_to_us "$1"))) ]
}

# painted_since US FRAMES: the demo's FPS lines tell that it has painted
# FRAMES frames since the moment US. The frames of the second in which US
# falls count in proportion, and the last second's rate carries on to now.
painted_since() {
    awk -v from="$1" -v now="$(now_us)" -v needed="$2" '
        $2 != "\"FPS:" { next }
        { t = $1 * 1000000 }
        last && t > from { frames += $3 * (t - (last > from ? last : from)) / (t - last) }
        { rate = $3 / (t - last); last = t }
        END { exit !(frames + rate * (now - (last > from ? last : from)) >= needed) }
    ' "$DEMO_LOG.times"
}

# await COMMAND...: polls COMMAND until it succeeds; fails once the demo
# has ended.
await() {
    until "$@"; do
        kill -0 "$DEMO_PID" 2>/dev/null || return 1
        sleep 0.1
    done
}

# A screenshot of the whole screen to FILE (PNG, or what its extension says)
# at SECONDS on the timeline (see timeline_reached), taken in the background.
screenshot_at() {
    (await timeline_reached "$1" && import -window root "$2") &
    DEMO_SHOT_PIDS+=($!)
}

# screenshot_pair_at SECONDS EARLIER LATER FRAMES BY: a screenshot at SECONDS
# on the timeline, or later once the demo has painted its first frame, and
# another once it has painted FRAMES frames more (a busy machine paints fewer
# a second), or at BY seconds at the latest. In the background.
screenshot_pair_at() {
    (
        await eval "timeline_reached $1 && painted_since $DEMO_ZERO_US 1" || exit
        import -window root "$2"
        # The frames count from when the first shot is in: while the X
        # server copies the screen out, the demo's buffer swaps wait for it.
        first_us=$(now_us)
        await eval "painted_since $first_us $4 || timeline_reached $5" && import -window root "$3"
    ) &
    DEMO_SHOT_PIDS+=($!)
}

# Waits for the screenshots that were started (the ones due after the end of
# the demo give up by themselves).
stop_screenshots() {
    local pid
    for pid in "${DEMO_SHOT_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    DEMO_SHOT_PIDS=()
}

# Prints the id of the demo's window once it is shown; fails after
# TIMEOUT seconds (default 60).
demo_window() {
    local deadline=$((SECONDS + ${1:-60})) id
    until id=$(xdotool search --onlyvisible --pid "$DEMO_PID" --name "$DEMO_TITLE" 2>/dev/null |
        head -n 1) && [ -n "$id" ]; do
        if ! kill -0 "$DEMO_PID" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
            log "the demo's window did not show up"
            show_demo_log
            return 1
        fi
        sleep 0.1
    done
    printf '%s\n' "$id"
}

# xdotool, which finds the demo's window and sends it keys, answers on
# $DISPLAY; says what it answered otherwise. A long run checks it first
# rather than wait for a window that it cannot find.
xdotool_works() {
    local answer
    answer=$(xdotool getdisplaygeometry 2>&1) && return 0
    log "xdotool on $DISPLAY: ${answer:-no answer}"
    return 1
}

# press_escape WINDOW: Escape to the demo's window. When the window has the
# focus xdotool types through the X server's test keyboard; the demo closes
# on the press, xdotool then fails on the vanished window before it sends the
# release, and the key stays down: auto-repeat would then close the next
# window on this display. So the key is always released afterwards.
press_escape() {
    xdotool key --window "$1" Escape 2>/dev/null || true
    xdotool keyup Escape 2>/dev/null || true
}


# expect_timeline_end WHAT: the demo ended with status 0 when its timeline
# ended.
expect_timeline_end() {
    local launch_ms=$(((DEMO_END_US - DEMO_START_US) / 1000))
    local timeline_ms=$(((DEMO_END_US - DEMO_ZERO_US) / 1000))
    local since_start
    since_start=$(format_us $((timeline_ms * 1000)))
    expect "$([ "$DEMO_STATUS" -eq 0 ] && [ "$launch_ms" -ge $((TIMELINE_MS - TIMELINE_AHEAD_MS)) ] &&
        [ "$timeline_ms" -le $((TIMELINE_MS + TIMELINE_LATE_MS)) ] && echo true)" \
        "$1 exits with status 0 when its timeline ends" \
        "status $DEMO_STATUS after $DEMO_SECONDS s, $since_start s after the timeline began"
}

# expect_key_end WHAT KEY_US: the demo ended with status 0 soon after the
# Escape pressed at KEY_US.
expect_key_end() {
    local ms=$(((DEMO_END_US - $2) / 1000))
    expect "$([ "$DEMO_STATUS" -eq 0 ] && [ "$ms" -ge 0 ] && [ "$ms" -le "$KEY_TO_EXIT_MS" ] && echo true)" \
        "$1 exits with status 0 within $(format_us $((KEY_TO_EXIT_MS * 1000))) s of Escape" \
        "status $DEMO_STATUS after $(format_us $((ms * 1000))) s"
}
