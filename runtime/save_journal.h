// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The save journal's format: which side files take which files' places, written by a save group
// just before its renames (runtime/save_group.h) and read by the next start after a kill.
//
// Every name is relative to the player folder and plain: no leading '/', no "." or ".." part, no
// empty part, and a side file stands beside its target under a name only a replacement of that
// target makes (runtime/atomic_file.h). Each entry carries the size and checksum of the new
// content, so a start can tell a side file that is still waiting, a target that already holds
// the new content, and a side file that is lost or damaged. The journal ends in the number of
// entries it announced and a checksum over all of it, so a journal cut short or changed is never
// taken for a shorter or different one.
//
//   "tovrik save journal 2\n"
//   "<entries>\n"
//   per entry: "<side>\0<target>\0<size> <checksum>\n"   (checksums: 16 lowercase hex digits)
//   "<checksum of everything above>\n"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SaveJournalEntry {
    std::string side;    // relative to the player folder
    std::string target;  // relative to the player folder, in the side file's folder
    uint64_t size = 0;   // of the new content
    uint64_t checksum = 0;
};

// A journal over this size is not one this runtime wrote.
constexpr size_t kMaxSaveJournalSize = 64 * 1024;
constexpr size_t kMaxSaveJournalEntries = 64;

// The journal's bytes. The names are written as given (checked when read).
std::string encodeSaveJournal(const std::vector<SaveJournalEntry>& entries);
// Reads a journal; false with `why` (a short phrase) for anything that is not a whole, unchanged
// journal of plain names.
bool decodeSaveJournal(const std::string& text, std::vector<SaveJournalEntry>& entries,
                       std::string& why);

// True for a plain relative name as described above.
bool isPlainRelativeName(const std::string& name);
