// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: line-numbered data files, loaded from a file, written back after a change and
// loaded again; the entries must survive the round trip.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "commands/linefiles.h"
#include "fuzz/support.h"
#include "runtime/archive.h"
#include "runtime/lifecycle.h"

namespace {

std::vector<std::string> entries() {
    std::vector<std::string> e;
    for (int n = 0; n < kLineFileEntries; ++n) e.emplace_back(lineFileCache().lines[n]);
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    setMediaArchives("", "");
    fuzzing::writeFile("data.txt", data, size);
    runtimeState.errorCode = 0;

    TextValue name("data.txt"), text;
    lineFileGetText(name, 0, text);
    fuzzing::require(runtimeState.errorCode == 0, "an existing file loads");
    const std::vector<std::string> loaded = entries();
    const int32_t lastLine = lineFileCache().lastLine;
    fuzzing::require(lastLine >= 0 && lastLine < kLineFileEntries, "the last line is an entry");
    for (double n : {1.0, 17.0, 255.0}) {
        lineFileGetText(name, n, text);
        fuzzing::require(text.length > 0 && text.length < kLineFileEntrySize,
                         "an entry is a line's text");
    }

    // Storing an entry's own text marks the file changed without changing it.
    lineFileSetText(name, lastLine, TextValue(loaded[static_cast<size_t>(lastLine)].c_str()));
    flushLineFile();
    lineFileGetText(name, 0, text);
    fuzzing::require(entries() == loaded, "written back and loaded again, every entry is the same");
    fuzzing::require(lineFileCache().lastLine == lastLine, "and so is the number of lines");
    flushLineFile();
    return 0;
}
