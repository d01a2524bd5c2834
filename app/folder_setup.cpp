// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Choosing the data folder and the player folder, and making the player folder.
#include "app/folder_setup.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "runtime/folders.h"

#ifndef CRUMLET_DATA_FROM_PROGRAM
#define CRUMLET_DATA_FROM_PROGRAM "../share/crumlet"
#endif

namespace {

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string homeFolder(const char* home) {
    if (home != nullptr && home[0] != '\0') return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// Makes the folder and the missing ones above it, each private to the player.
bool makeFolders(const std::string& path, std::string& failed) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            failed = part;
            return false;
        }
        if (slash == std::string::npos) break;
    }
    if (!isDirectory(path)) {
        failed = path;
        errno = ENOTDIR;
        return false;
    }
    return true;
}

std::string dataFolderFor(const std::string& dataDirOption) {
    if (!dataDirOption.empty()) return absolute(dataDirOption);
    std::string program = platformProgramPath();
    const size_t slash = program.rfind('/');
    const std::string programFolder =
        slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    if (programFolder.empty()) return std::string();
    const std::string installed = programFolder + CRUMLET_DATA_FROM_PROGRAM;
    return isDirectory(installed) ? installed : programFolder;
}

std::string playerFolderFor(const std::string& saveDirOption, const char* saveDirVariable,
                            const char* xdgDataHome, const char* home) {
    if (!saveDirOption.empty()) return absolute(saveDirOption);
    if (saveDirVariable != nullptr && saveDirVariable[0] != '\0') return absolute(saveDirVariable);
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/crumlet";
    const std::string homePath = homeFolder(home);
    return homePath.empty() ? homePath : homePath + "/.local/share/crumlet";
}

}  // namespace

void chooseFolders(const std::string& dataDirOption, const std::string& saveDirOption) {
    setDataFolder(dataFolderFor(dataDirOption));
    std::string player = playerFolderFor(saveDirOption, std::getenv("CRUMLET_SAVE_DIR"),
                                         std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (player.empty()) {
        std::fprintf(
            stderr, "crumlet: no home folder known; the player's files go to the current folder\n");
        player = absolute(".");
    }
    std::string failed;
    if (!makeFolders(player, failed))
        std::fprintf(stderr, "crumlet: cannot make the player folder %s: %s\n", failed.c_str(),
                     std::strerror(errno));
    setPlayerFolder(player);
}

std::string missingDataFiles(const std::vector<std::string>& required) {
    const std::string folder = dataFolder().empty() ? absolute(".") + "/" : dataFolder();
    if (!isDirectory(folder))
        return "crumlet: there is no data folder " + folder +
               " (the game's levels and media; --data-dir names it)";
    std::vector<std::string> missing;
    for (const std::string& name : required) {
        struct stat st;
        const std::string path = folder + name;
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), R_OK) != 0)
            missing.push_back(name);
    }
    if (missing.empty()) return std::string();
    // The first few by name and a count of the rest: one line, even for a folder that is empty.
    constexpr size_t kNamed = 3;
    std::string line = "crumlet: the data folder " + folder + " lacks ";
    for (size_t i = 0; i < missing.size() && i < kNamed; ++i) {
        if (i > 0) line += (i + 1 == missing.size()) ? " and " : ", ";
        line += missing[i];
    }
    if (missing.size() > kNamed)
        line += " and " + std::to_string(missing.size() - kNamed) + " more of its files";
    return line;
}
