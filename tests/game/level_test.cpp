// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The level loop: its frame order, its two endings and what it draws.
#include "screen_support.h"

#include "graphics/present.h"

using namespace crumlet;

namespace {

class LevelTest : public ScreenTest {
  protected:
    void startLevel(const std::vector<std::string>& rows) {
        DataInit();
        buildLevel(rows);
        FindBug();
        clearFrame();
    }
};

TEST_F(LevelTest, EscapeOnTheFirstFrameReturnsBeforeAnythingIsShown) {
    startLevel({"#####", "#.B.#", "#####"});
    holdKeys({kKeyEscape, kKeyRight});
    onEveryFrame([](int) { FAIL() << "a frame was presented"; });
    MainGame();
    EXPECT_EQ(framesPresented(), 0);
    EXPECT_EQ(mapAt(2, 1), kBug);  // the bug did not even decide
    EXPECT_EQ(game.baddyTick, 0);
}

TEST_F(LevelTest, BaddyTickAdvancesOncePerPresentedFrame) {
    startLevel({"#####", "#.B.#", "#####"});
    onEveryFrame([](int n) {
        EXPECT_EQ(game.baddyTick, n % 16) << n;
        if (n == 40) holdKeys({kKeyEscape});
    });
    MainGame();
    EXPECT_EQ(framesPresented(), 40);
}

TEST_F(LevelTest, ABombLaidInFrameFGoesOffInFramePlusFortySeven) {
    startLevel({
        "#######",
        "#.....#",
        "#..B..#",
        "#.....#",
        "#######",
    });
    game.bombStock = 1;
    holdKeys({kKeySpace});  // frame 1: the bug stands; frame 2: it lays the bomb
    int laidIn = 0, blastIn = 0, deadIn = 0;
    Screen blast;
    onEveryFrame([&](int n) {
        if (laidIn == 0 && game.spikeyArmed == 1) laidIn = n;
        if (blastIn == 0 && game.expY > 0) {
            blastIn = n;
            EXPECT_EQ(game.expFrame, 1);  // the blast's first frame was applied in this frame
            EXPECT_EQ(mapAt(3, 2), kEmpty);
            grabScreen(blast);
        }
        if (deadIn == 0 && game.bugDead == 1) deadIn = n;
        if (n == 2) releaseKeys();
        if (n == 60) holdKeys({kKeyEscape});
    });
    MainGame();
    EXPECT_EQ(laidIn, 2);
    EXPECT_EQ(blastIn, laidIn + 47);
    EXPECT_EQ(deadIn, blastIn + 1);  // standing on its own bomb: dies at its next decision
    EXPECT_EQ(game.spikeyX, 48);     // the death marker lies on the bug's cell
    EXPECT_EQ(game.spikeyY, 32);
}

TEST_F(LevelTest, ADeadBugShowsPressEscapeAndTheStatusLineTogether) {
    startLevel({"#####", "#.B.#", "#####"});
    setMap(2, 1, kReserved);  // a baddy is stepping into the bug's cell
    Screen screen;
    bool grabbed = false;
    onEveryFrame([&](int n) {
        if (n == 3) grabbed = grabScreen(screen);
        if (n == 200) holdKeys({kKeyEscape});
    });
    MainGame();
    EXPECT_EQ(framesPresented(), 200);  // it never ended by itself
    EXPECT_EQ(game.bugDead, 1);
    ASSERT_TRUE(grabbed);
    EXPECT_TRUE(screen.anyOtherThan(68, 100, 104, 8, {}));  // PRESS ESCAPE!
    EXPECT_TRUE(screen.anyOtherThan(0, 224, 56, 8, {}));    // SCORE:0
    EXPECT_TRUE(screen.anyOtherThan(192, 224, 64, 8, {}));  // CLOVER:0
    EXPECT_FALSE(screen.anyOtherThan(0, 120, 320, 100, {}));
    EXPECT_NE(screen.at(40, 24), kBugColour);  // the dead bug is no longer drawn
    EXPECT_EQ(screen.at(0, 16), kWallColour);
}

TEST_F(LevelTest, AFinishedLevelClosesWhenItsSoundHasEnded) {
    writeFile("Maps/Data.bin", std::vector<unsigned char>(3200, 0));
    writeFile("Maps/Name.bin", std::vector<unsigned char>(6400, 0));
    startLevel({"#####", "#.Bc#", "#####"});
    game.level = 1;
    game.playerName = "ann";
    game.pickupsLeft = 1;
    holdKeys({kKeyRight});
    Screen screen;
    bool grabbed = false;
    onEveryFrame([&](int n) {
        if (n == 16) grabbed = grabScreen(screen);
    });
    MainGame();
    // Frames 1 to 16 walk onto the last clover; frame 17 finishes the level. Without a sound
    // device the closing sound is over at once, so frame 17 is not presented.
    EXPECT_EQ(framesPresented(), 16);
    EXPECT_EQ(game.levelDone, 1);
    EXPECT_EQ(game.score, 5);
    EXPECT_EQ(readFile("Maps/Data.bin")[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(readFile("Maps/Name.bin").data()), 3),
              "ann");
    ASSERT_TRUE(grabbed);
    EXPECT_EQ(screen.at(48, 16), kBugColour);  // the bug arrived on the clover's cell
    EXPECT_EQ(screen.at(16, 16), 0u);
    EXPECT_EQ(screen.at(0, 16), kWallColour);
}

TEST_F(LevelTest, TheMazeIsDrawnFromTheVisibleCellsOnly) {
    startLevel({
        "####################",
        "#@.c..x............#",
    });
    setMap(20, 1, kWall);  // column 20 and row 15 are off screen
    setMap(3, 15, kWall);
    setItem(0, 14, kClover);  // row 14 is drawn, though the status line covers part of it
    Screen screen;
    bool grabbed = false;
    onEveryFrame([&](int n) {
        if (n == 1) grabbed = grabScreen(screen);
        holdKeys({kKeyEscape});
    });
    MainGame();
    ASSERT_TRUE(grabbed);
    EXPECT_EQ(screen.at(8, 8), kWallColour);
    EXPECT_EQ(screen.at(319, 8), kWallColour);
    EXPECT_EQ(screen.at(16, 16), kBugColour);  // standing on a clover, drawn over it
    EXPECT_EQ(screen.at(31, 31), kBugColour);
    EXPECT_EQ(screen.at(55, 20), kCloverColour);
    EXPECT_EQ(screen.at(100, 20), kBlockColour);
    EXPECT_EQ(screen.at(15, 239), kCloverColour);
}

}  // namespace
