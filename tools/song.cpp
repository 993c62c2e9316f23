#include "song.h"

#include <algorithm>
#include <cstdlib>

using namespace Synth;

namespace {

constexpr int stepsPerBar = 16;
constexpr int stepsPerBeat = 4;

// 120 beats a minute, four steps a beat: a step lasts 5512.5 samples.
int stepSample(int step)
{
    return step * 11025 / 2;
}

constexpr int percent(int value)
{
    return value * unity / 100;
}

struct Chord
{
    int root; // in the bass octave
    int tones[3]; // voiced closely around middle C
};

const Chord Am { 33, { 57, 60, 64 } };
const Chord F { 29, { 57, 60, 65 } };
const Chord C { 36, { 55, 60, 64 } };
const Chord G { 31, { 55, 59, 62 } };
const Chord E { 28, { 56, 59, 64 } };

enum class Section { Intro, Groove, Theme, Finale, Ending };

struct SectionPlan
{
    Section section;
    std::vector<std::pair<Chord, int>> bars; // chord and length in steps
};

// The sections follow the demo's timeline; each but the last ends with a
// shortened bar carrying a fill, so that the next starts on the scene cut.
// clang-format off
const std::vector<SectionPlan> plan = {
    // 0 to 7 s, the plasma under the title: chords and a slow arpeggio.
    {Section::Intro, {{Am, 16}, {F, 16}, {C, 16}, {G, 8}}},
    // 7 to 14.5 s, one spinning cube: drums and bass come in.
    {Section::Groove, {{Am, 16}, {F, 16}, {C, 16}, {G, 12}}},
    // 14.5 to 22 s, the lit cubes: backbeat, and the melody enters.
    {Section::Theme, {{Am, 16}, {F, 16}, {C, 16}, {E, 12}}},
    // 22 to 44 s, the credits: everything, the theme in full, a climb to the end.
    {Section::Finale, {{Am, 16}, {F, 16}, {C, 16}, {G, 16},
                       {Am, 16}, {F, 16}, {C, 16}, {G, 16},
                       {F, 16}, {G, 16}, {E, 16}}},
    // 44 to 45 s: the closing chord, ringing out after the demo has ended.
    {Section::Ending, {{Am, 8}}},
};
// clang-format on

struct Phrase
{
    int pitch;
    int steps;
};

// clang-format off
// The melody's first, plain statement over the lit cubes (pitch, steps).
const std::vector<Phrase> themeIntroduction = {
    {76, 12}, {74, 2}, {72, 2},                     // Am
    {72, 12}, {69, 4},                              // F
    {67, 8}, {72, 4}, {76, 4},                      // C
    {71, 4}, {68, 4}, {76, 4},                      // E
};

// The full theme under the credits, then its climb back to the tonic.
const std::vector<Phrase> theme = {
    {69, 4}, {72, 2}, {76, 2}, {81, 6}, {79, 2},           // Am
    {77, 6}, {76, 2}, {72, 4}, {69, 4},                    // F
    {67, 2}, {72, 2}, {76, 4}, {79, 4}, {76, 2}, {74, 2},  // C
    {74, 8}, {71, 4}, {67, 2}, {71, 2},                    // G
    {81, 4}, {79, 2}, {81, 2}, {84, 4}, {83, 2}, {81, 2},  // Am
    {81, 6}, {79, 2}, {77, 4}, {76, 2}, {77, 2},           // F
    {79, 6}, {76, 2}, {72, 4}, {76, 2}, {79, 2},           // C
    {83, 6}, {81, 2}, {79, 4}, {74, 4},                    // G
    {84, 6}, {81, 2}, {77, 4}, {81, 4},                    // F
    {83, 6}, {79, 2}, {74, 4}, {79, 4},                    // G
    {76, 2}, {80, 2}, {83, 4}, {88, 4}, {86, 2}, {83, 2},  // E
    {81, 8},                                               // Am, held
};
// clang-format on

bool in(std::initializer_list<int> steps, int step)
{
    return std::find(steps.begin(), steps.end(), step) != steps.end();
}

} // namespace

struct Song::Bar
{
    int start; // step
    int steps;
    Chord chord;
    Section section;
    int number; // within its section, from 0
    bool last; // of its section

    // Calls action(step within the bar, step in the song) every so many steps.
    template<typename Action> void eachStep(int every, Action action) const
    {
        for (int step = 0; step < steps; step += every)
            action(step, start + step);
    }
};

std::vector<Song::Bar> Song::arrangement()
{
    std::vector<Bar> bars;
    int start = 0;
    for (const SectionPlan &section : plan) {
        int number = 0;
        for (const auto &[chord, steps] : section.bars) {
            const bool last = number + 1 == int(section.bars.size());
            bars.push_back({ start, steps, chord, section.section, number++, last });
            start += steps;
        }
    }
    return bars;
}

Song::Song()
    : closedHat(milliseconds(18))
    , openHat(milliseconds(110))
    , crash(milliseconds(500))
    , chords(pad, percent(70))
    , bassLine(bass, percent(75))
    , arpeggio(pluck, percent(38), percent(45))
    , melody(lead, percent(55), percent(30))
    , kicks(kick, percent(95))
    , snares(snare, percent(60))
    , hats(closedHat, percent(22))
    , openHats(openHat, percent(16))
    , crashes(crash, percent(30))
    , swells(riser, percent(40))
{
    compose();
}

void Song::play(Part &part, int step, int steps, int pitch, int velocity)
{
    const int start = stepSample(step);
    part.notes.push_back({ start, stepSample(step + steps) - start, pitch, percent(velocity) });
}

void Song::compose()
{
    for (const Bar &bar : arrangement()) {
        playChords(bar);
        playArpeggio(bar);
        playRhythm(bar);
        playCrash(bar);
        playFill(bar);
        playMelody(bar);
    }
}

// The intro's main voice, a bed under everything after.
void Song::playChords(const Bar &bar)
{
    const int velocity = bar.section == Section::Intro ? 65 : 50;
    for (int tone : bar.chord.tones)
        play(chords, bar.start, bar.steps, tone, velocity);
}

// Up and down two octaves of the chord: eighths in the intro, sixteenths
// from the groove on, silent for the closing chord.
void Song::playArpeggio(const Bar &bar)
{
    if (bar.section == Section::Ending)
        return;
    const int order[] = { 0, 1, 2, 3, 4, 5, 4, 3 };
    const int every = bar.section == Section::Intro ? 2 : 1;
    bar.eachStep(every, [&](int step, int at) {
        const int index = order[(step / every) % 8];
        const int pitch = bar.chord.tones[index % 3] + 12 * (index / 3);
        play(arpeggio, at, 1, pitch, step % stepsPerBeat == 0 ? 100 : 75);
    });
}

// Bass and drums, busier in every section.
void Song::playRhythm(const Bar &bar)
{
    const int root = bar.chord.root;
    switch (bar.section) {
    case Section::Intro:
        play(bassLine, bar.start, bar.steps, root, 45);
        break;

    case Section::Groove:
        // Root and octave pushed off the beat, a steady kick, offbeat hats.
        bar.eachStep(1, [&](int step, int at) {
            if (in({ 0, 3, 6, 8, 11, 14 }, step))
                play(bassLine, at, 2, root + (in({ 6, 14 }, step) ? 12 : 0), 65);
            if (step % 4 == 0)
                play(kicks, at, 1, 0, 85);
            if (step % 4 == 2)
                play(hats, at, 1, 0, 100);
        });
        break;

    case Section::Theme:
        // Driving eighths and a backbeat under the melody.
        bar.eachStep(1, [&](int step, int at) {
            if (step % 2 == 0) {
                const int interval = in({ 4, 12 }, step) ? 12 : step == 14 ? 7 : 0;
                play(bassLine, at, 1, root + interval, step % 4 == 0 ? 95 : 75);
            }
            if (in({ 0, 6, 10 }, step))
                play(kicks, at, 1, 0, 100);
            if (in({ 4, 12 }, step))
                play(snares, at, 1, 0, 90);
            play(hats, at, 1, 0, step % 2 == 0 ? 100 : 55);
        });
        break;

    case Section::Finale:
        // Rolling sixteenths, four on the floor, open hats on the offbeat.
        bar.eachStep(1, [&](int step, int at) {
            const int interval = step % 4 == 2 ? 12 : step == 15 ? 7 : 0;
            play(bassLine, at, 1, root + interval, step % 4 == 0 ? 100 : 80);
            if (step % 4 == 0)
                play(kicks, at, 1, 0, 100);
            if (in({ 4, 12 }, step))
                play(snares, at, 1, 0, 100);
            if (step % 4 == 2)
                play(openHats, at, 1, 0, 100);
            else
                play(hats, at, 1, 0, step % 2 == 0 ? 100 : 60);
        });
        break;

    case Section::Ending:
        play(bassLine, bar.start, bar.steps, root, 100);
        play(kicks, bar.start, 1, 0, 100);
        break;
    }
}

// A crash opens every section after the intro, and every fourth bar of the
// finale.
void Song::playCrash(const Bar &bar)
{
    const bool opening = bar.number == 0 && bar.section != Section::Intro;
    const bool phrase = bar.section == Section::Finale && bar.number % 4 == 0;
    if (opening || phrase)
        play(crashes, bar.start, 1, 0, bar.section == Section::Ending ? 110 : 100);
}

// Into the next section: a noise swell out of the intro, a rising snare roll
// out of the others, a longer one into the closing chord.
void Song::playFill(const Bar &bar)
{
    if (!bar.last || bar.section == Section::Ending)
        return;
    if (bar.section == Section::Intro) {
        play(swells, bar.start, bar.steps, 0, 100);
        return;
    }
    const int roll = bar.section == Section::Finale ? 8 : 4;
    const int end = bar.start + bar.steps;
    for (int i = 0; i < roll; ++i)
        play(snares, end - roll + i, 1, 0, 45 + 55 * (i + 1) / roll);
}

// The melody: stated over the lit cubes, in full under the credits.
void Song::playMelody(const Bar &bar)
{
    auto playPhrases = [&](const std::vector<Phrase> &phrases) {
        int step = bar.start;
        for (const Phrase &phrase : phrases) {
            play(melody, step, phrase.steps, phrase.pitch, 100);
            step += phrase.steps;
        }
    };
    if (bar.number == 0 && bar.section == Section::Theme)
        playPhrases(themeIntroduction);
    if (bar.number == 0 && bar.section == Section::Finale)
        playPhrases(theme);
}

std::vector<int16_t> Song::render() const
{
    std::vector<int64_t> mix(sampleCount, 0);
    const Part *parts[] = { &chords, &bassLine, &arpeggio, &melody,  &kicks,
                            &snares, &hats,     &openHats, &crashes, &swells };
    const int echoDelay = stepSample(3);
    const int echoFeedback = percent(35);
    for (const Part *part : parts) {
        Samples track(sampleCount, 0);
        for (const Note &note : part->notes)
            part->instrument.play(note, track);
        if (part->echoWet)
            addEcho(track, echoDelay, echoFeedback, part->echoWet);
        for (size_t i = 0; i < mix.size(); ++i)
            mix[i] += scaled(track[i], part->gain);
    }

    // Fade out over what is left once the arrangement, and the demo, is over.
    const Bar closing = arrangement().back();
    const int fadeStart = stepSample(closing.start + closing.steps);
    const int64_t fadeLength = sampleCount - fadeStart;
    for (int i = fadeStart; i < sampleCount; ++i)
        mix[size_t(i)] = mix[size_t(i)] * (sampleCount - i) / fadeLength;

    // Level to a peak just under full scale.
    const int64_t targetPeak = 29000;
    int64_t peak = 1;
    for (int64_t sample : mix)
        peak = std::max(peak, std::abs(sample));
    std::vector<int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        samples[i] = int16_t(mix[i] * targetPeak / peak);
    return samples;
}
