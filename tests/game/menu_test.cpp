// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The title menu, name entry and the high-score screen, driven frame by frame.
#include "screen_support.h"

#include <sys/stat.h>

#include "devices/input.h"
#include "tests/support/level_writer.h"

using namespace crumlet;

namespace {

class MenuTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        writeFile("Maps/Player.bin", std::vector<unsigned char>(8, 0));
        writeFile("Maps/Name.bin", std::vector<unsigned char>(6400, 0));
        writeFile("Maps/Data.bin", std::vector<unsigned char>(3200, 0));
        Formation();
    }

    // Keys for the pass that ends with present n, from a table of (first, last, keys).
    struct Span {
        int from, to;
        std::vector<double> keys;
    };
    static void keysFor(const std::vector<Span>& spans, int n) {
        unsigned char k[256] = {};
        for (const Span& s : spans) {
            if (n >= s.from && n <= s.to) {
                for (double c : s.keys) k[static_cast<int>(c)] = 0x80;
            }
        }
        injectKeyboardSnapshot(k);
    }
    // Runs MainMenu with the spans as the player, calling check after every present.
    void runMenu(const std::vector<Span>& spans, std::function<void(int)> check = nullptr,
                 int limit = 2000) {
        keysFor(spans, 1);
        onEveryFrame([&, check, limit](int n) {
            if (check) check(n);
            ASSERT_LT(n, limit) << "the menu did not end";
            keysFor(spans, n + 1);
        });
        MainMenu();
        onEveryFrame(nullptr);
    }
};

TEST_F(MenuTest, LevelChoiceClimbsToTheLastShippedLevelAndStopsAtOne) {
    std::vector<double> levels(600, 0);
    double maxBoxY = 0;
    runMenu({{1, 3, {kKeyUp}},  // up on the first entry does nothing
             {4, 200, {kKeyRight}},
             {201, 400, {kKeyLeft}},
             {401, 440, {kKeyDown}},  // three slides to go home; a fourth Down does nothing
             {445, 445, {kKeyReturn}}},
            [&](int n) {
                levels[n] = game.level;
                maxBoxY = std::max(maxBoxY, game.boxY);
                if (n <= 3) {
                    EXPECT_EQ(game.boxY, 64);
                    EXPECT_EQ(game.boxMode, 0);
                }
            });
    // Holding Right changes the level every fourth pass.
    EXPECT_EQ(levels[6], 1);
    EXPECT_EQ(levels[7], 2);
    EXPECT_EQ(levels[11], 3);
    EXPECT_EQ(levels[200], levels::kShippedLevelCount);
    EXPECT_EQ(levels[400], 1);
    EXPECT_EQ(maxBoxY, 112);
    EXPECT_EQ(game.boxY, 112);
    EXPECT_EQ(readFile("Maps/Player.bin"), std::vector<unsigned char>(8, 0));
}

// A level set of the full 100 levels, as a pack leaves it compiled in the player folder: the menu
// climbs to level 100 and no further, level 100 is the one that starts, and the profile goes to
// the set's own folder.
TEST_F(MenuTest, APackOfAHundredLevelsReachesLevelHundred) {
    ASSERT_EQ(mkdir("packs", 0700), 0);
    ASSERT_EQ(mkdir("packs/p", 0700), 0);
    ASSERT_EQ(mkdir("packs/p/Maps", 0700), 0);
    for (int n = 1; n <= 100; ++n)
        ::writeLevel("packs/p/Maps", n,
                     {"####################", n == 100 ? "#c.@#" : "#@c.#", "#####"});
    writeFile("packs/p/Maps/Player.bin", std::vector<unsigned char>(8, 0));
    game.mapsFolder = "./packs/p/Maps/";
    game.lastLevel = 100;
    game.playerName = "ab";
    std::vector<double> levels(700, 0);
    double bugXInLevel = 0;
    runMenu({{4, 420, {kKeyRight}},
             {425, 425, {kKeyReturn}},  // start the chosen level
             {440, 441, {kKeyEscape}},  // and leave it
             {460, 460, {kKeyDown}},
             {480, 480, {kKeyDown}},
             {500, 500, {kKeyDown}},
             {520, 520, {kKeyReturn}}},
            [&](int n) {
                levels[n] = game.level;
                if (n == 430) bugXInLevel = game.bugX;
            });
    EXPECT_EQ(levels[398], 99);
    EXPECT_EQ(levels[399], 100);
    EXPECT_EQ(levels[420], 100);
    EXPECT_EQ(bugXInLevel, 3 * kCellSize);  // level 100's own map
    EXPECT_EQ(readFile("packs/p/Maps/Player.bin"),
              (std::vector<unsigned char>{'a', 'b', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(readFile("Maps/Player.bin"), std::vector<unsigned char>(8, 0));
}

TEST_F(MenuTest, ADownDuringASlideIsNotQueued) {
    std::vector<double> boxY(100, 0);
    runMenu(
        {{1, 5, {kKeyDown}}, {20, 20, {kKeyDown}}, {30, 30, {kKeyDown}}, {40, 40, {kKeyReturn}}},
        [&](int n) { boxY[n] = game.boxY; });
    EXPECT_EQ(boxY[1], 64);
    EXPECT_EQ(boxY[2], 66);
    EXPECT_EQ(boxY[9], 80);
    EXPECT_EQ(boxY[15], 80);  // the held Down did not start a second slide
    EXPECT_EQ(boxY[29], 96);
    EXPECT_EQ(boxY[39], 112);
}

TEST_F(MenuTest, NameEntryTakesLowerCaseLettersOnly) {
    // Box to the player entry (arrives with pass 9), Return opens name entry in pass 10.
    runMenu({{1, 1, {kKeyDown}},
             {10, 10, {kKeyReturn}},
             {11, 11, {42, 30}},  // Shift + A: a capital, ignored
             {12, 12, {48}},      // b
             {13, 13, {2}},       // the digit 1
             {14, 14, {46}},      // c
             {16, 16, {kKeySpace}},
             {20, 20, {kKeyDown}},
             {30, 30, {kKeyDown}},
             {40, 40, {kKeyReturn}}},
            [&](int n) {
                if (n == 15) {
                    EXPECT_EQ(textOf(game.playerName), "bc");
                }
            });
    EXPECT_EQ(textOf(game.playerName), "bc");
    EXPECT_EQ(readFile("Maps/Player.bin"),
              (std::vector<unsigned char>{'b', 'c', 0, 0, 0, 0, 0, 0}));
}

TEST_F(MenuTest, NameEntryKeepsEightLettersAndBackspaceClearsAll) {
    std::vector<Span> spans = {{1, 1, {kKeyDown}}, {10, 10, {kKeyReturn}}};
    // Ten letters a..j, one every second pass.
    const double codes[10] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36};
    int n = 11;
    for (double c : codes) {
        spans.push_back({n, n, {c}});
        n += 2;
    }
    std::string afterTen, afterBackspace;
    spans.push_back({n, n, {kKeyBackspace}});  // clears the whole name
    spans.push_back({n + 2, n + 2, {37}});     // k
    spans.push_back({n + 4, n + 4, {kKeySpace}});
    spans.push_back({n + 10, n + 10, {kKeyDown}});
    spans.push_back({n + 20, n + 20, {kKeyDown}});
    spans.push_back({n + 30, n + 30, {kKeyReturn}});
    int backspaceAt = n;
    runMenu(spans, [&](int f) {
        if (f == backspaceAt - 1) afterTen = textOf(game.playerName);
        if (f == backspaceAt) afterBackspace = textOf(game.playerName);
    });
    EXPECT_EQ(afterTen, "abcdefgh");
    EXPECT_EQ(afterBackspace, "");
    EXPECT_EQ(textOf(game.playerName), "k");
}

TEST_F(MenuTest, TheHighScoreEntryShowsTheSelectedLevel) {
    for (int k = 0; k < 8; ++k) {
        numAt(game.hiScores, 16 + k) = 900 - 100 * k;
        textAt(game.hiNames, 16 + k) = std::string(1, static_cast<char>('p' + k)).c_str();
    }
    Screen screen;
    bool grabbed = false;
    // Level 3 after 8 passes of Right; two slides to the high-score entry; Return.
    runMenu({{1, 8, {kKeyRight}},
             {10, 10, {kKeyDown}},
             {20, 20, {kKeyDown}},
             {30, 30, {kKeyReturn}},
             {36, 36, {kKeySpace}},
             {40, 40, {kKeyDown}},
             {50, 50, {kKeyReturn}}},
            [&](int n) {
                if (n == 33) grabbed = grabScreen(screen);
            });
    EXPECT_EQ(game.level, 3);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(textOf(textAt(game.showNames, k)), std::string(1, 'p' + k));
    ASSERT_TRUE(grabbed);
    EXPECT_TRUE(screen.anyOtherThan(88, 0, 72, 8, {}));      // "HIGHSCORE"
    EXPECT_TRUE(screen.anyOtherThan(224, 32, 24, 8, {}));    // 900
    EXPECT_TRUE(screen.anyOtherThan(40, 222, 120, 8, {}));   // "PRESS SPACE BAR"
    EXPECT_FALSE(screen.anyOtherThan(0, 180, 320, 30, {}));  // nothing else
    EXPECT_NE(screen.at(64, 96), kBoxColour);                // no cursor box on this screen
}

TEST_F(MenuTest, TheMenuShowsItsTextsAndTheBox) {
    Screen screen;
    bool grabbed = false;
    runMenu(
        {{5, 5, {kKeyDown}}, {15, 15, {kKeyDown}}, {25, 25, {kKeyDown}}, {35, 35, {kKeyReturn}}},
        [&](int n) {
            if (n == 2) grabbed = grabScreen(screen);
        });
    ASSERT_TRUE(grabbed);
    EXPECT_TRUE(screen.anyOtherThan(64, 16, 96, 8, {kBoxColour}));    // CRUMLET DEMO
    EXPECT_TRUE(screen.anyOtherThan(32, 32, 128, 8, {kBoxColour}));   // the formation line
    EXPECT_TRUE(screen.anyOtherThan(64, 112, 56, 8, {kBoxColour}));   // GOHOME
    EXPECT_TRUE(screen.anyOtherThan(22, 224, 128, 8, {kBoxColour}));  // MADE WITH TOVRIK
    EXPECT_EQ(screen.at(64, 64), kBoxColour);
    EXPECT_EQ(screen.at(159, 79), kBoxColour);
    EXPECT_NE(screen.at(64, 80), kBoxColour);
}

TEST_F(MenuTest, EscapeFromALevelReturnsToTheSameMenuState) {
    writeLevel(4, {"#####", "#.B.#", "#####"});
    runMenu({{1, 12, {kKeyRight}},  // level 4
             {20, 20, {kKeyReturn}},
             {30, 30, {kKeyEscape}},
             {40, 40, {kKeyDown}},
             {50, 50, {kKeyDown}},
             {60, 60, {kKeyDown}},
             {70, 70, {kKeyReturn}}},
            [&](int n) {
                if (n == 35) {
                    EXPECT_EQ(game.level, 4);
                    EXPECT_EQ(game.boxY, 64);
                    EXPECT_EQ(game.boxX, 64);
                }
                if (n >= 20 && n < 30) {
                    EXPECT_EQ(game.bugX, 32);  // the level is running
                }
            });
}

}  // namespace
