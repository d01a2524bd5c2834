// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Game numbers as the renderer's sizes and positions: a 16-bit frame size and a whole pixel,
// both on top of the runtime's truncation (truncToInt), safe for NaN and huge values.
#pragma once

#include <cmath>
#include <cstdint>

#include "runtime/convert.h"

inline int16_t truncToShort(double v) {
    int i = truncToInt(v);
    if (i > 32767) return 32767;
    if (i < -32768) return -32768;
    return static_cast<int16_t>(i);
}

// Rounds up to a whole pixel (sprite positions), safe for any value.
inline int ceilToInt(double v) { return truncToInt(std::ceil(v)); }
