// Instruments and sound building blocks for the content tool.
//
// Every voice renders one note (or hit) from silence into a fresh buffer that
// includes its decay tail; the sequencer or an effect recipe mixes it in.
#pragma once

#include <vector>

#include "tools/content/SynthCore.h"

namespace synth {

// A decaying sine component: frequency = base * ratio, amplitude, decay time
// constant in seconds (amplitude falls to 1/e after tau).
struct Partial {
    double ratio;
    double amp;
    double tau;
};

// Sum of decaying partials over base, with a raised-cosine attack. Partials at
// or above 0.45 * fs are left out (no aliasing). Starting phases are zero, so
// the result starts at 0.
Signal Tone(double fs, double seconds, double baseHz, const std::vector<Partial>& partials,
            double attackMs);

// A sine whose pitch glides exponentially from startHz to endHz (time constant
// glideTau) under an exponential amplitude decay (ampTau).
Signal Sweep(double fs, double seconds, double startHz, double endHz, double glideTau,
             double ampTau, double attackMs);

enum class NoiseShape { LowPass, HighPass, BandPass };

// White noise through one filter, shaped by a raised-cosine attack and an
// exponential decay.
Signal NoiseHit(Rng& rng, double fs, double seconds, NoiseShape shape, double freq, double q,
                double attackMs, double tau);

// Multiplies the signal from startSeconds on by exp(-(t - start) / tau).
void Damp(Signal& s, double fs, double startSeconds, double tau);

// ---- Pitched instruments (music). All take the note's frequency, its held
// length in seconds and a velocity in 0..1. ----
using Instrument = Signal (*)(double fs, double hz, double seconds, double velocity, Rng& rng);

Signal Vibraphone(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal ElectricPiano(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal UprightBass(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal PizzBass(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal Marimba(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal Celesta(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal MusicBox(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal Clarinet(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal StringPad(double fs, double hz, double seconds, double velocity, Rng& rng);

// ---- Soft drum kit (frequency and length are ignored). ----
Signal Kick(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal BrushSlap(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal BrushSwish(double fs, double hz, double seconds, double velocity, Rng& rng);  // uses seconds
Signal Ride(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal HatClosed(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal HatPedal(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal RimClick(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal Shaker(double fs, double hz, double seconds, double velocity, Rng& rng);
Signal Snap(double fs, double hz, double seconds, double velocity, Rng& rng);

}  // namespace synth
