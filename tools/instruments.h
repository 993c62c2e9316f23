#ifndef INSTRUMENTS_H
#define INSTRUMENTS_H

#include "synth.h"

#include <cstddef>

// One note of a part: where it starts and how long its gate is held, in
// samples; its MIDI pitch (ignored by the drums) and velocity, Q15.
struct Note
{
    int start;
    int length;
    int pitch;
    int velocity;
};

// The soundtrack's voices. Each adds one note, its release included, into
// a track.
class Instrument
{
public:
    virtual ~Instrument() = default;
    virtual void play(const Note &note, Synth::Samples &track) const = 0;

protected:
    static void add(Synth::Samples &track, size_t position, int sample);
};

// Warm chords: three detuned saws through a low pass that opens with the
// slow envelope.
class Pad : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// A resonant saw bass whose filter snaps shut after each attack.
class Bass : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// A short, bright pulse for the arpeggios.
class Pluck : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// The melody voice: a saw doubled by a quieter one tuned a little sharp,
// over a pulse an octave down, with vibrato that sets in once the note has
// sounded for a moment.
class Lead : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// A sine that falls quickly in pitch, with a click at the front.
class Kick : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// Bright noise over a short tone.
class Snare : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

// High-passed noise: a closed hat with a short decay, an open hat or a crash
// with longer ones.
class Cymbal : public Instrument
{
public:
    explicit Cymbal(int decay);
    void play(const Note &note, Synth::Samples &track) const override;

private:
    int decay;
};

// Noise through a band pass sweeping upwards, growing louder over the
// note: the swell that leads into a new section.
class Riser : public Instrument
{
public:
    void play(const Note &note, Synth::Samples &track) const override;
};

#endif // INSTRUMENTS_H
