// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Opening only regular files, without blocking on a FIFO or a device.
#include "runtime/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

int openRegularFile(const char* path, int flags, struct stat* st) {
    // Non-blocking, so a FIFO without a writer or a device returns at once to be looked at.
    int fd = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat local;
    if (st == nullptr) st = &local;
    if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        int error = errno;
        if (error == 0 || S_ISREG(st->st_mode) == 0) error = S_ISDIR(st->st_mode) ? EISDIR : ENXIO;
        close(fd);
        errno = error;
        return -1;
    }
    int status = fcntl(fd, F_GETFL);
    if (status >= 0) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

std::FILE* openRegularFileForReading(const char* path) {
    int fd = openRegularFile(path);
    if (fd < 0) return nullptr;
    std::FILE* f = fdopen(fd, "rb");
    if (f == nullptr) close(fd);
    return f;
}
