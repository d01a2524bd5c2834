// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Number and text conversion: the number-to-text rule, truncation, substrings, codes, case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/convert.h"

namespace {

std::string numberText(double x) {
    char out[64];
    int n = numberToChars(x, out);
    EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
    return out;
}

TEST(NumberToText, TheRuleGivesTheseExactTexts) {
    EXPECT_EQ(numberText(1), "1");
    EXPECT_EQ(numberText(100), "100");
    EXPECT_EQ(numberText(-2.5), "-2.5");
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(numberText(2.0 / 3.0), "0.6666666667");
    EXPECT_EQ(numberText(0.05), "5.e-002");
    EXPECT_EQ(numberText(10000000000.0), "1.e+010");
}

TEST(NumberToText, FixedFormRange) {
    EXPECT_EQ(numberText(9999999999.0), "9999999999");  // e = 9: still fixed
    EXPECT_EQ(numberText(1234567890.4), "1234567890");
    EXPECT_EQ(numberText(999999999.9), "999999999.9");
    EXPECT_EQ(numberText(2147483648.0), "2147483648");
    EXPECT_EQ(numberText(1234.5), "1234.5");
    EXPECT_EQ(numberText(0.125), "0.125");
    EXPECT_EQ(numberText(-0.5), "-0.5");
    EXPECT_EQ(numberText(12345.678901234), "12345.6789");
    EXPECT_EQ(numberText(-0.0), "0");
}

TEST(NumberToText, ExponentFormRange) {
    EXPECT_EQ(numberText(0.099), "9.9e-002");
    EXPECT_EQ(numberText(-0.05), "-5.e-002");
    EXPECT_EQ(numberText(1e-5), "1.e-005");
    EXPECT_EQ(numberText(123456789012.0), "1.23456789e+011");
    EXPECT_EQ(numberText(1e100), "1.e+100");
    EXPECT_EQ(numberText(1e-100), "1.e-100");
    EXPECT_EQ(numberText(1.5e300), "1.5e+300");
    EXPECT_EQ(numberText(std::numeric_limits<double>::max()), "1.797693135e+308");
    EXPECT_EQ(numberText(std::numeric_limits<double>::denorm_min()), "4.940656458e-324");
}

TEST(NumberToText, RoundingCanMoveTheExponent) {
    EXPECT_EQ(numberText(9999999999.5), "1.e+010");  // rounds up out of fixed form
    EXPECT_EQ(numberText(0.099999999999), "0.1");    // rounds up into fixed form
    EXPECT_EQ(numberText(0.99999999999), "1");
    EXPECT_EQ(numberText(99.999999999), "100");
}

TEST(NumberToText, NonFiniteValuesStayShort) {
    EXPECT_EQ(numberText(std::nan("")), "nan");
    EXPECT_EQ(numberText(HUGE_VAL), "inf");
    EXPECT_EQ(numberText(-HUGE_VAL), "-inf");
}

TEST(NumberToText, IntegersInDecimal) {
    char out[16];
    integerToChars(0, out);
    EXPECT_STREQ(out, "0");
    integerToChars(-2147483647 - 1, out);
    EXPECT_STREQ(out, "-2147483648");
    integerToChars(70000, out);
    EXPECT_STREQ(out, "70000");
}

TEST(TruncateToInt32, TowardZeroAndWrapping) {
    EXPECT_EQ(truncateToInt32(2.9), 2);
    EXPECT_EQ(truncateToInt32(-2.9), -2);
    EXPECT_EQ(truncateToInt32(4294967295.0), -1);
    EXPECT_EQ(truncateToInt32(4294967296.0 + 5), 5);
    EXPECT_EQ(truncateToInt32(-4294967296.0 - 5), -5);
    EXPECT_EQ(truncateToInt32(std::nan("")), 0);
    EXPECT_EQ(truncateToInt32(HUGE_VAL), 0);
}

TEST(TextToNumber, LongestDecimalPrefix) {
    EXPECT_EQ(textToNumber(" 12abc"), 12);
    EXPECT_EQ(textToNumber("abc"), 0);
    EXPECT_EQ(textToNumber("1e3"), 1000);
    EXPECT_EQ(textToNumber(""), 0);
    EXPECT_EQ(textToNumber(TextValue()), 0);
    EXPECT_EQ(textToNumber(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(textToNumber("\t\n -2.5x"), -2.5);
    EXPECT_EQ(textToNumber("+.5"), 0.5);
    EXPECT_EQ(textToNumber("5."), 5);
    EXPECT_EQ(textToNumber("."), 0);
    EXPECT_EQ(textToNumber("-"), 0);
    EXPECT_EQ(textToNumber("1e"), 1);  // an exponent needs digits
    EXPECT_EQ(textToNumber("1e+"), 1);
    EXPECT_EQ(textToNumber("2E-1"), 0.2);
    EXPECT_EQ(textToNumber("0x1A"), 0);  // no hexadecimal
    EXPECT_EQ(textToNumber("inf"), 0);   // no words
    EXPECT_EQ(textToNumber("1e400"), HUGE_VAL);
    EXPECT_EQ(textToNumber("-1e400"), -HUGE_VAL);
    EXPECT_EQ(textToNumber("1e-400"), 0);
    EXPECT_EQ(textToNumber(TextValue("0.6666666667")), 0.6666666667);
}

TEST(TextToNumber, NumberTextsReadBack) {
    for (double x : {1.0, -2.5, 0.1, 123456.75, 1e10, 0.05})
        EXPECT_EQ(textToNumber(numberText(x).c_str()), x);
}

TEST(FormatNumber, WidthAndDecimals) {
    EXPECT_STREQ(formatNumber(8, 2, 3.14159).c_str(), "    3.14");
    EXPECT_STREQ(formatNumber(0, 0, 2.5).c_str(), "2");  // the C library rounds half to even
    EXPECT_STREQ(formatNumber(1, 3, -1).c_str(), "-1.000");
    EXPECT_STREQ(formatNumber(5.9, 1.9, 7).c_str(), "  7.0");
    EXPECT_GE(formatNumber(1, 1, 1).capacity, 512u);
    // Out-of-range arguments are held to 255 instead of building a broken format.
    EXPECT_STREQ(formatNumber(2, -2, 3).c_str(), " 3");
    EXPECT_EQ(formatNumber(1e9, 0, 1).length, 255u);
    EXPECT_EQ(formatNumber(-1e9, 0, 1).length, 255u);
    // An enormous value is given the room it needs.
    EXPECT_EQ(formatNumber(0, 0, 1e300).length, 301u);
}

TEST(FormatNumber, NegativeWidthLeftAligns) {
    EXPECT_STREQ(formatNumber(-8, 2, 3.14159).c_str(), "3.14    ");
    EXPECT_STREQ(formatNumber(-3.9, 0, -7).c_str(), "-7 ");
    EXPECT_STREQ(formatNumber(-2, 1, 123.4).c_str(), "123.4");  // a field never cuts digits
}

TEST(TextMid, Substrings) {
    TextValue hello("HELLO");
    EXPECT_STREQ(textMid(hello, 1, 3).c_str(), "ELL");
    EXPECT_STREQ(textMid(hello, 3, 10).c_str(), "LO");
    EXPECT_STREQ(textMid(hello, 5, 1).c_str(), "");
    EXPECT_STREQ(textMid(hello, -1, 3).c_str(), "");
    EXPECT_STREQ(textMid(hello, 1.9, 2.9).c_str(), "EL");
    EXPECT_STREQ(textMid(hello, 0, 0).c_str(), "");
    EXPECT_STREQ(textMid(hello, 0, -2).c_str(), "");
    EXPECT_STREQ(textMid(hello, 6, 1).c_str(), "");
    EXPECT_STREQ(textMid(hello, 0, 1e12).c_str(), "HELLO");
    EXPECT_STREQ(textMid(hello, 1e12, 1).c_str(), "");
    EXPECT_STREQ(textMid(TextValue(), 0, 3).c_str(), "");
    EXPECT_STREQ(textMid(hello, std::nan(""), 2).c_str(), "");
}

TEST(CharacterCodes, CodesAndCharacters) {
    EXPECT_EQ(charCode(TextValue("ABC")), 65);
    EXPECT_EQ(charCode(TextValue("\xC8x")), 200);
    EXPECT_EQ(charCode(TextValue()), 0);
    EXPECT_STREQ(charFromCode(65.7).c_str(), "A");
    EXPECT_STREQ(charFromCode(321).c_str(), "A");
    EXPECT_STREQ(charFromCode(-191).c_str(), "A");  // 16-bit 0xFF41
    EXPECT_EQ(charFromCode(0).length, 0u);
    EXPECT_EQ(charFromCode(256).length, 0u);
    EXPECT_EQ(charFromCode(std::nan("")).length, 0u);
    EXPECT_EQ(static_cast<unsigned char>(charFromCode(255).c_str()[0]), 255);
}

TEST(LetterCase, OnlyAsciiLettersChange) {
    EXPECT_STREQ(textLower(TextValue("AbC-Z@[\xC4")).c_str(), "abc-z@[\xC4");
    EXPECT_STREQ(textUpper(TextValue("abc-z`{\xE4")).c_str(), "ABC-Z`{\xE4");
    TextValue original("Mixed");
    textUpper(original);
    EXPECT_STREQ(original.c_str(), "Mixed");
}

}  // namespace
