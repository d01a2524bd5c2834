// Writing channels replace their file only when closed: a killed, failed or aborted write
// leaves the previous file byte for byte.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "runtime/files.h"
#include "runtime/lifecycle.h"
#include "tests/runtime/file_helpers.h"
#include "tests/support/temp_folder.h"

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
        writeBytesToFile(target, oldProfile());
    }
    void TearDown() override {
        for (int c = 0; c < kFileChannelCount; ++c) closeChannel(c);
    }
    TempFolder dir;
    std::string target;
};
using AtomicWritesDeathTest = AtomicWrites;

TEST_F(AtomicWrites, OldFileStaysUntilCloseThenNewContentExactly) {
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    for (int i = 0; i < 100; ++i) writeLong(0, i);
    EXPECT_EQ(readFileBytes(target), oldProfile());
    closeChannel(0);
    std::string written = readFileBytes(target);
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
    EXPECT_EQ(readFileBytes(target), oldProfile());

    // The next save finds and removes the killed writer's temporary file.
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    writeByte(0, 1);
    closeChannel(0);
    EXPECT_EQ(readFileBytes(target), std::string(1, '\x01'));
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
    };
    EXPECT_EXIT(fillBeyondLimit(), ExitedWithCode(3), "runtime error 3");
    EXPECT_EQ(readFileBytes(target), oldProfile());
    EXPECT_EQ(listFolder(dir.path()).size(), 1u);
}

TEST_F(AtomicWritesDeathTest, AnotherRuntimeErrorDuringASaveKeepsTheOldFile) {
    auto failMidSave = [this] {
        openChannel(0, TextValue(target.c_str()), 0);
        writeLong(0, 123);
        runtimeError(kErrorIndex);
    };
    EXPECT_EXIT(failMidSave(), ExitedWithCode(9), "");
    EXPECT_EQ(readFileBytes(target), oldProfile());
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
    EXPECT_EQ(readFileBytes(target), "abcd");
}

TEST_F(AtomicWrites, ReplacedFileKeepsItsPermissions) {
    chmod(target.c_str(), 0640);
    ASSERT_EQ(openChannel(0, TextValue(target.c_str()), 0), 1);
    closeChannel(0);
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
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
    EXPECT_EQ(readFileBytes(target), "n");
}

}  // namespace
