#ifndef SYNTH_H
#define SYNTH_H

#include <cstdint>
#include <vector>

// Fixed-point building blocks of the soundtrack's synthesiser. Samples are
// ints at 16-bit scale, levels and gains are Q15 (32768 is one), phases are
// 32-bit turns. All of it is integer arithmetic, so the soundtrack comes out
// the same on every machine.
namespace Synth {

constexpr int sampleRate = 44100;
constexpr int unity = 1 << 15;

using Samples = std::vector<int32_t>;

constexpr int milliseconds(int ms)
{
    return ms * sampleRate / 1000;
}

// Phase advance per sample of a MIDI note (69 is A at 440 Hz), and of a
// frequency given in millihertz.
uint32_t noteStep(int note);
uint32_t frequencyStep(int64_t millihertz);
// A step raised by cents (negative: lowered), for detuned unisons.
uint32_t detuned(uint32_t step, int cents);

int sine(uint32_t phase);
int saw(uint32_t phase);
int pulse(uint32_t phase, uint32_t width);

// White noise from a 32-bit xorshift generator.
class Noise
{
public:
    explicit Noise(uint32_t seed);
    int next();

private:
    uint32_t state;
};

// Attack, decay to a sustain level while the gate is held, then release.
// Decay and release are exponential with the given time constants.
class Envelope
{
public:
    Envelope(int attack, int decay, int sustain, int release);
    int next(bool gate);
    bool finished() const { return released && level < releaseFloor; }

private:
    static constexpr int64_t one = int64_t(1) << 30;
    static constexpr int64_t releaseFloor = one >> 14;

    int64_t attackStep;
    int64_t decayFactor;
    int64_t sustain;
    int64_t releaseFactor;
    int64_t level = 0;
    bool attacking = true;
    bool released = false;
};

// The factor by which something decays each sample with the given time
// constant, Q30.
int64_t decayFactor(int timeConstant);

// An exponentially falling level, Q15, from one.
class Decay
{
public:
    explicit Decay(int timeConstant);
    int next();

private:
    int64_t factor;
    int64_t level = int64_t(1) << 30;
};

// Chamberlin's state-variable filter: a resonant low pass with a band pass
// beside it; cutoff up to about 6 kHz, damping Q15 (small is sharp).
class StateVariableFilter
{
public:
    explicit StateVariableFilter(int damping);
    void setCutoff(int hertz);
    int lowPass(int input);
    int bandPass() const { return int(band); }

private:
    int64_t frequency = 0;
    int64_t damping;
    int64_t low = 0;
    int64_t band = 0;
};

// A one-pole filter: low pass, and high pass as what the low pass leaves.
class OnePole
{
public:
    explicit OnePole(int hertz);
    int lowPass(int input);
    int highPass(int input) { return input - lowPass(input); }

private:
    int64_t coefficient;
    int64_t state = 0;
};

// Echoes: a feedback delay whose repeats are added to the track.
void addEcho(Samples &track, int delay, int feedback, int wet);

int scaled(int64_t sample, int gain);

} // namespace Synth

#endif // SYNTH_H
