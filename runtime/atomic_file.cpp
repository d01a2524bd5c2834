// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Replacing a file whole through a flushed side file and one rename.
#include "runtime/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/checksum.h"

namespace {

const char kSideMarker[] = ".tovrik-";
constexpr size_t kSideSuffixLength = 6;  // the "XXXXXX" of mkstemp
constexpr size_t kLongestNamedBase = 200;

// The folder part of a path with its final '/' ("" for a bare name), and the rest.
void splitPath(const std::string& path, std::string& folder, std::string& base) {
    size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    base = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string sidePrefix(const std::string& base) {
    // A name too long to carry a suffix is left out; the marker still tells the file's origin.
    return "." + (base.size() > kLongestNamedBase ? std::string() : base) + kSideMarker;
}

// A symbolic link is written through: the file it names is the one replaced.
std::string resolveLink(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

mode_t defaultFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Asks the existing target for write permission the way an open for writing would (without
// changing it), and takes its mode for the new file. A missing target may be created.
bool mayReplace(const std::string& path, mode_t& mode, bool followLinks) {
    int fd = open(path.c_str(),
                  O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno != ENOENT) return false;
        mode = defaultFileMode();
        return true;
    }
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    if (!regular) {
        errno = EINVAL;
        return false;
    }
    mode = st.st_mode & 07777;
    return true;
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(fd, p, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        p += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace

FileReplacement::~FileReplacement() { discard(); }

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : target_(std::move(other.target_)),
      side_(std::move(other.side_)),
      fd_(other.fd_),
      written_(other.written_),
      checksum_(other.checksum_) {
    other.side_.clear();
    other.fd_ = -1;
}

FileReplacement& FileReplacement::operator=(FileReplacement&& other) noexcept {
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        side_ = std::move(other.side_);
        fd_ = other.fd_;
        written_ = other.written_;
        checksum_ = other.checksum_;
        other.side_.clear();
        other.fd_ = -1;
    }
    return *this;
}

bool FileReplacement::begin(const std::string& target, bool followLinks) {
    discard();
    std::string path = followLinks ? resolveLink(target) : target;
    mode_t mode = 0;
    if (path.empty() || !mayReplace(path, mode, followLinks)) return false;
    std::string folder, base;
    splitPath(path, folder, base);
    std::string side = folder + sidePrefix(base) + std::string(kSideSuffixLength, 'X');
    int fd = mkostemp(&side[0], O_CLOEXEC);
    if (fd < 0) return false;
    fchmod(fd, mode);  // stays private (0600) if this fails
    target_ = path;
    side_ = side;
    fd_ = fd;
    written_ = 0;
    checksum_ = kChecksumStart;
    return true;
}

bool FileReplacement::write(const void* data, size_t size) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (!writeAll(fd_, data, size)) return false;
    written_ += size;
    checksum_ = addToChecksum(checksum_, data, size);
    return true;
}

bool FileReplacement::finish() {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    bool ok = fsync(fd_) == 0;
    int saved = errno;
    ok = (close(fd_) == 0) && ok;
    if (!ok && saved != 0) errno = saved;
    fd_ = -1;
    return ok;
}

bool FileReplacement::publish(bool syncFolder) {
    if (fd_ >= 0 || side_.empty()) {
        errno = EBADF;
        return false;
    }
    if (rename(side_.c_str(), target_.c_str()) != 0) return false;
    side_.clear();
    if (syncFolder) syncFolderOf(target_);
    return true;
}

bool FileReplacement::commit() { return finish() && publish(); }

void FileReplacement::discard() {
    int saved = errno;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!side_.empty()) unlink(side_.c_str());
    side_.clear();
    errno = saved;
}

void FileReplacement::leave() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    side_.clear();
}

bool replaceFile(const std::string& path, const void* data, size_t size, std::string* error,
                 bool followLinks) {
    FileReplacement file;
    const char* failed = nullptr;
    if (!file.begin(path, followLinks))
        failed = "cannot be written";
    else if (!file.write(data, size))
        failed = "write failed";
    else if (!file.commit())
        failed = "cannot be replaced";
    if (failed == nullptr) return true;
    if (error != nullptr) *error = path + ": " + failed + " (" + std::strerror(errno) + ")";
    return false;
}

bool isSideFileOf(const std::string& name, const std::string& targetBase) {
    std::string prefix = sidePrefix(targetBase);
    return name.size() == prefix.size() + kSideSuffixLength &&
           name.compare(0, prefix.size(), prefix) == 0;
}

bool isSideFileName(const std::string& name) {
    const size_t marker = sizeof kSideMarker - 1;
    if (name.size() < 1 + marker + kSideSuffixLength || name[0] != '.') return false;
    const size_t suffix = name.size() - kSideSuffixLength;
    if (name.compare(suffix - marker, marker, kSideMarker) != 0) return false;
    for (size_t i = suffix; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

void syncFolderOf(const std::string& path) {
    std::string folder, base;
    splitPath(path, folder, base);
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
