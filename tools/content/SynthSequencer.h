// A tiny loop sequencer: notes written as readable text, placed on a swung
// beat grid and rendered into a circular buffer whose length is a whole number
// of bars, so the music loops without a seam.
#pragma once

#include <string>
#include <vector>

#include "tools/content/SynthCore.h"
#include "tools/content/SynthVoices.h"

namespace synth {

struct NoteEvent {
    double beat = 0.0;      // start, in beats from the loop start
    double beats = 1.0;     // held length in beats
    double midi = 60.0;     // pitch (ignored by drums)
    double velocity = 0.8;  // 0..1
};

// Parses a phrase of space-separated tokens, each "PITCH:BEATS[/VELOCITY]".
// PITCH is a note name with octave ("C4", "F#3", "Bb5"), several joined by '+'
// for a chord ("F3+A3+C4"), or "r" for a rest. The phrase starts at startBeat;
// each token advances by its length. Appends to out; returns the end beat.
// Throws std::runtime_error on a malformed token (a content bug).
double ParsePhrase(const std::string& text, double startBeat, double defaultVelocity,
                   std::vector<NoteEvent>& out);

// Parses a drum grid: one character per step of stepBeats, starting at
// startBeat. 'X' accent (1.0), 'x' normal (0.75), 'o' soft (0.5), '.' ghost
// (0.25), anything else a rest. Appends to out.
void ParseGrid(const std::string& grid, double startBeat, double stepBeats,
               std::vector<NoteEvent>& out);

// Beat-to-time map: a tempo and a swing that delays every second subdivision.
// swing = 0.5 is straight; 0.62 pushes the off-beat of each pair to 62 %.
struct Timeline {
    double bpm = 120.0;
    double swing = 0.5;
    double pairBeats = 1.0;  // 1: swung eighths, 0.5: swung sixteenths
    double Seconds(double beat) const;
};

// Mixes one voice per note into the ring (wrapping past the end). The
// humanising generator nudges timing by up to jitterMs and velocity by up to
// velocityJitter (fraction); transpose shifts every pitch in semitones.
struct TrackStyle {
    double gain = 1.0;
    double jitterMs = 0.0;
    double velocityJitter = 0.0;
    double transpose = 0.0;
};
void RenderTrack(const std::vector<NoteEvent>& notes, Instrument voice, const Timeline& timeline,
                 double fs, const TrackStyle& style, Rng& rng, Signal& ring);

}  // namespace synth
