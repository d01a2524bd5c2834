// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The packer: archive layout, both offset styles, refusals, and the command-line tool end to end.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "tests/support/archive_fixtures.h"

using namespace archive_test;

namespace {

int32_t le32At(const std::vector<uint8_t>& v, size_t pos) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(v[pos]) | static_cast<uint32_t>(v[pos + 1]) << 8 |
        static_cast<uint32_t>(v[pos + 2]) << 16 | static_cast<uint32_t>(v[pos + 3]) << 24);
}

std::vector<kql::PackInput> sampleInputs() {
    return {{"Suck.wav", patterned(30000, 1)},
            {"Tiles1.png", patterned(5000, 2)},
            {"empty.bin", {}},
            {"x", bytesOf("one")}};
}

TEST(Packer, LayoutWithPositiveOffsets) {
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(kql::buildArchive(sampleInputs(), kql::OffsetStyle::Positive, archive, error))
        << error;
    const size_t n = archive.size();
    ASSERT_GT(n, 7u);
    EXPECT_EQ('k', archive[n - 7]);
    EXPECT_EQ('q', archive[n - 6]);
    EXPECT_EQ('L', archive[n - 5]);
    const int32_t dir = le32At(archive, n - 4);
    ASSERT_GE(dir, 0);
    // First entry: name, then its block at offset 0 starting with the unpacked size.
    size_t p = static_cast<size_t>(dir);
    ASSERT_EQ(8, archive[p]);
    EXPECT_EQ("Suck.wav", std::string(archive.begin() + static_cast<long>(p) + 1,
                                      archive.begin() + static_cast<long>(p) + 9));
    EXPECT_EQ(0, le32At(archive, p + 9));
    EXPECT_EQ(30000, le32At(archive, 0));
    const int32_t size0 = le32At(archive, p + 13);
    // The second block follows the first directly.
    p += 17;
    ASSERT_EQ(10, archive[p]);
    EXPECT_EQ(size0, le32At(archive, p + 11));
    // The directory ends with a zero length right before the trailer.
    EXPECT_EQ(0, archive[n - 8]);
}

TEST(Packer, BothOffsetStylesReadBackTheSame) {
    for (kql::OffsetStyle style : {kql::OffsetStyle::Positive, kql::OffsetStyle::Negative}) {
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(kql::buildArchive(sampleInputs(), style, archive, error)) << error;
        const int32_t dir = le32At(archive, archive.size() - 4);
        EXPECT_EQ(style == kql::OffsetStyle::Negative, dir < 0);
        std::vector<kql::EntryInfo> entries;
        kql::OffsetStyle seen;
        ASSERT_TRUE(kql::readDirectory(archive, entries, seen, error)) << error;
        EXPECT_EQ(style, seen);
        const auto inputs = sampleInputs();
        ASSERT_EQ(inputs.size(), entries.size());
        for (size_t i = 0; i < inputs.size(); ++i) {
            EXPECT_EQ(inputs[i].name, entries[i].name);
            EXPECT_EQ(style == kql::OffsetStyle::Negative, entries[i].rawOffset < 0);
            std::vector<uint8_t> data;
            ASSERT_TRUE(kql::unpackEntry(archive, entries[i], data, error)) << error;
            EXPECT_EQ(inputs[i].data, data) << inputs[i].name;
        }
    }
}

TEST(Packer, NegativeOffsetArchiveSurvivesBeingAppended) {
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(kql::buildArchive(sampleInputs(), kql::OffsetStyle::Negative, archive, error));
    std::vector<uint8_t> joined = patterned(777, 9);  // e.g. glued to the end of a program file
    joined.insert(joined.end(), archive.begin(), archive.end());
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;
    ASSERT_TRUE(kql::readDirectory(joined, entries, style, error)) << error;
    std::vector<uint8_t> data;
    ASSERT_TRUE(kql::unpackEntry(joined, entries[0], data, error));
    EXPECT_EQ(sampleInputs()[0].data, data);
}

TEST(Packer, RefusesNamesTheLookupCouldNotServe) {
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_FALSE(
        kql::buildArchive({{"a.png", {}}, {"A.PNG", {}}}, kql::OffsetStyle::Positive, out, error));
    EXPECT_NE(std::string::npos, error.find("A.PNG"));
    EXPECT_FALSE(kql::buildArchive({{"", {}}}, kql::OffsetStyle::Positive, out, error));
    EXPECT_FALSE(kql::buildArchive({{"dir/a.png", {}}}, kql::OffsetStyle::Positive, out, error));
    EXPECT_FALSE(kql::buildArchive({{"dir\\a.png", {}}}, kql::OffsetStyle::Positive, out, error));
    // Longer names could not be unpacked: the game's file for one would pass 255 bytes.
    EXPECT_FALSE(
        kql::buildArchive({{std::string(251, 'n'), {}}}, kql::OffsetStyle::Positive, out, error));
    EXPECT_TRUE(
        kql::buildArchive({{std::string(250, 'n'), {}}}, kql::OffsetStyle::Positive, out, error));
    EXPECT_TRUE(kql::buildArchive({}, kql::OffsetStyle::Positive, out,
                                  error));  // an empty archive is valid
    EXPECT_EQ(8u, out.size());
}

TEST(Packer, ReaderRejectsDamage) {
    std::vector<uint8_t> good;
    std::string error;
    ASSERT_TRUE(kql::buildArchive(sampleInputs(), kql::OffsetStyle::Positive, good, error));
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;

    std::vector<uint8_t> bad = good;
    bad[bad.size() - 6] = 'Q';
    EXPECT_FALSE(kql::readDirectory(bad, entries, style, error));
    bad = good;
    bad[bad.size() - 1] = 0x7F;  // directory far beyond the end
    EXPECT_FALSE(kql::readDirectory(bad, entries, style, error));
    EXPECT_FALSE(kql::readDirectory(std::vector<uint8_t>(good.end() - 6, good.end()), entries,
                                    style, error));
    bad = good;
    const size_t dir = static_cast<size_t>(le32At(good, good.size() - 4));
    bad[dir + 12] = 0x40;  // first entry's data offset far beyond the end
    EXPECT_FALSE(kql::readDirectory(bad, entries, style, error));

    // A stream that does not unpack to exactly the announced size is refused, whichever way it is
    // off.
    ASSERT_TRUE(kql::readDirectory(good, entries, style, error));
    const size_t block = static_cast<size_t>(entries[0].position);
    std::vector<uint8_t> data;
    for (int delta : {-1, 1}) {
        bad = good;
        bad[block] = static_cast<uint8_t>(bad[block] + delta);  // 30000 = 0x7530: low byte only
        EXPECT_FALSE(kql::unpackEntry(bad, entries[0], data, error)) << delta;
        EXPECT_TRUE(data.empty());
    }
    bad = good;
    std::fill(bad.begin() + static_cast<long>(block) + 4,
              bad.begin() + static_cast<long>(block) + entries[0].dataSize, 0xFF);
    EXPECT_FALSE(kql::unpackEntry(bad, entries[0], data, error));
    bad = good;
    bad[block + 3] = 0x80;  // negative size
    EXPECT_FALSE(kql::unpackEntry(bad, entries[0], data, error));
}

// ---- the command-line tool ---------------------------------------------------------------------

class PackerTool : public ScratchFolder {
  protected:
    int run(const std::string& args) {
        std::string cmd = std::string("'") + KQLPACK_PATH + "' " + args + " >out.txt 2>err.txt";
        int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::string fileText(const std::string& path) {
        std::vector<uint8_t> v = readBytes(path);
        return std::string(v.begin(), v.end());
    }
};

TEST_F(PackerTool, RoundTripsAFolderInBothStyles) {
    ASSERT_EQ(0, ::mkdir("media", 0755));
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"Suck.wav", patterned(40000, 3)}, {"Tiles1.png", patterned(1234, 4)}, {"Empty.dat", {}}};
    for (const auto& f : files) ASSERT_TRUE(writeBytes("media/" + f.first, f.second));
    const std::string list = "media/Suck.wav media/Tiles1.png media/Empty.dat";
    for (const std::string& option : {std::string(""), std::string("--negative-offset ")}) {
        SCOPED_TRACE(option);
        ASSERT_EQ(0, run("pack Media.kql " + option + list)) << fileText("err.txt");
        ASSERT_EQ(0, run("list Media.kql"));
        const std::string listing = fileText("out.txt");
        EXPECT_NE(std::string::npos, listing.find(option.empty() ? "positive" : "negative"));
        EXPECT_NE(std::string::npos, listing.find("Suck.wav\t40000\t"));
        EXPECT_NE(std::string::npos, listing.find("Empty.dat\t0\t"));
        ASSERT_EQ(0, run("extract Media.kql out")) << fileText("err.txt");
        for (const auto& f : files) EXPECT_EQ(f.second, readBytes("out/" + f.first)) << f.first;
        ASSERT_EQ(0, std::system("rm -rf out"));
    }
}

TEST_F(PackerTool, ReportsFailuresWithStatus) {
    EXPECT_EQ(2, run(""));
    EXPECT_EQ(2, run("list"));
    EXPECT_EQ(2, run("frobnicate a b"));
    EXPECT_EQ(1, run("pack a.kql missing.png"));
    EXPECT_FALSE(exists("a.kql"));  // nothing half-written
    ASSERT_TRUE(writeBytes("junk.kql", bytesOf("this is not an archive")));
    EXPECT_EQ(1, run("list junk.kql"));
    EXPECT_EQ(1, run("extract junk.kql out"));
    ASSERT_TRUE(writeBytes("a.png", bytesOf("A")));
    ASSERT_TRUE(writeBytes("b.png", bytesOf("B")));
    ASSERT_EQ(0, ::mkdir("sub", 0755));
    ASSERT_TRUE(writeBytes("sub/A.PNG", bytesOf("C")));
    EXPECT_EQ(1, run("pack dup.kql a.png sub/A.PNG"));
    EXPECT_NE(std::string::npos, fileText("err.txt").find("A.PNG"));
}

TEST_F(PackerTool, LongestNameAndEscapedListing) {
    const std::string longest(kql::kMaxEntryNameLength, 'n');
    ASSERT_TRUE(writeBytes(longest, bytesOf("long")));
    ASSERT_EQ(0, run("pack long.kql " + longest)) << fileText("err.txt");
    ASSERT_EQ(0, run("extract long.kql out")) << fileText("err.txt");
    EXPECT_EQ(bytesOf("long"), readBytes("out/" + longest));

    // A name holding an escape sequence is listed as text, never sent to the terminal raw.
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(kql::buildArchive({{"a\x1b[2Jb\xff", bytesOf("x")}}, kql::OffsetStyle::Positive,
                                  archive, error));
    ASSERT_TRUE(writeBytes("esc.kql", archive));
    ASSERT_EQ(0, run("list esc.kql"));
    const std::string listing = fileText("out.txt");
    EXPECT_NE(std::string::npos, listing.find("a\\x1b[2Jb\\xff\t1\t")) << listing;
    EXPECT_EQ(std::string::npos, listing.find('\x1b'));
}

// 200 entries of a few bytes, each announcing 256 MiB: refused from the sizes alone, so neither the
// tool nor the library ever asks for a 256 MiB buffer.
TEST_F(PackerTool, ImplausibleEntrySizesAreRefusedBeforeAnyAllocation) {
    std::vector<kql::PackInput> inputs;
    for (int i = 0; i < 200; ++i) inputs.push_back({"e" + std::to_string(i), bytesOf("tiny")});
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(kql::buildArchive(inputs, kql::OffsetStyle::Positive, archive, error));
    std::vector<kql::EntryInfo> entries;
    kql::OffsetStyle style;
    ASSERT_TRUE(kql::readDirectory(archive, entries, style, error));
    for (const kql::EntryInfo& e : entries) {
        const uint8_t size256MiB[4] = {0, 0, 0, 0x10};  // the largest size an entry may announce
        std::copy(size256MiB, size256MiB + 4, archive.begin() + e.position);
    }
    ASSERT_LT(archive.size(), 5000u);
    ASSERT_TRUE(kql::readDirectory(archive, entries, style, error));
    std::vector<uint8_t> data;
    EXPECT_FALSE(kql::unpackEntry(archive, entries[0], data, error));
    EXPECT_EQ(0u, data.capacity());
    EXPECT_NE(std::string::npos, error.find("impossible size"));

    ASSERT_TRUE(writeBytes("bomb.kql", archive));
#if defined(__SANITIZE_ADDRESS__)
    const std::string limit;  // the address sanitizer reserves far more address space than this
#else
    const std::string limit = "ulimit -v 200000; ";  // far below one 256 MiB buffer
#endif
    const std::string cmd =
        "sh -c \"" + limit + "'" + KQLPACK_PATH + "' extract bomb.kql out\" >out.txt 2>err.txt";
    const int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(1, WEXITSTATUS(rc)) << fileText("err.txt");
    EXPECT_NE(std::string::npos, fileText("err.txt").find("impossible size"));
    EXPECT_EQ(0, std::system("test -z \"$(ls -A out)\""));  // nothing extracted
}

TEST_F(PackerTool, ExtractNeverWritesOutsideItsFolder) {
    // Hand-made archive whose only entry is called "../evil".
    std::vector<uint8_t> good;
    std::string error;
    ASSERT_TRUE(kql::buildArchive({{"abcdefg", bytesOf("payload")}}, kql::OffsetStyle::Positive,
                                  good, error));
    const size_t dir = static_cast<size_t>(le32At(good, good.size() - 4));
    const std::string evil = "../evil";
    std::copy(evil.begin(), evil.end(), good.begin() + static_cast<long>(dir) + 1);
    ASSERT_TRUE(writeBytes("evil.kql", good));
    ASSERT_EQ(0, ::mkdir("out", 0755));
    EXPECT_EQ(1, run("extract evil.kql out"));
    EXPECT_FALSE(exists("evil"));
}

}  // namespace
