// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level packs: a player's own levels, shared as a folder of texts.
//
//   pack.ini      [pack] with title = ..., author = ..., optionally description = ...
//   01.txt ...    level texts (levelfile.h), numbered from 1 without gaps, at most kMaxLevels
//   legend.txt    optional: the pack's own legend instead of the shipped one
//
// Loading is all or nothing: every level is compiled and proved finishable by the same compiler
// and checker as the shipped levels, and any problem refuses the whole pack. Problems are given
// as "file:line:column: reason". Hostile folders (huge or binary files, FIFOs, links out of the
// folder, thousands of files) give a problem, never a wait or an unbounded read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "levelcheck.h"
#include "levelfile.h"
#include "runtime/checksum.h"

namespace levels {

struct PackProblem {
    std::string file;  // the path of the file it is about (the folder for the pack as a whole)
    int line = 0;      // 1-based; 0 when about no one line
    int column = 0;    // 1-based; 0 when about no one column
    std::string reason;
    // "file:line:column: reason", leaving out a line or column of 0.
    std::string message() const;
};

struct PackLevel {
    int number = 0;
    std::string file;  // the path of its text
    Level level;
    CheckReport report;                 // the checker's figures (empty when it did not parse)
    std::vector<PackProblem> problems;  // empty when it compiled and the checker passed it
};

struct LevelPack {
    std::string folder;  // as given to loadPack
    std::string title, author, description;
    std::string id;                     // see packId; empty while the pack has problems
    std::vector<PackProblem> problems;  // about the pack as a whole (folder, pack.ini, legend)
    std::vector<PackLevel> levels;      // 1 to n, each with its own verdict
    bool ok() const;
    // Every problem, the pack's first, then each level's in order.
    std::vector<PackProblem> allProblems() const;
};

// Reads, compiles and checks the pack in `folder`.
LevelPack loadPack(const std::string& folder);

// The stable name of a pack's own tables: its title made file-name safe, then a hash of the
// compiled levels ("my-first-pack-5f0c2a9e41d7b3c8"). Moving the folder keeps it; changing a level
// (not merely a comment) gives a new one, so scores never mix between different levels.
std::string packId(const std::string& title, const std::vector<PackLevel>& levels);

// A 64-bit FNV-1a hash over the three layers of a level, continuing from `seed`.
uint64_t levelHash(const Level& level, uint64_t seed = kChecksumStart);

}  // namespace levels
