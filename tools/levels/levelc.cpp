// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// levelc: turns the text maps of the levels into the three layer files the game reads, and back.
//
//   levelc build <legend> <levels-folder> <out-folder>   compile the shipped level01.txt ... and
//                                                        refuse any level the checker rejects
//   levelc compile <legend> <level.txt> <out-folder> <n> compile one text map as level n
//   levelc decompile <legend> <folder> <n>               print level n of a folder as a text map
//   levelc mark <legend> <level.txt>                     rewrite the junction marks of a text map
#include <cstdio>
#include <string>

#include "levelcheck.h"
#include "levelfile.h"

using namespace levels;

namespace {

int fail(const std::string& msg) {
    std::fprintf(stderr, "levelc: %s\n", msg.c_str());
    return 1;
}

bool loadLegend(const std::string& path, Legend& legend, std::string& error) {
    std::string text;
    return readTextFile(path, text, error) && legend.parse(text, error);
}

bool loadText(const std::string& path, const Legend& legend, Level& level, std::string& error) {
    std::string text;
    if (!readTextFile(path, text, error)) return false;
    if (!parseLevelText(text, legend, level, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string levelSourceName(const std::string& folder, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "level%02d.txt", n);
    return folder + "/" + name;
}

int usage() {
    std::fprintf(stderr,
                 "usage: levelc build <legend> <levels-folder> <out-folder>\n"
                 "       levelc compile <legend> <level.txt> <out-folder> <n>\n"
                 "       levelc decompile <legend> <folder> <n>\n"
                 "       levelc mark <legend> <level.txt>\n");
    return 2;
}

bool parseNumber(const std::string& s, int& n) {
    if (s.empty() || s.size() > 3) return false;
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n >= 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string cmd = argv[1];
    std::string error;
    Legend legend;
    if (argc < 3 || !loadLegend(argv[2], legend, error)) return argc < 3 ? usage() : fail(error);

    if (cmd == "build" && argc == 5) {
        int bad = 0;
        for (int n = 1; n <= kShippedLevelCount; ++n) {
            Level level;
            if (!loadText(levelSourceName(argv[3], n), legend, level, error)) return fail(error);
            CheckReport rep = checkLevel(level);
            if (!rep.ok()) {
                for (const auto& e : rep.errors)
                    std::fprintf(stderr, "levelc: level %d: %s\n", n, e.c_str());
                ++bad;
                continue;
            }
            if (!saveLevelFiles(argv[4], n, level, error)) return fail(error);
        }
        if (bad) return fail(std::to_string(bad) + " level(s) rejected");
        std::printf("levelc: %d levels written to %s\n", kShippedLevelCount, argv[4]);
        return 0;
    }
    if (cmd == "compile" && argc == 6) {
        int n;
        if (!parseNumber(argv[5], n))
            return fail(std::string("bad level number '") + argv[5] + "'");
        Level level;
        if (!loadText(argv[3], legend, level, error)) return fail(error);
        if (!saveLevelFiles(argv[4], n, level, error)) return fail(error);
        return 0;
    }
    if (cmd == "decompile" && argc == 5) {
        int n;
        if (!parseNumber(argv[4], n))
            return fail(std::string("bad level number '") + argv[4] + "'");
        Level level;
        std::string text;
        if (!loadLevelFiles(argv[3], n, level, error)) return fail(error);
        if (!formatLevelText(level, legend, text, error))
            return fail("level " + std::to_string(n) + ": " + error);
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (cmd == "mark" && argc == 4) {
        Level level;
        std::string original, marked;
        if (!readTextFile(argv[3], original, error)) return fail(error);
        if (!parseLevelText(original, legend, level, error))
            return fail(std::string(argv[3]) + ": " + error);
        int marks = markJunctions(level);
        // Only the map rows change: comments, header and line ends of the source stay.
        if (!rewriteMapRows(original, level, legend, marked, error))
            return fail(std::string(argv[3]) + ": " + error);
        if (!writeTextFile(argv[3], marked, error)) return fail(error);
        std::printf("levelc: %d junction marks in %s\n", marks, argv[3]);
        return 0;
    }
    return usage();
}
