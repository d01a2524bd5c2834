// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Line-numbered data files: a small keyed store for settings, where line n of a text file
// (counted from 0) is entry n.
//
// One file is held in memory at a time. It is loaded (through the primary media archive, so a
// settings file may ship inside it) the first time it is named, and written back whole, with
// "\r\n" line ends, when another file is named or when the program ends. At most 256 entries
// (0..255) of at most 1023 characters each; longer texts are cut, and the rest of an overlong line
// in a file is skipped so that line numbers stay entry numbers. Lines past the 256th are not
// entries; they are kept aside and written back unchanged after entry 255.
//
// Write-back goes to a temporary file in the same folder that then replaces the old file in one
// rename: a write-back that fails leaves the previous file as it was.
//
// Failures a game handles: an entry number outside 0..255 records error code 7 and the command
// is skipped (reads give "NO_DATA"); a file that cannot be read records error code 3 and reads
// give "NO_FILE" (the file stays selected, empty, and is created by the next write-back). The
// program never stops for these.
#pragma once

#include <cstdint>

#include "runtime/text.h"

constexpr int kLineFileEntries = 256;
constexpr int kLineFileEntrySize = 1024;  // 1023 characters and the terminator

struct LineFileCache {
    char fileName[1024];                               // the file held; "" when none
    char lines[kLineFileEntries][kLineFileEntrySize];  // the entries, zero-terminated
    int32_t lastLine;  // highest entry read from the file or written since
    uint8_t dirty;     // an entry was written since loading
};

// The process-wide store (read access for tests and diagnostics).
const LineFileCache& lineFileCache();

// Makes `name` the current file (nullptr: none; the pending changes are written back and the
// store is emptied). Returns 0, or 3 when the file cannot be read.
double selectLineFile(const char* name);
double selectLineFile(const TextValue& name);

// Entry `line` of the file as text: "NO_FILE" when the file cannot be read, "NO_DATA" when the
// entry is empty (after trailing control characters and bytes 128..255 are removed) or the
// number is outside 0..255.
void lineFileGetText(const TextValue& name, double line, TextValue& out);
// The entry's text read as a number (so "NO_FILE" and "NO_DATA" give 0).
void lineFileGetNumber(const TextValue& name, double line, double& out);
// Stores the text (or the number's text) as entry `line`.
void lineFileSetText(const TextValue& name, double line, const TextValue& text);
void lineFileSetNumber(const TextValue& name, double line, double value);

// Writes pending changes back and empties the store; the runtime's exit clean-up runs it.
void flushLineFile();
