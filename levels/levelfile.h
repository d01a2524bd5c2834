// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level files of the maze game: three layers of 40 x 30 cells, one byte per cell, stored as
// "Map<n>-1.bin" (walls and actors), "Map<n>-2.bin" (pick-ups) and "Map<n>-3.bin" (junction marks).
// Levels are authored as text maps, one character per cell for the visible 20 x 15 cells, with a
// legend that says which three layer codes each character stands for.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "levels/shipped.h"

namespace levels {

constexpr int kColumns = 40;  // cells per stored row
constexpr int kRows = 30;     // stored rows
constexpr int kCells = kColumns * kRows;
constexpr int kViewColumns = 20;  // the part that is drawn and played
constexpr int kViewRows = 15;

// Layer 1 codes.
constexpr uint8_t kFloor = 0, kWall = 1, kBug = 3, kBlock = 7;
constexpr uint8_t kBaddyRight = 12, kBaddyLeft = 13, kBaddyUp = 14, kBaddyDown = 15;
// Layer 2 codes.
constexpr uint8_t kClover = 2, kFlower = 4, kSpikyBomb = 6;
// Layer 3 code.
constexpr uint8_t kJunction = 5;

using Layer = std::array<uint8_t, kCells>;

inline int cellIndex(int column, int row) { return column + kColumns * row; }
inline bool isBaddy(uint8_t code) { return code >= kBaddyRight && code <= kBaddyDown; }
inline bool isPickup(uint8_t item) { return item == kClover || item == kFlower; }

struct Level {
    Layer map{};
    Layer items{};
    Layer junctions{};
    std::string title;
};

struct LegendEntry {
    char symbol;
    uint8_t map, items, junctions;
    std::string meaning;
};

class Legend {
  public:
    // Parses lines of the form "cell <char> <layer1> <layer2> <layer3> <meaning>"; every other line
    // is a comment. Fails on a repeated character or a repeated code combination; `line` then
    // receives the 1-based line of the fault (0 when the legend as a whole is wrong).
    bool parse(const std::string& text, std::string& error, int* line = nullptr);
    const LegendEntry* bySymbol(char symbol) const;
    const LegendEntry* byCodes(uint8_t map, uint8_t items, uint8_t junctions) const;
    const std::vector<LegendEntry>& entries() const { return entries_; }

  private:
    std::vector<LegendEntry> entries_;
};

// Text form of a level:
//   lines before "map:" are "title: ...", blank lines or "#" comments;
//   "map:" is followed by exactly 15 lines of exactly 20 legend characters.
bool parseLevelText(const std::string& text, const Legend& legend, Level& level,
                    std::string& error);

// A place in a level text: 1-based line and column; 0 for what concerns the text as a whole.
struct TextPlace {
    int line = 0;
    int column = 0;
};
// The same parse, with the fault's place apart from its reason (for "file:line:column: reason").
// mapLine receives the 1-based line of "map:", so map row r is on line mapLine + 1 + r.
bool parseLevelText(const std::string& text, const Legend& legend, Level& level, int& mapLine,
                    TextPlace& place, std::string& reason);
// Replaces the 15 map rows of a level text by the level's visible cells, read through the same
// line parser as parseLevelText; every other byte (header, comments, line ends, trailing blank
// lines) stays as it was. Fails when the text does not parse or a cell has no legend character.
bool rewriteMapRows(const std::string& text, const Level& level, const Legend& legend,
                    std::string& out, std::string& error);
// Writes the text form back. Fails (with the first offending cell in `error`) when a cell holds a
// code combination the legend has no character for, or when a cell outside the visible area is
// not empty, because the text form could not carry it.
bool formatLevelText(const Level& level, const Legend& legend, std::string& text,
                     std::string& error);

std::string layerFileName(const std::string& folder, int level, int layer);
bool readLayerFile(const std::string& path, Layer& layer, std::string& error);
bool writeLayerFile(const std::string& path, const Layer& layer, std::string& error);
bool loadLevelFiles(const std::string& folder, int number, Level& level, std::string& error);
bool saveLevelFiles(const std::string& folder, int number, const Level& level, std::string& error);

// Number of the four neighbours of a visible cell that a baddy could ever walk into at the start
// (neither wall nor breakable block).
int openNeighbours(const Level& level, int column, int row);
// Marks every visible cell (not wall or block) with at least three neighbours of plain floor as a
// junction and clears marks elsewhere; a cell beside an actor's start counts that neighbour only
// once it is empty, so the marks hold by either way of counting. Returns the number of marks.
int markJunctions(Level& level);

// A level text or legend is a few hundred bytes; anything beyond this is not one.
constexpr size_t kMaxLevelSourceBytes = 64 * 1024;
// Reads a level text or legend (at most kMaxLevelSourceBytes). Only a regular file is read: a
// FIFO or a device is refused at once, never waited on.
bool readTextFile(const std::string& path, std::string& text, std::string& error);
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace levels
