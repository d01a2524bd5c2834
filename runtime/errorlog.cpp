// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The error log kept in the private per-user temporary folder.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/files.h"
#include "runtime/lifecycle.h"

std::string errorLogPath() {
    std::string folder = userTempFolder();
    return folder.empty() ? folder : folder + "ErrorLog.txt";
}

void deleteErrorLog() {
    std::string path = errorLogPath();
    if (!path.empty()) unlink(path.c_str());
}

void appendErrorLog(const char* line) {
    std::string path = errorLogPath();
    if (path.empty()) return;
    std::string text = line ? line : "";
    text += "\r\n";
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) sleepMs(100);
        // Never waiting on a FIFO planted under the log's name: a stop must not hang.
        int fd = open(path.c_str(),
                      O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            return;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {  // held open elsewhere: try again shortly
            close(fd);
            continue;
        }
        size_t done = 0;
        while (done < text.size()) {
            ssize_t put = write(fd, text.data() + done, text.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            done += static_cast<size_t>(put);
        }
        close(fd);
        return;
    }
}
