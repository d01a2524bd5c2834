// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the PNG loader (libpng with the runtime's transforms), with and without a
// colour key, into a reused image.
#include <cstddef>
#include <cstdint>

#include "fuzz/support.h"
#include "graphics/images.h"

namespace {

void checkImage(const RgbaImage& image) {
    fuzzing::require(image.width > 0 && image.height > 0, "a decoded picture has pixels");
    fuzzing::require(image.width <= kMaxImageSide && image.height <= kMaxImageSide,
                     "sides within the limit");
    fuzzing::require(image.pixels.size() >= static_cast<size_t>(image.width) * image.height * 4,
                     "the buffer holds every pixel");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RgbaImage image;  // kept between inputs: decodes reuse its buffer, as the loader's does
    if (decodePngMemory(data, size, 0x8000FF, image)) checkImage(image);
    if (decodePngMemory(data, size, kNoColourKey, image)) checkImage(image);
    return 0;
}
