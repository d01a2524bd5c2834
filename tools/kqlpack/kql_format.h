// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The "kql" media archive, as the packer writes and reads it.
//
// Layout (integers little-endian, 32-bit signed):
//   entry data   one block per entry: unpacked size (4 bytes), then the LZO1X-1 stream
//   directory    per entry: name length (1 byte, 1..255), name (no terminator), data offset (4),
//                data size (4, the whole block including the size word); a length of 0 ends it
//   trailer      "kqL" and the directory offset (4) as the last 7 bytes
// With a directory offset of 0 or more, it and every data offset count from the start of the
// file; with a negative one they count back from the end (position = file size + offset), which
// keeps the archive valid when it is appended to another file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/archive_limits.h"

namespace kql {

// The runtime refuses entries that unpack to more than this, or to far more than their stream can
// give (plausibleUnpackedSize); the packer refuses to write them and to unpack them.
constexpr uint32_t kMaxUnpackedSize = kMaxMediaEntrySize;
// Longest entry name: longer ones could be neither unpacked by the game nor extracted by the tool.
constexpr size_t kMaxEntryNameLength = kMaxMediaEntryNameLength;
constexpr size_t kTrailerSize = 7;

enum class OffsetStyle { Positive, Negative };

struct PackInput {
    std::string name;  // base name stored in the directory
    std::vector<uint8_t> data;
};

struct EntryInfo {
    std::string name;
    int32_t rawOffset = 0;  // as stored
    int64_t position = 0;   // where the block starts in the file
    int32_t dataSize = 0;   // as stored (size word + stream)
    uint32_t unpackedSize = 0;
};

// Builds a whole archive in memory. Fails (with a message) on an empty, too long, duplicate
// (letter case ignored) or path-like name, on an entry over kMaxUnpackedSize, or when the archive
// would not fit 32-bit offsets.
bool buildArchive(const std::vector<PackInput>& inputs, OffsetStyle style,
                  std::vector<uint8_t>& out, std::string& error);

// Reads and checks the directory: magic, offsets inside the file, sizes, names.
bool readDirectory(const std::vector<uint8_t>& archive, std::vector<EntryInfo>& entries,
                   OffsetStyle& style, std::string& error);

// Unpacks one entry with the bounds-checking decompressor; the result must have the announced size.
bool unpackEntry(const std::vector<uint8_t>& archive, const EntryInfo& entry,
                 std::vector<uint8_t>& out, std::string& error);

// A name that can be used as a file name inside a folder: 1 to kMaxEntryNameLength bytes, no
// separators or zero bytes, not "." or "..".
bool safeEntryName(const std::string& name);

// The name with every byte outside printable ASCII, and the backslash, written as \xHH, so that
// a name from an archive can never move a terminal's cursor or change its colours.
std::string printableName(const std::string& name);

// Whole-file helpers.
bool readFile(const std::string& path, std::vector<uint8_t>& out);
// Replaces `path` whole through the runtime's file replacement.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& data,
                         std::string& error);

}  // namespace kql
