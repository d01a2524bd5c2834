// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Small image files made by the tests themselves: bitmaps of every depth, PNGs of every colour
// type.
#pragma once

#include "tests/support/files.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct BmpLayout {
    int bits = 24;
    int width = 4;
    int height = 3;
    bool topDown = false;
    bool coreHeader = false;   // 12-byte header instead of 40
    std::vector<Rgb> palette;  // for 1, 4 and 8 bits
    // Pixel (x, y), y = 0 at the top: a palette index for paletted images, else a colour.
    std::function<unsigned(int x, int y)> index;
    std::function<Rgb(int x, int y)> colour;
};

std::vector<uint8_t> makeBmp(const BmpLayout& layout);

// PNG through libpng with any colour type and depth; samples holds width x height x channels
// values (16-bit depth: each value up to 65535). palette / trns for palette images.
std::vector<uint8_t> makePng(int width, int height, int colourType, int depth,
                             const std::vector<unsigned>& samples,
                             const std::vector<Rgb>& palette = {},
                             const std::vector<uint8_t>& trns = {});

// A fresh private folder for one test's files.
std::string scratchFolder(const char* name);
