// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The kql archive format: packing entries with LZO1X-1 and reading the archive back.
#include "tools/kqlpack/kql_format.h"

#include <lzo1x.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/atomic_file.h"
#include "runtime/text_lines.h"

namespace kql {
namespace {

void putLe32(std::vector<uint8_t>& out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

int32_t getLe32(const uint8_t* p) {
    uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(u);
}

bool lzoReady() {
    static const bool ok = lzo_init() == LZO_E_OK;
    return ok;
}

std::string lower(const std::string& s) {
    std::string r = s;
    for (char& c : r) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return r;
}

}  // namespace

bool safeEntryName(const std::string& name) {
    if (name.empty() || name.size() > kMaxEntryNameLength || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

std::string printableName(const std::string& name) { return printableText(name, "\\"); }

bool buildArchive(const std::vector<PackInput>& inputs, OffsetStyle style,
                  std::vector<uint8_t>& out, std::string& error) {
    if (!lzoReady()) {
        error = "LZO initialisation failed";
        return false;
    }
    std::vector<std::string> seen;
    for (const PackInput& in : inputs) {
        if (!safeEntryName(in.name)) {
            error = "unusable entry name \"" + in.name + "\" (1 to " +
                    std::to_string(kMaxEntryNameLength) + " bytes, no folder part)";
            return false;
        }
        std::string key = lower(in.name);
        for (const std::string& s : seen) {
            if (s == key) {
                // Lookups ignore letter case and stop at the first match: the second could never be
                // found.
                error = "two entries named \"" + in.name + "\" (letter case ignored)";
                return false;
            }
        }
        seen.push_back(key);
        if (in.data.size() > kMaxUnpackedSize) {
            error = "\"" + in.name + "\" is larger than the 256 MiB an entry may hold";
            return false;
        }
    }

    std::vector<uint8_t> data;
    std::vector<int64_t> positions;
    std::vector<int64_t> sizes;
    std::vector<uint8_t> work(LZO1X_1_MEM_COMPRESS);
    for (const PackInput& in : inputs) {
        std::vector<uint8_t> packed(in.data.size() + in.data.size() / 16 + 64 + 3);
        lzo_uint packedLen = 0;
        static const uint8_t kEmpty = 0;
        const uint8_t* src = in.data.empty() ? &kEmpty : in.data.data();
        if (lzo1x_1_compress(src, in.data.size(), packed.data(), &packedLen, work.data()) !=
            LZO_E_OK) {
            error = "compression of \"" + in.name + "\" failed";
            return false;
        }
        if (!plausibleUnpackedSize(static_cast<int32_t>(in.data.size()),
                                   static_cast<int32_t>(packedLen))) {
            error = "\"" + in.name + "\" packs so small that readers would take it for damage";
            return false;
        }
        positions.push_back(static_cast<int64_t>(data.size()));
        sizes.push_back(static_cast<int64_t>(packedLen) + 4);
        putLe32(data, static_cast<int32_t>(in.data.size()));
        data.insert(data.end(), packed.begin(), packed.begin() + static_cast<long>(packedLen));
    }

    size_t directorySize = 1;
    for (const PackInput& in : inputs) directorySize += 1 + in.name.size() + 8;
    const int64_t total = static_cast<int64_t>(data.size() + directorySize + kTrailerSize);
    if (total > INT32_MAX) {
        error = "the archive would exceed 2 GiB, beyond its 32-bit offsets";
        return false;
    }
    const int64_t base = style == OffsetStyle::Negative ? total : 0;

    out = std::move(data);
    const int64_t directoryPos = static_cast<int64_t>(out.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        out.push_back(static_cast<uint8_t>(inputs[i].name.size()));
        out.insert(out.end(), inputs[i].name.begin(), inputs[i].name.end());
        putLe32(out, static_cast<int32_t>(positions[i] - base));
        putLe32(out, static_cast<int32_t>(sizes[i]));
    }
    out.push_back(0);
    out.push_back('k');
    out.push_back('q');
    out.push_back('L');
    putLe32(out, static_cast<int32_t>(directoryPos - base));
    return true;
}

bool readDirectory(const std::vector<uint8_t>& archive, std::vector<EntryInfo>& entries,
                   OffsetStyle& style, std::string& error) {
    entries.clear();
    const int64_t size = static_cast<int64_t>(archive.size());
    if (size < static_cast<int64_t>(kTrailerSize)) {
        error = "too short for an archive";
        return false;
    }
    const uint8_t* trailer = archive.data() + size - kTrailerSize;
    if (trailer[0] != 'k' || trailer[1] != 'q' || trailer[2] != 'L') {
        error = "no archive trailer (\"kqL\")";
        return false;
    }
    const int32_t rawDirectory = getLe32(trailer + 3);
    style = rawDirectory < 0 ? OffsetStyle::Negative : OffsetStyle::Positive;
    const int64_t base = rawDirectory < 0 ? size : 0;
    const int64_t end =
        size - static_cast<int64_t>(kTrailerSize);  // the directory must end before the trailer
    int64_t pos = base + rawDirectory;
    if (pos < 0 || pos >= end) {
        error = "directory offset outside the file";
        return false;
    }
    for (;;) {
        if (pos >= end) {
            error = "directory runs into the trailer";
            return false;
        }
        const uint8_t len = archive[static_cast<size_t>(pos++)];
        if (len == 0) break;
        if (pos + len + 8 > end) {
            error = "directory entry runs into the trailer";
            return false;
        }
        EntryInfo e;
        e.name.assign(reinterpret_cast<const char*>(&archive[static_cast<size_t>(pos)]), len);
        pos += len;
        e.rawOffset = getLe32(&archive[static_cast<size_t>(pos)]);
        e.dataSize = getLe32(&archive[static_cast<size_t>(pos + 4)]);
        pos += 8;
        e.position = base + e.rawOffset;
        if (e.dataSize < 4 || e.position < 0 || e.position + e.dataSize > end) {
            error = "entry \"" + e.name + "\" has its data outside the file";
            return false;
        }
        e.unpackedSize = static_cast<uint32_t>(getLe32(&archive[static_cast<size_t>(e.position)]));
        entries.push_back(std::move(e));
    }
    return true;
}

bool unpackEntry(const std::vector<uint8_t>& archive, const EntryInfo& e, std::vector<uint8_t>& out,
                 std::string& error) {
    if (!lzoReady()) {
        error = "LZO initialisation failed";
        return false;
    }
    if (e.dataSize < 4 || e.position < 0 ||
        e.position + e.dataSize > static_cast<int64_t>(archive.size())) {
        error = "entry \"" + e.name + "\" has its data outside the file";
        return false;
    }
    const int32_t announced = getLe32(&archive[static_cast<size_t>(e.position)]);
    // The same refusal as the game's lookup: nothing is allocated for a size the stream cannot
    // give.
    if (!plausibleUnpackedSize(announced, e.dataSize - 4)) {
        error = "entry \"" + e.name + "\" announces an impossible size";
        return false;
    }
    out.assign(static_cast<size_t>(announced), 0);
    lzo_uint outLen = out.size();
    uint8_t dummy = 0;
    int rc = lzo1x_decompress_safe(&archive[static_cast<size_t>(e.position) + 4],
                                   static_cast<lzo_uint>(e.dataSize - 4),
                                   out.empty() ? &dummy : out.data(), &outLen, nullptr);
    if (rc != LZO_E_OK || outLen != out.size()) {
        error = "entry \"" + e.name + "\" does not unpack cleanly";
        out.clear();
        return false;
    }
    return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& data,
                         std::string& error) {
    return replaceFile(path, data.data(), data.size(), &error);
}

}  // namespace kql
