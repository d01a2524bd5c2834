// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The scripted driver: script parsing, per-frame keys and the trace line.
#include "logic_support.h"

#include "app/driver.h"
#include "game/trace.h"

namespace {

TEST(DriverScriptTest, ParsesEveryDirective) {
    DriverScript s;
    std::string error;
    ASSERT_TRUE(
        parseDriverScript("# a session\n"
                          "seed 42\n"
                          "pacing off   # as fast as it goes\n"
                          "trace out/trace.txt\n"
                          "keys 5 Return\n"
                          "keys 10-12 Right space @29\n"
                          "shot 30 menu.png\n"
                          "shot 31 /abs/level.png\n"
                          "type 40 bug\n"
                          "quit 90\n",
                          "/base/", s, error))
        << error;
    EXPECT_TRUE(s.hasSeed);
    EXPECT_EQ(s.seed, 42);
    EXPECT_FALSE(s.pacing);
    EXPECT_EQ(s.tracePath, "/base/out/trace.txt");
    ASSERT_EQ(s.shots.size(), 2u);
    EXPECT_EQ(s.shots[0].frame, 30);
    EXPECT_EQ(s.shots[0].path, "/base/menu.png");
    EXPECT_EQ(s.shots[1].path, "/abs/level.png");
    EXPECT_EQ(s.quitFrame, 90);

    unsigned char keys[256];
    driverKeysForFrame(s, 5, keys);
    EXPECT_EQ(keys[28], 0x80);
    driverKeysForFrame(s, 11, keys);
    EXPECT_EQ(keys[205], 0x80);
    EXPECT_EQ(keys[57], 0x80);
    EXPECT_EQ(keys[29], 0x80);
    EXPECT_EQ(keys[28], 0);
    driverKeysForFrame(s, 13, keys);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(keys[k], 0) << k;
    // "type" presses one letter every second frame: b at 40, u at 42, g at 44.
    driverKeysForFrame(s, 40, keys);
    EXPECT_EQ(keys[48], 0x80);
    driverKeysForFrame(s, 41, keys);
    EXPECT_EQ(keys[48], 0);
    EXPECT_EQ(keys[22], 0);
    driverKeysForFrame(s, 42, keys);
    EXPECT_EQ(keys[22], 0x80);
    driverKeysForFrame(s, 44, keys);
    EXPECT_EQ(keys[34], 0x80);
}

TEST(DriverScriptTest, RejectsWhatItDoesNotUnderstand) {
    DriverScript s;
    std::string error;
    EXPECT_FALSE(parseDriverScript("seed\n", "", s, error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(parseDriverScript("\n\nkeys 3 Hyperspace\n", "", s, error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    EXPECT_NE(error.find("Hyperspace"), std::string::npos);
    EXPECT_FALSE(parseDriverScript("keys 0 Up\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("keys 9-3 Up\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("pacing maybe\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("shot x a.png\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("jump 4\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("seed 99999999999\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("keys 2 @256\n", "", s, error));
    EXPECT_FALSE(parseDriverScript("type 4 Bug!\n", "", s, error));
    EXPECT_TRUE(parseDriverScript("", "", s, error));
    EXPECT_FALSE(s.hasSeed);
    EXPECT_TRUE(s.pacing);
}

TEST(DriverTraceTest, LineFormat) {
    resetGame();
    LevelFrameState st{1, 32, 16, 1, 0, 16, 0, 0, 0, &game.mapGrid, &game.itemGrid};
    EXPECT_EQ(levelTraceLine(st),
              "F=1 bug=32,16 dir=1 score=0 left=16 bombs=0 dead=0 done=0 grid=9d4bb32a");
    numAt(game.mapGrid, 0) = 1;
    numAt(game.mapGrid, 41) = 3;
    numAt(game.itemGrid, 42) = 2;
    LevelFrameState st2{1234, 47, 16, 2, 155, 3, 2, 1, 0, &game.mapGrid, &game.itemGrid};
    EXPECT_EQ(levelTraceLine(st2),
              "F=1234 bug=47,16 dir=2 score=155 left=3 bombs=2 dead=1 done=0 grid=aa07446e");
    // Values are truncated to a byte: 257.9 counts as 1.
    numAt(game.mapGrid, 0) = 257.9;
    EXPECT_EQ(levelTraceLine(st2).substr(levelTraceLine(st2).size() - 8), "aa07446e");
}

}  // namespace
