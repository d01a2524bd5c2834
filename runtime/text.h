// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// TextValue: the runtime's one text type (8-bit characters, never a zero byte inside).
//
// Storage rule: an empty text points at one shared, read-only empty string with capacity 0.
// Owned buffers grow in steps of 512 bytes (capacity is always a multiple of 512 and always
// greater than the length, so the terminator fits) and never shrink while the text lives.
// Copies always copy the characters; a buffer belongs to exactly one TextValue.
//
// Numbers that meet texts are written by the number-to-text rule (convert.h); integers in
// decimal. Comparisons between texts are byte by byte on unsigned bytes; comparisons between
// a text and a number convert the text with textToNumber and compare numerically.
#pragma once

#include <cstdint>

// The process-wide shared empty buffer (never written, never freed).
extern char textSharedEmpty[1];

struct TextValue {
    char* buffer;
    uint32_t capacity;
    uint32_t length;

    // constexpr: global texts are ready before any other initialisation runs.
    constexpr TextValue() : buffer(textSharedEmpty), capacity(0), length(0) {}
    TextValue(const char* s);  // implicit: plain strings are texts wherever a text is wanted
    TextValue(const TextValue& other);
    TextValue(TextValue&& other) noexcept;
    explicit TextValue(double x);
    explicit TextValue(float x);
    explicit TextValue(int x);
    ~TextValue();

    TextValue& operator=(const TextValue& other);
    TextValue& operator=(TextValue&& other) noexcept;
    TextValue& operator=(const char* s);
    TextValue& operator=(double x);
    TextValue& operator=(float x);
    TextValue& operator=(int x);

    TextValue& operator+=(const TextValue& v);
    TextValue& operator+=(const char* v);
    TextValue& operator+=(double v);
    TextValue& operator+=(float v);
    TextValue& operator+=(int v);

    const char* c_str() const;  // same as textCString
};

// ---- core operations ----------------------------------------------------------------------
void textInitEmpty(TextValue& t);
void textFree(TextValue& t);
void textReserve(TextValue& t, uint32_t n);
void textFromChars(TextValue& t, const char* s);  // t is raw storage: constructs it
void textAssignChars(TextValue& t, const char* s);
void textAssign(TextValue& t, const TextValue& u);
void textFromText(TextValue& t, const TextValue& u);  // t is raw storage: constructs it
void textFromNumber(TextValue& t, double x);          // t is raw storage: constructs it
void textFromNumber(TextValue& t, float x);
void textFromNumber(TextValue& t, int x);
void textAssignNumber(TextValue& t, double x);
void textAssignNumber(TextValue& t, float x);
void textAssignNumber(TextValue& t, int x);
const char* textCString(const TextValue& t);
double textLength(const TextValue& t);
char* textBuffer(TextValue& t, uint32_t n);
void textRecount(TextValue& t);
unsigned char textCharAt(const TextValue& t, uint32_t i);
void textSetCharAt(TextValue& t, uint32_t i, unsigned char c);
void textTruncate(TextValue& t, uint32_t i);

// ---- the named operations used by the game's expressions ------------------------------------
TextValue textPlusChars(const TextValue& a, const char* b);
TextValue textPlusText(const TextValue& a, const TextValue& b);
TextValue charsPlusText(const char* a, const TextValue& b);
TextValue numberPlusChars(double x, const char* s);
TextValue charsPlusNumber(const char* s, double x);
TextValue numberPlusText(double x, const TextValue& t);
TextValue textPlusNumber(const TextValue& t, double x);
double textLessEqualChars(const TextValue& a, const char* b);
double textGreaterEqualChars(const TextValue& a, const char* b);
double textEqualText(const TextValue& a, const TextValue& b);  // length shortcut first

// Byte-wise three-way comparison of two plain strings (null counts as empty): <0, 0, >0.
int compareChars(const char* a, const char* b);
// Numeric three-way comparison of a text against a double: -1, 0 or 1 (0 when either is NaN).
double textCompareNumber(const TextValue& t, double x);

// ---- concatenation --------------------------------------------------------------------------
TextValue operator+(const TextValue& a, const TextValue& b);
TextValue operator+(const TextValue& a, const char* b);
TextValue operator+(const char* a, const TextValue& b);
TextValue operator+(const TextValue& a, double b);
TextValue operator+(const TextValue& a, float b);
TextValue operator+(const TextValue& a, int b);
TextValue operator+(double a, const TextValue& b);
TextValue operator+(float a, const TextValue& b);
TextValue operator+(int a, const TextValue& b);

// ---- comparisons ----------------------------------------------------------------------------
// Text against text or plain string: byte order. Text against number: numeric (NaN makes every
// relation false except !=).
#define TOVRIK_TEXT_RELATIONS(OP)                             \
    bool operator OP(const TextValue& a, const TextValue& b); \
    bool operator OP(const TextValue& a, const char* b);      \
    bool operator OP(const char* a, const TextValue& b);      \
    bool operator OP(const TextValue& a, double b);           \
    bool operator OP(const TextValue& a, float b);            \
    bool operator OP(const TextValue& a, int b);              \
    bool operator OP(double a, const TextValue& b);           \
    bool operator OP(float a, const TextValue& b);            \
    bool operator OP(int a, const TextValue& b);
TOVRIK_TEXT_RELATIONS(==)
TOVRIK_TEXT_RELATIONS(!=)
TOVRIK_TEXT_RELATIONS(<)
TOVRIK_TEXT_RELATIONS(>)
TOVRIK_TEXT_RELATIONS(<=)
TOVRIK_TEXT_RELATIONS(>=)
#undef TOVRIK_TEXT_RELATIONS
