// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Files of the media and level tools: reading text sources, and writing outputs so that a failed
// build never leaves a short file behind.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/atomic_file.h"

namespace toolfiles {

// No text source of the tools comes near this; a larger file is a mistake (a wrong path, a binary)
// that must not take the machine's memory.
constexpr size_t kMaxTextSourceBytes = 1024 * 1024;

// Reads the whole file, at most maxBytes; on failure (missing, a folder, unreadable, larger than
// maxBytes) names it in `error`.
inline bool readTextFile(const std::string& path, std::string& text, std::string& error,
                         size_t maxBytes = kMaxTextSourceBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    text.clear();
    char chunk[16384];
    while (in) {
        in.read(chunk, sizeof chunk);
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (text.size() > maxBytes) {
            text.clear();
            error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
            return false;
        }
    }
    if (in.bad()) {  // a folder opens but cannot be read
        text.clear();
        error = path + ": cannot read";
        return false;
    }
    return true;
}

// Splits text into lines, accepting both "\n" and "\r\n" endings (sources edited anywhere).
inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

// Replaces `path` whole (the runtime's one file replacement): the old file stays until the new
// one is complete on disk.
inline bool writeFileReplacing(const std::string& path, const void* data, size_t size,
                               std::string& error) {
    return replaceFile(path, data, size, &error);
}

}  // namespace toolfiles
