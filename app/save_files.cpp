// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Making missing save files in the player folder from the defaults in the data folder.
#include "app/save_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/atomic_file.h"
#include "runtime/folders.h"
#include "runtime/regular_file.h"

namespace {

// The default's bytes: the data folder's file when it holds enough, else zeros.
std::vector<char> defaultContent(const SaveFileDefault& file) {
    std::vector<char> bytes;
    const std::string path = dataFolder() + file.name;
    struct stat st;
    int fd = openRegularFile(path.c_str(), O_RDONLY, &st);
    if (fd >= 0 && st.st_size >= file.size) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        if (done != bytes.size()) bytes.clear();
    }
    if (fd >= 0) close(fd);
    if (bytes.empty()) bytes.assign(static_cast<size_t>(file.size), 0);
    return bytes;
}

}  // namespace

void prepareSaveFiles(const SaveFileDefault* files, int count) {
    std::string made;
    int missing = 0;
    for (int i = 0; i < count; ++i) {
        std::string own;
        if (!pathForWriting(files[i].name, own)) continue;
        struct stat st;
        if (lstat(own.c_str(), &st) == 0) continue;
        ++missing;
        // Whole or not at all, so an interrupted start never leaves a short save behind.
        const std::vector<char> bytes = defaultContent(files[i]);
        std::string error;
        if (!replaceFile(own, bytes.data(), bytes.size(), &error)) {
            std::fprintf(stderr, "crumlet: cannot make the save file %s\n", error.c_str());
            continue;
        }
        made += made.empty() ? "" : ", ";
        made += files[i].name;
    }
    if (!made.empty() && missing < count)
        std::fprintf(stderr, "crumlet: %s missing from %s; made anew from the defaults\n",
                     made.c_str(), playerFolder().c_str());
}
