// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// File formats written by the media builder: PNG (RGBA or RGB, 8 bits per channel, via libpng),
// 24-bit Windows bitmaps and 16-bit PCM WAV sounds; plus readers used to check the results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace media {

// Writes an 8-bit RGBA PNG (or RGB when `withAlpha` is false). False with a message on failure.
bool writePng(const std::string& path, const Image& image, std::string& error,
              bool withAlpha = true);
// Reads any 8-bit PNG libpng can expand to RGBA. False with a message on failure (never crashes on
// a damaged file).
bool readPng(const std::string& path, Image& image, std::string& error, int* channels = nullptr);

// Writes a bottom-up 24-bit bitmap; alpha is dropped.
bool writeBmp24(const std::string& path, const Image& image, std::string& error);

struct WavInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    std::vector<int16_t> samples;  // interleaved
};

// Writes mono 16-bit PCM: a 16-byte format chunk followed directly by the data chunk, the layout
// every WAV reader accepts.
bool writeWav16(const std::string& path, const std::vector<int16_t>& samples, int sampleRate,
                std::string& error);
// Reads a WAV file whose format chunk is followed by the data chunk (an optional "fact" chunk in
// between). Other layouts are reported as errors, since the game's loader would refuse them too.
bool readWav(const std::string& path, WavInfo& info, std::string& error);

}  // namespace media
