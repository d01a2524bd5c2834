// The driver's script directives, as a session writer relies on them.
#include "support.h"


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

}  // namespace
