// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level set-up: DataInit, FindBug, Formation and the player's name from the profile codes.
#include "logic_support.h"

#include "runtime/lifecycle.h"

using namespace crumlet;

namespace {

class SetupTest : public ::testing::Test {
  protected:
    void SetUp() override { resetGame(); }
};

TEST_F(SetupTest, FindBugCountsPickupsAndTheBugCell) {
    // 12 clovers and 3 flowers in the playable area, none under the bug.
    buildLevel({
        "####################",
        "#B.ccc....ccc......#",
        "#..ccc....ccc......#",
        "#.........fff......#",
        "####################",
    });
    FindBug();
    EXPECT_EQ(game.pickupsLeft, 16);
    EXPECT_EQ(game.bugX, 16);
    EXPECT_EQ(game.bugY, 16);
    EXPECT_EQ(game.bugDir, kRight);
    EXPECT_EQ(game.bugStep, 0);
    EXPECT_EQ(game.bugFacing, 0);
}

TEST_F(SetupTest, FindBugDoesNotCountACloverUnderTheBugButCountsTheBug) {
    // 13 clovers and 3 flowers, one clover under the bug: the bug cell stands in for it.
    buildLevel({
        "####################",
        "#@.ccc....ccc......#",
        "#..ccc....ccc......#",
        "#.........fff......#",
        "####################",
    });
    FindBug();
    EXPECT_EQ(game.pickupsLeft, 16);
}

TEST_F(SetupTest, FindBugIgnoresTheOuterRowsAndColumns) {
    buildLevel({
        "c.........c........c",
        "c.B...............sc",
        "...................c",
    });
    // Row 14 and columns 0 and 19 are outside the searched area, and so is row 0.
    for (int x = 0; x < 20; ++x) setItem(x, 14, kClover);
    setItem(0, 13, kFlower);
    setItem(19, 13, kFlower);
    FindBug();
    EXPECT_EQ(game.pickupsLeft, 1);  // only the bug itself; spiky bombs never count
    EXPECT_EQ(game.bugX, 32);
}

TEST_F(SetupTest, FindBugWithoutABugLeavesItsPositionAtZero) {
    buildLevel({"####", "#cc#", "####"});
    FindBug();
    EXPECT_EQ(game.pickupsLeft, 2);
    EXPECT_EQ(game.bugX, 0);
    EXPECT_EQ(game.bugY, 0);
    EXPECT_EQ(game.bugDir, 0);
}

TEST_F(SetupTest, FindBugWithTwoBugsTakesTheLastAndCountsBoth) {
    buildLevel({"######", "#B...#", "#...B#", "######"});
    FindBug();
    EXPECT_EQ(game.pickupsLeft, 2);
    EXPECT_EQ(game.bugX, 64);
    EXPECT_EQ(game.bugY, 32);
}

TEST_F(SetupTest, DataInitAfterAFinishedLevelClearsThePlayState) {
    GameGlobals& g = game;
    g.score = 1234;
    g.bombStock = 3;
    g.pickupsLeft = 7;
    g.levelDone = 1;
    g.bugDead = 1;
    g.spikeyArmed = 1;
    g.fruitShown = 1;
    g.baddyTick = 9;
    g.flowerTileFrame = 30;
    for (int s = 0; s < 4; ++s) {
        numAt(g.fireY, s) = 16;
        numAt(g.fireFrame, s) = 5;
    }
    numAt(g.baddyState, 500) = 3;
    numAt(g.baddyFrame, 500) = 7;
    g.level = 12;
    g.playerName = "keep";
    setMap(3, 3, kWall);

    DataInit();
    EXPECT_EQ(g.score, 0);
    EXPECT_EQ(g.bombStock, 0);
    EXPECT_EQ(g.pickupsLeft, 0);
    EXPECT_EQ(g.levelDone, 0);
    EXPECT_EQ(g.bugDead, 0);
    EXPECT_EQ(g.spikeyArmed, 0);
    EXPECT_EQ(g.fruitShown, 0);
    EXPECT_EQ(g.baddyTick, 0);
    EXPECT_EQ(g.flowerTileFrame, 0);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(numAt(g.fireY, s), 0);
        EXPECT_EQ(numAt(g.fireFrame, s), 0);
    }
    EXPECT_EQ(numAt(g.baddyState, 500), 0);
    EXPECT_EQ(numAt(g.baddyFrame, 500), 0);
    // Not part of the play state.
    EXPECT_EQ(g.level, 12);
    EXPECT_EQ(textOf(g.playerName), "keep");
    EXPECT_EQ(mapAt(3, 3), kWall);
}

TEST_F(SetupTest, FormationBuildsOneSixteenCharacterLine) {
    Formation();
    EXPECT_EQ(textLength(game.formationText), 16);
    EXPECT_EQ(textOf(game.formationText), "A BUG IN A MAZE!");
    for (int i = 0; i < 16; ++i) {
        double code = numAt(game.formationCodes, i) + 64;
        EXPECT_GE(code, 32) << i;
        EXPECT_LE(code, 126) << i;
    }
}

TEST_F(SetupTest, PlayerNameComesBackAtItsOwnLength) {
    const double codes[8] = {'b', 'u', 'g', 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) numAt(game.playerCodes, i) = codes[i];
    playerNameFromCodes();
    EXPECT_EQ(textOf(game.playerName), "bug");
    EXPECT_EQ(textLength(game.playerName), 3);

    // Bytes another tool wrote are shown as they are; only name entry restricts letters.
    numAt(game.playerCodes, 3) = '7';
    playerNameFromCodes();
    EXPECT_EQ(textOf(game.playerName), "bug7");

    game.playerName = "abcdefgh";
    playerCodesFromName();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(numAt(game.playerCodes, i), 'a' + i);
    game.playerName = "";
    playerCodesFromName();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(numAt(game.playerCodes, i), 0);
}

TEST_F(SetupTest, ArraysHaveTheirDesignedSizes) {
    GameGlobals& g = game;
    EXPECT_EQ(arrayBound(g.formationCodes, 0), 16);
    EXPECT_EQ(arrayBound(g.playerCodes, 0), 8);
    EXPECT_EQ(arrayBound(g.nameCodes, 0), 6400);
    EXPECT_EQ(arrayBound(g.hiScores, 0), 800);
    EXPECT_EQ(arrayBound(g.hiNames, 0), 800);
    EXPECT_EQ(arrayBound(g.tmpNames, 0), 8);
    EXPECT_EQ(arrayBound(g.showNames, 0), 8);
    EXPECT_EQ(arrayBound(g.tmpScores, 0), 8);
    EXPECT_EQ(arrayBound(g.mapGrid, 0), 1200);
    EXPECT_EQ(arrayBound(g.baddyState, 0), 1200);
    EXPECT_EQ(arrayBound(g.fireX, 0), 4);
}

TEST_F(SetupTest, RoutinesCanBeCalledByTheirExactName) {
    registerGameRoutines();
    game.score = 40;
    game.bugDead = 1;
    EXPECT_EQ(callByName("DataInit"), 1);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.bugDead, 0);

    game.level = 3;
    game.score = 10;
    game.playerName = "x";
    EXPECT_EQ(callByName("WriteHighscore"), 1);  // the last name of the table
    EXPECT_EQ(numAt(game.hiScores, 16), 10);
    game.formationText = "";
    EXPECT_EQ(callByName("Formation"), 1);
    EXPECT_EQ(textLength(game.formationText), 16);

    // Letter case matters, and routines that take a position are not in the table.
    game.score = 7;
    EXPECT_EQ(callByName("datainit"), 0);
    EXPECT_EQ(game.score, 7);
    EXPECT_EQ(callByName("FireAt"), 0);
    EXPECT_EQ(callByName(""), 0);
}

using SetupDeathTest = SetupTest;

TEST_F(SetupDeathTest, AnIndexOutsideAnArrayStopsWithErrorNine) {
    EXPECT_EXIT(numAt(game.mapGrid, 1200) = 1, ::testing::ExitedWithCode(9), "");
    EXPECT_EXIT(numAt(game.fireY, -1) = 1, ::testing::ExitedWithCode(9), "");
    // A blast centred on the top-left cell reaches above the grid.
    EXPECT_EXIT(ExplodeCell(0, -16), ::testing::ExitedWithCode(9), "");
}

}  // namespace
