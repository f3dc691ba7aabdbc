// The game's sounds as recipes: each returns finished samples (normalised,
// DC-free, faded or seamless) ready to be written as a WAV under Data/Sound/.
#pragma once

#include <string>
#include <vector>

#include "tools/content/SynthCore.h"

namespace synth {

struct SoundFile {
    std::string name;  // relative to Data/Sound/, e.g. "Door/Time/Timer1.wav"
    int sampleRate = 44100;
    bool loop = false;  // played looping by the game: rendered seamless
    Signal samples;
};

// "BGM.wav", "GameBGM.wav" and the stages' own music ("GameBGM_3.wav").
std::vector<SoundFile> MakeMusic();
// Every other sound the game plays.
std::vector<SoundFile> MakeEffects();

}  // namespace synth
