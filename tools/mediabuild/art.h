// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Builds the game's sprite strips and the menu picture from the pixel-art grids, with the
// animated effects (sparkle, blast, fire, flashing bomb ...) drawn frame by frame.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "pixelart.h"

namespace media {

struct Strip {
    std::string file;  // e.g. "BugR.png"
    int frameWidth = 16;
    int frameHeight = 16;
    Image image;
    int frames() const {
        return frameWidth ? image.width() / frameWidth * (image.height() / frameHeight) : 0;
    }
};

// Every sprite strip of the game, in slot order 0..17.
std::vector<Strip> buildStrips(const ArtBook& art);

// The 320 x 240 title picture; the font is used for nothing but is passed so the picture can
// carry small decorations drawn with game sprites.
Image buildMenuPicture(const std::vector<Strip>& strips);

// Cuts frame n out of a strip (left to right, then top to bottom).
Image frameOf(const Strip& strip, int n);

}  // namespace media
