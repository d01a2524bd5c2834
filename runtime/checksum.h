// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A 64-bit FNV-1a checksum, fed piece by piece: enough to tell a damaged or swapped file from the
// one that was written (it is no defence against a forger, who is kept out by other means).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint64_t kChecksumStart = 14695981039346656037ull;

inline uint64_t addToChecksum(uint64_t sum, const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        sum ^= p[i];
        sum *= 1099511628211ull;
    }
    return sum;
}
