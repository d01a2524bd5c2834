// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the media archive as the runtime reads it (directory walk, lookup, unpacking
// into the temporary folder) and as the packer tool reads it (whole directory, every entry).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/support.h"
#include "runtime/archive.h"
#include "tools/kqlpack/kql_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::usePrivateFolder();
    fuzzing::writeFile("Media.kql", data, size);
    setMediaArchives("Media.kql", "");
    // Names of the seed archives, one in other letter case, one with a folder, one not there.
    for (const char* name : {"BugR.png", "Media/move.WAV", "missing.bin"}) {
        char dest[kMediaPathSize];
        std::strcpy(dest, name);
        if (resolveMediaFile(primaryMediaArchive(), dest, dest) == 1) {
            const std::string unpacked = fuzzing::readFile(dest);
            fuzzing::require(unpacked.size() <= kMaxMediaEntrySize,
                             "an entry within the size limit");
        }
    }
    releaseMediaArchives();

    const std::vector<uint8_t> archive(data, data + size);
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;
    std::string error;
    if (kql::readDirectory(archive, entries, style, error)) {
        for (const kql::EntryInfo& e : entries) {
            std::vector<uint8_t> out;
            if (kql::unpackEntry(archive, e, out, error))
                fuzzing::require(out.size() == e.unpackedSize,
                                 "an entry unpacks to its announced size");
            kql::printableName(e.name);
        }
    }
    return 0;
}
