// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A small synthesizer in the manner of sfxr: each sound effect is a few tones, each tone one
// oscillator with a pitch slide, vibrato, an arpeggio jump, an attack/sustain/decay envelope with
// a punch, and simple low- and high-pass filters. Sound files are written as text:
//
//   # comment
//   peak = 0.7                  loudest sample after mixing, as a fraction of full scale
//   [tone]                      starts a tone; keys below apply to it
//   start = 0.0                 seconds from the start of the sound
//   wave = square               square, saw, triangle, sine or noise
//   freq = 440                  Hz at the start of the tone
//   freq_end = 220              Hz at its end (exponential slide; defaults to freq)
//   ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

enum class Wave { Square, Saw, Triangle, Sine, Noise };

struct Tone {
    double start = 0;  // s
    Wave wave = Wave::Square;
    double freq = 440;       // Hz
    double freqEnd = -1;     // Hz, -1: same as freq
    double vibrato = 0;      // depth as a fraction of the frequency
    double vibratoRate = 6;  // Hz
    double arpAt = -1;       // s into the tone when the pitch jumps, -1: never
    double arpMult = 1;      // the jump's frequency factor
    double duty = 0.5;       // square wave duty cycle
    double dutyEnd = -1;
    double attack = 0.005;  // s
    double sustain = 0.1;   // s
    double decay = 0.1;     // s
    double punch = 0;       // extra level at the start of the sustain, fading over it
    double volume = 1;
    double lowpass = 0;  // Hz, 0: off
    double lowpassEnd = -1;
    double highpass = 0;  // Hz, 0: off
    double length() const { return attack + sustain + decay; }
};

struct SoundRecipe {
    double peak = 0.8;
    std::vector<Tone> tones;
};

constexpr int kSampleRate = 22050;

bool parseSound(const std::string& text, const std::string& source, SoundRecipe& recipe,
                std::string& error);
// Renders the tones, mixes them and scales the mix so its loudest sample is `peak` of full scale.
std::vector<int16_t> renderSound(const SoundRecipe& recipe);

}  // namespace media
