// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The whole start-up: the "Loading..." screen in the default font, "Init OK", the window title,
// the working directory, and (under an X server) what the window really shows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "gl_fixture.h"
#include "graphics/fonts.h"
#include "platform/platform.h"

namespace {

std::string loadingShot;
int presents = 0;

void saveFirstFrame() {
    if (presents++ == 0) saveScreenshot(loadingShot.c_str());
}

// The expected loading screen, drawn on the CPU from the built-in font picture.
std::vector<uint8_t> expectedLoadingScreen() {
    RgbaImage font;
    makeDefaultFontImage(font);
    std::vector<uint8_t> screen(320 * 240 * 4, 0);
    for (size_t i = 3; i < screen.size(); i += 4) screen[i] = 255;
    const std::string text = "Loading...";
    const int x0 = (320 - static_cast<int>(text.size()) * 8) / 2, y0 = (240 - 8) / 2;
    for (size_t i = 0; i < text.size(); ++i) {
        const int code = static_cast<unsigned char>(text[i]) % 128;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const uint8_t* p = font.pixel((code % 16) * 8 + x, (code / 16) * 8 + y);
                if (p[3] == 0) continue;
                uint8_t* q = &screen[((static_cast<size_t>(y0) + y) * 320 + x0 + i * 8 + x) * 4];
                q[0] = p[0], q[1] = p[1], q[2] = p[2];
            }
    }
    return screen;
}

bool haveTool(const char* tool) {
    std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

}  // namespace

TEST(Startup, LoadingScreenInitOkTitleAndFolder) {
    useHeadlessVideoIfNoDisplay();
    const std::string folder = scratchFolder("startup");
    setenv("TMPDIR", folder.c_str(), 1);
    loadingShot = folder + "/loading.png";
    runtimeSettings = RuntimeSettings();  // the game's settings: 320 x 240, fullscreen, 60 fps
    setPresentHook(saveFirstFrame);

    testing::internal::CaptureStdout();
    startRuntime("Crumlet");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Init OK\n"), std::string::npos);
    EXPECT_STREQ(platformWindowTitle(), "Crumlet");
    EXPECT_EQ(runtimeState.autoPause, 1);
    EXPECT_EQ(runtimeState.paused, 0);
    EXPECT_LT(elapsedMs(), 1000);
    EXPECT_TRUE(theRenderer->isFullscreen());

    // The program's folder is the current directory.
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string program = platformProgramPath();
    EXPECT_EQ(std::string(cwd), program.substr(0, program.find_last_of('/')));

    // The loading frame, as the logical screen held it when it was presented.
    RgbaImage shot;
    ASSERT_TRUE(decodePng(loadingShot.c_str(), kNoColourKey, shot));
    ASSERT_EQ(shot.width, 320);
    ASSERT_EQ(shot.height, 240);
    EXPECT_EQ(shot.pixels, expectedLoadingScreen()) << "Loading... centred in the built-in font";

    // Under an X server: the window shows that frame scaled by a whole factor.
    const char* display = std::getenv("DISPLAY");
    if (display && *display && haveTool("import") && haveTool("xdotool")) {
        const std::string grab = folder + "/root.png";
        const std::string geometry = folder + "/geometry.txt";
        std::string cmd =
            "xdotool search --name '^Crumlet$' getwindowgeometry --shell > '" + geometry + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        int x = -1, y = -1, w = 0, h = 0;
        if (FILE* f = std::fopen(geometry.c_str(), "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, f)) {
                std::sscanf(line, "X=%d", &x);
                std::sscanf(line, "Y=%d", &y);
                std::sscanf(line, "WIDTH=%d", &w);
                std::sscanf(line, "HEIGHT=%d", &h);
            }
            std::fclose(f);
        }
        PlatformPlacement p = platformPlacementFor(w, h, 320, 240);
        ASSERT_GE(p.scale, 1);
        // Other programs' windows on the same display may cover ours for a moment: raise it and
        // grab again until a grab shows it whole.
        int mismatches = -1;
        for (int attempt = 0; attempt < 10 && mismatches != 0; ++attempt) {
            cmd = "xdotool search --name '^Crumlet$' windowraise && import -window root '" + grab +
                  "'";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
            RgbaImage root;
            ASSERT_TRUE(decodePng(grab.c_str(), kNoColourKey, root));
            mismatches = 0;
            for (int ly = 0; ly < 240; ++ly)
                for (int lx = 0; lx < 320; ++lx) {
                    const uint8_t* want = shot.pixel(lx, ly);
                    for (int sy = 0; sy < p.scale; ++sy)
                        for (int sx = 0; sx < p.scale; ++sx) {
                            int rx = x + p.left + lx * p.scale + sx,
                                ry = y + p.top + ly * p.scale + sy;
                            if (rx < 0 || ry < 0 || rx >= root.width || ry >= root.height) continue;
                            const uint8_t* got = root.pixel(rx, ry);
                            if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2])
                                ++mismatches;
                        }
                }
        }
        EXPECT_EQ(mismatches, 0) << "window at " << x << "," << y << " size " << w << "x" << h;
    }

    setPresentHook(nullptr);
    shutdownRuntime();
    EXPECT_EQ(theRenderer, nullptr);
}

TEST(Startup, NoDisplayAtAllEndsWithAReason) {
    // No X server and no offscreen driver: start-up says why and ends with status 1 instead of
    // letting the game run blind.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* old = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    runtimeSettings = RuntimeSettings();
    EXPECT_EXIT(startRuntime("Crumlet"), ::testing::ExitedWithCode(1),
                "no window with an OpenGL context");
    // The tests after this one in the same process need their video driver back.
    if (old)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
}

TEST(Startup, HiddenShowCommandLeavesTheWindowHidden) {
    useHeadlessVideoIfNoDisplay();
    const std::string folder = scratchFolder("hidden");
    setenv("TMPDIR", folder.c_str(), 1);
    runtimeSettings = RuntimeSettings();
    runtimeSettings.fullScreen = 0;
    testing::internal::CaptureStdout();
    startRuntime("Crumlet", 0);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(platformWindowVisible());
    EXPECT_FALSE(theRenderer->isFullscreen());
    shutdownRuntime();
}
