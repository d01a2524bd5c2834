// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Pixel art written as text: a palette maps characters to colours and each grid is a block of
// text lines, one character per pixel.
//
//   # comment
//   colour k 24 20 32          character, red, green, blue, optional alpha (255)
//   grid bug_right 16 16       name, width, height, followed by `height` lines of `width` chars
//   ................
//
// The character '.' is always transparent. Colours are shared by every grid read after them.
#pragma once

#include <map>
#include <string>

#include "image.h"

namespace media {

class ArtBook {
  public:
    // Reads one art file; false with a message naming the file and line on any error.
    bool load(const std::string& path, std::string& error);
    bool parse(const std::string& text, const std::string& source, std::string& error);
    bool has(const std::string& name) const { return grids_.count(name) != 0; }
    // The named grid; a missing name is a programming error in the builder and throws.
    const Image& grid(const std::string& name) const;
    Rgba colour(char c) const;

  private:
    std::map<char, Rgba> palette_{{'.', Rgba{}}};
    std::map<std::string, Image> grids_;
};

}  // namespace media
