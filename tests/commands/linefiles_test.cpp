// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Line-numbered data files: loading, entry rules, trimming, error codes, and write-back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/linefiles.h"
#include "runtime/archive.h"
#include "runtime/lifecycle.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"
#include "tools/kqlpack/kql_format.h"

namespace {

std::string readAll(const std::string& path) {
    return pathExists(path) ? readText(path) : "<missing>";
}

size_t filesIn(const std::string& folder) {
    std::string cmd = "ls -A '" + folder + "' | wc -l";
    FILE* p = ::popen(cmd.c_str(), "r");
    size_t n = 0;
    if (p) {
        if (std::fscanf(p, "%zu", &n) != 1) n = 0;
        ::pclose(p);
    }
    return n;
}

class LineFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = folder_.path();
        ASSERT_NE(nullptr, ::getcwd(oldCwd_, sizeof oldCwd_));
        ASSERT_EQ(0, ::chdir(root_.c_str()));
        ASSERT_EQ(0, ::mkdir("tmp", 0700));
        ::setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
        setMediaArchives("Media.kql", "");  // no archive here: names are plain files
        flushLineFile();
        runtimeState.errorCode = 0;
    }
    void TearDown() override {
        flushLineFile();
        releaseMediaArchives();
        if (::chdir(oldCwd_) != 0) ADD_FAILURE();
    }
    std::string get(const char* file, double line) {
        TextValue out;
        lineFileGetText(TextValue(file), line, out);
        return textCString(out);
    }
    TestFolder folder_{"tovrik-linefiles-test"};
    std::string root_;
    char oldCwd_[4096] = {};
};

TEST_F(LineFiles, WritingEntryFiveThenNamingAnotherFileWritesSixLines) {
    lineFileSetText("a.txt", 5, "five");
    EXPECT_EQ("<missing>", readAll("a.txt"));  // nothing written while a.txt is held
    EXPECT_EQ("NO_FILE", get("b.txt", 2));
    EXPECT_EQ("\r\n\r\n\r\n\r\n\r\nfive\r\n", readAll("a.txt"));
    // Read back: lines 0..4 are empty entries, 5 holds the text, 6 is past the end.
    EXPECT_EQ("NO_DATA", get("a.txt", 0));
    EXPECT_EQ("NO_DATA", get("a.txt", 4));
    EXPECT_EQ("five", get("a.txt", 5));
    EXPECT_EQ("NO_DATA", get("a.txt", 6));
    EXPECT_EQ(5, lineFileCache().lastLine);
}

TEST_F(LineFiles, ReadsBothLineEndsAndALastLineWithoutOne) {
    writeText("two.txt", "first\nsecond\r\n");
    EXPECT_EQ("first", get("two.txt", 0));
    EXPECT_EQ("second", get("two.txt", 1));
    EXPECT_EQ("NO_DATA", get("two.txt", 3));
    EXPECT_EQ(1, lineFileCache().lastLine);
    writeText("open.txt", "x\r\nlast");
    EXPECT_EQ("last", get("open.txt", 1));
    writeText("empty.txt", "");
    EXPECT_EQ("NO_DATA", get("empty.txt", 0));
    EXPECT_EQ(0, runtimeState.errorCode);  // an empty file is a file
}

TEST_F(LineFiles, MissingFileGivesNoFileOnceThenNoData) {
    EXPECT_EQ("NO_FILE", get("missing.txt", 0));
    EXPECT_EQ(3, runtimeState.errorCode);
    runtimeState.errorCode = 0;
    EXPECT_EQ("NO_DATA", get("missing.txt", 0));  // still selected, now empty
    EXPECT_EQ("NO_DATA", get("missing.txt", 7));
    EXPECT_EQ(0, runtimeState.errorCode);
    EXPECT_STREQ("missing.txt", lineFileCache().fileName);
    // Nothing was stored, so nothing is created when another file is named.
    flushLineFile();
    EXPECT_EQ("<missing>", readAll("missing.txt"));
}

TEST_F(LineFiles, TrailingControlsAndHighBytesAreTrimmed) {
    lineFileSetText("t.txt", 0, "tab\t");
    lineFileSetText("t.txt", 1, "tab\t ");
    lineFileSetText("t.txt", 2, "high\xC8");  // character 200
    lineFileSetText("t.txt", 3,
                    "mid\x01"
                    "dle\x7F");  // 127 is not below 32 as a signed byte
    lineFileSetText("t.txt", 4, "\t\x80\xFF");
    EXPECT_EQ("tab", get("t.txt", 0));
    EXPECT_EQ("tab\t ", get("t.txt", 1));  // trimming stops at the space
    EXPECT_EQ("high", get("t.txt", 2));
    EXPECT_EQ(
        "mid\x01"
        "dle\x7F",
        get("t.txt", 3));
    EXPECT_EQ("NO_DATA", get("t.txt", 4));
}

TEST_F(LineFiles, NumbersInAndOut) {
    lineFileSetText("n.txt", 0, "12.5");
    lineFileSetNumber("n.txt", 1, 0.05);
    lineFileSetNumber("n.txt", 2, 3);
    double x = -1;
    lineFileGetNumber("n.txt", 0, x);
    EXPECT_EQ(12.5, x);
    lineFileGetNumber("n.txt", 9, x);
    EXPECT_EQ(0, x);                        // "NO_DATA"
    EXPECT_EQ("5.e-002", get("n.txt", 1));  // the number-to-text rule
    EXPECT_EQ("3", get("n.txt", 2));
    lineFileGetNumber("nofile.txt", 0, x);
    EXPECT_EQ(0, x);  // "NO_FILE"
}

TEST_F(LineFiles, EntryNumbersOutsideTheStoreRecordCodeSeven) {
    EXPECT_EQ("NO_DATA", get("r.txt", 256));
    EXPECT_EQ(7, runtimeState.errorCode);
    EXPECT_STREQ("", lineFileCache().fileName);  // the file was not even selected
    runtimeState.errorCode = 0;
    EXPECT_EQ("NO_DATA", get("r.txt", -1));
    EXPECT_EQ(7, runtimeState.errorCode);
    runtimeState.errorCode = 0;
    lineFileSetText("r.txt", 300, "x");
    EXPECT_EQ(7, runtimeState.errorCode);
    EXPECT_EQ(0, lineFileCache().dirty);
    lineFileSetText("r.txt", 255.9, "top");    // truncated to 255
    lineFileSetText("r.txt", -0.5, "bottom");  // truncated to 0
    EXPECT_EQ("top", get("r.txt", 255));
    EXPECT_EQ("bottom", get("r.txt", 0));
    EXPECT_EQ(255, lineFileCache().lastLine);
    lineFileSetText("r.txt", NAN, "x");
    EXPECT_EQ(7, runtimeState.errorCode);
}

TEST_F(LineFiles, LongTextsAreCutTo1023Characters) {
    const std::string longText(2000, 'L');
    lineFileSetText("long.txt", 1, TextValue(longText.c_str()));
    EXPECT_EQ(std::string(1023, 'L'), get("long.txt", 1));
    EXPECT_EQ(0, lineFileCache().lines[1][1023]);
    EXPECT_EQ(0, lineFileCache().lines[2][0]);  // the neighbour entry is untouched
    flushLineFile();
    EXPECT_EQ("\r\n" + std::string(1023, 'L') + "\r\n", readAll("long.txt"));

    // An overlong line in a file keeps its first 1023 characters; the next line stays line 1.
    writeText("over.txt",
              std::string(1500, 'o') + "\r\nnext\r\n" + std::string(1023, 'e') + "\r\nend\n");
    EXPECT_EQ(std::string(1023, 'o'), get("over.txt", 0));
    EXPECT_EQ("next", get("over.txt", 1));
    EXPECT_EQ(std::string(1023, 'e'),
              get("over.txt", 2));  // exactly 1023: the "\r" is still removed
    EXPECT_EQ("end", get("over.txt", 3));
}

TEST_F(LineFiles, OnlyTheFirst256LinesAreEntriesTheRestIsKept) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line" + std::to_string(i) + "\n";
    writeText("many.txt", text);
    EXPECT_EQ("line255", get("many.txt", 255));
    EXPECT_EQ(255, lineFileCache().lastLine);

    // Writing an entry back keeps the lines past the 256th, byte for byte.
    lineFileSetText("many.txt", 3, "three");
    flushLineFile();
    std::string expected;
    for (int i = 0; i < 256; ++i)
        expected += (i == 3 ? std::string("three") : "line" + std::to_string(i)) + "\r\n";
    for (int i = 256; i < 300; ++i) expected += "line" + std::to_string(i) + "\n";
    EXPECT_EQ(expected, readAll("many.txt"));
}

TEST_F(LineFiles, NamesAreComparedExactly) {
    lineFileSetText("Case.txt", 0, "upper");
    lineFileSetText("case.txt", 0, "lower");  // another name: Case.txt is written back first
    EXPECT_EQ("upper\r\n", readAll("Case.txt"));
    flushLineFile();
    EXPECT_EQ("lower\r\n", readAll("case.txt"));
    EXPECT_STREQ("", lineFileCache().fileName);
}

TEST_F(LineFiles, AlternatingFilesKeepsBothUpToDate) {
    for (int i = 0; i < 3; ++i) {
        lineFileSetNumber("one.txt", i, i);
        lineFileSetNumber("two.txt", i, 10 + i);
    }
    flushLineFile();
    EXPECT_EQ("0\r\n1\r\n2\r\n", readAll("one.txt"));
    EXPECT_EQ("10\r\n11\r\n12\r\n", readAll("two.txt"));
}

TEST_F(LineFiles, BackslashNamesReachTheSameFile) {
    ASSERT_EQ(0, ::mkdir("cfg", 0755));
    lineFileSetText("cfg\\opts.txt", 0, "on");
    flushLineFile();
    EXPECT_EQ("on\r\n", readAll("cfg/opts.txt"));
    EXPECT_EQ("on", get("cfg/opts.txt", 0));
}

TEST_F(LineFiles, LoadsThroughTheMediaArchive) {
    std::vector<uint8_t> archive;
    std::string error;
    const std::string content = "packed\r\nvalue\r\n";
    ASSERT_TRUE(
        kql::buildArchive({{"Settings.txt", std::vector<uint8_t>(content.begin(), content.end())}},
                          kql::OffsetStyle::Positive, archive, error));
    FILE* f = std::fopen("Media.kql", "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(archive.data(), 1, archive.size(), f);
    std::fclose(f);
    setMediaArchives("Media.kql", "");
    EXPECT_EQ("value", get("Media/Settings.txt", 1));
    // Changes are written to the name itself, not into the archive or its extracted copy.
    lineFileSetText("Media/Settings.txt", 2, "added");
    ASSERT_EQ(0, ::mkdir("Media", 0755));
    flushLineFile();
    EXPECT_EQ("packed\r\nvalue\r\nadded\r\n", readAll("Media/Settings.txt"));
}

TEST_F(LineFiles, FailedWriteBackKeepsTheOldFile) {
    writeText("keep.txt", "old\r\n");
    lineFileSetText("keep.txt", 0, std::string(600, 'n').c_str());
    lineFileSetText("keep.txt", 1, std::string(600, 'm').c_str());
    // Files may not grow past 100 bytes now: the write-back fails part-way.
    struct rlimit old;
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old));
    struct rlimit small = old;
    small.rlim_cur = 100;
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    flushLineFile();
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &old));
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ("old\r\n", readAll("keep.txt"));
    EXPECT_EQ(2u, filesIn("."));  // keep.txt and tmp/: no temporary file left behind
    EXPECT_STREQ("", lineFileCache().fileName);

    // A name that is a folder cannot be replaced; the folder stays.
    ASSERT_EQ(0, ::mkdir("folder", 0755));
    lineFileSetText("folder", 0, "x");
    flushLineFile();
    struct stat st;
    ASSERT_EQ(0, ::stat("folder", &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(3u, filesIn("."));
}

TEST_F(LineFiles, WriteBackKeepsTheFilePermissions) {
    writeText("perm.txt", "a\r\n");
    ASSERT_EQ(0, ::chmod("perm.txt", 0640));
    lineFileSetText("perm.txt", 0, "b");
    flushLineFile();
    struct stat st;
    ASSERT_EQ(0, ::stat("perm.txt", &st));
    EXPECT_EQ(0640u, st.st_mode & 0777u);
    EXPECT_EQ("b\r\n", readAll("perm.txt"));
}

TEST_F(LineFiles, ProgramEndWritesPendingChanges) {
    // The runtime's exit clean-up runs the write-back when the program ends.
    EXPECT_EXIT(
        {
            lineFileSetText("end.txt", 1, "saved");
            endProgram();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("\r\nsaved\r\n", readAll("end.txt"));
}

}  // namespace
