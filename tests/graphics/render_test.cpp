// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sprites, shapes, alpha modes, collisions and screenshots, checked by the pixels they leave on
// the logical screen.
#include <GL/gl.h>

#include <array>
#include <fstream>
#include <sstream>

#include "gl_fixture.h"
#include "graphics/fonts.h"
#include "graphics/sprites.h"

using Px = std::array<uint8_t, 4>;

namespace {
Px solid(uint8_t r, uint8_t g, uint8_t b) { return Px{r, g, b, 255}; }
}  // namespace

TEST_F(RendererTest, FramePositionIsRoundedUpToWholePixels) {
    std::string path = png("red.png", 16, 16, true, [](int, int) { return solid(255, 0, 0); });
    ASSERT_EQ(loadSpriteStrip(path.c_str(), 3, 16, 16), 1);
    drawSpriteFrame(3, 0, 0.2, 0);
    EXPECT_EQ(readPixel(0, 8), 0);
    EXPECT_EQ(readPixel(1, 8), 255);
    EXPECT_EQ(readPixel(16, 8), 255);
    EXPECT_EQ(readPixel(17, 8), 0);
    EXPECT_EQ(readPixel(1, 15), 255);
    EXPECT_EQ(readPixel(1, 16), 0);
}

TEST_F(RendererTest, ColourKeyIsTransparentInRgbAndOpaqueInRgba) {
    auto pattern = [](int x, int) { return x == 0 ? Px{255, 0, 128, 255} : solid(0, 255, 0); };
    std::string rgb = png("rgb.png", 2, 1, false, pattern);
    std::string rgba = png("rgba.png", 2, 1, true, pattern);
    fillRect(0, 0, 320, 240, colour(0, 0, 255));
    ASSERT_EQ(loadSpriteImage(rgb.c_str(), 1), 1);
    ASSERT_EQ(loadSpriteImage(rgba.c_str(), 2), 1);
    blitSprite(1, 10, 10);
    blitSprite(2, 10, 20);
    EXPECT_EQ(readPixel(10, 10), colour(0, 0, 255)) << "key pixel of an RGB image shows through";
    EXPECT_EQ(readPixel(11, 10), colour(0, 255, 0));
    EXPECT_EQ(readPixel(10, 20), colour(255, 0, 128)) << "same colour with alpha stays opaque";

    // A bitmap has no alpha: the key applies.
    BmpLayout s;
    s.width = 2;
    s.height = 1;
    s.colour = [](int x, int) { return x == 0 ? Rgb{255, 0, 128} : Rgb{10, 20, 30}; };
    writeBytes(file("key.bmp"), makeBmp(s));
    ASSERT_EQ(loadSpriteImage(file("key.bmp").c_str(), 4), 1);
    blitSprite(4, 10, 30);
    EXPECT_EQ(readPixel(10, 30), colour(0, 0, 255));
    EXPECT_EQ(readPixel(11, 30), colour(10, 20, 30));
}

TEST_F(RendererTest, TextureSizesAndStripFrames) {
    std::string strip = png("strip.png", 96, 16, true,
                            [](int x, int) { return solid(static_cast<uint8_t>(x * 2), 7, 9); });
    ASSERT_EQ(loadSpriteStrip(strip.c_str(), 17, 16, 16), 1);
    const SpriteEntry* e = theRenderer->entry(17);
    EXPECT_EQ(e->textureWidth, 128);
    EXPECT_EQ(e->textureHeight, 16);
    EXPECT_EQ(e->imageWidth, 96);
    EXPECT_EQ(e->frameWidth, 16);
    // Frame 5 is the last of the row: picture columns 80 to 95.
    drawSpriteFrame(17, 5, 0, 0);
    EXPECT_EQ(readPixel(0, 0), colour(160, 7, 9));
    EXPECT_EQ(readPixel(15, 15), colour(190, 7, 9));

    std::string one = png("one.png", 1, 1, true, [](int, int) { return solid(1, 2, 3); });
    ASSERT_EQ(loadSpriteImage(one.c_str(), 5), 1);
    EXPECT_EQ(theRenderer->entry(5)->textureWidth, 2);
    EXPECT_EQ(theRenderer->entry(5)->textureHeight, 2);
    double w = 0, h = 0;
    querySpriteSize(5, w, h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);

    // Reloading a strip slot as a plain image keeps its frame size.
    ASSERT_EQ(loadSpriteImage(strip.c_str(), 17), 1);
    EXPECT_EQ(theRenderer->entry(17)->frameWidth, 16);
    EXPECT_EQ(theRenderer->entry(17)->frameHeight, 16);
}

TEST_F(RendererTest, MissingOrBrokenFilesLeaveEmptySlotsThatDrawNothing) {
    std::string path = png("ok.png", 8, 8, true, [](int, int) { return solid(200, 200, 200); });
    ASSERT_EQ(loadSpriteStrip(path.c_str(), 6, 8, 8), 1);
    EXPECT_EQ(loadSpriteImage(file("missing.png").c_str(), 6), 0);
    EXPECT_EQ(theRenderer->entry(6)->textureWidth, -1);
    writeBytes(file("broken.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
    EXPECT_EQ(loadSpriteImage(file("broken.png").c_str(), 6), 0);
    const std::vector<uint8_t> before = screen();
    drawSpriteFrame(6, 0, 10, 10);
    blitSprite(6, 30, 30);
    blitSpriteScaled(6, 40, 40, 20, 20);
    drawSpriteFrame(99, 0, 10, 10);  // never loaded
    blitSprite(-5, 0, 0);            // outside the table
    blitSprite(70000, 0, 0);
    EXPECT_EQ(screen(), before);
    deleteSprite(6);
    EXPECT_EQ(theRenderer->entry(6)->imageWidth, 0);
}

TEST_F(RendererTest, ShapesCoverExactlyTheirPixels) {
    const int white = colour(255, 255, 255);
    fillRect(20, 50, -10, 5, white);
    EXPECT_EQ(readPixel(10, 52), 0);
    EXPECT_EQ(readPixel(11, 52), white);
    EXPECT_EQ(readPixel(20, 52), white);
    EXPECT_EQ(readPixel(21, 52), 0);
    EXPECT_EQ(readPixel(15, 49), 0);
    EXPECT_EQ(readPixel(15, 50), white);
    EXPECT_EQ(readPixel(15, 54), white);
    EXPECT_EQ(readPixel(15, 55), 0);

    glClear(GL_COLOR_BUFFER_BIT);
    strokeLine(5, 5, 5, 5, white);
    std::vector<uint8_t> s = screen();
    int lit = 0;
    for (size_t i = 0; i < s.size(); i += 4) lit += s[i] != 0;
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(readPixel(5, 5), white);

    strokeLine(0, 100, 9, 100, white);
    for (int x = 0; x <= 9; ++x) EXPECT_EQ(readPixel(x, 100), white) << x;
    EXPECT_EQ(readPixel(10, 100), 0);
    strokeLine(50, 10, 50, 19, white);
    for (int y = 10; y <= 19; ++y) EXPECT_EQ(readPixel(50, y), white) << y;
    EXPECT_EQ(readPixel(50, 20), 0);
    plotPoint(300, 200, colour(1, 2, 3));
    EXPECT_EQ(readPixel(300, 200), colour(1, 2, 3));
    EXPECT_EQ(readPixel(-1, 0), 0);
    EXPECT_EQ(readPixel(320, 0), 0);
}

TEST_F(RendererTest, AlphaModes) {
    std::string path =
        png("white.png", 16, 16, true, [](int, int) { return solid(255, 255, 255); });
    ASSERT_EQ(loadSpriteImage(path.c_str(), 1), 1);
    fillRect(0, 0, 320, 240, colour(100, 100, 100));
    setAlphaMode(-0.5);  // half transparent
    blitSprite(1, 0, 0);
    setAlphaMode(0.5);  // added at half strength
    blitSprite(1, 20, 0);
    setAlphaMode(0);  // opaque again
    blitSprite(1, 40, 0);
    setAlphaMode(-3);  // capped at 1
    blitSprite(1, 60, 0);
    auto red = [](int c) { return c & 255; };
    EXPECT_NEAR(red(static_cast<int>(readPixel(5, 5))), 178, 1);
    EXPECT_NEAR(red(static_cast<int>(readPixel(25, 5))), 228, 1);
    EXPECT_EQ(red(static_cast<int>(readPixel(45, 5))), 255);
    EXPECT_EQ(red(static_cast<int>(readPixel(65, 5))), 255);
    EXPECT_EQ(red(static_cast<int>(readPixel(85, 5))), 100);
}

TEST_F(RendererTest, ScaledTurnedAndZoomedSprites) {
    // Left half red, right half green, 8x8.
    std::string path = png("halves.png", 8, 8, true,
                           [](int x, int) { return x < 4 ? solid(255, 0, 0) : solid(0, 255, 0); });
    ASSERT_EQ(loadSpriteStrip(path.c_str(), 1, 8, 8), 1);
    setSmoothing(0);
    blitSpriteScaled(1, 10, 10, 16, 16);
    EXPECT_EQ(readPixel(10, 10), colour(255, 0, 0));
    EXPECT_EQ(readPixel(25, 25), colour(0, 255, 0));
    EXPECT_EQ(readPixel(26, 10), 0);
    // A negative width mirrors: green comes first.
    blitSpriteScaled(1, 60, 10, -16, 16);
    EXPECT_EQ(readPixel(45, 12), colour(0, 255, 0));
    EXPECT_EQ(readPixel(59, 12), colour(255, 0, 0));
    // Turned by 180 degrees: green on the left.
    blitSpriteTurned(1, 100, 10, 180);
    EXPECT_EQ(readPixel(101, 13), colour(0, 255, 0));
    EXPECT_EQ(readPixel(106, 13), colour(255, 0, 0));
    // Zoomed by 2 about the centre: covers 96..111.
    blitSpriteZoomed(1, 100, 50, 2, 2);
    EXPECT_EQ(readPixel(96, 46), colour(255, 0, 0));
    EXPECT_EQ(readPixel(111, 61), colour(0, 255, 0));
    EXPECT_EQ(readPixel(95, 50), 0);
    drawFrameScaled(1, 0, 150, 10, 8, 4);
    EXPECT_EQ(readPixel(150, 10), colour(255, 0, 0));
    EXPECT_EQ(readPixel(157, 13), colour(0, 255, 0));
    drawFrameTurnedZoomed(1, 0, 200, 10, 0, 1);
    EXPECT_EQ(readPixel(200, 10), colour(255, 0, 0));
    EXPECT_EQ(readPixel(207, 17), colour(0, 255, 0));
}

TEST_F(RendererTest, TexturedAndColouredFans) {
    beginFan(-1);
    addFanVertex(10, 10, 0, 0, colour(0, 0, 255));
    addFanVertex(10, 30, 0, 0, colour(0, 0, 255));
    addFanVertex(30, 30, 0, 0, colour(0, 0, 255));
    addFanVertex(30, 10, 0, 0, colour(0, 0, 255));
    endFan();
    EXPECT_EQ(readPixel(20, 20), colour(0, 0, 255));
    EXPECT_EQ(readPixel(5, 5), 0);
}

TEST_F(RendererTest, OverlapOfOpaquePixels) {
    std::string opaque = png("sq.png", 16, 16, true, [](int, int) { return solid(9, 9, 9); });
    std::string leftEmpty = png("half.png", 16, 16, true, [](int x, int) {
        return x < 8 ? Px{0, 0, 0, 0} : solid(9, 9, 9);
    });
    ASSERT_EQ(loadSpriteImage(opaque.c_str(), 1), 1);
    ASSERT_EQ(loadSpriteImage(opaque.c_str(), 2), 1);
    ASSERT_EQ(loadSpriteImage(leftEmpty.c_str(), 3), 1);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 16, 0), 0) << "edges touching";
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 15, 0), 1) << "one column in common";
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 0, 16), 0);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 0, 15), 1);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 40, 40), 0);
    // Sprite 3's opaque half starts 8 pixels in: at x = 8 it begins right after sprite 1 ends.
    EXPECT_EQ(spritesOverlap(1, 0, 0, 3, 10, 0), 0);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 3, 8, 0), 0);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 3, 7, 0), 1);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 7, 0, 0), 0) << "empty slot";

    // Frames of a strip: frame 1 of a two-frame strip is transparent.
    std::string strip = png("strip.png", 32, 16, true, [](int x, int) {
        return x < 16 ? solid(9, 9, 9) : Px{0, 0, 0, 0};
    });
    ASSERT_EQ(loadSpriteStrip(strip.c_str(), 4, 16, 16), 1);
    EXPECT_EQ(framesOverlap(4, 0, 0, 0, 1, 0, 5, 5), 1);
    EXPECT_EQ(framesOverlap(4, 1, 0, 0, 1, 0, 5, 5), 0);
    EXPECT_EQ(framesOverlap(4, 0, 0, 0, 4, 0, 16, 0), 0);
}

TEST_F(RendererTest, ScreenshotMatchesTheLogicalScreenPixelForPixel) {
    for (int i = 0; i < 16; ++i) fillRect(i * 20, 0, 20, 240, colour(i * 16, 255 - i * 16, i * 7));
    strokeLine(0, 0, 319, 239, colour(255, 255, 0));
    const std::vector<uint8_t> expected = screen();
    ASSERT_EQ(saveScreenshot(file("shot.png").c_str()), 1);
    RgbaImage img;
    ASSERT_TRUE(decodePng(file("shot.png").c_str(), kNoColourKey, img));
    ASSERT_EQ(img.width, 320);
    ASSERT_EQ(img.height, 240);
    EXPECT_EQ(img.pixels, expected);
    EXPECT_EQ(img.pixel(0, 0)[0], 255);  // the line's first pixel (yellow)
    EXPECT_EQ(img.pixel(319, 239)[1], 255);
    EXPECT_EQ(saveScreenshot(file("no/such/folder.png").c_str()), 0);
}

TEST_F(RendererTest, SoftwareRendererIsReportedOnceInTheErrorLog) {
    const std::string name = rendererName();
    if (name.find("llvmpipe") == std::string::npos && name.find("softpipe") == std::string::npos)
        GTEST_SKIP() << "hardware renderer: " << name;
    // Open a second window: the warning is not repeated.
    delete theRenderer;
    theRenderer = new OpenGLPrismo;
    ASSERT_TRUE(theRenderer->openWindow(320, 240, 0, 60, 0));
    std::ifstream log(errorLogPath(), std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    const std::string all = text.str();
    size_t first = all.find("OpenGL Software Emulation\r\n");
    // The warning was given when this process opened its first window, which may have been in an
    // earlier test of the same process with another log folder.
    if (first != std::string::npos) {
        EXPECT_EQ(all.find("OpenGL Software Emulation", first + 1), std::string::npos);
    }
}

TEST_F(RendererTest, NormalMapOfAFlatHeightFieldPointsStraightUp) {
    std::string flat = png("flat.png", 8, 8, true, [](int, int) { return solid(0, 0, 90); });
    ASSERT_EQ(loadNormalMapImage(flat.c_str(), 9), 1);
    setSmoothing(0);
    blitSprite(9, 0, 0);
    EXPECT_EQ(readPixel(3, 3), colour(127, 127, 255));
}

TEST_F(RendererTest, ReloadingASlotForgetsItsCollisionPixels) {
    std::string opaque = png("o.png", 16, 16, true, [](int, int) { return solid(9, 9, 9); });
    std::string clear = png("c.png", 16, 16, true, [](int, int) { return Px{0, 0, 0, 0}; });
    ASSERT_EQ(loadSpriteImage(opaque.c_str(), 1), 1);
    ASSERT_EQ(loadSpriteImage(opaque.c_str(), 2), 1);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 4, 4), 1);
    ASSERT_EQ(loadSpriteImage(clear.c_str(), 2), 1);
    EXPECT_EQ(spritesOverlap(1, 0, 0, 2, 4, 4), 0);
}
