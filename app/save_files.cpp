// Making missing save files in the player folder from the defaults in the data folder.
#include "app/save_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/folders.h"

namespace {

// The default's bytes: the data folder's file when it holds enough, else zeros.
std::vector<char> defaultContent(const SaveFileDefault& file) {
    std::vector<char> bytes;
    const std::string path = dataFolder() + file.name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= file.size) {
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

// Writes the file whole under a temporary name and renames it into place, so an interrupted
// start never leaves a short save behind. False with errno set on failure.
bool writeWhole(const std::string& path, const std::vector<char>& bytes) {
    std::string temp = path + ".new-XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    bool ok = done == bytes.size() && fsync(fd) == 0;
    int error = ok ? 0 : (errno != 0 ? errno : ENOSPC);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = error;
    }
    return ok;
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
        errno = 0;
        if (!writeWhole(own, defaultContent(files[i]))) {
            std::fprintf(stderr, "crumlet: cannot make %s: %s\n", own.c_str(),
                         std::strerror(errno));
            continue;
        }
        made += made.empty() ? "" : ", ";
        made += files[i].name;
    }
    if (!made.empty() && missing < count)
        std::fprintf(stderr, "crumlet: %s missing from %s; made anew from the defaults\n",
                     made.c_str(), playerFolder().c_str());
}
