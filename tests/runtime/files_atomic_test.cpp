// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Writing channels replace their file only when closed: a killed, failed or aborted write
// leaves the previous file byte for byte.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "runtime/files.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

namespace {

using ::testing::ExitedWithCode;

// A profile-like file: every byte value, so any damage shows.
std::string oldProfile() {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>(i * 7 + 3));
    return bytes;
}

class AtomicWrites : public ::testing::Test {
  protected:
    void SetUp() override {
        target = dir.file("Player.bin");
        writeText(target, oldProfile());
    }
    void TearDown() override {
        for (int c = 0; c < kFileChannelCount; ++c) closeChannel(c);
    }
    TestFolder dir;
    std::string target;
};
using AtomicWritesDeathTest = AtomicWrites;

TEST_F(AtomicWrites, OldFileStaysUntilCloseThenNewContentExactly) {
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    for (int i = 0; i < 100; ++i) writeLong(0, i);
    EXPECT_EQ(readText(target), oldProfile());
    closeChannel(0);
    std::string written = readText(target);
    ASSERT_EQ(written.size(), 400u);
    EXPECT_EQ(static_cast<unsigned char>(written[4 * 99]), 99);
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);
}

TEST_F(AtomicWrites, KillingTheWriterMidwayLeavesTheOldFile) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        if (openChannel(0, TextValue(target.c_str()), 0) != 1) _exit(2);
        for (int i = 0; i < 3000; ++i) writeByte(0, 0xEE);  // a partial save
        char go = 1;
        if (write(ready[1], &go, 1) != 1) _exit(3);
        for (;;) pause();  // killed in the middle of the save
    }
    close(ready[1]);
    char got = 0;
    ASSERT_EQ(read(ready[0], &got, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readText(target), oldProfile());

    // The next save finds and removes the killed writer's temporary file.
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    writeByte(0, 1);
    closeChannel(0);
    EXPECT_EQ(readText(target), std::string(1, '\x01'));
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"Player.bin"});
}

TEST_F(AtomicWritesDeathTest, AFailedWriteStopsWithCode3AndKeepsTheOldFile) {
    // A file-size limit makes the disk refuse bytes the way a full disk does.
    auto fillBeyondLimit = [this] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        openChannel(0, TextValue(target.c_str()), 0);
        for (int i = 0; i < 2000; ++i) writeByte(0, 0);
        closeChannel(0);  // the buffered bytes reach the disk here at the latest
    };
    EXPECT_EXIT(fillBeyondLimit(), ExitedWithCode(3), "runtime error 3");
    EXPECT_EQ(readText(target), oldProfile());
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);
}

TEST_F(AtomicWritesDeathTest, AnotherRuntimeErrorDuringASaveKeepsTheOldFile) {
    auto failMidSave = [this] {
        openChannel(0, TextValue(target.c_str()), 0);
        writeLong(0, 123);
        runtimeError(kErrorIndex);
    };
    EXPECT_EXIT(failMidSave(), ExitedWithCode(9), "");
    EXPECT_EQ(readText(target), oldProfile());
}

TEST_F(AtomicWritesDeathTest, AFailedFirstSaveLeavesNoFileBehind) {
    std::string fresh = dir.file("Data.bin");
    auto failMidSave = [&fresh] {
        openChannel(0, TextValue(fresh.c_str()), 0);
        writeLong(0, 123);
        runtimeError(kErrorIndex);
    };
    EXPECT_EXIT(failMidSave(), ExitedWithCode(9), "");
    EXPECT_FALSE(pathExists(fresh));
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"Player.bin"});
}

TEST_F(AtomicWritesDeathTest, ANormalEndCompletesAnOpenSave) {
    auto endMidSave = [this] {
        openChannel(0, TextValue(target.c_str()), 0);
        writeLong(0, 0x64636261);
        endProgram();
    };
    EXPECT_EXIT(endMidSave(), ExitedWithCode(0), "");
    EXPECT_EQ(readText(target), "abcd");
}

TEST_F(AtomicWrites, ReplacedFileKeepsItsPermissions) {
    chmod(target.c_str(), 0640);
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    closeChannel(0);
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The rename that replaces a file needs only the folder's permission, so the file's own is asked
// first. Root may write any file, so as root the check runs in a child that becomes "nobody" and
// owns the folder: the child can read the save and create files beside it (a bare rename would
// succeed), and still the save is neither opened for writing nor replaced by a copy.
TEST_F(AtomicWrites, AWriteProtectedSaveIsNotReplaced) {
    writeText(dir.file("new.bin"), "new content");
    chmod(target.c_str(), 0444);
    const uid_t nobody = 65534;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(dir.path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(target.c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(dir.file("new.bin").c_str(), nobody, nobody), 0);
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(77);
        if (access(target.c_str(), R_OK) != 0 || access(target.c_str(), W_OK) == 0) _exit(78);
        std::string probe = dir.file("probe");
        if (!replaceFile(probe, "x", 1) || rename(probe.c_str(), dir.file("probe2").c_str()) != 0)
            _exit(79);  // the folder takes new files and renames
        unlink(dir.file("probe2").c_str());
        int failures = 0;
        if (openChannel(0, TextValue(target.c_str()), 0) != 0) failures |= 1;
        if (copyFile(TextValue(dir.file("new.bin").c_str()), TextValue(target.c_str())) != 0)
            failures |= 2;
        if (replaceFile(target, "y", 1)) failures |= 4;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become an unprivileged user here";
    ASSERT_NE(WEXITSTATUS(status), 78) << "the save is not read-only for the test user";
    ASSERT_NE(WEXITSTATUS(status), 79) << "the test folder does not take new files";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "bit 1: opened for writing, 2: copied over, 4: replaced";
    EXPECT_EQ(readText(target), oldProfile());
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);  // no side file left behind
}

TEST_F(AtomicWrites, NewFilesGetTheUsualPermissions) {
    mode_t mask = umask(022);
    std::string fresh = dir.file("Data.bin");
    ASSERT_EQ(openChannel(0, TextValue(fresh.c_str()), 0), 1);
    closeChannel(0);
    umask(mask);
    struct stat st;
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(AtomicWrites, WritingThroughASymbolicLinkReplacesTheLinkedFile) {
    std::string link = dir.file("link.bin");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(openChannel(0, TextValue(link.c_str()), 0), 1);
    writeByte(0, 'n');
    closeChannel(0);
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readText(target), "n");
}

// A relative name lands in the player folder and nowhere else: a link planted there in place of a
// folder on the way or of the file itself makes the open fail, and a write tried anyway names the
// file and the reason.
TEST_F(AtomicWrites, ARelativeNameNeverWritesThroughALinkPlantedInThePlayerFolder) {
    TestFolder outside;
    writeText(outside.file("Data.bin"), "kept");
    ASSERT_EQ(symlink(outside.path().c_str(), dir.file("Maps").c_str()), 0);
    ASSERT_EQ(symlink(outside.file("Data.bin").c_str(), dir.file("Data.bin").c_str()), 0);
    setPlayerFolder(dir.path());
    EXPECT_EQ(openChannel(0, TextValue("Maps/Data.bin"), 0), 0);
    EXPECT_EQ(openChannel(1, TextValue("./Data.bin"), 0), 0);
    EXPECT_EQ(fileChannelState(1)->openError, ELOOP);
    EXPECT_EQ(openChannel(2, TextValue("Player.bin"), 0), 1);  // a plain file is written as ever
    setPlayerFolder("");
    EXPECT_EQ(readText(outside.file("Data.bin")), "kept");
    EXPECT_EQ(listFolder(outside.path()).size(), 1u);
}

}  // namespace
