// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The finishability checker: the shipped levels pass, and hand-made broken levels are refused
// with a message that names the fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "levelcheck.h"
#include "levelfile.h"

using namespace levels;

namespace {

const Legend& legend() {
    static Legend l = [] {
        Legend legend;
        std::string text, error;
        readTextFile(std::string(ASSETS_DIR) + "/levels/legend.txt", text, error);
        legend.parse(text, error);
        return legend;
    }();
    return l;
}

// Builds a level from the interior rows 1..13 (18 characters each, padded with floor); the
// border is wall.
Level make(std::vector<std::string> interior) {
    std::string text = "map:\n####################\n";
    interior.resize(13);
    for (std::string& row : interior) {
        row.resize(18, '#');
        text += "#" + row + "#\n";
    }
    text += "####################\n";
    Level level;
    std::string error;
    EXPECT_TRUE(parseLevelText(text, legend(), level, error)) << error;
    return level;
}

bool mentions(const CheckReport& r, const std::string& what) {
    for (const auto& e : r.errors)
        if (e.find(what) != std::string::npos) return true;
    return false;
}

std::string errors(const CheckReport& r) {
    std::string all;
    for (const auto& e : r.errors) all += e + "\n";
    return all;
}

Level shipped(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "%s/levels/level%02d.txt", ASSETS_DIR, n);
    std::string text, error;
    Level level;
    EXPECT_TRUE(readTextFile(name, text, error)) << error;
    EXPECT_TRUE(parseLevelText(text, legend(), level, error)) << error;
    return level;
}

}  // namespace

TEST(LevelCheck, EveryShippedLevelCanBeFinished) {
    for (int n = 1; n <= kShippedLevelCount; ++n) {
        CheckReport r = checkLevel(shipped(n));
        EXPECT_TRUE(r.ok()) << "level " << n << ":\n" << errors(r);
        EXPECT_EQ(r.pickupsAtStart, r.clovers + r.flowers + 1) << "level " << n;
        // The status line prints the count after "CLOVER:" with room for three digits.
        EXPECT_LE(r.pickupsAtStart, 999) << "level " << n;
    }
}

TEST(LevelCheck, ShippedLevelsMarkEveryCrossing) {
    // The sources carry exactly the marks the marker gives: baddies choose at every crossing, and a
    // hand edit that forgot to renew the marks is caught.
    for (int n = 1; n <= kShippedLevelCount; ++n) {
        Level level = shipped(n);
        Level marked = level;
        markJunctions(marked);
        EXPECT_EQ(level.junctions, marked.junctions)
            << "level " << n << ": run 'levelc mark' on its source";
    }
}

TEST(LevelCheck, DifficultyRisesFromAGentleStart) {
    CheckReport first = checkLevel(shipped(1));
    EXPECT_EQ(first.baddies, 0);
    EXPECT_EQ(first.blastsNeeded, 0);
    int previousBaddies = 0, blastLevels = 0;
    for (int n = 1; n <= kShippedLevelCount; ++n) {
        CheckReport r = checkLevel(shipped(n));
        EXPECT_GE(r.baddies, previousBaddies)
            << "level " << n << " has fewer baddies than the one before";
        previousBaddies = r.baddies;
        blastLevels += r.blastsNeeded > 0;
    }
    CheckReport last = checkLevel(shipped(kShippedLevelCount));
    EXPECT_GE(last.baddies, 6);
    EXPECT_GE(last.blastsNeeded, 2);
    EXPECT_GE(blastLevels, kShippedLevelCount / 2) << "most levels should need the bombs";
}

TEST(LevelCheck, SimpleLevelPassesWithItsFigures) {
    CheckReport r = checkLevel(make({"@cccccf", "....................", "c+c", "...", "...>"}));
    // Row 1: bug and 6 pick-ups; row 3 has two clovers; the rest of the interior is wall.
    EXPECT_TRUE(r.ok()) << errors(r);
    EXPECT_EQ(r.clovers, 7);
    EXPECT_EQ(r.flowers, 1);
    EXPECT_EQ(r.pickupsAtStart, 9);
    EXPECT_EQ(r.baddies, 1);
    EXPECT_EQ(r.blastsNeeded, 0);
}

TEST(LevelCheck, CountsBugs) {
    EXPECT_TRUE(mentions(checkLevel(make({"@cc@"})), "2 bugs"));
    EXPECT_TRUE(mentions(checkLevel(make({".cc."})), "0 bugs"));
}

TEST(LevelCheck, BorderMustBeWall) {
    Level level = make({"@ccc"});
    level.map[cellIndex(5, 0)] = kFloor;
    EXPECT_TRUE(mentions(checkLevel(level), "border cell (5, 0)"));
    level = make({"@ccc"});
    level.map[cellIndex(19, 7)] = kFloor;
    EXPECT_TRUE(mentions(checkLevel(level), "border cell (19, 7)"));
}

TEST(LevelCheck, CloverWalledInIsRefused) {
    CheckReport r = checkLevel(make({"@cc#c"}));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(mentions(r, "walled in for good")) << errors(r);
    EXPECT_TRUE(mentions(r, "(5, 1)")) << errors(r);
}

TEST(LevelCheck, BlockOpensOnlyWithAReachableBomb) {
    // Bug, bomb, room to step back, block, clover behind it.
    CheckReport ok = checkLevel(make({"@s..Bc", "...."}));
    EXPECT_TRUE(ok.ok()) << errors(ok);
    EXPECT_EQ(ok.blastsNeeded, 1);
    ASSERT_EQ(ok.plan.size(), 1u);
    EXPECT_EQ(ok.plan[0], cellIndex(4, 1));  // laid right beside the block

    CheckReport noBomb = checkLevel(make({"@...Bc", "...."}));
    EXPECT_FALSE(noBomb.ok());
    EXPECT_TRUE(mentions(noBomb, "cannot open")) << errors(noBomb);

    // The bomb lies behind the block it would have to open.
    CheckReport bombBehind = checkLevel(make({"@...Bsc", "...."}));
    EXPECT_FALSE(bombBehind.ok());
}

TEST(LevelCheck, TheBugMustBeAbleToGetOutOfTheBlast) {
    // Only two cells to stand on: whatever cell the bomb is laid on, the bug stays in the blast.
    CheckReport trapped = checkLevel(make({"@sBc"}));
    EXPECT_FALSE(trapped.ok());
    // With a corridor going down from the start, the bug steps around the corner in time.
    CheckReport escape = checkLevel(make({"@sBc", ".", "."}));
    EXPECT_TRUE(escape.ok()) << errors(escape);
    EXPECT_EQ(escape.blastsNeeded, 1);
}

TEST(LevelCheck, EachBlockInARowNeedsItsOwnBomb) {
    CheckReport one = checkLevel(make({"@s...BBc", "....."}));
    EXPECT_FALSE(one.ok());
    CheckReport two = checkLevel(make({"@ss...BBc", "......"}));
    EXPECT_TRUE(two.ok()) << errors(two);
    EXPECT_EQ(two.blastsNeeded, 2);
    // Bombs found behind the first block pay for the second.
    CheckReport chained = checkLevel(make({"@s..B.s.Bc", "....", "...."}));
    EXPECT_TRUE(chained.ok()) << errors(chained);
    EXPECT_EQ(chained.blastsNeeded, 2);
}

TEST(LevelCheck, TheBugMustStartOnAPickup) {
    Level level = make({"@ccc", "...."});
    level.items[cellIndex(1, 1)] = 0;
    CheckReport r = checkLevel(level);
    EXPECT_TRUE(mentions(r, "under the bug's start cell")) << errors(r);
    level.items[cellIndex(1, 1)] = kClover;
    r = checkLevel(level);
    EXPECT_TRUE(r.ok()) << errors(r);
    // The game counts the bug's cell itself instead of the clover under it.
    EXPECT_EQ(r.clovers, 3);
    EXPECT_EQ(r.pickupsAtStart, 4);
}

TEST(LevelCheck, JunctionMarksNeedThreeWays) {
    CheckReport corridor = checkLevel(make({"@c+cc"}));
    EXPECT_TRUE(mentions(corridor, "only 2 open ways")) << errors(corridor);
    Level onWall = make({"@ccc"});
    onWall.junctions[cellIndex(3, 2)] = kJunction;
    EXPECT_TRUE(mentions(checkLevel(onWall), "on a wall"));
    // A crossing is fine.
    CheckReport crossing = checkLevel(make({"..c..", "@c+cc", "..c.."}));
    EXPECT_TRUE(crossing.ok()) << errors(crossing);
    EXPECT_EQ(crossing.junctions, 1);
}

TEST(LevelCheck, BaddyMayNotStartBesideTheBug) {
    EXPECT_TRUE(mentions(checkLevel(make({"@c<cccccc"})), "starts only 2 steps"));
    CheckReport far = checkLevel(make({"@cccccccc<"}));
    EXPECT_TRUE(far.ok()) << errors(far);
}

TEST(LevelCheck, PickupsUnderWallsBlocksOrBaddiesAreRefused) {
    Level level = make({"@ccB..", "......"});
    level.items[cellIndex(4, 1)] = kFlower;
    EXPECT_TRUE(mentions(checkLevel(level), "under a breakable block"));
    level = make({"@ccc"});
    level.items[cellIndex(5, 5)] = kClover;
    EXPECT_TRUE(mentions(checkLevel(level), "under a wall"));
    level = make({"@ccccccc>"});
    level.items[cellIndex(9, 1)] = kClover;
    EXPECT_TRUE(mentions(checkLevel(level), "under a baddy"));
}

TEST(LevelCheck, CodesThatDoNotBelongInAFileAreRefused) {
    Level level = make({"@ccc"});
    level.map[cellIndex(3, 1)] = 34;
    EXPECT_TRUE(mentions(checkLevel(level), "layer 1 code 34"));
    level = make({"@ccc"});
    level.map[cellIndex(3, 1)] = 5;  // fruit is placed by the game, never by a level
    EXPECT_TRUE(mentions(checkLevel(level), "layer 1 code 5"));
    level = make({"@ccc"});
    level.items[cellIndex(3, 1)] = 3;
    EXPECT_TRUE(mentions(checkLevel(level), "layer 2 code 3"));
    level = make({"@ccc"});
    level.junctions[cellIndex(3, 1)] = 1;
    EXPECT_TRUE(mentions(checkLevel(level), "layer 3 code 1"));
    level = make({"@ccc"});
    level.items[cellIndex(30, 20)] = kClover;
    EXPECT_TRUE(mentions(checkLevel(level), "outside the visible area"));
}

TEST(LevelCheck, LevelWithNothingToCollectIsRefused) {
    EXPECT_TRUE(mentions(checkLevel(make({"@....s"})), "no clover or flower"));
}

TEST(LevelCheck, SummaryNamesTheFigures) {
    CheckReport r = checkLevel(make({"@s..Bc", "...."}));
    std::string s = summary(r);
    EXPECT_NE(s.find("clovers 1"), std::string::npos) << s;
    EXPECT_NE(s.find("bombs 1"), std::string::npos) << s;
    EXPECT_NE(s.find("blasts 1"), std::string::npos) << s;
}
