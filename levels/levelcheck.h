// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Proves that a level can be finished: one bug, every counted clover and flower reachable from the
// bug's start through cells the bug can enter, breakable blocks passable only once enough spiky
// bombs are reachable to blast them open (with a safe place to wait for each blast), and junction
// marks only where a baddy really has three or more ways.
#pragma once

#include <string>
#include <vector>

#include "levelfile.h"

namespace levels {

struct CheckReport {
    std::vector<std::string> errors;
    std::vector<int> errorCells;  // the cell index each error is about; -1 for the whole level
    std::vector<std::string> warnings;
    int clovers = 0;  // counted clovers (the ones the level needs)
    int flowers = 0;  // counted flowers
    int bombs = 0;    // spiky bombs lying in the maze
    int blocks = 0;   // breakable blocks
    int baddies = 0;
    int junctions = 0;
    int pickupsAtStart = 0;  // what the status line shows after "CLOVER:" at the start
    int blastsNeeded = -1;   // blasts of the plan found, -1 when none was found
    int openCells = 0;       // cells the bug can reach without any blast
    std::vector<int> plan;   // cell indexes where the bug lays its bombs, in order
    int searchSteps = 0;     // the search's steps spent on finding the plan
    bool ok() const { return errors.empty(); }
};

// Closest distance (in steps on open floor) a baddy may start from the bug.
constexpr int kMinBaddyDistance = 4;

// The search for a plan of blasts tries at most this many steps (a few seconds at worst) before
// it gives the level up as not provably finishable.
constexpr int kSearchLimit = 200000;

CheckReport checkLevel(const Level& level, int searchLimit = kSearchLimit);

// One line of figures, e.g. "clovers 24 flowers 3 bombs 2 blocks 5 baddies 2 junctions 6 blasts 1".
std::string summary(const CheckReport& report);

}  // namespace levels
