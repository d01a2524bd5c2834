// File-system commands: delete, exists, size, copy, and the working directory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "runtime/channel_table.h"
#include "runtime/files.h"
#include "runtime/folders.h"

namespace {
// Opens a name for reading; -1 when it cannot be opened or is not a plain file.
int openPlainFile(const TextValue& name, struct stat* st) {
    std::string path;
    if (!pathForReading(textCString(name), path)) return -1;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat local;
    if (st == nullptr) st = &local;
    if (fstat(fd, st) != 0 || S_ISDIR(st->st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}
}  // namespace

double deleteFile(const TextValue& name) {
    std::string path;
    // Only the player's own files can go; the data folder is never changed.
    if (!pathForWriting(textCString(name), path, false)) return 0;
    return unlink(path.c_str()) == 0 ? 1 : 0;
}

double fileExists(const TextValue& name) {
    int fd = openPlainFile(name, nullptr);
    if (fd < 0) return 0;
    close(fd);
    return 1;
}

double fileSize(const TextValue& name) {
    struct stat st;
    int fd = openPlainFile(name, &st);
    if (fd < 0) return 0;
    close(fd);
    return static_cast<double>(st.st_size);
}

TextValue getCurrentDir() {
    char path[1024];
    TextValue result;
    if (getcwd(path, sizeof path) == nullptr) {
        result = "./";
        return result;
    }
    result = path;
    slashesToForward(result);
    if (result.length == 0 || result.buffer[result.length - 1] != '/') result += "/";
    return result;
}

double setCurrentDir(const TextValue& name) {
    std::string path;
    if (!toSystemPath(textCString(name), path)) return 0;
    return chdir(path.c_str()) == 0 ? 1 : 0;
}

double copyFile(const TextValue& from, const TextValue& to) {
    std::string target;
    if (!pathForWriting(textCString(to), target) || target.empty()) return 0;
    struct stat st;
    int in = openPlainFile(from, &st);
    if (in < 0) return 0;
    // Copy into a temporary beside the target and rename, so a failed copy leaves no
    // half-written file behind.
    std::string temp = target + ".tovrik-XXXXXX";
    int out = mkostemp(&temp[0], O_CLOEXEC);
    bool ok = out >= 0;
    char block[65536];
    while (ok) {
        size_t got = readFully(in, block, sizeof block);
        if (got == 0) break;
        ok = writeFully(out, block, got);
        if (got < sizeof block) break;
    }
    close(in);
    if (out >= 0) {
        if (ok) fchmod(out, st.st_mode & 07777);
        ok = (fsync(out) == 0) && ok;
        ok = (close(out) == 0) && ok;
        if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok) unlink(temp.c_str());
    }
    return ok ? 1 : 0;
}

double slashesToForward(TextValue& text) {
    for (uint32_t i = 0; i < text.length; ++i)
        if (text.buffer[i] == '\\') text.buffer[i] = '/';
    return text.length;
}
