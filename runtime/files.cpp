// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Opening and closing file channels, and the replace-on-close protocol of writing channels.
#include "runtime/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "runtime/channel_table.h"
#include "runtime/convert.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/regular_file.h"

namespace {

FileChannel channels[kFileChannelCount];

// Side files left behind by a writer that was killed: only removed while we hold the target's
// lock, so no live writer can own them.
void removeStaleSideFiles(const FileReplacement& live) {
    const std::string& target = live.target();
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string own = live.sidePath().substr(live.sidePath().rfind('/') + 1);
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (dirent* entry = readdir(d)) {
        if (isSideFileOf(entry->d_name, base) && own != entry->d_name)
            unlinkat(dirfd(d), entry->d_name, 0);
    }
    closedir(d);
}

void clearChannel(FileChannel& c) {
    c.handle = -1;
    c.size = 0;
    c.position = 0;
    c.targetLock = -1;
    c.replacement.discard();
    c.createdTarget = false;
    c.pending.clear();
    c.path.clear();
    c.openError = 0;
}

// Discards a writing channel's side file; the target keeps its old content.
void abandonChannel(FileChannel& c) {
    if (c.replacement.active()) {
        c.replacement.discard();
        // A file that only existed because this save began goes again (still under our lock).
        struct stat st;
        if (c.createdTarget && c.targetLock >= 0 && fstat(c.targetLock, &st) == 0 &&
            st.st_size == 0 && st.st_nlink > 0)
            unlink(c.replacement.target().c_str());
    }
    if (c.targetLock >= 0) close(c.targetLock);
    clearChannel(c);
}

// Completes a writing channel: its buffered bytes and its side file go to disk, then the side
// file takes the target's place, or waits for the open save group's commit. On failure `error`
// receives the system's reason.
bool commitChannel(FileChannel& c, int& error) {
    errno = 0;
    bool ok = flushChannel(c) && c.replacement.finish();
    if (ok && saveGroupOpen()) {
        holdInSaveGroup(c);
        clearChannel(c);
        error = 0;
        return true;
    }
    ok = ok && c.replacement.publish();
    error = ok ? 0 : (errno != 0 ? errno : EIO);
    abandonChannel(c);
    return ok;
}

bool isWriting(const FileChannel& c) { return c.replacement.active(); }

// "Not shared": false only when another opener holds the file. A file system without
// advisory locks (some network mounts) does not make every open fail.
enum class Lock { Held, Busy, Unsupported };
Lock lockExclusive(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Lock::Held;
    return (errno == EWOULDBLOCK || errno == EINTR) ? Lock::Busy : Lock::Unsupported;
}

bool openForReading(FileChannel& c, const std::string& path) {
    struct stat st;
    int fd = openRegularFile(path.c_str(), O_RDONLY, &st);
    if (fd < 0) return false;
    if (lockExclusive(fd) == Lock::Busy) {
        close(fd);
        return false;
    }
    c.handle = fd;
    c.size = st.st_size > static_cast<off_t>(UINT32_MAX) ? UINT32_MAX
                                                         : static_cast<uint32_t>(st.st_size);
    return true;
}

bool openForWriting(FileChannel& c, const std::string& path) {
    struct stat before;
    bool existed = stat(path.c_str(), &before) == 0;
    // The target itself carries the lock (created empty when missing, as a fresh open would).
    // Opening it for writing asks the file's own permission: a read-only save is not replaced.
    int lockFd = openRegularFile(path.c_str(), O_RDWR | O_CREAT);
    if (lockFd < 0) return false;
    dropWaitingSave(lockFd);
    Lock lock = lockExclusive(lockFd);
    if (lock == Lock::Busy || !c.replacement.begin(path)) {
        c.replacement.discard();
        struct stat st;
        if (!existed && lock != Lock::Busy && fstat(lockFd, &st) == 0 && st.st_size == 0)
            unlink(path.c_str());
        close(lockFd);
        return false;
    }
    if (lock == Lock::Held) removeStaleSideFiles(c.replacement);
    c.handle = c.replacement.fd();
    c.targetLock = lockFd;
    c.createdTarget = !existed;
    return true;
}

}  // namespace

FileChannel& checkedChannel(double channel) {
    if (!(channel >= 0 && channel < kFileChannelCount)) runtimeError(kErrorRange);
    return channels[static_cast<int>(channel)];
}

const FileChannel* fileChannelState(int channel) {
    if (channel < 0 || channel >= kFileChannelCount) return nullptr;
    return &channels[channel];
}

bool toSystemPath(const char* name, std::string& out) {
    if (name == nullptr) name = "";
    size_t n = std::strlen(name);
    if (n > kMaxPathLength) return false;
    out.assign(name, n);
    for (char& ch : out)
        if (ch == '\\') ch = '/';
    return true;
}

double openChannel(double channel, const TextValue& name, double mode) {
    FileChannel& c = checkedChannel(channel);
    if (c.handle >= 0) closeChannel(channel);
    clearChannel(c);
    std::string path;
    const bool reading = mode != 0;
    errno = 0;
    if (!(reading ? pathForReading(textCString(name), path)
                  : pathForWriting(textCString(name), path)) ||
        path.empty()) {
        c.path = textCString(name);  // for the message of a transfer tried anyway
        c.openError = errno;
        return 0;
    }
    errno = 0;
    bool ok = reading ? openForReading(c, path) : openForWriting(c, path);
    c.path = path;
    if (!ok) c.openError = errno != 0 ? errno : EIO;
    return ok ? 1 : 0;
}

double closeChannel(double channel) {
    FileChannel& c = checkedChannel(channel);
    if (c.handle < 0) {
        clearChannel(c);
        return 0;
    }
    if (isWriting(c)) {
        // A file that cannot be completed on disk is a failed transfer; the old file stays.
        const std::string target = c.replacement.target();
        int error = 0;
        if (!commitChannel(c, error))
            runtimeError(kErrorFileTransfer, target + ": " + std::strerror(error));
    } else {
        close(c.handle);
        clearChannel(c);
    }
    return 0;
}

double channelAtEnd(double channel) {
    const FileChannel& c = channels[truncateToInt32(channel) & 7];
    return c.position >= c.size ? 1 : 0;
}

bool releaseFileChannels(bool commit) {
    bool ok = true;
    for (FileChannel& c : channels) {
        if (c.handle < 0) continue;
        if (!isWriting(c)) {
            close(c.handle);
            clearChannel(c);
        } else if (commit) {
            int error = 0;
            ok = commitChannel(c, error) && ok;
        } else {
            abandonChannel(c);
        }
    }
    return finishSaveGroup(commit) && ok;
}

void abandonWriting(FileChannel& c) { abandonChannel(c); }

bool flushChannel(FileChannel& c) {
    if (c.pending.empty()) return true;
    bool ok = c.replacement.write(c.pending.data(), c.pending.size());
    c.pending.clear();
    return ok;
}

void fileTransferFailed(const FileChannel& c, int error) {
    const std::string& file = c.replacement.active() ? c.replacement.target() : c.path;
    std::string detail;
    if (c.handle < 0) {
        // Never opened: the open's own failure is the reason.
        detail = file.empty() ? std::string("the channel is not open")
                              : file + ": " + std::strerror(c.openError != 0 ? c.openError : EBADF);
    } else {
        detail = file + ": " +
                 (error != 0 ? std::strerror(error) : "the file ends before the data asked for");
    }
    runtimeError(kErrorFileTransfer, detail);
}

size_t readFully(int fd, void* into, size_t n) {
    size_t done = 0;
    char* p = static_cast<char*>(into);
    while (done < n) {
        ssize_t got = read(fd, p + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool writeFully(int fd, const void* from, size_t n) {
    size_t done = 0;
    const char* p = static_cast<const char*>(from);
    while (done < n) {
        ssize_t put = write(fd, p + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}
