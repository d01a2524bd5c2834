// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// kqlpack: writes, lists and unpacks "kql" media archives.
//
//   kqlpack pack <archive> [--negative-offset] <files...>   entry names are the files' base names
//   kqlpack list <archive>                                  name, unpacked size, packed size
//                                                           (names escaped: \xHH outside printable
//                                                           ASCII)
//   kqlpack extract <archive> <dir>                         every entry into <dir> (created)
//
// Exit status: 0 done, 1 failed (message on standard error), 2 wrong usage.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kqlpack/kql_format.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kqlpack pack <archive> [--negative-offset] <files...>\n"
                 "       kqlpack list <archive>\n"
                 "       kqlpack extract <archive> <dir>\n");
    return 2;
}

std::string baseName(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

int fail(const std::string& what) {
    // Messages carry names from archives and file systems: printed escaped, never raw.
    std::fprintf(stderr, "kqlpack: %s\n", kql::printableName(what).c_str());
    return 1;
}

int pack(const std::vector<std::string>& args) {
    std::string archive;
    std::vector<std::string> files;
    kql::OffsetStyle style = kql::OffsetStyle::Positive;
    for (const std::string& a : args) {
        if (a == "--negative-offset") {
            style = kql::OffsetStyle::Negative;
        } else if (a == "--positive-offset") {
            style = kql::OffsetStyle::Positive;
        } else if (archive.empty()) {
            archive = a;
        } else {
            files.push_back(a);
        }
    }
    if (archive.empty()) return usage();
    std::vector<kql::PackInput> inputs;
    for (const std::string& f : files) {
        kql::PackInput in;
        in.name = baseName(f);
        if (!kql::readFile(f, in.data))
            return fail("cannot read " + f + ": " + std::strerror(errno));
        inputs.push_back(std::move(in));
    }
    std::vector<uint8_t> out;
    std::string error;
    if (!kql::buildArchive(inputs, style, out, error)) return fail(error);
    if (!kql::writeFileAtomically(archive, out, error)) return fail(error);
    return 0;
}

bool loadDirectory(const std::string& archive, std::vector<uint8_t>& bytes,
                   std::vector<kql::EntryInfo>& entries, kql::OffsetStyle& style,
                   std::string& error) {
    if (!kql::readFile(archive, bytes)) {
        error = "cannot read " + archive + ": " + std::strerror(errno);
        return false;
    }
    if (!kql::readDirectory(bytes, entries, style, error)) {
        error = archive + ": " + error;
        return false;
    }
    return true;
}

int list(const std::string& archive) {
    std::vector<uint8_t> bytes;
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;
    std::string error;
    if (!loadDirectory(archive, bytes, entries, style, error)) return fail(error);
    std::printf("# %zu entries, %s offsets\n", entries.size(),
                style == kql::OffsetStyle::Negative ? "negative" : "positive");
    for (const kql::EntryInfo& e : entries) {
        std::printf("%s\t%u\t%d\n", kql::printableName(e.name).c_str(), e.unpackedSize, e.dataSize);
    }
    return 0;
}

int extract(const std::string& archive, const std::string& dir) {
    std::vector<uint8_t> bytes;
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;
    std::string error;
    if (!loadDirectory(archive, bytes, entries, style, error)) return fail(error);
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
        return fail("cannot create " + dir + ": " + std::strerror(errno));
    int status = 0;
    for (const kql::EntryInfo& e : entries) {
        // Names come from the archive: never let one reach outside the target folder.
        if (!kql::safeEntryName(e.name)) {
            status = fail("skipped entry with unusable name \"" + e.name + "\"");
            continue;
        }
        std::vector<uint8_t> data;
        if (!kql::unpackEntry(bytes, e, data, error)) {
            status = fail(error);
            continue;
        }
        if (!kql::writeFileAtomically(dir + "/" + e.name, data, error)) status = fail(error);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "pack") return pack(args);
    if (command == "list" && args.size() == 1) return list(args[0]);
    if (command == "extract" && args.size() == 2) return extract(args[0], args[1]);
    return usage();
}
