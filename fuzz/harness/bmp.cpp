// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the Windows bitmap decoder, with and without a colour key, into a reused image.
#include <cstddef>
#include <cstdint>

#include "fuzz/harness/decoded_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RgbaImage image;  // kept between inputs: decodes reuse its buffer, as the loader's does
    if (decodeBmpMemory(data, size, 0x8000FF, image)) checkDecodedImage(image);
    if (decodeBmpMemory(data, size, kNoColourKey, image)) checkDecodedImage(image);
    return 0;
}
