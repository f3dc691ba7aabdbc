#include "tools/content/SynthCore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace synth {

uint32_t Rng::NextU32() {
    uint32_t x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

double Rng::Uniform() { return (NextU32() >> 8) * (1.0 / 16777216.0); }

double Rng::Bipolar() { return Uniform() * 2.0 - 1.0; }

double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

double GainToDb(double gain) { return gain > 0.0 ? 20.0 * std::log10(gain) : -999.0; }

void MixInto(Signal& dst, const Signal& src, long offset, double gain, bool wrap) {
    const long n = static_cast<long>(dst.size());
    if (n == 0) return;
    for (size_t i = 0; i < src.size(); ++i) {
        long j = offset + static_cast<long>(i);
        if (wrap) {
            j %= n;
            if (j < 0) j += n;
        } else if (j < 0 || j >= n) {
            continue;
        }
        dst[static_cast<size_t>(j)] += src[i] * gain;
    }
}

// ---- Biquad ----

void Biquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

void Biquad::SetLowPass(double fs, double freq, double q) {
    const double w = 2.0 * kPi * std::min(freq, fs * 0.49) / fs;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetHighPass(double fs, double freq, double q) {
    const double w = 2.0 * kPi * std::min(freq, fs * 0.49) / fs;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetBandPass(double fs, double freq, double q) {
    const double w = 2.0 * kPi * std::min(freq, fs * 0.49) / fs;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::SetPeak(double fs, double freq, double q, double gainDb) {
    const double w = 2.0 * kPi * std::min(freq, fs * 0.49) / fs;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    const double a = std::pow(10.0, gainDb / 40.0);
    Set(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
}

double Biquad::Process(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

void ApplyFilter(Signal& s, Biquad filter, bool circular) {
    filter.Reset();
    if (circular) {
        for (double x : s) filter.Process(x);
    }
    for (double& x : s) x = filter.Process(x);
}

// ---- Reverb ----

Reverb::Reverb(double fs, double roomSize, double damping)
    : feedback_(roomSize), damping_(damping) {
    // Mutually prime delays (tuned at 44.1 kHz, scaled to the rate in use).
    static const int kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpasses[] = {556, 441, 341, 225};
    const double scale = fs / 44100.0;
    for (int d : kCombs) {
        Comb c;
        c.line.assign(static_cast<size_t>(std::max(1.0, std::round(d * scale))), 0.0);
        combs_.push_back(c);
    }
    for (int d : kAllpasses) {
        Allpass a;
        a.line.assign(static_cast<size_t>(std::max(1.0, std::round(d * scale))), 0.0);
        allpasses_.push_back(a);
    }
}

double Reverb::Process(double x) {
    const double in = x * 0.015;
    double out = 0.0;
    for (Comb& c : combs_) {
        const double y = c.line[c.pos];
        c.store = y * (1.0 - damping_) + c.store * damping_;
        c.line[c.pos] = in + c.store * feedback_;
        c.pos = (c.pos + 1) % c.line.size();
        out += y;
    }
    for (Allpass& a : allpasses_) {
        const double buffered = a.line[a.pos];
        const double y = buffered - out;
        a.line[a.pos] = out + buffered * 0.5;
        a.pos = (a.pos + 1) % a.line.size();
        out = y;
    }
    return out;
}

Signal ReverbLoop(const Signal& dry, double fs, double roomSize, double damping) {
    Reverb reverb(fs, roomSize, damping);
    for (double x : dry) reverb.Process(x);  // one turn to fill the tail
    Signal wet(dry.size());
    for (size_t i = 0; i < dry.size(); ++i) wet[i] = reverb.Process(dry[i]);
    return wet;
}

Signal ReverbOneShot(const Signal& dry, double fs, double roomSize, double damping,
                     double tailSeconds) {
    Reverb reverb(fs, roomSize, damping);
    const size_t n = dry.size() + static_cast<size_t>(tailSeconds * fs);
    Signal wet(n);
    for (size_t i = 0; i < n; ++i) wet[i] = reverb.Process(i < dry.size() ? dry[i] : 0.0);
    return wet;
}

// ---- Dynamics and finishing ----

void Limit(Signal& s, double fs, double threshold, double attackMs, double releaseMs,
           bool circular) {
    const long n = static_cast<long>(s.size());
    if (n == 0) return;
    const long radius = std::max(1L, static_cast<long>(attackMs * 0.001 * fs));
    auto index = [&](long i) -> long {
        if (circular) return ((i % n) + n) % n;
        return std::clamp(i, 0L, n - 1);
    };
    // Gain each sample needs, spread over the look-ahead window.
    Signal need(s.size(), 1.0);
    for (long i = 0; i < n; ++i) {
        const double a = std::fabs(s[static_cast<size_t>(i)]);
        if (a <= threshold) continue;
        const double g = threshold / a;
        for (long k = -radius; k <= radius; ++k) {
            double& slot = need[static_cast<size_t>(index(i + k))];
            slot = std::min(slot, g);
        }
    }
    // Instant attack, exponential release.
    const double rel = 1.0 - std::exp(-1.0 / (releaseMs * 0.001 * fs));
    Signal gain(s.size());
    double g = 1.0;
    const int passes = circular ? 2 : 1;
    for (int p = 0; p < passes; ++p) {
        for (long i = 0; i < n; ++i) {
            g = std::min(need[static_cast<size_t>(i)], g + (1.0 - g) * rel);
            gain[static_cast<size_t>(i)] = g;
        }
    }
    // Box smoothing over the same window keeps every peak at or under threshold.
    double sum = 0.0;
    for (long k = -radius; k <= radius; ++k) sum += gain[static_cast<size_t>(index(k))];
    const double width = static_cast<double>(2 * radius + 1);
    for (long i = 0; i < n; ++i) {
        s[static_cast<size_t>(i)] *= sum / width;
        sum += gain[static_cast<size_t>(index(i + radius + 1))] -
               gain[static_cast<size_t>(index(i - radius))];
    }
}

double Peak(const Signal& s) {
    double p = 0.0;
    for (double x : s) p = std::max(p, std::fabs(x));
    return p;
}

double Mean(const Signal& s) {
    if (s.empty()) return 0.0;
    double sum = 0.0;
    for (double x : s) sum += x;
    return sum / static_cast<double>(s.size());
}

void Scale(Signal& s, double gain) {
    for (double& x : s) x *= gain;
}

void NormalizePeak(Signal& s, double peakDb) {
    const double p = Peak(s);
    if (p > 0.0) Scale(s, DbToGain(peakDb) / p);
}

void FadeEnds(Signal& s, double fs, double inMs, double outMs) {
    const size_t n = s.size();
    const size_t fin = std::min(n, static_cast<size_t>(inMs * 0.001 * fs));
    const size_t fout = std::min(n, static_cast<size_t>(outMs * 0.001 * fs));
    for (size_t i = 0; i < fin; ++i) s[i] *= 0.5 - 0.5 * std::cos(kPi * i / fin);
    for (size_t i = 0; i < fout; ++i) s[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / fout);
}

void TrimTail(Signal& s, double fs, double thresholdDb) {
    const double limit = Peak(s) * DbToGain(thresholdDb);
    size_t last = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::fabs(s[i]) > limit) last = i;
    }
    const size_t keep = std::min(s.size(), last + static_cast<size_t>(0.02 * fs));
    s.resize(keep);
}

void FinishOneShot(Signal& s, double fs, double peakDb) {
    Biquad dc;
    dc.SetHighPass(fs, 18.0, 0.7071);
    ApplyFilter(s, dc, false);
    TrimTail(s, fs, -66.0);
    FadeEnds(s, fs, 0.3, 12.0);
    NormalizePeak(s, peakDb);
}

void FinishLoop(Signal& s, double fs, double peakDb) {
    Biquad dc;
    dc.SetHighPass(fs, 18.0, 0.7071);
    ApplyFilter(s, dc, true);
    const double m = Mean(s);
    for (double& x : s) x -= m;
    NormalizePeak(s, peakDb);
}

// ---- WAV ----

namespace {
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }
}  // namespace

bool WriteWav16(const std::string& path, const Signal& s, int sampleRate, std::string& error) {
    const uint32_t dataBytes = static_cast<uint32_t>(s.size() * 2);
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    PutTag(bytes, "RIFF");
    PutU32(bytes, 36 + dataBytes);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);  // PCM
    PutU16(bytes, 1);  // mono
    PutU32(bytes, static_cast<uint32_t>(sampleRate));
    PutU32(bytes, static_cast<uint32_t>(sampleRate) * 2);
    PutU16(bytes, 2);
    PutU16(bytes, 16);
    PutTag(bytes, "data");
    PutU32(bytes, dataBytes);
    for (double x : s) {
        const double v = std::round(std::clamp(x, -1.0, 1.0) * 32767.0);
        PutU16(bytes, static_cast<uint16_t>(static_cast<int16_t>(v)));
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot open " + path + " for writing";
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace synth
