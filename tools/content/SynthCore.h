// Small signal-processing kit for the content tool's sounds.
//
// Everything is double precision and deterministic: noise comes from our own
// xorshift generator (never std:: distributions, whose output differs between
// library versions), and nothing depends on time or the environment.
//
// Two rendering modes run through the kit:
//   - one-shots: a plain buffer that starts and ends in silence;
//   - loops: a circular buffer. Events are added with wrap-around and filters
//     and reverbs run twice round the ring, keeping the second pass, so their
//     state at the end flows into the beginning and the loop has no seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

using Signal = std::vector<double>;

constexpr double kPi = 3.14159265358979323846;

// xorshift32: the only source of randomness in the sounds.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t NextU32();
    double Uniform();   // [0, 1)
    double Bipolar();   // [-1, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

private:
    uint32_t state_;
};

// Frequency of a MIDI note number (A4 = 69 = 440 Hz).
double MidiToHz(double midi);
double DbToGain(double db);
double GainToDb(double gain);

// Adds src * gain into dst starting at offset. With wrap, indices run modulo
// dst.size() (offset may be negative); without, samples outside are dropped.
void MixInto(Signal& dst, const Signal& src, long offset, double gain, bool wrap);

// RBJ biquad. Coefficients may be changed between samples; state is kept.
class Biquad {
public:
    void SetLowPass(double fs, double freq, double q);
    void SetHighPass(double fs, double freq, double q);
    void SetBandPass(double fs, double freq, double q);  // 0 dB at the centre
    void SetPeak(double fs, double freq, double q, double gainDb);
    double Process(double x);
    void Reset() { x1_ = x2_ = y1_ = y2_ = 0.0; }

private:
    void Set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Runs the filter over the signal in place. With circular, the filter first
// runs once round the ring to settle, so the result is the steady state of the
// looped signal.
void ApplyFilter(Signal& s, Biquad filter, bool circular);

// Schroeder/Freeverb-style mono reverb: eight damped combs into four allpasses.
class Reverb {
public:
    Reverb(double fs, double roomSize, double damping);
    double Process(double x);

private:
    struct Comb {
        std::vector<double> line;
        size_t pos = 0;
        double store = 0;
    };
    struct Allpass {
        std::vector<double> line;
        size_t pos = 0;
    };
    std::vector<Comb> combs_;
    std::vector<Allpass> allpasses_;
    double feedback_;
    double damping_;
};

// The reverb's wet signal for a looped input (same length, wrapped tail).
Signal ReverbLoop(const Signal& dry, double fs, double roomSize, double damping);
// The reverb's wet signal for a one-shot, extended by tailSeconds.
Signal ReverbOneShot(const Signal& dry, double fs, double roomSize, double damping,
                     double tailSeconds);

// Look-ahead peak limiter: lowers peaks above threshold (linear) with a
// lookahead/attack of attackMs and a release of releaseMs. Circular for loops.
void Limit(Signal& s, double fs, double threshold, double attackMs, double releaseMs,
           bool circular);

double Peak(const Signal& s);
double Mean(const Signal& s);
void Scale(Signal& s, double gain);
// Scales so that the largest absolute sample equals DbToGain(peakDb).
void NormalizePeak(Signal& s, double peakDb);
// Raised-cosine fades over the first and last milliseconds.
void FadeEnds(Signal& s, double fs, double inMs, double outMs);
// Drops the trailing part below thresholdDb relative to the peak (keeps a short
// margin), so one-shots do not carry long silent tails.
void TrimTail(Signal& s, double fs, double thresholdDb);

// Finishing of the two kinds of files: DC removal, fades (one-shots only),
// peak normalisation.
void FinishOneShot(Signal& s, double fs, double peakDb);
void FinishLoop(Signal& s, double fs, double peakDb);

// 16-bit PCM RIFF/WAVE, mono. Samples are clamped to [-1, 1] and rounded.
bool WriteWav16(const std::string& path, const Signal& s, int sampleRate, std::string& error);

}  // namespace synth
