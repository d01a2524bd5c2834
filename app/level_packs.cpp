// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Checking and readying level packs: the level library does the reading and checking; this is
// where the results meet the player folder and the terminal.
#include "app/level_packs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/save_files.h"
#include "levels/pack.h"
#include "runtime/atomic_file.h"
#include "runtime/folders.h"

namespace {

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder a choice names: a bare name is looked up in the player's levels folder first.
std::string packFolderFor(const std::string& choice, const std::string& relativeTo) {
    const bool bareName = choice.find('/') == std::string::npos && choice != "." && choice != "..";
    if (bareName && !playerFolder().empty()) {
        const std::string installed = playerFolder() + "levels/" + choice;
        if (isDirectory(installed)) return installed;
    }
    if (choice[0] == '/' || relativeTo.empty()) return choice;
    return relativeTo + (relativeTo.back() == '/' ? "" : "/") + choice;
}

// The bytes of a file when it holds at most `limit` of them; empty otherwise.
std::vector<char> smallFileBytes(const std::string& path, size_t limit) {
    std::vector<char> bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return bytes;
    bytes.resize(limit + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);
    if (bytes.size() > limit) bytes.clear();
    return bytes;
}

// Writes the compiled levels, leaving alone a file that already holds the right bytes (the pack
// id changes with the levels, so on later runs they are all there).
bool writeCompiledLevels(const levels::LevelPack& pack, const std::string& mapsFolder,
                         std::string& failure) {
    for (const levels::PackLevel& l : pack.levels) {
        const levels::Layer* layers[3] = {&l.level.map, &l.level.items, &l.level.junctions};
        for (int k = 0; k < 3; ++k) {
            std::string path;
            const std::string name = levels::layerFileName(mapsFolder, l.number, k + 1);
            if (!pathForWriting(name.c_str(), path)) return false;
            const std::vector<char> old = smallFileBytes(path, levels::kCells);
            if (old.size() == layers[k]->size() &&
                std::equal(old.begin(), old.end(), layers[k]->begin(),
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }))
                continue;
            std::string error;
            if (!replaceFile(path, layers[k]->data(), layers[k]->size(), &error)) {
                failure = "cannot compile the level pack into " + error;
                std::fprintf(stderr, "crumlet: %s\n", failure.c_str());
                failure[0] = 'C';
                return false;
            }
        }
    }
    return true;
}

// The pack's tables start empty; its profile starts as the player's own, so the name carries
// over. A pack played before keeps its files; one of them gone is made again as for the shipped
// set (and said so).
void makePackSaves(const std::string& mapsFolder) {
    static std::vector<std::string> names;
    names = {mapsFolder + "Player.bin", mapsFolder + "Name.bin", mapsFolder + "Data.bin"};
    const SaveFileDefault files[] = {
        {names[0].c_str(), 8},
        {names[1].c_str(), 6400},
        {names[2].c_str(), 3200},
    };
    std::string paths[3];
    bool firstRun = true;
    for (int i = 0; i < 3; ++i) {
        struct stat st;
        firstRun = pathForWriting(files[i].name, paths[i]) && lstat(paths[i].c_str(), &st) != 0 &&
                   firstRun;
    }
    if (!firstRun) {
        prepareSaveFiles(files, 3);
        return;
    }
    std::string own;
    std::vector<char> profile;
    if (pathForReading("Maps/Player.bin", own)) profile = smallFileBytes(own, 8);
    if (profile.size() != 8) profile.assign(8, 0);
    std::string error;
    bool made = replaceFile(paths[0], profile.data(), profile.size(), &error);
    for (int i = 1; i < 3 && made; ++i) {
        const std::vector<char> zeros(static_cast<size_t>(files[i].size), 0);
        made = replaceFile(paths[i], zeros.data(), zeros.size(), &error);
    }
    if (!made) std::fprintf(stderr, "crumlet: cannot make the save file %s\n", error.c_str());
}

}  // namespace

int checkLevelsCommand(const std::string& folder) {
    const levels::LevelPack pack = levels::loadPack(folder);
    for (const levels::PackProblem& p : pack.problems) std::printf("%s\n", p.message().c_str());
    int good = 0;
    for (const levels::PackLevel& l : pack.levels) {
        if (l.problems.empty()) {
            ++good;
            std::printf("%s: ok (%s)\n", l.file.c_str(), levels::summary(l.report).c_str());
            continue;
        }
        std::printf("%s: refused\n", l.file.c_str());
        for (const levels::PackProblem& p : l.problems) std::printf("%s\n", p.message().c_str());
    }
    std::printf("%s: %d of %zu levels good; the pack is %s\n", folder.c_str(), good,
                pack.levels.size(), pack.ok() ? "good" : "refused");
    std::fflush(stdout);
    return pack.ok() ? 0 : 1;
}

int readyLevelPack(const std::string& choice, const std::string& relativeTo, ReadyPack& out) {
    const std::string folder = packFolderFor(choice, relativeTo);
    const levels::LevelPack pack = levels::loadPack(folder);
    if (!pack.ok()) {
        out.failure = "the level pack " + folder + " is refused:";
        for (const levels::PackProblem& p : pack.allProblems()) out.failure += "\n" + p.message();
        std::fprintf(stderr, "crumlet: %s\n", out.failure.c_str());
        out.failure[0] = 'T';  // the box's text starts a sentence
        return 2;
    }
    const std::string mapsFolder = "./packs/" + pack.id + "/Maps/";
    if (!writeCompiledLevels(pack, mapsFolder, out.failure)) return 1;
    makePackSaves(mapsFolder);
    out.mapsFolder = mapsFolder;
    out.levelCount = static_cast<int>(pack.levels.size());
    out.title = pack.title;
    return 0;
}
