// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screen-level test support: the runtime started for real and a present hook as the player.
#include "screen_support.h"

#include <sys/stat.h>

#include <cstdlib>

#include "app/startup.h"
#include "devices/input.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "graphics/present.h"
#include "graphics/screenshots.h"
#include "graphics/sprites.h"
#include "runtime/lifecycle.h"

using namespace crumlet;

namespace {

std::function<void(int)> frameHandler;
int presented = 0;
void presentHook() {
    ++presented;
    if (frameHandler) frameHandler(presented);
}

void writeSolidStrip(const std::string& path, int frames, int frameWidth, int frameHeight,
                     const std::vector<uint32_t>& colours) {
    int width = frames * frameWidth;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * frameHeight * 4, 0);
    for (int f = 0; f < frames; ++f) {
        uint32_t c = colours[static_cast<size_t>(f) % colours.size()];
        for (int y = 0; y < frameHeight; ++y) {
            for (int x = 0; x < frameWidth; ++x) {
                uint8_t* p = &rgba[(static_cast<size_t>(y) * width + f * frameWidth + x) * 4];
                p[0] = static_cast<uint8_t>(c >> 16);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c);
                p[3] = c == 0 ? 0 : 255;  // colour 0 stands for "transparent"
            }
        }
    }
    ASSERT_TRUE(writePng(path.c_str(), rgba.data(), width, frameHeight, true)) << path;
}

}  // namespace

void onEveryFrame(std::function<void(int)> handler) {
    frameHandler = std::move(handler);
    presented = 0;
}

int framesPresented() { return presented; }

uint32_t Screen::at(int x, int y) const {
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

bool Screen::anyOtherThan(int x, int y, int w, int h, std::vector<uint32_t> colours) const {
    colours.push_back(0);
    for (int yy = y; yy < y + h; ++yy) {
        for (int xx = x; xx < x + w; ++xx) {
            uint32_t c = at(xx, yy);
            bool known = false;
            for (uint32_t k : colours) known = known || c == k;
            if (!known) return true;
        }
    }
    return false;
}

bool grabScreen(Screen& out) {
    RgbaImage image;
    if (saveScreenshot("capture.png") == 0 || !decodePng("capture.png", kNoColourKey, image))
        return false;
    out.width = image.width;
    out.height = image.height;
    out.rgba = image.pixels;
    return true;
}

void ScreenTest::SetUp() {
    GameFolderTest::SetUp();
    setPresentHook(presentHook);
    onEveryFrame(nullptr);
    loadTestMedia();
    releaseKeys();
}

void ScreenTest::TearDown() {
    onEveryFrame(nullptr);
    releaseKeys();
    clearFrame();
    GameFolderTest::TearDown();
}

void ScreenTest::loadTestMedia() {
    mkdir((folder + "/Media").c_str(), 0700);
    writeSolidStrip(folder + "/Media/Tiles1.png", 8, 16, 16,
                    {0, kWallColour, kCloverColour, 0, 0, 0, 0, kBlockColour});
    const char* bugs[4] = {"BugR", "BugL", "BugU", "BugD"};
    for (int d = 0; d < 4; ++d) {
        writeSolidStrip(folder + "/Media/" + bugs[d] + ".png", 16, 16, 16, {kBugColour});
    }
    writeSolidStrip(folder + "/Media/Baddy.png", 16, 16, 16, {kBaddyColour});
    // The box: a frame outline, so the entry's text stays visible inside it.
    {
        int w = 8 * 96, h = 16;
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int fx = x % 96;
                if (y == 0 || y == h - 1 || fx == 0 || fx == 95) {
                    uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                    p[0] = 255;
                    p[1] = 255;
                    p[2] = 0;
                    p[3] = 255;
                }
            }
        }
        ASSERT_TRUE(writePng((folder + "/Media/BoxStrip.png").c_str(), rgba.data(), w, h, true));
    }
    for (int slot = 0; slot <= 5; ++slot) {
        static const char* files[6] = {"Media/Tiles1.png", "Media/BugR.png", "Media/BugL.png",
                                       "Media/BugU.png",   "Media/BugD.png", "Media/Baddy.png"};
        loadSpriteStrip(files[slot], slot, 16, 16);
    }
    loadSpriteStrip("Media/BoxStrip.png", kSpriteBox, 96, 16);
    loadFontImage("", kFontStatus);  // the built-in font in both slots
    loadFontImage("", kFontMenu);
}

void ScreenTest::writeLevel(int level, const std::vector<std::string>& rows) {
    buildLevel(rows);
    std::vector<unsigned char> layers[3];
    for (auto& l : layers) l.assign(1200, 0);
    for (int i = 0; i < 1200; ++i) {
        layers[0][i] = static_cast<unsigned char>(numAt(game.mapGrid, i));
        layers[1][i] = static_cast<unsigned char>(numAt(game.itemGrid, i));
        layers[2][i] = static_cast<unsigned char>(numAt(game.junctionGrid, i));
    }
    for (int k = 0; k < 3; ++k) {
        writeFile("Maps/Map" + std::to_string(level) + "-" + std::to_string(k + 1) + ".bin",
                  layers[k]);
    }
}

// Starts the runtime once for the whole test program: a hidden window, no sound.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    runtimeSettings = RuntimeSettings();
    runtimeSettings.fullScreen = 0;
    startRuntime("Crumlet tests");
    setEscapeEnds(0);
    setPacingEnabled(false);
    setFrameRateCap(0);
    dimensionGameArrays();
    return RUN_ALL_TESTS();
}
