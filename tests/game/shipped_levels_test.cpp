// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The shipped levels against the game's own rules: a level is finished when pickupsLeft reaches
// exactly 0, and FindBug counts the bug's start cell as one pick-up (standing in for a clover or
// flower under it). A level with no clover or flower under the bug's start therefore starts one
// above what can be collected and can never be finished.
#include "logic_support.h"

#include <unistd.h>

#include <fstream>

#ifndef CRUMLET_RUN_DIR
#error "CRUMLET_RUN_DIR must name the run folder"
#endif

using namespace crumlet;

namespace {

TEST(ShippedLevelsTest, EveryLevelCanReachZeroPickupsLeft) {
    std::string maps = std::string(CRUMLET_RUN_DIR) + "/Maps";
    ASSERT_TRUE(std::ifstream(maps + "/Map1-1.bin")) << "no levels built in " << maps;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(CRUMLET_RUN_DIR), 0);
    resetGame();
    for (int n = 1; n <= levels::kShippedLevelCount; ++n) {
        game.level = n;
        DataInit();
        LoadMaps();  // stops the test program with error 3 if a level file is missing or short
        FindBug();
        // What the bug can collect: every clover and flower in the area FindBug counts,
        // including one under its start cell.
        int collectable = 0;
        for (int row = 1; row <= 13; ++row) {
            for (int column = 1; column <= 18; ++column) {
                double item = itemAt(column, row);
                if (item == kClover || item == kFlower) ++collectable;
            }
        }
        EXPECT_EQ(game.pickupsLeft, collectable)
            << "level " << n << " starts with pickupsLeft " << game.pickupsLeft << " but only "
            << collectable
            << " clovers and flowers can be collected: the bug's start cell counts as one pick-up, "
               "so a clover "
               "or flower must lie under the bug for the level to be finishable";
    }
    ASSERT_EQ(chdir(cwd), 0);
}

}  // namespace
