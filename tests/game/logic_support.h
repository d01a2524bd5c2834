// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Helpers for the game's logic tests: a fresh game state, levels drawn as text, held keys and a
// private working folder with a Maps/ folder.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "tests/support/test_folder.h"

// Holds exactly these keys (scan codes) for every key query until changed.
void holdKeys(std::initializer_list<double> codes);
void releaseKeys();

// Dimensions every array, resets the play state and the menu state as start-up leaves them.
void resetGame();

// Fills the three layers from rows of text, starting at row 0, column 0; cells not given are
// empty. Legend:
//   '#' wall   'x' breakable block   'B' bug   '@' bug on a clover   'F' fruit   'R' reserved (34)
//   '>' '<' '^' 'v' baddies heading right, left, up, down
//   'c' clover   'f' flower   's' spiky bomb to pick up   '.' or ' ' empty
void buildLevel(const std::vector<std::string>& rows);
// Marks a junction (junctionGrid 5) at a cell.
void setJunction(int column, int row);

double mapAt(int column, int row);
double itemAt(int column, int row);
void setMap(int column, int row, double code);
void setItem(int column, int row, double code);

// Runs ScanBug and BugAnimation once, as a level frame does for the bug.
void bugFrame();

// A test that works in its own empty folder holding an empty Maps/ folder.
class GameFolderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    TestFolder scratch{"crumlet-test"};
    std::string folder;  // scratch's path, without a '/' at the end
    std::string oldFolder;

    void writeFile(const std::string& relative, const std::vector<unsigned char>& bytes);
    std::vector<unsigned char> readFile(const std::string& relative);
};

std::string textOf(const TextValue& t);
