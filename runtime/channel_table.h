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
