// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// levelcheck: proves that the compiled levels of a folder can be finished.
//
//   levelcheck [-v] [--show <legend>] <folder> [n ...]
//
// Checks Map<n>-1/-2/-3.bin for the given levels (all the shipped ones when none are given) and
// prints one line of figures per level; -v adds where the bug lays its bombs, --show prints each
// level decompiled back to its text map. Exit status 1 when any level fails.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "levelcheck.h"
#include "levelfile.h"

using namespace levels;

int main(int argc, char** argv) {
    bool verbose = false;
    std::string legendPath, folder;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-v") {
            verbose = true;
        } else if (a == "--show" && i + 1 < argc) {
            legendPath = argv[++i];
        } else if (folder.empty()) {
            folder = a;
        } else {
            int n = std::atoi(a.c_str());
            if (n < 1 || n > 999) {
                std::fprintf(stderr, "levelcheck: bad level number '%s'\n", a.c_str());
                return 2;
            }
            numbers.push_back(n);
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: levelcheck [-v] [--show <legend>] <folder> [n ...]\n");
        return 2;
    }
    if (numbers.empty())
        for (int n = 1; n <= kShippedLevelCount; ++n) numbers.push_back(n);
    Legend legend;
    std::string error;
    if (!legendPath.empty()) {
        std::string text;
        if (!readTextFile(legendPath, text, error) || !legend.parse(text, error)) {
            std::fprintf(stderr, "levelcheck: %s\n", error.c_str());
            return 2;
        }
    }
    int failed = 0;
    for (int n : numbers) {
        Level level;
        if (!loadLevelFiles(folder, n, level, error)) {
            std::printf("level %2d: FAIL %s\n", n, error.c_str());
            ++failed;
            continue;
        }
        CheckReport rep = checkLevel(level);
        std::printf("level %2d: %s  %s  start CLOVER:%d\n", n, rep.ok() ? "ok  " : "FAIL",
                    summary(rep).c_str(), rep.pickupsAtStart);
        for (const auto& e : rep.errors) std::printf("    error: %s\n", e.c_str());
        for (const auto& w : rep.warnings) std::printf("    warning: %s\n", w.c_str());
        if (verbose && !rep.plan.empty()) {
            std::printf("    bombs laid at:");
            for (int c : rep.plan) std::printf(" (%d, %d)", c % kColumns, c / kColumns);
            std::printf("\n");
        }
        if (!legendPath.empty()) {
            std::string text;
            if (formatLevelText(level, legend, text, error))
                std::fputs(text.c_str(), stdout);
            else
                std::printf("    cannot show: %s\n", error.c_str());
        }
        if (!rep.ok()) ++failed;
    }
    if (failed) std::printf("%d of %zu levels failed\n", failed, numbers.size());
    return failed ? 1 : 0;
}
