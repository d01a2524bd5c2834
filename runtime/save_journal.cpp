// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Writing and strictly reading the save journal.
#include "runtime/save_journal.h"

#include <cinttypes>
#include <cstdio>
#include <set>

#include "runtime/atomic_file.h"
#include "runtime/checksum.h"
#include "runtime/files.h"

namespace {

const char kHeader[] = "tovrik save journal 2\n";

std::string hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

std::string folderPart(const std::string& name) {
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string basePart(const std::string& name) { return name.substr(name.rfind('/') + 1); }

// A reader over the journal's bytes that only moves forward.
struct Cursor {
    const std::string& text;
    size_t at = 0;

    // Up to (not including) `end`, which is consumed; false when it never comes.
    bool until(char end, std::string& out) {
        size_t found = text.find(end, at);
        if (found == std::string::npos) return false;
        out = text.substr(at, found - at);
        at = found + 1;
        return true;
    }
};

bool parseDecimal(const std::string& text, uint64_t limit, uint64_t& out) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > limit) return false;
    out = value;
    return true;
}

bool parseHex(const std::string& text, uint64_t& out) {
    if (text.size() != 16) return false;
    uint64_t value = 0;
    for (char c : text) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    out = value;
    return true;
}

}  // namespace

bool isPlainRelativeName(const std::string& name) {
    if (name.empty() || name.size() > kMaxPathLength || name[0] == '/') return false;
    size_t start = 0;
    while (true) {
        size_t slash = name.find('/', start);
        std::string part = name.substr(start, slash == std::string::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos)
            return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

std::string encodeSaveJournal(const std::vector<SaveJournalEntry>& entries) {
    std::string text = kHeader;
    text += std::to_string(entries.size()) + "\n";
    for (const SaveJournalEntry& e : entries) {
        text += e.side + '\0' + e.target + '\0';
        text += std::to_string(e.size) + " " + hex(e.checksum) + "\n";
    }
    text += hex(addToChecksum(kChecksumStart, text.data(), text.size())) + "\n";
    return text;
}

bool decodeSaveJournal(const std::string& text, std::vector<SaveJournalEntry>& entries,
                       std::string& why) {
    entries.clear();
    const size_t headerLength = sizeof kHeader - 1;
    if (text.compare(0, headerLength, kHeader) != 0) {
        why = "not a save journal of this program";
        return false;
    }
    // The checksum first: a journal that fails it says nothing trustworthy about its entries.
    size_t lastLine = text.size() >= 18 ? text.size() - 17 : 0;
    uint64_t stored = 0;
    if (text.size() < headerLength + 17 || text.back() != '\n' ||
        !parseHex(text.substr(lastLine, 16), stored)) {
        why = "cut short";
        return false;
    }
    if (addToChecksum(kChecksumStart, text.data(), lastLine) != stored) {
        why = "damaged (its checksum does not match)";
        return false;
    }
    const std::string body = text.substr(0, lastLine);
    Cursor in{body, headerLength};
    std::string field;
    uint64_t count = 0;
    if (!in.until('\n', field) || !parseDecimal(field, kMaxSaveJournalEntries, count) ||
        count == 0) {
        why = "its number of files is missing or out of range";
        return false;
    }
    std::set<std::string> targets;
    for (uint64_t i = 0; i < count; ++i) {
        SaveJournalEntry e;
        std::string sizeText, sumText;
        if (!in.until('\0', e.side) || !in.until('\0', e.target) || !in.until(' ', sizeText) ||
            !in.until('\n', sumText) || !parseDecimal(sizeText, UINT64_MAX / 10, e.size) ||
            !parseHex(sumText, e.checksum)) {
            why = "holds fewer files than it announces";
            return false;
        }
        if (!isPlainRelativeName(e.side) || !isPlainRelativeName(e.target)) {
            why = "names a file outside the player folder";
            return false;
        }
        if (folderPart(e.side) != folderPart(e.target) ||
            !isSideFileOf(basePart(e.side), basePart(e.target)) ||
            !targets.insert(e.target).second) {
            why = "pairs files that no save of this program pairs";
            return false;
        }
        entries.push_back(e);
    }
    if (in.at != body.size()) {
        why = "holds more than it announces";
        entries.clear();
        return false;
    }
    return true;
}
