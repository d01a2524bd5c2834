// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The user's private temporary folder with its fallback, and the per-process folder inside it.
#include "runtime/temp_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/files.h"
#include "runtime/lifecycle.h"

namespace {

const char kProcessPrefix[] = "run-";

// The run's substitute for a refused private folder, kept for the path it stands in for.
std::string refusedFolder;
std::string fallbackFolder;

std::string processFolder;  // with its final '/'
pid_t processFolderOwner = 0;
int processFolderLock = -1;
bool cleanupRegistered = false;

std::string userName() { return std::to_string(static_cast<unsigned long>(getuid())); }

// Why `path` cannot be the private folder (made when missing); empty when it can.
std::string refusal(const std::string& path) {
    if (path.size() + 1 > kMaxPathLength) return "the name is too long";
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
    // Someone else's folder, or a link planted under our name, is never used.
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return "it is a symbolic link";
    if (!S_ISDIR(st.st_mode)) return "it is not a folder";
    if (st.st_uid != getuid()) return "it belongs to another user";
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0)
        return "it cannot be made private";
    return std::string();
}

// A fresh private folder for this run, in the same place or else in /tmp.
std::string makeFallback(const std::string& root) {
    for (const std::string& place : {root, std::string("/tmp")}) {
        std::string pattern = place + "/tovrik-" + userName() + "-XXXXXX";
        if (mkdtemp(&pattern[0]) != nullptr) return pattern + "/";
    }
    return std::string();
}

void removeFolderWithFiles(const std::string& folder) {
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* entry = readdir(d)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlinkat(dirfd(d), entry->d_name, 0);
        }
        closedir(d);
    }
    rmdir(folder.c_str());
}

// The process folders of processes that are gone: the owner's number names no process and no
// one holds the folder's lock.
void removeAbandonedFolders(const std::string& base) {
    DIR* d = opendir(base.c_str());
    if (d == nullptr) return;
    const size_t prefixLength = sizeof kProcessPrefix - 1;
    while (dirent* entry = readdir(d)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, kProcessPrefix, prefixLength) != 0) continue;
        char* end = nullptr;
        long pid = std::strtol(name + prefixLength, &end, 10);
        if (end == name + prefixLength || *end != '-' || pid <= 0 || pid == getpid()) continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::string folder = base + name;
        int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) removeFolderWithFiles(folder);
        close(fd);
    }
    closedir(d);
}

// Removes this process's folder (not one inherited from the process that forked this one).
void dropProcessFolder() {
    if (!processFolder.empty() && processFolderOwner == getpid())
        removeFolderWithFiles(processFolder);
    if (processFolderLock >= 0) close(processFolderLock);
    processFolder.clear();
    processFolderLock = -1;
}

// At the end of the program: the process folder, then a fallback private folder, which no later
// run would find again (its error log is kept only in debug mode, whose end lines follow).
void removeTempFolders() {
    dropProcessFolder();
    if (fallbackFolder.empty()) return;
    if (runtimeSettings.debugMode)
        rmdir(fallbackFolder.c_str());
    else
        removeFolderWithFiles(fallbackFolder);
}

void registerCleanup() {
    if (cleanupRegistered) return;
    addExitCleanup(removeTempFolders);
    cleanupRegistered = true;
}

// ${TMPDIR:-/tmp} without a final '/', and the private folder's place in it.
std::string temporaryRoot() {
    const char* base = std::getenv("TMPDIR");
    std::string root = (base != nullptr && base[0] != 0) ? base : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}
std::string preferredFolder(const std::string& root) { return root + "/tovrik-" + userName(); }

// Said once: without a folder the packed media could not be unpacked, and the game would run
// with a blank menu and no sound.
void refuse(const std::string& path, const std::string& why, const std::string& fallbackRoot) {
    refusedFolder = path;
    fallbackFolder = makeFallback(fallbackRoot);
    if (!fallbackFolder.empty()) {
        std::fprintf(stderr, "Tovrik: temporary folder %s refused (%s); using %s for this run\n",
                     path.c_str(), why.c_str(), fallbackFolder.c_str());
        registerCleanup();
    } else {
        std::fprintf(stderr,
                     "Tovrik: temporary folder %s refused (%s) and no other could be made; "
                     "packed media cannot be unpacked\n",
                     path.c_str(), why.c_str());
    }
}

}  // namespace

std::string userTempFolder() {
    const std::string root = temporaryRoot();
    const std::string path = preferredFolder(root);
    if (path == refusedFolder) return fallbackFolder;
    std::string why = refusal(path);
    if (why.empty()) return path + "/";
    refuse(path, why, root);
    return fallbackFolder;
}

bool leaveFullTempFolder() {
    const std::string path = preferredFolder(temporaryRoot());
    if (path == refusedFolder) return false;
    refuse(path, "it is full", "/tmp");
    return !fallbackFolder.empty();
}

std::string processTempFolder() {
    std::string base = userTempFolder();
    if (base.empty()) return std::string();
    struct stat st;
    if (!processFolder.empty() && processFolderOwner == getpid() &&
        processFolder.compare(0, base.size(), base) == 0 &&
        lstat(processFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return processFolder;
    dropProcessFolder();  // one left in a folder the run has moved away from

    removeAbandonedFolders(base);
    std::string pattern = base + kProcessPrefix + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return std::string();
    processFolderLock = open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (processFolderLock >= 0) flock(processFolderLock, LOCK_EX | LOCK_NB);
    processFolder = pattern + "/";
    processFolderOwner = getpid();
    registerCleanup();
    return processFolder;
}
