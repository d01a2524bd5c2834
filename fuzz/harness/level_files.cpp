// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: level files as the game loads and plays them. The first 3600 bytes of the input
// are the three layer files of level 1 (a short input leaves them short); the game loads them,
// sets the level up and plays one frame per further input byte (at least 16 frames, at most 600),
// each byte holding the arrow keys and Space of its frame. Finishing the level saves the scores
// and names into the same folder, as the game does.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "devices/input.h"
#include "fuzz/support.h"
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "runtime/files.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

using namespace crumlet;

namespace {

constexpr size_t kLayerBytes = 1200;

void writePart(const char* path, const uint8_t* data, size_t size, size_t from, size_t length) {
    const size_t start = from < size ? from : size;
    const size_t end = from + length < size ? from + length : size;
    fuzzing::writeFile(path, data + start, end - start);
}

void holdKeys(uint8_t bits) {
    unsigned char keys[256] = {};
    const double codes[5] = {kKeyRight, kKeyLeft, kKeyUp, kKeyDown, kKeySpace};
    for (int k = 0; k < 5; ++k)
        if (bits & (1 << k)) keys[static_cast<int>(codes[k])] = 0x80;
    injectKeyboardSnapshot(keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    fuzzing::catchRuntimeErrors();
    ::mkdir("Maps", 0755);
    writePart("Maps/Map1-1.bin", data, size, 0, kLayerBytes);
    writePart("Maps/Map1-2.bin", data, size, kLayerBytes, kLayerBytes);
    writePart("Maps/Map1-3.bin", data, size, 2 * kLayerBytes, kLayerBytes);

    static bool dimensioned = false;
    if (!dimensioned) {
        dimensionGameArrays();
        dimensioned = true;
    }
    GameGlobals& g = game;
    g.level = 1;
    seedRandom(1);
    try {
        DataInit();
        LoadMaps();
        FindBug();
    } catch (const fuzzing::RuntimeStop& stop) {
        fuzzing::require(stop.code == kErrorFileTransfer && size < 3 * kLayerBytes,
                         "only a short level file stops the loading");
        releaseFileChannels(false);
        return 0;
    }
    fuzzing::require(size >= 3 * kLayerBytes, "a short level file stops the loading");

    const size_t keyBytes = size - 3 * kLayerBytes;
    const size_t frames = keyBytes < 16 ? 16 : keyBytes > 600 ? 600 : keyBytes;
    try {
        for (size_t f = 0; f < frames && g.bugDead == 0 && g.levelDone == 0; ++f) {
            holdKeys(f < keyBytes ? data[3 * kLayerBytes + f] : 0);
            LevelFrame();
        }
    } catch (const fuzzing::RuntimeStop& stop) {
        // The game checks nothing in a level: one without a bug, or with a way off the grid's
        // edge, walks an index out of its arrays, and the runtime stops the program with error 9
        // (its orderly stop, as for any index fault). Anything else is a finding.
        if (stop.code != kErrorIndex) std::fprintf(stderr, "runtime error %d\n", stop.code);
        fuzzing::require(stop.code == kErrorIndex,
                         "a level stops the game only for an index out of range");
        releaseFileChannels(false);
    }
    return 0;
}
