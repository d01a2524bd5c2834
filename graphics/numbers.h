// Game numbers are doubles; where one names a slot, frame, colour or pixel it is truncated toward
// zero. These helpers do that without undefined behaviour for NaN or huge values.
#pragma once

#include <cmath>
#include <cstdint>

inline int truncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

inline int16_t truncToShort(double v) {
  int i = truncToInt(v);
  if (i > 32767) return 32767;
  if (i < -32768) return -32768;
  return static_cast<int16_t>(i);
}

// Rounds up to a whole pixel (sprite positions), safe for any value.
inline int ceilToInt(double v) { return truncToInt(std::ceil(v)); }
