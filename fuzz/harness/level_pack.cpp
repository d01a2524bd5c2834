// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the level pack loader. The input is cut at every line "--" into the pack's
// files, written into a fresh pack folder: pack.ini, then legend.txt (left out when empty), then
// the level texts 01.txt, 02.txt, ... (at most 12). The loader must give a verdict every time:
// a good pack with an id and every level passed by the checker, or problems, each one a line of
// printable text.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/support.h"
#include "levels/pack.h"

using namespace levels;

namespace {

constexpr size_t kMaxLevelFiles = 12;

std::vector<std::string> parts(const std::string& input) {
    std::vector<std::string> out(1);
    size_t at = 0;
    while (at <= input.size()) {
        size_t end = input.find('\n', at);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(at, end - at);
        if (line == "--")
            out.emplace_back();
        else
            out.back() += input.substr(at, end + 1 - at);
        at = end + 1;
    }
    return out;
}

bool printable(const std::string& text) {
    for (unsigned char c : text)
        if (c < 32 || c == 127) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int round = 0;
    const std::string folder = fuzzing::usePrivateFolder() + "/pack" + std::to_string(round++);
    mkdir(folder.c_str(), 0700);
    const std::vector<std::string> files =
        parts(std::string(reinterpret_cast<const char*>(data), size));
    auto put = [&](const std::string& name, const std::string& text) {
        fuzzing::writeFile(folder + "/" + name, reinterpret_cast<const uint8_t*>(text.data()),
                           text.size());
    };
    put("pack.ini", files[0]);
    if (files.size() > 1 && !files[1].empty()) put("legend.txt", files[1]);
    size_t levelCount = 0;
    for (size_t i = 2; i < files.size() && levelCount < kMaxLevelFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%02zu.txt", ++levelCount);
        put(name, files[i]);
    }

    const LevelPack pack = loadPack(folder);
    const std::vector<PackProblem> problems = pack.allProblems();
    fuzzing::require(pack.ok() == problems.empty(),
                     "a pack is good exactly when it has no problem");
    for (const PackProblem& p : problems)
        fuzzing::require(!p.reason.empty() && printable(p.message()),
                         "every problem is one line of printable text");
    if (pack.ok()) {
        fuzzing::require(!pack.id.empty(), "a good pack has an id");
        fuzzing::require(pack.levels.size() == levelCount, "a good pack holds every level file");
        for (const PackLevel& l : pack.levels)
            fuzzing::require(l.report.ok(), "a good pack's levels all passed the checker");
    }
    // The folder goes, so the runs do not pile up.
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
