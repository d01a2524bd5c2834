// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The channel table shared by the channel operations (internal to the runtime).
#pragma once

#include "runtime/files.h"

// The channel for a game channel number; a number outside 0..7 is runtime error 7.
FileChannel& checkedChannel(double channel);
// Runtime error 3 for a transfer on this channel that failed with `error` (an errno value, 0 when
// the file simply ended): the message names the file and the reason.
[[noreturn]] void fileTransferFailed(const FileChannel& c, int error);
// Reads exactly n bytes (retrying interrupted and partial reads); returns the bytes read.
size_t readFully(int fd, void* into, size_t n);
// Writes exactly n bytes; returns false on any failure or short write.
bool writeFully(int fd, const void* from, size_t n);

// A writing channel collects this many bytes before handing them to its side file.
constexpr size_t kChannelBufferSize = 64 * 1024;
// Hands a writing channel's buffered bytes to its side file; false on a failed write.
bool flushChannel(FileChannel& c);
// Drops a writing channel's side file and releases its target; the old file stays.
void abandonWriting(FileChannel& c);

// ---- the open save group (runtime/save_group.cpp) ----
bool saveGroupOpen();
// Takes a writing channel whose side file is complete on disk into the group; the channel is
// left closed.
void holdInSaveGroup(FileChannel& c);
// Drops the waiting save of the file open on `fd`, if any: a file written again in the same group
// is saved with its later content.
void dropWaitingSave(int fd);
// At the end of the program: commits the open group (`commit`) or drops it. False when a commit
// failed.
bool finishSaveGroup(bool commit);
