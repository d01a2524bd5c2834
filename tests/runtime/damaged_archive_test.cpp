// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Hand-damaged archives: every kind of damage gives a clean 0 (as for a name not in the archive),
// no crash, no huge allocation and no extracted file. Run under the sanitizer build too.
#include <dirent.h>

#include <cstring>
#include <functional>
#include <string>

#include "runtime/archive.h"
#include "runtime/lifecycle.h"
#include "tests/support/archive_fixtures.h"

using namespace archive_test;

namespace {

void putLe32(std::vector<uint8_t>& v, size_t pos, int32_t value) {
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        v[pos + static_cast<size_t>(i)] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t getLe32(const std::vector<uint8_t>& v, size_t pos) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(v[pos]) | static_cast<uint32_t>(v[pos + 1]) << 8 |
        static_cast<uint32_t>(v[pos + 2]) << 16 | static_cast<uint32_t>(v[pos + 3]) << 24);
}

// One archive with "Suck.wav" (its data block first) and a second entry, in either style. The
// positions below are where the damage goes.
struct Layout {
    std::vector<uint8_t> bytes;
    size_t directory;    // start of the directory
    size_t offsetField;  // Suck.wav's data offset
    size_t sizeField;    // Suck.wav's data size
    size_t block;        // Suck.wav's block (unpacked size word, then the stream)
    int32_t blockSize;
};

Layout makeLayout(kql::OffsetStyle style) {
    Layout l;
    std::string error;
    EXPECT_TRUE(
        kql::buildArchive({{"Suck.wav", patterned(50000, 21)}, {"Other.png", patterned(500, 22)}},
                          style, l.bytes, error));
    const int64_t size = static_cast<int64_t>(l.bytes.size());
    const int32_t rawDir = getLe32(l.bytes, l.bytes.size() - 4);
    l.directory = static_cast<size_t>((rawDir < 0 ? size : 0) + rawDir);
    l.offsetField = l.directory + 1 + 8;
    l.sizeField = l.offsetField + 4;
    const int32_t rawOffset = getLe32(l.bytes, l.offsetField);
    l.block = static_cast<size_t>((rawDir < 0 ? size : 0) + rawOffset);
    l.blockSize = getLe32(l.bytes, l.sizeField);
    return l;
}

// Appends "kqL" and a directory offset pointing at `directory` in the given style.
void appendTrailer(std::vector<uint8_t>& v, size_t directory, kql::OffsetStyle style) {
    v.push_back('k');
    v.push_back('q');
    v.push_back('L');
    v.resize(v.size() + 4);
    const int64_t size = static_cast<int64_t>(v.size());
    const int64_t raw = style == kql::OffsetStyle::Negative ? static_cast<int64_t>(directory) - size
                                                            : static_cast<int64_t>(directory);
    putLe32(v, v.size() - 4, static_cast<int32_t>(raw));
}

size_t extractedFileCount(const std::string& folder) {
    size_t n = 0;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (std::strncmp(e->d_name, "kql", 3) == 0) ++n;
        }
        ::closedir(d);
    }
    return n;
}

class DamagedArchive : public ScratchFolder,
                       public ::testing::WithParamInterface<kql::OffsetStyle> {
  protected:
    void TearDown() override {
        releaseMediaArchives();
        ScratchFolder::TearDown();
    }
    // Writes the damaged archive, looks "Media\SUCK.WAV" up, and checks for a clean failure that
    // leaves the archive usable for its undamaged entries where they are intact.
    void expectCleanFailure(const std::function<void(Layout&)>& damage, const char* what) {
        SCOPED_TRACE(what);
        Layout l = makeLayout(GetParam());
        damage(l);
        ASSERT_TRUE(writeBytes("Media.kql", l.bytes));
        setMediaArchives("Media.kql", "");
        char buffer[kMediaPathSize] = "media\\SUCK.WAV";
        EXPECT_EQ(0, resolveMediaFile(primaryMediaArchive(), buffer, buffer));
        EXPECT_STREQ("", buffer);  // as for a name that is not in the archive
        EXPECT_STREQ("", primaryMediaArchive().extractedPath);
        EXPECT_EQ(0u, extractedFileCount(userTempFolder()));
    }
};

TEST_P(DamagedArchive, IntactArchiveWorks) {
    // The control case: the same archive undamaged unpacks fine.
    Layout l = makeLayout(GetParam());
    ASSERT_TRUE(writeBytes("Media.kql", l.bytes));
    setMediaArchives("Media.kql", "");
    std::string path;
    ASSERT_TRUE(resolveMediaFile("media\\SUCK.WAV", path));
    EXPECT_EQ(patterned(50000, 21), readBytes(path));
}

TEST_P(DamagedArchive, DirectoryOffsetOutsideTheFile) {
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.bytes.size() - 4, 0x7FFFFFF0); },
                       "far past the end");
    expectCleanFailure(
        [](Layout& l) {
            putLe32(l.bytes, l.bytes.size() - 4, static_cast<int32_t>(l.bytes.size()));
        },
        "exactly at the end");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.bytes.size() - 4, INT32_MIN); },
                       "before the start");
    expectCleanFailure(
        [](Layout& l) {
            putLe32(l.bytes, l.bytes.size() - 4, -static_cast<int32_t>(l.bytes.size()) - 1);
        },
        "one before the start");
}

TEST_P(DamagedArchive, DirectoryCutShort) {
    // The first directory entry claims a 200-byte name, but the file ends after 4 of them (a
    // trailer is kept, so the file is still taken for an archive).
    expectCleanFailure(
        [](Layout& l) {
            l.bytes.resize(l.directory + 5);
            l.bytes[l.directory] = 200;
            appendTrailer(l.bytes, l.directory, GetParam());
        },
        "name past the end");
    expectCleanFailure(
        [](Layout& l) {
            l.bytes.resize(l.directory + 1 + 8 + 6);  // name whole, the numbers cut
            appendTrailer(l.bytes, l.directory, GetParam());
        },
        "numbers past the end");
}

TEST_P(DamagedArchive, DataOffsetOutsideTheFile) {
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.offsetField, 0x7FFFFF00); },
                       "past the end");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.offsetField, INT32_MIN); },
                       "before the start");
    expectCleanFailure(
        [](Layout& l) {
            // The block would start inside the file but run past its end.
            const int64_t size = static_cast<int64_t>(l.bytes.size());
            const int64_t origin = GetParam() == kql::OffsetStyle::Negative ? size : 0;
            putLe32(l.bytes, l.offsetField, static_cast<int32_t>(size - 10 - origin));
        },
        "runs past the end");
}

TEST_P(DamagedArchive, BadDataSize) {
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.sizeField, -5); }, "negative");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.sizeField, 3); },
                       "smaller than the size word");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.sizeField, 0x7FFFFFFF); }, "absurd");
    expectCleanFailure(
        [](Layout& l) { putLe32(l.bytes, l.sizeField, static_cast<int32_t>(l.bytes.size()) + 1); },
        "one more than the file");
}

TEST_P(DamagedArchive, ShortReadOfTheEntryData) {
    // The file ends (is truncated) inside the entry's data; the directory is rebuilt after it.
    expectCleanFailure(
        [](Layout& l) {
            std::vector<uint8_t> dir(l.bytes.begin() + static_cast<long>(l.directory),
                                     l.bytes.end() - 7);
            const size_t cut = l.block + static_cast<size_t>(l.blockSize) / 2;
            l.bytes.resize(cut);
            const size_t newDir = l.bytes.size();
            l.bytes.insert(l.bytes.end(), dir.begin(), dir.end());
            appendTrailer(l.bytes, newDir, GetParam());
            // Offsets of a negative archive count from the (new) end.
            const int64_t size = static_cast<int64_t>(l.bytes.size());
            const bool negative = GetParam() == kql::OffsetStyle::Negative;
            putLe32(l.bytes, newDir + 9,
                    static_cast<int32_t>(negative ? static_cast<int64_t>(l.block) - size
                                                  : static_cast<int64_t>(l.block)));
        },
        "truncated block");
}

TEST_P(DamagedArchive, BadUnpackedSize) {
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, -1); }, "negative");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, 0x7FFFFFFF); }, "over 256 MiB");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, 200 * 1024 * 1024); },
                       "under the cap but impossible for the stream's length");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, 50001); },
                       "one more than the stream gives");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, 49999); },
                       "one less than the stream gives");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.block, 0); }, "zero");
}

TEST_P(DamagedArchive, DecompressionError) {
    expectCleanFailure(
        [](Layout& l) {
            std::fill(l.bytes.begin() + static_cast<long>(l.block) + 4,
                      l.bytes.begin() + static_cast<long>(l.block) + l.blockSize, 0xFF);
        },
        "stream overwritten");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.sizeField, l.blockSize - 3); },
                       "stream cut short");
    expectCleanFailure([](Layout& l) { putLe32(l.bytes, l.sizeField, 4); }, "empty stream");
}

TEST_P(DamagedArchive, DamageToOneEntryLeavesTheOthersUsable) {
    Layout l = makeLayout(GetParam());
    putLe32(l.bytes, l.block, -1);
    ASSERT_TRUE(writeBytes("Media.kql", l.bytes));
    setMediaArchives("Media.kql", "");
    std::string path;
    EXPECT_FALSE(resolveMediaFile("Suck.wav", path));
    EXPECT_EQ(1, primaryMediaArchive().enabled);
    ASSERT_TRUE(resolveMediaFile("Other.png", path));
    EXPECT_EQ(patterned(500, 22), readBytes(path));
}

INSTANTIATE_TEST_SUITE_P(BothOffsetStyles, DamagedArchive,
                         ::testing::Values(kql::OffsetStyle::Positive, kql::OffsetStyle::Negative),
                         [](const ::testing::TestParamInfo<kql::OffsetStyle>& info) {
                             return info.param == kql::OffsetStyle::Positive
                                        ? std::string("Positive")
                                        : std::string("Negative");
                         });

}  // namespace
