// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Opening only regular files: a FIFO, a device or a folder put where a media, level or save file
// belongs is a failed open, never a wait.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdio>
#include <string>

// open() with `flags` (O_RDONLY by default; O_CREAT takes mode 0666 less the umask) that succeeds
// only on a regular file. The open itself never blocks; the descriptor is close-on-exec and
// blocking again afterwards. -1 with errno set otherwise (EISDIR for a folder, ENXIO for any other
// kind). `st` receives the file's status when given.
int openRegularFile(const char* path, int flags = 0, struct stat* st = nullptr);

// The same as a stdio stream for reading ("rb"); nullptr when it cannot be opened.
std::FILE* openRegularFileForReading(const char* path);

// Files the player may edit (settings, controller mappings) are read whole, up to this size.
constexpr size_t kMaxEditableFileSize = 1 << 20;

// Reads the whole regular file at `path` into `out`, refusing one larger than `maxSize`. False
// with `why` (what to print after the file's name: "is a folder", "is not a regular file",
// "is larger than 1024 KiB" or the system's reason) otherwise; errno is ENOENT when it is
// missing.
bool readRegularFile(const std::string& path, size_t maxSize, std::string& out, std::string& why);
