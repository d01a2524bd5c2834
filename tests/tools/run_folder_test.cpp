// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The run folder after a build: the packed media archive with every file the game loads, the
// start-up font, the 84 level files and the three save files, and no loose media folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "levels/shipped.h"
#include "mediabuild.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

namespace {

const std::string kRun = TOVRIK_RUN_DIR;

int32_t le32(const std::string& s, size_t o) {
    return int32_t(uint32_t(uint8_t(s[o])) | uint32_t(uint8_t(s[o + 1])) << 8 |
                   uint32_t(uint8_t(s[o + 2])) << 16 | uint32_t(uint8_t(s[o + 3])) << 24);
}

}  // namespace

TEST(RunFolder, HoldsLevelsSaveFilesAndStartupFont) {
    for (int n = 1; n <= levels::kShippedLevelCount; ++n)
        for (int layer = 1; layer <= 3; ++layer) {
            std::string path =
                kRun + "/Maps/Map" + std::to_string(n) + "-" + std::to_string(layer) + ".bin";
            EXPECT_EQ(std::filesystem::file_size(path), 1200u) << path;
        }
    EXPECT_EQ(std::filesystem::file_size(kRun + "/Maps/Player.bin"), 8u);
    EXPECT_EQ(std::filesystem::file_size(kRun + "/Maps/Name.bin"), 6400u);
    EXPECT_EQ(std::filesystem::file_size(kRun + "/Maps/Data.bin"), 3200u);
    EXPECT_TRUE(std::filesystem::exists(kRun + "/smalfont.bmp"));
    EXPECT_FALSE(std::filesystem::exists(kRun + "/Media")) << "media come from the archive only";
}

TEST(RunFolder, ArchiveListsEveryMediaFile) {
    std::string kql = readText(kRun + "/Media.kql");
    ASSERT_FALSE(kql.empty()) << "no Media.kql in " << kRun;
    ASSERT_GE(kql.size(), 7u);
    ASSERT_EQ(kql.substr(kql.size() - 7, 3), "kqL");
    int32_t dir = le32(kql, kql.size() - 4);
    size_t pos = dir >= 0 ? size_t(dir) : size_t(int64_t(kql.size()) + dir);
    std::set<std::string> names;
    while (pos < kql.size() && kql[pos] != 0) {
        size_t len = uint8_t(kql[pos]);
        ASSERT_LE(pos + 1 + len + 8, kql.size());
        std::string name = kql.substr(pos + 1, len);
        int32_t size = le32(kql, pos + 1 + len + 4);
        EXPECT_GT(size, 4) << name;
        names.insert(name);
        pos += 1 + len + 8;
    }
    std::set<std::string> expected = {
        "Tiles1.png",    "BugR.png",      "BugL.png",      "BugU.png",        "BugD.png",
        "Baddy.png",     "Wuschel.png",   "Sternchen.png", "SpikeyBall.png",  "FruitStrip.png",
        "Blume.png",     "Disappear.png", "Shrink.png",    "FlushSpikey.png", "Explos.png",
        "TakeStrip.png", "FireStrip.png", "BoxStrip.png",  "Bild.png",        "zFont.png",
        "xFont.png"};
    for (const std::string& s : media::soundNames()) expected.insert(s + ".wav");
    EXPECT_EQ(names, expected);
}
