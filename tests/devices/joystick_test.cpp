// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Joysticks through the platform's virtual devices, and the answers without
// any joystick.
#include "devices/input.h"
#include "devices/pad_mappings.h"
#include "platform/platform_input.h"
#include "tests/support/input_testing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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

// The player's controller map: a FIFO, a folder or a device in its place is said at once and
// never waited on; a file of garbage names its refused lines, the first 20 and then a count.
TEST(ControllerMapFile, NonRegularFilesFailFastAndRefusedLinesAreNamed) {
    char folder[] = "/tmp/tovrik-padmap-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/fifo.txt", dir = std::string(folder) + "/dir";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    alarm(60);  // a blocked open ends the test program instead of hanging it
    for (const std::string& path : {fifo, dir, std::string("/dev/zero")}) {
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(openPadsWithMappingFile(path));
        platformPadsClose();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path + " is "), std::string::npos) << said;
    }
    alarm(0);

    const std::string garbage = std::string(folder) + "/gamecontrollerdb.txt";
    {
        std::ofstream out(garbage);
        out << "# a comment\n\n";
        for (int i = 0; i < 24; ++i) out << "not a mapping " << i << "\n";
        out << "03000000aaaa0000bbbb000000000000,Test Pad,a:b0,b:b1,platform:Linux,\n";
    }
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(openPadsWithMappingFile(garbage));
    platformPadsClose();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(garbage + ":3: not a controller mapping"), std::string::npos) << said;
    EXPECT_NE(said.find(garbage + ":22: "), std::string::npos) << said;
    EXPECT_EQ(said.find(garbage + ":23: "), std::string::npos) << said;
    EXPECT_NE(said.find(garbage + ": 4 more lines ignored"), std::string::npos) << said;
    EXPECT_EQ(said.find(":27:"), std::string::npos) << "the good mapping was refused: " << said;
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}
