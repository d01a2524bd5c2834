// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The operator families on TextValue: concatenation and comparisons with texts, plain
// strings and numbers.
#include <cmath>
#include <cstring>

#include "runtime/convert.h"
#include "runtime/text.h"

namespace {
const char* orEmpty(const char* s) { return s ? s : ""; }

int compareTexts(const TextValue& a, const TextValue& b) {
    return std::strcmp(textCString(a), textCString(b));
}

// Numeric comparison of a text with a number; NaN falls out of every relation but !=.
double textNumber(const TextValue& t) { return textToNumber(t); }
}  // namespace

int compareChars(const char* a, const char* b) { return std::strcmp(orEmpty(a), orEmpty(b)); }

double textCompareNumber(const TextValue& t, double x) {
    double v = textNumber(t);
    if (v < x) return -1;
    if (v > x) return 1;
    return 0;
}

// ---- concatenation --------------------------------------------------------------------------

TextValue textPlusChars(const TextValue& a, const char* b) {
    TextValue r(a);
    r += b;
    return r;
}
TextValue textPlusText(const TextValue& a, const TextValue& b) {
    TextValue r(a);
    r += b;
    return r;
}
TextValue charsPlusText(const char* a, const TextValue& b) {
    TextValue r(a);
    r += b;
    return r;
}
TextValue numberPlusChars(double x, const char* s) {
    TextValue r(x);
    r += s;
    return r;
}
TextValue charsPlusNumber(const char* s, double x) {
    TextValue r(s);
    TextValue number(x);
    r += number;
    return r;
}
TextValue numberPlusText(double x, const TextValue& t) {
    TextValue r(x);
    r += t;
    return r;
}
TextValue textPlusNumber(const TextValue& t, double x) {
    TextValue r(t);
    TextValue number(x);
    r += number;
    return r;
}

TextValue operator+(const TextValue& a, const TextValue& b) { return textPlusText(a, b); }
TextValue operator+(const TextValue& a, const char* b) { return textPlusChars(a, b); }
TextValue operator+(const char* a, const TextValue& b) { return charsPlusText(a, b); }
TextValue operator+(const TextValue& a, double b) { return textPlusNumber(a, b); }
TextValue operator+(const TextValue& a, float b) {
    return textPlusNumber(a, static_cast<double>(b));
}
TextValue operator+(const TextValue& a, int b) {
    TextValue r(a);
    r += b;
    return r;
}
TextValue operator+(double a, const TextValue& b) { return numberPlusText(a, b); }
TextValue operator+(float a, const TextValue& b) {
    return numberPlusText(static_cast<double>(a), b);
}
TextValue operator+(int a, const TextValue& b) {
    TextValue r(a);
    r += b;
    return r;
}

// ---- comparisons ----------------------------------------------------------------------------

double textLessEqualChars(const TextValue& a, const char* b) {
    return std::strcmp(textCString(a), orEmpty(b)) <= 0 ? 1 : 0;
}
double textGreaterEqualChars(const TextValue& a, const char* b) {
    return std::strcmp(textCString(a), orEmpty(b)) >= 0 ? 1 : 0;
}
double textEqualText(const TextValue& a, const TextValue& b) {
    if (a.length != b.length) return 0;
    return compareTexts(a, b) == 0 ? 1 : 0;
}

bool operator==(const TextValue& a, const TextValue& b) { return textEqualText(a, b) != 0; }
bool operator!=(const TextValue& a, const TextValue& b) { return textEqualText(a, b) == 0; }

#define TOVRIK_TEXT_ORDER(OP) \
    bool operator OP(const TextValue& a, const TextValue& b) { return compareTexts(a, b) OP 0; }

TOVRIK_TEXT_ORDER(<)
TOVRIK_TEXT_ORDER(>)
TOVRIK_TEXT_ORDER(<=)
TOVRIK_TEXT_ORDER(>=)
#undef TOVRIK_TEXT_ORDER

#define TOVRIK_TEXT_MIXED(OP)                                                     \
    bool operator OP(const TextValue& a, const char* b) {                         \
        return std::strcmp(textCString(a), orEmpty(b)) OP 0;                      \
    }                                                                             \
    bool operator OP(const char* a, const TextValue& b) {                         \
        return std::strcmp(orEmpty(a), textCString(b)) OP 0;                      \
    }                                                                             \
    bool operator OP(const TextValue& a, double b) { return textNumber(a) OP b; } \
    bool operator OP(const TextValue& a, float b) {                               \
        return textNumber(a) OP static_cast<double>(b);                           \
    }                                                                             \
    bool operator OP(const TextValue& a, int b) {                                 \
        return textNumber(a) OP static_cast<double>(b);                           \
    }                                                                             \
    bool operator OP(double a, const TextValue& b) { return a OP textNumber(b); } \
    bool operator OP(float a, const TextValue& b) {                               \
        return static_cast<double>(a) OP textNumber(b);                           \
    }                                                                             \
    bool operator OP(int a, const TextValue& b) { return static_cast<double>(a) OP textNumber(b); }

TOVRIK_TEXT_MIXED(==)
TOVRIK_TEXT_MIXED(!=)
TOVRIK_TEXT_MIXED(<)
TOVRIK_TEXT_MIXED(>)
TOVRIK_TEXT_MIXED(<=)
TOVRIK_TEXT_MIXED(>=)
#undef TOVRIK_TEXT_MIXED
