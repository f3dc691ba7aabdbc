#include "tools/content/SynthVoices.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

size_t Samples(double fs, double seconds) {
    return static_cast<size_t>(std::max(0.0, seconds) * fs);
}

// Raised-cosine ramp from 0 to 1 over the first attack samples.
void ApplyAttack(Signal& s, double fs, double attackMs) {
    const size_t n = std::min(s.size(), Samples(fs, attackMs * 0.001));
    for (size_t i = 0; i < n; ++i) s[i] *= 0.5 - 0.5 * std::cos(kPi * i / n);
}

// Adds one decaying sinusoid by complex rotation (no per-sample sin call).
void AddPartial(Signal& s, double fs, double hz, double amp, double tau) {
    if (hz <= 0.0 || hz >= 0.45 * fs || amp == 0.0) return;
    const double w = 2.0 * kPi * hz / fs;
    const double d = std::exp(-1.0 / (tau * fs));
    const double cr = std::cos(w) * d, ci = std::sin(w) * d;
    double re = 1.0, im = 0.0;
    for (double& x : s) {
        x += amp * im;
        const double nr = re * cr - im * ci;
        im = re * ci + im * cr;
        re = nr;
    }
}

// Sum of harmonics k = 1..amps.size() with per-harmonic decay, a pitch that
// starts bendCents high and settles with bendTau, and a delayed vibrato.
struct HarmonicVoice {
    std::vector<double> amps;
    std::vector<double> taus;
    double bendCents = 0.0;
    double bendTau = 0.03;
    double vibratoCents = 0.0;
    double vibratoHz = 5.0;
    double vibratoDelay = 0.3;
};

Signal Harmonics(double fs, double hz, double seconds, const HarmonicVoice& voice) {
    Signal s(Samples(fs, seconds), 0.0);
    std::vector<double> phase(voice.amps.size(), 0.0);
    std::vector<double> gain(voice.amps.size(), 1.0);
    std::vector<double> decay(voice.amps.size(), 1.0);
    for (size_t k = 0; k < voice.amps.size(); ++k) {
        const double tau = k < voice.taus.size() ? voice.taus[k] : 0.0;
        decay[k] = tau > 0.0 ? std::exp(-1.0 / (tau * fs)) : 1.0;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = i / fs;
        double cents = voice.bendCents * std::exp(-t / voice.bendTau);
        if (voice.vibratoCents > 0.0 && t > voice.vibratoDelay) {
            const double depth = std::min(1.0, (t - voice.vibratoDelay) / 0.3);
            cents += depth * voice.vibratoCents * std::sin(2.0 * kPi * voice.vibratoHz * t);
        }
        const double f = hz * std::pow(2.0, cents / 1200.0);
        double v = 0.0;
        for (size_t k = 0; k < voice.amps.size(); ++k) {
            const double fk = f * static_cast<double>(k + 1);
            if (fk >= 0.45 * fs) break;
            phase[k] += 2.0 * kPi * fk / fs;
            if (phase[k] > 2.0 * kPi) phase[k] -= 2.0 * kPi;
            v += voice.amps[k] * gain[k] * std::sin(phase[k]);
            gain[k] *= decay[k];
        }
        s[i] = v;
    }
    return s;
}

double Clamp(double v, double lo, double hi) { return std::min(hi, std::max(lo, v)); }

}  // namespace

Signal Tone(double fs, double seconds, double baseHz, const std::vector<Partial>& partials,
            double attackMs) {
    Signal s(Samples(fs, seconds), 0.0);
    for (const Partial& p : partials) AddPartial(s, fs, baseHz * p.ratio, p.amp, p.tau);
    ApplyAttack(s, fs, attackMs);
    return s;
}

Signal Sweep(double fs, double seconds, double startHz, double endHz, double glideTau,
             double ampTau, double attackMs) {
    Signal s(Samples(fs, seconds), 0.0);
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = i / fs;
        const double f = endHz + (startHz - endHz) * std::exp(-t / glideTau);
        s[i] = std::sin(phase) * std::exp(-t / ampTau);
        phase += 2.0 * kPi * f / fs;
    }
    ApplyAttack(s, fs, attackMs);
    return s;
}

Signal NoiseHit(Rng& rng, double fs, double seconds, NoiseShape shape, double freq, double q,
                double attackMs, double tau) {
    Biquad filter;
    switch (shape) {
        case NoiseShape::LowPass: filter.SetLowPass(fs, freq, q); break;
        case NoiseShape::HighPass: filter.SetHighPass(fs, freq, q); break;
        case NoiseShape::BandPass: filter.SetBandPass(fs, freq, q); break;
    }
    Signal s(Samples(fs, seconds), 0.0);
    const double d = std::exp(-1.0 / (tau * fs));
    double env = 1.0;
    for (double& x : s) {
        x = filter.Process(rng.Bipolar()) * env;
        env *= d;
    }
    ApplyAttack(s, fs, attackMs);
    return s;
}

void Damp(Signal& s, double fs, double startSeconds, double tau) {
    const size_t start = Samples(fs, startSeconds);
    const double d = std::exp(-1.0 / (tau * fs));
    double env = 1.0;
    for (size_t i = start; i < s.size(); ++i) {
        s[i] *= env;
        env *= d;
    }
}

// ---- Pitched instruments ----

Signal Vibraphone(double fs, double hz, double seconds, double velocity, Rng& rng) {
    const double ring = 2.4 * std::pow(440.0 / hz, 0.35);
    Signal s = Tone(fs, seconds + 1.8, hz,
                    {{1.0, 1.0, ring}, {4.0, 0.20 * velocity, 0.35}, {10.0, 0.05 * velocity, 0.09}},
                    1.5);
    // Motor tremolo on the bars.
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = i / fs;
        s[i] *= 1.0 - 0.2 * (0.5 - 0.5 * std::cos(2.0 * kPi * 5.2 * t));
    }
    MixInto(s, NoiseHit(rng, fs, 0.01, NoiseShape::LowPass, 2500.0, 0.7, 0.2, 0.003), 0,
            0.08 * velocity, false);
    Damp(s, fs, seconds, 0.35);
    Scale(s, velocity);
    return s;
}

Signal ElectricPiano(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)rng;
    const double decay = Clamp(2.2 * std::pow(220.0 / hz, 0.5), 0.7, 4.0);
    Signal s(Samples(fs, seconds + 0.5), 0.0);
    double phase = 0.0;
    const double peakIndex = 0.5 + 1.3 * velocity;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = i / fs;
        const double index = peakIndex * std::exp(-t / 0.22) + 0.2;
        s[i] = std::sin(phase + index * std::sin(phase)) * std::exp(-t / decay);
        phase += 2.0 * kPi * hz / fs;
        if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
    }
    AddPartial(s, fs, hz * 11.0, 0.03 * velocity, 0.025);  // tine ping
    ApplyAttack(s, fs, 2.0);
    Damp(s, fs, seconds, 0.09);
    Scale(s, velocity);
    return s;
}

Signal UprightBass(double fs, double hz, double seconds, double velocity, Rng& rng) {
    HarmonicVoice voice;
    voice.amps = {1.0, 0.55, 0.28, 0.16, 0.09, 0.05, 0.03, 0.02};
    for (size_t k = 0; k < voice.amps.size(); ++k) voice.taus.push_back(1.3 / (1.0 + 0.8 * k));
    voice.bendCents = 18.0;
    voice.bendTau = 0.025;
    Signal s = Harmonics(fs, hz, seconds + 0.4, voice);
    MixInto(s, NoiseHit(rng, fs, 0.03, NoiseShape::LowPass, 700.0, 0.7, 1.0, 0.012), 0,
            0.25 * velocity, false);
    ApplyAttack(s, fs, 5.0);
    Damp(s, fs, seconds, 0.06);
    Scale(s, velocity);
    return s;
}

Signal PizzBass(double fs, double hz, double seconds, double velocity, Rng& rng) {
    HarmonicVoice voice;
    voice.amps = {1.0, 0.45, 0.3, 0.12, 0.08, 0.04};
    for (size_t k = 0; k < voice.amps.size(); ++k) voice.taus.push_back(0.42 / (1.0 + 0.9 * k));
    voice.bendCents = 12.0;
    voice.bendTau = 0.02;
    Signal s = Harmonics(fs, hz, seconds + 0.35, voice);
    MixInto(s, NoiseHit(rng, fs, 0.02, NoiseShape::BandPass, 1200.0, 0.8, 0.5, 0.006), 0,
            0.2 * velocity, false);
    ApplyAttack(s, fs, 3.0);
    Damp(s, fs, seconds + 0.05, 0.05);
    Scale(s, velocity);
    return s;
}

Signal Marimba(double fs, double hz, double seconds, double velocity, Rng& rng) {
    const double ring = Clamp(0.5 * std::pow(262.0 / hz, 0.6), 0.12, 1.1);
    Signal s = Tone(fs, std::max(seconds, ring * 6.0), hz,
                    {{1.0, 1.0, ring}, {3.93, 0.28 * velocity, 0.07}, {9.2, 0.07 * velocity, 0.02}},
                    1.0);
    MixInto(s, NoiseHit(rng, fs, 0.008, NoiseShape::LowPass, 1800.0, 0.7, 0.2, 0.002), 0,
            0.12 * velocity, false);
    Scale(s, velocity);
    return s;
}

Signal Celesta(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)seconds;
    (void)rng;
    const double ring = Clamp(0.9 * std::pow(523.0 / hz, 0.5), 0.3, 1.6);
    Signal s = Tone(fs, ring * 6.0, hz,
                    {{1.0, 1.0, ring},
                     {2.76, 0.25 * velocity, ring / 3.5},
                     {5.40, 0.10 * velocity, ring / 8.0},
                     {8.93, 0.04 * velocity, ring / 15.0}},
                    0.8);
    Scale(s, velocity);
    return s;
}

Signal MusicBox(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)seconds;
    const double ring = Clamp(1.6 * std::pow(523.0 / hz, 0.3), 0.6, 2.5);
    Signal s = Tone(fs, ring * 6.0, hz,
                    {{1.0, 1.0, ring}, {2.0, 0.07, ring / 2.0}, {6.27, 0.12 * velocity, 0.1}}, 0.6);
    MixInto(s, NoiseHit(rng, fs, 0.004, NoiseShape::HighPass, 3000.0, 0.7, 0.1, 0.0008), 0,
            0.1 * velocity, false);
    Scale(s, velocity);
    return s;
}

Signal Clarinet(double fs, double hz, double seconds, double velocity, Rng& rng) {
    HarmonicVoice voice;
    const double b = 0.6 + 0.4 * velocity;  // brighter when played harder
    voice.amps = {1.0, 0.03, 0.38 * b, 0.03, 0.2 * b * b, 0.02, 0.1 * b * b, 0.0, 0.05 * b * b,
                 0.0, 0.025 * b * b};
    voice.vibratoCents = 9.0;
    voice.vibratoHz = 5.3;
    voice.vibratoDelay = 0.25;
    Signal s = Harmonics(fs, hz, seconds + 0.3, voice);
    // Breath: a little band-limited noise around the upper harmonics.
    Signal breath = NoiseHit(rng, fs, seconds + 0.3, NoiseShape::BandPass, hz * 3.0, 1.5, 40.0, 10.0);
    MixInto(s, breath, 0, 0.05, false);
    ApplyAttack(s, fs, 40.0);
    Damp(s, fs, seconds, 0.07);
    Scale(s, velocity);
    return s;
}

Signal StringPad(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)rng;
    Signal s(Samples(fs, seconds + 1.6), 0.0);
    const double detune[2] = {0.997, 1.003};
    for (double dt : detune) {
        HarmonicVoice voice;
        for (int k = 1; k <= 16; ++k) voice.amps.push_back((1.0 / k) * std::exp(-(k - 1) / 4.0));
        voice.vibratoCents = 4.0;
        voice.vibratoHz = 4.6 * dt;
        voice.vibratoDelay = 0.0;
        MixInto(s, Harmonics(fs, hz * dt, seconds + 1.6, voice), 0, 0.5, false);
    }
    // Slow swell in, gentle release.
    const size_t attack = std::min(s.size(), Samples(fs, 0.45));
    for (size_t i = 0; i < attack; ++i) s[i] *= 0.5 - 0.5 * std::cos(kPi * i / attack);
    Damp(s, fs, seconds, 0.35);
    Scale(s, velocity);
    return s;
}

// ---- Drums ----

Signal Kick(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = Sweep(fs, 1.2, 135.0, 50.0, 0.03, 0.2, 1.0);
    MixInto(s, NoiseHit(rng, fs, 0.01, NoiseShape::LowPass, 2500.0, 0.7, 0.2, 0.003), 0, 0.15,
            false);
    Scale(s, velocity);
    return s;
}

Signal BrushSlap(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = NoiseHit(rng, fs, 0.5, NoiseShape::BandPass, 2800.0, 0.6, 2.0, 0.1);
    MixInto(s, Tone(fs, 0.3, 200.0, {{1.0, 0.25, 0.05}}, 1.0), 0, 1.0, false);
    Scale(s, velocity);
    return s;
}

Signal BrushSwish(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    Signal s = NoiseHit(rng, fs, seconds, NoiseShape::BandPass, 4500.0, 0.5, 0.0, 1e9);
    for (size_t i = 0; i < s.size(); ++i) {
        const double w = std::sin(kPi * i / s.size());
        s[i] *= w * w;
    }
    Scale(s, velocity);
    return s;
}

Signal Ride(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    // A dense bed of inharmonic modes (fixed: the same cymbal every hit) ...
    Rng modes(0xC1A5u);
    std::vector<Partial> partials;
    for (int i = 0; i < 48; ++i) {
        const double hzMode = 2200.0 * std::pow(12000.0 / 2200.0, modes.Uniform());
        partials.push_back({hzMode, modes.Range(0.2, 1.0) / 7.0, modes.Range(0.25, 0.8)});
    }
    partials.push_back({2450.0, 0.25, 0.9});  // the bell of the cymbal
    partials.push_back({3580.0, 0.15, 0.7});
    Signal s = Tone(fs, 2.6, 1.0, partials, 0.5);
    Scale(s, 0.5);
    // ... under a washy hiss and the stick's tick.
    MixInto(s, NoiseHit(rng, fs, 2.6, NoiseShape::HighPass, 5000.0, 0.7, 0.5, 0.45), 0, 0.45,
            false);
    MixInto(s, NoiseHit(rng, fs, 0.02, NoiseShape::BandPass, 5000.0, 0.8, 0.2, 0.003), 0, 0.6,
            false);
    Damp(s, fs, 1.4, 0.3);
    Scale(s, velocity);
    return s;
}

Signal HatClosed(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = NoiseHit(rng, fs, 0.15, NoiseShape::HighPass, 7500.0, 0.7, 0.3, 0.028);
    MixInto(s, Tone(fs, 0.1, 1.0, {{5300, 0.1, 0.02}, {7100, 0.08, 0.018}, {8800, 0.06, 0.015}}, 0.3),
            0, 1.0, false);
    Scale(s, velocity);
    return s;
}

Signal HatPedal(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = NoiseHit(rng, fs, 0.25, NoiseShape::BandPass, 6000.0, 0.8, 4.0, 0.04);
    Scale(s, velocity);
    return s;
}

Signal RimClick(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = Tone(fs, 0.12, 1.0, {{1750, 0.6, 0.01}, {820, 0.4, 0.025}}, 0.3);
    MixInto(s, NoiseHit(rng, fs, 0.05, NoiseShape::BandPass, 3500.0, 0.9, 0.2, 0.006), 0, 0.8,
            false);
    Scale(s, velocity);
    return s;
}

Signal Shaker(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s = NoiseHit(rng, fs, 0.2, NoiseShape::HighPass, 6000.0, 0.7, 12.0, 0.035);
    Scale(s, velocity);
    return s;
}

Signal Snap(double fs, double hz, double seconds, double velocity, Rng& rng) {
    (void)hz;
    (void)seconds;
    Signal s(Samples(fs, 0.25), 0.0);
    for (int burst = 0; burst < 3; ++burst) {
        MixInto(s, NoiseHit(rng, fs, 0.03, NoiseShape::BandPass, 2200.0, 1.2, 0.2, 0.004),
                static_cast<long>(burst * 0.007 * fs), 0.7, false);
    }
    MixInto(s, NoiseHit(rng, fs, 0.22, NoiseShape::BandPass, 2000.0, 1.0, 2.0, 0.05),
            static_cast<long>(0.02 * fs), 0.5, false);
    Scale(s, velocity);
    return s;
}

}  // namespace synth
