// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Maths commands with angles in degrees, remainders, and the number-text length.
#include "runtime/maths.h"

#include <cmath>
#include <cstdint>

#include "runtime/convert.h"

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

}  // namespace

double sinDeg(double angle) { return std::sin(angle * kDegToRad); }
double cosDeg(double angle) { return std::cos(angle * kDegToRad); }
double tanDeg(double angle) { return std::tan(angle * kDegToRad); }
double atan2Deg(double y, double x) { return std::atan2(y, x) * kRadToDeg; }

double asinDeg(double x) {
    if (x >= 1) return 90;
    if (x <= -1) return -90;
    return std::asin(x) * kRadToDeg;
}

double acosDeg(double x) {
    if (x >= 1) return 0;
    if (x <= -1) return 180;
    return std::acos(x) * kRadToDeg;
}

double squareRoot(double x) { return x < 0 ? std::nan("") : std::sqrt(x); }
double absValue(double x) { return std::fabs(x); }
double power(double base, double exponent) { return std::pow(base, exponent); }

double intMod(double a, double b) {
    int32_t ia = truncateToInt32(a);
    int32_t ib = truncateToInt32(b);
    if (ib == 0) return 0;
    if (ib == -1) return 0;  // INT32_MIN % -1 traps on this machine; the remainder is 0 anyway
    return ia % ib;
}

double floatMod(double a, double b) {
    if (b == 0) return 0;
    return std::fmod(a, b);
}

double numberTextLength(double x) {
    char text[64];
    return numberToChars(x, text);
}
