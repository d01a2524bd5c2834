// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Formatting with width and decimals, substrings, character codes and letter case.
#include <cmath>
#include <cstdio>

#include "runtime/convert.h"

namespace {
// Truncates toward zero into lo..hi (NaN gives lo).
int clampTruncate(double x, int lo, int hi) {
    if (!(x >= lo)) return lo;
    if (x >= hi) return hi;
    return static_cast<int>(x);
}
}  // namespace

TextValue formatNumber(double width, double decimals, double value) {
    // A negative width left-aligns the number in its field, as the C format it stands for does.
    int w = clampTruncate(width, -255, 255);
    int d = clampTruncate(decimals, 0, 255);
    TextValue r;
    textReserve(r, 256);
    int needed = std::snprintf(r.buffer, r.capacity, "%*.*f", w, d, value);
    if (needed >= static_cast<int>(r.capacity)) {
        // An enormous value: give it the room it needs rather than cutting digits.
        textReserve(r, static_cast<uint32_t>(needed) + 1);
        std::snprintf(r.buffer, r.capacity, "%*.*f", w, d, value);
    }
    textRecount(r);
    return r;
}

TextValue textMid(const TextValue& t, double start, double count) {
    TextValue r;
    double n = t.length;
    if (std::trunc(start + count) > n) count = n - start;
    if (count > 0 && start >= 0 && start <= n) {
        uint32_t from = static_cast<uint32_t>(start);
        uint32_t take = static_cast<uint32_t>(std::fmin(std::trunc(count), n - from));
        textReserve(r, take);
        for (uint32_t i = 0; i < take; ++i) r.buffer[i] = t.buffer[from + i];
        r.buffer[take] = 0;
        r.length = take;
    }
    return r;
}

double charCode(const TextValue& t) {
    return t.length ? static_cast<unsigned char>(t.buffer[0]) : 0;
}

TextValue charFromCode(double code) {
    // Truncated toward zero to a 16-bit integer: only the low bits survive.
    double whole = std::trunc(code);
    unsigned bits = 0;
    if (std::isfinite(whole)) {
        double low = std::fmod(whole, 65536.0);
        if (low < 0) low += 65536.0;
        bits = static_cast<unsigned>(low) & 0xFFu;
    }
    char s[2] = {static_cast<char>(bits), 0};
    return TextValue(s);
}

TextValue textLower(const TextValue& t) {
    TextValue r(t);
    for (uint32_t i = 0; i < r.length; ++i)
        if (r.buffer[i] >= 'A' && r.buffer[i] <= 'Z')
            r.buffer[i] = static_cast<char>(r.buffer[i] + 32);
    return r;
}

TextValue textUpper(const TextValue& t) {
    TextValue r(t);
    for (uint32_t i = 0; i < r.length; ++i)
        if (r.buffer[i] >= 'a' && r.buffer[i] <= 'z')
            r.buffer[i] = static_cast<char>(r.buffer[i] - 32);
    return r;
}
