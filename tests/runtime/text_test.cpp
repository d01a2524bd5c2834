// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The text type: storage, growth, copies and moves, operators and texts joined with numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "runtime/text.h"

namespace {

TEST(TextStorage, EmptyTextUsesTheSharedBufferAndOwnsNothing) {
    TextValue t;
    EXPECT_EQ(t.buffer, textSharedEmpty);
    EXPECT_EQ(t.capacity, 0u);
    EXPECT_EQ(t.length, 0u);
    textFree(t);  // never frees the shared buffer
    EXPECT_EQ(t.buffer, nullptr);
    EXPECT_EQ(t.capacity, 0u);
    EXPECT_EQ(textSharedEmpty[0], 0);
}

TEST(TextStorage, AssigningEmptyStringGivesOwnedBufferButConstantEmptyCString) {
    TextValue t;
    textAssignChars(t, "");
    EXPECT_EQ(t.capacity, 512u);
    EXPECT_EQ(t.length, 0u);
    EXPECT_NE(t.buffer, textSharedEmpty);
    EXPECT_NE(textCString(t), t.buffer);  // length 0: the constant empty string
    EXPECT_STREQ(textCString(t), "");
}

TEST(TextStorage, GrowthStepsOf512AndNoShrinking) {
    TextValue t;
    t = std::string(511, 'a').c_str();
    EXPECT_EQ(t.capacity, 512u);
    t = std::string(512, 'b').c_str();
    EXPECT_EQ(t.capacity, 1024u);
    EXPECT_EQ(t.length, 512u);
    t = "short";
    EXPECT_EQ(t.capacity, 1024u);
    EXPECT_STREQ(t.c_str(), "short");
    textReserve(t, 1023);  // below capacity: nothing happens
    EXPECT_EQ(t.capacity, 1024u);
    textReserve(t, 1024);
    EXPECT_EQ(t.capacity, 1536u);
    EXPECT_STREQ(t.c_str(), "short");  // content survives the move
}

TEST(TextStorage, NullStringAssignsEmpty) {
    TextValue t("abc");
    textAssignChars(t, nullptr);
    EXPECT_EQ(t.length, 0u);
    EXPECT_STREQ(t.c_str(), "");
}

TEST(TextStorage, CopiesOwnTheirCharacters) {
    TextValue a("hello");
    TextValue b(a);
    EXPECT_NE(a.buffer, b.buffer);
    b += "!";
    EXPECT_STREQ(a.c_str(), "hello");
    EXPECT_STREQ(b.c_str(), "hello!");
}

TEST(TextStorage, MoveAssignmentNeverShrinksTheTarget) {
    TextValue big(std::string(700, 'x').c_str());
    ASSERT_EQ(big.capacity, 1024u);
    big = TextValue("small");
    EXPECT_EQ(big.capacity, 1024u);
    EXPECT_STREQ(big.c_str(), "small");
}

TEST(TextStorage, SelfAssignmentAndSelfAppend) {
    TextValue t("abc");
    textAssign(t, t);
    EXPECT_STREQ(t.c_str(), "abc");
    t += t;
    EXPECT_STREQ(t.c_str(), "abcabc");
    t += textCString(t) + 3;  // a part of itself
    EXPECT_STREQ(t.c_str(), "abcabcabc");
    textAssignChars(t, textCString(t) + 6);
    EXPECT_STREQ(t.c_str(), "abc");
}

TEST(TextStorage, AppendAcrossTheStepBoundaryKeepsContent) {
    TextValue t(std::string(500, 'a').c_str());
    t += std::string(100, 'b').c_str();
    EXPECT_EQ(t.length, 600u);
    EXPECT_EQ(t.capacity, 1024u);
    EXPECT_EQ(std::string(t.c_str()), std::string(500, 'a') + std::string(100, 'b'));
}

TEST(TextStorage, BufferRecountAndTruncate) {
    TextValue t;
    char* b = textBuffer(t, 20);
    std::snprintf(b, 20, "%s", "written");
    textRecount(t);
    EXPECT_EQ(t.length, 7u);
    textTruncate(t, 3);
    EXPECT_STREQ(t.c_str(), "wri");
    EXPECT_EQ(textCharAt(t, 1), 'r');
    textSetCharAt(t, 0, 'W');
    EXPECT_STREQ(t.c_str(), "Wri");
    TextValue empty;
    textRecount(empty);  // capacity 0: length stays 0
    EXPECT_EQ(empty.length, 0u);
    EXPECT_EQ(textCharAt(empty, 0), 0);
}

TEST(TextNumbers, NumbersBecomeTextByTheRule) {
    TextValue three(3.0), half(2.5), zero(0.0), integer(-42);
    EXPECT_STREQ(three.c_str(), "3");
    EXPECT_STREQ(half.c_str(), "2.5");
    EXPECT_STREQ(zero.c_str(), "0");
    EXPECT_STREQ(integer.c_str(), "-42");
    EXPECT_GE(three.capacity, 512u);
    // Single precision is widened first, so its binary error shows in ten digits.
    TextValue single(0.1f);
    EXPECT_STREQ(single.c_str(), "0.1000000015");
    TextValue t("x");
    t = 7.0;
    EXPECT_STREQ(t.c_str(), "7");
}

TEST(TextOperators, AppendEveryOperandKind) {
    TextValue t("a");
    t += "b";
    t += TextValue("c");
    t += 1;
    t += 2.5;
    t += 0.5f;
    EXPECT_STREQ(t.c_str(), "abc12.50.5");
}

TEST(TextOperators, ConcatenationLeavesOperandsUnchanged) {
    TextValue name("bug");
    EXPECT_STREQ(textPlusChars(name, "gy").c_str(), "buggy");
    EXPECT_STREQ(textPlusText(name, name).c_str(), "bugbug");
    EXPECT_STREQ(charsPlusText("a ", name).c_str(), "a bug");
    EXPECT_STREQ(numberPlusChars(2.5, " m").c_str(), "2.5 m");
    EXPECT_STREQ(charsPlusNumber("Level ", 3).c_str(), "Level 3");
    EXPECT_STREQ(charsPlusNumber("x ", 0.05).c_str(), "x 5.e-002");
    EXPECT_STREQ((name + 1).c_str(), "bug1");
    EXPECT_STREQ((2 + name).c_str(), "2bug");
    EXPECT_STREQ((name + 0.25).c_str(), "bug0.25");
    EXPECT_STREQ(("<" + name + ">").c_str(), "<bug>");
    EXPECT_STREQ(name.c_str(), "bug");
}

TEST(TextOperators, TextComparisonsAreByUnsignedBytes) {
    TextValue ten("10"), nine("9");
    EXPECT_TRUE(ten < nine);
    EXPECT_FALSE(ten > nine);
    EXPECT_TRUE(TextValue("\xC8") > TextValue("A"));  // byte 200 sorts after 'A'
    EXPECT_TRUE(TextValue("abc") <= "abd");
    EXPECT_TRUE("abc" < TextValue("abd"));
    EXPECT_EQ(textLessEqualChars(TextValue("abc"), "abc"), 1);
    EXPECT_EQ(textGreaterEqualChars(TextValue("abb"), "abc"), 0);
    EXPECT_EQ(textGreaterEqualChars(TextValue(), ""), 1);
}

TEST(TextOperators, EqualityOfDifferentLengthsIsFalseEvenForPrefixes) {
    TextValue ab("ab"), abc("abc");
    EXPECT_FALSE(ab == abc);
    EXPECT_TRUE(ab != abc);
    EXPECT_EQ(textEqualText(ab, abc), 0);
    EXPECT_TRUE(ab == TextValue("ab"));
    TextValue owned;
    textAssignChars(owned, "");
    EXPECT_TRUE(owned == TextValue());
}

TEST(TextOperators, MixedComparisonsConvertTheText) {
    TextValue ten("10");
    EXPECT_TRUE(ten > 9);
    EXPECT_TRUE(ten > 9.5);
    EXPECT_TRUE(9 < ten);
    EXPECT_TRUE(TextValue("abc") == 0);  // no number in it: 0
    EXPECT_TRUE(TextValue(" 12abc") == 12.0);
    EXPECT_TRUE(TextValue("2.5") == 2.5f);
    EXPECT_TRUE(TextValue("3") >= 3.0);
    const double nan = std::nan("");
    EXPECT_FALSE(ten == nan);
    EXPECT_FALSE(ten < nan);
    EXPECT_FALSE(ten >= nan);
    EXPECT_TRUE(ten != nan);
    EXPECT_FALSE(nan <= ten);
}

TEST(TextOperators, ThreeWayComparisonWithANumber) {
    EXPECT_EQ(textCompareNumber(TextValue("5"), 7), -1);
    EXPECT_EQ(textCompareNumber(TextValue("7"), 7), 0);
    EXPECT_EQ(textCompareNumber(TextValue("1e3"), 7), 1);
    EXPECT_EQ(compareChars(nullptr, ""), 0);
    EXPECT_LT(compareChars("a", "b"), 0);
}

}  // namespace
