#include "tools/content/SynthSequencer.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace synth {

namespace {

// "C4" -> 60, "F#3" -> 54, "Bb5" -> 82.
double ParsePitch(const std::string& name) {
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        throw std::runtime_error("bad note name '" + name + "'");
    }
    int semitone = kSemitone[name[0] - 'A'];
    size_t pos = 1;
    if (name[pos] == '#') {
        ++semitone;
        ++pos;
    } else if (name[pos] == 'b') {
        --semitone;
        ++pos;
    }
    if (pos >= name.size() || name[pos] < '0' || name[pos] > '9' || pos + 1 != name.size()) {
        throw std::runtime_error("bad octave in note '" + name + "'");
    }
    const int octave = name[pos] - '0';
    return 12.0 * (octave + 1) + semitone;
}

double ParseNumber(const std::string& text, const std::string& token) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v >= 0.0)) {
        throw std::runtime_error("bad number in token '" + token + "'");
    }
    return v;
}

}  // namespace

double ParsePhrase(const std::string& text, double startBeat, double defaultVelocity,
                   std::vector<NoteEvent>& out) {
    std::istringstream in(text);
    std::string token;
    double beat = startBeat;
    while (in >> token) {
        const size_t colon = token.find(':');
        if (colon == std::string::npos) throw std::runtime_error("missing length in '" + token + "'");
        const std::string pitches = token.substr(0, colon);
        std::string rest = token.substr(colon + 1);
        double velocity = defaultVelocity;
        const size_t slash = rest.find('/');
        if (slash != std::string::npos) {
            velocity = ParseNumber(rest.substr(slash + 1), token);
            rest = rest.substr(0, slash);
        }
        const double beats = ParseNumber(rest, token);
        if (pitches != "r") {
            size_t start = 0;
            while (start <= pitches.size()) {
                size_t plus = pitches.find('+', start);
                if (plus == std::string::npos) plus = pitches.size();
                out.push_back({beat, beats, ParsePitch(pitches.substr(start, plus - start)), velocity});
                start = plus + 1;
            }
        }
        beat += beats;
    }
    return beat;
}

void ParseGrid(const std::string& grid, double startBeat, double stepBeats,
               std::vector<NoteEvent>& out) {
    for (size_t i = 0; i < grid.size(); ++i) {
        double velocity = 0.0;
        switch (grid[i]) {
            case 'X': velocity = 1.0; break;
            case 'x': velocity = 0.75; break;
            case 'o': velocity = 0.5; break;
            case '.': velocity = 0.25; break;
            default: continue;
        }
        out.push_back({startBeat + i * stepBeats, stepBeats, 60.0, velocity});
    }
}

double Timeline::Seconds(double beat) const {
    const double pairs = beat / pairBeats;
    const double whole = std::floor(pairs);
    const double frac = pairs - whole;
    const double swung = frac < 0.5 ? frac / 0.5 * swing : swing + (frac - 0.5) / 0.5 * (1.0 - swing);
    return (whole + swung) * pairBeats * 60.0 / bpm;
}

void RenderTrack(const std::vector<NoteEvent>& notes, Instrument voice, const Timeline& timeline,
                 double fs, const TrackStyle& style, Rng& rng, Signal& ring) {
    for (const NoteEvent& note : notes) {
        const double start = timeline.Seconds(note.beat) + style.jitterMs * 0.001 * rng.Bipolar();
        const double held = timeline.Seconds(note.beat + note.beats) - timeline.Seconds(note.beat);
        const double velocity =
            std::fmin(1.0, note.velocity * (1.0 + style.velocityJitter * rng.Bipolar()));
        const Signal sound =
            voice(fs, MidiToHz(note.midi + style.transpose), held, velocity, rng);
        MixInto(ring, sound, static_cast<long>(std::lround(start * fs)), style.gain, true);
    }
}

}  // namespace synth
