// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Loading level packs: the example pack, a level the checker refuses, and folders made to hurt.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "levels/pack.h"
#include "tests/support/test_folder.h"

using namespace levels;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A copy of the example pack in `folder`.
void copyExample(const std::string& folder) {
    mkdir(folder.c_str(), 0700);
    for (const char* name : {"pack.ini", "01.txt", "02.txt", "03.txt"})
        writeAll(folder + "/" + name, readAll(std::string(EXAMPLE_PACK) + "/" + name));
}

std::string problems(const LevelPack& pack) {
    std::string all;
    for (const PackProblem& p : pack.allProblems()) all += p.message() + "\n";
    return all;
}

TEST(LevelPack, TheExamplePackLoadsAndKeepsItsIdWhenMoved) {
    const LevelPack pack = loadPack(EXAMPLE_PACK);
    ASSERT_TRUE(pack.ok()) << problems(pack);
    EXPECT_EQ(pack.title, "Garden Path");
    ASSERT_EQ(pack.levels.size(), 3u);
    // One level needs a blast: a breakable block opened by a spiky bomb.
    const CheckReport& crate = pack.levels[1].report;
    EXPECT_GE(crate.blocks, 1);
    EXPECT_GE(crate.bombs, 1);
    EXPECT_EQ(crate.blastsNeeded, 1);
    EXPECT_EQ(pack.id.compare(0, 12, "garden-path-"), 0) << pack.id;

    // Moved and with other comments: the same pack. A changed cell: another one.
    TestFolder scratch("crumlet-pack");
    copyExample(scratch.file("moved"));
    writeAll(scratch.file("moved/01.txt"), "# moved\n" + readAll(scratch.file("moved/01.txt")));
    EXPECT_EQ(loadPack(scratch.file("moved")).id, pack.id);
    std::string level = readAll(scratch.file("moved/01.txt"));
    level.replace(level.find("@ccccccccf"), 10, "@cccccccff");
    writeAll(scratch.file("moved/01.txt"), level);
    const LevelPack changed = loadPack(scratch.file("moved"));
    ASSERT_TRUE(changed.ok()) << problems(changed);
    EXPECT_NE(changed.id, pack.id);
}

// Every fault points at its file, line and column: the checker's at the cell's character.
TEST(LevelPack, ARefusedLevelIsNamedWithItsLineAndCell) {
    TestFolder scratch("crumlet-pack");
    const std::string dir = scratch.file("p");
    copyExample(dir);
    std::string crate = readAll(dir + "/02.txt");
    // Wall off the flower at (17, 6): line 13 of the file (row 6), column 18.
    crate.replace(crate.find("#cccccc#######cccf##"), 20, "#cccccc#######ccc#f#");
    writeAll(dir + "/02.txt", crate);
    LevelPack pack = loadPack(dir);
    EXPECT_FALSE(pack.ok());
    ASSERT_EQ(pack.allProblems().size(), 1u) << problems(pack);
    EXPECT_EQ(pack.allProblems()[0].message(),
              dir + "/02.txt:13:19: flower at (18, 6) cannot be reached: walled in for good");
    EXPECT_TRUE(pack.levels[0].problems.empty());  // the other levels keep their verdicts
    EXPECT_TRUE(pack.id.empty());

    // A character the legend lacks, and a short row.
    std::string walk = readAll(dir + "/01.txt");
    walk.replace(walk.find("@ccc"), 4, "@cZc");
    writeAll(dir + "/01.txt", walk);
    writeAll(dir + "/03.txt", "title: short\nmap:\n#####\n");
    pack = loadPack(dir);
    ASSERT_EQ(pack.levels.size(), 3u);
    ASSERT_EQ(pack.levels[0].problems.size(), 1u);
    EXPECT_EQ(pack.levels[0].problems[0].message(),
              dir + "/01.txt:13:7: character 'Z' is not in the legend");
    ASSERT_EQ(pack.levels[2].problems.size(), 1u);
    EXPECT_EQ(pack.levels[2].problems[0].message(),
              dir + "/03.txt:3:6: map row 0 has 5 characters, expected 20");

    // pack.ini's own mistakes, by line.
    writeAll(dir + "/pack.ini", "[pack]\ntitle = x\ntitel = y\n");
    pack = loadPack(dir);
    EXPECT_NE(problems(pack).find(dir + "/pack.ini:3:1: unknown key 'titel'"), std::string::npos)
        << problems(pack);
    EXPECT_NE(problems(pack).find(dir + "/pack.ini: no author"), std::string::npos);
}

// What a hostile or careless folder holds gives one clear problem, read in bounded time.
TEST(LevelPack, HostileFoldersAreRefusedClearly) {
    TestFolder scratch("crumlet-pack");
    auto expectRefused = [&](const std::string& name, const std::string& wanted) {
        const LevelPack pack = loadPack(scratch.file(name));
        EXPECT_FALSE(pack.ok()) << name;
        EXPECT_NE(problems(pack).find(wanted), std::string::npos) << name << ":\n"
                                                                  << problems(pack);
    };
    copyExample(scratch.file("fifo"));
    unlink(scratch.file("fifo/pack.ini").c_str());
    ASSERT_EQ(mkfifo(scratch.file("fifo/pack.ini").c_str(), 0600), 0);
    expectRefused("fifo", "fifo/pack.ini: not a regular file");

    copyExample(scratch.file("huge"));
    writeAll(scratch.file("huge/02.txt"), std::string(8 << 20, '#'));
    expectRefused("huge", "huge/02.txt: larger than 65536 bytes");

    copyExample(scratch.file("junk"));
    writeAll(scratch.file("junk/03.txt"), std::string("title: x\nma\0p:\n", 15));
    expectRefused("junk", "junk/03.txt:2:3: byte 0x00: not a text file");

    copyExample(scratch.file("gap"));
    ASSERT_EQ(rename(scratch.file("gap/03.txt").c_str(), scratch.file("gap/07.txt").c_str()), 0);
    expectRefused("gap", "gap/03.txt: missing");

    copyExample(scratch.file("link"));
    writeAll(scratch.file("outside.txt"), readAll(std::string(EXAMPLE_PACK) + "/01.txt"));
    unlink(scratch.file("link/02.txt").c_str());
    ASSERT_EQ(symlink("../outside.txt", scratch.file("link/02.txt").c_str()), 0);
    expectRefused("link", "link/02.txt: links out of the pack folder");

    // More levels than the score files have room for: refused before any level is read.
    copyExample(scratch.file("many"));
    const std::string level = readAll(scratch.file("many/01.txt"));
    for (int n = 4; n <= 101; ++n)
        writeAll(scratch.file("many/" + std::to_string(n) + ".txt"), level);
    expectRefused("many", "1 level file(s) numbered above 100");
    EXPECT_TRUE(loadPack(scratch.file("many")).levels.empty());
    // The full hundred is a good pack.
    unlink(scratch.file("many/101.txt").c_str());
    const LevelPack hundred = loadPack(scratch.file("many"));
    EXPECT_TRUE(hundred.ok()) << problems(hundred);
    EXPECT_EQ(hundred.levels.size(), 100u);

    expectRefused("missing", "missing: no such folder");
    ASSERT_EQ(mkdir(scratch.file("empty").c_str(), 0700), 0);
    expectRefused("empty", "empty: no level files");
}

}  // namespace
