// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// WriteHighscore: insertion, ties, the dropped last entry.
#include "logic_support.h"

namespace {

class HighscoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetGame();
        game.level = 3;
        const double table[8] = {900, 800, 700, 600, 500, 400, 300, 200};
        for (int k = 0; k < 8; ++k) {
            numAt(game.hiScores, 16 + k) = table[k];
            textAt(game.hiNames, 16 + k) = std::string(1, static_cast<char>('a' + k)).c_str();
        }
        // Neighbouring tables must stay untouched.
        numAt(game.hiScores, 15) = 5;
        numAt(game.hiScores, 24) = 6;
    }

    std::vector<double> scores() {
        std::vector<double> out;
        for (int k = 0; k < 8; ++k) out.push_back(numAt(game.hiScores, 16 + k));
        return out;
    }
    std::string names() {
        std::string out;
        for (int k = 0; k < 8; ++k) {
            std::string n = textOf(textAt(game.hiNames, 16 + k));
            out += n.empty() ? "_" : n;
        }
        return out;
    }
    void enter(double score, const char* name) {
        game.score = score;
        game.playerName = name;
        WriteHighscore();
    }
};

TEST_F(HighscoreTest, AScoreLandsAboveTheFirstLowerEntry) {
    enter(650, "Z");
    EXPECT_EQ(scores(), (std::vector<double>{900, 800, 700, 650, 600, 500, 400, 300}));
    EXPECT_EQ(names(), "abcZdefg");
    EXPECT_EQ(numAt(game.hiScores, 19), 650);  // rank 4 is entry 19
    EXPECT_EQ(numAt(game.hiScores, 15), 5);
    EXPECT_EQ(numAt(game.hiScores, 24), 6);
}

TEST_F(HighscoreTest, ATieGoesBelowTheEarlierEntry) {
    enter(700, "Z");
    EXPECT_EQ(scores(), (std::vector<double>{900, 800, 700, 700, 600, 500, 400, 300}));
    EXPECT_EQ(names(), "abcZdefg");
}

TEST_F(HighscoreTest, LowScoresChangeNothingAndJustAboveTheLastReplacesIt) {
    enter(150, "Z");
    EXPECT_EQ(names(), "abcdefgh");
    enter(200, "Z");  // equal to the last: not strictly better
    EXPECT_EQ(names(), "abcdefgh");
    enter(201, "Z");
    EXPECT_EQ(scores(), (std::vector<double>{900, 800, 700, 600, 500, 400, 300, 201}));
    EXPECT_EQ(names(), "abcdefgZ");
}

TEST_F(HighscoreTest, TheBestScoreTakesRankOne) {
    enter(5000, "");
    EXPECT_EQ(scores(), (std::vector<double>{5000, 900, 800, 700, 600, 500, 400, 300}));
    EXPECT_EQ(names(), "_abcdefg");  // an empty name is entered as an empty name
}

TEST_F(HighscoreTest, AFreshTableTakesOnlyScoresAboveZero) {
    game.level = 1;
    enter(0, "nobody");
    EXPECT_EQ(numAt(game.hiScores, 0), 0);
    EXPECT_EQ(textLength(textAt(game.hiNames, 0)), 0);
    enter(55, "bug");
    EXPECT_EQ(numAt(game.hiScores, 0), 55);
    EXPECT_EQ(textOf(textAt(game.hiNames, 0)), "bug");
    enter(55, "second");
    EXPECT_EQ(textOf(textAt(game.hiNames, 1)), "second");
}

// A level pack may hold as many levels as the tables have room for: the last one's table is the
// last eight entries.
TEST_F(HighscoreTest, TheLastLevelASetMayHoldUsesItsOwnTable) {
    game.level = levels::kMaxLevels;
    enter(10, "top");
    EXPECT_EQ(numAt(game.hiScores, (levels::kMaxLevels - 1) * 8), 10);
    EXPECT_EQ(numAt(game.hiScores, 24), 6);
}

}  // namespace
