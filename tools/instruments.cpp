#include "instruments.h"

#include <algorithm>

using namespace Synth;

namespace {

constexpr int percent(int value)
{
    return value * unity / 100;
}

// Distinct noise for every drum hit, yet the same on every run.
uint32_t seedFor(const Note &note)
{
    return uint32_t(note.start) * 2654435761u + 12345u;
}

} // namespace

void Instrument::add(Samples &track, size_t position, int sample)
{
    if (position < track.size())
        track[position] += sample;
}

void Pad::play(const Note &note, Samples &track) const
{
    const uint32_t step = noteStep(note.pitch);
    const uint32_t steps[3] = { detuned(step, -9), step, detuned(step, 9) };
    uint32_t phases[3] = { 0, 0x55555555u, 0xaaaaaaaau };
    Envelope envelope(milliseconds(350), milliseconds(900), percent(80), milliseconds(450));
    StateVariableFilter filter(percent(110));
    for (int i = 0; !envelope.finished(); ++i) {
        const int level = envelope.next(i < note.length);
        int mixed = 0;
        for (int v = 0; v < 3; ++v) {
            mixed += saw(phases[v]) / 3;
            phases[v] += steps[v];
        }
        filter.setCutoff(500 + scaled(1400, level));
        const int sample = filter.lowPass(mixed);
        add(track, size_t(note.start + i), scaled(scaled(sample, level), note.velocity));
    }
}

void Bass::play(const Note &note, Samples &track) const
{
    const uint32_t step = noteStep(note.pitch);
    uint32_t phase = 0;
    uint32_t subPhase = 0;
    Envelope envelope(milliseconds(3), milliseconds(250), percent(70), milliseconds(35));
    Decay filterEnvelope(milliseconds(80));
    StateVariableFilter filter(percent(40));
    for (int i = 0; !envelope.finished(); ++i) {
        const int level = envelope.next(i < note.length);
        filter.setCutoff(160 + scaled(scaled(2200, filterEnvelope.next()), note.velocity));
        const int body = filter.lowPass(saw(phase) / 2);
        const int sample = body + sine(subPhase) / 2;
        phase += step;
        subPhase += step;
        add(track, size_t(note.start + i), scaled(scaled(sample, level), note.velocity));
    }
}

void Pluck::play(const Note &note, Samples &track) const
{
    const uint32_t step = noteStep(note.pitch);
    uint32_t phase = 0;
    Envelope envelope(milliseconds(2), milliseconds(160), 0, milliseconds(60));
    Decay filterEnvelope(milliseconds(70));
    StateVariableFilter filter(percent(70));
    for (int i = 0; !envelope.finished(); ++i) {
        const int level = envelope.next(i < note.length);
        filter.setCutoff(700 + scaled(3200, filterEnvelope.next()));
        const int sample = filter.lowPass(pulse(phase, 0x40000000u) / 2);
        phase += step;
        add(track, size_t(note.start + i), scaled(scaled(sample, level), note.velocity));
    }
}

void Lead::play(const Note &note, Samples &track) const
{
    const uint32_t step = noteStep(note.pitch);
    const uint32_t vibratoStep = frequencyStep(5500);
    const int vibratoDelay = milliseconds(180);
    const int vibratoRise = milliseconds(300);
    const int vibratoDepth = 12; // cents
    uint32_t phases[3] = { 0, 0x40000000u, 0 };
    uint32_t vibratoPhase = 0;
    Envelope envelope(milliseconds(8), milliseconds(300), percent(75), milliseconds(140));
    StateVariableFilter filter(percent(60));
    filter.setCutoff(3000);
    for (int i = 0; !envelope.finished(); ++i) {
        const int level = envelope.next(i < note.length);
        const int depth = std::clamp(i - vibratoDelay, 0, vibratoRise) * vibratoDepth / vibratoRise;
        const int cents = sine(vibratoPhase) * depth / 32767;
        vibratoPhase += vibratoStep;
        const uint32_t bent = detuned(step, cents);
        const int mixed =
            saw(phases[0]) * 9 / 16 + saw(phases[1]) * 5 / 16 + pulse(phases[2], 0x80000000u) / 8;
        phases[0] += bent;
        phases[1] += detuned(bent, 6);
        phases[2] += bent / 2;
        const int sample = filter.lowPass(mixed);
        add(track, size_t(note.start + i), scaled(scaled(sample, level), note.velocity));
    }
}

void Kick::play(const Note &note, Samples &track) const
{
    const int length = milliseconds(450);
    const int64_t lowStep = frequencyStep(46000);
    const int64_t highStep = frequencyStep(170000);
    Decay pitch(milliseconds(30));
    Decay amplitude(milliseconds(160));
    Decay click(milliseconds(2));
    Noise noise(seedFor(note));
    uint32_t phase = 0;
    for (int i = 0; i < length; ++i) {
        const int fade = std::min(length - i, milliseconds(20)) * unity / milliseconds(20);
        const int body = scaled(sine(phase), amplitude.next());
        const int sample = body + scaled(noise.next(), click.next()) / 3;
        phase += uint32_t(lowStep + (((highStep - lowStep) * pitch.next()) >> 15));
        add(track, size_t(note.start + i), scaled(scaled(sample, fade), note.velocity));
    }
}

void Snare::play(const Note &note, Samples &track) const
{
    const int length = milliseconds(320);
    const uint32_t step = frequencyStep(185000);
    Decay noiseLevel(milliseconds(85));
    Decay toneLevel(milliseconds(45));
    Noise noise(seedFor(note));
    OnePole highPass(1500);
    uint32_t phase = 0;
    for (int i = 0; i < length; ++i) {
        const int rattle = scaled(highPass.highPass(noise.next()), noiseLevel.next());
        const int tone = scaled(sine(phase), toneLevel.next());
        phase += step;
        add(track, size_t(note.start + i), scaled(rattle * 3 / 4 + tone / 2, note.velocity));
    }
}

Cymbal::Cymbal(int decay)
    : decay(decay)
{
}

void Cymbal::play(const Note &note, Samples &track) const
{
    const int length = decay * 6;
    Decay level(decay);
    Noise noise(seedFor(note));
    OnePole first(7000);
    OnePole second(5000);
    for (int i = 0; i < length; ++i) {
        const int sample = second.highPass(first.highPass(noise.next()));
        add(track, size_t(note.start + i), scaled(scaled(sample, level.next()), note.velocity));
    }
}

void Riser::play(const Note &note, Samples &track) const
{
    Noise noise(seedFor(note));
    StateVariableFilter filter(percent(30));
    for (int i = 0; i < note.length; ++i) {
        const int64_t progress = int64_t(i) * unity / note.length;
        filter.setCutoff(300 + int(progress * 5200 / unity));
        filter.lowPass(noise.next() / 2);
        const int swell = int(progress * progress / unity);
        add(track, size_t(note.start + i), scaled(scaled(filter.bandPass(), swell), note.velocity));
    }
}
