// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The number-to-text rule, the integer rule and text-to-number.
//
// The rule is built here from correctly rounded decimal digits rather than borrowed from the
// C library's gcvt, whose output on this platform differs (no three-digit exponents, other
// choice of fixed and exponent form).
#include "runtime/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Ten significant digits of |x| (x finite, non-zero) and the decimal exponent of the first,
// both after rounding (9.9999999996 becomes 1000000000 with exponent 1).
void tenDigits(double x, char digits[10], int& exponent) {
    char scratch[64];
    std::snprintf(scratch, sizeof scratch, "%.9e", std::fabs(x));
    // Form: d.ddddddddde[+-]xx
    digits[0] = scratch[0];
    std::memcpy(digits + 1, scratch + 2, 9);
    exponent = std::atoi(scratch + 12);
}

}  // namespace

int numberToChars(double x, char* out) {
    if (std::isnan(x)) {
        std::strcpy(out, "nan");
        return 3;
    }
    if (std::isinf(x)) {
        std::strcpy(out, x < 0 ? "-inf" : "inf");
        return x < 0 ? 4 : 3;
    }
    char* p = out;
    if (x == 0) {
        // Both zeros: fixed form "0.000000000" reduces to "0".
        out[0] = '0';
        out[1] = 0;
        return 1;
    }
    if (x < 0) *p++ = '-';
    char digits[10];
    int e = 0;
    tenDigits(x, digits, e);

    if (e < -1 || e > 9) {
        *p++ = digits[0];
        *p++ = '.';
        int last = 9;
        while (last >= 1 && digits[last] == '0') --last;  // fraction zeros go, the point stays
        for (int i = 1; i <= last; ++i) *p++ = digits[i];
        p += std::snprintf(p, 16, "e%c%03d", e < 0 ? '-' : '+', e < 0 ? -e : e);
        *p = 0;
        return static_cast<int>(p - out);
    }

    // Fixed form: 9 - e digits after the point, 10 significant digits in all.
    char fixed[32];
    char* f = fixed;
    if (e < 0) {
        *f++ = '0';
        *f++ = '.';
        for (int i = 0; i < 10; ++i) *f++ = digits[i];
    } else {
        for (int i = 0; i <= e; ++i) *f++ = digits[i];
        *f++ = '.';
        for (int i = e + 1; i < 10; ++i) *f++ = digits[i];
    }
    while (f[-1] == '0') --f;  // stops at the point at the latest
    *f = 0;
    if (std::strcmp(fixed, ".0") == 0) {
        std::strcpy(fixed, "0");
    } else if (f[-1] == '.') {
        f[-1] = 0;
    }
    std::strcpy(p, fixed);
    return static_cast<int>(std::strlen(out));
}

int integerToChars(int32_t v, char* out) {
    return std::snprintf(out, 12, "%d", static_cast<int>(v));
}

TextValue numberToText(double x) { return TextValue(x); }

int32_t truncateToInt32(double x) {
    if (!std::isfinite(x)) return 0;
    double t = std::trunc(x);
    if (t >= -2147483648.0 && t <= 2147483647.0) return static_cast<int32_t>(t);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(m));
}

double textToNumber(const char* s) {
    if (s == nullptr) return 0;
    const char* p = s;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    const char* number = p;
    const char* q = p;
    size_t digitCount = 0;
    while (*q >= '0' && *q <= '9') ++q, ++digitCount;
    if (*q == '.') {
        ++q;
        while (*q >= '0' && *q <= '9') ++q, ++digitCount;
    }
    if (digitCount == 0) return 0;
    if (*q == 'e' || *q == 'E') {
        const char* r = q + 1;
        if (*r == '+' || *r == '-') ++r;
        if (*r >= '0' && *r <= '9') {
            while (*r >= '0' && *r <= '9') ++r;
            q = r;
        }
    }
    double value = 0;
#if defined(__cpp_lib_to_chars)
    // from_chars reads exactly this grammar (without the sign) and ignores the locale.
    auto result = std::from_chars(number, q, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow and underflow: strtod's infinity or (sub)normal result.
        std::string copy(number, q);
        value = std::strtod(copy.c_str(), nullptr);
    }
#else
    // A standard library without floating-point from_chars (LLVM's before version 17): strtod
    // reads the same grammar, correctly rounded, and the program never leaves the "C" locale,
    // whose decimal point is '.'.
    std::string copy(number, q);
    value = std::strtod(copy.c_str(), nullptr);
#endif
    return negative ? -value : value;
}

double textToNumber(const TextValue& t) { return textToNumber(textCString(t)); }
