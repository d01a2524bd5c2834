// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A two-file table saved as one group: after a kill at any flush or rename (even with the folder
// moved or copied before the next start), after a full disk and after a failed journal, the next
// start finds both files old or both new; a planted journal touches nothing outside the folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "runtime/checksum.h"
#include "runtime/save_journal.h"
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

bool straceWorks() { return exitStatus("strace -o /dev/null true 2>/dev/null") == 0; }

struct Table {
    std::string data, names;
    bool old() const { return data == kOldData && names == kOldNames; }
    bool fresh() const { return data == kNewData && names == kNewNames; }
};

Table tableIn(const std::string& folder) {
    return {readText(folder + "/Maps/Data.bin"), readText(folder + "/Maps/Name.bin")};
}
Table tableIn(const TestFolder& dir) { return tableIn(dir.path()); }

void writeOldTable(const std::string& folder) {
    mkdir((folder + "/Maps").c_str(), 0777);
    writeText(folder + "/Maps/Data.bin", kOldData);
    writeText(folder + "/Maps/Name.bin", kOldNames);
}
void writeOldTable(const TestFolder& dir) { writeOldTable(dir.path()); }

std::string writer(const std::string& folder, const std::string& arguments) {
    return std::string(SAVE_GROUP_WRITER) + " '" + folder + "' " + arguments;
}

// Side files a killed writer left (the journal's own too): none may outlive a start.
bool sideFilesIn(const std::string& folder) {
    for (const std::string& sub : {std::string("/Maps"), std::string()})
        for (const std::string& name : listFolder(folder + sub))
            if (name.find(".tovrik-") != std::string::npos && name != ".tovrik-journal")
                return true;
    return false;
}

TEST(SaveGroup, AKillAtAnyFlushOrRenameLeavesOneWholeTableAfterTheNextStart) {
    if (!straceWorks())
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

            ASSERT_EQ(exitStatus(writer(dir, "--start 2>/dev/null")), 0);
            Table started = tableIn(dir);
            EXPECT_TRUE(started.old() || started.fresh());
            EXPECT_FALSE(pathExists(dir.file(".tovrik-journal")));
            EXPECT_FALSE(sideFilesIn(dir.path()));
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

// The journal names its files relative to the folder and the start finds them there, so a folder
// moved or copied (cp -a, a backup) after a kill between the scores' and the names' renames still
// gives one whole table, and the copy never reaches back into the original.
TEST(SaveGroup, AKillBetweenTheRenamesThenAMovedOrCopiedFolderGivesAWholeTable) {
    if (!straceWorks()) GTEST_SKIP() << "strace cannot trace here; the kill cannot be injected";
    TestFolder root;
    const std::string first = root.file("first"), moved = root.file("moved"),
                      copy = root.file("copy");
    mkdir(first.c_str(), 0700);
    writeOldTable(first);
    // The renames: the journal's own, the scores', the names'. Killed before the third.
    ASSERT_EQ(exitStatus("exec strace -f -qq -o /dev/null -e trace=rename -e "
                         "inject=rename:signal=KILL:when=3 " +
                         writer(first, kNewByte)),
              128 + SIGKILL);
    ASSERT_EQ(readText(first + "/Maps/Data.bin"), kNewData);
    ASSERT_EQ(readText(first + "/Maps/Name.bin"), kOldNames);
    ASSERT_EQ(
        exitStatus("cp -a '" + first + "' '" + copy + "' && mv '" + first + "' '" + moved + "'"),
        0);
    ASSERT_EQ(exitStatus(writer(copy, "--start 2>/dev/null")), 0);
    EXPECT_TRUE(tableIn(moved).data == kNewData && tableIn(moved).names == kOldNames)
        << "the copy's start reached into the original folder";
    ASSERT_EQ(exitStatus(writer(moved, "--start 2>/dev/null")), 0);
    for (const std::string& folder : {moved, copy}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(tableIn(folder).fresh());
        EXPECT_FALSE(pathExists(folder + "/.tovrik-journal"));
        EXPECT_FALSE(sideFilesIn(folder));
    }
}

// A journal planted with a good checksum that aims at another folder (by "..", by an absolute
// name, through a link to a folder, or itself a link to a journal elsewhere) replaces nothing.
TEST(SaveGroup, APlantedJournalChangesNothingOutsideThePlayerFolder) {
    TestFolder root;
    const std::string other = root.file("other"), player = root.file("player");
    const std::string planted(3200, 'p'), kept(3200, 'k');
    const std::string side = ".Data.bin.tovrik-AbCd12";
    auto journalFor = [&](const std::string& folder) {
        SaveJournalEntry e{folder + side, folder + "Data.bin", planted.size(),
                           addToChecksum(kChecksumStart, planted.data(), planted.size())};
        return encodeSaveJournal({e});
    };
    const std::string attacks[][2] = {
        {"journal", journalFor("../other/")},
        {"journal", journalFor("Maps/../../other/")},
        {"journal", journalFor(other + "/")},
        {"journal", journalFor("Linked/")},
        {"link", journalFor("")},
    };
    int number = 0;
    for (const auto& attack : attacks) {
        SCOPED_TRACE("attack " + std::to_string(number++));
        exitStatus("rm -rf '" + other + "' '" + player + "'");
        mkdir(other.c_str(), 0700);
        mkdir(player.c_str(), 0700);
        writeOldTable(player);
        writeText(other + "/Data.bin", kept);
        writeText(other + "/" + side, planted);
        symlink(other.c_str(), (player + "/Linked").c_str());
        if (attack[0] == "link") {
            writeText(other + "/.tovrik-journal", attack[1]);
            symlink((other + "/.tovrik-journal").c_str(), (player + "/.tovrik-journal").c_str());
        } else {
            writeText(player + "/.tovrik-journal", attack[1]);
        }
        ASSERT_EQ(exitStatus(writer(player, "--start 2>/dev/null")), 0);
        EXPECT_EQ(readText(other + "/Data.bin"), kept);
        EXPECT_TRUE(pathExists(other + "/" + side));
        EXPECT_TRUE(tableIn(player).old());
        EXPECT_FALSE(pathExists(player + "/.tovrik-journal"));
    }
}

// A player folder that takes no new file (here: read-only) when a level's table is saved: the
// message names the journal and the reason, the old table stays whole, the program goes on.
TEST(SaveGroup, AReadOnlyPlayerFolderAtASaveNamesTheJournalAndKeepsTheOldTable) {
    TestFolder root;
    const std::string player = root.file("player");
    mkdir(player.c_str(), 0755);
    writeOldTable(player);
    chmod(root.path().c_str(), 0755);
    chmod((player + "/Maps").c_str(), 0777);
    for (const char* file : {"/Maps/Data.bin", "/Maps/Name.bin"})
        chmod((player + file).c_str(), 0666);
    chmod(player.c_str(), 0555);
    // Root writes anywhere: the writer then runs as nobody.
    const std::string as =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string log = root.file("stderr");
    int status = exitStatus(as + writer(player, std::string(kNewByte) + " 2>'" + log + "'"));
    chmod(player.c_str(), 0755);
    EXPECT_EQ(status, 0) << readText(log);
    const std::string said = readText(log);
    EXPECT_NE(said.find(player + "/.tovrik-journal"), std::string::npos) << said;
    EXPECT_NE(said.find("Permission denied"), std::string::npos) << said;
    EXPECT_TRUE(tableIn(player).old());
    EXPECT_FALSE(sideFilesIn(player));
}

}  // namespace
