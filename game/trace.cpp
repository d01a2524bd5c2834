// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The level frame's trace line for the scripted driver.
#include "game/trace.h"

#include <zlib.h>

#include <cstdio>

#include "app/driver.h"
#include "game/constants.h"
#include "runtime/arrays.h"
#include "runtime/checksum.h"
#include "runtime/convert.h"

namespace {

// A cell value as the trace's checksum sees it: truncated toward zero, then its low 8 bits.
unsigned char cellByte(double v) { return static_cast<unsigned char>(truncateToInt32(v) & 0xFF); }

std::string numberText(double x) {
    char buf[64];
    numberToChars(x, buf);
    return buf;
}

}  // namespace

std::string levelTraceLine(const LevelFrameState& s) {
    unsigned char cells[2 * crumlet::kGridCells];
    for (int i = 0; i < crumlet::kGridCells; ++i) {
        cells[i] = cellByte(numberArrayAt(*s.mapGrid, i));
        cells[crumlet::kGridCells + i] = cellByte(numberArrayAt(*s.itemGrid, i));
    }
    uLong crc = crc32(0L, cells, sizeof cells);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(crc));
    return "F=" + numberText(s.frame) + " bug=" + numberText(s.bugX) + "," + numberText(s.bugY) +
           " dir=" + numberText(s.bugDir) + " score=" + numberText(s.score) +
           " left=" + numberText(s.pickupsLeft) + " bombs=" + numberText(s.bombStock) +
           " dead=" + numberText(s.bugDead) + " done=" + numberText(s.levelDone) + " grid=" + hex;
}

void traceLevelFrame(const LevelFrameState& state) {
    if (driverTracing()) driverWriteTrace(levelTraceLine(state));
}

uint64_t levelContentHash(NumberArray& mapGrid, NumberArray& itemGrid, NumberArray& junctionGrid) {
    uint64_t hash = kChecksumStart;
    for (NumberArray* layer : {&mapGrid, &itemGrid, &junctionGrid}) {
        for (int i = 0; i < crumlet::kGridCells; ++i) {
            const uint8_t byte = cellByte(numberArrayAt(*layer, i));
            hash = addToChecksum(hash, &byte, 1);
        }
    }
    return hash;
}

std::string scoreText(double score) { return numberText(score); }
