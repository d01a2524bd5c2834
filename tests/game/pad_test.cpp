// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A game controller plays the menu and a level: a virtual pad, plugged in while the game runs,
// read through the same key queries as the keyboard.
#include <chrono>
#include <thread>

#include "devices/input.h"
#include "graphics/present.h"
#include "screen_support.h"
#include "tests/support/input_testing.h"

using namespace crumlet;

namespace {

class PadTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ASSERT_TRUE(platformTestAttachPad());
        // Only the pad plays: the keyboard device holds nothing.
        clearInjectedKeyboard();
        const unsigned char noKeys[256] = {};
        injectDeviceKeys(noKeys);
    }
    void TearDown() override {
        injectDeviceKeys(nullptr);
        platformTestDetachJoystick();
        ScreenTest::TearDown();
    }
    static void button(int b, bool pressed) {
        ASSERT_TRUE(platformTestSetJoystickButton(b, pressed));
    }
    static void stick(int x, int y) {
        ASSERT_TRUE(platformTestSetJoystickAxis(0, x));
        ASSERT_TRUE(platformTestSetJoystickAxis(1, y));
    }
    void startLevel(const std::vector<std::string>& rows) {
        DataInit();
        buildLevel(rows);
        FindBug();
        clearFrame();
    }
};

TEST_F(PadTest, TheDpadMovesTheMenuBoxAndStartPicksTheEntry) {
    writeFile("Maps/Player.bin", std::vector<unsigned char>(8, 0));
    Formation();
    std::vector<double> boxY(400, 0);
    // What the handler of frame n sets holds in frame n + 1.
    onEveryFrame([&](int n) {
        boxY[n] = game.boxY;
        ASSERT_LT(n, 300) << "Start on the go-home entry did not end the menu";
        if (n == 1) button(kTestPadDown, true);  // one slide to the player entry
        if (n == 3) button(kTestPadDown, false);
        if (n == 20) button(kTestPadUp, true);  // and back
        if (n == 22) button(kTestPadUp, false);
        if (n == 40) button(kTestPadDown, true);  // held: slides on to the go-home entry
        if (n == 90) button(kTestPadDown, false);
        if (n == 100) button(kTestPadStart, true);
    });
    MainMenu();
    const int frames = framesPresented();
    onEveryFrame(nullptr);
    button(kTestPadStart, false);
    EXPECT_EQ(boxY[1], 64);
    EXPECT_EQ(boxY[19], 80);
    EXPECT_EQ(boxY[39], 64);
    EXPECT_EQ(boxY[99], 112);
    EXPECT_EQ(game.boxY, 112);
    EXPECT_LE(frames, 102);  // Start picked "GOHOME" at once
}

TEST_F(PadTest, TheDpadAndStickWalkTheBugAndTheButtonsLayABombAndLeave) {
    startLevel({"#######", "#..B..#", "#######"});
    game.bombStock = 1;
    const double startX = game.bugX;
    double xAfterDeadZone = -1, xAfterDpad = -1, xAfterStick = -1;
    onEveryFrame([&](int n) {
        ASSERT_LT(n, 200) << "B did not leave the level";
        if (n == 1) stick(9000, 0);  // inside the dead zone: the bug stays
        if (n == 20) {
            xAfterDeadZone = game.bugX;
            stick(0, 0);
            button(kTestPadRight, true);
        }
        if (n == 24) button(kTestPadRight, false);  // a started step is walked to its end
        if (n == 50) {
            xAfterDpad = game.bugX;
            stick(-32768, 0);
        }
        if (n == 54) stick(0, 0);
        if (n == 80) {
            xAfterStick = game.bugX;
            button(kTestPadA, true);
        }
        if (n == 84) button(kTestPadA, false);
        if (n == 90) {
            EXPECT_EQ(game.spikeyArmed, 1);
            EXPECT_EQ(game.bombStock, 0);
            button(kTestPadB, true);
        }
    });
    MainGame();
    const int frames = framesPresented();
    onEveryFrame(nullptr);
    button(kTestPadB, false);
    EXPECT_EQ(xAfterDeadZone, startX);
    EXPECT_EQ(xAfterDpad, startX + 16);
    EXPECT_EQ(xAfterStick, startX);
    EXPECT_EQ(frames, 90);  // B is Escape: the level ended in the next frame
}

TEST_F(PadTest, StartPausesALevelWithPauseShownUntilStartAgain) {
    startLevel({"#####", "#.B.#", "#####"});
    using Clock = std::chrono::steady_clock;
    Clock::time_point before;
    double pausedMs = 0;
    Screen screen;
    bool grabbed = false;
    std::thread player;
    onEveryFrame([&](int n) {
        if (n == 5) {
            // Start goes down now; the next frame's present finds the press and waits. Its
            // second press has to come from elsewhere, as the game thread is then waiting.
            button(kTestPadStart, true);
            before = Clock::now();
            player = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                platformTestSetJoystickButton(kTestPadStart, false);
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                platformTestSetJoystickButton(kTestPadStart, true);
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                platformTestSetJoystickButton(kTestPadStart, false);
            });
        }
        if (n == 6) {
            pausedMs = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
            grabbed = grabScreen(screen);  // frame 6 still carries the notice drawn over it
            EXPECT_EQ(game.baddyTick, 6);
        }
        if (n == 10) button(kTestPadB, true);
    });
    MainGame();
    const int frames = framesPresented();
    onEveryFrame(nullptr);
    if (player.joinable()) player.join();
    button(kTestPadB, false);
    EXPECT_GE(pausedMs, 500);
    EXPECT_EQ(frames, 10);
    ASSERT_TRUE(grabbed);
    // "PAUSE" in the 8 x 8 status font, in the middle of the logical screen.
    EXPECT_TRUE(screen.anyOtherThan(140, 116, 40, 8, {}));
    EXPECT_FALSE(screen.anyOtherThan(0, 60, 320, 50, {}));
}

}  // namespace
