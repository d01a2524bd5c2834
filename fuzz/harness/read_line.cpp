// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: readLine (and readNumberLine) over a file on a channel, as a game reads a text
// file: until channelAtEnd, where the end of the file may still stop the program.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/support.h"
#include "runtime/files.h"
#include "runtime/lifecycle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    fuzzing::catchRuntimeErrors();
    fuzzing::writeFile("lines.txt", data, size);
    const double channel = size % 8;
    fuzzing::require(openChannel(channel, TextValue("lines.txt"), 1) == 1, "the file opens");
    size_t lines = 0;
    try {
        while (channelAtEnd(channel) == 0) {
            const FileChannel* c = fileChannelState(static_cast<int>(channel));
            const uint32_t before = c->position;
            TextValue line;
            if (lines % 2 == 0) {
                readLine(channel, line);
                fuzzing::require(line.length <= 1024, "a line is at most 1024 bytes");
                fuzzing::require(std::memchr(line.buffer, '\n', line.length) == nullptr,
                                 "no line feed in a line");
            } else {
                double number;
                readNumberLine(channel, number);
            }
            fuzzing::require(c->position > before && c->position <= c->size,
                             "every read moves on, within the file");
            ++lines;
        }
    } catch (const fuzzing::RuntimeStop& stop) {
        // Only the end of the file may stop a reader that tests channelAtEnd first.
        fuzzing::require(stop.code == kErrorFileTransfer,
                         "only a failed transfer stops the reading");
    }
    fuzzing::require(lines <= size, "no more lines than bytes");
    closeChannel(channel);
    return 0;
}
