// Every sound effect of the game. One-shots start and end in silence; loops
// are rendered into a ring of an exact whole number of periods.
//
// Levels: the game's volumes range from 0.05 (music) to 1.0 (clock, laser
// hit), so a file's level sets how loud it is in play. Most files peak at
// -1 dBFS. Those the game plays loud peak lower (ticks -6/-5, bell -9, laser
// hit -7, jewel hit -5, confirm -3, hover -6), so that, at their game volumes,
// feedback sounds sit some 10-20 dB over the music and none of them shouts.
#include <algorithm>
#include <cmath>

#include "tools/content/SynthSounds.h"
#include "tools/content/SynthVoices.h"

namespace synth {

namespace {

constexpr double kFs = 44100.0;

size_t At(double seconds) { return static_cast<size_t>(std::lround(seconds * kFs)); }

void Put(Signal& dst, const Signal& src, double seconds, double gain) {
    MixInto(dst, src, static_cast<long>(At(seconds)), gain, false);
}

void PutWrapped(Signal& ring, const Signal& src, double seconds, double gain) {
    MixInto(ring, src, static_cast<long>(At(seconds)), gain, true);
}

SoundFile OneShot(const char* name, Signal s, double peakDb) {
    FinishOneShot(s, kFs, peakDb);
    return {name, static_cast<int>(kFs), false, std::move(s)};
}

SoundFile Loop(const char* name, Signal s, double peakDb) {
    FinishLoop(s, kFs, peakDb);
    return {name, static_cast<int>(kFs), true, std::move(s)};
}

// Mixes the one-shot's own small-room reverb in.
void AddRoom(Signal& s, double roomSize, double wetGain, double tailSeconds) {
    Signal wet = ReverbOneShot(s, kFs, roomSize, 0.4, tailSeconds);
    s.resize(wet.size(), 0.0);
    for (size_t i = 0; i < s.size(); ++i) s[i] += wet[i] * wetGain;
}

// A buzzing electric motor whose pitch glides linearly from f0 to f1, held
// for the given time with short soft ends.
Signal Motor(double seconds, double f0, double f1) {
    Signal s(At(seconds), 0.0);
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / s.size();
        const double f = f0 + (f1 - f0) * t;
        double v = 0.0;
        for (int k = 1; k <= 14 && f * k < 0.45 * kFs; ++k) v += std::sin(phase * k) / std::pow(k, 1.3);
        s[i] = v;
        phase += 2.0 * kPi * f / kFs;
        if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
    }
    Biquad tone;
    tone.SetLowPass(kFs, 1800.0, 0.7);
    ApplyFilter(s, tone, false);
    FadeEnds(s, kFs, 25.0, 45.0);
    return s;
}

// A multiplicative window that dips to silence over ms at both ends of a loop,
// so that a loop played once (as the game sometimes does) starts and stops
// without a click. Inaudible inside a dense texture.
void DipAtSeam(Signal& s, double ms) {
    const size_t width = std::max<size_t>(1, At(ms * 0.001));
    for (size_t i = 0; i < width && i < s.size(); ++i) {
        const double w = std::sin(0.5 * kPi * static_cast<double>(i) / width);
        s[i] *= w * w;
        s[s.size() - 1 - i] *= w * w;
    }
}

// ---- menu ----

SoundFile Determination() {
    Signal s(At(2.0), 0.0);
    const std::vector<Partial> chime = {
        {1.0, 1.0, 0.45}, {2.0, 0.3, 0.22}, {3.0, 0.12, 0.1}, {4.16, 0.08, 0.05}};
    Put(s, Tone(kFs, 1.8, MidiToHz(86), chime, 0.5), 0.0, 0.7);    // D6
    Put(s, Tone(kFs, 1.8, MidiToHz(93), chime, 0.5), 0.075, 1.0);  // A6
    Put(s, Tone(kFs, 1.8, MidiToHz(98), chime, 0.5), 0.075, 0.2);  // D7 shimmer
    Damp(s, kFs, 0.45, 0.12);
    AddRoom(s, 0.7, 0.6, 0.5);
    return OneShot("Determination.wav", s, -3.0);
}

SoundFile Cursor() {
    Rng rng(11);
    Signal s = Tone(kFs, 0.08, 2000.0, {{1.0, 1.0, 0.012}, {2.5, 0.3, 0.006}}, 0.3);
    Put(s, NoiseHit(rng, kFs, 0.01, NoiseShape::HighPass, 4000.0, 0.7, 0.1, 0.002), 0.0, 0.3);
    return OneShot("Cursor.wav", s, -6.0);
}

// ---- hook gun ----

// A rattle of chain links over a whirring hiss; 0.6 s ring with a noise
// modulation of 10 Hz (6 whole cycles) and a zip of 30 Hz (18 cycles).
SoundFile Chain() {
    Rng rng(21);
    const double period = 0.6;
    Signal ring(At(period), 0.0);
    for (int i = 0; i < 54; ++i) {
        const double when = rng.Range(0.0, period);
        const double tau = rng.Range(0.004, 0.012);
        std::vector<Partial> clink = {{rng.Range(2200, 6500), 1.0, tau},
                                      {rng.Range(2200, 6500), rng.Range(0.3, 0.8), tau * 0.8},
                                      {rng.Range(900, 1600), rng.Range(0.1, 0.5), tau * 1.5}};
        PutWrapped(ring, Tone(kFs, 0.06, 1.0, clink, 0.2), when, rng.Range(0.3, 1.0));
    }
    Signal hiss(ring.size()), zip(ring.size());
    for (size_t i = 0; i < ring.size(); ++i) {
        hiss[i] = rng.Bipolar();
        zip[i] = rng.Bipolar();
    }
    Biquad band;
    band.SetBandPass(kFs, 3000.0, 0.8);
    ApplyFilter(hiss, band, true);
    band.SetBandPass(kFs, 1200.0, 2.0);
    ApplyFilter(zip, band, true);
    for (size_t i = 0; i < ring.size(); ++i) {
        const double t = i / kFs;
        const double am = 0.35 + 0.65 * (0.5 - 0.5 * std::cos(2.0 * kPi * 10.0 * t));
        const double buzz = 0.5 - 0.5 * std::cos(2.0 * kPi * 30.0 * t);
        ring[i] += 0.35 * am * hiss[i] + 0.25 * buzz * zip[i];
    }
    Biquad low;
    low.SetHighPass(kFs, 150.0, 0.7071);
    ApplyFilter(ring, low, true);
    DipAtSeam(ring, 4.0);
    return Loop("HookGun/Chain.wav", ring, -1.0);
}

SoundFile HookHit() {
    Rng rng(22);
    Signal s(At(1.2), 0.0);
    Put(s, Sweep(kFs, 0.3, 160.0, 80.0, 0.03, 0.06, 0.5), 0.0, 0.6);
    Put(s, Tone(kFs, 1.2, 1.0,
                {{1150, 0.5, 0.18}, {2870, 0.35, 0.12}, {4410, 0.25, 0.07}, {6020, 0.15, 0.04}}, 0.3),
        0.0, 1.0);
    Put(s, NoiseHit(rng, kFs, 0.05, NoiseShape::BandPass, 3000.0, 0.8, 0.1, 0.01), 0.0, 0.8);
    return OneShot("HookGun/HookHit.wav", s, -1.0);
}

SoundFile JewelHit() {
    Rng rng(23);
    Signal s(At(3.0), 0.0);
    const double a6 = MidiToHz(93);
    Put(s, Tone(kFs, 3.0, a6,
                {{1.0, 1.0, 0.45}, {1.5, 0.45, 0.35}, {2.0, 0.35, 0.3}, {2.004, 0.2, 0.3},
                 {2.76, 0.18, 0.08}, {3.0, 0.12, 0.12}},
                0.3),
        0.0, 1.0);
    Put(s, Tone(kFs, 2.0, MidiToHz(100), {{1.0, 1.0, 0.25}, {2.0, 0.2, 0.1}}, 0.3), 0.06, 0.45);
    Damp(s, kFs, 0.7, 0.2);
    Put(s, NoiseHit(rng, kFs, 0.02, NoiseShape::HighPass, 5000.0, 0.7, 0.1, 0.004), 0.0, 0.5);
    AddRoom(s, 0.75, 0.7, 0.6);
    return OneShot("HookGun/JewelHit.wav", s, -5.0);
}

// ---- gimmicks ----

SoundFile BoxLanding() {
    Rng rng(31);
    Signal s(At(0.7), 0.0);
    Put(s, Sweep(kFs, 0.7, 95.0, 42.0, 0.04, 0.14, 1.0), 0.0, 1.0);
    Put(s, NoiseHit(rng, kFs, 0.4, NoiseShape::LowPass, 500.0, 0.7, 1.0, 0.06), 0.0, 0.9);
    Put(s, Tone(kFs, 0.3, 1.0, {{180, 0.3, 0.05}, {305, 0.25, 0.04}, {520, 0.15, 0.03}}, 1.0), 0.0,
        1.0);
    for (double when : {0.035, 0.06, 0.085}) {
        Put(s, NoiseHit(rng, kFs, 0.03, NoiseShape::BandPass, 2000.0, 1.0, 0.2, 0.005), when, 0.12);
    }
    return OneShot("Box/BoxLanding.wav", s, -1.0);
}

SoundFile Button() {
    Rng rng(32);
    Signal s(At(0.25), 0.0);
    Put(s, Tone(kFs, 0.06, 1.0, {{2400, 0.5, 0.008}}, 0.2), 0.0, 1.0);
    Put(s, NoiseHit(rng, kFs, 0.02, NoiseShape::BandPass, 3200.0, 0.9, 0.1, 0.004), 0.0, 0.6);
    Put(s, Tone(kFs, 0.08, 1.0, {{1500, 0.45, 0.014}, {3100, 0.2, 0.006}}, 0.2), 0.03, 1.0);
    Put(s, NoiseHit(rng, kFs, 0.02, NoiseShape::BandPass, 2200.0, 0.9, 0.1, 0.004), 0.03, 0.5);
    Put(s, Sweep(kFs, 0.2, 180.0, 110.0, 0.02, 0.035, 1.0), 0.03, 0.5);
    return OneShot("Button/Button.wav", s, -1.0);
}

// The door panel travels for 15 frames (0.25 s): a motor glides for that
// long, then the panel stops with a clunk (open) or a slam (close).
SoundFile DoorOpen() {
    Rng rng(33);
    Signal s(At(0.6), 0.0);
    Put(s, Motor(0.27, 95.0, 170.0), 0.0, 0.6);
    Signal hiss = NoiseHit(rng, kFs, 0.27, NoiseShape::BandPass, 1800.0, 0.7, 20.0, 1e9);
    FadeEnds(hiss, kFs, 20.0, 40.0);
    Put(s, hiss, 0.0, 0.5);
    Put(s, Sweep(kFs, 0.3, 140.0, 70.0, 0.02, 0.05, 1.0), 0.25, 0.6);
    Put(s, NoiseHit(rng, kFs, 0.1, NoiseShape::LowPass, 1500.0, 0.7, 0.3, 0.02), 0.25, 0.35);
    Put(s, Tone(kFs, 0.3, 1.0, {{820, 0.15, 0.06}, {1630, 0.1, 0.04}}, 0.3), 0.25, 1.0);
    return OneShot("Door/DoorOpen.wav", s, -1.0);
}

SoundFile DoorClose() {
    Rng rng(34);
    Signal s(At(0.75), 0.0);
    Put(s, Motor(0.26, 170.0, 95.0), 0.0, 0.6);
    Signal hiss = NoiseHit(rng, kFs, 0.26, NoiseShape::BandPass, 1500.0, 0.7, 20.0, 1e9);
    FadeEnds(hiss, kFs, 20.0, 30.0);
    Put(s, hiss, 0.0, 0.5);
    Put(s, Sweep(kFs, 0.5, 110.0, 50.0, 0.03, 0.12, 1.0), 0.25, 1.1);
    Put(s, NoiseHit(rng, kFs, 0.3, NoiseShape::LowPass, 800.0, 0.7, 0.3, 0.05), 0.25, 0.7);
    Put(s, Tone(kFs, 0.4, 1.0, {{640, 0.15, 0.08}, {1280, 0.06, 0.05}}, 0.3), 0.25, 1.0);
    return OneShot("Door/DoorClose.wav", s, -1.0);
}

// Clock escapement: a bright tick and a lower tock, each a few milliseconds.
Signal TickSound(Rng& rng, double pitch, double brightness) {
    Signal s = Tone(kFs, 0.06, pitch,
                    {{3200, 0.6, 0.004}, {5100, 0.3 * brightness, 0.003}, {950, 0.35, 0.012}}, 0.2);
    Put(s, NoiseHit(rng, kFs, 0.01, NoiseShape::HighPass, 4000.0, 0.7, 0.05, 0.002), 0.0,
        0.5 * brightness);
    return s;
}

SoundFile Timer1() {
    Rng rng(41);
    Signal ring(At(1.0), 0.0);  // tick-tock, one beat every 0.5 s
    PutWrapped(ring, TickSound(rng, 1.0, 1.0), 0.0, 1.0);
    PutWrapped(ring, TickSound(rng, 0.78, 0.8), 0.5, 0.9);
    return Loop("Door/Time/Timer1.wav", ring, -6.0);
}

SoundFile Timer2() {
    Rng rng(42);
    Signal ring(At(0.5), 0.0);  // twice as fast, higher, with a doubled click
    for (int beat = 0; beat < 2; ++beat) {
        const double pitch = beat == 0 ? 1.25 : 1.05;
        PutWrapped(ring, TickSound(rng, pitch, 1.3), beat * 0.25, 1.0);
        PutWrapped(ring, TickSound(rng, pitch * 1.2, 1.0), beat * 0.25 + 0.014, 0.45);
    }
    return Loop("Door/Time/Timer2.wav", ring, -5.0);
}

SoundFile Bell() {
    Rng rng(43);
    Signal s(At(3.0), 0.0);
    const std::vector<Partial> bell = {
        {0.5, 0.2, 1.4},  {1.0, 1.0, 1.2},  {1.003, 0.5, 1.2}, {1.19, 0.3, 0.7}, {1.56, 0.25, 0.6},
        {2.0, 0.4, 0.5},  {2.51, 0.18, 0.3}, {3.01, 0.12, 0.2}, {4.07, 0.06, 0.1}};
    const double c6 = MidiToHz(84);
    for (int strike = 0; strike < 2; ++strike) {
        const double when = strike * 0.16;
        Put(s, Tone(kFs, 3.0, c6, bell, 0.3), when, strike == 0 ? 1.0 : 0.8);
        Put(s, NoiseHit(rng, kFs, 0.02, NoiseShape::HighPass, 3000.0, 0.7, 0.1, 0.003), when, 0.3);
    }
    Damp(s, kFs, 1.4, 0.3);  // the ring is muted before the next attempt
    return OneShot("Door/Time/Bell.wav", s, -9.0);
}

SoundFile LaserHit() {
    Rng rng(51);
    Signal s(At(1.0), 0.0);
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = i / kFs;
        const double f = 110.0 + 900.0 * std::exp(-t / 0.12);
        double saw = 0.0;
        for (int k = 1; k < 40 && f * k < 0.45 * kFs; ++k) saw += std::sin(phase * k) / k;
        const double buzz = 0.7 + 0.3 * (std::sin(2.0 * kPi * 47.0 * t) > 0.0 ? 1.0 : -1.0);
        s[i] = saw * buzz * std::exp(-t / 0.25);
        phase += 2.0 * kPi * f / kFs;
        if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
    }
    for (int i = 0; i < 14; ++i) {
        const double when = rng.Range(0.0, 0.4);
        Put(s, NoiseHit(rng, kFs, 0.03, NoiseShape::HighPass, 2500.0, 0.7, 0.1, 0.004), when,
            rng.Range(0.3, 0.8) * (1.0 - when));
    }
    Biquad soften;
    soften.SetLowPass(kFs, 5000.0, 0.7071);
    ApplyFilter(s, soften, false);
    Put(s, Sweep(kFs, 0.9, 120.0, 45.0, 0.05, 0.12, 1.0), 0.0, 0.8);
    Damp(s, kFs, 0.5, 0.08);
    return OneShot("Laser/LaserHit.wav", s, -7.0);
}

// A mains-like hum: whole-hertz partials over a 1 s ring, so every component
// completes whole cycles; 360/361 Hz beat once per loop.
SoundFile LaserHum() {
    Rng rng(52);
    Signal ring(At(1.0), 0.0);
    const double partials[][2] = {{120, 1.0}, {240, 0.5}, {360, 0.3}, {361, 0.2},
                                  {480, 0.15}, {600, 0.1}, {1320, 0.03}};
    for (size_t i = 0; i < ring.size(); ++i) {
        const double t = i / kFs;
        for (const auto& p : partials) ring[i] += p[1] * std::sin(2.0 * kPi * p[0] * t);
    }
    Signal fizz(ring.size());
    for (double& x : fizz) x = rng.Bipolar();
    Biquad band;
    band.SetBandPass(kFs, 3000.0, 0.7);
    ApplyFilter(fizz, band, true);
    for (size_t i = 0; i < ring.size(); ++i) ring[i] += 0.04 * fizz[i];
    return Loop("Laser/laser.wav", ring, -1.0);
}

// ---- jewel ----

SoundFile JewelGet() {
    Rng rng(61);
    Signal s(At(3.2), 0.0);
    // A major arpeggio up to the octave, then a ringing chord with sparkles.
    const int arpeggio[] = {81, 85, 88, 93};  // A5 C#6 E6 A6
    for (int i = 0; i < 4; ++i) {
        Put(s, Celesta(kFs, MidiToHz(arpeggio[i]), 0.3, 0.9, rng), i * 0.07, 0.5);
    }
    for (int note : {69, 73, 76, 83}) {  // A4 C#5 E5 B5
        Put(s, Vibraphone(kFs, MidiToHz(note), 0.9, 0.8, rng), 0.3, 0.28);
    }
    for (int note : {69, 73, 76}) {
        Put(s, StringPad(kFs, MidiToHz(note), 0.7, 0.8, rng), 0.28, 0.06);
    }
    const int sparkle[] = {93, 95, 97, 100, 102, 105};  // A major pentatonic, high
    for (int i = 0; i < 26; ++i) {
        const double when = 0.22 + 1.5 * std::pow(rng.Uniform(), 1.6);
        const int note = sparkle[rng.NextU32() % 6];
        Put(s, Tone(kFs, 2.0, MidiToHz(note), {{1.0, 1.0, rng.Range(0.12, 0.28)}, {2.76, 0.2, 0.04}}, 0.3),
            when, rng.Range(0.08, 0.22) * (1.7 - when) / 1.7);
    }
    // A breath of air that swells and fades under the arpeggio.
    Signal swell = NoiseHit(rng, kFs, 0.9, NoiseShape::HighPass, 4000.0, 0.7, 0.0, 1e9);
    for (size_t i = 0; i < swell.size(); ++i) {
        const double w = std::sin(kPi * static_cast<double>(i) / swell.size());
        swell[i] *= w * w;
    }
    Put(s, swell, 0.0, 0.04);
    AddRoom(s, 0.82, 0.8, 1.0);
    // Held up against the louder hook sound that plays with it.
    Limit(s, kFs, Peak(s) * DbToGain(-6.0), 1.0, 80.0, false);
    return OneShot("Jewel/JewelGet.wav", s, -1.0);
}

// ---- player ----

SoundFile Landing() {
    Rng rng(71);
    Signal s(At(0.35), 0.0);
    Put(s, Sweep(kFs, 0.35, 110.0, 55.0, 0.03, 0.07, 1.0), 0.0, 0.9);
    Put(s, NoiseHit(rng, kFs, 0.25, NoiseShape::LowPass, 700.0, 0.7, 0.5, 0.04), 0.0, 0.8);
    Put(s, NoiseHit(rng, kFs, 0.15, NoiseShape::BandPass, 2200.0, 0.9, 0.5, 0.025), 0.005, 0.3);
    return OneShot("Player/Landing.wav", s, -1.0);
}

// One footfall: heel knock, then the toe's scuff 55 ms later.
Signal Step(Rng& rng, double pitch) {
    Signal s(At(0.3), 0.0);
    Put(s, Sweep(kFs, 0.2, 140.0 * pitch, 80.0 * pitch, 0.02, 0.035, 1.0), 0.0, 0.7);
    Put(s, NoiseHit(rng, kFs, 0.15, NoiseShape::LowPass, 1100.0, 0.7, 0.5, 0.025), 0.0, 0.6);
    Put(s, NoiseHit(rng, kFs, 0.1, NoiseShape::BandPass, 2400.0, 0.8, 1.0, 0.018), 0.055, 0.3);
    Put(s, NoiseHit(rng, kFs, 0.1, NoiseShape::LowPass, 600.0, 0.7, 1.0, 0.02), 0.055, 0.3);
    return s;
}

// Two steps, left and right, 0.45 s apart: a 0.9 s walking cycle.
SoundFile FootStep() {
    Rng rng(72);
    Signal ring(At(0.9), 0.0);
    PutWrapped(ring, Step(rng, 1.0), 0.0, 1.0);
    PutWrapped(ring, Step(rng, 0.92), 0.45, 0.9);
    return Loop("Player/FootStep.wav", ring, -1.0);
}

}  // namespace

std::vector<SoundFile> MakeEffects() {
    return {Determination(), Cursor(),     Chain(),    HookHit(),   JewelHit(),
            BoxLanding(),    Button(),     JewelGet(), DoorOpen(),  DoorClose(),
            Timer1(),        Timer2(),     Bell(),     LaserHit(),  LaserHum(),
            Landing(),       FootStep()};
}

}  // namespace synth
