// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Line-numbered data files: the cached file, its entries, and writing it back.
#include "commands/linefiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/archive.h"
#include "runtime/atomic_file.h"
#include "runtime/convert.h"
#include "runtime/files.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/regular_file.h"

namespace {

LineFileCache cache;  // zero-initialised: no file held
// The file's bytes after entry 255's line, kept as they were: the store has no entries for them,
// but writing the file back must not drop them.
std::string tail;
bool cleanupRegistered = false;

void registerCleanup() {
    if (!cleanupRegistered) {
        addExitCleanup(flushLineFile);
        cleanupRegistered = true;
    }
}

// Entry numbers arrive as numbers and are truncated toward zero; -1 for anything outside 0..255.
int entryNumber(double line) {
    if (!(line > -1.0 && line < static_cast<double>(kLineFileEntries))) return -1;
    return static_cast<int>(line);
}

void storeEntry(int n, const char* text, size_t length) {
    if (length > kLineFileEntrySize - 1) length = kLineFileEntrySize - 1;
    std::memcpy(cache.lines[n], text, length);
    std::memset(cache.lines[n] + length, 0, kLineFileEntrySize - length);
}

// Writes entries 0..lastLine in place of the file, whole or not at all (a relative name in the
// player folder, wherever the file was read from).
void writeBack() {
    std::string path;
    if (!pathForWriting(cache.fileName, path)) return;
    std::string text;
    for (int n = 0; n <= cache.lastLine && n < kLineFileEntries; ++n) {
        text.append(cache.lines[n], ::strnlen(cache.lines[n], kLineFileEntrySize));
        text += "\r\n";
    }
    text += tail;
    // A file that cannot be written loses the changes; the old file stays.
    replaceFile(path, text.data(), text.size());
}

void clearStore() {
    std::memset(cache.lines, 0, sizeof cache.lines);
    cache.dirty = 0;
    cache.fileName[0] = '\0';
    cache.lastLine = 0;
    tail.clear();
}

// Reads up to 256 lines ("\n" or "\r\n" ended; the last may have no line end) into the entries,
// and whatever follows them into the tail.
void loadLines(FILE* f) {
    std::vector<char> line;
    line.reserve(kLineFileEntrySize);
    for (int n = 0; n < kLineFileEntries; ++n) {
        line.clear();
        bool any = false;
        bool ended = false;
        int c;
        while ((c = std::fgetc(f)) != EOF) {
            any = true;
            if (c == '\n') {
                ended = true;
                break;
            }
            // Characters past 1023 are skipped up to the line end; the entry keeps the first 1023.
            if (line.size() < kLineFileEntrySize) line.push_back(static_cast<char>(c));
        }
        if (!any) return;  // end of the file: no further line
        if (ended && !line.empty() && line.size() < kLineFileEntrySize && line.back() == '\r')
            line.pop_back();
        // A zero byte ends the entry's text, as it would in the file's line.
        size_t length = 0;
        while (length < line.size() && line[length] != '\0') ++length;
        storeEntry(n, line.data(), length);
        cache.lastLine = n;
        if (!ended) return;
    }
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) tail.append(chunk, got);
}

void trimTrailingControls(TextValue& t) {
    const char* s = textCString(t);
    uint32_t length = t.length;
    // Read as signed bytes, 128..255 are below 32 too.
    while (length > 0 && static_cast<signed char>(s[length - 1]) < 32) --length;
    if (length != t.length) textTruncate(t, length);
}

}  // namespace

const LineFileCache& lineFileCache() { return cache; }

double selectLineFile(const char* name) {
    registerCleanup();
    if (name != nullptr && std::strcmp(name, cache.fileName) == 0) return 0;

    if (cache.fileName[0] != '\0' && cache.dirty) writeBack();
    clearStore();
    if (name == nullptr) return 0;

    const size_t length = std::strlen(name);
    if (length >= sizeof cache.fileName) {  // not a name the runtime takes
        setErrorCode(kErrorFileTransfer);
        return 3;
    }
    std::memcpy(cache.fileName, name, length + 1);

    char resolved[kMediaPathSize];
    std::memcpy(resolved, name, length + 1);
    if (!resolveMediaFile(primaryMediaArchive(), resolved, resolved)) {
        setErrorCode(kErrorFileTransfer);
        return 3;
    }
    std::string path;
    FILE* f = toSystemPath(resolved, path) ? openRegularFileForReading(path.c_str()) : nullptr;
    if (f == nullptr) {
        setErrorCode(kErrorFileTransfer);
        return 3;
    }
    loadLines(f);
    std::fclose(f);
    return 0;
}

double selectLineFile(const TextValue& name) { return selectLineFile(textCString(name)); }

void flushLineFile() { selectLineFile(static_cast<const char*>(nullptr)); }

void lineFileGetText(const TextValue& name, double line, TextValue& out) {
    const int n = entryNumber(line);
    if (n < 0) {
        out = "NO_DATA";
        setErrorCode(kErrorRange);
        return;
    }
    if (selectLineFile(name) != 0) {
        out = "NO_FILE";
        return;
    }
    out = cache.lines[n];
    trimTrailingControls(out);
    if (out.length == 0) out = "NO_DATA";
}

void lineFileGetNumber(const TextValue& name, double line, double& out) {
    TextValue text;
    lineFileGetText(name, line, text);
    out = textToNumber(text);
}

void lineFileSetText(const TextValue& name, double line, const TextValue& text) {
    const int n = entryNumber(line);
    if (n < 0) {
        setErrorCode(kErrorRange);
        return;
    }
    selectLineFile(name);  // a file that cannot be read starts empty
    storeEntry(n, textCString(text), text.length);
    if (n > cache.lastLine) cache.lastLine = n;
    cache.dirty = 1;
}

void lineFileSetNumber(const TextValue& name, double line, double value) {
    char digits[64];
    numberToChars(value, digits);
    lineFileSetText(name, line, TextValue(digits));
}
