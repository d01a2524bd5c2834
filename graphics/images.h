// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Image files: the Windows bitmap decoder, the PNG decoder (libpng) and a PNG writer for
// screenshots. Pure CPU code, no OpenGL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A decoded picture: width x height pixels of red, green, blue, alpha bytes, rows top to bottom.
// The buffer is reused by later decodes into the same object when it is large enough.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    void clear() {
        width = height = 0;
        pixels.clear();
    }
    uint8_t* pixel(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t* pixel(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * 4];
    }
};

// Largest side and pixel count a decoder accepts. Anything bigger is a damaged or hostile file,
// never a sprite of this runtime.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = 64LL * 1024 * 1024;

// Colour key: the colour red + 256 green + 65536 blue that becomes fully transparent (all four
// bytes 0) in images without an alpha channel; -1 = no key.
constexpr int kNoColourKey = -1;

// Windows bitmap from memory: 1, 4 and 8 bits with a palette, 24 and 32 bits; 12- and 40-byte
// headers; bottom-up and top-down rows. Anything damaged, truncated, compressed or oversized is
// refused (false) without reading outside the buffer.
bool decodeBmpMemory(const uint8_t* data, size_t size, int colourKey, RgbaImage& image);
// The same from a file ('\' in the path is taken as '/'). False when the file cannot be read.
bool decodeBmp(const char* path, int colourKey, RgbaImage& image);

// PNG through libpng: grey, RGB and RGBA at 8 bits after expanding palettes, low-bit grey and
// transparency chunks and stripping 16-bit samples. The colour key applies to RGB images only.
bool decodePngMemory(const uint8_t* data, size_t size, int colourKey, RgbaImage& image);
bool decodePng(const char* path, int colourKey, RgbaImage& image);

// Encodes an RGBA picture (rows top to bottom) as PNG bytes. With keepAlpha false the picture is
// stored as RGB.
bool encodePng(const uint8_t* rgba, int width, int height, bool keepAlpha,
               std::vector<uint8_t>& out);
// Writes it as a PNG file, replaced whole (runtime/atomic_file.h). False when the file cannot be
// written (also when something other than a regular file carries the name).
bool writePng(const char* path, const uint8_t* rgba, int width, int height, bool keepAlpha);

// Reads a whole file (at most maxBytes); false when missing, unreadable or too large.
bool readWholeFile(const char* path, std::vector<uint8_t>& out, size_t maxBytes);
// Path with every '\' turned into '/'.
std::string systemPath(const char* path);
