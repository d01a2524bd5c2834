// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The real program's frames, byte for byte against the reference pictures: the menu, name entry,
// the high-score table, the first and a later frame of every shipped level, and a level of the
// test's own with the spiky bomb, the laid bomb, its blast, the fruit, a fire and "PRESS ESCAPE!".
// The program runs through its scripted driver in a private copy of the run folder.
//
// The pictures depend on the media and the shipped levels: after a deliberate change to either,
// record them again with TOVRIK_RECORD_REFERENCES=1 (and look at what changed).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "levels/shipped.h"
#include "reference_pictures.h"
#include "tests/support/level_writer.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_folder.h"

namespace {

// A driver script with the screenshots it asks for.
struct Session {
    std::string script;
    std::vector<std::string> shots;  // reference names, each shot written as <name>.png

    void line(const std::string& text) { script += text + "\n"; }
    void keys(int from, int to, const char* key) {
        line("keys " + std::to_string(from) + "-" + std::to_string(to) + " " + key);
    }
    void shot(int frame, const std::string& name) {
        line("shot " + std::to_string(frame) + " " + name + ".png");
        shots.push_back(name);
    }
};

class ReferenceSessionTest : public ::testing::Test {
  protected:
    TestFolder scratch{"crumlet-reference"};
    std::string dir = scratch.path();

    void SetUp() override { ASSERT_EQ(makeGameFolder(dir), ""); }

    void TearDown() override {
        if (HasFailure()) scratch.keep();  // the session's files, for a look at what went wrong
    }

    // Runs the program with the session's script and compares every screenshot.
    void runAndCompare(const Session& session) {
        ProgramOptions options;
        options.seconds = 300;
        const ProgramRun run = runProgram(dir, session.script, options);
        ASSERT_EQ(run.exitCode, 0) << run.describe();
        for (const std::string& name : session.shots) {
            EXPECT_EQ(compareFileWithReference(name, dir + "/" + name + ".png", dir), "");
        }
    }
};

TEST_F(ReferenceSessionTest, MenuNameEntryAndHighScoreTable) {
    Session s;
    s.line("seed 1");
    s.line("pacing off");
    s.shot(3, "menu");
    s.line("keys 5 Down");  // the box slides to PLAYER in frames 6 to 13
    s.shot(9, "menu-box-sliding");
    s.line("keys 15 Return");  // name entry
    s.line("type 20 bug");
    s.shot(26, "name-entry");
    s.line("keys 30 Space");  // back to the menu
    s.line("keys 35 Down");   // to HSCORE
    s.line("keys 45 Return");
    s.shot(48, "high-scores");
    s.line("keys 50 Space");
    s.line("quit 55");
    runAndCompare(s);
}

TEST_F(ReferenceSessionTest, FirstAndLaterFrameOfEveryShippedLevel) {
    // The game folder has every shipped level.
    // Return in frame s starts the level chosen in the menu, whose frame F is then frame
    // s + F - 1; Escape in its frame 96 returns to the menu, and four frames of Right choose the
    // next level.
    Session s;
    s.line("seed 4");
    s.line("pacing off");
    int start = 3;
    for (int level = 1; level <= levels::kShippedLevelCount; ++level) {
        char name[32];
        s.line("keys " + std::to_string(start) + " Return");
        std::snprintf(name, sizeof name, "level%02d-first", level);
        s.shot(start, name);
        std::snprintf(name, sizeof name, "level%02d-later", level);
        s.shot(start + 89, name);
        s.line("keys " + std::to_string(start + 95) + " Escape");
        if (level < levels::kShippedLevelCount) s.keys(start + 97, start + 100, "Right");
        start += 102;
    }
    s.line("quit " + std::to_string(start));
    runAndCompare(s);
}

TEST_F(ReferenceSessionTest, BombBlastFruitFireAndPressEscape) {
    // Level 1: the bug's corridor from the end-to-end tests (a flower, a spiky bomb, a block),
    // below it six corridors of clovers with a baddy at each end. Level 2: a baddy comes for a
    // bug that does not move.
    const std::string corridor = "#>cccccccccccccccc<#";
    const std::string wall = "####################";
    writeLevel(dir + "/Maps", 1,
               {wall, "#@cf.s..x.c#########", wall, corridor, wall, corridor, wall, corridor, wall,
                corridor, wall, corridor, wall, corridor, wall});
    writeLevel(dir + "/Maps", 2, {wall, "#B.c.c.c.c.c.c.c.c<#", wall});
    // Level 1 starts with Return in frame 3 (level frame F is frame F + 2): the bug walks right
    // to the bomb and beyond, lays it beside the block and walks back out of the cross. With
    // seed 1 a fruit appears beside a baddy, which eats it and leaves a fire.
    Session s;
    s.line("seed 1");
    s.line("pacing off");
    s.line("keys 3 Return");
    s.shot(3, "effects-first");
    s.keys(4, 99, "Right");
    s.line("keys 101 Space");
    s.keys(102, 149, "Left");
    s.shot(120, "effects-laid-bomb");
    s.shot(150, "effects-blast-begins");
    s.shot(154, "effects-blast");
    s.shot(1006, "effects-fruit");
    s.shot(1022, "effects-fire");
    s.line("keys 1030 Escape");
    s.keys(1032, 1035, "Right");
    s.line("keys 1037 Return");  // level 2
    s.shot(1381, "effects-press-escape");
    s.line("quit 1382");
    runAndCompare(s);
}

}  // namespace
