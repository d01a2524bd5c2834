// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Maths commands (angles in degrees) and the ISAAC random generator (256-word state).
#pragma once

#include <cstdint>

double sinDeg(double angle);
double cosDeg(double angle);
double tanDeg(double angle);
double atan2Deg(double y, double x);  // -180..180
double asinDeg(double x);             // 90 for x >= 1, -90 for x <= -1
double acosDeg(double x);             // 0 for x >= 1, 180 for x <= -1
double squareRoot(double x);          // NaN for a negative argument
double absValue(double x);
double power(double base, double exponent);
// Both truncated toward zero to 32-bit integers; 0 when the divisor is 0; sign of a.
double intMod(double a, double b);
// 0 when b is 0; otherwise fmod (sign of a).
double floatMod(double a, double b);
// Length of x's text by the number-to-text rule.
double numberTextLength(double x);

// ---- random numbers -------------------------------------------------------------------------
struct RandomState {
    uint32_t randMem[256];
    uint32_t randResults[256];
    uint32_t randA, randB, randC;
    uint32_t randCount;
};

// The process-wide generator (all zero before seeding).
extern RandomState randomState;

// The published ISAAC mixing function over the eight words a..h.
void isaacMix(uint32_t (&w)[8]);
// One full ISAAC generation pass: refills randResults from randMem.
void isaacGenerate(RandomState& s);

// Seeds the process-wide generator (start-up does this once with the clock).
void seedRandom(int32_t seed);
// The start-up seeding: the millisecond clock truncated to 32 bits (wrapping, never undefined
// however long the machine has been up).
void seedRandomFromClock();
// One generation pass; returns its first result.
uint32_t nextRandom();
// A whole number 0..n (n truncated); 0 without drawing when n <= 0.
double randomInt(double n);
