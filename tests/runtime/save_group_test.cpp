// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A two-file table saved as one group: after a kill at any flush or rename, and after a full
// disk, the next start finds both files old or both new.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/support/files.h"
#include "tests/support/test_folder.h"

#ifndef SAVE_GROUP_WRITER
#error "SAVE_GROUP_WRITER must name the writer program"
#endif

namespace {

const std::string kOldData(3200, 'o'), kOldNames(6400, 'o');
const std::string kNewData(3200, 'n'), kNewNames(6400, 'n');
constexpr char kNewByte[] = "110";  // 'n'

int exitStatus(const std::string& command) {
    int status = std::system(command.c_str());
    if (status == -1) return -1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string writer(const TestFolder& dir, const std::string& arguments) {
    return std::string(SAVE_GROUP_WRITER) + " '" + dir.path() + "' " + arguments;
}

struct Table {
    std::string data, names;
    bool old() const { return data == kOldData && names == kOldNames; }
    bool fresh() const { return data == kNewData && names == kNewNames; }
};

Table tableIn(const TestFolder& dir) {
    return {readText(dir.file("Data.bin")), readText(dir.file("Name.bin"))};
}

void writeOldTable(const TestFolder& dir) {
    writeText(dir.file("Data.bin"), kOldData);
    writeText(dir.file("Name.bin"), kOldNames);
}

TEST(SaveGroup, AKillAtAnyFlushOrRenameLeavesOneWholeTableAfterTheNextStart) {
    if (exitStatus("strace -o /dev/null true 2>/dev/null") != 0)
        GTEST_SKIP() << "strace cannot trace here; the kill points cannot be injected";
    int kills = 0, keptOld = 0, finishedNew = 0;
    for (const char* call : {"fsync", "rename"}) {
        for (int when = 1;; ++when) {
            TestFolder dir;
            writeOldTable(dir);
            std::string inject =
                std::string("inject=") + call + ":signal=KILL:when=" + std::to_string(when);
            int status = exitStatus(std::string("exec strace -f -qq -o /dev/null -e trace=") +
                                    call + " -e " + inject + " " + writer(dir, kNewByte));
            if (status == 0) {  // past the last such call: the save went through
                EXPECT_TRUE(tableIn(dir).fresh());
                EXPECT_FALSE(pathExists(dir.file(".tovrik-journal")));
                break;
            }
            ASSERT_EQ(status, 128 + SIGKILL) << call << " " << when;
            ++kills;
            // Until the next start the files may differ only while a journal says how to finish.
            Table killed = tableIn(dir);
            SCOPED_TRACE(std::string(call) + " number " + std::to_string(when));
            EXPECT_TRUE(killed.old() || killed.fresh() || pathExists(dir.file(".tovrik-journal")));

            ASSERT_EQ(exitStatus(writer(dir, "--start")), 0);
            Table started = tableIn(dir);
            EXPECT_TRUE(started.old() || started.fresh());
            EXPECT_FALSE(pathExists(dir.file(".tovrik-journal")));
            keptOld += started.old();
            finishedNew += started.fresh();
        }
    }
    // Two side files, the journal, three folder flushes and three renames were each interrupted.
    EXPECT_GE(kills, 10);
    EXPECT_GT(keptOld, 0);      // killed before the journal: the old table
    EXPECT_GT(finishedNew, 0);  // killed after it: the start finished the new table
}

TEST(SaveGroup, ADiskThatFillsUpBetweenTheTwoFilesKeepsTheOldTable) {
    TestFolder dir;
    writeOldTable(dir);
    // Room for the scores (3200 bytes) but not for the names (6400 bytes).
    EXPECT_EQ(exitStatus(writer(dir, std::string(kNewByte) + " 5000 2>/dev/null")), 3);
    EXPECT_TRUE(tableIn(dir).old());
    EXPECT_FALSE(pathExists(dir.file(".tovrik-journal")));
}

}  // namespace
