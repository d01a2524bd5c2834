// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sprite slots: loading PNG and bitmap images into numbered slots as textures, colour keys,
// strips of animation frames.
#pragma once

#include <string>

#include "runtime/text.h"

// Loads an image file into a slot with the sprite colour key; 1 when loaded, 0 when the file is
// missing or cannot be decoded (the slot is then empty). The frame size is kept.
double loadSpriteImage(const TextValue& fileName, double slot);
// loadSpriteImage, then the frame size of the strip (when the image loaded).
double loadSpriteStrip(const TextValue& fileName, double slot, double frameWidth,
                       double frameHeight);
// As loadSpriteImage with the key 0x8000FF, turned into a normal map before upload.
double loadNormalMapImage(const TextValue& fileName, double slot);
// Image width and height of the slot (0 and 0 for an empty slot).
void querySpriteSize(double slot, double& width, double& height);
void deleteSprite(double slot);

// The media lookup of every image loader: the path on disk for a media file name, or false.
bool resolveImageFile(const char* name, std::string& path);
