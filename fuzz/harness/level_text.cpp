// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the level text compiler (legend and level parsers, the text writer, the junction
// marker's rewrite of a source and the checker), with the round trips the tools rely on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/support.h"
#include "levelcheck.h"
#include "levelfile.h"

using namespace levels;

namespace {

const Legend& shippedLegend() {
    static const Legend legend = [] {
        Legend l;
        std::string text, error;
        fuzzing::require(readTextFile(TOVRIK_FUZZ_LEGEND, text, error) && l.parse(text, error),
                         "the shipped legend loads");
        return l;
    }();
    return legend;
}

bool sameCells(const Level& a, const Level& b) {
    return a.map == b.map && a.items == b.items && a.junctions == b.junctions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Legend& legend = shippedLegend();
    std::string error;

    Legend other;
    other.parse(text, error);

    Level level;
    if (!parseLevelText(text, legend, level, error)) return 0;

    std::string written;
    fuzzing::require(formatLevelText(level, legend, written, error),
                     "a parsed level can be written");
    Level again;
    fuzzing::require(parseLevelText(written, legend, again, error), "a written level parses");
    fuzzing::require(sameCells(level, again), "writing and parsing keep every cell");

    // What levelc mark does: new marks into the rows, every other byte of the source kept.
    Level marked = level;
    markJunctions(marked);
    std::string rewritten;
    if (!rewriteMapRows(text, marked, legend, rewritten, error)) {
        std::string unused;
        fuzzing::require(!formatLevelText(marked, legend, unused, error),
                         "marking fails only for a mark the legend has no character for");
        return 0;
    }
    Level compiled;
    fuzzing::require(parseLevelText(rewritten, legend, compiled, error),
                     "a marked source compiles");
    fuzzing::require(sameCells(marked, compiled), "the marked source holds the new marks");
    fuzzing::require(rewritten.size() == text.size(), "marking changes characters, never lines");

    checkLevel(level);
    return 0;
}
