// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level text maps, the legend and the layer files: parsing, writing, round trips and bad input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "levelfile.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

using namespace levels;

namespace {

Legend shippedLegend() {
    Legend legend;
    std::string text, error;
    EXPECT_TRUE(readTextFile(std::string(ASSETS_DIR) + "/levels/legend.txt", text, error)) << error;
    EXPECT_TRUE(legend.parse(text, error)) << error;
    return legend;
}

std::string sourceName(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "%s/levels/level%02d.txt", ASSETS_DIR, n);
    return name;
}

// A small valid map: a corridor with a bug, clovers, a flower and a junction.
const char* kSmallMap =
    "title: Test\n"
    "map:\n"
    "####################\n"
    "#@cccccccc+cccccccf#\n"
    "#.########.#######.#\n"
    "#..................#\n"
    "##################.#\n"
    "#..................#\n"
    "#.##################\n"
    "#..................#\n"
    "##################.#\n"
    "#..................#\n"
    "#.##################\n"
    "#..................#\n"
    "#.################.#\n"
    "#..................#\n"
    "####################\n";

}  // namespace

TEST(LevelLegend, ShippedLegendCoversEveryCode) {
    Legend legend = shippedLegend();
    // Each layer-1 code a level file may hold has a character, alone and on a junction where a
    // baddy or the bug can stand there.
    for (uint8_t code :
         {kFloor, kWall, kBug, kBlock, kBaddyRight, kBaddyLeft, kBaddyUp, kBaddyDown})
        EXPECT_NE(legend.byCodes(code, 0, 0), nullptr) << int(code);
    for (uint8_t item : {kClover, kFlower, kSpikyBomb}) {
        EXPECT_NE(legend.byCodes(kFloor, item, 0), nullptr) << int(item);
        EXPECT_NE(legend.byCodes(kFloor, item, kJunction), nullptr) << int(item);
    }
    EXPECT_EQ(legend.bySymbol('#')->map, kWall);
    EXPECT_EQ(legend.bySymbol('@')->map, kBug);
    EXPECT_EQ(legend.bySymbol('+')->junctions, kJunction);
}

TEST(LevelLegend, RejectsAmbiguousOrMalformedLines) {
    Legend legend;
    std::string error;
    EXPECT_FALSE(legend.parse("cell a 0 0 0 x\ncell a 1 0 0 y\n", error));
    EXPECT_NE(error.find("defined twice"), std::string::npos);
    EXPECT_FALSE(legend.parse("cell a 0 0 0 x\ncell b 0 0 0 y\n", error));
    EXPECT_NE(error.find("combination"), std::string::npos);
    EXPECT_FALSE(legend.parse("cell ab 0 0 0 x\n", error));
    EXPECT_FALSE(legend.parse("cell a 0 256 0 x\n", error));
    EXPECT_FALSE(legend.parse("cell a 0 -1 0 x\n", error));
    EXPECT_FALSE(legend.parse("# only comments\n", error));
}

TEST(LevelText, ParsesLayersAndHeader) {
    Legend legend = shippedLegend();
    Level level;
    std::string error;
    ASSERT_TRUE(parseLevelText(kSmallMap, legend, level, error)) << error;
    EXPECT_EQ(level.title, "Test");
    EXPECT_EQ(level.map[cellIndex(1, 1)], kBug);
    EXPECT_EQ(level.items[cellIndex(2, 1)], kClover);
    EXPECT_EQ(level.items[cellIndex(18, 1)], kFlower);
    EXPECT_EQ(level.junctions[cellIndex(10, 1)], kJunction);
    EXPECT_EQ(level.map[cellIndex(0, 0)], kWall);
    // Cells beyond the visible 20 x 15 stay empty.
    EXPECT_EQ(level.map[cellIndex(20, 0)], 0);
    EXPECT_EQ(level.map[cellIndex(0, 15)], 0);
}

TEST(LevelText, RejectsBadMaps) {
    Legend legend = shippedLegend();
    Level level;
    std::string error;
    std::string good = kSmallMap;

    EXPECT_FALSE(parseLevelText("title: x\n", legend, level, error));
    EXPECT_NE(error.find("map:"), std::string::npos);

    std::string shortRow = good;
    shortRow.replace(shortRow.find("#@cc"), 4, "#@c");
    EXPECT_FALSE(parseLevelText(shortRow, legend, level, error));
    EXPECT_NE(error.find("characters"), std::string::npos);

    std::string unknown = good;
    unknown[unknown.find("#@") + 1] = 'Q';
    EXPECT_FALSE(parseLevelText(unknown, legend, level, error));
    EXPECT_NE(error.find("'Q'"), std::string::npos);

    std::string missingRow = good.substr(0, good.rfind("####################\n"));
    EXPECT_FALSE(parseLevelText(missingRow, legend, level, error));
    EXPECT_NE(error.find("rows"), std::string::npos);

    EXPECT_FALSE(parseLevelText(good + "####\n", legend, level, error));
    EXPECT_FALSE(parseLevelText("colour: red\n" + good, legend, level, error));
}

TEST(LevelText, FormatThenParseGivesTheSameLevel) {
    Legend legend = shippedLegend();
    Level a, b;
    std::string error, text;
    ASSERT_TRUE(parseLevelText(kSmallMap, legend, a, error)) << error;
    ASSERT_TRUE(formatLevelText(a, legend, text, error)) << error;
    ASSERT_TRUE(parseLevelText(text, legend, b, error)) << error;
    EXPECT_EQ(a.map, b.map);
    EXPECT_EQ(a.items, b.items);
    EXPECT_EQ(a.junctions, b.junctions);
    EXPECT_EQ(b.title, "Test");
}

TEST(LevelText, FormatRefusesWhatTheTextCannotCarry) {
    Legend legend = shippedLegend();
    Level level;
    std::string error, text;
    ASSERT_TRUE(parseLevelText(kSmallMap, legend, level, error)) << error;

    Level wallWithClover = level;
    wallWithClover.items[cellIndex(0, 0)] = kClover;  // no character means "wall with a clover"
    EXPECT_FALSE(formatLevelText(wallWithClover, legend, text, error));
    EXPECT_NE(error.find("(0, 0)"), std::string::npos);

    Level outside = level;
    outside.map[cellIndex(25, 3)] = kWall;
    EXPECT_FALSE(formatLevelText(outside, legend, text, error));
    EXPECT_NE(error.find("outside"), std::string::npos);

    Level oddCode = level;
    oddCode.map[cellIndex(3, 3)] = 34;  // a reservation only exists while the game runs
    EXPECT_FALSE(formatLevelText(oddCode, legend, text, error));
}

TEST(LevelFiles, AllShippedLevelsSurviveCompileAndDecompile) {
    Legend legend = shippedLegend();
    TestFolder dir;
    for (int n = 1; n <= kShippedLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        std::string text, error, back;
        ASSERT_TRUE(readTextFile(sourceName(n), text, error)) << error;
        Level source, loaded, reparsed;
        ASSERT_TRUE(parseLevelText(text, legend, source, error)) << error;
        ASSERT_TRUE(saveLevelFiles(dir.path(), n, source, error)) << error;
        for (int layer = 1; layer <= 3; ++layer)
            EXPECT_EQ(readText(layerFileName(dir.path(), n, layer)).size(), 1200u);
        ASSERT_TRUE(loadLevelFiles(dir.path(), n, loaded, error)) << error;
        EXPECT_EQ(loaded.map, source.map);
        EXPECT_EQ(loaded.items, source.items);
        EXPECT_EQ(loaded.junctions, source.junctions);
        ASSERT_TRUE(formatLevelText(loaded, legend, back, error)) << error;
        ASSERT_TRUE(parseLevelText(back, legend, reparsed, error)) << error;
        EXPECT_EQ(reparsed.map, source.map);
        EXPECT_EQ(reparsed.items, source.items);
        EXPECT_EQ(reparsed.junctions, source.junctions);
        // The map rows of the decompiled text are the source's rows.
        EXPECT_EQ(back.substr(back.find("map:")), text.substr(text.find("map:")));
    }
}

TEST(LevelFiles, FileNamesFollowTheLevelNumber) {
    EXPECT_EQ(layerFileName("Maps", 1, 1), "Maps/Map1-1.bin");
    EXPECT_EQ(layerFileName("Maps/", 10, 3), "Maps/Map10-3.bin");
    EXPECT_EQ(layerFileName("", 28, 2), "Map28-2.bin");
}

TEST(LevelFiles, ShortMissingOrLongLayerFilesAreErrors) {
    TestFolder dir;
    Layer layer;
    std::string error;
    EXPECT_FALSE(readLayerFile(dir.file("none.bin"), layer, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    writeText(dir.file("short.bin"), std::string(1199, '\0'));
    EXPECT_FALSE(readLayerFile(dir.file("short.bin"), layer, error));
    EXPECT_NE(error.find("1199"), std::string::npos);
    writeText(dir.file("long.bin"), std::string(1201, '\1'));
    EXPECT_FALSE(readLayerFile(dir.file("long.bin"), layer, error));
    writeText(dir.file("ok.bin"), std::string(1200, '\7'));
    EXPECT_TRUE(readLayerFile(dir.file("ok.bin"), layer, error)) << error;
    EXPECT_EQ(layer[1199], 7);
}

TEST(LevelFiles, WritingIntoAMissingFolderFailsCleanly) {
    Layer layer{};
    std::string error;
    EXPECT_FALSE(writeLayerFile("/nonexistent-folder/Map1-1.bin", layer, error));
    EXPECT_FALSE(error.empty());
}

TEST(LevelJunctions, MarksExactlyTheCellsWithThreeOrMoreWays) {
    Legend legend = shippedLegend();
    Level level;
    std::string error;
    ASSERT_TRUE(parseLevelText(kSmallMap, legend, level, error)) << error;
    level.junctions[cellIndex(5, 5)] = kJunction;  // a corridor cell: the mark must go
    int marks = markJunctions(level);
    // The three-way cells of this map: the T under the flower row, the cell below it, the right end
    // of row 3 and the left end of row 11.
    EXPECT_EQ(marks, 4);
    for (auto [c, r] : {std::pair{10, 1}, {10, 3}, {18, 3}, {1, 11}})
        EXPECT_EQ(level.junctions[cellIndex(c, r)], kJunction) << c << "," << r;
    EXPECT_EQ(level.junctions[cellIndex(5, 5)], 0);
    EXPECT_EQ(openNeighbours(level, 10, 1), 3);
    EXPECT_EQ(openNeighbours(level, 5, 3), 2);
    // The start cells of actors are not counted as ways by the marker (they are not empty at the
    // start), though the checker accepts a mark beside them.
    Level beside = level;
    beside.map[cellIndex(9, 1)] = kBaddyLeft;
    EXPECT_EQ(markJunctions(beside), 3);
    EXPECT_EQ(beside.junctions[cellIndex(10, 1)], 0);
    // A breakable block does not count as a way.
    level.map[cellIndex(10, 2)] = kBlock;
    EXPECT_EQ(markJunctions(level), 2);
    EXPECT_EQ(level.junctions[cellIndex(10, 1)], 0);
}

// levelc mark rewrites only the map rows, through the parser that compile uses: a marked source
// compiles, whatever its line ends, header spacing or comments.
TEST(LevelMarkTool, MarkedSourcesCompileAndKeepEverythingElse) {
    const std::string legend = std::string(ASSETS_DIR) + "/levels/legend.txt";
    const std::string small = kSmallMap;
    const std::string rows = small.substr(small.find("map:\n") + 5);
    auto crlf = [](std::string t) {
        for (size_t at = 0; (at = t.find('\n', at)) != std::string::npos; at += 2)
            t.insert(at, 1, '\r');
        return t;
    };
    const std::vector<std::string> sources = {
        crlf(small),
        "title: Blank after the colon\nmap: \t\n" + rows + "\n\n",
        "# the rows follow map: below\n# map:\ntitle: Comment\n  map:\n" + rows,
    };
    Legend shipped = shippedLegend();
    for (const std::string& source : sources) {
        SCOPED_TRACE(source.substr(0, 40));
        TestFolder dir;
        const std::string path = dir.file("level.txt");
        writeText(path, source);
        const int marked = std::system(
            ("'" LEVELC_PATH "' mark '" + legend + "' '" + path + "' >/dev/null").c_str());
        ASSERT_EQ(0, marked);
        const std::string after = readText(path);
        const int compiled = std::system(
            ("'" LEVELC_PATH "' compile '" + legend + "' '" + path + "' '" + dir.path() + "' 1")
                .c_str());
        ASSERT_EQ(0, compiled);

        Level level, expected;
        std::string error;
        ASSERT_TRUE(loadLevelFiles(dir.path(), 1, level, error)) << error;
        ASSERT_TRUE(parseLevelText(source, shipped, expected, error)) << error;
        markJunctions(expected);
        EXPECT_EQ(expected.junctions, level.junctions);
        EXPECT_EQ(expected.map, level.map);
        EXPECT_EQ(4, std::count(level.junctions.begin(), level.junctions.end(), kJunction));
        // The three marks the source lacks are the only change: every other byte, line ends and
        // comments included, is the same.
        ASSERT_EQ(source.size(), after.size());
        size_t changed = 0;
        for (size_t i = 0; i < source.size(); ++i) changed += source[i] != after[i];
        EXPECT_EQ(3u, changed);
    }
}

TEST(LevelMarkTool, OversizedSourcesAreRefused) {
    TestFolder dir;
    const std::string path = dir.file("huge.txt");
    writeText(path, std::string(kSmallMap) + std::string(kMaxLevelSourceBytes, '\n'));
    std::string text, error;
    EXPECT_FALSE(readTextFile(path, text, error));
    EXPECT_NE(std::string::npos, error.find("larger than")) << error;
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(readTextFile(dir.path(), text, error));  // a folder is not a source
}
