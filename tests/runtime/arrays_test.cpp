// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Number and text arrays: capacity, layout, truncated indices and the index-check stop.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/arrays.h"

namespace {

TEST(NumberArrays, CapacityStepsAndInlineStore) {
    NumberArray a;
    EXPECT_EQ(a.data, nullptr);
    dimNumberArray(a, 8);
    EXPECT_EQ(a.capacity, 16);
    EXPECT_EQ(a.data, a.inlineStore);
    NumberArray b;
    dimNumberArray(b, 16);
    EXPECT_EQ(b.capacity, 24);
    EXPECT_NE(b.data, b.inlineStore);
    NumberArray c;
    dimNumberArray(c, 1200);
    EXPECT_EQ(c.capacity, 1208);
    EXPECT_EQ(c.size1, 1200);
    EXPECT_EQ(c.dimensions, 1);
    EXPECT_EQ(c.stride1, 1200);
    NumberArray d;
    dimNumberArray(d, 7);
    EXPECT_EQ(d.capacity, 8);
}

TEST(NumberArrays, FirstSizeBelowOneGivesAnEmptyArray) {
    for (double size : {0.0, 0.5, -3.0}) {
        NumberArray a;
        dimNumberArray(a, 100);
        dimNumberArray(a, size);
        EXPECT_EQ(a.size1, 0);
        EXPECT_EQ(a.dimensions, 0);
        EXPECT_EQ(a.capacity, 8);
        EXPECT_EQ(a.data, a.inlineStore);
    }
}

TEST(NumberArrays, RedimensioningKeepsCapacityAndClearsEverything) {
    NumberArray a;
    dimNumberArray(a, 1200);
    double* block = a.data;
    a[1199] = 5;
    a[0] = 7;
    dimNumberArray(a, 100);
    EXPECT_EQ(a.capacity, 1208);
    EXPECT_EQ(a.data, block);
    EXPECT_EQ(a.size1, 100);
    for (int i = 0; i < a.capacity; ++i) ASSERT_EQ(a.data[i], 0) << i;
}

TEST(NumberArrays, IndexTruncatesTowardZero) {
    NumberArray a;
    dimNumberArray(a, 1200);
    a[1199] = 3;
    EXPECT_EQ(numberArrayAt(a, 1199.9), 3);
    a[-0.5] = 4;  // truncates to 0
    EXPECT_EQ(a[0], 4);
    EXPECT_EQ(arrayBound(a, 0), 1200);
    EXPECT_EQ(arrayBound(a, 1), 0);
    EXPECT_EQ(arrayBound(a, 4), 0);
    EXPECT_EQ(arrayBound(a, -1), 0);
}

TEST(NumberArrays, MultipleSizesLayOutFirstIndexFastest) {
    NumberArray a;
    dimNumberArray(a, 4, 3, 2);
    EXPECT_EQ(a.dimensions, 3);
    EXPECT_EQ(a.stride1, 4);
    EXPECT_EQ(a.stride2, 12);
    EXPECT_EQ(a.stride3, 24);
    EXPECT_EQ(a.capacity, 32);  // 24 elements
    numberArrayAt(a, 1, 2, 1) = 9;
    EXPECT_EQ(a.data[1 + 2 * 4 + 1 * 12], 9);
    EXPECT_EQ(arrayBound(a, 1), 3);
    EXPECT_EQ(arrayBound(a, 2), 2);
}

TEST(TextArrays, CapacityStepsOf64AndEmptyElements) {
    TextArray t;
    dimTextArray(t, 800);
    EXPECT_EQ(t.capacity, 832);
    for (int i = 0; i < t.capacity; ++i) ASSERT_EQ(t.data[i].length, 0u);
    t[799] = "last";
    t[0] = std::string(600, 'x').c_str();
    uint32_t bigCapacity = t[0].capacity;
    dimTextArray(t, 10);  // smaller: elements are emptied but keep their buffers
    EXPECT_EQ(t.capacity, 832);
    EXPECT_EQ(t[0].length, 0u);
    EXPECT_EQ(t[0].capacity, bigCapacity);
    dimTextArray(t, 900);  // larger: a new block
    EXPECT_EQ(t.capacity, 960);
    EXPECT_EQ(t[899].length, 0u);
    EXPECT_EQ(arrayBound(t, 0), 900);
}

TEST(TextArrays, MultipleIndices) {
    TextArray t;
    dimTextArray(t, 3, 2);
    textArrayAt(t, 2, 1) = "corner";
    EXPECT_STREQ(t.data[2 + 3].c_str(), "corner");
}

using ArraysDeathTest = ::testing::Test;

TEST_F(ArraysDeathTest, IndexAtTheSizeStopsWithCode9) {
    NumberArray a;
    dimNumberArray(a, 1200);
    EXPECT_EXIT(a[1200] = 1, ::testing::ExitedWithCode(9), "runtime error 9");
    EXPECT_EXIT(numberArrayAt(a, -1), ::testing::ExitedWithCode(9), "array index");
    EXPECT_EXIT(numberArrayAt(a, std::nan("")), ::testing::ExitedWithCode(9), "");
    EXPECT_EXIT(numberArrayAt(a, 1e300), ::testing::ExitedWithCode(9), "");
}

TEST_F(ArraysDeathTest, UndimensionedAndEmptyArraysHaveNoValidIndex) {
    NumberArray never;
    EXPECT_EXIT(never[0], ::testing::ExitedWithCode(9), "");
    TextArray texts;
    EXPECT_EXIT(texts[0] = "x", ::testing::ExitedWithCode(9), "");
    NumberArray empty;
    dimNumberArray(empty, 0);
    EXPECT_EXIT(empty[0], ::testing::ExitedWithCode(9), "");
}

TEST_F(ArraysDeathTest, EachOfSeveralIndicesIsChecked) {
    NumberArray a;
    dimNumberArray(a, 4, 3);
    EXPECT_EXIT(numberArrayAt(a, 0, 3), ::testing::ExitedWithCode(9), "");
    EXPECT_EXIT(numberArrayAt(a, 0, 0, 1), ::testing::ExitedWithCode(9), "");
}

TEST_F(ArraysDeathTest, ElementCountOverflowIsNoStorage) {
    NumberArray a;
    EXPECT_EXIT(dimNumberArray(a, 1e6, 1e6), ::testing::ExitedWithCode(7), "runtime error 7");
    EXPECT_EXIT(dimNumberArray(a, 65536, 65536, 65536, 65536), ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(dimNumberArray(a, 1e30), ::testing::ExitedWithCode(7), "");
    TextArray t;
    EXPECT_EXIT(dimTextArray(t, 3e9), ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(dimTextArray(t, 2147483647), ::testing::ExitedWithCode(7), "");
}

TEST(DataLists, ItemsReadInOrderAsTextOrNumber) {
    static const DataItem items[] = {{3, nullptr}, {0, "12.5"}, {0.05, nullptr}, {0, "word"}};
    static DataList list{items, 4, 0};  // stays current after the test
    selectDataList(list);
    double n = -1;
    TextValue t;
    readDataNumber(n);
    EXPECT_EQ(n, 3);
    readDataNumber(n);
    EXPECT_EQ(n, 12.5);
    readDataText(t);
    EXPECT_STREQ(t.c_str(), "5.e-002");
    readDataText(t);
    EXPECT_STREQ(t.c_str(), "word");
    selectDataList(list);  // rewinds
    readDataText(t);
    EXPECT_STREQ(t.c_str(), "3");
}

TEST(DataListsDeathTest, ReadingPastTheEndStopsWithCode20) {
    static const DataItem items[] = {{1, nullptr}};
    DataList list{items, 1, 0};
    double n;
    EXPECT_EXIT(
        {
            selectDataList(list);
            readDataNumber(n);
            readDataNumber(n);
        },
        ::testing::ExitedWithCode(20), "runtime error 20");
}

TEST(DataListsDeathTest, ReadingWithNoListSelectedStopsWithCode20) {
    // A fresh process: no earlier test may have selected a list.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TextValue t;
    EXPECT_EXIT(readDataText(t), ::testing::ExitedWithCode(20), "");
}

}  // namespace
