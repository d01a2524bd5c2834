// The driver's script directives and its switch, as a session writer relies on them.
#include "support.h"

#include <cstdlib>

#include "app/driver.h"

namespace {

// A capital in a typed word is typed as a player types it, with Shift held, so that a session
// typing "Ab1c" shows name entry the capital it must ignore rather than a plain a.
TEST(DriverOptionsTest, TypedCapitalsHoldShift) {
    DriverScript s;
    std::string error;
    ASSERT_TRUE(parseDriverScript("type 10 Ab1c\n", "", s, error)) << error;
    unsigned char keys[256];

    driverKeysForFrame(s, 10, keys);
    EXPECT_EQ(keys[30], 0x80);  // a
    EXPECT_EQ(keys[42], 0x80);  // with left Shift
    driverKeysForFrame(s, 11, keys);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(keys[k], 0) << k;

    driverKeysForFrame(s, 12, keys);
    EXPECT_EQ(keys[48], 0x80);  // b, without Shift
    EXPECT_EQ(keys[42], 0);
    driverKeysForFrame(s, 14, keys);
    EXPECT_EQ(keys[2], 0x80);  // the digit 1
    EXPECT_EQ(keys[42], 0);
    driverKeysForFrame(s, 16, keys);
    EXPECT_EQ(keys[46], 0x80);  // c
    EXPECT_EQ(keys[42], 0);
}

// Asking for the driver without naming a script is a mistake in the command, not a request for
// an ordinary run: the program would otherwise open its menu and wait for a player who is not
// there.
TEST(DriverOptionsDeathTest, TheSwitchWithoutAScriptEndsWithStatusTwo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    unsetenv("TOVRIK_DRIVER");
    char program[] = "crumlet";
    char option[] = "--driver";
    char emptyOption[] = "--driver=";
    char* bare[] = {program, option, nullptr};
    char* empty[] = {program, emptyOption, nullptr};
    EXPECT_EXIT(configureDriver(2, bare), ::testing::ExitedWithCode(2), "driver");
    EXPECT_EXIT(configureDriver(2, empty), ::testing::ExitedWithCode(2), "driver");
}

}  // namespace
