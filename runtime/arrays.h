// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Game arrays with up to four sizes and the runtime's data lists.
//
// Element (i1, i2, i3, i4) lies at i1 + i2*stride1 + i3*stride2 + i4*stride3; the game uses one
// index, so its elements lie at their index. An index is truncated toward zero and checked
// against size1; an invalid index is runtime error 9 (the program stops). Dimensioning clears
// every element; storage grows in steps (8 numbers, 64 texts) and never shrinks while size1 is
// at least 1. Number arrays of up to 16 elements live in the record itself.
#pragma once

#include <cstdint>

#include "runtime/text.h"

struct NumberArray {
    double* data = nullptr;
    double inlineStore[16] = {};
    int32_t stride1 = 0, stride2 = 0, stride3 = 0;
    int32_t size1 = 0, size2 = 0, size3 = 0, size4 = 0;
    int32_t dimensions = 0;
    int32_t capacity = 0;

    NumberArray() = default;
    NumberArray(const NumberArray&) = delete;  // data may point into the record itself
    NumberArray& operator=(const NumberArray&) = delete;
    ~NumberArray();

    inline double& operator[](double index);
};

struct TextArray {
    TextValue* data = nullptr;  // elements; the block starts with a count word before them
    int32_t stride1 = 0, stride2 = 0, stride3 = 0;
    int32_t size1 = 0, size2 = 0, size3 = 0, size4 = 0;
    int32_t dimensions = 0;
    int32_t capacity = 0;

    TextArray() = default;
    TextArray(const TextArray&) = delete;
    TextArray& operator=(const TextArray&) = delete;
    ~TextArray();

    inline TextValue& operator[](double index);
};

// (Re)dimension; sizes not wanted are 0. Element-count overflow or no storage: runtime error 7.
void dimNumberArray(NumberArray& a, double s1, double s2 = 0, double s3 = 0, double s4 = 0);
void dimTextArray(TextArray& a, double s1, double s2 = 0, double s3 = 0, double s4 = 0);

// Element access after the index check (error 9 on an invalid index).
double& numberArrayAt(NumberArray& a, double index);
TextValue& textArrayAt(TextArray& a, double index);
// Several indices, each checked against its own size (error 9).
double& numberArrayAt(NumberArray& a, double i1, double i2, double i3 = 0, double i4 = 0);
TextValue& textArrayAt(TextArray& a, double i1, double i2, double i3 = 0, double i4 = 0);

// size1..size4 for axis 0..3, 0 for any other axis.
double arrayBound(const NumberArray& a, double axis);
double arrayBound(const TextArray& a, double axis);

// Stops the program with error 9. Out of line so the inline checks stay small.
[[noreturn]] void arrayIndexError();

// Truncates toward zero and checks 0 <= index < size (NaN and huge values are invalid).
inline bool arrayIndexValid(double index, int32_t size, int32_t& out) {
    if (!(index > -1.0 && index < static_cast<double>(size))) return false;
    out = static_cast<int32_t>(index);
    return true;
}

inline double& NumberArray::operator[](double index) {
    int32_t i;
    if (data == nullptr || !arrayIndexValid(index, size1, i)) arrayIndexError();
    return data[i];
}

inline TextValue& TextArray::operator[](double index) {
    int32_t i;
    if (data == nullptr || !arrayIndexValid(index, size1, i)) arrayIndexError();
    return data[i];
}

// ---- data lists ---------------------------------------------------------------------------
// An item is a number (text == nullptr) or a plain string.
struct DataItem {
    double number;
    const char* text;
};

struct DataList {
    const DataItem* items;
    int32_t count;
    int32_t cursor;
};

// Makes the list current and rewinds it.
void selectDataList(DataList& list);
// Next item as text (numbers by the number-to-text rule) / as number (texts by textToNumber).
// No current list or no item left: runtime error 20.
void readDataText(TextValue& out);
void readDataNumber(double& out);
