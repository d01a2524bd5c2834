// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A test card drawn with every drawing operation of the renderer, byte for byte against its
// reference pictures, with framebuffer objects and without: colour-keyed and alpha-blended
// sprites, filtering on and off, mirrored, turned and zoomed sprites, shapes, fans, text, pixel
// read-back and collision tests between draws, an off-screen target, a capture and a background
// picture under a presented frame.
#include <array>
#include <cmath>
#include <cstdlib>

#include "gl_fixture.h"
#include "graphics/backgrounds.h"
#include "graphics/fonts.h"
#include "graphics/sprites.h"
#include "reference_pictures.h"

namespace {

using Px = std::array<uint8_t, 4>;

// The sprites of the card, all made here so the card depends on nothing else.
template <typename Test>
void loadCardSprites(Test& t) {
    // 16 x 16 with real alpha: a checker of two colours, a transparent corner and an alpha ramp
    // along the bottom rows.
    auto checker = t.png("checker.png", 16, 16, true, [](int x, int y) {
        if (x + y < 4) return Px{0, 0, 0, 0};
        if (y >= 12) return Px{250, 200, 40, static_cast<uint8_t>(x * 16)};
        return ((x / 4 + y / 4) & 1) ? Px{230, 60, 50, 255} : Px{40, 90, 220, 255};
    });
    ASSERT_EQ(loadSpriteImage(checker.c_str(), 1), 1);
    // RGB without alpha: the sprite colour key cuts a diamond out of a green square.
    auto keyed = t.png("keyed.png", 16, 16, false, [](int x, int y) {
        return std::abs(x - 8) + std::abs(y - 8) < 6 ? Px{255, 0, 128, 255} : Px{60, 200, 90, 255};
    });
    ASSERT_EQ(loadSpriteImage(keyed.c_str(), 2), 1);
    // A strip of 4 x 2 frames of 16 x 16, each its own colour with a white diagonal.
    auto strip = t.png("strip.png", 64, 32, true, [](int x, int y) {
        const int frame = x / 16 + 4 * (y / 16);
        if (x % 16 == y % 16) return Px{255, 255, 255, 255};
        return Px{static_cast<uint8_t>(frame * 30), static_cast<uint8_t>(255 - frame * 30), 128,
                  255};
    });
    ASSERT_EQ(loadSpriteStrip(strip.c_str(), 3, 16, 16), 1);
}

// Everything but backgrounds, in one frame.
void drawCard() {
    const auto colour = RendererTest::colour;
    loadFontImage("", 0);
    fillRect(0, 0, 320, 240, colour(20, 24, 60));
    for (int i = 0; i < 8; ++i) fillRect(8 + 38 * i, 200, 30, 30, colour(30 * i, 200 - 20 * i, 90));
    fillRect(300, 40, -12, 20, colour(250, 250, 0));  // negative width
    strokeLine(0, 0, 319, 239, colour(255, 255, 255));
    strokeLine(10, 190, 100, 170, colour(0, 255, 255));
    for (int i = 0; i < 20; ++i) plotPoint(200 + 2 * i, 190, colour(255, 128, 0));

    // Strip frames at fractional positions, rounded up.
    for (int f = 0; f < 8; ++f) drawSpriteFrame(3, f, 4.3 + 18 * f, 8);
    blitSprite(1, 160, 8);
    blitSprite(2, 180, 8);  // colour-keyed
    // Filtering: the same stretch with smoothing on and off, mirrored, turned round.
    blitSpriteScaled(1, 8, 30, 40, 40);
    setSmoothing(0);
    blitSpriteScaled(1, 52, 30, 40, 40);
    blitSpriteScaled(1, 136, 30, -40, 40);
    blitSpriteScaled(1, 180, 70, -40, -40);
    setSmoothing(1);
    blitSpriteZoomed(2, 200, 40, 1.5, 2);
    blitSpriteTurned(1, 240, 30, 30);
    blitSpriteTurnedZoomed(3, 270, 30, 200, 1.5);
    drawFrameTurnedZoomed(3, 5, 240, 70, 45, 2);
    drawFrameScaled(3, 6, 280, 70, 30, 20);

    // Read-back and collision tests in the middle of drawing.
    const int seen = static_cast<int>(readPixel(170, 18));
    fillRect(8, 80, 20, 20, seen);
    if (spritesOverlap(1, 0, 0, 2, 8, 8) != 0) fillRect(30, 80, 20, 20, colour(255, 0, 255));
    drawSpriteFrame(3, 2, 52, 80);
    blitSprite(1, 72, 80);

    // Blending: half transparent, then added, over stripes.
    for (int i = 0; i < 6; ++i) fillRect(8 + 8 * i, 104, 8, 40, colour(40 * i, 255 - 40 * i, 0));
    setAlphaMode(-0.5);
    blitSpriteScaled(1, 8, 108, 48, 32);
    fillRect(20, 130, 30, 10, colour(255, 255, 255));
    drawSpriteFrame(3, 1, 60, 108);
    setAlphaMode(0.7);
    blitSprite(2, 60, 124);
    drawSpriteFrame(3, 4, 80, 108);
    drawText("ADD", 80, 126);
    setAlphaMode(0);

    // Fans: coloured corners, then textured.
    beginFan(-1);
    addFanVertex(110, 100, 0, 0, colour(255, 0, 0));
    addFanVertex(110, 140, 0, 0, colour(0, 255, 0));
    addFanVertex(150, 140, 0, 0, colour(0, 0, 255));
    addFanVertex(150, 100, 0, 0, colour(255, 255, 255));
    endFan();
    beginFan(1);
    addFanVertex(160, 100, 0, 0, colour(255, 255, 255));
    addFanVertex(160, 140, 0, 16, colour(255, 255, 255));
    addFanVertex(200, 140, 16, 16, colour(128, 255, 128));
    addFanVertex(200, 100, 16, 0, colour(255, 255, 255));
    endFan();

    // Text with the built-in font and with a number.
    drawText("Tovrik 0123 !?", 8, 150.5);
    drawNumber(-12.5, 130, 150);

    // Off-screen target: drawn into, then shown twice.
    createOffscreenTarget(0, 40, 48, 24);
    selectOffscreenTarget(0);
    fillRect(0, 0, 48, 24, colour(90, 0, 90));
    drawSpriteFrame(3, 7, 2, 4);
    blitSprite(2, 24, 4);
    drawText("T", 40, 8);
    selectOffscreenTarget(-1);
    blitSprite(40, 210, 100);
    setAlphaMode(-0.5);
    blitSprite(40, 262, 110);
    setAlphaMode(0);

    // A capture of part of the card, drawn elsewhere.
    captureToSprite(41, 0, 0, 40, 30);
    blitSprite(41, 270, 160);
    drawSpriteFrame(3, 0, 300, 150);
}

// Everything that can cross the screen's edges, crossing them: the rasteriser cuts or clips
// primitives there, and the pixels along the edges must stay what they were.
void drawEdgesCard() {
    const auto colour = RendererTest::colour;
    loadFontImage("", 0);
    fillRect(-10, -10, 340, 260, colour(20, 24, 60));
    fillRect(-5, 100, 20, 20, colour(200, 40, 40));
    blitSprite(1, -7, 20);   // one texel per pixel
    blitSprite(2, 310, 60);  // colour-keyed
    drawSpriteFrame(3, 4, 312.4, -5);
    blitSpriteScaled(1, -13, 150, 40, 40);  // smoothed
    blitSpriteScaled(1, 300, 200, -40, 45);
    setSmoothing(0);
    blitSpriteScaled(1, 290, 120, 40, 30);
    setSmoothing(1);
    blitSpriteZoomed(2, 100, -9, 1.5, 2);
    blitSpriteTurned(1, -6, 60, 30);
    blitSpriteTurnedZoomed(3, 200, 225, 160, 1.5);
    drawFrameTurnedZoomed(3, 5, 160, -8, 45, 2);
    setAlphaMode(-0.5);
    blitSpriteScaled(1, 60, 225, 48, 32);
    setAlphaMode(0.7);
    drawSpriteFrame(3, 1, -4, 225);
    setAlphaMode(0);
    drawText("EDGE", 290, 232);
    drawText("LEFT", -12, 80.5);
}

// A background picture under the next frame, with a sprite over it.
template <typename Test>
void drawBackgroundFrame(Test& t) {
    auto picture = t.png("picture.png", 200, 100, false, [](int x, int y) {
        return Px{static_cast<uint8_t>(x), static_cast<uint8_t>(y * 2), static_cast<uint8_t>(x ^ y),
                  255};
    });
    loadBackground(picture.c_str());
    presentFrame();
    blitSprite(1, 20, 20);
    drawSpriteFrame(3, 3, 190, 90);
}

template <typename Test>
void checkCard(Test& t, const std::string& name) {
    loadCardSprites(t);
    drawCard();
    EXPECT_EQ(compareWithReference(name, t.screen(), 320, 240, t.folder), "");
    drawBackgroundFrame(t);
    EXPECT_EQ(compareWithReference(name + "-background", t.screen(), 320, 240, t.folder), "");
}

}  // namespace

TEST_F(RendererTest, TestCardMatchesItsReference) { checkCard(*this, "card"); }

TEST_F(RendererTest, SpritesAcrossTheScreensEdgesMatchTheirReference) {
    loadCardSprites(*this);
    drawEdgesCard();
    EXPECT_EQ(compareWithReference("edges", screen(), 320, 240, folder), "");
}

TEST_F(RendererWithoutFboTest, TestCardMatchesItsReference) {
    // Straight into the window, whose framebuffer format depends on the display (SDL's offscreen
    // driver, an X visual); Mesa's software rasteriser rounds filtered colours a little
    // differently for each, so each display has its own picture.
    const char* driver = std::getenv("SDL_VIDEODRIVER");  // set by the fixture without DISPLAY
    checkCard(*this, std::string("card-nofbo-") + (driver && *driver ? driver : "x11"));
}
