// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player folder's lock, held for the program's life.
#include "runtime/player_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/regular_file.h"
#include "runtime/save_group.h"

namespace {

int folderLock = -1;

// A program started by endAndRun must find the folder free.
void releaseFolderLock() {
    if (folderLock >= 0) close(folderLock);
    folderLock = -1;
}

std::string folderName() { return playerFolder().empty() ? "./" : playerFolder(); }

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

}  // namespace

bool claimPlayerFolder(std::string* problem) {
    bool held = folderLock >= 0;
    if (!held) {
        std::string path = playerFolder() + ".tovrik-lock";
        // Never through a link, never waiting on a FIFO: only a regular file of our own is a lock.
        int fd = openRegularFile(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW);
        int error = errno;
        if (fd < 0 && (error == EACCES || error == EROFS)) {  // a read-only file takes a lock too
            fd = openRegularFile(path.c_str(), O_RDONLY | O_NOFOLLOW);
            if (fd < 0 && errno != ENOENT) error = errno;
        }
        struct stat st;
        if (fd < 0 && lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            // Something else in the lock's place would switch the guard off for every program.
            const std::string why = path + " is not a regular file (" + kindOf(st.st_mode) +
                                    "), so the player folder cannot be locked against a second "
                                    "program; remove it and start again.";
            std::fprintf(stderr, "Tovrik: %s\n", why.c_str());
            if (problem != nullptr) *problem = why;
            return false;
        }
        if (fd < 0) {
            std::fprintf(stderr, "Tovrik: cannot lock the player folder %s (%s)\n",
                         folderName().c_str(), std::strerror(error));
        } else if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            folderLock = fd;
            held = true;
            addExitCleanup(releaseFolderLock);
        } else {
            error = errno;
            close(fd);
            if (error == EWOULDBLOCK || error == EINTR) {
                std::fprintf(stderr,
                             "Tovrik: the player folder %s is in use by another running "
                             "program; this one ends\n",
                             folderName().c_str());
                if (problem != nullptr)
                    *problem = "The player folder " + folderName() +
                               " is in use by another running program, so this one ends.";
                return false;
            }
            std::fprintf(stderr, "Tovrik: cannot lock the player folder %s (%s)\n",
                         folderName().c_str(), std::strerror(error));
        }
    }
    finishInterruptedSaves(held);
    return true;
}
