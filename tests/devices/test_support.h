// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Small helpers shared by the device tests: WAV writing and whole files in and out (their
// folders come from tests/support/test_folder.h).
#pragma once

#include "tests/support/files.h"

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_folder.h"

// Little-endian writers for building WAV files byte by byte.
void put16(std::vector<unsigned char>& out, unsigned v);
void put32(std::vector<unsigned char>& out, uint32_t v);
void putTag(std::vector<unsigned char>& out, const char* tag);

struct WavFormat {
    int channels = 1;
    int frequency = 22050;
    int bits = 16;
    int formatChunkSize = 16;         // 18 adds the extension bytes the reader skips
    bool factChunk = false;           // a "fact" chunk before "data"
    bool listChunk = false;           // a "LIST" chunk before "data" (not accepted)
    long long declaredDataSize = -1;  // -1: the real size
};

// A WAV file holding the given 16-bit samples (converted to 8-bit when
// wavFormat.bits is 8), interleaved when there are two channels.
std::vector<unsigned char> makeWav(const WavFormat& wavFormat, const std::vector<int16_t>& samples);
// A sine tone: `frames` frames of `amplitude` at `hz`, per channel.
std::vector<int16_t> sineSamples(int frames, int channels, int frequency, double hz,
                                 double amplitude);
