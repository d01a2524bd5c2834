// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Key names of driver scripts and the settings file.
#include "devices/key_names.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyNames, NamesAndRawCodes) {
    EXPECT_EQ(keyCodeForName("Escape"), 1);
    EXPECT_EQ(keyCodeForName("RETURN"), 28);
    EXPECT_EQ(keyCodeForName("Backspace"), 14);
    EXPECT_EQ(keyCodeForName("tab"), 15);
    EXPECT_EQ(keyCodeForName("Ctrl"), 29);
    EXPECT_EQ(keyCodeForName("Up"), 200);
    EXPECT_EQ(keyCodeForName("Left"), 203);
    EXPECT_EQ(keyCodeForName("Right"), 205);
    EXPECT_EQ(keyCodeForName("Down"), 208);
    EXPECT_EQ(keyCodeForName("a"), 30);
    EXPECT_EQ(keyCodeForName("q"), 16);
    EXPECT_EQ(keyCodeForName("z"), 44);
    EXPECT_EQ(keyCodeForName("1"), 2);
    EXPECT_EQ(keyCodeForName("0"), 11);
    EXPECT_EQ(keyCodeForName("@208"), 208);
    EXPECT_EQ(keyCodeForName("57"), -1);  // raw codes need the @ so that digits stay digits
    EXPECT_EQ(keyCodeForName(""), -1);
}

}  // namespace
