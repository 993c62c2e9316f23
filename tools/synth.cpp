#include "synth.h"

#include <array>
#include <cmath>

namespace Synth {

namespace {

constexpr int sineBits = 12;

// One turn of a sine at 16-bit scale. Rounded to integers, so the last-bit
// differences between maths libraries cannot reach the samples.
const std::array<int16_t, (1 << sineBits) + 1> &sineTable()
{
    static const std::array<int16_t, (1 << sineBits) + 1> table = [] {
        std::array<int16_t, (1 << sineBits) + 1> values {};
        const double turn = 2.0 * 3.14159265358979323846;
        for (size_t i = 0; i < values.size(); ++i)
            values[i] =
                int16_t(std::lround(32767.0 * std::sin(turn * double(i) / (1 << sineBits))));
        return values;
    }();
    return table;
}

// The equal-tempered semitones of the eighth octave, C8 to B8, in mHz.
constexpr int64_t topOctave[12] = { 4186009, 4434922, 4698636, 4978032, 5274041, 5587652,
                                    5919911, 6271927, 6644875, 7040000, 7458620, 7902133 };
constexpr int topOctaveFirstNote = 108; // C8

// 2^(c / 1200) for c = 0..100 cents, Q20: the fine tuning of a unison.
int64_t centRatio(int cents)
{
    // 1 + c ln2 / 1200 (1 + c ln2 / 2400): within 0.01 cent over one semitone.
    const int64_t x = int64_t(cents) * 606; // c ln2 / 1200, Q20
    return (int64_t(1) << 20) + x + x * x / (int64_t(2) << 20);
}

} // namespace

uint32_t frequencyStep(int64_t millihertz)
{
    return uint32_t(((millihertz << 32) + sampleRate * 500) / (int64_t(sampleRate) * 1000));
}

uint32_t noteStep(int note)
{
    const int semitone = (note - topOctaveFirstNote) % 12;
    const int octavesDown = (topOctaveFirstNote - note + 11) / 12;
    const int index = (semitone + 12) % 12;
    return frequencyStep(topOctave[index] >> octavesDown);
}

uint32_t detuned(uint32_t step, int cents)
{
    if (cents >= 0)
        return uint32_t((int64_t(step) * centRatio(cents)) >> 20);
    return uint32_t((int64_t(step) << 20) / centRatio(-cents));
}

int sine(uint32_t phase)
{
    const auto &table = sineTable();
    const uint32_t index = phase >> (32 - sineBits);
    const int fraction = int((phase >> (16 - sineBits)) & 0xffff);
    const int a = table[index];
    const int b = table[index + 1];
    return a + (((b - a) * fraction) >> 16);
}

int saw(uint32_t phase)
{
    return int(int32_t(phase) >> 16);
}

// The difference of two saws: a pulse without a DC offset at any width.
int pulse(uint32_t phase, uint32_t width)
{
    return saw(phase) - saw(phase - width);
}

Noise::Noise(uint32_t seed)
    : state(seed ? seed : 1)
{
}

int Noise::next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return int(int32_t(state) >> 16);
}

int64_t decayFactor(int timeConstant)
{
    const int64_t one = int64_t(1) << 30;
    return one - one / (timeConstant > 0 ? timeConstant : 1);
}

Envelope::Envelope(int attack, int decay, int sustain, int release)
    : attackStep(one / (attack > 0 ? attack : 1))
    , decayFactor(Synth::decayFactor(decay))
    , sustain(int64_t(sustain) << 15)
    , releaseFactor(Synth::decayFactor(release))
{
}

int Envelope::next(bool gate)
{
    if (!gate) {
        released = true;
        level = (level * releaseFactor) >> 30;
    } else if (attacking) {
        level += attackStep;
        if (level >= one) {
            level = one;
            attacking = false;
        }
    } else {
        level = sustain + (((level - sustain) * decayFactor) >> 30);
    }
    return int(level >> 15);
}

Decay::Decay(int timeConstant)
    : factor(decayFactor(timeConstant))
{
}

int Decay::next()
{
    const int value = int(level >> 15);
    level = (level * factor) >> 30;
    return value;
}

StateVariableFilter::StateVariableFilter(int damping)
    : damping(damping)
{
}

void StateVariableFilter::setCutoff(int hertz)
{
    // 2 sin(pi f / rate) is close to 2 pi f / rate this far below Nyquist.
    frequency = int64_t(hertz) * 411775 / sampleRate; // Q16
}

int StateVariableFilter::lowPass(int input)
{
    low += (band * frequency) >> 16;
    const int64_t high = input - low - ((band * damping) >> 15);
    band += (high * frequency) >> 16;
    return int(low);
}

OnePole::OnePole(int hertz)
{
    // w / (1 + w) with w = 2 pi f / rate: stays below one at any cutoff.
    const int64_t w = int64_t(hertz) * 411775 / sampleRate; // Q16
    coefficient = (w << 16) / ((int64_t(1) << 16) + w);
}

int OnePole::lowPass(int input)
{
    state += ((input - state) * coefficient) >> 16;
    return int(state);
}

void addEcho(Samples &track, int delay, int feedback, int wet)
{
    Samples echoes(track.size(), 0);
    for (size_t i = size_t(delay); i < track.size(); ++i)
        echoes[i] = track[i - delay] + scaled(echoes[i - delay], feedback);
    for (size_t i = 0; i < track.size(); ++i)
        track[i] += scaled(echoes[i], wet);
}

int scaled(int64_t sample, int gain)
{
    return int((sample * gain) >> 15);
}

} // namespace Synth
