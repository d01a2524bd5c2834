// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Dimensioning and checked access of number and text arrays.
#include "runtime/arrays.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "runtime/convert.h"
#include "runtime/lifecycle.h"

namespace {

// Sizes as the game passes them, truncated toward zero and held within 32 bits.
struct Shape {
    int32_t sizes[4];
    int32_t strides[3];
    int32_t dimensions;
    int64_t count;  // element count; -1 when it does not fit the runtime's 32-bit counts
};

Shape makeShape(double s1, double s2, double s3, double s4) {
    Shape shape{};
    shape.sizes[0] = (s1 < 1 || std::isnan(s1)) ? 0 : truncToInt(s1);
    shape.sizes[1] = truncToInt(s2);
    shape.sizes[2] = truncToInt(s3);
    shape.sizes[3] = truncToInt(s4);
    if (shape.sizes[3] != 0)
        shape.dimensions = 4;
    else if (shape.sizes[2] != 0)
        shape.dimensions = 3;
    else if (shape.sizes[1] != 0)
        shape.dimensions = 2;
    else if (shape.sizes[0] != 0)
        shape.dimensions = 1;

    // The count is formed in double precision and truncated; a count beyond 32 bits (or a
    // size too large to hold) cannot be stored and is reported as "no storage".
    double first = (s1 < 1 || std::isnan(s1)) ? 0 : s1;
    double n = first;
    for (double s : {s2, s3, s4}) n *= (s < 1 || std::isnan(s)) ? 1 : s;
    n = std::trunc(n);
    shape.count = (n <= static_cast<double>(INT32_MAX) - 64) ? static_cast<int64_t>(n) : -1;
    for (double s : {s1, s2, s3, s4})
        if (s >= 2147483648.0) shape.count = -1;

    int64_t s12 = static_cast<int64_t>(shape.sizes[0]) * shape.sizes[1];
    int64_t s123 = s12 * shape.sizes[2];
    if (s12 < INT32_MIN || s12 > INT32_MAX || s123 < INT32_MIN || s123 > INT32_MAX)
        shape.count = -1;
    shape.strides[0] = shape.sizes[0];
    shape.strides[1] = shape.count < 0 ? 0 : static_cast<int32_t>(s12);
    shape.strides[2] = shape.count < 0 ? 0 : static_cast<int32_t>(s123);
    return shape;
}

template <typename Array>
void storeShape(Array& a, const Shape& shape) {
    a.dimensions = shape.dimensions;
    a.size1 = shape.sizes[0];
    a.size2 = shape.sizes[1];
    a.size3 = shape.sizes[2];
    a.size4 = shape.sizes[3];
    a.stride1 = shape.strides[0];
    a.stride2 = shape.strides[1];
    a.stride3 = shape.strides[2];
}

// Text blocks: a leading word with the number of constructed elements, padded to the
// elements' alignment, then the elements.
constexpr size_t kTextHeader = alignof(TextValue) > sizeof(int32_t) ? alignof(TextValue)
                                                                    : sizeof(int32_t);

void releaseTextBlock(TextValue* data) {
    if (data == nullptr) return;
    char* block = reinterpret_cast<char*>(data) - kTextHeader;
    int32_t constructed = *reinterpret_cast<int32_t*>(block);
    for (int32_t i = constructed; i-- > 0;) data[i].~TextValue();
    std::free(block);
}

TextValue* allocateTextBlock(int32_t count) {
    size_t bytes = kTextHeader + static_cast<size_t>(count) * sizeof(TextValue);
    char* block = static_cast<char*>(std::malloc(bytes));
    if (block == nullptr) return nullptr;
    *reinterpret_cast<int32_t*>(block) = count;
    TextValue* data = reinterpret_cast<TextValue*>(block + kTextHeader);
    for (int32_t i = 0; i < count; ++i) new (data + i) TextValue();
    return data;
}

}  // namespace

NumberArray::~NumberArray() {
    if (data != nullptr && data != inlineStore) std::free(data);
}

TextArray::~TextArray() { releaseTextBlock(data); }

void dimNumberArray(NumberArray& a, double s1, double s2, double s3, double s4) {
    Shape shape = makeShape(s1, s2, s3, s4);
    if (shape.count < 0) runtimeError(kErrorRange);
    int32_t c = static_cast<int32_t>((shape.count / 8) * 8 + 8);
    if (c > a.capacity || shape.sizes[0] == 0) {
        if (a.data != nullptr && a.data != a.inlineStore) std::free(a.data);
        a.data = nullptr;
        a.capacity = 0;
        if (c > 16) {
            a.data = static_cast<double*>(std::malloc(static_cast<size_t>(c) * sizeof(double)));
        } else {
            a.data = a.inlineStore;
        }
        if (a.data != nullptr) a.capacity = c;
    }
    if (a.data == nullptr) runtimeError(kErrorRange);
    for (int32_t i = 0; i < a.capacity; ++i) a.data[i] = 0;
    storeShape(a, shape);
}

void dimTextArray(TextArray& a, double s1, double s2, double s3, double s4) {
    Shape shape = makeShape(s1, s2, s3, s4);
    if (shape.count < 0) runtimeError(kErrorRange);
    int32_t c = static_cast<int32_t>((shape.count / 64) * 64 + 64);
    if (c > a.capacity || shape.sizes[0] == 0) {
        releaseTextBlock(a.data);
        a.data = allocateTextBlock(c);
        a.capacity = a.data ? c : 0;
    } else {
        for (int32_t i = 0; i < c; ++i) textAssignChars(a.data[i], "");
    }
    if (a.data == nullptr) runtimeError(kErrorRange);
    storeShape(a, shape);
}

void arrayIndexError() { runtimeError(kErrorIndex); }

double& numberArrayAt(NumberArray& a, double index) { return a[index]; }
TextValue& textArrayAt(TextArray& a, double index) { return a[index]; }

namespace {
template <typename Array>
int64_t multiIndex(const Array& a, double i1, double i2, double i3, double i4) {
    int32_t k1, k2 = 0, k3 = 0, k4 = 0;
    if (a.data == nullptr || !arrayIndexValid(i1, a.size1, k1)) arrayIndexError();
    // A size below 1 counts as 1, as it does for the element count.
    if (a.dimensions >= 2 && !arrayIndexValid(i2, a.size2 < 1 ? 1 : a.size2, k2)) arrayIndexError();
    if (a.dimensions >= 3 && !arrayIndexValid(i3, a.size3 < 1 ? 1 : a.size3, k3)) arrayIndexError();
    if (a.dimensions >= 4 && !arrayIndexValid(i4, a.size4 < 1 ? 1 : a.size4, k4)) arrayIndexError();
    // Indices beyond the array's dimensions must be 0 (truncated).
    if (a.dimensions < 2 && !(i2 > -1.0 && i2 < 1.0)) arrayIndexError();
    if (a.dimensions < 3 && !(i3 > -1.0 && i3 < 1.0)) arrayIndexError();
    if (a.dimensions < 4 && !(i4 > -1.0 && i4 < 1.0)) arrayIndexError();
    return k1 + static_cast<int64_t>(k2) * a.stride1 + static_cast<int64_t>(k3) * a.stride2 +
           static_cast<int64_t>(k4) * a.stride3;
}
}  // namespace

double& numberArrayAt(NumberArray& a, double i1, double i2, double i3, double i4) {
    return a.data[multiIndex(a, i1, i2, i3, i4)];
}

TextValue& textArrayAt(TextArray& a, double i1, double i2, double i3, double i4) {
    return a.data[multiIndex(a, i1, i2, i3, i4)];
}

namespace {
template <typename Array>
double boundOf(const Array& a, double axis) {
    if (axis == 0) return a.size1;
    if (axis == 1) return a.size2;
    if (axis == 2) return a.size3;
    if (axis == 3) return a.size4;
    return 0;
}
}  // namespace

double arrayBound(const NumberArray& a, double axis) { return boundOf(a, std::trunc(axis)); }
double arrayBound(const TextArray& a, double axis) { return boundOf(a, std::trunc(axis)); }
