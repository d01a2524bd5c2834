// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// How the devices meet the runtime: texts in and out, the error log lines,
// the shutdown order and the settings' screen size.
#include "devices/input.h"
#include "devices/sound.h"
#include "devices/sound_internal.h"
#include "runtime/lifecycle.h"
#include "runtime/text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string textOf(const TextValue& t) { return std::string(t.c_str(), t.length); }

// Points the runtime's temporary folder at a private place for one test.
class PrivateTemp : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? old : "";
        hadTmp_ = old != nullptr;
        setenv("TMPDIR", temp_.file("").c_str(), 1);
        deleteErrorLog();
    }
    void TearDown() override {
        if (hadTmp_) {
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    std::string errorLog() {
        const std::vector<unsigned char> bytes = readBytes(errorLogPath());
        return std::string(bytes.begin(), bytes.end());
    }
    TestFolder temp_;
    std::string oldTmp_;
    bool hadTmp_ = false;
};

TEST(TextOperations, TypedCharactersAndKeyCharactersAsTexts) {
    openInput(false);
    unsigned char keys[256] = {};
    keys[30] = 0x80;
    injectKeyboardSnapshot(keys);
    EXPECT_EQ(textOf(readTypedChar()), "a");
    EXPECT_EQ(textOf(readTypedChar()), "");
    keys[30] = 0;
    keys[14] = 0x80;
    injectKeyboardSnapshot(keys);
    EXPECT_EQ(textOf(readTypedChar()), "\b");
    EXPECT_EQ(textOf(charForKey(16)), "q");
    EXPECT_EQ(textOf(charForKey(28)), "\n");
    EXPECT_EQ(textOf(charForKey(200)), "");
    EXPECT_EQ(textOf(charForKey(-3)), "");
    EXPECT_EQ(textOf(charForKey(1e9)), "");
    EXPECT_EQ(textOf(joystickName(0)), "");
    EXPECT_EQ(textOf(joystickName(-1)), "");
    clearInjectedKeyboard();
    closeInput();
}

TEST_F(PrivateTemp, CaptureThatCannotBeHadIsLoggedAndTheProgramGoesOn) {
    // The dummy video driver has no window and no relative mouse mode.
    openInput(true);
    const std::string log = errorLog();
    EXPECT_NE(log.find("No DX_Mouse\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("No DX_KB\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("No DX_Input"), std::string::npos) << log;
    double x = 0, y = 0, b1 = 0, b2 = 0;
    readMouse(x, y, b1, b2);
    EXPECT_GE(x, 0);
    EXPECT_LE(x, runtimeSettings.screenWidth - 1);
    closeInput();
}

TEST_F(PrivateTemp, ShutdownReleasesInputAndSound) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", temp_.file("out.raw").c_str(), 1);
    openInput(false);
    ASSERT_TRUE(openSound());
    const std::string click = temp_.file("click.wav");
    ASSERT_TRUE(writeBytes(click, makeWav(WavFormat(), sineSamples(22050, 1, 22050, 1000, 8000))));
    ASSERT_EQ(loadSoundEffect(TextValue(click.c_str()), 1, 2), 1);
    EXPECT_EQ(playSoundEffect(1, 0, 1), 256);
    shutdownRuntime();
    EXPECT_FALSE(soundAvailable());
    EXPECT_EQ(isVoicePlaying(256), 0);
    EXPECT_EQ(soundSlotInfo(1).voiceCount, 0);
    // A second shutdown finds nothing left to release.
    shutdownRuntime();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
}

TEST_F(PrivateTemp, MouseClampUsesTheSettingsScreenSize) {
    const RuntimeSettings saved = runtimeSettings;
    runtimeSettings.screenWidth = 640;
    runtimeSettings.screenHeight = 480;
    openInput(false);
    double x = 0, y = 0, b1 = 0, b2 = 0;
    readMouse(x, y, b1, b2);  // takes the pointer's own position: the next read keeps the moved one
    moveMouseTo(5000, 5000);
    readMouse(x, y, b1, b2);
    // The clamp uses the configured logical screen, not the default 320 x 240.
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 479);
    closeInput();
    runtimeSettings = saved;
}

}  // namespace
