// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Helpers for the game's logic tests: fresh state, levels from text, held keys, a private folder.
#include "logic_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "devices/input.h"

using namespace crumlet;

void holdKeys(std::initializer_list<double> codes) {
    unsigned char keys[256] = {};
    for (double c : codes) keys[static_cast<int>(c) & 255] = 0x80;
    injectKeyboardSnapshot(keys);
}

void releaseKeys() { holdKeys({}); }

void resetGame() {
    dimensionGameArrays();
    DataInit();
    startMenuState();
    GameGlobals& g = game;
    g.playerName = "";
    g.typedChar = "";
    g.formationText = "";
    g.mapsFolder = GameGlobals().mapsFolder;  // the shipped level set
    g.lastLevel = GameGlobals().lastLevel;
    releaseKeys();
}

void buildLevel(const std::vector<std::string>& rows) {
    GameGlobals& g = game;
    for (int i = 0; i < kGridCells; ++i) {
        numAt(g.mapGrid, i) = 0;
        numAt(g.itemGrid, i) = 0;
        numAt(g.junctionGrid, i) = 0;
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            double i = static_cast<double>(c + r * kGridColumns);
            double map = 0, item = 0;
            switch (rows[r][c]) {
                case '#':
                    map = kWall;
                    break;
                case 'x':
                    map = kBlock;
                    break;
                case 'B':
                    map = kBug;
                    break;
                case '@':
                    map = kBug;
                    item = kClover;
                    break;
                case 'F':
                    map = kFruit;
                    break;
                case 'R':
                    map = kReserved;
                    break;
                case '>':
                    map = kBaddyRight;
                    break;
                case '<':
                    map = kBaddyLeft;
                    break;
                case '^':
                    map = kBaddyUp;
                    break;
                case 'v':
                    map = kBaddyDown;
                    break;
                case 'c':
                    item = kClover;
                    break;
                case 'f':
                    item = kFlower;
                    break;
                case 's':
                    item = kSpikeyBomb;
                    break;
                default:
                    break;
            }
            numAt(g.mapGrid, i) = map;
            numAt(g.itemGrid, i) = item;
        }
    }
}

void setJunction(int column, int row) {
    numAt(game.junctionGrid, column + row * kGridColumns) = kJunction;
}

double mapAt(int column, int row) { return numAt(game.mapGrid, column + row * kGridColumns); }
double itemAt(int column, int row) { return numAt(game.itemGrid, column + row * kGridColumns); }
void setMap(int column, int row, double code) {
    numAt(game.mapGrid, column + row * kGridColumns) = code;
}
void setItem(int column, int row, double code) {
    numAt(game.itemGrid, column + row * kGridColumns) = code;
}

void bugFrame() {
    ScanBug();
    BugAnimation();
}

void GameFolderTest::SetUp() {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    oldFolder = cwd;
    folder = scratch.path();
    ASSERT_EQ(mkdir((folder + "/Maps").c_str(), 0700), 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    resetGame();
}

void GameFolderTest::TearDown() { ASSERT_EQ(chdir(oldFolder.c_str()), 0); }

void GameFolderTest::writeFile(const std::string& relative,
                               const std::vector<unsigned char>& bytes) {
    std::ofstream out(folder + "/" + relative, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> GameFolderTest::readFile(const std::string& relative) {
    std::ifstream in(folder + "/" + relative, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

std::string textOf(const TextValue& t) { return std::string(t.c_str()); }
