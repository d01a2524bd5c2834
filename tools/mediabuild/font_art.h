// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's bitmap fonts, all drawn from one 5 x 8 glyph set:
//   zFont.png   256 x 128, 16 x 16 cells (characters 0..127), menus and tables
//   xFont.png   128 x 128,  8 x 16 cells (characters 0..127), the status line
//   smalfont.bmp 128 x 64,  8 x  8 cells (characters 0..127), the start-up line; black is the
//               transparent colour of a bitmap font, so the outline uses a near-black instead.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "image.h"

namespace media {

class GlyphSet {
  public:
    static constexpr int kWidth = 5, kHeight = 8;
    bool parse(const std::string& text, const std::string& source, std::string& error);
    bool load(const std::string& path, std::string& error);
    bool has(int code) const { return code >= 0 && code < 128 && defined_[code]; }
    // True when glyph pixel (x, y) of the character is ink.
    bool ink(int code, int x, int y) const {
        return has(code) && x >= 0 && y >= 0 && x < kWidth && y < kHeight &&
               ((rows_[code][y] >> (kWidth - 1 - x)) & 1);
    }
    int count() const;

  private:
    std::array<std::array<uint8_t, kHeight>, 128> rows_{};
    std::array<bool, 128> defined_{};
};

Image buildMenuFont(const GlyphSet& glyphs);
Image buildStatusFont(const GlyphSet& glyphs);
Image buildStartupFont(const GlyphSet& glyphs);

// Plain text in the glyph set, for labels on the contact sheet.
void drawLabel(Image& img, const GlyphSet& glyphs, int x, int y, const std::string& text,
               Rgba colour);

}  // namespace media
