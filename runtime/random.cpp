// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The ISAAC random generator (Bob Jenkins' published algorithm, 256-word state).
#include <cstdint>

#include "runtime/convert.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

RandomState randomState{};

namespace {
constexpr uint32_t kGolden = 0x9e3779b9u;
}

void isaacMix(uint32_t (&w)[8]) {
    uint32_t &a = w[0], &b = w[1], &c = w[2], &d = w[3], &e = w[4], &f = w[5], &g = w[6], &h = w[7];
    a ^= b << 11;
    d += a;
    b += c;
    b ^= c >> 2;
    e += b;
    c += d;
    c ^= d << 8;
    f += c;
    d += e;
    d ^= e >> 16;
    g += d;
    e += f;
    e ^= f << 10;
    h += e;
    f += g;
    f ^= g >> 4;
    a += f;
    g += h;
    g ^= h << 8;
    b += g;
    h += a;
    h ^= a >> 9;
    c += h;
    a += b;
}

void isaacGenerate(RandomState& s) {
    s.randC += 1;
    uint32_t b = s.randB + s.randC;
    uint32_t a = s.randA;
    for (int i = 0; i < 256; ++i) {
        uint32_t x = s.randMem[i];
        switch (i & 3) {
            case 0:
                a ^= a << 13;
                break;
            case 1:
                a ^= a >> 6;
                break;
            case 2:
                a ^= a << 2;
                break;
            default:
                a ^= a >> 16;
                break;
        }
        a += s.randMem[(i + 128) & 255];
        uint32_t y = s.randMem[(x >> 2) & 255] + a + b;
        s.randMem[i] = y;
        b = s.randMem[(y >> 10) & 255] + x;
        s.randResults[i] = b;
    }
    s.randA = a;
    s.randB = b;
}

void seedRandom(int32_t seed) {
    RandomState& s = randomState;
    // A fresh state each time, so the same seed always gives the same sequence.
    s = RandomState{};
    uint32_t w[8];
    for (uint32_t& v : w) v = kGolden;
    const uint32_t add = static_cast<uint32_t>(seed);
    for (int k = 0; k < 32; ++k) {
        w[0] += add;
        isaacMix(w);
        for (int j = 0; j < 8; ++j) s.randMem[8 * k + j] = w[j];
    }
    for (int i = 0; i < 4; ++i) isaacMix(w);
    for (int k = 0; k < 32; ++k) {
        for (int j = 0; j < 8; ++j) w[j] += s.randResults[8 * k + j];
        isaacMix(w);
        for (int j = 0; j < 8; ++j) s.randMem[8 * k + j] = w[j];
    }
    for (int k = 0; k < 32; ++k) {
        for (int j = 0; j < 8; ++j) w[j] += s.randMem[8 * k + j];
        isaacMix(w);
        for (int j = 0; j < 8; ++j) s.randMem[8 * k + j] = w[j];
    }
    isaacGenerate(s);
    s.randCount = 256;
}

void seedRandomFromClock() { seedRandom(truncateToInt32(timeStampMs())); }

uint32_t nextRandom() {
    isaacGenerate(randomState);
    return randomState.randResults[0];
}

double randomInt(double n) {
    if (!(n > 0)) return 0;
    uint32_t w = nextRandom();
    // n truncated, taken as an unsigned 32-bit number, plus 1 (wrapping for huge n).
    uint32_t m =
        static_cast<uint32_t>(static_cast<uint64_t>(n < 4294967296.0 ? n : 4294967295.0)) + 1u;
    if (m == 0) return w;  // n of 4294967295 or more: every word is a valid result
    return w % m;
}
