// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Number <-> text conversion and the character/substring commands.
//
// Number-to-text rule: 10 significant digits. Magnitudes from 0.1 up to (not including)
// 10000000000 are written in fixed form, everything else in exponent form with one digit before
// the point and at least three exponent digits (5.e-002, 1.e+010). Zeros ending the fraction are
// dropped, the point itself stays in exponent form, a trailing point is dropped otherwise.
#pragma once

#include <cmath>
#include <cstdint>

#include "runtime/text.h"

// Writes x by the number-to-text rule into out (at least 64 bytes); returns the length (<= 63).
int numberToChars(double x, char* out);
// Writes v in decimal into out (at least 12 bytes); returns the length.
int integerToChars(int32_t v, char* out);

TextValue numberToText(double x);

// Truncates toward zero to a 32-bit integer; values beyond 32 bits wrap modulo 2^32 (so
// 4294967295 gives -1), NaN and infinities give 0. For numbers whose low bits matter: bytes
// written to files, key codes, seeds.
int32_t truncateToInt32(double x);

// Truncates toward zero to an int; values beyond the int range saturate and NaN gives 0. For
// numbers that name a slot, frame, size, pixel or count, where a wrapped value would be a wrong
// one; the game's numbers become integers through this one helper.
inline int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

// The C library's atof: leading white space, then the longest decimal prefix
// (sign, digits, point, digits, exponent); 0 when there is none.
double textToNumber(const TextValue& t);
double textToNumber(const char* s);

// Fixed-point output of value in a field of at least `width` characters with `decimals`
// digits after the point ("%*.*f"), right-aligned; a negative width left-aligns in a field of
// its size. Width and decimals are truncated toward zero and kept within -255..255 and 0..255.
TextValue formatNumber(double width, double decimals, double value);

// Substring from 0-based start of at most count characters; empty for a start outside
// 0..length or a count of 0 or less. Fractional arguments are truncated.
TextValue textMid(const TextValue& t, double start, double count);
// First byte as 0..255, 0 for an empty text.
double charCode(const TextValue& t);
// One character from the low 8 bits of the code (truncated to a 16-bit integer); empty for 0.
TextValue charFromCode(double code);
// Only the 26 ASCII letters change.
TextValue textLower(const TextValue& t);
TextValue textUpper(const TextValue& t);
