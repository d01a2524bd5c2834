// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// File channels: values in and out, open modes, failures as results, separators.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/archive.h"
#include "runtime/files.h"
#include "runtime/folders.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

namespace {

using ::testing::ExitedWithCode;

class Channels : public ::testing::Test {
  protected:
    void TearDown() override {
        for (int c = 0; c < kFileChannelCount; ++c) closeChannel(c);
    }
    TextValue name(const std::string& file) { return TextValue(dir.file(file).c_str()); }
    TestFolder dir;
};
using ChannelsDeathTest = Channels;

TEST_F(Channels, ReadValuesLittleEndian) {
    writeText(dir.file("v.bin"), std::string("\x01\x00\x00\x00\xFF\xFF\xFF\xFF\x34\x12\xC8", 11));
    ASSERT_EQ(openChannel(0, name("v.bin"), 1), 1);
    EXPECT_EQ(fileChannelState(0)->size, 11u);
    double v = -1;
    readLong(0, v);
    EXPECT_EQ(v, 1);
    readLong(0, v);
    EXPECT_EQ(v, 4294967295.0);
    readWord(0, v);
    EXPECT_EQ(v, 0x1234);
    EXPECT_EQ(channelAtEnd(0), 0);
    readByte(0, v);
    EXPECT_EQ(v, 200);
    EXPECT_EQ(channelAtEnd(0), 1);
    EXPECT_EQ(fileChannelState(0)->position, 11u);
}

TEST_F(Channels, WriteValuesLittleEndian) {
    ASSERT_EQ(openChannel(1, name("w.bin"), 0), 1);
    EXPECT_EQ(channelAtEnd(1), 1);  // a writing channel has size 0
    writeLong(1, 70000);
    writeLong(1, -1);
    writeByte(1, 300);
    writeByte(1, 65.9);
    writeByte(1, -1);
    writeWord(1, 70000);         // low 16 bits
    writeLong(1, 4294967295.0);  // read back from a file: written back the same
    writeDouble(1, -2.5);
    EXPECT_EQ(fileChannelState(1)->position, 0u);  // writes never move the position
    closeChannel(1);
    EXPECT_EQ(readText(dir.file("w.bin")),
              std::string("\x70\x11\x01\x00\xFF\xFF\xFF\xFF\x2C\x41\xFF\x70\x11\xFF\xFF\xFF\xFF"
                          "\x00\x00\x00\x00\x00\x00\x04\xC0",
                          25));
}

TEST_F(Channels, DoublesAndTextsRoundTrip) {
    ASSERT_EQ(openChannel(2, name("rt.bin"), 0), 1);
    writeDouble(2, 0.1);
    writeBytes(2, TextValue("abc"));
    writeLine(2, TextValue("line"));
    writeNumberLine(2, 0.05);
    writeBytes(2, TextValue());
    closeChannel(2);
    EXPECT_EQ(readText(dir.file("rt.bin")).substr(8), "abcline\r\n5.e-002\r\n");
    ASSERT_EQ(openChannel(2, name("rt.bin"), 1), 1);
    double d;
    readDouble(2, d);
    EXPECT_EQ(d, 0.1);
    TextValue t;
    readString(2, t, 3);
    EXPECT_STREQ(t.c_str(), "abc");
    readLine(2, t);
    EXPECT_STREQ(t.c_str(), "line");
    readNumberLine(2, d);
    EXPECT_EQ(d, 0.05);
    EXPECT_EQ(channelAtEnd(2), 1);
}

TEST_F(Channels, ModeZeroOnAnExistingFileEmptiesItEvenWithoutWrites) {
    writeText(dir.file("old.bin"), "old content");
    ASSERT_EQ(openChannel(0, name("old.bin"), 0), 1);
    closeChannel(0);
    EXPECT_EQ(readText(dir.file("old.bin")), "");
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);  // no temporary left behind
}

TEST_F(Channels, OpeningAgainClosesTheChannelFirst) {
    writeText(dir.file("a.bin"), "A");
    writeText(dir.file("b.bin"), "B");
    ASSERT_EQ(openChannel(3, name("a.bin"), 1), 1);
    ASSERT_EQ(openChannel(3, name("b.bin"), 1), 1);
    double v;
    readByte(3, v);
    EXPECT_EQ(v, 'B');
    // a.bin was released with the channel: it can be opened elsewhere now.
    EXPECT_EQ(openChannel(4, name("a.bin"), 1), 1);
}

TEST_F(Channels, FailedOpensAreResultsNotErrors) {
    EXPECT_EQ(openChannel(0, name("missing.bin"), 1), 0);
    EXPECT_EQ(fileChannelState(0)->handle, -1);
    EXPECT_EQ(openChannel(0, TextValue(dir.path().c_str()), 1), 0);  // a folder
    EXPECT_EQ(openChannel(0, name("no/such/folder.bin"), 0), 0);
    EXPECT_EQ(openChannel(0, TextValue(""), 1), 0);
    std::string longName = dir.path() + "/" + std::string(1100, 'n');
    EXPECT_EQ(openChannel(0, TextValue(longName.c_str()), 0), 0);
    EXPECT_FALSE(pathExists(longName.substr(0, 1023)));
}

TEST_F(Channels, BackslashesAreSeparators) {
    ASSERT_EQ(system(("mkdir -p '" + dir.file("Maps") + "'").c_str()), 0);
    writeText(dir.file("Maps/Map1-1.bin"), "x");
    std::string windowsName = dir.path() + "\\Maps\\Map1-1.bin";
    EXPECT_EQ(openChannel(5, TextValue(windowsName.c_str()), 1), 1);
    EXPECT_EQ(fileExists(TextValue(windowsName.c_str())), 1);
}

TEST_F(Channels, FilesAreNotShared) {
    writeText(dir.file("s.bin"), "shared?");
    ASSERT_EQ(openChannel(0, name("s.bin"), 1), 1);
    EXPECT_EQ(openChannel(1, name("s.bin"), 1), 0);
    EXPECT_EQ(openChannel(1, name("s.bin"), 0), 0);  // nor rewritten under the reader
    EXPECT_EQ(readText(dir.file("s.bin")), "shared?");
    // Another program cannot open it either.
    pid_t child = fork();
    if (child == 0) _exit(openChannel(0, name("s.bin"), 1) == 0 ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    closeChannel(0);
    EXPECT_EQ(openChannel(1, name("s.bin"), 1), 1);
}

TEST_F(Channels, AWriterLocksItsTargetAgainstReaders) {
    writeText(dir.file("t.bin"), "old");
    ASSERT_EQ(openChannel(0, name("t.bin"), 0), 1);
    EXPECT_EQ(openChannel(1, name("t.bin"), 1), 0);
    EXPECT_EQ(openChannel(1, name("t.bin"), 0), 0);
    closeChannel(0);
    EXPECT_EQ(openChannel(1, name("t.bin"), 1), 1);
}

TEST_F(Channels, ChannelNumbersAreTruncatedAfterTheRangeCheck) {
    writeText(dir.file("c.bin"), "7");
    ASSERT_EQ(openChannel(7.5, name("c.bin"), 1), 1);
    double v;
    readByte(7, v);
    EXPECT_EQ(v, '7');
}

TEST_F(Channels, ReadLineSplitsOnLineFeedsAndDropsCarriageReturns) {
    writeText(dir.file("l.txt"), "AB\r\nCD");
    ASSERT_EQ(openChannel(0, name("l.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "AB");
    EXPECT_EQ(fileChannelState(0)->position, 4u);  // up to and including the line feed
    EXPECT_EQ(channelAtEnd(0), 0);
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "CD");
    EXPECT_EQ(channelAtEnd(0), 1);
}

TEST_F(Channels, ReadLineUnixEndsEmptyLinesAndFinalCarriageReturn) {
    writeText(dir.file("u.txt"), "one\n\ntwo\r");
    ASSERT_EQ(openChannel(0, name("u.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "one");
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "");
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "two");  // the end of the file ends the line, its CR goes too
}

TEST_F(Channels, CarriageReturnEndingAStepStaysInTheLine) {
    std::string line(63, 'x');
    writeText(dir.file("cr.txt"), line + "\r\nnext\r\n");
    ASSERT_EQ(openChannel(0, name("cr.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    EXPECT_EQ(std::string(t.c_str()), line + "\r");
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "next");
}

TEST_F(Channels, LongLinesAreCutAt1024Bytes) {
    std::string longLine(1500, 'L');
    writeText(dir.file("long.txt"), longLine + "\nz\n");
    ASSERT_EQ(openChannel(0, name("long.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    EXPECT_EQ(t.length, 1024u);
    readLine(0, t);
    EXPECT_EQ(t.length, 476u);
    readLine(0, t);
    EXPECT_STREQ(t.c_str(), "z");
}

TEST_F(Channels, LastLineOfOtherLengthsIsReadWhole) {
    std::string last(130, 'q');  // not a multiple of 64
    writeText(dir.file("last.txt"), last);
    ASSERT_EQ(openChannel(0, name("last.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    EXPECT_EQ(std::string(t.c_str()), last);
    EXPECT_EQ(channelAtEnd(0), 1);
}

TEST_F(Channels, ReadStringReadsExactlyCountBytes) {
    writeText(dir.file("s.bin"), std::string("ab\0cdef", 7));
    ASSERT_EQ(openChannel(0, name("s.bin"), 1), 1);
    TextValue t("previous");
    readString(99, t, 0);  // no read, no channel check
    EXPECT_EQ(t.length, 0u);
    readString(0, t, 4);
    EXPECT_STREQ(t.c_str(), "ab");  // ends at the first zero byte
    EXPECT_EQ(fileChannelState(0)->position, 4u);
    readString(0, t, 3.9);
    EXPECT_STREQ(t.c_str(), "def");
}

TEST_F(Channels, FileSystemCommands) {
    writeText(dir.file("f.bin"), "12345");
    EXPECT_EQ(fileExists(name("f.bin")), 1);
    EXPECT_EQ(fileSize(name("f.bin")), 5);
    EXPECT_EQ(fileExists(name("nope")), 0);
    EXPECT_EQ(fileSize(name("nope")), 0);
    EXPECT_EQ(fileExists(TextValue(dir.path().c_str())), 0);
    EXPECT_EQ(copyFile(name("f.bin"), name("g.bin")), 1);
    EXPECT_EQ(readText(dir.file("g.bin")), "12345");
    EXPECT_EQ(copyFile(name("nope"), name("h.bin")), 0);
    EXPECT_FALSE(pathExists(dir.file("h.bin")));
    EXPECT_EQ(deleteFile(name("f.bin")), 1);
    EXPECT_EQ(deleteFile(name("f.bin")), 0);
    EXPECT_EQ(fileExists(name("f.bin")), 0);
}

// A FIFO has no writer here, so any open that waits for one would hang: the alarm turns that
// into a failure instead of a stuck test.
TEST_F(ChannelsDeathTest, AFifoInPlaceOfAFileFailsAtOnce) {
    std::string fifo = dir.file("Data.bin");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto openEverything = [&] {
        alarm(10);
        writeText(dir.file("real.bin"), "real");
        int failures = 0;
        if (openChannel(0, name("Data.bin"), 1) != 0) failures |= 1;
        if (openChannel(0, name("Data.bin"), 0) != 0) failures |= 2;
        if (fileExists(name("Data.bin")) != 0 || fileSize(name("Data.bin")) != 0) failures |= 4;
        if (copyFile(name("Data.bin"), name("copy.bin")) != 0) failures |= 8;
        if (copyFile(name("real.bin"), name("Data.bin")) != 0) failures |= 16;
        std::string path;
        if (resolveMediaFile(fifo.c_str(), path)) failures |= 32;  // as a loose media file
        setMediaArchives(fifo.c_str(), "");
        if (resolveMediaFile("Tiles1.png", path)) failures |= 64;  // as the archive
        std::fprintf(stderr, "failures=%d\n", failures);
        std::exit(failures == 0 ? 0 : 1);
    };
    EXPECT_EXIT(openEverything(), ExitedWithCode(0), "failures=0");
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(Channels, WorkingDirectoryEndsWithASlash) {
    TextValue before = getCurrentDir();
    ASSERT_GT(before.length, 0u);
    EXPECT_EQ(before.c_str()[before.length - 1], '/');
    ASSERT_EQ(setCurrentDir(TextValue(dir.path().c_str())), 1);
    TextValue inside = getCurrentDir();
    EXPECT_EQ(std::string(inside.c_str()), dir.path() + "/");
    EXPECT_EQ(setCurrentDir(TextValue("/")), 1);
    EXPECT_STREQ(getCurrentDir().c_str(), "/");
    EXPECT_EQ(setCurrentDir(name("missing")), 0);
    EXPECT_STREQ(getCurrentDir().c_str(), "/");
    setCurrentDir(before);
}

TEST(SlashesToForward, ChangesInPlace) {
    TextValue t("a\\b\\c/d");
    EXPECT_EQ(slashesToForward(t), 7);
    EXPECT_STREQ(t.c_str(), "a/b/c/d");
}

// ---- runtime errors ------------------------------------------------------------------------

TEST_F(ChannelsDeathTest, FourthByteOfAThreeByteFileStopsWithCode3) {
    writeText(dir.file("three.bin"), "abc");
    ASSERT_EQ(openChannel(0, name("three.bin"), 1), 1);
    double v;
    EXPECT_EQ(channelAtEnd(0), 0);
    for (int i = 0; i < 3; ++i) readByte(0, v);
    EXPECT_EQ(channelAtEnd(0), 1);
    EXPECT_EXIT(readByte(0, v), ExitedWithCode(3),
                "runtime error 3 .*three.bin: the file ends before");
}

// The message of a failed transfer says which file and why, so a player can act on it.
TEST_F(ChannelsDeathTest, AFailedOpenIsNamedWithTheSystemsReason) {
    double v;
    EXPECT_EQ(openChannel(1, name("gone.bin"), 1), 0);
    EXPECT_EXIT(readByte(1, v), ExitedWithCode(3), "gone.bin: No such file or directory");
    EXPECT_EQ(openChannel(1, name("no-folder/x.bin"), 0), 0);
    EXPECT_EXIT(writeByte(1, 1), ExitedWithCode(3), "no-folder/x.bin: No such file or directory");
}

TEST_F(ChannelsDeathTest, ReadLineAtTheEndStopsWithCode3) {
    writeText(dir.file("l.txt"), "AB\r\nCD");
    ASSERT_EQ(openChannel(0, name("l.txt"), 1), 1);
    TextValue t;
    readLine(0, t);
    readLine(0, t);
    EXPECT_EXIT(readLine(0, t), ExitedWithCode(3), "runtime error 3");
}

TEST_F(ChannelsDeathTest, LastLineOfExactlySixtyFourBytesIsNotReturned) {
    writeText(dir.file("64.txt"), std::string(64, 'q'));
    ASSERT_EQ(openChannel(0, name("64.txt"), 1), 1);
    TextValue t;
    EXPECT_EXIT(readLine(0, t), ExitedWithCode(3), "");
}

TEST_F(ChannelsDeathTest, TransfersOnClosedChannelsStopWithCode3) {
    double v;
    TextValue t;
    EXPECT_EXIT(readByte(2, v), ExitedWithCode(3), "");
    EXPECT_EXIT(writeLong(2, 1), ExitedWithCode(3), "");
    EXPECT_EXIT(writeBytes(2, TextValue()), ExitedWithCode(3), "");
    EXPECT_EXIT(readLine(2, t), ExitedWithCode(3), "");
    EXPECT_EXIT(readString(2, t, 1), ExitedWithCode(3), "");
}

TEST_F(ChannelsDeathTest, WritingOnAReadingChannelStopsWithCode3) {
    writeText(dir.file("r.bin"), "r");
    ASSERT_EQ(openChannel(0, name("r.bin"), 1), 1);
    EXPECT_EXIT(writeByte(0, 1), ExitedWithCode(3), "");
    EXPECT_EQ(readText(dir.file("r.bin")), "r");
}

TEST_F(ChannelsDeathTest, ShortReadStringStopsWithCode3) {
    writeText(dir.file("s.bin"), "ab");
    ASSERT_EQ(openChannel(0, name("s.bin"), 1), 1);
    TextValue t;
    EXPECT_EXIT(readString(0, t, 3), ExitedWithCode(3), "");
    EXPECT_EXIT(readString(0, t, 1e12), ExitedWithCode(3), "");
}

TEST_F(ChannelsDeathTest, ChannelNumbersOutsideTheTableStopWithCode7) {
    double v;
    EXPECT_EXIT(openChannel(8, name("x"), 1), ExitedWithCode(7), "runtime error 7");
    EXPECT_EXIT(openChannel(-0.5, name("x"), 1), ExitedWithCode(7), "");
    EXPECT_EXIT(readByte(8, v), ExitedWithCode(7), "");
    EXPECT_EXIT(writeByte(-1, 0), ExitedWithCode(7), "");
    EXPECT_EXIT(closeChannel(100), ExitedWithCode(7), "");
}

// Relative names: read from the player folder when the file is there, else from the data folder;
// always written into the player folder, whose Maps/ is made on the way.
TEST_F(Channels, RelativeNamesResolveInThePlayerAndDataFolders) {
    const std::string player = dir.file("player/"), data = dir.file("data/");
    ASSERT_EQ(mkdir(player.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(data.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((data + "Maps").c_str(), 0700), 0);
    writeText(data + "Maps/Data.bin", "D");
    struct Reset {
        ~Reset() {
            setPlayerFolder("");
            setDataFolder("");
        }
    } reset;
    setPlayerFolder(player);
    setDataFolder(data);
    double v = 0;
    ASSERT_EQ(openChannel(1, TextValue("./Maps/Data.bin"), 1), 1);
    readByte(1, v);
    closeChannel(1);
    EXPECT_EQ(v, 'D');  // only the default exists

    ASSERT_EQ(openChannel(1, TextValue("Maps\\Data.bin"), 0), 1);
    writeByte(1, 'P');
    closeChannel(1);
    EXPECT_EQ(readText(player + "Maps/Data.bin"), "P");
    EXPECT_EQ(readText(data + "Maps/Data.bin"), "D");  // the data folder is never written
    ASSERT_EQ(openChannel(1, TextValue("./Maps/Data.bin"), 1), 1);
    readByte(1, v);
    closeChannel(1);
    EXPECT_EQ(v, 'P');  // the player's own file hides the default

    EXPECT_EQ(deleteFile(TextValue("Maps/Data.bin")), 1);
    EXPECT_EQ(deleteFile(TextValue("Maps/Data.bin")), 0);  // the default stays
    EXPECT_EQ(fileSize(TextValue("Maps/Data.bin")), 1);
}

}  // namespace
