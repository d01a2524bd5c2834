// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Resolving media names: loose files first, then the archive by base name in any letter case.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/archive.h"
#include "runtime/lifecycle.h"
#include "runtime/temp_folder.h"
#include "tests/support/archive_fixtures.h"

using namespace archive_test;

namespace {

class MediaArchiveTest : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        suck_ = patterned(20000, 11);
        tiles_ = patterned(3000, 12);
    }
    void TearDown() override {
        releaseMediaArchives();
        ScratchFolder::TearDown();
    }
    void pack(const std::string& path, kql::OffsetStyle style,
              std::vector<kql::PackInput> inputs = {}) {
        if (inputs.empty())
            inputs = {{"Suck.wav", suck_}, {"Tiles1.png", tiles_}, {"Suck.wav2", bytesOf("other")}};
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(kql::buildArchive(inputs, style, archive, error)) << error;
        ASSERT_TRUE(writeBytes(path, archive));
    }
    // Calls resolveMediaFile with a 1024-byte buffer holding `name`; returns the result.
    int resolve(const char* name, std::string& dest,
                MediaArchive& archive = primaryMediaArchive()) {
        char buffer[kMediaPathSize];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, name);
        int rc = resolveMediaFile(archive, buffer, buffer);
        dest = buffer;
        return rc;
    }
    // Expected temporary name of an entry: "kql" + letters from its stored offset and size.
    std::string tempNameOf(const std::string& archivePath, const std::string& entry) {
        std::vector<kql::EntryInfo> entries;
        kql::OffsetStyle style;
        std::string error;
        EXPECT_TRUE(kql::readDirectory(readBytes(archivePath), entries, style, error));
        for (const kql::EntryInfo& e : entries) {
            if (e.name == entry) {
                std::string s = processTempFolder() + "kql";
                s += static_cast<char>('A' + (static_cast<uint32_t>(e.rawOffset) & 0xFF) % 26);
                s += static_cast<char>('A' + (static_cast<uint32_t>(e.dataSize) & 0xFF) % 26);
                return s + e.name;
            }
        }
        return "";
    }
    std::vector<uint8_t> suck_, tiles_;
};

TEST_F(MediaArchiveTest, FindsEntryByBaseNameInAnyCaseAndSeparator) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    setMediaArchives("Media.kql", "");
    std::string path;
    for (const char* name : {"media\\SUCK.WAV", "Media/Suck.wav", "suck.wav", "a/b\\c/sUcK.wAv"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(1, resolve(name, path));
        EXPECT_EQ(tempNameOf("Media.kql", "Suck.wav"), path);
        EXPECT_EQ(0, path.rfind(processTempFolder(), 0));  // in the process's own folder
        EXPECT_EQ(suck_, readBytes(path));
    }
    struct stat st;
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777u);
}

TEST_F(MediaArchiveTest, NegativeAndPositiveOffsetsGiveTheSameFiles) {
    pack("pos.kql", kql::OffsetStyle::Positive);
    pack("neg.kql", kql::OffsetStyle::Negative);
    for (const char* archive : {"pos.kql", "neg.kql"}) {
        SCOPED_TRACE(archive);
        setMediaArchives(archive, "");
        std::string path;
        ASSERT_EQ(1, resolve("Media/Tiles1.png", path));
        EXPECT_EQ(tiles_, readBytes(path));
        EXPECT_EQ(tempNameOf(archive, "Tiles1.png"), path);
        ASSERT_EQ(1, resolve("Media/suck.wav", path));
        EXPECT_EQ(suck_, readBytes(path));
    }
}

TEST_F(MediaArchiveTest, LooseFileWinsAndTheArchiveIsNotOpened) {
    ASSERT_EQ(0, ::mkdir("Media", 0755));
    ASSERT_TRUE(writeBytes("Media/Bild.png", bytesOf("loose")));
    setMediaArchives("NoSuchArchive.kql", "");
    std::string path;
    EXPECT_EQ(1, resolve("Media/Bild.png", path));
    EXPECT_EQ("Media/Bild.png", path);
    EXPECT_EQ(1, resolve("Media\\Bild.png", path));  // either separator reaches the file
    EXPECT_EQ("Media\\Bild.png", path);              // and the name comes back unchanged
    EXPECT_EQ(1, primaryMediaArchive().enabled);     // a missing archive would have disabled it
    std::string sys;
    EXPECT_TRUE(resolveMediaFile("Media\\Bild.png", sys));
    EXPECT_EQ("Media/Bild.png", sys);  // the std::string form gives an openable path
}

TEST_F(MediaArchiveTest, MissingArchiveDisablesUntilRenamed) {
    setMediaArchives("Media.kql", "");
    std::string path;
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, resolve("Media/Suck.wav", path));
    EXPECT_EQ("Media/Suck.wav", path);  // a disabled archive leaves the destination alone
    EXPECT_EQ(0, primaryMediaArchive().enabled);
    EXPECT_EQ(0, resolve("Media/Bomb.wav", path));
    // Said once, naming the archive; the files it would have held add nothing.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Tovrik: cannot read the media archive Media.kql: No such file or directory\n");
    pack("Media.kql", kql::OffsetStyle::Positive);
    EXPECT_EQ(0, resolve("Media/Suck.wav", path));  // stays disabled...
    setMediaArchives("Media.kql", "");
    EXPECT_EQ(1, resolve("Media/Suck.wav", path));  // ...until named again
}

TEST_F(MediaArchiveTest, ThingsThatAreNotArchivesDisableIt) {
    ASSERT_EQ(0, ::mkdir("folder.kql", 0755));  // start-up names both archives after a folder
    setMediaArchives("folder.kql", "");
    std::string path;
    EXPECT_EQ(0, resolve("x.png", path));
    EXPECT_EQ(0, primaryMediaArchive().enabled);

    ASSERT_TRUE(writeBytes("short.kql", bytesOf("kqL")));
    setMediaArchives("short.kql", "");
    EXPECT_EQ(0, resolve("x.png", path));
    EXPECT_EQ(0, primaryMediaArchive().enabled);

    pack("Media.kql", kql::OffsetStyle::Positive);
    std::vector<uint8_t> bytes = readBytes("Media.kql");
    bytes[bytes.size() - 7] = 'K';  // "KqL"
    ASSERT_TRUE(writeBytes("magic.kql", bytes));
    setMediaArchives("magic.kql", "");
    EXPECT_EQ(0, resolve("Suck.wav", path));
    EXPECT_EQ(0, primaryMediaArchive().enabled);

    setMediaArchives("", "");
    EXPECT_EQ(0, resolve("Suck.wav", path));
    EXPECT_EQ(0, primaryMediaArchive().enabled);
}

TEST_F(MediaArchiveTest, UnknownOrEmptyNameEmptiesDestinationAndKeepsArchive) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    setMediaArchives("Media.kql", "");
    std::string path;
    EXPECT_EQ(0, resolve("Media/Nope.png", path));
    EXPECT_EQ("", path);
    EXPECT_EQ(1, primaryMediaArchive().enabled);
    EXPECT_EQ(0, resolve("", path));
    EXPECT_EQ("", path);
    // Entry names are matched whole: "Suck.wa" is not "Suck.wav", "Suck.wav" is not "Suck.wav2".
    EXPECT_EQ(0, resolve("Suck.wa", path));
    ASSERT_EQ(1, resolve("SUCK.WAV2", path));
    EXPECT_EQ(bytesOf("other"), readBytes(path));
    // A name the runtime cannot take (1024 characters or more).
    std::string longName(1100, 'a');
    EXPECT_FALSE(resolveMediaFile(longName.c_str(), path));
    EXPECT_EQ("", path);
}

TEST_F(MediaArchiveTest, OnlyTheLatestExtractionStaysOnDisk) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    setMediaArchives("Media.kql", "");
    std::string first, second;
    ASSERT_EQ(1, resolve("Suck.wav", first));
    ASSERT_EQ(1, resolve("Tiles1.png", second));
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(second));
    EXPECT_EQ(second, primaryMediaArchive().extractedPath);
    // Any lookup, even of a loose file or a failing one, removes the previous extraction.
    ASSERT_TRUE(writeBytes("loose.txt", bytesOf("x")));
    std::string loose;
    ASSERT_EQ(1, resolve("loose.txt", loose));
    EXPECT_FALSE(exists(second));
    EXPECT_STREQ("", primaryMediaArchive().extractedPath);
}

TEST_F(MediaArchiveTest, EachArchiveKeepsItsOwnExtraction) {
    pack("a.kql", kql::OffsetStyle::Positive);
    pack("b.kql", kql::OffsetStyle::Negative, {{"Intro.avi", patterned(100, 5)}});
    setMediaArchives("a.kql", "b.kql");
    std::string one, two;
    ASSERT_EQ(1, resolve("Suck.wav", one, primaryMediaArchive()));
    ASSERT_EQ(1, resolve("Intro.avi", two, secondaryMediaArchive()));
    EXPECT_TRUE(exists(one));
    EXPECT_TRUE(exists(two));
    // Renaming resets both and deletes their files; the shutdown release does the same.
    setMediaArchives("a.kql", "b.kql");
    EXPECT_FALSE(exists(one));
    EXPECT_FALSE(exists(two));
    ASSERT_EQ(1, resolve("Suck.wav", one, primaryMediaArchive()));
    releaseMediaArchives();
    EXPECT_FALSE(exists(one));
    EXPECT_EQ(0, primaryMediaArchive().enabled);
}

TEST_F(MediaArchiveTest, ShutdownDeletesTheExtractedFile) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    setMediaArchives("Media.kql", "");  // registers the release with the shutdown order
    std::string path;
    ASSERT_EQ(1, resolve("Suck.wav", path));
    ASSERT_TRUE(exists(path));
    shutdownRuntime();
    EXPECT_FALSE(exists(path));
}

TEST_F(MediaArchiveTest, ReplacesAStaleFileOfTheSameName) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    setMediaArchives("Media.kql", "");
    const std::string expected = tempNameOf("Media.kql", "Suck.wav");
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(writeBytes(expected, bytesOf("stale content that is longer than nothing")));
    std::string path;
    ASSERT_EQ(1, resolve("Suck.wav", path));
    EXPECT_EQ(suck_, readBytes(path));
}

TEST_F(MediaArchiveTest, ARefusedTemporaryFolderStillGivesTheMedia) {
    pack("Media.kql", kql::OffsetStyle::Positive);
    const std::string planted = root_ + "/tmp/tovrik-" + std::to_string(::getuid());
    ASSERT_EQ(0, ::symlink(root_.c_str(), planted.c_str()));
    auto load = [&] {
        setMediaArchives("Media.kql", "");
        std::string path;
        bool ok = resolve("Suck.wav", path) == 1 && readBytes(path) == suck_ &&
                  path.rfind(planted + "/", 0) != 0;
        std::exit(ok ? 0 : 1);
    };
    EXPECT_EXIT(load(), ::testing::ExitedWithCode(0), "refused \\(it is a symbolic link\\)");
}

TEST_F(MediaArchiveTest, EmptyEntryExtractsToAnEmptyFile) {
    pack("Media.kql", kql::OffsetStyle::Positive, {{"Nothing.dat", {}}});
    setMediaArchives("Media.kql", "");
    std::string path;
    ASSERT_EQ(1, resolve("Nothing.dat", path));
    EXPECT_TRUE(exists(path));
    EXPECT_TRUE(readBytes(path).empty());
}

}  // namespace
