// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Helpers shared by the device tests: WAV writing, whole files, a private TMPDIR per process.
#include "test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Every test process gets its own temporary folder: the input service writes
// its warnings to the error log there, away from other programs' logs.
struct PrivateTmpdir {
    TestFolder folder;
    PrivateTmpdir() { setenv("TMPDIR", folder.file("").c_str(), 1); }
};
}  // namespace

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

std::vector<unsigned char> makeWav(const WavFormat& wavFormat,
                                   const std::vector<int16_t>& samples) {
    std::vector<unsigned char> data;
    for (int16_t s : samples) {
        if (wavFormat.bits == 8) {
            data.push_back(static_cast<unsigned char>((s >> 8) + 128));
        } else {
            put16(data, static_cast<uint16_t>(s));
        }
    }
    std::vector<unsigned char> out;
    putTag(out, "RIFF");
    put32(out, 0);  // size: not looked at
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, static_cast<uint32_t>(wavFormat.formatChunkSize));
    const int blockAlign = wavFormat.channels * wavFormat.bits / 8;
    put16(out, 1);
    put16(out, static_cast<unsigned>(wavFormat.channels));
    put32(out, static_cast<uint32_t>(wavFormat.frequency));
    put32(out, static_cast<uint32_t>(wavFormat.frequency * blockAlign));
    put16(out, static_cast<unsigned>(blockAlign));
    put16(out, static_cast<unsigned>(wavFormat.bits));
    if (wavFormat.formatChunkSize != 16) out.insert(out.end(), 14, 0);
    if (wavFormat.factChunk) {
        putTag(out, "fact");
        put32(out, 4);
        put32(out, static_cast<uint32_t>(samples.size() / wavFormat.channels));
    }
    if (wavFormat.listChunk) {
        putTag(out, "LIST");
        put32(out, 4);
        putTag(out, "INFO");
    }
    putTag(out, "data");
    put32(out, wavFormat.declaredDataSize >= 0 ? static_cast<uint32_t>(wavFormat.declaredDataSize)
                                               : static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
    std::memcpy(&out[4], &riffSize, 4);
    return out;
}

std::vector<int16_t> sineSamples(int frames, int channels, int frequency, double hz,
                                 double amplitude) {
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * M_PI * hz * i / frequency);
        for (int c = 0; c < channels; ++c) out.push_back(static_cast<int16_t>(std::lround(v)));
    }
    return out;
}

static PrivateTmpdir privateTmpdir;
