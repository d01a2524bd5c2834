// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's own keys from settings.ini reach the game's routines as the keys they ask for.
#include <fstream>

#include "app/settings.h"
#include "devices/input.h"
#include "logic_support.h"
#include "runtime/folders.h"

using namespace crumlet;

namespace {

class PlayerKeysTest : public GameFolderTest {
  protected:
    void TearDown() override {
        setPlayerKeys(defaultKeyBindings());
        injectDeviceKeys(nullptr);
        setPlayerFolder("");
        GameFolderTest::TearDown();
    }
    // The keyboard device holds exactly these keys (scan codes); the player's keys apply.
    static void press(std::initializer_list<int> codes) {
        clearInjectedKeyboard();
        unsigned char keys[256] = {};
        for (int c : codes) keys[c] = 0x80;
        injectDeviceKeys(keys);
    }
    // One step's worth of frames with the key held for the first, when the bug decides.
    static void step(int code) {
        press({code});
        bugFrame();
        press({});
        for (int f = 1; f < 17; ++f) bugFrame();
    }
};

TEST_F(PlayerKeysTest, ASettingsFileMappingWasdWalksTheBug) {
    setPlayerFolder(folder);
    std::ofstream(folder + "/settings.ini") << "[keys]\nup = w\nleft = a\ndown = s\nright = d\n";
    loadPlayerSettings();
    buildLevel({"#####", "#...#", "#.B.#", "#...#", "#####"});
    FindBug();
    const int w = 17, a = 30, s = 31, d = 32, rightArrow = 205;

    step(d);
    EXPECT_EQ(mapAt(3, 2), kBug);
    step(w);
    EXPECT_EQ(mapAt(3, 1), kBug);
    step(a);
    EXPECT_EQ(mapAt(2, 1), kBug);
    step(s);
    EXPECT_EQ(mapAt(2, 2), kBug);
    EXPECT_EQ(game.bugX, 32);
    EXPECT_EQ(game.bugY, 32);
    // The arrows were given away: Right no longer walks.
    step(rightArrow);
    EXPECT_EQ(mapAt(2, 2), kBug);
    EXPECT_EQ(game.bugX, 32);
}

}  // namespace
