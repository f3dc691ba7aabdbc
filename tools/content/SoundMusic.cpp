// The pieces of music: the title's, the one the stages share and stage 3's
// own. Each is written bar by bar as text phrases (see SynthSequencer.h),
// rendered into a ring exactly a whole number of bars long, given a circular
// reverb, limited gently and normalised to -1 dBFS.
#include <cmath>
#include <string>
#include <vector>

#include "tools/content/SynthSequencer.h"
#include "tools/content/SynthSounds.h"

namespace synth {

namespace {

constexpr double kMusicRate = 32000.0;

struct Bus {
    Signal dry;
    Signal send;  // into the reverb
};

// Renders one part into the dry bus and, scaled by reverbSend, into the send.
void AddPart(Bus& bus, const std::vector<NoteEvent>& notes, Instrument voice,
             const Timeline& timeline, const TrackStyle& style, double reverbSend, uint32_t seed) {
    Signal part(bus.dry.size(), 0.0);
    Rng rng(seed);
    RenderTrack(notes, voice, timeline, kMusicRate, style, rng, part);
    for (size_t i = 0; i < part.size(); ++i) {
        bus.dry[i] += part[i];
        bus.send[i] += part[i] * reverbSend;
    }
}

// Phrases given one per bar, each four beats long.
std::vector<NoteEvent> Bars(const std::vector<std::string>& bars, double firstBar,
                            double velocity) {
    std::vector<NoteEvent> notes;
    for (size_t b = 0; b < bars.size(); ++b) {
        ParsePhrase(bars[b], (firstBar + b) * 4.0, velocity, notes);
    }
    return notes;
}

// Same drum grid in every bar of a range.
void GridBars(const std::string& grid, int firstBar, int barCount, double stepBeats,
              std::vector<NoteEvent>& out) {
    for (int b = firstBar; b < firstBar + barCount; ++b) ParseGrid(grid, b * 4.0, stepBeats, out);
}

// Reverb, a rumble filter, gentle peak limiting and normalisation, all
// circular so the loop stays seamless.
Signal Master(const Bus& bus, double roomSize, double damping, double wetGain,
              double limitDb) {
    Signal wet = ReverbLoop(bus.send, kMusicRate, roomSize, damping);
    Signal mix(bus.dry.size());
    for (size_t i = 0; i < mix.size(); ++i) mix[i] = bus.dry[i] + wet[i] * wetGain;
    Biquad rumble;
    rumble.SetHighPass(kMusicRate, 35.0, 0.7071);
    ApplyFilter(mix, rumble, true);
    Limit(mix, kMusicRate, Peak(mix) * DbToGain(-limitDb), 1.5, 120.0, true);
    FinishLoop(mix, kMusicRate, -1.0);
    return mix;
}

// Title and clear screens: a slow swung jazz ballad in D minor,
// "after hours in the vault": upright bass walking, electric piano comping,
// vibraphone melody, brushes and ride, a string pad underneath and a
// music-box echo of the melody in the second half.
SoundFile TitleMusic() {
    const Timeline timeline{80.0, 0.62, 1.0};
    const int bars = 8;
    const size_t length = static_cast<size_t>(std::lround(timeline.Seconds(bars * 4.0) * kMusicRate));
    Bus bus{Signal(length, 0.0), Signal(length, 0.0)};

    // Dm9 | Em7b5 A7b9 | Dm9 | Bbmaj9 A7 | Gm9 | C13 | Fmaj9 Bbmaj7#11 | Em7b5 A7alt
    const std::vector<std::string> bass = {
        "D2:1/0.9 F2:1 A2:1 D#2:1",   "E2:1/0.9 G2:1 A2:1 C#2:1",
        "D2:1/0.9 E2:1 F2:1 A2:1",    "Bb2:1/0.9 F2:1 A2:1 Ab2:1",
        "G2:1/0.9 A2:1 Bb2:1 B2:1",   "C3:1/0.9 Bb2:1 G2:1 E2:1",
        "F2:1/0.9 A2:1 Bb2:1 F2:1",   "E2:1/0.9 G2:1 A2:1 C#2:1"};
    const std::vector<std::string> comp = {
        "F3+A3+C4+E4:1.5/0.7 F3+A3+C4+E4:2.5/0.5",
        "G3+Bb3+D4+E4:1.5/0.65 G3+Bb3+C#4+E4:2.5/0.6",
        "r:0.5 F3+A3+C4+E4:1.5/0.6 F3+A3+C4+E4:2/0.5",
        "A3+C4+D4+F4:1.5/0.65 G3+A3+C#4+E4:2.5/0.6",
        "F3+A3+Bb3+D4:1.5/0.65 F3+A3+Bb3+D4:2.5/0.5",
        "r:0.5 Bb3+D4+E4+A4:1.5/0.6 Bb3+D4+E4+A4:2/0.5",
        "A3+C4+E4+G4:1.5/0.65 A3+D4+E4+F4:2.5/0.6",
        "G3+Bb3+D4+E4:1.5/0.65 G3+Bb3+C#4+F4:2.5/0.6"};
    const std::vector<std::string> pad = {
        "A3+C4+E4:4",          "G3+Bb3+D4:2 G3+C#4+E4:2", "A3+C4+E4:4",
        "A3+D4+F4:2 G3+C#4+E4:2", "Bb3+D4+F4:4",           "Bb3+E4+A4:4",
        "A3+C4+E4:2 A3+D4+F4:2", "G3+Bb3+D4:2 G3+C#4+F4:2"};
    const std::vector<std::string> melody = {
        "r:1 A4:0.5/0.7 C5:0.5/0.75 E5:1/0.9 D5:0.5/0.7 C5:0.5/0.7",
        "Bb4:1.5/0.85 A4:0.5/0.6 G4:0.5/0.65 Bb4:0.5/0.7 C#5:1/0.85",
        "D5:1/0.85 r:0.5 F5:0.5/0.7 A5:1.5/0.95 G5:0.5/0.7",
        "F5:1/0.85 E5:0.5/0.7 D5:0.5/0.7 C#5:1.5/0.85 r:0.5",
        "r:0.5 D5:0.5/0.65 F5:0.5/0.7 A5:0.5/0.75 Bb5:1/0.95 A5:0.5/0.7 F5:0.5/0.65",
        "G5:1.5/0.9 E5:0.5/0.65 A5:1/0.9 G5:0.5/0.7 E5:0.5/0.65",
        "F5:0.5/0.8 E5:0.5/0.65 C5:0.5/0.65 A4:0.5/0.6 D5:1/0.85 E5:0.5/0.7 F5:0.5/0.7",
        "G5:1.5/0.9 F5:0.5/0.7 E5:0.5/0.7 C#5:0.5/0.7 Bb4:0.5/0.65 G4:0.5/0.6"};

    AddPart(bus, Bars(bass, 0, 0.8), UprightBass, timeline, {0.3, 6.0, 0.06, 0.0}, 0.05, 101);
    AddPart(bus, Bars(comp, 0, 0.6), ElectricPiano, timeline, {0.15, 8.0, 0.05, 0.0}, 0.35, 102);
    AddPart(bus, Bars(pad, 0, 0.6), StringPad, timeline, {0.045, 0.0, 0.0, 0.0}, 0.6, 103);
    AddPart(bus, Bars(melody, 0, 0.8), Vibraphone, timeline, {0.36, 6.0, 0.05, 0.0}, 0.5, 104);
    const std::vector<std::string> echo(melody.begin() + 4, melody.end());
    AddPart(bus, Bars(echo, 4, 0.8), MusicBox, timeline, {0.07, 4.0, 0.05, 12.0}, 0.7, 105);

    std::vector<NoteEvent> ride, pedal, slap, swish, feather;
    GridBars("x-Xox-Xo", 0, bars, 0.5, ride);
    GridBars("--x---x-", 0, bars, 0.5, pedal);
    GridBars("--o---o-", 0, bars - 1, 0.5, slap);
    ParseGrid("--o---o.", (bars - 1) * 4.0, 0.5, slap);  // pickup into the repeat
    GridBars("o-o-o-o-", 0, bars, 0.5, feather);
    for (int b = 0; b < bars; ++b) {
        swish.push_back({b * 4.0, 2.0, 60.0, 0.5});
        swish.push_back({b * 4.0 + 2.0, 2.0, 60.0, 0.45});
    }
    AddPart(bus, ride, Ride, timeline, {0.14, 4.0, 0.1, 0.0}, 0.25, 106);
    AddPart(bus, pedal, HatPedal, timeline, {0.12, 4.0, 0.1, 0.0}, 0.2, 107);
    AddPart(bus, slap, BrushSlap, timeline, {0.22, 5.0, 0.1, 0.0}, 0.3, 108);
    AddPart(bus, swish, BrushSwish, timeline, {0.05, 0.0, 0.1, 0.0}, 0.2, 109);
    AddPart(bus, feather, Kick, timeline, {0.3, 3.0, 0.1, 0.0}, 0.0, 110);

    return {"BGM.wav", static_cast<int>(kMusicRate), true, Master(bus, 0.86, 0.35, 2.5, 4.0)};
}

// In-game: a steady, curious 120 bpm groove in A minor. Pizzicato bass and a
// marimba ostinato in a 3-3-2 figure under a sneaky chromatic clarinet tune
// (bars 1-8); the vibraphone takes the bridge (bars 9-16) over a string pad.
SoundFile GameMusic() {
    const Timeline timeline{120.0, 0.55, 0.5};
    const int bars = 16;
    const size_t length = static_cast<size_t>(std::lround(timeline.Seconds(bars * 4.0) * kMusicRate));
    Bus bus{Signal(length, 0.0), Signal(length, 0.0)};

    // Am | Am | Dm7 | E7 | Am | Am | F7 | E7 || Dm7 | G7 | Cmaj7 | Fmaj7 | Bm7b5 | E7 | Am | E7b9
    const std::vector<std::string> bass = {
        "A2:0.5/0.9 r:1 E2:0.5 A2:0.5 r:0.5 C3:0.5 B2:0.5",
        "A2:0.5/0.9 r:1 E2:0.5 A2:0.5 r:0.5 C3:0.5 C#3:0.5",
        "D3:0.5/0.9 r:1 A2:0.5 D2:0.5 r:0.5 F2:0.5 D#2:0.5",
        "E2:0.5/0.9 r:1 B2:0.5 E3:0.5 r:0.5 D3:0.5 G#2:0.5",
        "A2:0.5/0.9 r:1 E2:0.5 A2:0.5 r:0.5 C3:0.5 B2:0.5",
        "A2:0.5/0.9 r:1 E2:0.5 A2:0.5 r:0.5 G2:0.5 F#2:0.5",
        "F2:0.5/0.9 r:1 C3:0.5 F2:0.5 r:0.5 A2:0.5 F2:0.5",
        "E2:0.5/0.9 r:1 B2:0.5 E3:0.5 r:0.5 D3:0.5 C#3:0.5",
        "D3:0.5/0.9 r:1 A2:0.5 D3:0.5 r:0.5 F2:0.5 F#2:0.5",
        "G2:0.5/0.9 r:1 D3:0.5 G2:0.5 r:0.5 F2:0.5 B2:0.5",
        "C3:0.5/0.9 r:1 G2:0.5 C3:0.5 r:0.5 G2:0.5 E2:0.5",
        "F2:0.5/0.9 r:1 C3:0.5 F2:0.5 r:0.5 A2:0.5 A#2:0.5",
        "B2:0.5/0.9 r:1 F2:0.5 B2:0.5 r:0.5 D3:0.5 F2:0.5",
        "E2:0.5/0.9 r:1 B2:0.5 E3:0.5 r:0.5 D3:0.5 G#2:0.5",
        "A2:0.5/0.9 r:1 E2:0.5 A2:0.5 r:0.5 C3:0.5 F2:0.5",
        "E2:0.5/0.9 r:1 B2:0.5 E3:0.5 r:0.5 D3:0.5 G#2:0.5"};
    const std::vector<std::string> clarinet = {
        "r:1 E5:0.5/0.7 r:0.25 E5:0.25/0.6 F5:0.5/0.75 E5:0.5/0.7 D#5:0.5/0.65 E5:0.5/0.8",
        "C5:1/0.8 A4:0.5/0.65 r:0.5 B4:0.5/0.65 C5:0.5/0.7 D5:0.5/0.75 D#5:0.5/0.8",
        "E5:1.5/0.85 D5:0.5/0.7 F5:1/0.8 A5:0.5/0.85 F5:0.5/0.7",
        "G#5:1.5/0.85 F5:0.5/0.7 E5:0.5/0.7 D5:0.5/0.7 B4:1/0.75",
        "r:1 E5:0.5/0.7 r:0.25 E5:0.25/0.6 F5:0.5/0.75 E5:0.5/0.7 D#5:0.5/0.65 E5:0.5/0.8",
        "A5:1/0.85 G5:0.5/0.7 r:0.5 F5:0.5/0.7 E5:0.5/0.7 Eb5:0.5/0.7 D5:0.5/0.7",
        "C5:0.5/0.75 Eb5:0.5/0.7 F5:0.5/0.75 A5:0.5/0.8 G5:1/0.85 Eb5:1/0.75",
        "D5:0.5/0.75 C5:0.5/0.7 B4:0.5/0.7 G#4:0.5/0.7 B4:1/0.8 r:1"};
    const std::vector<std::string> bridge = {
        "A4:0.5/0.7 C5:0.5/0.75 F5:1.5/0.9 E5:0.5/0.7 D5:1/0.8",
        "B4:1.5/0.8 D5:0.5/0.7 F5:1/0.85 G5:1/0.85",
        "E5:1.5/0.85 G5:0.5/0.7 B5:1.5/0.95 A5:0.5/0.7",
        "A5:2/0.9 G5:0.5/0.7 F5:0.5/0.7 E5:0.5/0.7 C5:0.5/0.7",
        "D5:1.5/0.8 F5:0.5/0.7 A5:1/0.85 G#5:0.5/0.7 A5:0.5/0.75",
        "B5:1/0.9 G#5:0.5/0.7 E5:0.5/0.7 D5:1/0.8 B4:1/0.75",
        "C5:1.5/0.85 B4:0.5/0.7 A4:1/0.8 E4:0.5/0.65 A4:0.5/0.7",
        "G#4:1/0.8 B4:0.5/0.7 D5:0.5/0.7 F5:1/0.85 E5:1/0.8"};
    const std::vector<std::string> pad = {
        "F3+A3+C4:4", "F3+B3+D4:4", "E3+G3+B3:4", "E3+A3+C4:4",
        "D3+F3+A3:4", "D3+G#3+B3:4", "A3+C4+E4:4", "D3+F3+G#3:4"};

    // Marimba ostinato: a 3-3-2 figure of sixteenths through each bar's chord.
    static const int kChords[16][4] = {
        {57, 64, 69, 72}, {57, 64, 69, 72}, {62, 65, 69, 72}, {59, 64, 68, 74},
        {57, 64, 69, 72}, {57, 64, 69, 72}, {60, 65, 69, 75}, {59, 64, 68, 74},
        {62, 65, 69, 72}, {59, 62, 65, 67}, {60, 64, 67, 71}, {60, 64, 65, 69},
        {59, 62, 65, 69}, {59, 64, 68, 74}, {57, 64, 69, 72}, {59, 64, 65, 68}};
    static const int kSteps[6] = {0, 3, 6, 8, 11, 14};
    static const int kTone[6] = {0, 2, 1, 3, 2, 1};
    static const double kAccent[6] = {0.9, 0.6, 0.7, 0.8, 0.6, 0.65};
    std::vector<NoteEvent> ostinato;
    for (int b = 0; b < bars; ++b) {
        for (int i = 0; i < 6; ++i) {
            ostinato.push_back({b * 4.0 + kSteps[i] * 0.25, 0.25,
                                static_cast<double>(kChords[b][kTone[i]]), kAccent[i]});
        }
    }

    AddPart(bus, Bars(bass, 0, 0.8), PizzBass, timeline, {0.33, 3.0, 0.05, 0.0}, 0.08, 201);
    AddPart(bus, ostinato, Marimba, timeline, {0.2, 3.0, 0.08, 0.0}, 0.25, 202);
    AddPart(bus, Bars(clarinet, 0, 0.8), Clarinet, timeline, {0.3, 4.0, 0.04, 0.0}, 0.3, 203);
    AddPart(bus, Bars(bridge, 8, 0.8), Vibraphone, timeline, {0.3, 4.0, 0.05, 0.0}, 0.4, 204);
    AddPart(bus, Bars(bridge, 8, 0.8), Celesta, timeline, {0.05, 4.0, 0.05, 12.0}, 0.5, 205);
    AddPart(bus, Bars(pad, 8, 0.6), StringPad, timeline, {0.05, 0.0, 0.0, 0.0}, 0.5, 206);

    std::vector<NoteEvent> kick, rim, hat, shaker, snap;
    GridBars("X-----x-x-------", 0, 8, 0.25, kick);
    GridBars("X-----x-X-----o-", 8, 8, 0.25, kick);
    for (int b = 0; b < bars; ++b) {
        const bool fill = b % 8 == 7;
        ParseGrid(fill ? "----x-----o-x-ox" : "----x-------x---", b * 4.0, 0.25, rim);
        if (b % 4 == 3 && !fill) ParseGrid("------------x---", b * 4.0, 0.25, snap);
    }
    GridBars("x-o-x-o-x-o-x-o-", 0, bars, 0.25, hat);
    GridBars("-.-.-.-.-.-.-.-.", 0, bars, 0.25, shaker);
    AddPart(bus, kick, Kick, timeline, {0.35, 2.0, 0.05, 0.0}, 0.0, 207);
    AddPart(bus, rim, RimClick, timeline, {0.32, 2.0, 0.08, 0.0}, 0.2, 208);
    AddPart(bus, snap, Snap, timeline, {0.4, 2.0, 0.05, 0.0}, 0.4, 209);
    AddPart(bus, hat, HatClosed, timeline, {0.16, 2.0, 0.1, 0.0}, 0.1, 210);
    AddPart(bus, shaker, Shaker, timeline, {0.14, 3.0, 0.15, 0.0}, 0.1, 211);

    return {"GameBGM.wav", static_cast<int>(kMusicRate), true, Master(bus, 0.78, 0.4, 2.5, 4.0)};
}

// Stage 3, the counting house: a darker, more deliberate 100 bpm piece in
// E minor for the stage that asks the player to think before acting. A
// habanera bass and a ticking celesta ostinato (the clocks of the time door)
// under a clarinet tune in bars 1-8; the marimba and vibraphone answer each
// other in bars 9-16 over a string pad.
SoundFile CountingHouseMusic() {
    const Timeline timeline{100.0, 0.54, 0.5};
    const int bars = 16;
    const size_t length = static_cast<size_t>(std::lround(timeline.Seconds(bars * 4.0) * kMusicRate));
    Bus bus{Signal(length, 0.0), Signal(length, 0.0)};

    // Em | Em | Am7 | B7 | Em | C7 | Am6 | B7 || Cmaj7 | Am7 | F#m7b5 | B7 | Em | Am6 | F#m7b5 B7 | Em B7
    const std::vector<std::string> bass = {
        "E2:0.75/0.9 B2:0.25/0.6 B2:0.5/0.7 G2:0.5/0.7 E2:1/0.8 B1:1/0.7",
        "E2:0.75/0.9 B2:0.25/0.6 B2:0.5/0.7 G2:0.5/0.7 E2:1/0.8 D#2:1/0.7",
        "A2:0.75/0.9 E2:0.25/0.6 E2:0.5/0.7 C3:0.5/0.7 A2:1/0.8 G2:1/0.7",
        "B2:0.75/0.9 F#2:0.25/0.6 F#2:0.5/0.7 A2:0.5/0.7 B2:1/0.8 D#2:1/0.7",
        "E2:0.75/0.9 B2:0.25/0.6 B2:0.5/0.7 G2:0.5/0.7 E2:1/0.8 B1:1/0.7",
        "C3:0.75/0.9 G2:0.25/0.6 G2:0.5/0.7 Bb2:0.5/0.7 C3:1/0.8 E2:1/0.7",
        "A2:0.75/0.9 E2:0.25/0.6 E2:0.5/0.7 F#2:0.5/0.7 A2:1/0.8 C3:1/0.7",
        "B2:0.75/0.9 F#2:0.25/0.6 F#2:0.5/0.7 D#2:0.5/0.7 B1:1/0.8 B2:1/0.7",
        "C3:0.75/0.9 G2:0.25/0.6 G2:0.5/0.7 E2:0.5/0.7 C3:1/0.8 B2:1/0.7",
        "A2:0.75/0.9 E2:0.25/0.6 E2:0.5/0.7 G2:0.5/0.7 A2:1/0.8 A#2:1/0.7",
        "F#2:0.75/0.9 C3:0.25/0.6 C3:0.5/0.7 A2:0.5/0.7 F#2:1/0.8 A2:1/0.7",
        "B2:0.75/0.9 F#2:0.25/0.6 F#2:0.5/0.7 A2:0.5/0.7 B2:1/0.8 D#2:1/0.7",
        "E2:0.75/0.9 B2:0.25/0.6 B2:0.5/0.7 G2:0.5/0.7 E2:1/0.8 D2:1/0.7",
        "A2:0.75/0.9 E2:0.25/0.6 E2:0.5/0.7 F#2:0.5/0.7 A2:1/0.8 C3:1/0.7",
        "F#2:0.75/0.9 C3:0.25/0.6 A2:1/0.7 B2:0.75/0.9 F#2:0.25/0.6 A2:1/0.7",
        "E2:0.75/0.9 B2:0.25/0.6 G2:1/0.7 B1:0.75/0.9 F#2:0.25/0.6 D#2:1/0.7"};
    const std::vector<std::string> clarinet = {
        "r:1 B4:0.5/0.7 C5:0.5/0.7 B4:1/0.8 G4:0.5/0.65 E4:0.5/0.65",
        "F#4:1.5/0.8 G4:0.5/0.65 A4:0.5/0.7 B4:0.5/0.7 D#5:1/0.85",
        "E5:1/0.85 C5:0.5/0.7 A4:0.5/0.65 E5:1/0.85 D5:0.5/0.7 C5:0.5/0.7",
        "B4:1.5/0.85 A4:0.5/0.65 F#4:0.5/0.65 A4:0.5/0.7 D#4:1/0.75",
        "r:1 B4:0.5/0.7 C5:0.5/0.7 B4:1/0.8 G4:0.5/0.65 E4:0.5/0.65",
        "Bb4:1.5/0.8 G4:0.5/0.65 E4:0.5/0.65 G4:0.5/0.7 C5:1/0.85",
        "C5:1/0.8 A4:0.5/0.7 F#4:0.5/0.65 E4:1/0.75 F#4:0.5/0.7 A4:0.5/0.7",
        "B4:2/0.85 A4:0.5/0.65 F#4:0.5/0.65 D#4:1/0.75"};
    const std::vector<std::string> answer = {
        "E5:0.5/0.75 G5:0.5/0.75 B5:1.5/0.9 A5:0.5/0.7 G5:1/0.8",
        "E5:1.5/0.8 C5:0.5/0.7 E5:1/0.8 G5:1/0.85",
        "A5:1/0.85 G5:0.5/0.7 E5:0.5/0.7 C5:1/0.8 A4:1/0.75",
        "D#5:1.5/0.85 F#5:0.5/0.7 A5:1/0.85 B5:1/0.9",
        "G5:1.5/0.85 F#5:0.5/0.7 E5:1/0.8 B4:1/0.75",
        "C5:1/0.8 E5:0.5/0.7 F#5:0.5/0.75 A5:1.5/0.85 G5:0.5/0.7",
        "F#5:1/0.8 E5:0.5/0.7 C5:0.5/0.7 B4:0.5/0.7 A4:0.5/0.7 D#5:1/0.8",
        "E5:2/0.85 r:1 B4:0.5/0.65 D#5:0.5/0.7"};
    const std::vector<std::string> pad = {
        "E3+G3+B3+D4:4", "C3+E3+G3+A3:4", "C3+E3+F#3+A3:4", "D#3+F#3+A3+B3:4",
        "E3+G3+B3:4",    "C3+E3+F#3+A3:4", "C3+E3+F#3:2 D#3+F#3+A3:2", "E3+G3+B3:2 D#3+F#3+A3:2"};

    // Celesta clock: eighths through each bar's chord, up and back.
    static const int kChords[16][4] = {
        {64, 67, 71, 76}, {64, 67, 71, 76}, {64, 67, 69, 72}, {63, 66, 69, 71},
        {64, 67, 71, 76}, {64, 67, 70, 72}, {64, 66, 69, 72}, {63, 66, 69, 71},
        {64, 67, 71, 72}, {64, 67, 69, 72}, {64, 66, 69, 72}, {63, 66, 69, 71},
        {64, 67, 71, 76}, {64, 66, 69, 72}, {64, 66, 69, 71}, {63, 66, 67, 71}};
    static const int kTone[8] = {0, 2, 1, 3, 2, 1, 3, 2};
    std::vector<NoteEvent> clock;
    for (int b = 0; b < bars; ++b) {
        for (int i = 0; i < 8; ++i) {
            clock.push_back({b * 4.0 + i * 0.5, 0.5, static_cast<double>(kChords[b][kTone[i]]),
                             i % 2 == 0 ? 0.75 : 0.55});
        }
    }

    AddPart(bus, Bars(bass, 0, 0.8), PizzBass, timeline, {0.36, 3.0, 0.05, 0.0}, 0.08, 301);
    AddPart(bus, clock, Celesta, timeline, {0.1, 2.0, 0.06, 0.0}, 0.4, 302);
    AddPart(bus, Bars(clarinet, 0, 0.8), Clarinet, timeline, {0.3, 4.0, 0.04, 0.0}, 0.3, 303);
    AddPart(bus, Bars(answer, 8, 0.8), Marimba, timeline, {0.28, 3.0, 0.05, 0.0}, 0.3, 304);
    AddPart(bus, Bars(answer, 8, 0.8), Vibraphone, timeline, {0.16, 4.0, 0.05, -12.0}, 0.45, 305);
    AddPart(bus, Bars(pad, 0, 0.55), StringPad, timeline, {0.04, 0.0, 0.0, 0.0}, 0.6, 306);
    AddPart(bus, Bars(pad, 8, 0.6), StringPad, timeline, {0.05, 0.0, 0.0, 0.0}, 0.6, 307);

    std::vector<NoteEvent> kick, rim, hat, shaker;
    GridBars("X-----x---x-----", 0, bars, 0.25, kick);
    for (int b = 0; b < bars; ++b) {
        const bool fill = b % 8 == 7;
        ParseGrid(fill ? "----x-----o-x-xo" : "----x-------x---", b * 4.0, 0.25, rim);
    }
    GridBars("x-o-x-o-x-o-x-o-", 8, 8, 0.25, hat);
    GridBars("-.-.-.-.-.-.-.-.", 0, bars, 0.25, shaker);
    AddPart(bus, kick, Kick, timeline, {0.33, 2.0, 0.05, 0.0}, 0.0, 308);
    AddPart(bus, rim, RimClick, timeline, {0.3, 2.0, 0.08, 0.0}, 0.2, 309);
    AddPart(bus, hat, HatClosed, timeline, {0.14, 2.0, 0.1, 0.0}, 0.1, 310);
    AddPart(bus, shaker, Shaker, timeline, {0.12, 3.0, 0.15, 0.0}, 0.1, 311);

    return {"GameBGM_3.wav", static_cast<int>(kMusicRate), true, Master(bus, 0.8, 0.4, 2.5, 4.0)};
}

}  // namespace

std::vector<SoundFile> MakeMusic() { return {TitleMusic(), GameMusic(), CountingHouseMusic()}; }

}  // namespace synth
