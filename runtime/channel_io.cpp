// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Reading and writing values, strings and lines on file channels.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/channel_table.h"
#include "runtime/convert.h"

namespace {

// Fixed-width read: position counts the bytes before the transfer; a closed channel or a
// short read is a failed transfer.
void readExact(double channel, void* into, uint32_t width) {
    FileChannel& c = checkedChannel(channel);
    c.position += width;
    if (c.handle < 0) fileTransferFailed(c, 0);
    errno = 0;
    if (readFully(c.handle, into, width) != width) fileTransferFailed(c, errno);
}

// Writes go through the channel's buffer, so a save is a few system calls, not one per value; a
// failure shows when the buffer is handed on, at the latest when the channel is closed.
void writeExact(double channel, const void* from, size_t width) {
    FileChannel& c = checkedChannel(channel);
    if (c.handle < 0) fileTransferFailed(c, 0);
    errno = 0;
    if (!c.replacement.active()) {  // a channel open for reading refuses the write
        if (!writeFully(c.handle, from, width)) fileTransferFailed(c, errno != 0 ? errno : ENOSPC);
        return;
    }
    c.pending.append(static_cast<const char*>(from), width);
    if (c.pending.size() >= kChannelBufferSize && !flushChannel(c))
        fileTransferFailed(c, errno != 0 ? errno : ENOSPC);
}

uint32_t littleEndian(const unsigned char* b, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

void putLittleEndian(unsigned char* b, uint32_t v, int width) {
    for (int i = 0; i < width; ++i, v >>= 8) b[i] = static_cast<unsigned char>(v & 0xFF);
}

}  // namespace

void readByte(double channel, double& out) {
    unsigned char b[1];
    readExact(channel, b, 1);
    out = b[0];
}

void readWord(double channel, double& out) {
    unsigned char b[2];
    readExact(channel, b, 2);
    out = littleEndian(b, 2);
}

void readLong(double channel, double& out) {
    unsigned char b[4];
    readExact(channel, b, 4);
    out = littleEndian(b, 4);
}

void readDouble(double channel, double& out) {
    unsigned char b[8];
    readExact(channel, b, 8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
    std::memcpy(&out, &bits, sizeof out);
}

void readString(double channel, TextValue& out, double count) {
    if (!(count > 0)) {
        textAssignChars(out, "");
        return;
    }
    FileChannel& c = checkedChannel(channel);
    // More than a text can hold can never be transferred.
    if (count >= 2147483647.0) fileTransferFailed(c, EOVERFLOW);
    uint32_t n = static_cast<uint32_t>(count);
    char* buffer = textBuffer(out, n + 1);
    std::memset(buffer, 0, n + 1);
    c.position += n;
    if (c.handle < 0) fileTransferFailed(c, 0);
    errno = 0;
    if (readFully(c.handle, buffer, n) != n) fileTransferFailed(c, errno);
    textRecount(out);
}

void readLine(double channel, TextValue& out) {
    FileChannel& c = checkedChannel(channel);
    constexpr uint32_t kLineLimit = 1024;
    constexpr uint32_t kStep = 64;
    char* buffer = textBuffer(out, kLineLimit);
    std::memset(buffer, 0, kLineLimit + 1);
    uint32_t total = 0;
    while (total < kLineLimit) {
        uint32_t ask = kLineLimit - total < kStep ? kLineLimit - total : kStep;
        if (c.handle < 0) fileTransferFailed(c, 0);
        errno = 0;
        uint32_t got = static_cast<uint32_t>(readFully(c.handle, buffer + total, ask));
        if (got == 0) fileTransferFailed(c, errno);  // end of file before a line end
        c.position += got;
        uint32_t stepStart = total;
        total += got;

        // The end of the file ends the last line: a line feed is assumed after its last byte.
        const void* lf = std::memchr(buffer + stepStart, '\n', got);
        uint32_t end;
        if (lf != nullptr) {
            end = static_cast<uint32_t>(static_cast<const char*>(lf) - buffer);
            uint32_t readAfter = total - (end + 1);
            if (readAfter > 0) {
                lseek(c.handle, -static_cast<off_t>(readAfter), SEEK_CUR);
                c.position -= readAfter;
            }
        } else if (got < ask) {
            end = total;
        } else {
            continue;
        }
        std::memset(buffer + end, 0, total - end + 1);
        // A carriage return is removed only when it came in the same step as the line feed.
        if (end > stepStart && buffer[end - 1] == '\r') buffer[end - 1] = 0;
        break;
    }
    textRecount(out);
}

void readNumberLine(double channel, double& out) {
    TextValue line;
    readLine(channel, line);
    out = textToNumber(line);
}

void writeByte(double channel, double value) {
    unsigned char b =
        static_cast<unsigned char>(static_cast<uint32_t>(truncateToInt32(value)) & 0xFF);
    writeExact(channel, &b, 1);
}

void writeWord(double channel, double value) {
    unsigned char b[2];
    putLittleEndian(b, static_cast<uint32_t>(truncateToInt32(value)), 2);
    writeExact(channel, b, 2);
}

void writeLong(double channel, double value) {
    unsigned char b[4];
    putLittleEndian(b, static_cast<uint32_t>(truncateToInt32(value)), 4);
    writeExact(channel, b, 4);
}

void writeDouble(double channel, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i, bits >>= 8) b[i] = static_cast<unsigned char>(bits & 0xFF);
    writeExact(channel, b, 8);
}

void writeBytes(double channel, const TextValue& text) {
    writeExact(channel, text.buffer, text.length);
}

void writeLine(double channel, const TextValue& text) {
    TextValue line(text);
    line += "\r\n";
    writeExact(channel, line.buffer, line.length);
}

void writeNumberLine(double channel, double value) { writeLine(channel, TextValue(value)); }
