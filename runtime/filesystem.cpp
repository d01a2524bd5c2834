// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// File-system commands: delete, exists, size, copy, and the working directory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/channel_table.h"
#include "runtime/files.h"
#include "runtime/folders.h"
#include "runtime/regular_file.h"

namespace {
// Opens a name for reading; -1 when it cannot be opened or is not a regular file.
int openPlainFile(const TextValue& name, struct stat* st) {
    std::string path;
    if (!pathForReading(textCString(name), path)) return -1;
    return openRegularFile(path.c_str(), O_RDONLY, st);
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
    // The copy replaces the target whole, so a failed copy leaves no half-written file behind.
    FileReplacement out;
    bool ok = out.begin(target);
    char block[65536];
    while (ok) {
        size_t got = readFully(in, block, sizeof block);
        if (got == 0) break;
        ok = out.write(block, got);
        if (got < sizeof block) break;
    }
    close(in);
    if (ok) fchmod(out.fd(), st.st_mode & 07777);
    return ok && out.commit() ? 1 : 0;
}

double slashesToForward(TextValue& text) {
    for (uint32_t i = 0; i < text.length; ++i)
        if (text.buffer[i] == '\\') text.buffer[i] = '/';
    return text.length;
}
