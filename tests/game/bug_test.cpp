// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The bug's decisions and steps.
#include "logic_support.h"

using namespace crumlet;

namespace {

class BugTest : public GameFolderTest {
  protected:
    // Walks one whole step (16 frames) with the keys currently held for the first frame only.
    void finishStep() {
        for (int f = 0; f < 16 && (f == 0 || game.bugStep > 0); ++f) bugFrame();
    }
};

TEST_F(BugTest, AStandingBugWithoutKeysFacesItsLastDirection) {
    buildLevel({"#####", "#.B.#", "#####"});
    FindBug();
    bugFrame();
    EXPECT_EQ(game.bugFacing, kRight);
    EXPECT_EQ(game.bugStep, 0);
    EXPECT_EQ(game.bugX, 32);
}

TEST_F(BugTest, AStepTakesSixteenFramesOfOnePixel) {
    buildLevel({"#####", "#.B.#", "#####"});
    FindBug();
    holdKeys({kKeyRight});
    bugFrame();
    // The destination is taken and the origin left in the first frame.
    EXPECT_EQ(mapAt(3, 1), kBug);
    EXPECT_EQ(mapAt(2, 1), kEmpty);
    EXPECT_EQ(game.bugX, 33);
    EXPECT_EQ(game.bugStep, 1);
    EXPECT_EQ(game.bugFacing, 0);
    releaseKeys();
    for (int f = 2; f <= 15; ++f) bugFrame();
    EXPECT_EQ(game.bugX, 47);
    EXPECT_EQ(game.bugStep, 15);
    bugFrame();
    EXPECT_EQ(game.bugX, 48);
    EXPECT_EQ(game.bugStep, 0);
    EXPECT_EQ(game.bugFrame, 0);
    EXPECT_EQ(game.bugFacing, 0);  // on the cell, not yet standing
    bugFrame();
    EXPECT_EQ(game.bugFacing, kRight);
}

TEST_F(BugTest, PickUpPassesComeBeforePlainSteps) {
    // Right and Up held: a flower above and a free cell to the right.
    buildLevel({"#####", "#.f.#", "#.B.#", "#####"});
    FindBug();
    double left = game.pickupsLeft;
    holdKeys({kKeyRight, kKeyUp});
    bugFrame();
    EXPECT_EQ(game.bugDir, kUp);
    EXPECT_EQ(mapAt(2, 1), kBug);
    EXPECT_EQ(itemAt(2, 1), 0);
    EXPECT_EQ(game.pickupsLeft, left - 1);
    EXPECT_EQ(game.score, 50);
    EXPECT_EQ(game.blumeX, 32);
    EXPECT_EQ(game.blumeY, 16);

    // The same with a clover above: every item pass is tried in all directions first.
    resetGame();
    buildLevel({"#####", "#.c.#", "#.B.#", "#####"});
    FindBug();
    holdKeys({kKeyRight, kKeyUp});
    bugFrame();
    EXPECT_EQ(game.bugDir, kUp);
    EXPECT_EQ(game.score, 5);
    EXPECT_EQ(game.kleeX, 32);
    EXPECT_EQ(game.kleeY, 16);
}

TEST_F(BugTest, ItemPassesRunBombThenFlowerThenClover) {
    // A clover to the right, a flower to the left, a spiky bomb below: the bomb wins.
    buildLevel({"#####", "#...#", "#fBc#", "#.s.#", "#####"});
    FindBug();
    holdKeys({kKeyRight, kKeyLeft, kKeyDown});
    bugFrame();
    EXPECT_EQ(game.bugDir, kDown);
    EXPECT_EQ(game.bombStock, 1);
    EXPECT_EQ(game.score, 2);
    EXPECT_EQ(game.shrinkX, 32);
    EXPECT_EQ(game.shrinkY, 48);
    EXPECT_EQ(game.pickupsLeft, 3);  // bombs are not counted
}

TEST_F(BugTest, FruitIsEatenBeforeAnythingElseEvenWithSpaceHeld) {
    buildLevel({"#####", "#.s.#", "#.BF#", "#####"});
    FindBug();
    bugFrame();  // stand
    game.bombStock = 1;
    game.fruitShown = 1;
    holdKeys({kKeyUp, kKeyRight, kKeySpace});
    bugFrame();
    EXPECT_EQ(game.bugDir, kRight);
    EXPECT_EQ(game.score, 100);
    EXPECT_EQ(game.fruitShown, 0);
    EXPECT_EQ(game.takeX, 48);
    EXPECT_EQ(game.takeY, 32);
    EXPECT_EQ(game.bombStock, 1);
    EXPECT_EQ(game.spikeyArmed, 0);
    EXPECT_EQ(mapAt(3, 2), kBug);
}

TEST_F(BugTest, ABombIsLaidOnlyWhenStanding) {
    buildLevel({"#######", "#.B...#", "#######"});
    FindBug();
    game.bombStock = 2;
    // Walking with Space held lays nothing.
    holdKeys({kKeyRight, kKeySpace});
    finishStep();
    EXPECT_EQ(game.spikeyArmed, 0);
    EXPECT_EQ(game.bombStock, 2);
    // Still walking on: at the decision on the new cell the bug is not standing either.
    bugFrame();
    EXPECT_EQ(game.spikeyArmed, 0);
    EXPECT_EQ(game.bugStep, 1);
    for (int f = 0; f < 15; ++f) bugFrame();
    EXPECT_EQ(game.bugX, 64);
    // Direction released, Space still held: it stands first, then lays one frame later.
    holdKeys({kKeySpace});
    bugFrame();
    EXPECT_EQ(game.bugFacing, kRight);
    EXPECT_EQ(game.spikeyArmed, 0);
    bugFrame();
    EXPECT_EQ(game.spikeyArmed, 1);
    EXPECT_EQ(game.bombStock, 1);
    EXPECT_EQ(game.spikeyX, 64);
    EXPECT_EQ(game.spikeyY, 16);
    // Only one laid bomb at a time; with Ctrl held and a step possible the bug walks on.
    holdKeys({kKeyLeftCtrl, kKeyRight});
    bugFrame();
    EXPECT_EQ(game.bombStock, 1);
    EXPECT_EQ(game.bugDir, kRight);
    EXPECT_EQ(game.bugStep, 1);
}

TEST_F(BugTest, APickUpInAReservedCellCannotBeTaken) {
    buildLevel({"#####", "#.R.#", "#.B.#", "#####"});
    setItem(2, 1, kClover);
    FindBug();
    holdKeys({kKeyLeft});
    finishStep();  // last step was left
    ASSERT_EQ(game.bugX, 16);
    holdKeys({kKeyRight});
    finishStep();
    holdKeys({kKeyUp});
    bugFrame();
    EXPECT_EQ(itemAt(2, 1), kClover);
    EXPECT_EQ(game.bugFacing, kRight);  // never turns towards the blocked way
    EXPECT_EQ(game.bugStep, 0);
}

TEST_F(BugTest, DeathByAReservedCell) {
    buildLevel({"#####", "#.B.#", "#####"});
    FindBug();
    game.spikeyTimer = 7;  // a pending fuse keeps counting
    setMap(2, 1, kReserved);
    bugFrame();
    EXPECT_EQ(game.bugDead, 1);
    EXPECT_EQ(game.bugStep, 1);
    EXPECT_EQ(game.bugDir, 0);
    EXPECT_EQ(game.bugFacing, 0);
    EXPECT_EQ(game.spikeyX, 32);
    EXPECT_EQ(game.spikeyY, 16);
    EXPECT_EQ(game.spikeyTimer, 7);
    // The dead bug is not drawn or moved any more and never decides again.
    holdKeys({kKeyRight});
    for (int f = 0; f < 20; ++f) bugFrame();
    EXPECT_EQ(game.bugX, 32);
    EXPECT_EQ(mapAt(3, 1), kEmpty);
}

TEST_F(BugTest, ABlastOnTheDestinationKillsTheBugWhenItArrives) {
    buildLevel({"#####", "#.B.#", "#####"});
    FindBug();
    holdKeys({kKeyRight});
    bugFrame();
    releaseKeys();
    game.expX = 48;
    game.expY = 16;
    ExpAnimation();  // clears the bug's new cell while it is still on its way
    for (int f = 0; f < 15; ++f) bugFrame();
    EXPECT_EQ(game.bugDead, 0);
    bugFrame();
    EXPECT_EQ(game.bugDead, 1);
}

TEST_F(BugTest, TheLastPickupEndsTheLevelAtTheNextDecisionAndSavesTheTable) {
    buildLevel({"#####", "#.Bc#", "#####"});
    FindBug();
    ASSERT_EQ(game.pickupsLeft, 2);
    game.level = 2;
    game.playerName = "winner";
    game.pickupsLeft = 1;  // as if everything else had been collected
    holdKeys({kKeyRight});
    bugFrame();
    EXPECT_EQ(game.pickupsLeft, 0);
    EXPECT_EQ(game.levelDone, 0);
    for (int f = 0; f < 15; ++f) bugFrame();
    EXPECT_EQ(game.levelDone, 0);
    bugFrame();
    EXPECT_EQ(game.levelDone, 1);
    EXPECT_EQ(game.bugStep, 1);
    EXPECT_EQ(game.bugFacing, kRight);
    EXPECT_EQ(mapAt(3, 1), kEmpty);
    // The table of level 2 holds the entry, and both files were written.
    EXPECT_EQ(numAt(game.hiScores, 8), 5);
    std::vector<unsigned char> scores = readFile("Maps/Data.bin");
    ASSERT_EQ(scores.size(), 3200u);
    EXPECT_EQ(scores[32], 5);
    std::vector<unsigned char> names = readFile("Maps/Name.bin");
    ASSERT_EQ(names.size(), 6400u);
    EXPECT_EQ(std::string(names.begin() + 64, names.begin() + 70), "winner");
    EXPECT_EQ(names[70], 0);
    // The finished bug is drawn standing and stays put.
    for (int f = 0; f < 5; ++f) bugFrame();
    EXPECT_EQ(game.bugX, 48);
}

TEST_F(BugTest, ACloverUnderTheStartCellIsWonByComingBack) {
    buildLevel({"#####", "#.@c#", "#####"});
    FindBug();
    ASSERT_EQ(game.pickupsLeft, 2);
    holdKeys({kKeyRight});
    finishStep();
    EXPECT_EQ(game.pickupsLeft, 1);
    holdKeys({kKeyLeft});
    finishStep();  // back onto the start cell: its clover is collected now
    EXPECT_EQ(game.pickupsLeft, 0);
    EXPECT_EQ(game.score, 10);
    releaseKeys();
    bugFrame();
    EXPECT_EQ(game.levelDone, 1);
}

}  // namespace
