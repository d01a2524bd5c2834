// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The line a level frame writes to the scripted driver's trace: the bug, the counters and a
// checksum of the level grids, so two runs of one script can be compared frame by frame.
#pragma once

#include <cstdint>
#include <string>

struct NumberArray;

// The state a level frame reports. frame counts the frames of the level loop from 1.
struct LevelFrameState {
    double frame;
    double bugX, bugY, bugDir;
    double score, pickupsLeft, bombStock;
    double bugDead, levelDone;
    NumberArray* mapGrid;
    NumberArray* itemGrid;
};

// Called by the level loop right before it presents a frame; writes the trace line when the
// driver keeps a trace, otherwise does nothing.
void traceLevelFrame(const LevelFrameState& state);

// The trace line of a level frame, exactly as written (without the line end):
// F=<frame> bug=<x>,<y> dir=<dir> score=<score> left=<left> bombs=<bombs> dead=<dead>
// done=<done> grid=<crc>, numbers by the number-to-text rule, crc the CRC-32 (lower-case hex,
// 8 digits) of the 1200 mapGrid values followed by the 1200 itemGrid values, each truncated to
// a byte.
std::string levelTraceLine(const LevelFrameState& state);

// The content of a level as loaded: FNV-1a (64 bits) of its three layers' 1200 values each
// (map, items, junctions), every value truncated to a byte. A recording notes it for every level
// it starts, so that a replay on other levels is refused instead of going astray.
uint64_t levelContentHash(NumberArray& mapGrid, NumberArray& itemGrid, NumberArray& junctionGrid);

// The score as the trace and a recording's claims write it.
std::string scoreText(double score);
