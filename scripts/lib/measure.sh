# Measuring a running demo from outside: CPU time and memory sampled from
# /proc, the load of the machine. Source after common.sh and demo.sh.

CLOCK_TICKS=$(getconf CLK_TCK)
PAGE_KB=$(($(getconf PAGESIZE) / 1024))

# cpu_ticks PID: sets TICKS to the user plus system time of the whole
# process (all its threads) in clock ticks; fails if it has ended. No
# subshell: the sampler runs it ten times a second.
cpu_ticks() {
    local stat fields
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
    # The command name in parentheses may hold blanks: fields count from
    # after it, the state being the first.
    read -ra fields <<<"${stat##*) }"
    [ "${fields[0]}" != Z ] || return 1
    TICKS=$((fields[11] + fields[12]))
}

# Samples PID every 0.1 s until it ends, one line per sample to FILE:
#   wall-clock µs, CPU ticks of PID, resident kB, VmHWM kB, CPU ticks of
# OTHER_PID (0 when no OTHER_PID is given). The resident size comes from the
# one-line statm, read whole; /proc/PID/status is regenerated between the
# reads of a line-by-line parse, so a sample may miss VmHWM (then 0).
# Runs in the background; sets SAMPLER_PID.
start_sampler() {
    local pid=$1 file=$2 other=${3:-}
    (
        local key value unit size resident hwm ticks other_ticks
        while cpu_ticks "$pid"; do
            ticks=$TICKS other_ticks=0
            [ -n "$other" ] && cpu_ticks "$other" && other_ticks=$TICKS
            read -r size resident unit 2>/dev/null <"/proc/$pid/statm" || break
            hwm=0
            while read -r key value unit; do
                case $key in VmHWM:) hwm=$value ;; esac
            done 2>/dev/null <"/proc/$pid/status" || break
            printf '%s %s %s %s %s\n' "${EPOCHREALTIME/[.,]/}" "$ticks" \
                $((resident * PAGE_KB)) "$hwm" "$other_ticks"
            sleep 0.1
        done >"$file"
    ) &
    SAMPLER_PID=$!
}

stop_sampler() {
    wait "$SAMPLER_PID" 2>/dev/null || true
}

# The one-minute load average.
load_average() {
    local one rest
    read -r one rest </proc/loadavg
    printf '%s\n' "$one"
}

# write_section FILE NAME: replaces the part of FILE between the lines
# "<!-- NAME -->" and "<!-- /NAME -->" with standard input, or adds that
# part at the end. Each benchmark script writes its own part of
# docs/performance.md and leaves the others as they are.
write_section() {
    local file=$1 begin="<!-- $2 -->" end="<!-- /$2 -->" part
    part=$(mktemp)
    { echo "$begin"; cat; echo "$end"; } >"$part"
    touch "$file"
    if grep -qxF "$begin" "$file"; then
        awk -v begin="$begin" -v end="$end" -v part="$part" '
            $0 == begin { while ((getline line <part) > 0) print line; inside = 1; next }
            $0 == end { inside = 0; next }
            !inside' "$file" >"$file.new"
    else
        { cat "$file"; [ -s "$file" ] && echo; cat "$part"; } >"$file.new"
    fi
    mv "$file.new" "$file"
    rm -f "$part"
}
