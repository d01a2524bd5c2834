// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The baddies' decision rules and their 16-frame steps.
#include "logic_support.h"

#include "runtime/maths.h"

using namespace crumlet;

namespace {

class BaddyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetGame();
        seedRandom(1);
    }
    // One decision pass (baddyTick is 0 after reset).
    void decide() {
        game.baddyTick = 0;
        ScanBaddy();
    }
    double state(int column, int row) {
        return numAt(game.baddyState, column + row * kGridColumns);
    }
    void animate(int frames) {
        for (int f = 0; f < frames; ++f) BaddyAnimation();
    }
};

TEST_F(BaddyTest, OnlyTickZeroDecides) {
    buildLevel({"#####", "#>..#", "#####"});
    game.baddyTick = 5;
    ScanBaddy();
    EXPECT_EQ(mapAt(1, 1), kBaddyRight);
    EXPECT_EQ(state(1, 1), 0);
}

TEST_F(BaddyTest, AStepReservesBothCellsAndEndsWithTheNewHeading) {
    buildLevel({"#####", "#>..#", "#####"});
    decide();
    EXPECT_EQ(mapAt(1, 1), kReserved);
    EXPECT_EQ(mapAt(2, 1), kReserved);
    EXPECT_EQ(state(1, 1), kRight);
    EXPECT_EQ(numAt(game.baddyX, 41), 16);
    EXPECT_EQ(numAt(game.baddyY, 41), 16);
    animate(15);
    EXPECT_EQ(numAt(game.baddyX, 41), 31);
    EXPECT_EQ(mapAt(2, 1), kReserved);
    animate(1);
    EXPECT_EQ(state(1, 1), 0);
    EXPECT_EQ(numAt(game.baddyFrame, 41), 0);
    EXPECT_EQ(mapAt(1, 1), kEmpty);
    EXPECT_EQ(mapAt(2, 1), kBaddyRight);
}

TEST_F(BaddyTest, HuntingTheBugComesBeforeTheFruitAhead) {
    // Heading right, the bug above and a fruit ahead: it goes up.
    buildLevel({"#####", "#.B.#", "#.>F#", "#...#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), kUp);
    EXPECT_EQ(mapAt(2, 1), kReserved);  // the bug's cell: it dies at its next decision
    EXPECT_EQ(mapAt(3, 2), kFruit);
}

TEST_F(BaddyTest, AVerticalBaddyHuntsSideways) {
    buildLevel({"#####", "#...#", "#B^.#", "#...#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), kLeft);
    EXPECT_EQ(mapAt(1, 2), kReserved);
}

TEST_F(BaddyTest, AtAJunctionTheBugAheadDoesNotCountAsFree) {
    // Heading right at a junction with the bug straight ahead and both sides free.
    for (int seed = 1; seed <= 20; ++seed) {
        seedRandom(seed);
        buildLevel({"#####", "#...#", "#.>B#", "#...#", "#####"});
        setJunction(2, 2);
        decide();
        double dir = state(2, 2);
        EXPECT_TRUE(dir == kUp || dir == kDown) << "seed " << seed << " dir " << dir;
        EXPECT_EQ(mapAt(3, 2), kBug);
    }
}

TEST_F(BaddyTest, AJunctionChoiceDrawsFromTheGenerator) {
    // Three ways open: k = randomInt(2) + 1 picks ahead, up or down for a right-heading baddy.
    const double expected[3] = {kRight, kUp, kDown};
    bool seen[3] = {false, false, false};
    for (int seed = 1; seed <= 40; ++seed) {
        seedRandom(seed);
        double k = randomInt(2);
        seedRandom(seed);
        buildLevel({"#####", "#...#", "#.>.#", "#...#", "#####"});
        setJunction(2, 2);
        decide();
        EXPECT_EQ(state(2, 2), expected[static_cast<int>(k)]) << "seed " << seed;
        seen[static_cast<int>(k)] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);

    // Only the way ahead and down open: a two-way row, k = randomInt(1) + 1.
    for (int seed = 1; seed <= 10; ++seed) {
        seedRandom(seed);
        double k = randomInt(1);
        seedRandom(seed);
        buildLevel({"#####", "#.#.#", "#.>.#", "#...#", "#####"});
        setJunction(2, 2);
        decide();
        EXPECT_EQ(state(2, 2), k == 0 ? kRight : kDown) << "seed " << seed;
    }
}

TEST_F(BaddyTest, AJunctionWithOneWayOpenFallsThroughToStraightOn) {
    buildLevel({"#####", "#.#.#", "#.>.#", "#.#.#", "#####"});
    setJunction(2, 2);
    seedRandom(3);
    double before = randomInt(1000);
    seedRandom(3);
    decide();
    EXPECT_EQ(state(2, 2), kRight);
    EXPECT_EQ(randomInt(1000), before);  // no number was drawn
}

TEST_F(BaddyTest, BlockedAheadTriesTheSidesThenReversesThenWaits) {
    buildLevel({"#####", "#.#.#", "#.>##", "#...#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), kDown);  // up is a wall, down is free

    resetGame();
    buildLevel({"#####", "#.#.#", "#.>##", "#.#.#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), kLeft);  // reverse

    resetGame();
    buildLevel({"#####", "#.#.#", "##>##", "#.#.#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), -1);
    EXPECT_EQ(mapAt(2, 2), kBaddyRight);  // waiting changes no cell
    animate(15);
    EXPECT_EQ(state(2, 2), -1);
    EXPECT_EQ(numAt(game.baddyX, 82), 32);  // waits in place
    animate(1);
    EXPECT_EQ(state(2, 2), 0);
    EXPECT_EQ(mapAt(2, 2), kBaddyRight);
}

TEST_F(BaddyTest, TwoBaddiesRacingForOneCell) {
    // Both head for (2,2): the first in scan order reserves it, the second finds it blocked.
    buildLevel({"#####", "#.v.#", "##.<#", "#...#", "#####"});
    setMap(3, 1, kWall);
    setMap(3, 3, kWall);
    decide();
    EXPECT_EQ(state(2, 1), kDown);
    EXPECT_EQ(mapAt(2, 2), kReserved);
    EXPECT_EQ(state(3, 2), -1);  // up, down and back all closed: it waits
}

TEST_F(BaddyTest, ABaddyOrderedFurtherOnIsNotDecidedTwice) {
    buildLevel({"######", "#>...#", "######"});
    decide();
    EXPECT_EQ(state(1, 1), kRight);
    EXPECT_EQ(state(2, 1), 0);
}

TEST_F(BaddyTest, FruitAheadIsEatenWithAFire) {
    buildLevel({"#####", "#.>F#", "#####"});
    game.fruitShown = 1;
    decide();
    EXPECT_EQ(state(2, 1), kRight);
    EXPECT_EQ(mapAt(3, 1), kReserved);
    EXPECT_EQ(game.fruitShown, 0);
    EXPECT_EQ(numAt(game.fireX, 0), 48);
    EXPECT_EQ(numAt(game.fireY, 0), 16);
}

TEST_F(BaddyTest, FruitBesideAHorizontalBaddyLeavesItsCellEmptyAtOnce) {
    buildLevel({"#####", "#...#", "#.>##", "#.F.#", "#####"});
    setMap(3, 1, kWall);
    game.fruitShown = 1;
    decide();
    EXPECT_EQ(state(2, 2), kDown);
    EXPECT_EQ(mapAt(2, 2), kEmpty);
    EXPECT_EQ(mapAt(2, 3), kReserved);
    EXPECT_EQ(game.fruitShown, 0);
    EXPECT_EQ(numAt(game.fireY, 0), 48);
    // Something enters the emptied cell during the step; the step's end empties it again.
    animate(8);
    setMap(2, 2, kBug);
    animate(8);
    EXPECT_EQ(mapAt(2, 2), kEmpty);
    EXPECT_EQ(mapAt(2, 3), kBaddyDown);
}

TEST_F(BaddyTest, FruitBesideAVerticalBaddyLeftBeforeRight) {
    buildLevel({"#####", "#...#", "#F^F#", "#...#", "#####"});
    decide();
    EXPECT_EQ(state(2, 2), kLeft);
    EXPECT_EQ(mapAt(2, 2), kReserved);
    EXPECT_EQ(numAt(game.fireX, 0), 16);
}

TEST_F(BaddyTest, WithEveryFireSlotBusyTheFruitIsStillEaten) {
    buildLevel({"#####", "#.>F#", "#####"});
    for (int s = 0; s < 4; ++s) {
        numAt(game.fireX, s) = 100 + s;
        numAt(game.fireY, s) = 100;
    }
    game.fruitShown = 1;
    decide();
    EXPECT_EQ(state(2, 1), kRight);
    EXPECT_EQ(game.fruitShown, 0);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(numAt(game.fireX, s), 100 + s);
}

TEST_F(BaddyTest, BaddiesOutsideTheScannedAreaAreNeverOrdered) {
    buildLevel({">..."});       // row 0
    setMap(0, 3, kBaddyRight);  // column 0
    setMap(20, 3, kBaddyLeft);  // column 20
    setMap(5, 15, kBaddyUp);    // row 15
    decide();
    EXPECT_EQ(state(0, 0), 0);
    EXPECT_EQ(state(0, 3), 0);
    EXPECT_EQ(state(20, 3), 0);
    EXPECT_EQ(state(5, 15), 0);
    EXPECT_EQ(mapAt(1, 0), kEmpty);
}

TEST_F(BaddyTest, AStepEndingInABurningBlastIsCleared) {
    buildLevel({"######", "#.>..#", "######"});
    decide();
    game.expX = 48;
    game.expY = 16;
    game.expFrame = 0;
    for (int f = 0; f < 16; ++f) {
        BaddyAnimation();
        ExpAnimation();  // after the animation, as in a level frame
        if (f < 15) {
            EXPECT_EQ(mapAt(3, 1), kReserved) << f;
        }
    }
    EXPECT_EQ(mapAt(3, 1), kEmpty);  // arrived in the blast's last frame: gone
}

}  // namespace
