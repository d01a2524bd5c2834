// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player folder's lock, held for the program's life.
#include "runtime/player_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

bool claimPlayerFolder() {
    if (folderLock < 0) {
        std::string path = playerFolder() + ".tovrik-lock";
        int fd = openRegularFile(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW);
        if (fd < 0) {
            std::fprintf(stderr, "Tovrik: cannot lock the player folder %s (%s)\n",
                         folderName().c_str(), std::strerror(errno));
        } else if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            folderLock = fd;
            addExitCleanup(releaseFolderLock);
        } else {
            int error = errno;
            close(fd);
            if (error == EWOULDBLOCK || error == EINTR) {
                std::fprintf(stderr,
                             "Tovrik: the player folder %s is in use by another running "
                             "program; this one ends\n",
                             folderName().c_str());
                return false;
            }
            std::fprintf(stderr, "Tovrik: cannot lock the player folder %s (%s)\n",
                         folderName().c_str(), std::strerror(error));
        }
    }
    finishInterruptedSaves();
    return true;
}
