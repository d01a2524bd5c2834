// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// What every image decoder promises of a picture it accepts, checked by the bmp and png harnesses.
#pragma once

#include "fuzz/support.h"
#include "graphics/images.h"

inline void checkDecodedImage(const RgbaImage& image) {
    fuzzing::require(image.width > 0 && image.height > 0, "a decoded picture has pixels");
    fuzzing::require(image.width <= kMaxImageSide && image.height <= kMaxImageSide,
                     "sides within the limit");
    fuzzing::require(image.pixels.size() >= static_cast<size_t>(image.width) * image.height * 4,
                     "the buffer holds every pixel");
}
