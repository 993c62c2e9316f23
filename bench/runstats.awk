# Figures of one benchmark run, for scripts/bench. Arguments: the demo's
# timed log (LOG.times from start_demo), then the /proc samples (see
# start_sampler in scripts/lib/measure.sh). Variables: ticks (clock ticks
# per second), launch_us (when the demo was started), first_frame_us (its
# first buffer swap, 0 if unknown), series (file for the FPS series).
# Prints key=value lines.
#
# FPS line k counts the frames painted in second (k-1, k] of the timeline,
# which starts at the log line "Loading cubes". A second counts for a scene
# if it lies wholly inside it; the ones that straddle a cut are left out, and
# so is the first, which holds the start-up.

BEGIN {
    scenes = split("0 7 14.5 22 45", cut, " ") - 1
}

# "1796629946.184443" as microseconds.
function us(stamp, dot) {
    dot = index(stamp, ".")
    return substr(stamp, 1, dot - 1) * 1000000 + substr(substr(stamp, dot + 1) "000000", 1, 6)
}

# The sampled series at wall-clock time t, linear between samples.
function at(series, t, i) {
    if (t <= when[1])
        return series[1]
    for (i = 2; i <= samples; i++)
        if (when[i] >= t)
            return series[i - 1] + (series[i] - series[i - 1]) * (t - when[i - 1]) / (when[i] - when[i - 1])
    return series[samples]
}

function sortNumbers(values, count, i, j, v) {
    for (i = 2; i <= count; i++) {
        v = values[i]
        for (j = i - 1; j >= 1 && values[j] > v; j--)
            values[j + 1] = values[j]
        values[j + 1] = v
    }
}

FILENAME == ARGV[1] {
    if ($2 == "Loading" && $3 == "cubes")
        zero = us($1)
    else if ($2 == "\"FPS:") {
        lines++
        lineAt[lines] = us($1)
        count = $3
        sub(/"$/, "", count)
        fps[lines] = count + 0
    }
    next
}

{
    samples++
    when[samples] = $1
    cpu[samples] = $2
    rss[samples] = $3
    hwm[samples] = $4
    xcpu[samples] = $5
    if ($4 > peak)
        peak = $4
}

END {
    lineAt[0] = zero
    for (k = 1; k <= lines; k++)
        print k, fps[k] > series
    print "fps_lines=" lines
    print "first_second_fps=" fps[1]
    for (s = 1; s <= scenes; s++) {
        n = 0
        frames = 0
        for (k = 2; k <= lines; k++) {
            if (k - 1 >= cut[s] && k <= cut[s + 1]) {
                if (n == 0)
                    firstLine = k
                values[++n] = fps[k]
                frames += fps[k]
                lastLine = k
            }
        }
        name = "scene" (s - 1)
        print name "_seconds=" n
        if (n == 0)
            continue
        sortNumbers(values, n)
        median = n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
        print name "_median=" median
        print name "_min=" values[1]
        from = lineAt[firstLine - 1]
        to = lineAt[lastLine]
        if (frames > 0) {
            printf "%s_cpu_ms=%.1f\n", name, (at(cpu, to) - at(cpu, from)) * 1000 / ticks / frames
            printf "%s_xcpu_ms=%.1f\n", name, (at(xcpu, to) - at(xcpu, from)) * 1000 / ticks / frames
        }
    }
    if (first_frame_us > 0) {
        printf "first_frame_ms=%d\n", (first_frame_us - launch_us) / 1000
        printf "first_frame_after_start_ms=%d\n", (first_frame_us - zero) / 1000
    }
    printf "peak_rss_kb=%d\n", peak
    printf "rss_10s_kb=%d\n", at(rss, zero + 10000000)
    printf "rss_44s_kb=%d\n", at(rss, zero + 44000000)
    printf "rss_growth_kb=%d\n", at(rss, zero + 44000000) - at(rss, zero + 10000000)
    # Inside the last scene, once its textures and shaders are made.
    printf "rss_steady_growth_kb=%d\n", at(rss, zero + 44000000) - at(rss, zero + 25000000)
}
