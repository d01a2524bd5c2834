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

namespace {

FileChannel channels[kFileChannelCount];

const char kTempMarker[] = ".tovrik-";

void splitPath(const std::string& path, std::string& dir, std::string& base) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        dir = ".";
        base = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        base = path.substr(slash + 1);
    }
}

// A symbolic link is written through: the file it names is the one replaced.
std::string resolveTarget(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

// Temporary files left behind by a writer that was killed: only removed while we hold the
// target's lock, so no live writer can own them.
void removeStaleTemps(const std::string& dir, const std::string& base) {
    std::string prefix = "." + base + kTempMarker;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (dirent* entry = readdir(d)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, prefix.c_str(), prefix.size()) == 0 &&
            std::strlen(name) == prefix.size() + 6)
            unlinkat(dirfd(d), name, 0);
    }
    closedir(d);
}

mode_t newFileMode(int lockFd, bool existed) {
    struct stat st;
    if (existed && fstat(lockFd, &st) == 0) return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void clearChannel(FileChannel& c) {
    c.handle = -1;
    c.size = 0;
    c.position = 0;
    c.targetLock = -1;
    c.targetPath.clear();
    c.tempPath.clear();
    c.createdTarget = false;
    c.path.clear();
    c.openError = 0;
}

// Discards a writing channel's temporary file; the target keeps its old content.
void abandonChannel(FileChannel& c) {
    if (c.handle >= 0) close(c.handle);
    if (!c.tempPath.empty()) {
        unlink(c.tempPath.c_str());
        // A file that only existed because this save began goes again (still under our lock).
        struct stat st;
        if (c.createdTarget && c.targetLock >= 0 && fstat(c.targetLock, &st) == 0 && st.st_size == 0 &&
            st.st_nlink > 0)
            unlink(c.targetPath.c_str());
    }
    if (c.targetLock >= 0) close(c.targetLock);
    clearChannel(c);
}

// Flushes a writing channel's temporary file to disk and renames it over the target. On failure
// `error` receives the system's reason.
bool commitChannel(FileChannel& c, int& error) {
    bool ok = fsync(c.handle) == 0;
    ok = (close(c.handle) == 0) && ok;
    c.handle = -1;
    if (ok) ok = rename(c.tempPath.c_str(), c.targetPath.c_str()) == 0;
    error = ok ? 0 : errno;
    if (ok) {
        // Make the rename itself durable.
        std::string dir, base;
        splitPath(c.targetPath, dir, base);
        int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            fsync(dirFd);
            close(dirFd);
        }
        c.tempPath.clear();
    }
    abandonChannel(c);
    return ok;
}

bool isWriting(const FileChannel& c) { return !c.tempPath.empty(); }

// "Not shared": false only when another opener holds the file. A file system without
// advisory locks (some network mounts) does not make every open fail.
enum class Lock { Held, Busy, Unsupported };
Lock lockExclusive(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Lock::Held;
    return (errno == EWOULDBLOCK || errno == EINTR) ? Lock::Busy : Lock::Unsupported;
}

bool openForReading(FileChannel& c, const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || lockExclusive(fd) == Lock::Busy) {
        close(fd);
        return false;
    }
    c.handle = fd;
    c.size = st.st_size > static_cast<off_t>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(st.st_size);
    return true;
}

bool openForWriting(FileChannel& c, const std::string& name) {
    std::string path = resolveTarget(name);
    struct stat before;
    bool existed = stat(path.c_str(), &before) == 0;
    // The target itself carries the lock (created empty when missing, as a fresh open would).
    int lockFd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd < 0) return false;
    struct stat st;
    Lock lock = Lock::Busy;
    if (fstat(lockFd, &st) != 0 || !S_ISREG(st.st_mode) || (lock = lockExclusive(lockFd)) == Lock::Busy) {
        close(lockFd);
        return false;
    }
    std::string dir, base;
    splitPath(path, dir, base);
    if (lock == Lock::Held) removeStaleTemps(dir, base);
    std::string temp = dir + "/." + (base.size() > 200 ? std::string() : base) + kTempMarker + "XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) {
        close(lockFd);
        return false;
    }
    fchmod(fd, newFileMode(lockFd, existed));
    c.handle = fd;
    c.targetLock = lockFd;
    c.targetPath = path;
    c.tempPath = temp;
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
    if (!(reading ? pathForReading(textCString(name), path) : pathForWriting(textCString(name), path)) ||
        path.empty())
        return 0;
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
        const FileChannel target = c;
        int error = 0;
        if (!commitChannel(c, error)) fileTransferFailed(target, error);
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

void releaseFileChannels(bool commit) {
    for (FileChannel& c : channels) {
        if (c.handle < 0) continue;
        if (!isWriting(c)) {
            close(c.handle);
            clearChannel(c);
        } else if (commit) {
            int error = 0;
            commitChannel(c, error);
        } else {
            abandonChannel(c);
        }
    }
}

void fileTransferFailed(const FileChannel& c, int error) {
    const std::string& file = c.targetPath.empty() ? c.path : c.targetPath;
    std::string detail;
    if (c.handle < 0 && c.tempPath.empty()) {
        // Never opened: the open's own failure is the reason.
        detail = file.empty() ? std::string("the channel is not open")
                              : file + ": " + std::strerror(c.openError != 0 ? c.openError : EBADF);
    } else {
        detail = file + ": " + (error != 0 ? std::strerror(error) : "the file ends before the data asked for");
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
