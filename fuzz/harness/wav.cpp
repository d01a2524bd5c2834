// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the WAV reader on a file, then the conversion to the mixer's format that every
// loaded sound goes through.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/sound_internal.h"
#include "fuzz/support.h"
#include "platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    fuzzing::writeFile("sound.wav", data, size);
    WavSound wav;
    if (!readWavFile("sound.wav", wav)) return 0;
    fuzzing::require(wav.channels == 1 || wav.channels == 2, "one or two channels");
    fuzzing::require(wav.bitsPerSample == 8 || wav.bitsPerSample == 16, "8 or 16 bits");
    fuzzing::require(
        !wav.data.empty() && wav.data.size() <= kMaxWavDataBytes && wav.data.size() <= size,
        "samples no more than the file holds");
    std::vector<int16_t> samples;
    platformAudioConvert(wav.data.data(), wav.data.size(), wav.channels, wav.bitsPerSample,
                         wav.frequency, 22050, samples);
    return 0;
}
