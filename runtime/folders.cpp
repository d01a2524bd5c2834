// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The data folder and the player folder, as chosen at start-up, and how file names resolve in them.
#include "runtime/folders.h"

#include <sys/stat.h>

#include <cerrno>

#include "runtime/files.h"

namespace {

std::string dataDir;
std::string playerDir;

std::string withSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

// A relative name without its leading "./" parts: "./Maps/Data.bin" and "Maps/Data.bin" are the
// same file of a folder.
std::string withoutDotParts(const std::string& path) {
    size_t at = 0;
    while (path.compare(at, 2, "./") == 0) {
        at += 2;
        while (at < path.size() && path[at] == '/') ++at;
    }
    return path.substr(at);
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The folders between the player folder and the file, made private like the player folder.
void makeFoldersOnTheWay(const std::string& relative) {
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
        if (slash > 0) mkdir((playerDir + relative.substr(0, slash)).c_str(), 0700);
    }
}

// True when a folder on the way to the file, or the file itself, is a symbolic link: one planted
// in the player folder would carry the game's writes to wherever it points.
bool linkOnTheWay(const std::string& relative) {
    for (size_t slash = relative.find('/');; slash = relative.find('/', slash + 1)) {
        struct stat st;
        const std::string part = playerDir + relative.substr(0, slash);
        if (lstat(part.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;
        if (slash == std::string::npos) return false;
    }
}

}  // namespace

void setDataFolder(const std::string& folder) { dataDir = withSlash(folder); }
void setPlayerFolder(const std::string& folder) { playerDir = withSlash(folder); }

const std::string& dataFolder() { return dataDir; }
const std::string& playerFolder() { return playerDir; }

bool pathForReading(const char* name, std::string& out) {
    std::string path;
    if (!toSystemPath(name, path)) return false;
    if (path.empty() || path[0] == '/' || (playerDir.empty() && dataDir.empty())) {
        out = path;
        return true;
    }
    const std::string relative = withoutDotParts(path);
    // A file of the player's own (even one that cannot be read) hides the default: a failure then
    // names the file the player has.
    std::string own = playerDir + relative;
    out = exists(own) ? own : dataDir + relative;
    return true;
}

bool pathForWriting(const char* name, std::string& out, bool makeFolders) {
    std::string path;
    if (!toSystemPath(name, path)) return false;
    if (path.empty() || path[0] == '/' || playerDir.empty()) {
        out = path;
        return true;
    }
    const std::string relative = withoutDotParts(path);
    if (makeFolders) makeFoldersOnTheWay(relative);
    if (linkOnTheWay(relative)) {
        errno = ELOOP;
        return false;
    }
    out = playerDir + relative;
    return true;
}
