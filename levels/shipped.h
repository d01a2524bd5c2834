// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The level set the game ships with, and the room any level set has.
#pragma once

// The build says how many levels ship (CRUMLET_SHIPPED_LEVELS, written once in the top
// CMakeLists.txt, which also compiles that many level sources).
#ifndef CRUMLET_SHIPPED_LEVELS
#error "CRUMLET_SHIPPED_LEVELS must give the number of shipped levels"
#endif

namespace levels {

constexpr int kShippedLevelCount = CRUMLET_SHIPPED_LEVELS;
// The most levels one set may hold: the name and score files have room for exactly this many.
constexpr int kMaxLevels = 100;
static_assert(kShippedLevelCount >= 1 && kShippedLevelCount <= kMaxLevels,
              "the shipped levels must fit the score files");

// The shipped legend (assets/levels/legend.txt, built into the program), which a level pack uses
// unless it brings its own.
const char* shippedLegendText();

}  // namespace levels
