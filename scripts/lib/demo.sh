# Running the demo and watching it: its log with the arrival time of every
# line, screenshots at chosen moments of its timeline, its window.
# Source after common.sh.

PLOK=${PLOK:-$BUILD_DIR/src/plok}
DEMO_TITLE='Vash by \[Q\]' # a regular expression, as xdotool takes it

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
    local log=$1 fifo
    shift
    DEMO_LOG=$log
    : >"$log"
    : >"$log.times"
    fifo=$(mktemp -u /tmp/plok-log.XXXXXX)
    mkfifo "$fifo"
    stamp_lines "$log" <"$fifo" &
    DEMO_LOGGER_PID=$!
    DEMO_START_US=$(now_us)
    DEMO_ZERO_US=$DEMO_START_US
    "$PLOK" "$@" 2>"$fifo" &
    DEMO_PID=$!
    # Both ends are open once the demo runs; the name is no longer needed.
    (sleep 1 && rm -f "$fifo") >/dev/null 2>&1 &
    DEMO_SHOT_PIDS=()
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
    for i in $(seq 20); do
        kill -0 "$DEMO_LOGGER_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$DEMO_LOGGER_PID" 2>/dev/null || true
    wait "$DEMO_LOGGER_PID" 2>/dev/null || true
    stop_screenshots
}

# Waits (up to 20 s) for the demo's log line "Loading cubes": its
# timeline counts from there. Screenshots are timed from that line's arrival
# from then on, rather than from the launch.
wait_for_timeline() {
    local i stamp
    for i in $(seq 200); do
        kill -0 "$DEMO_PID" 2>/dev/null || break
        stamp=$(grep -m 1 '^[0-9.]* Loading cubes $' "$DEMO_LOG.times") || true
        if [ -n "$stamp" ]; then
            stamp=${stamp%% *}
            DEMO_ZERO_US=${stamp/./}
            return 0
        fi
        sleep 0.1
    done
    log "the demo did not write \"Loading cubes\""
    return 1
}

# Seconds such as 3.5 or 30 as microseconds.
seconds_to_us() {
    local whole=${1%%.*} fraction=
    [ "$whole" != "$1" ] && fraction=${1#*.}
    fraction=${fraction}000000
    printf '%d\n' $((10#$whole * 1000000 + 10#${fraction:0:6}))
}

# Takes a screenshot of the whole screen to FILE (PNG, or what its extension
# says) SECONDS after start_demo, or after the timeline's start once
# wait_for_timeline has seen it. Runs in the background; takes none if the
# demo has ended by then.
screenshot_at() {
    local due_us=$((DEMO_ZERO_US + $(seconds_to_us "$1"))) file=$2
    (
        local left_us
        while kill -0 "$DEMO_PID" 2>/dev/null; do
            left_us=$((due_us - $(now_us)))
            if [ "$left_us" -le 0 ]; then
                import -window root "$file"
                exit
            fi
            sleep "$(format_us $((left_us < 250000 ? left_us : 250000)))"
        done
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
# TIMEOUT seconds (default 10).
demo_window() {
    local tries=$((${1:-10} * 10)) id
    while [ "$tries" -gt 0 ]; do
        id=$(xdotool search --onlyvisible --pid "$DEMO_PID" --name "$DEMO_TITLE" 2>/dev/null |
            head -n 1) || true
        [ -n "$id" ] && printf '%s\n' "$id" && return 0
        tries=$((tries - 1))
        sleep 0.1
    done
    log "the demo's window did not show up"
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

# expect CONDITION WHAT MEASURED: prints the verdict and counts a failure.
expect() {
    if [ "$1" = true ]; then
        printf 'ok   %s: %s\n' "$2" "$3"
    else
        printf 'FAIL %s: %s\n' "$2" "$3"
        FAILURES=$((FAILURES + 1))
    fi
}
