// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The level files and the game's own three files: profile, names and scores. Every file is read
// or written whole through file channel 1; multi-byte values are little-endian.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"

#include "runtime/convert.h"
#include "runtime/files.h"

using namespace crumlet;

namespace {

constexpr double kChannel = 1;
constexpr double kModeRead = 1;
constexpr double kModeWrite = 0;

// Reads count bytes into array elements 0..count-1. A missing or short file stops the program
// with error code 3 at the first read that fails.
void readBytesInto(const TextValue& path, NumberArray& array, double count) {
    openChannel(kChannel, path, kModeRead);
    for (double i = 0; i < count; ++i) readByte(kChannel, numAt(array, i));
    closeChannel(kChannel);
}

void writeBytesFrom(const TextValue& path, NumberArray& array, double count) {
    openChannel(kChannel, path, kModeWrite);
    for (double i = 0; i < count; ++i) writeByte(kChannel, numAt(array, i));
    closeChannel(kChannel);
}

TextValue levelFile(const char* layerSuffix) {
    return textPlusChars(charsPlusNumber((game.mapsFolder + "Map").c_str(), game.level),
                         layerSuffix);
}

// The profile, names and scores of the level set being played.
TextValue setFile(const char* name) { return TextValue((game.mapsFolder + name).c_str()); }

// A level pack may hold as many levels as the tables have room for, and no more.
static_assert(levels::kMaxLevels == kScoreTableLevels, "one table for every level a set may hold");

const char* const kPlayerFile = "Player.bin";
const char* const kNameFile = "Name.bin";
const char* const kScoreFile = "Data.bin";

}  // namespace

void LoadMaps() {
    GameGlobals& g = game;
    readBytesInto(levelFile("-1.bin"), g.mapGrid, kGridCells);
    readBytesInto(levelFile("-2.bin"), g.itemGrid, kGridCells);
    readBytesInto(levelFile("-3.bin"), g.junctionGrid, kGridCells);
}

void LoadPlayer() { readBytesInto(setFile(kPlayerFile), game.playerCodes, kNameLetters); }

void SavePlayer() { writeBytesFrom(setFile(kPlayerFile), game.playerCodes, kNameLetters); }

void LoadNsData() {
    readBytesInto(setFile(kNameFile), game.nameCodes, kScoreTableEntries * kNameLetters);
}

void SaveNsData() {
    writeBytesFrom(setFile(kNameFile), game.nameCodes, kScoreTableEntries * kNameLetters);
}

void LoadHsData() {
    GameGlobals& g = game;
    openChannel(kChannel, setFile(kScoreFile), kModeRead);
    for (double i = 0; i < kScoreTableEntries; ++i) readLong(kChannel, numAt(g.hiScores, i));
    closeChannel(kChannel);
}

void SaveHsData() {
    GameGlobals& g = game;
    openChannel(kChannel, setFile(kScoreFile), kModeWrite);
    for (double i = 0; i < kScoreTableEntries; ++i) writeLong(kChannel, numAt(g.hiScores, i));
    closeChannel(kChannel);
}

void MakeString() {
    GameGlobals& g = game;
    // Appends, so it relies on running once on the empty names made at start-up. A code of 0
    // gives the empty text, so shorter names keep their own length.
    for (double name = 0; name < kScoreTableEntries; ++name) {
        for (double letter = 0; letter < kNameLetters; ++letter) {
            textAt(g.hiNames, name) +=
                charFromCode(numAt(g.nameCodes, name * kNameLetters + letter));
        }
    }
}

void MakeNsData() {
    GameGlobals& g = game;
    for (double name = 0; name < kScoreTableEntries; ++name) {
        for (double letter = 0; letter < kNameLetters; ++letter) {
            numAt(g.nameCodes, name * kNameLetters + letter) =
                charCode(textMid(textAt(g.hiNames, name), letter, 1));
        }
    }
}
