// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's settings file: the commented defaults of the first run, the player's edits kept,
// and bad lines reported with their numbers and ignored.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/folders.h"
#include "tests/support/test_folder.h"

namespace {

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = temp_.path() + "/";
        path_ = folder_ + kSettingsFileName;
    }
    void TearDown() override { setPlayerFolder(""); }
    std::string read() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    TestFolder temp_{"crumlet-settings"};
    std::string folder_, path_;
};

TEST_F(SettingsFile, TheFirstRunWritesCommentedDefaultsAndNeverRewritesThem) {
    setPlayerFolder(folder_);
    ::testing::internal::CaptureStderr();
    const PlayerSettings first = loadPlayerSettings();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the defaults read back cleanly
    const std::string written = read();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written[0], '#');
    EXPECT_NE(written.find("\nup = Up\n"), std::string::npos);
    EXPECT_NE(written.find("\nvolume = 100\n"), std::string::npos);
    const PlayerSettings defaults;
    for (int a = 0; a < kGameActionCount; ++a) EXPECT_EQ(first.keys.keys[a], defaults.keys.keys[a]);
    EXPECT_TRUE(first.fullscreen);
    EXPECT_EQ(first.scale, 0);
    EXPECT_EQ(first.volume, 100);
    EXPECT_TRUE(first.controllers);

    const std::string edited = "[sound]\nvolume = 40\n[controller]\nenabled = no\n";
    write(edited);
    const PlayerSettings second = loadPlayerSettings();
    EXPECT_EQ(second.volume, 40);
    EXPECT_FALSE(second.controllers);
    EXPECT_EQ(read(), edited);
    EXPECT_FALSE(writeDefaultSettingsFile(path_));
    EXPECT_EQ(read(), edited);
}

TEST_F(SettingsFile, BadLinesAreReportedOnceWithTheirNumberAndIgnored) {
    write(
        "[keys]\n"                        // 1
        "up = w, Up\n"                    // 2
        "down = Hyperspace\n"             // 3 unknown key
        "this line has no equals sign\n"  // 4
        "; a comment\n"                   // 5
        "[sound]\n"                       // 6
        "volume = 150\n"                  // 7 out of range
        "volume = 50 ; half\n"            // 8
        "[graphics]\n"                    // 9 unknown section
        "shaders = on\n"                  // 10 unknown setting
        "[screen]\n"                      // 11
        "fullscreen = maybe\n"            // 12
        "scale = 2\n"                     // 13
        "left = a\n"                      // 14 a key in the wrong section
        "[keys\n"                         // 15
        "right =\n");                     // 16 still [screen]
    PlayerSettings s;
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(readSettingsFile(path_, s));
    const std::string report = ::testing::internal::GetCapturedStderr();
    auto count = [&](int line) {
        const std::string tag = path_ + ":" + std::to_string(line) + ":";
        int n = 0;
        for (size_t at = report.find(tag); at != std::string::npos; at = report.find(tag, at + 1))
            ++n;
        return n;
    };
    for (int line : {3, 4, 7, 9, 10, 12, 14, 15, 16}) EXPECT_EQ(count(line), 1) << "line " << line;
    for (int line : {1, 2, 5, 6, 8, 11, 13}) EXPECT_EQ(count(line), 0) << "line " << line;
    EXPECT_NE(report.find("Hyperspace"), std::string::npos);

    const KeyBindings defaults = defaultKeyBindings();
    EXPECT_EQ(s.keys[GameAction::Up], (std::vector<int>{17, 200}));
    EXPECT_EQ(s.keys[GameAction::Down], defaults[GameAction::Down]);
    EXPECT_EQ(s.keys[GameAction::Left], defaults[GameAction::Left]);
    EXPECT_EQ(s.volume, 50);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.scale, 2);
    EXPECT_FALSE(readSettingsFile(folder_ + "missing.ini", s));
}

// What used to be cut or dropped without a word: a NUL inside a line, CR-only line ends, a
// flood of bad lines, and a folder or an over-large file in the settings' place.
TEST_F(SettingsFile, DamagedFilesAreSaidNotSilentlyCutOrFlooded) {
    const char crOnly[] = "[sound]\rvolume = 5\0\r[screen]\rscale = 3\r";
    write(std::string(crOnly, sizeof crOnly - 1));
    PlayerSettings s;
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(readSettingsFile(path_, s));
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("CR alone"), std::string::npos) << report;
    EXPECT_NE(report.find(path_ + ":2: holds a NUL byte"), std::string::npos) << report;
    EXPECT_EQ(s.volume, 100);
    EXPECT_EQ(s.scale, 3);  // the lines after the first section still count

    std::string flood;
    for (int i = 0; i < 5000; ++i) flood += "bad line\n";
    write(flood);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(readSettingsFile(path_, s));
    report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 21) << report.substr(0, 300);
    EXPECT_NE(report.find(path_ + ": 4980 more lines ignored"), std::string::npos);

    write(std::string((1 << 20) + 1, '#'));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(readSettingsFile(path_, s));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("is larger than 1024 KiB"),
              std::string::npos);
    std::remove(path_.c_str());
    mkdir(path_.c_str(), 0700);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(readSettingsFile(path_, s));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(path_ + " is a folder"),
              std::string::npos);
}

}  // namespace
