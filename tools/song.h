#ifndef SONG_H
#define SONG_H

#include "instruments.h"

#include <cstdint>
#include <vector>

// The demo's soundtrack, composed here: A minor at 120 beats a minute, in
// sections that change on the demo's scene cuts (7.0 s, 14.5 s, 22.0 s) and
// build up to the credits, ending on a held chord at 44 s.
class Song
{
public:
    static constexpr int sampleCount = 2032128; // 46.08 s

    Song();
    // The whole soundtrack mixed and levelled, 16-bit mono samples.
    std::vector<int16_t> render() const;

private:
    struct Part
    {
        Part(const Instrument &instrument, int gain, int echoWet = 0)
            : instrument(instrument)
            , gain(gain)
            , echoWet(echoWet)
        {
        }

        const Instrument &instrument;
        int gain; // Q15
        int echoWet; // Q15; echoes a dotted eighth apart when set
        std::vector<Note> notes;
    };

    struct Bar;
    static std::vector<Bar> arrangement();

    void compose();
    void playChords(const Bar &bar);
    void playArpeggio(const Bar &bar);
    void playRhythm(const Bar &bar);
    void playCrash(const Bar &bar);
    void playFill(const Bar &bar);
    void playMelody(const Bar &bar);
    void play(Part &part, int step, int steps, int pitch, int velocity);

    Pad pad;
    Bass bass;
    Pluck pluck;
    Lead lead;
    Kick kick;
    Snare snare;
    Cymbal closedHat;
    Cymbal openHat;
    Cymbal crash;
    Riser riser;

    Part chords;
    Part bassLine;
    Part arpeggio;
    Part melody;
    Part kicks;
    Part snares;
    Part hats;
    Part openHats;
    Part crashes;
    Part swells;
};

#endif // SONG_H
