// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// TextValue storage: construction, growth, assignment and the low-level buffer operations.
#include "runtime/text.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "runtime/convert.h"

char textSharedEmpty[1] = {0};

namespace {
const char kConstantEmpty[1] = {0};

uint32_t charsLength(const char* s) { return s ? static_cast<uint32_t>(std::strlen(s)) : 0; }

void writeNumber(TextValue& t, double x) {
    textReserve(t, 64);
    t.length = static_cast<uint32_t>(numberToChars(x, t.buffer));
}

void writeInteger(TextValue& t, int x) {
    textReserve(t, 64);
    t.length = static_cast<uint32_t>(integerToChars(x, t.buffer));
}
}  // namespace

void textInitEmpty(TextValue& t) {
    t.buffer = textSharedEmpty;
    t.capacity = 0;
    t.length = 0;
}

void textFree(TextValue& t) {
    if (t.capacity != 0 && t.buffer != nullptr && t.buffer != textSharedEmpty) std::free(t.buffer);
    t.buffer = nullptr;
    t.capacity = 0;
    t.length = 0;
}

void textReserve(TextValue& t, uint32_t n) {
    if (n < t.capacity) return;
    // Largest multiple of 512 not above n, plus 512: the terminator always fits.
    if (n > UINT32_MAX - 1024) throw std::bad_alloc();
    uint32_t newCapacity = (n / 512u) * 512u + 512u;
    char* fresh = static_cast<char*>(std::malloc(newCapacity));
    if (fresh == nullptr) throw std::bad_alloc();
    if (t.capacity != 0 && t.buffer != nullptr && t.buffer != textSharedEmpty) {
        // The old buffer always holds a terminator within its capacity.
        size_t used = strnlen(t.buffer, t.capacity);
        std::memcpy(fresh, t.buffer, used);
        fresh[used] = 0;
        std::free(t.buffer);
    } else {
        fresh[0] = 0;
    }
    t.buffer = fresh;
    t.capacity = newCapacity;
}

void textFromChars(TextValue& t, const char* s) {
    textInitEmpty(t);
    textAssignChars(t, s);
}

void textAssignChars(TextValue& t, const char* s) {
    uint32_t n = charsLength(s);
    if (s != nullptr && t.capacity != 0 && s >= t.buffer && s < t.buffer + t.capacity) {
        // Assigning a part of the text to itself: the bytes may overlap.
        textReserve(t, n);
        std::memmove(t.buffer, s, n);
    } else {
        textReserve(t, n);
        if (n) std::memcpy(t.buffer, s, n);
    }
    t.buffer[n] = 0;
    t.length = n;
}

void textAssign(TextValue& t, const TextValue& u) {
    if (&t == &u) return;
    uint32_t n = u.length;
    textReserve(t, n);
    if (n) std::memcpy(t.buffer, u.buffer, n);
    t.buffer[n] = 0;
    t.length = n;
}

void textFromText(TextValue& t, const TextValue& u) {
    textInitEmpty(t);
    textAssign(t, u);
}

void textFromNumber(TextValue& t, double x) {
    textInitEmpty(t);
    writeNumber(t, x);
}
void textFromNumber(TextValue& t, float x) { textFromNumber(t, static_cast<double>(x)); }
void textFromNumber(TextValue& t, int x) {
    textInitEmpty(t);
    writeInteger(t, x);
}
void textAssignNumber(TextValue& t, double x) { writeNumber(t, x); }
void textAssignNumber(TextValue& t, float x) { writeNumber(t, static_cast<double>(x)); }
void textAssignNumber(TextValue& t, int x) { writeInteger(t, x); }

const char* textCString(const TextValue& t) { return t.length > 0 ? t.buffer : kConstantEmpty; }

double textLength(const TextValue& t) { return static_cast<double>(t.length); }

char* textBuffer(TextValue& t, uint32_t n) {
    textReserve(t, n);
    return t.buffer;
}

void textRecount(TextValue& t) {
    if (t.capacity == 0 || t.buffer == nullptr || t.buffer[0] == 0) {
        t.length = 0;
        return;
    }
    t.length = static_cast<uint32_t>(strnlen(t.buffer, t.capacity));
}

unsigned char textCharAt(const TextValue& t, uint32_t i) {
    if (t.length == 0) return 0;
    return static_cast<unsigned char>(t.buffer[i]);
}

void textSetCharAt(TextValue& t, uint32_t i, unsigned char c) {
    t.buffer[i] = static_cast<char>(c);
}

void textTruncate(TextValue& t, uint32_t i) {
    t.buffer[i] = 0;
    textRecount(t);
}

// ---- members ------------------------------------------------------------------------------

TextValue::TextValue(const char* s) { textFromChars(*this, s); }
TextValue::TextValue(const TextValue& other) { textFromText(*this, other); }
TextValue::TextValue(TextValue&& other) noexcept
    : buffer(other.buffer), capacity(other.capacity), length(other.length) {
    textInitEmpty(other);
}
TextValue::TextValue(double x) { textFromNumber(*this, x); }
TextValue::TextValue(float x) { textFromNumber(*this, x); }
TextValue::TextValue(int x) { textFromNumber(*this, x); }
TextValue::~TextValue() { textFree(*this); }

TextValue& TextValue::operator=(const TextValue& other) {
    textAssign(*this, other);
    return *this;
}
TextValue& TextValue::operator=(TextValue&& other) noexcept {
    if (this != &other) {
        // Keep the larger buffer so a variable's storage never shrinks.
        if (other.capacity >= capacity) {
            std::swap(buffer, other.buffer);
            std::swap(capacity, other.capacity);
            std::swap(length, other.length);
        } else {
            textAssign(*this, other);
        }
    }
    return *this;
}
TextValue& TextValue::operator=(const char* s) {
    textAssignChars(*this, s);
    return *this;
}
TextValue& TextValue::operator=(double x) {
    textAssignNumber(*this, x);
    return *this;
}
TextValue& TextValue::operator=(float x) {
    textAssignNumber(*this, x);
    return *this;
}
TextValue& TextValue::operator=(int x) {
    textAssignNumber(*this, x);
    return *this;
}

TextValue& TextValue::operator+=(const TextValue& v) {
    uint32_t oldLength = length;
    uint32_t add = v.length;
    if (&v == this) {
        textReserve(*this, oldLength + add);
        std::memcpy(buffer + oldLength, buffer, add);
    } else {
        textReserve(*this, oldLength + add);
        if (add) std::memcpy(buffer + oldLength, v.buffer, add);
    }
    length = oldLength + add;
    buffer[length] = 0;
    return *this;
}
TextValue& TextValue::operator+=(const char* v) {
    if (v != nullptr && capacity != 0 && v >= buffer && v < buffer + capacity) {
        TextValue copy(v);  // appending a part of itself: take a copy before the buffer moves
        return *this += copy;
    }
    uint32_t add = charsLength(v);
    textReserve(*this, length + add);
    if (add) std::memcpy(buffer + length, v, add);
    length += add;
    buffer[length] = 0;
    return *this;
}
TextValue& TextValue::operator+=(double v) {
    char digits[64];
    numberToChars(v, digits);
    return *this += static_cast<const char*>(digits);
}
TextValue& TextValue::operator+=(float v) { return *this += static_cast<double>(v); }
TextValue& TextValue::operator+=(int v) {
    char digits[16];
    integerToChars(v, digits);
    return *this += static_cast<const char*>(digits);
}

const char* TextValue::c_str() const { return textCString(*this); }
