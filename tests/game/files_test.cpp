// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level, profile, name and score files, byte for byte.
#include "logic_support.h"

using namespace crumlet;

namespace {

using FilesTest = GameFolderTest;

std::vector<unsigned char> layer(unsigned char seed) {
    std::vector<unsigned char> bytes(1200);
    for (int i = 0; i < 1200; ++i) bytes[i] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
    return bytes;
}

TEST_F(FilesTest, LoadMapsReadsTheThreeLayersOfTheSelectedLevel) {
    writeFile("Maps/Map10-1.bin", layer(1));
    writeFile("Maps/Map10-2.bin", layer(2));
    writeFile("Maps/Map10-3.bin", layer(3));
    writeFile("Maps/Map1-1.bin", std::vector<unsigned char>(1200, 9));  // must not be read
    game.level = 10;
    LoadMaps();
    for (int i : {0, 1, 255, 599, 1199}) {
        EXPECT_EQ(numAt(game.mapGrid, i), (i * 7 + 1) & 0xFF);
        EXPECT_EQ(numAt(game.itemGrid, i), (i * 7 + 2) & 0xFF);
        EXPECT_EQ(numAt(game.junctionGrid, i), (i * 7 + 3) & 0xFF);
    }
}

TEST_F(FilesTest, BytesBeyondTheLayerSizeAreIgnored) {
    std::vector<unsigned char> longer = layer(4);
    longer.push_back(77);
    writeFile("Maps/Map2-1.bin", longer);
    writeFile("Maps/Map2-2.bin", layer(5));
    writeFile("Maps/Map2-3.bin", layer(6));
    game.level = 2;
    LoadMaps();
    EXPECT_EQ(numAt(game.mapGrid, 1199), (1199 * 7 + 4) & 0xFF);
}

using FilesDeathTest = FilesTest;

TEST_F(FilesDeathTest, AShortOrMissingLevelFileStopsWithErrorThree) {
    writeFile("Maps/Map3-1.bin", layer(1));
    writeFile("Maps/Map3-2.bin", std::vector<unsigned char>(1199, 0));
    writeFile("Maps/Map3-3.bin", layer(3));
    game.level = 3;
    EXPECT_EXIT(LoadMaps(), ::testing::ExitedWithCode(3), "");
    game.level = 4;  // no files at all
    EXPECT_EXIT(LoadMaps(), ::testing::ExitedWithCode(3), "");
}

TEST_F(FilesDeathTest, MissingOrShortSaveFilesStopWithErrorThree) {
    EXPECT_EXIT(LoadPlayer(), ::testing::ExitedWithCode(3), "");
    writeFile("Maps/Name.bin", std::vector<unsigned char>(6399, 0));
    EXPECT_EXIT(LoadNsData(), ::testing::ExitedWithCode(3), "");
    writeFile("Maps/Data.bin", std::vector<unsigned char>(3199, 0));
    EXPECT_EXIT(LoadHsData(), ::testing::ExitedWithCode(3), "");
}

TEST_F(FilesTest, ProfileRoundTripsByteForByte) {
    writeFile("Maps/Player.bin", {'b', 'u', 'g', 0, 0, 0, 0, 0});
    LoadPlayer();
    playerNameFromCodes();
    EXPECT_EQ(textOf(game.playerName), "bug");
    playerCodesFromName();
    SavePlayer();
    EXPECT_EQ(readFile("Maps/Player.bin"),
              (std::vector<unsigned char>{'b', 'u', 'g', 0, 0, 0, 0, 0}));
}

TEST_F(FilesTest, ScoresAreStoredAsLittleEndianLongs) {
    numAt(game.hiScores, 0) = 1234;
    numAt(game.hiScores, 1) = 2147483647;
    numAt(game.hiScores, 799) = 70000;
    SaveHsData();
    std::vector<unsigned char> bytes = readFile("Maps/Data.bin");
    ASSERT_EQ(bytes.size(), 3200u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 4),
              (std::vector<unsigned char>{0xD2, 0x04, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 4, bytes.begin() + 8),
              (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 4, bytes.end()),
              (std::vector<unsigned char>{0x70, 0x11, 0x01, 0}));

    for (int i = 0; i < 800; ++i) numAt(game.hiScores, i) = 0;
    LoadHsData();
    EXPECT_EQ(numAt(game.hiScores, 0), 1234);
    EXPECT_EQ(numAt(game.hiScores, 1), 2147483647);
    EXPECT_EQ(numAt(game.hiScores, 799), 70000);
}

TEST_F(FilesTest, ScoresWrittenByAnotherToolLoadAsUnsigned) {
    std::vector<unsigned char> bytes(3200, 0);
    bytes[8] = 0xFF;
    bytes[9] = 0xFF;
    bytes[10] = 0xFF;
    bytes[11] = 0xFF;
    writeFile("Maps/Data.bin", bytes);
    LoadHsData();
    EXPECT_EQ(numAt(game.hiScores, 2), 4294967295.0);
}

TEST_F(FilesTest, NamesRoundTripThroughCodesAndTheFile) {
    // Name 0 has all 8 letters, name 1 none, name 799 three.
    std::vector<unsigned char> bytes(6400, 0);
    const char* full = "abcdefgh";
    for (int j = 0; j < 8; ++j) bytes[j] = static_cast<unsigned char>(full[j]);
    bytes[799 * 8 + 0] = 'z';
    bytes[799 * 8 + 1] = 'o';
    bytes[799 * 8 + 2] = 'e';
    writeFile("Maps/Name.bin", bytes);

    LoadNsData();
    MakeString();
    EXPECT_EQ(textOf(textAt(game.hiNames, 0)), "abcdefgh");
    EXPECT_EQ(textLength(textAt(game.hiNames, 1)), 0);
    EXPECT_EQ(textOf(textAt(game.hiNames, 799)), "zoe");

    for (int i = 0; i < 6400; ++i) numAt(game.nameCodes, i) = 99;  // MakeNsData must overwrite all
    MakeNsData();
    SaveNsData();
    EXPECT_EQ(readFile("Maps/Name.bin"), bytes);
}

TEST_F(FilesTest, MakeNsDataCutsNamesLongerThanEightLetters) {
    textAt(game.hiNames, 5) = "abcdefghij";
    MakeNsData();
    for (int j = 0; j < 8; ++j) EXPECT_EQ(numAt(game.nameCodes, 5 * 8 + j), 'a' + j);
    EXPECT_EQ(numAt(game.nameCodes, 6 * 8), 0);
}

}  // namespace
