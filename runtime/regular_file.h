// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Opening only regular files: a FIFO, a device or a folder put where a media, level or save file
// belongs is a failed open, never a wait.
#pragma once

#include <sys/stat.h>

#include <cstdio>

// open() with `flags` (O_RDONLY by default; O_CREAT takes mode 0666 less the umask) that succeeds
// only on a regular file. The open itself never blocks; the descriptor is close-on-exec and
// blocking again afterwards. -1 with errno set otherwise (EISDIR for a folder, ENXIO for any other
// kind). `st` receives the file's status when given.
int openRegularFile(const char* path, int flags = 0, struct stat* st = nullptr);

// The same as a stdio stream for reading ("rb"); nullptr when it cannot be opened.
std::FILE* openRegularFileForReading(const char* path);
