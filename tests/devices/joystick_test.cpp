// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Joysticks through the platform's virtual devices, and the answers without
// any joystick.
#include "devices/input.h"
#include "platform/platform_input.h"
#include "tests/support/input_testing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Joysticks, WithoutDevicesEverythingReadsZero) {
    openInput(false);
    EXPECT_EQ(joystickCount(), 0);
    EXPECT_EQ(joystickX(0), 0);
    EXPECT_EQ(joystickHatX(3), 0);
    EXPECT_EQ(joystickHatY(-1), 0);
    EXPECT_EQ(joystickY(1e30), 0);
    double x = 5, y = 5, b1 = 5, b2 = 5;
    readJoystickDigital(x, y, b1, b2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0);
    EXPECT_EQ(joystickForce(0, 100, 1, 1), 0);
    JoystickState s;
    EXPECT_FALSE(readJoystickState(11, s));
    EXPECT_EQ(std::string(platformJoystickName(0)), "");
    closeInput();
}

class VirtualJoystick : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platformTestAttachJoystick(6, 4, 1));
        openInput(false);
        ASSERT_EQ(joystickCount(), 1);
    }
    void TearDown() override {
        closeInput();
        platformTestDetachJoystick();
    }
};

TEST_F(VirtualJoystick, AxesAreScaledAndClamped) {
    ASSERT_TRUE(platformTestSetJoystickAxis(0, 32767));
    ASSERT_TRUE(platformTestSetJoystickAxis(1, -32768));
    ASSERT_TRUE(platformTestSetJoystickAxis(2, 16384));
    ASSERT_TRUE(platformTestSetJoystickAxis(4, 3000));
    ASSERT_TRUE(platformTestSetJoystickAxis(5, -8192));
    EXPECT_DOUBLE_EQ(joystickX(0), 1.0);
    EXPECT_DOUBLE_EQ(joystickY(0), -1.0);  // one step beyond -32767 stays at -1
    EXPECT_NEAR(joystickZ(0), 16384 / 32767.0, 1e-12);
    EXPECT_NEAR(joystickRZ(0), -8192 / 32767.0, 1e-12);
    EXPECT_EQ(joystickRX(0), 0);
    EXPECT_NEAR(joystickRY(0), 3000 / 32767.0, 1e-12);
    EXPECT_EQ(joystickX(1), 0);  // no second joystick
    const std::string name = platformJoystickName(0);
    EXPECT_NE(name.find(", "), std::string::npos) << name;
}

TEST_F(VirtualJoystick, HatsAndDigitalReading) {
    const int right = 2, down = 4, left = 8, up = 1;
    ASSERT_TRUE(platformTestSetJoystickHat(0, right));
    EXPECT_EQ(joystickHatX(0), 1);
    EXPECT_EQ(joystickHatY(0), 0);
    ASSERT_TRUE(platformTestSetJoystickHat(0, left));
    EXPECT_EQ(joystickHatX(0), -1);
    ASSERT_TRUE(platformTestSetJoystickHat(0, up));
    EXPECT_EQ(joystickHatY(0), -1);
    ASSERT_TRUE(platformTestSetJoystickHat(0, down));
    EXPECT_EQ(joystickHatY(0), 1);
    ASSERT_TRUE(platformTestSetJoystickHat(0, up | right));  // diagonal: neither
    EXPECT_EQ(joystickHatX(0), 0);
    EXPECT_EQ(joystickHatY(0), 0);

    ASSERT_TRUE(platformTestSetJoystickAxis(0, 30000));
    ASSERT_TRUE(platformTestSetJoystickAxis(1, -29999));
    ASSERT_TRUE(platformTestSetJoystickButton(1, true));
    double x = 0, y = 0, b1 = 0, b2 = 0;
    readJoystickDigital(x, y, b1, b2);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0x80);
    // A virtual device has no force feedback.
    EXPECT_EQ(joystickForce(0, 200, 0.5, -2), 0);
}

}  // namespace
