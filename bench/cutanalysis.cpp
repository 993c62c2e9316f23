#include "cutanalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The music's cuts in seconds, each where a scene ends; the last one ends
// the demo.
const double Cuts[] = { 7.0, 14.5, 22.0, 45.0 };
const int CutCount = sizeof(Cuts) / sizeof(Cuts[0]);

// The music starts within this many seconds of the launch; its start is
// looked for in the recording this long after the launch.
const double LatestMusicStart = 3.0;
const double MusicStartStep = 0.25;
// How far a cut may lie from where the music's start puts it, in seconds
// (the player may fall behind on a loaded machine).
const double CutSearch = 0.25;
const double MinCorrelation = 0.9;
// The frames looked at around each cut of the picture, and those of the
// start that do not count for the longest frame, in µs.
const qint64 AroundCut = 1000000;
const qint64 StartUp = 1000000;

// Whether the whole soundtrack was heard: pieces of the recording this
// long, one after the other over the run, each looked for this far either
// side of where the music's start puts it. A piece is heard in its place
// when it matches within PieceShift of there: a second lost, doubled or
// stretched moves every piece after it.
const int PieceLength = 1 << 16; // about 1.5 s
const double PieceSearch = 2.0;
const double PieceShift = 0.05;
// The stretches of the run whose matches the page gives, in seconds.
const double EarlyPiece = 5.0;
const double LatePiece = 40.0;

// A beep starts where the recording first gets this loud (the beeps are at
// half full scale), at most this long after it was played.
const float MarkerThreshold = 0.1f;
const double MarkerSearch = 1.0;

} // namespace

CutAnalysis::CutAnalysis(const QStringList &args)
    : reference(SoundMatch::readWav(args.value(0), &referenceRate))
    , recording(SoundMatch::readWav(args.value(1), &recordingRate))
    , clock(args.value(2), recordingRate)
    , trace(args.value(3))
    , launch(args.value(4).toDouble())
    , markers(args.mid(5))
    , match(reference, recording, recordingRate)
    , pieces(reference, recording, recordingRate, PieceLength)
{
}

int CutAnalysis::run()
{
    if (reference.isEmpty() || recording.isEmpty() || referenceRate != recordingRate ||
        clock.isEmpty()) {
        std::fprintf(stderr, "the soundtrack, the recording or its notes are unusable\n");
        return 1;
    }
    printMarkers();
    // Music heard altered (a player that resamples it) still places its
    // start where it matches best; the cuts and the pieces then say how
    // much of it is the soundtrack.
    if (!findMusicStart())
        std::fprintf(stderr, "the soundtrack's start is not clearly in the recording\n");
    printCuts();
    printHeard();
    printTrace();
    return 0;
}

double CutAnalysis::msAfterLaunch(double wallMicroseconds) const
{
    return (wallMicroseconds - launch) / 1000.0;
}

// Where each beep is heard against the moment it was played: how far a
// marker would place the recording from where its recorder's notes do.
void CutAnalysis::printMarkers() const
{
    QStringList delays;
    for (const QString &marker : markers) {
        const double playedAt = marker.toDouble();
        const int first = std::max(0, int(clock.recordingSeconds(playedAt) * recordingRate));
        const int last = std::min(int(recording.size()), first + int(MarkerSearch * recordingRate));
        for (int i = first; i < last; ++i) {
            if (std::abs(recording[i]) >= MarkerThreshold) {
                const double heardAt = clock.wallMicroseconds(double(i) / recordingRate);
                delays << QString::number((heardAt - playedAt) / 1000.0, 'f', 1);
                break;
            }
        }
    }
    std::printf("marker_delays_ms=%s\n", qPrintable(delays.join(' ')));
}

// The first piece of the recording after the launch that is the soundtrack
// places its start: a player that resamples the music to catch up with its
// clock alters it from its first second on.
bool CutAnalysis::findMusicStart()
{
    const double launchSeconds = clock.recordingSeconds(launch);
    SoundMatch::Match found;
    double probe = launchSeconds;
    for (double after = 0.0; after <= LatestMusicStart + pieces.stretchSeconds();
         after += MusicStartStep) {
        const SoundMatch::Match candidate = pieces.find(launchSeconds + after, 0.0, after);
        if (candidate.correlation > found.correlation) {
            found = candidate;
            probe = launchSeconds + after;
        }
        if (found.correlation >= MinCorrelation)
            break;
    }
    musicStart = probe - found.referenceSeconds;
    std::printf("music_start_ms=%.1f\nmusic_start_correlation=%.3f\n",
                msAfterLaunch(clock.wallMicroseconds(musicStart)), found.correlation);
    return found.correlation >= MinCorrelation;
}

// Each cut is placed by the stretch of music that ends there, so that it
// holds whatever the player did before the cut and nothing after. How the
// recording's origin on the wall clock moves from the first cut to the last
// is the sink's drift.
void CutAnalysis::printCuts() const
{
    const double stretch = match.stretchSeconds();
    double firstAt = 0.0, firstOrigin = 0.0, lastAt = 0.0, lastOrigin = 0.0, delays = 0.0;
    for (int k = 0; k < CutCount; ++k) {
        const double cut = Cuts[k];
        const double from = musicStart + cut - stretch;
        const SoundMatch::Match found =
            match.find(from, cut - stretch - CutSearch, cut - stretch + CutSearch);
        const double at = from + cut - found.referenceSeconds;
        const double music = clock.wallMicroseconds(at);
        const qint64 picture =
            k + 1 < SceneTrace::Scenes ? trace.firstShown(k + 1) : trace.closedAt();
        std::printf("cut%d_seconds=%.1f\ncut%d_correlation=%.3f\ncut%d_music_ms=%.1f\n", k, cut, k,
                    found.correlation, k, msAfterLaunch(music));
        if (found.correlation >= MinCorrelation && picture != 0)
            std::printf("cut%d_picture_ms=%.1f\ncut%d_offset_ms=%.1f\n", k, msAfterLaunch(picture),
                        k, (picture - music) / 1000.0);
        if (picture != 0)
            std::printf("cut%d_longest_frame_ms=%.1f\n", k,
                        trace.longestFrame(picture - AroundCut, picture + AroundCut) / 1000.0);
        const double origin = music - at * 1e6;
        if (k == 0) {
            firstAt = at;
            firstOrigin = origin;
        }
        lastAt = at;
        lastOrigin = origin;
        delays += clock.typicalDelay(at) / CutCount;
    }
    // The origin moves earlier when the sink plays more frames a second
    // than the wall clock says: µs a second are parts per million.
    std::printf("sink_drift_ppm=%.0f\nclock_typical_delay_us=%.0f\n",
                (firstOrigin - lastOrigin) / (lastAt - firstAt), delays);
}

void CutAnalysis::printHeard() const
{
    const double length = pieces.stretchSeconds();
    const double end = Cuts[CutCount - 1] - length;
    int count = 0, inPlace = 0;
    double lowest = 1.0, worstShift = 0.0;
    for (double at = 0.0; at <= end; at += length) {
        const SoundMatch::Match found =
            pieces.find(musicStart + at, at - PieceSearch, at + PieceSearch);
        const double shift = found.referenceSeconds - at;
        ++count;
        if (found.correlation >= MinCorrelation && std::abs(shift) <= PieceShift)
            ++inPlace;
        lowest = std::min(lowest, found.correlation);
        if (std::abs(shift) > std::abs(worstShift))
            worstShift = shift;
    }
    std::printf("heard_pieces=%d\nheard_in_place=%d\nheard_lowest_correlation=%.3f\n"
                "heard_worst_shift_ms=%.1f\n",
                count, inPlace, lowest, worstShift * 1000.0);
    for (const double at : { EarlyPiece, LatePiece })
        std::printf("heard_%.0fs_correlation=%.3f\n", at,
                    pieces.find(musicStart + at, at - CutSearch, at + CutSearch).correlation);
}

void CutAnalysis::printTrace() const
{
    const QVector<int> costs = trace.readCosts();
    std::printf("frames=%d\nstray_frames=%d\n", trace.frameCount(), trace.strayFrames());
    const qint64 first = trace.firstFrameAt();
    if (first != 0)
        std::printf(
            "first_frame_ms=%.1f\nlongest_frame_after_first_second_ms=%.1f\n", msAfterLaunch(first),
            trace.longestFrame(first + StartUp, std::numeric_limits<qint64>::max()) / 1000.0);
    if (!costs.isEmpty())
        std::printf("read_median_us=%d\nread_p99_us=%d\n", costs[costs.size() / 2],
                    costs[costs.size() * 99 / 100]);
}
