// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Keyboard logic through injected snapshots, and the scan-code and layout
// translation on SDL's dummy video driver (US layout).
#include "devices/input.h"
#include "platform/platform_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        openInput(false);
        release();
    }
    void TearDown() override {
        clearInjectedKeyboard();
        closeInput();
    }
    void hold(std::initializer_list<int> codes) {
        for (int c : codes) keys_[c] = 0x80;
        injectKeyboardSnapshot(keys_);
    }
    void release() {
        std::memset(keys_, 0, sizeof keys_);
        injectKeyboardSnapshot(keys_);
    }
    // Characters for a run of codes, as the layout types them.
    static std::string row(int first, int last) {
        std::string s;
        for (int c = first; c <= last; ++c) s += static_cast<char>(charCodeForKey(c));
        return s;
    }
    unsigned char keys_[256] = {};
};

TEST_F(Keyboard, KeyDownUsesTheLowEightBitsOfTheCode) {
    hold({200});
    EXPECT_EQ(isKeyDown(200), 1);
    EXPECT_EQ(isKeyDown(200.9), 1);
    EXPECT_EQ(isKeyDown(456), 1);  // 456 & 255 = 200
    EXPECT_EQ(isKeyDown(203), 0);
    EXPECT_EQ(isKeyDown(256), 0);
    // Absurd numbers wrap like any other code: ±1e300 are multiples of 2^32, and NaN counts as
    // 0, so all three ask for key 0.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double absurd : {1e300, -1e300, nan}) EXPECT_EQ(isKeyDown(absurd), 0) << absurd;
    hold({0});
    EXPECT_EQ(isKeyDown(256), 1);  // 256 asks for key 0
    EXPECT_EQ(isKeyDown(0), 1);
    for (double absurd : {1e300, -1e300, nan}) EXPECT_EQ(isKeyDown(absurd), 1) << absurd;
}

TEST_F(Keyboard, OnlyBitSevenMeansHeld) {
    keys_[57] = 0x7F;
    injectKeyboardSnapshot(keys_);
    EXPECT_EQ(isKeyDown(57), 0);
    keys_[57] = 0x80;
    injectKeyboardSnapshot(keys_);
    EXPECT_EQ(isKeyDown(57), 1);
}

TEST_F(Keyboard, PollCopiesTheInjectedSnapshotUntilCleared) {
    hold({1, 28});
    pollKeyboard();
    EXPECT_EQ(keyboardState()[1], 0x80);
    EXPECT_EQ(keyboardState()[28], 0x80);
    clearInjectedKeyboard();
    pollKeyboard();  // the dummy video device has no keys held
    EXPECT_EQ(keyboardState()[1], 0);
    EXPECT_EQ(keyboardState()[28], 0);
}

TEST_F(Keyboard, HeldLetterIsTypedOnceUntilReleased) {
    hold({30});
    EXPECT_EQ(typedCharCode(), 'a');
    EXPECT_EQ(typedCharCode(), 0);
    EXPECT_EQ(keyWasTyped(), 0);
    release();
    EXPECT_EQ(typedCharCode(), 0);
    hold({30});
    EXPECT_EQ(keyWasTyped(), 1);  // shares the last typed character
    EXPECT_EQ(typedCharCode(), 0);
}

TEST_F(Keyboard, ShiftMakesCapitalsWithEitherShiftKey) {
    hold({42, 30});
    EXPECT_EQ(typedCharCode(), 'A');
    release();
    typedCharCode();
    hold({54, 50});
    EXPECT_EQ(typedCharCode(), 'M');
    release();
    typedCharCode();
    // Shift leaves non-letters as the layout types them unshifted.
    hold({42, 2});
    EXPECT_EQ(typedCharCode(), '1');
}

TEST_F(Keyboard, AnotherKeyIsReportedWhileTheFirstIsStillHeld) {
    hold({30});
    EXPECT_EQ(typedCharCode(), 'a');
    hold({16});  // Q has the lower code, so it wins the scan
    EXPECT_EQ(typedCharCode(), 'q');
    EXPECT_EQ(typedCharCode(), 0);
}

TEST_F(Keyboard, ControlKeysAndKeysWithoutCharacters) {
    hold({14});
    EXPECT_EQ(typedCharCode(), 8);
    release();
    typedCharCode();
    hold({28});
    EXPECT_EQ(typedCharCode(), 10);
    release();
    typedCharCode();
    hold({156});
    EXPECT_EQ(typedCharCode(), 10);
    release();
    typedCharCode();
    // Modifiers, Escape, Tab and the arrows type nothing; the scan goes on to
    // the next held key.
    hold({1, 15, 29, 42, 54, 56, 58, 69, 200, 221});
    EXPECT_EQ(typedCharCode(), 0);
    hold({1, 15, 29, 42, 54, 56, 58, 69, 200, 221, 57});
    EXPECT_EQ(typedCharCode(), ' ');
}

TEST_F(Keyboard, LayoutCharactersFollowKeyPositions) {
    EXPECT_EQ(row(2, 13), "1234567890-=");
    EXPECT_EQ(row(16, 27), "qwertyuiop[]");
    EXPECT_EQ(row(30, 41), "asdfghjkl;'`");
    EXPECT_EQ(row(43, 53), "\\zxcvbnm,./");
    EXPECT_EQ(charCodeForKey(57), ' ');
    EXPECT_EQ(charCodeForKey(181), '/');
    EXPECT_EQ(charCodeForKey(55), '*');
    for (int code : {0,   1,   15,  59,  87,  88,  157, 184, 199, 200, 201,
                     203, 205, 207, 208, 209, 210, 211, 219, 220, 255}) {
        EXPECT_EQ(charCodeForKey(code), 0) << "code " << code;
    }
    EXPECT_EQ(charCodeForKey(-1), 0);
    EXPECT_EQ(charCodeForKey(256), 0);
}

TEST(ScanCodes, EveryKeyOfTheKeyboardHasItsCode) {
    // The documented scan codes of a standard keyboard, all of which must be
    // reachable from a platform key.
    std::set<int> codes;
    for (int c = 1; c <= 83; ++c) codes.insert(c);
    for (int c : {87, 88, 156, 157, 181, 184, 199, 200, 201, 203, 205, 207, 208, 209, 210, 211, 219,
                  220, 221}) {
        codes.insert(c);
    }
    for (int code : codes) {
        const int sc = platformScancodeForCode(code);
        ASSERT_GE(sc, 0) << "code " << code << " has no platform key";
        EXPECT_EQ(platformCodeForScancode(sc), code) << "code " << code;
    }
}

TEST(ScanCodes, TranslationIsConsistentBothWays) {
    int mapped = 0;
    for (int code = 0; code < 256; ++code) {
        const int sc = platformScancodeForCode(code);
        if (sc < 0) continue;
        ++mapped;
        EXPECT_EQ(platformCodeForScancode(sc), code);
    }
    EXPECT_GT(mapped, 120);
    EXPECT_EQ(platformScancodeForCode(0), -1);
    EXPECT_EQ(platformScancodeForCode(-5), -1);
    EXPECT_EQ(platformScancodeForCode(300), -1);
    EXPECT_EQ(platformCodeForScancode(-1), 0);
    EXPECT_EQ(platformCodeForScancode(100000), 0);
}

TEST(KeyboardClosed, QueriesWithoutTheServiceAnswerNothing) {
    closeInput();
    clearInjectedKeyboard();
    EXPECT_EQ(isKeyDown(200), 0);
    EXPECT_EQ(typedCharCode(), 0);
    unsigned char keys[256] = {};
    keys[30] = 0x80;
    injectKeyboardSnapshot(keys);  // a scripted run works without devices
    EXPECT_EQ(isKeyDown(30), 1);
    clearInjectedKeyboard();
}

}  // namespace
