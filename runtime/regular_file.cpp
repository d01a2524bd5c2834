// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Opening only regular files, without blocking on a FIFO or a device.
#include "runtime/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool readRegularFile(const std::string& path, size_t maxSize, std::string& out, std::string& why) {
    struct stat st;
    int fd = openRegularFile(path.c_str(), O_RDONLY, &st);
    if (fd < 0) {
        int error = errno;
        why = error == EISDIR  ? "is a folder"
              : error == ENXIO ? "is not a regular file"
                               : std::string("cannot be read (") + std::strerror(error) + ")";
        errno = error;
        return false;
    }
    // One byte more than allowed tells a file that grew past the limit after fstat.
    out.clear();
    std::string text(static_cast<size_t>(st.st_size) < maxSize ? st.st_size : maxSize, '\0');
    text.resize(text.size() + 1);
    size_t done = 0;
    int error = 0;
    while (done < text.size()) {
        ssize_t got = read(fd, &text[done], text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = errno;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
        if (done == text.size() && done <= maxSize) text.resize(std::min(maxSize + 1, done * 2));
    }
    close(fd);
    if (error != 0) {
        why = std::string("cannot be read (") + std::strerror(error) + ")";
        errno = error;
        return false;
    }
    if (done > maxSize) {
        why = "is larger than " + std::to_string(maxSize / 1024) + " KiB";
        errno = EFBIG;
        return false;
    }
    text.resize(done);
    out.swap(text);
    return true;
}
