// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The driver's script directives, as a session writer relies on them.
#include "logic_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/driver.h"

namespace {

// A capital in a typed word is typed as a player types it, with Shift held, so that a session
// typing "Ab1c" shows name entry the capital it must ignore rather than a plain a.
TEST(DriverOptionsTest, TypedCapitalsHoldShift) {
    DriverScript s;
    std::string error;
    ASSERT_TRUE(parseDriverScript("type 10 Ab1c\n", "", s, error)) << error;
    unsigned char keys[256];

    driverKeysForFrame(s, 10, keys);
    EXPECT_EQ(keys[30], 0x80);  // a
    EXPECT_EQ(keys[42], 0x80);  // with left Shift
    driverKeysForFrame(s, 11, keys);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(keys[k], 0) << k;

    driverKeysForFrame(s, 12, keys);
    EXPECT_EQ(keys[48], 0x80);  // b, without Shift
    EXPECT_EQ(keys[42], 0);
    driverKeysForFrame(s, 14, keys);
    EXPECT_EQ(keys[2], 0x80);  // the digit 1
    EXPECT_EQ(keys[42], 0);
    driverKeysForFrame(s, 16, keys);
    EXPECT_EQ(keys[46], 0x80);  // c
    EXPECT_EQ(keys[42], 0);
}

// A script that is not a regular file, names a frame past the last one, holds a zero byte or is
// no script at all ends the run at once with status 2 and names the line, instead of running
// without end, wrapping a frame number or taking "seed 1\0garbage" for "seed 1".
TEST(DriverOptionsDeathTest, BadScriptsEndWithStatusTwoNamingTheLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    unsetenv("TOVRIK_DRIVER");
    // Each death test runs this body again in a new process up to its own statement and ends
    // there, so a fresh temporary folder per run would be left behind by every one of them: the
    // folder has a fixed name in the test's working folder instead, and may be found made.
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    const std::string folder = std::string(cwd) + "/driver-script-test";
    ASSERT_TRUE(mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST);
    const std::string fifo = folder + "/fifo";
    ASSERT_TRUE(mkfifo(fifo.c_str(), 0600) == 0 || errno == EEXIST);
    auto endsWith = [](const std::string& path, const char* message) {
        EXPECT_EXIT(configureDriver(path), ::testing::ExitedWithCode(2), message) << path;
    };
    endsWith(folder, "not a regular file");
    endsWith(fifo, "not a regular file");

    const std::pair<std::string, const char*> scripts[] = {
        {"type 9223372036854775806 a\n", "line 1: type"},
        {"type 9999999 ab\n", "line 1: the word's last letter"},
        {"seed 1\nkeys 5-10000001 Up\n", "line 2: keys"},
        {"shot 10000001 a.png\n", "line 1: shot"},
        {"\n\nquit 10000001\n", "line 3: quit"},
        {std::string("seed 1\0garbage\n", 15), "line 1: a zero byte"},
        {"seed 1\n\xEF\xBB\xBFquit 5\n", "line 2: unknown directive .\\\\xef\\\\xbb\\\\xbfquit"},
    };
    for (const auto& [text, message] : scripts) {
        const std::string path = folder + "/script.txt";
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        endsWith(path, message);
    }

    // A byte-order mark at the start is not part of the first line; the last frame is allowed.
    DriverScript s;
    std::string error;
    ASSERT_TRUE(parseDriverScript("\xEF\xBB\xBFseed 7\nquit 10000000\n", "", s, error)) << error;
    EXPECT_EQ(7, s.seed);
    EXPECT_EQ(10000000, s.quitFrame);
    std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
