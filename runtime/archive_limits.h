// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Limits of the media archive format that every reader applies alike: the runtime's lookup and
// the packer tool refuse the same damaged entries.
#pragma once

#include <cstddef>
#include <cstdint>

// Entries announcing more than this are treated as damage, not unpacked.
constexpr uint32_t kMaxMediaEntrySize = 256u * 1024u * 1024u;

// An LZO1X stream gives at most 255 bytes per input byte (long runs cost one length byte per 255
// bytes), so an entry announcing far more than that is damaged; refusing it early keeps a
// 20-byte entry from claiming a 256 MiB buffer.
constexpr bool plausibleUnpackedSize(int32_t unpacked, int32_t streamSize) {
    if (unpacked < 0 || static_cast<uint32_t>(unpacked) > kMaxMediaEntrySize) return false;
    return static_cast<int64_t>(unpacked) <= static_cast<int64_t>(streamSize) * 256 + 256;
}

// Longest entry name an archive can serve: the game unpacks an entry into a file named "kql", two
// letters and the entry's name, which must stay within the 255 bytes a file name may have.
constexpr size_t kMaxMediaEntryNameLength = 250;
