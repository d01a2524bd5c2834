// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fruit, the laid bomb and its blast, fires, one-shot effects, tile animation and the menu box.
#include "logic_support.h"

#include "runtime/maths.h"

using namespace crumlet;

namespace {

class EffectsTest : public ::testing::Test {
  protected:
    void SetUp() override { resetGame(); }
};

// A seed whose first randomInt(300) is 25, so that RandomFruit offers a fruit.
int seedOfferingFruit(int after = 0) {
    for (int seed = after + 1; seed < 100000; ++seed) {
        seedRandom(seed);
        if (randomInt(300) == 25) return seed;
    }
    return -1;
}

TEST_F(EffectsTest, RandomFruitDrawsRowColumnAndKindInThisOrder) {
    // An open field so that any chosen cell is free.
    int seed = seedOfferingFruit();
    ASSERT_GT(seed, 0);
    seedRandom(seed);
    randomInt(300);
    double row = randomInt(13) + 1;
    double column = randomInt(18) + 1;
    double kind = randomInt(11);

    buildLevel({});
    game.pickupsLeft = 11;
    seedRandom(seed);
    RandomFruit();
    EXPECT_EQ(game.fruitShown, 1);
    EXPECT_EQ(game.fruitX, column * 16);
    EXPECT_EQ(game.fruitY, row * 16);
    EXPECT_EQ(game.fruitFrame, kind);
    EXPECT_EQ(mapAt(static_cast<int>(column), static_cast<int>(row)), kFruit);
}

TEST_F(EffectsTest, NoFruitWithTenPickupsLeftOrOneAlreadyShown) {
    int seed = seedOfferingFruit();
    ASSERT_GT(seed, 0);
    buildLevel({});
    game.pickupsLeft = 10;
    seedRandom(seed);
    RandomFruit();
    EXPECT_EQ(game.fruitShown, 0);

    game.pickupsLeft = 50;
    game.fruitShown = 1;
    game.fruitX = 7;
    seedRandom(seed);
    RandomFruit();
    EXPECT_EQ(game.fruitX, 7);
}

TEST_F(EffectsTest, AnOccupiedCellOffersNothingThatFrame) {
    int seed = seedOfferingFruit();
    ASSERT_GT(seed, 0);
    seedRandom(seed);
    randomInt(300);
    int row = static_cast<int>(randomInt(13) + 1);
    int column = static_cast<int>(randomInt(18) + 1);
    buildLevel({});
    setMap(column, row, kBlock);
    setItem(column, row, kClover);
    game.pickupsLeft = 20;
    seedRandom(seed);
    RandomFruit();
    EXPECT_EQ(game.fruitShown, 0);
    EXPECT_EQ(mapAt(column, row), kBlock);

    // A pick-up alone does not keep the fruit away.
    setMap(column, row, kEmpty);
    seedRandom(seed);
    RandomFruit();
    EXPECT_EQ(game.fruitShown, 1);
    EXPECT_EQ(itemAt(column, row), kClover);
}

TEST_F(EffectsTest, TheFuseBurnsFortyEightFrames) {
    buildLevel({"#####", "#.B.#", "#####"});
    game.spikeyArmed = 1;
    game.spikeyX = 32;
    game.spikeyY = 16;
    // The frame it is laid in counts as the first.
    for (int f = 1; f <= 47; ++f) SpikeyAnimation();
    EXPECT_EQ(game.expY, 0);
    EXPECT_EQ(game.spikeyTimer, 47);
    EXPECT_EQ(game.spikeyFrame, 47 % 16);
    SpikeyAnimation();
    EXPECT_EQ(game.expX, 32);
    EXPECT_EQ(game.expY, 16);
    EXPECT_EQ(game.spikeyY, 0);
    EXPECT_EQ(game.spikeyArmed, 0);
    EXPECT_EQ(game.spikeyTimer, 0);
    SpikeyAnimation();  // idle now
    EXPECT_EQ(game.spikeyTimer, 0);
}

TEST_F(EffectsTest, ExplodeCellClearsWhatABlastDestroys) {
    buildLevel({"#BFx>R#", "#<^v...", ""});
    for (int x = 0; x < 7; ++x) setItem(x, 0, kFlower);
    for (int x = 0; x < 7; ++x) ExplodeCell(x * 16, 0);
    const double expected[7] = {kWall, 0, 0, 0, 0, kReserved, kWall};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(mapAt(x, 0), expected[x]) << x;
        EXPECT_EQ(itemAt(x, 0), 0) << x;
    }
    for (int x = 1; x <= 3; ++x) {
        ExplodeCell(x * 16, 16);
        EXPECT_EQ(mapAt(x, 1), 0);
    }
    // A spiky bomb lying in the blast is burnt, not set off.
    setItem(5, 1, kSpikeyBomb);
    ExplodeCell(80, 16);
    EXPECT_EQ(itemAt(5, 1), 0);
    EXPECT_EQ(game.expY, 0);
    EXPECT_EQ(game.spikeyY, 0);
}

TEST_F(EffectsTest, ABlastBurnsSixteenFramesInACrossAndLeavesCountersAlone) {
    buildLevel({
        "#######",
        "#..c..#",
        "#.xBF.#",
        "#..f..#",
        "#######",
    });
    game.pickupsLeft = 3;
    game.score = 40;
    game.fruitShown = 1;
    game.expX = 48;
    game.expY = 32;
    ExpAnimation();
    EXPECT_EQ(mapAt(3, 2), 0);  // the bug
    EXPECT_EQ(mapAt(2, 2), 0);  // the block
    EXPECT_EQ(mapAt(4, 2), 0);  // the fruit
    EXPECT_EQ(itemAt(3, 1), 0);
    EXPECT_EQ(itemAt(3, 3), 0);
    EXPECT_EQ(game.pickupsLeft, 3);
    EXPECT_EQ(game.score, 40);
    EXPECT_EQ(game.fruitShown, 1);  // the fruit stays drawn on its empty cell
    // Still burning: anything entering the cross is cleared on each of the 16 frames.
    for (int f = 2; f <= 15; ++f) ExpAnimation();
    setMap(4, 2, kBaddyLeft);
    ExpAnimation();
    EXPECT_EQ(mapAt(4, 2), 0);
    EXPECT_EQ(game.expY, 0);
    EXPECT_EQ(game.expFrame, 0);
    setMap(4, 2, kBaddyLeft);
    ExpAnimation();
    EXPECT_EQ(mapAt(4, 2), kBaddyLeft);
}

TEST_F(EffectsTest, FiresTakeTheFirstFreeSlotAndAFifthIsNotShown) {
    for (int k = 0; k < 5; ++k) FireAt(16 * (k + 1), 32);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(numAt(game.fireX, s), 16 * (s + 1));
        EXPECT_EQ(numAt(game.fireY, s), 32);
    }
    // A fire lasts 32 frames, each strip frame showing for two.
    for (int f = 1; f <= 31; ++f) FireAnimation();
    EXPECT_EQ(numAt(game.fireY, 0), 32);
    EXPECT_EQ(numAt(game.fireFrame, 0), 15);
    FireAnimation();
    EXPECT_EQ(numAt(game.fireY, 0), 0);
    EXPECT_EQ(numAt(game.fireFrame, 0), 0);
    EXPECT_EQ(numAt(game.fireDelay, 0), 0);
    FireAt(200, 48);
    EXPECT_EQ(numAt(game.fireX, 0), 200);
}

TEST_F(EffectsTest, OneShotEffectsRunSixteenFramesAndMoveWithoutRestarting) {
    game.kleeX = 16;
    game.kleeY = 16;
    for (int f = 0; f < 10; ++f) KleeAnimation();
    EXPECT_EQ(game.kleeFrame, 10);
    game.kleeX = 64;  // a second clover while the first sparkle runs
    game.kleeY = 48;
    for (int f = 0; f < 5; ++f) KleeAnimation();
    EXPECT_EQ(game.kleeY, 48);
    KleeAnimation();
    EXPECT_EQ(game.kleeY, 0);
    EXPECT_EQ(game.kleeFrame, 0);

    for (double* y : {&game.blumeY, &game.shrinkY, &game.takeY}) *y = 32;
    for (int f = 0; f < 16; ++f) {
        BlumeAnimation();
        ShrinkAnimation();
        TakeAnimation();
    }
    EXPECT_EQ(game.blumeY, 0);
    EXPECT_EQ(game.shrinkY, 0);
    EXPECT_EQ(game.takeY, 0);
}

TEST_F(EffectsTest, TileAnimationsWrap) {
    buildLevel({});
    game.flowerTileFrame = 31;
    game.bombTileFrame = 15;
    ShowMap2();
    EXPECT_EQ(game.flowerTileFrame, 0);
    EXPECT_EQ(game.bombTileFrame, 0);
    ShowMap2();
    EXPECT_EQ(game.flowerTileFrame, 1);
    EXPECT_EQ(game.bombTileFrame, 1);
}

TEST_F(EffectsTest, TheBoxSlidesSixteenPixelsInEightFrames) {
    game.boxMode = 1;
    game.boxFrame = 0;
    for (int f = 0; f < 7; ++f) BoxAnimation();
    EXPECT_EQ(game.boxY, 78);
    EXPECT_EQ(game.boxMode, 1);
    BoxAnimation();
    EXPECT_EQ(game.boxY, 80);
    EXPECT_EQ(game.boxMode, 0);
    EXPECT_EQ(game.boxFrame, 0);
    for (int f = 0; f < 9; ++f) BoxAnimation();
    EXPECT_EQ(game.boxY, 80);
    EXPECT_EQ(game.boxFrame, 1);
    game.boxMode = 2;
    game.boxFrame = 0;
    for (int f = 0; f < 8; ++f) BoxAnimation();
    EXPECT_EQ(game.boxY, 64);
    game.boxMode = 7;  // any other mode does nothing
    BoxAnimation();
    EXPECT_EQ(game.boxFrame, 0);
}

}  // namespace
