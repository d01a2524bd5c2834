// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the game's own files (profile, names, scores) as the game loads them at start:
// the three loads through file channel 1, then the names and the player's name built from them.
// The input is cut into the three files in order; a short input leaves the last ones short.
#include <sys/stat.h>
#include <cstddef>
#include <cstdint>

#include "fuzz/support.h"
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "runtime/files.h"
#include "runtime/lifecycle.h"

using namespace crumlet;

namespace {

// Writes bytes [from, from + length) of the input, as far as it reaches.
void writePart(const char* path, const uint8_t* data, size_t size, size_t from, size_t length) {
    const size_t start = from < size ? from : size;
    const size_t end = from + length < size ? from + length : size;
    fuzzing::writeFile(path, data + start, end - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    fuzzing::catchRuntimeErrors();
    ::mkdir("Maps", 0755);
    writePart("Maps/Player.bin", data, size, 0, 8);
    writePart("Maps/Name.bin", data, size, 8, 6400);
    writePart("Maps/Data.bin", data, size, 6408, 3200);

    dimensionGameArrays();
    GameGlobals& g = game;
    g.playerName = "";
    try {
        LoadPlayer();
        LoadNsData();
        LoadHsData();
        MakeString();
        playerNameFromCodes();
    } catch (const fuzzing::RuntimeStop& stop) {
        fuzzing::require(stop.code == kErrorFileTransfer && size < 9608,
                         "only a short file stops the loading");
        releaseFileChannels(false);
        return 0;
    }
    fuzzing::require(g.playerName.length <= 8, "a player's name has at most 8 letters");
    for (double i = 0; i < 800; ++i) {
        fuzzing::require(textAt(g.hiNames, i).length <= 8, "a table name has at most 8 letters");
        const double score = numAt(g.hiScores, i);
        fuzzing::require(score >= 0 && score <= 4294967295.0, "a score is a 32-bit count");
    }
    return 0;
}
