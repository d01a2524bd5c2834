// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// End-to-end tests of the real program: the `crumlet` executable is copied with the media of the
// run folder into a private folder holding levels and save files of the test's own, then run
// through the scripted driver (keys per frame, fixed seed, no pacing, screenshots, state trace).
// Screenshots are checked at a few points, not as whole golden images, so that the media may
// change.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/driver.h"
#include "app/startup.h"
#include "devices/input.h"
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "game/trace.h"
#include "graphics/images.h"
#include "graphics/present.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"
#include "tests/support/level_writer.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_folder.h"

#ifndef EXAMPLE_PACK
#error "EXAMPLE_PACK must name the example level pack"
#endif

namespace {

struct Picture {
    RgbaImage image;
    bool load(const std::string& path) { return decodePng(path.c_str(), kNoColourKey, image); }
    uint32_t at(int x, int y) const {
        const uint8_t* p = image.pixel(x, y);
        return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    // True when some pixel of the rectangle differs between the two pictures.
    bool differsFrom(const Picture& other, int x, int y, int w, int h) const {
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx) {
                if (at(xx, yy) != other.at(xx, yy)) return true;
            }
        }
        return false;
    }
    int litPixels(int x, int y, int w, int h) const {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx) n += at(xx, yy) != 0;
        }
        return n;
    }
};

// A level as text, one character per cell (rows from 0): '#' wall, 'x' block, 'B' bug,
// '@' bug on a clover, 'c' clover, 'f' flower, 's' spiky bomb, '>' '<' '^' 'v' baddies, 'J' empty
// junction.
class GameRunTest : public ::testing::Test {
  protected:
    TestFolder scratch{"crumlet-e2e"};
    std::string dir = scratch.path();

    void SetUp() override { makeGameFolder(dir); }

    // Fills a private folder with the program, its media, save files and two levels of its own.
    void makeGameFolder(const std::string& folder) {
        ASSERT_EQ(::makeGameFolder(folder), "");
        // Level 1: the bug starts on a clover; to the right a clover, a flower, a spiky bomb and
        // a breakable block with the last clover behind it. It is finished by collecting them
        // all, blasting the block on the way, and coming back to the start cell.
        writeLevel(folder + "/Maps", 1,
                   {
                       "####################",
                       "#@cf.s..x.c#########",
                       "####################",
                   });
        // Level 2: a baddy comes down the corridor for a bug that does not move.
        writeLevel(folder + "/Maps", 2,
                   {
                       "####################",
                       "#B.c.c.c.c.c.c.c.c<#",
                       "####################",
                   });
    }

    void TearDown() override {
        if (HasFailure()) scratch.keep();  // the session's files, for a look at what went wrong
    }

    // Runs the game with the script; returns the exit status (-1 on a signal or a time-out).
    int run(const std::string& script, const std::string& name = "session", int seconds = 120) {
        return finish(start(script, name), seconds);
    }

    // Starts the game of `folder` (the test's own by default) with the script; standard output
    // and standard error go to <name>.out and <name>.err there.
    pid_t start(const std::string& script, const std::string& name, std::string folder = "") {
        ProgramOptions options;
        options.name = name;
        options.launcher = launcher;
        options.offscreen = offscreen;
        return startProgram(folder.empty() ? dir : folder, script, options);
    }

    // Waits for a started game; its exit status (-1 on a signal or a time-out).
    int finish(pid_t pid, int seconds = 120) {
        const ProgramRun run = finishProgram(pid, seconds);
        if (run.timedOut) ADD_FAILURE() << "the game did not end within " << seconds << " s";
        return run.exitCode;
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    std::vector<std::string> launcher;  // a command the game is started under (strace), if any
    bool offscreen = false;  // no window even on a display (two at once would take turns pausing)
};

// The field of a trace line ("score" gives the text after "score=").
std::string field(const std::string& line, const std::string& name) {
    size_t at = line.find(" " + name + "=");
    if (at == std::string::npos) at = line.rfind(name + "=", 0) == 0 ? 0 : std::string::npos;
    if (at == std::string::npos) return "";
    size_t start = line.find('=', at) + 1;
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST_F(GameRunTest, MenuNameEntryAndGoHomeSavesTheProfile) {
    ASSERT_EQ(run("seed 1\npacing off\n"
                  "shot 3 menu.png\n"
                  "keys 5 Down\n"     // the box slides to PLAYER (frames 6 to 13)
                  "keys 15 Return\n"  // name entry
                  "type 20 bug\n"
                  "shot 26 name.png\n"
                  "keys 30 Space\n"  // back to the menu
                  "keys 40 Down\nkeys 50 Down\n"
                  "keys 60 Return\n"  // GOHOME: save the profile and end
                  "quit 400\n"),
              0);
    std::vector<std::string> out = readLines(path("session.out"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "Init OK");
    Picture menu;
    ASSERT_TRUE(menu.load(path("menu.png")));
    ASSERT_EQ(menu.image.width, 320);
    ASSERT_EQ(menu.image.height, 240);
    EXPECT_GT(menu.litPixels(64, 16, 192, 16), 50);   // CRUMLET DEMO
    EXPECT_GT(menu.litPixels(32, 32, 256, 16), 50);   // the line under the title
    EXPECT_GT(menu.litPixels(64, 64, 96, 16), 50);    // LEVELS 1 inside the box
    EXPECT_GT(menu.litPixels(22, 224, 256, 16), 50);  // MADE WITH TOVRIK
    Picture name;
    ASSERT_TRUE(name.load(path("name.png")));
    // The player line changed from the stored name to the typed one; the rest stayed.
    EXPECT_TRUE(name.differsFrom(menu, 64, 80, 192, 16));
    EXPECT_FALSE(name.differsFrom(menu, 0, 0, 320, 64));
    EXPECT_EQ(readBytes(path("Maps/Player.bin")),
              (std::vector<unsigned char>{'b', 'u', 'g', 0, 0, 0, 0, 0}));
}

// Level 1 played to its end. First a look at the (empty) high-score table of level 1, then the
// level starts with Return in frame 56, so level frame F is driver frame F + 55:
// F 2-97: walk right over a clover, the flower, an empty cell, the spiky bomb and two more cells;
// F 98 stand; F 99 lay the bomb beside the block; F 100-147 walk left out of the cross (the
// blast comes in F 146); F 165-260 walk right through the gap to the last clover; F 261-404 walk
// back onto the start cell, whose clover is the last pick-up; F 405 finishes the level (not
// presented: without sound output the closing sound is over at once). Then the high-score
// screen again, and GOHOME.
std::string levelOneScript(const std::string& tag) {
    std::ostringstream s;
    auto keys = [&](int from, int to, const char* key) {  // in level frames
        s << "keys " << from + 55 << "-" << to + 55 << " " << key << "\n";
    };
    auto shot = [&](int frame, const char* name) {
        s << "shot " << frame + 55 << " " << tag << name << ".png\n";
    };
    s << "seed 5\npacing off\ntrace " << tag << ".trace\n"
      << "keys 3 Down\nkeys 13 Down\nkeys 23 Return\n"  // the high-score table before
      << "shot 26 " << tag << "-scores-before.png\n"
      << "keys 30 Space\nkeys 35 Up\nkeys 45 Up\nkeys 56 Return\n";  // start level 1
    keys(2, 97, "Right");
    shot(39, "-before");
    s << "keys " << 99 + 55 << " Space\n";
    keys(100, 147, "Left");
    shot(150, "-blast");
    keys(165, 260, "Right");
    shot(199, "-after");
    keys(261, 399, "Left");
    s << "keys 464 Down\nkeys 474 Down\nkeys 484 Return\n"  // the high-score table after
      << "shot 489 " << tag << "-scores.png\nkeys 494 Space\nkeys 504 Down\nkeys 514 Return\n"
      << "quit 800\n";
    return s.str();
}

TEST_F(GameRunTest, LevelOnePlayedToItsEndEntersTheHighScore) {
    ASSERT_EQ(run(levelOneScript("one")), 0);
    std::vector<std::string> trace = readLines(path("one.trace"));
    ASSERT_EQ(trace.size(), 404u);
    EXPECT_EQ(trace[0].substr(0, trace[0].find(" grid=")),
              "F=1 bug=16,16 dir=1 score=0 left=4 bombs=0 dead=0 done=0");
    EXPECT_EQ(trace[1].substr(0, trace[1].find(" grid=")),
              "F=2 bug=17,16 dir=1 score=5 left=3 bombs=0 dead=0 done=0");
    EXPECT_EQ(field(trace[17], "score"), "55");  // the flower
    EXPECT_EQ(field(trace[49], "bombs"), "1");   // the spiky bomb
    EXPECT_EQ(field(trace[49], "score"), "57");
    EXPECT_EQ(field(trace[98], "bombs"), "0");  // laid in F 99
    // The blast in F 146 changes the grid (the block goes); nothing else changes in that frame.
    EXPECT_NE(field(trace[145], "grid"), field(trace[144], "grid"));
    EXPECT_EQ(field(trace[145], "dead"), "0");
    EXPECT_EQ(trace.back().substr(0, trace.back().find(" grid=")),
              "F=404 bug=16,16 dir=2 score=67 left=0 bombs=0 dead=0 done=0");
    for (const std::string& line : trace) ASSERT_EQ(field(line, "dead"), "0") << line;

    // The finished level's score and the player's name were saved at once.
    std::vector<unsigned char> scores = readBytes(path("Maps/Data.bin"));
    ASSERT_EQ(scores.size(), 3200u);
    EXPECT_EQ(std::vector<unsigned char>(scores.begin(), scores.begin() + 8),
              (std::vector<unsigned char>{67, 0, 0, 0, 0, 0, 0, 0}));
    std::vector<unsigned char> names = readBytes(path("Maps/Name.bin"));
    ASSERT_EQ(names.size(), 6400u);
    EXPECT_EQ(std::vector<unsigned char>(names.begin(), names.begin() + 8),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));
    EXPECT_EQ(readBytes(path("Maps/Player.bin")),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));

    // The block's cell (column 8, row 1) is empty after the blast (a level has no background
    // picture). The high-score table changed on its first row only: name and score.
    Picture after, table, tableBefore;
    ASSERT_TRUE(after.load(path("one-after.png")));
    EXPECT_EQ(after.litPixels(128, 16, 16, 16), 0);
    ASSERT_TRUE(table.load(path("one-scores.png")));
    ASSERT_TRUE(tableBefore.load(path("one-scores-before.png")));
    EXPECT_TRUE(table.differsFrom(tableBefore, 80, 32, 128, 16));   // "eve"
    EXPECT_TRUE(table.differsFrom(tableBefore, 224, 32, 96, 16));   // 67
    EXPECT_FALSE(table.differsFrom(tableBefore, 0, 48, 320, 112));  // ranks 2 to 8
    EXPECT_FALSE(table.differsFrom(tableBefore, 0, 0, 320, 32));    // the title
    if (std::ifstream(path("Media.kql"))) {
        Picture before;
        ASSERT_TRUE(before.load(path("one-before.png")));
        EXPECT_GT(before.litPixels(128, 16, 16, 16), 20);  // the block before the blast
        EXPECT_GT(before.litPixels(0, 0, 16, 16), 20);     // a wall
    }
}

// A player folder that takes no new file when a level ends (read-only; its Maps folder still
// writable): the save journal cannot be written. The message names it and the reason, the old
// table stays whole, and the game plays on to its normal end instead of losing the session.
TEST_F(GameRunTest, AReadOnlyPlayerFolderAtALevelsEndNamesTheJournalAndPlaysOn) {
    TestFolder elsewhere{"crumlet-e2e-out"};  // the trace, outside the read-only folder
    chmod(elsewhere.path().c_str(), 0777);
    ASSERT_EQ(
        std::system(("chmod -R a+rX '" + dir + "' && chmod a+w '" + dir + "/Maps' '" + dir +
                     "/Maps/Data.bin' '" + dir + "/Maps/Name.bin' '" + dir + "/Maps/Player.bin'")
                        .c_str()),
        0);
    const std::vector<unsigned char> scores = readBytes(path("Maps/Data.bin"));
    const std::vector<unsigned char> names = readBytes(path("Maps/Name.bin"));
    chmod(dir.c_str(), 0555);
    // Root writes into any folder: the game then runs as nobody.
    if (geteuid() == 0) launcher = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    const int status = run(levelOneScript(elsewhere.path() + "/one"));
    chmod(dir.c_str(), 0755);
    const std::string said = readText(path("session.err"));
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find(dir + "/.tovrik-journal"), std::string::npos) << said;
    EXPECT_NE(said.find("Permission denied"), std::string::npos) << said;
    EXPECT_EQ(readBytes(path("Maps/Data.bin")), scores);
    EXPECT_EQ(readBytes(path("Maps/Name.bin")), names);
    EXPECT_EQ(readLines(elsewhere.file("one.trace")).size(), 404u);  // the level was finished
}

// The example level pack, named in settings.ini: its level 1 (a corridor of eight clovers and a
// flower right of the bug) played to its end. The level starts with Return in frame 3, so level
// frame F is driver frame F + 2: nine steps right (F 2-145), nine back onto the start cell, whose
// clover is the last pick-up. The score goes into the pack's own table; the shipped tables stay
// as they were, byte for byte.
TEST_F(GameRunTest, TheExamplePackLevelOneIsPlayedIntoThePacksOwnTable) {
    ASSERT_EQ(mkdir(path("pack").c_str(), 0700), 0);
    for (const char* name : {"pack.ini", "01.txt", "02.txt", "03.txt"})
        ASSERT_TRUE(copyFile(std::string(EXAMPLE_PACK) + "/" + name, path("pack/") + name));
    std::ofstream(path("settings.ini")) << "[game]\nlevels = pack\n";
    const auto shipped = {"Maps/Player.bin", "Maps/Name.bin", "Maps/Data.bin"};
    std::vector<std::vector<unsigned char>> before;
    for (const char* name : shipped) before.push_back(readBytes(path(name)));

    ASSERT_EQ(run("seed 3\npacing off\ntrace pack.trace\n"
                  "keys 3 Return\n"
                  "keys 4-147 Right\n"
                  "keys 148-320 Left\n"
                  "keys 400 Down\nkeys 410 Down\nkeys 420 Down\nkeys 430 Return\n"
                  "quit 900\n"),
              0);
    std::vector<std::string> trace = readLines(path("pack.trace"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace[0].substr(0, trace[0].find(" grid=")),
              "F=1 bug=64,112 dir=1 score=0 left=10 bombs=0 dead=0 done=0");
    EXPECT_EQ(field(trace.back(), "left"), "0");
    EXPECT_EQ(field(trace.back(), "score"), "95");

    // The pack's tables: in packs/<title>-<hash>/Maps/, the score and the name carried over from
    // the player's profile.
    std::vector<std::string> packs;
    if (DIR* d = opendir(path("packs").c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') packs.push_back(e->d_name);
        closedir(d);
    }
    ASSERT_EQ(packs.size(), 1u);
    EXPECT_EQ(packs[0].compare(0, 12, "garden-path-"), 0) << packs[0];
    const std::string own = "packs/" + packs[0] + "/Maps/";
    std::vector<unsigned char> scores = readBytes(path(own + "Data.bin"));
    ASSERT_EQ(scores.size(), 3200u);
    EXPECT_EQ(std::vector<unsigned char>(scores.begin(), scores.begin() + 8),
              (std::vector<unsigned char>{95, 0, 0, 0, 0, 0, 0, 0}));
    std::vector<unsigned char> names = readBytes(path(own + "Name.bin"));
    ASSERT_EQ(names.size(), 6400u);
    EXPECT_EQ(std::vector<unsigned char>(names.begin(), names.begin() + 8),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));
    EXPECT_EQ(readBytes(path(own + "Player.bin")),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));
    size_t i = 0;
    for (const char* name : shipped) EXPECT_EQ(readBytes(path(name)), before[i++]) << name;
    // Compiled beside the tables, never into the pack.
    EXPECT_EQ(readBytes(path(own + "Map1-1.bin")).size(), 1200u);
    EXPECT_FALSE(std::ifstream(path("pack/Map1-1.bin")));
}

TEST_F(GameRunTest, TheSameScriptAndSeedGiveTheSameRun) {
    ASSERT_EQ(run(levelOneScript("a"), "first"), 0);
    writeBytes(path("Maps/Name.bin"), std::vector<unsigned char>(6400, 0));
    writeBytes(path("Maps/Data.bin"), std::vector<unsigned char>(3200, 0));
    ASSERT_EQ(run(levelOneScript("b"), "second"), 0);
    EXPECT_EQ(readLines(path("a.trace")), readLines(path("b.trace")));
    EXPECT_FALSE(readLines(path("a.trace")).empty());
    for (const char* shot :
         {"-scores-before.png", "-before.png", "-blast.png", "-after.png", "-scores.png"}) {
        std::vector<unsigned char> a = readBytes(path(std::string("a") + shot));
        EXPECT_FALSE(a.empty()) << shot;
        EXPECT_EQ(a, readBytes(path(std::string("b") + shot))) << shot;
    }
}

TEST_F(GameRunTest, ABaddyCatchesTheBugAndPressEscapeIsShown) {
    // Level 2 after four frames of Right; Return in frame 6 starts it (F = frame - 5).
    ASSERT_EQ(run("seed 9\npacing off\ntrace two.trace\n"
                  "keys 1-4 Right\nkeys 6 Return\n"
                  "shot 350 dead.png\n"
                  "keys 400 Escape\n"
                  "keys 410 Down\nkeys 420 Down\nkeys 430 Down\nkeys 440 Return\n"
                  "quit 700\n"),
              0);
    std::vector<std::string> trace = readLines(path("two.trace"));
    ASSERT_EQ(trace.size(), 394u);  // Escape is seen in F 395
    size_t deadAt = 0;
    while (deadAt < trace.size() && field(trace[deadAt], "dead") != "1") ++deadAt;
    ASSERT_LT(deadAt, trace.size());
    EXPECT_EQ(field(trace[deadAt], "dir"), "0");
    for (size_t i = deadAt; i < trace.size(); ++i) ASSERT_EQ(field(trace[i], "dead"), "1");
    Picture dead;
    ASSERT_TRUE(dead.load(path("dead.png")));
    EXPECT_GT(dead.litPixels(68, 100, 208, 16), 30);  // PRESS ESCAPE!
    EXPECT_GT(dead.litPixels(0, 224, 96, 16), 10);    // SCORE:0
    // Nothing was saved: a lost level leaves the tables as they were.
    EXPECT_EQ(readBytes(path("Maps/Data.bin")), std::vector<unsigned char>(3200, 0));
    EXPECT_EQ(readBytes(path("Maps/Name.bin")), std::vector<unsigned char>(6400, 0));
}

TEST_F(GameRunTest, BadScriptsAndSaveFilesGiveAClearWord) {
    EXPECT_EQ(run("keys 5 Hyperspace\n", "bad"), 2);
    // A missing save file is made anew from the defaults (here: none, so zero bytes), and said so.
    std::remove(path("Maps/Data.bin").c_str());
    EXPECT_EQ(run("pacing off\nquit 50\n", "nodata"), 0);
    EXPECT_EQ(readBytes(path("Maps/Data.bin")), std::vector<unsigned char>(3200, 0));
    EXPECT_NE(readText(path("nodata.err")).find("Maps/Data.bin missing from " + dir + "/"),
              std::string::npos)
        << readText(path("nodata.err"));
    // A damaged one stops the program, naming the file and what is wrong with it.
    writeBytes(path("Maps/Data.bin"), std::vector<unsigned char>(3199, 0));
    EXPECT_EQ(run("pacing off\nquit 50\n", "short"), 3);
    EXPECT_NE(readText(path("short.err"))
                  .find(dir + "/Maps/Data.bin: the file ends before the data asked for"),
              std::string::npos)
        << readText(path("short.err"));
}

TEST_F(GameRunTest, FifosInPlaceOfMediaAndLevelFilesFailAtOnce) {
    // Nothing ever writes into these FIFOs: an open that waited for a writer would never return.
    // The start-up font is not needed: the game starts with its built-in one.
    std::remove(path("smalfont.bmp").c_str());
    ASSERT_EQ(mkfifo(path("smalfont.bmp").c_str(), 0600), 0);
    EXPECT_EQ(run("pacing off\nquit 20\n", "fontfifo", 60), 0);
    std::vector<std::string> out = readLines(path("fontfifo.out"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "Init OK");
    // The media archive and a level are not data files as FIFOs: the start ends at once, naming
    // them.
    for (const char* name : {"Media.kql", "Maps/Map1-1.bin"}) {
        std::remove(path(name).c_str());
        ASSERT_EQ(mkfifo(path(name).c_str(), 0600), 0) << name;
    }
    EXPECT_EQ(run("pacing off\nkeys 5 Return\nquit 200\n", "fifo", 60), 1);
    EXPECT_NE(readText(path("fifo.err")).find("lacks Media.kql and Maps/Map1-1.bin"),
              std::string::npos)
        << readText(path("fifo.err"));
}

// Waits until the started game has said "Init OK" (or has ended).
bool waitForInit(const std::string& outPath, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::vector<std::string> out = readLines(outPath);
        if (!out.empty() && out[0] == "Init OK") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST_F(GameRunTest, ASecondProgramOnTheSameSaveFolderEndsAndTheFirstOnesSaveStands) {
    // The first types "bug" and saves it with GOHOME after 300 paced frames (five seconds at
    // least), so it still holds the folder when the second comes.
    pid_t first = start(
        "seed 1\nkeys 5 Down\nkeys 15 Return\ntype 20 bug\nkeys 30 Space\n"
        "keys 40 Down\nkeys 50 Down\nkeys 300 Return\nquit 600\n",
        "first");
    ASSERT_TRUE(waitForInit(path("first.out"), 60));
    // The second would save "zed" at once if it ran.
    pid_t second = start(
        "seed 2\npacing off\nkeys 5 Down\nkeys 15 Return\ntype 20 zed\n"
        "keys 30 Space\nkeys 40 Down\nkeys 50 Down\nkeys 60 Return\nquit 400\n",
        "second");
    EXPECT_EQ(finish(second, 60), 1);
    int firstDone = 0;
    EXPECT_EQ(waitpid(first, &firstDone, WNOHANG), 0) << "the first ended before the second tried";
    std::vector<std::string> err = readLines(path("second.err"));
    ASSERT_FALSE(err.empty());
    EXPECT_NE(err[0].find("in use by another running program"), std::string::npos) << err[0];
    EXPECT_TRUE(readLines(path("second.out")).empty());  // ended before its start-up
    EXPECT_EQ(readBytes(path("Maps/Player.bin")),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));

    EXPECT_EQ(finish(first, 120), 0);
    EXPECT_EQ(readBytes(path("Maps/Player.bin")),
              (std::vector<unsigned char>{'b', 'u', 'g', 0, 0, 0, 0, 0}));
}

TEST_F(GameRunTest, ProgramsOnTwoFoldersStartedTogetherBothShowTheirFonts) {
    if (!std::ifstream(path("Media.kql"))) GTEST_SKIP() << "no Media.kql in this build";
    TestFolder otherFolder{"crumlet-e2e"};
    const std::string other = otherFolder.path();
    makeGameFolder(other);
    const std::string script = "seed 3\npacing off\nshot 3 menu.png\nquit 5\n";
    offscreen = true;
    ASSERT_EQ(run(script, "alone"), 0);
    std::vector<unsigned char> alone = readBytes(path("menu.png"));
    ASSERT_FALSE(alone.empty());
    // Both unpack the same media at the same moment, a few times over.
    for (int round = 0; round < 3; ++round) {
        std::remove(path("menu.png").c_str());
        std::remove((other + "/menu.png").c_str());
        pid_t a = start(script, "a");
        pid_t b = start(script, "b", other);
        EXPECT_EQ(finish(a, 60), 0);
        EXPECT_EQ(finish(b, 60), 0);
        EXPECT_EQ(readBytes(path("menu.png")), alone) << "round " << round;
        EXPECT_EQ(readBytes(other + "/menu.png"), alone) << "round " << round;
    }
    if (HasFailure()) otherFolder.keep();
}

// The table's journal is renamed into place first, then the scores, then the names. Killed at
// the scores' rename, the program leaves both files old and a journal; the next start finishes
// the table before the game reads it.
TEST_F(GameRunTest, ATableSaveKilledAfterItsJournalIsFinishedByTheNextStart) {
    if (std::system("strace -o /dev/null true 2>/dev/null") != 0)
        GTEST_SKIP() << "strace cannot trace here; the kill cannot be injected";
    // The renames before the scores': the four screenshots the script takes during the level
    // (each put in place whole), then the journal.
    launcher = {"strace",       "-f",        "-qq",
                "-o",           "/dev/null", "-e",
                "trace=rename", "-e",        "inject=rename:signal=KILL:when=6"};
    EXPECT_EQ(run(levelOneScript("killed"), "killed"), -1);  // killed, not ended
    EXPECT_EQ(readBytes(path("Maps/Data.bin")), std::vector<unsigned char>(3200, 0));
    EXPECT_EQ(readBytes(path("Maps/Name.bin")), std::vector<unsigned char>(6400, 0));
    EXPECT_TRUE(std::ifstream(path(".tovrik-journal")).good());

    launcher.clear();
    ASSERT_EQ(run("pacing off\nquit 5\n", "next"), 0);
    std::vector<unsigned char> scores = readBytes(path("Maps/Data.bin"));
    std::vector<unsigned char> names = readBytes(path("Maps/Name.bin"));
    ASSERT_EQ(scores.size(), 3200u);
    ASSERT_EQ(names.size(), 6400u);
    EXPECT_EQ(std::vector<unsigned char>(scores.begin(), scores.begin() + 4),
              (std::vector<unsigned char>{67, 0, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(names.begin(), names.begin() + 8),
              (std::vector<unsigned char>{'e', 'v', 'e', 0, 0, 0, 0, 0}));
    EXPECT_FALSE(std::ifstream(path(".tovrik-journal")).good());
}

// ---- the shipped level 1, played to its end by a bot --------------------------------------
//
// A bot plays level 1 in this process, through the game's own level loop on a hidden window,
// choosing the key of every frame from the state (shortest way to the nearest clover or flower).
// Its keys become a driver script, and the real program must then agree with the in-process run
// frame by frame: the same trace, a finished level and the saved high score.

constexpr int kBotSeed = 11;

// The key for the bug's next decision: the first step of a shortest way to the nearest cell with
// a clover or flower still to collect. The bug's own cell counts only after leaving it (its
// pick-up is collected by stepping onto it from a neighbour).
double botKey() {
    using namespace crumlet;
    GameGlobals& g = game;
    int start = static_cast<int>(g.bugX / 16) + static_cast<int>(g.bugY / 16) * 40;
    auto passable = [&](int i) {
        double m = numAt(g.mapGrid, i);
        return m == kEmpty || m == kFruit;
    };
    auto wanted = [&](int i) {
        double it = numAt(g.itemGrid, i);
        return (it == kClover || it == kFlower) && i != start;
    };
    const int offsets[4] = {1, -1, -40, 40};
    const double keys[4] = {kKeyRight, kKeyLeft, kKeyUp, kKeyDown};
    std::vector<int> firstMove(1200, -1);
    std::vector<int> queue;
    for (int d = 0; d < 4; ++d) {
        int n = start + offsets[d];
        if (n >= 0 && n < 1200 && passable(n) && firstMove[n] < 0) {
            firstMove[n] = d;
            queue.push_back(n);
        }
    }
    for (size_t q = 0; q < queue.size(); ++q) {
        int c = queue[q];
        if (wanted(c)) return keys[firstMove[c]];
        for (int off : offsets) {
            int n = c + off;
            if (n >= 0 && n < 1200 && n != start && passable(n) && firstMove[n] < 0) {
                firstMove[n] = firstMove[c];
                queue.push_back(n);
            }
        }
    }
    // Only the bug's own cell is left: step off it, to come back next.
    double own = numAt(g.itemGrid, start);
    if ((own == kClover || own == kFlower) && !queue.empty()) return keys[firstMove[queue[0]]];
    return 0;
}

struct BotRun {
    std::vector<double> keys;        // keys[k]: the key held in level frame k + 1 (0 for none)
    std::vector<std::string> trace;  // the trace line of every presented level frame
    bool finished = false;
    double score = 0;
};

BotRun* botRun = nullptr;

void holdOnly(double key) {
    unsigned char k[256] = {};
    if (key != 0) k[static_cast<int>(key)] = 0x80;
    injectKeyboardSnapshot(k);
}

void botHook() {
    using namespace crumlet;
    GameGlobals& g = game;
    BotRun& run = *botRun;
    double frame = static_cast<double>(run.trace.size() + 1);
    LevelFrameState st{frame,       g.bugX,    g.bugY,      g.bugDir,   g.score,    g.pickupsLeft,
                       g.bombStock, g.bugDead, g.levelDone, &g.mapGrid, &g.itemGrid};
    run.trace.push_back(levelTraceLine(st));
    double key = 0;
    if (run.trace.size() >= 6000 || g.bugDead == 1) {
        key = kKeyEscape;  // give up
    } else if (g.bugStep == 0) {
        key = botKey();
    }
    run.keys.push_back(key);
    holdOnly(key);
}

const char* keyName(double key) {
    using namespace crumlet;
    if (key == kKeyRight) return "Right";
    if (key == kKeyLeft) return "Left";
    if (key == kKeyUp) return "Up";
    if (key == kKeyDown) return "Down";
    return "Escape";
}

TEST_F(GameRunTest, ShippedLevelOneIsPlayedToItsEndAndTheProgramAgrees) {
    using namespace crumlet;
    std::string shipped = crumletRunFolder() + "/Maps/Map1-";
    ASSERT_TRUE(std::ifstream(shipped + "1.bin")) << "no levels built in " << crumletRunFolder();
    for (int layer = 1; layer <= 3; ++layer) {
        std::string name = "Maps/Map1-" + std::to_string(layer) + ".bin";
        ASSERT_TRUE(copyFile(shipped + std::to_string(layer) + ".bin", path(name)));
    }
    // The in-process run: a window of its own (a hidden one would count as inactive and pause
    // the game), no sound, no pacing.
    static bool started = false;
    if (!started) {
        runtimeSettings = RuntimeSettings();
        runtimeSettings.fullScreen = 0;
        startRuntime("Crumlet bot");
        setEscapeEnds(0);
        setPacingEnabled(false);
        dimensionGameArrays();
        started = true;
    }
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    GameGlobals& g = game;
    g.level = 1;
    g.playerName = "bot";
    DataInit();
    LoadMaps();
    FindBug();
    seedRandom(kBotSeed);
    // No key in the first level frame: in the real program it is the menu pass in which Return
    // starts the level, and a direction key there would change the level instead.
    BotRun bot;
    botRun = &bot;
    holdOnly(0);
    bot.keys.push_back(0);
    setPresentHook(botHook);
    MainGame();
    setPresentHook(nullptr);
    holdOnly(0);
    ASSERT_EQ(chdir(cwd), 0);
    bot.finished = g.levelDone == 1;
    bot.score = g.score;
    ASSERT_TRUE(bot.finished) << "the bot did not finish level 1 in " << bot.trace.size()
                              << " frames: " << (bot.trace.empty() ? "" : bot.trace.back());
    writeBytes(path("Maps/Data.bin"), std::vector<unsigned char>(3200, 0));
    writeBytes(path("Maps/Name.bin"), std::vector<unsigned char>(6400, 0));

    // The same keys for the real program: Return in frame 2 starts level 1, so level frame k is
    // driver frame k + 1.
    std::ostringstream script;
    script << "seed " << kBotSeed << "\npacing off\ntrace bot.trace\nkeys 2 Return\n";
    for (size_t k = 0; k < bot.keys.size(); ++k) {
        if (bot.keys[k] != 0) script << "keys " << k + 2 << " " << keyName(bot.keys[k]) << "\n";
    }
    size_t end = bot.trace.size() + 2;  // the menu's frame after the level closed
    script << "keys " << end + 5 << " Down\nkeys " << end + 15 << " Down\nkeys " << end + 25
           << " Down\nkeys " << end + 35 << " Return\nquit " << end + 300 << "\n";
    std::ofstream(path("bot-session.txt")) << script.str();
    ASSERT_EQ(run(script.str(), "bot", 300), 0);
    std::vector<std::string> trace = readLines(path("bot.trace"));
    ASSERT_EQ(trace.size(), bot.trace.size());
    for (size_t k = 0; k < trace.size(); ++k)
        ASSERT_EQ(trace[k], bot.trace[k]) << "level frame " << k + 1;
    EXPECT_EQ(field(trace.back(), "left"), "0");
    std::vector<unsigned char> scores = readBytes(path("Maps/Data.bin"));
    ASSERT_EQ(scores.size(), 3200u);
    double saved = scores[0] + 256.0 * scores[1] + 65536.0 * scores[2];
    EXPECT_EQ(saved, bot.score);
    std::vector<unsigned char> names = readBytes(path("Maps/Name.bin"));
    EXPECT_EQ(std::string(names.begin(), names.begin() + 3), "eve");
}

}  // namespace
