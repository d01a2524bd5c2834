// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fonts, backgrounds, captures, off-screen targets, presenting and the window procedure.
#include <GL/gl.h>

#include <array>
#include <fstream>
#include <iterator>

#include "gl_fixture.h"
#include "graphics/backgrounds.h"
#include "graphics/fonts.h"
#include "graphics/sprites.h"
#include "platform/platform.h"

using Px = std::array<uint8_t, 4>;

namespace {
Px solid(uint8_t r, uint8_t g, uint8_t b) { return Px{r, g, b, 255}; }
}  // namespace

TEST_F(RendererTest, BuiltInFontPrintsWithOutline) {
    loadFontImage("", 0);
    EXPECT_EQ(currentFontNumber(), 0);
    double w = 0, h = 0;
    queryFontSize(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    drawText("AA", 10.5, 20);
    // 'A' top row is ".###." -> cell columns 2..4 of row 1; x starts at 11.
    const int white = colour(255, 255, 255), outline = colour(8, 8, 8);
    EXPECT_EQ(readPixel(13, 21), white);
    EXPECT_EQ(readPixel(15, 21), white);
    EXPECT_EQ(readPixel(12, 21), outline);
    EXPECT_EQ(readPixel(11, 20), 0);
    EXPECT_EQ(readPixel(21, 21), white) << "second character one cell further";
    EXPECT_EQ(readPixel(10, 21), 0);

    // Nothing for the empty text.
    const std::vector<uint8_t> before = screen();
    drawText("", 100, 100);
    EXPECT_EQ(screen(), before);

    // A missing file gives the built-in font too.
    loadFontImage(file("nofont.png").c_str(), 3);
    EXPECT_EQ(currentFontNumber(), 3);
    EXPECT_EQ(theRenderer->entry(kFontSlotBase + 3)->imageWidth, 128);
    EXPECT_EQ(theRenderer->entry(kFontSlotBase + 3)->imageHeight, 64);
    selectFont(40);
    EXPECT_EQ(currentFontNumber(), 31);
    selectFont(-3);
    EXPECT_EQ(currentFontNumber(), 0);
    loadFontImage("", 99);  // clamped: font 31, no slot beyond the table
    EXPECT_EQ(currentFontNumber(), 31);
    EXPECT_GT(theRenderer->entry(kFontSlotBase + 31)->imageWidth, 0);
}

TEST_F(RendererTest, FontGridsFromImageShape) {
    // Every cell filled with a colour naming its column and row; one black pixel per cell (the
    // font key makes it transparent).
    auto cellColour = [](int cw, int ch) {
        return [cw, ch](int x, int y) {
            int col = x / cw, row = y / ch;
            if (x % cw == 0 && y % ch == 0) return solid(0, 0, 0);
            return solid(static_cast<uint8_t>(col * 16 + 1), static_cast<uint8_t>(row * 16 + 1),
                         200);
        };
    };
    std::string wide = png("wide.png", 256, 128, false, cellColour(16, 16));
    loadFontImage(wide.c_str(), 1);
    double w = 0, h = 0;
    queryFontSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    fillRect(0, 0, 320, 240, colour(0, 0, 50));
    drawText(std::string(1, static_cast<char>(200)).c_str(), 0, 0);  // 200 mod 128 = 72
    EXPECT_EQ(readPixel(5, 5), colour(8 * 16 + 1, 4 * 16 + 1, 200));
    EXPECT_EQ(readPixel(0, 0), colour(0, 0, 50)) << "black is transparent in a font without alpha";

    std::string tall = png("tall.png", 128, 256, false, cellColour(8, 16));
    loadFontImage(tall.c_str(), 2);
    queryFontSize(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 16);
    drawText(std::string(1, static_cast<char>(200)).c_str(), 100, 100);
    EXPECT_EQ(readPixel(104, 108), colour(8 * 16 + 1, 12 * 16 + 1, 200));
    drawNumber(7, 200, 100);  // "7" is code 55: column 7, row 3
    EXPECT_EQ(readPixel(204, 108), colour(7 * 16 + 1, 3 * 16 + 1, 200));
}

TEST_F(RendererTest, BackgroundPictureTopLeftRestBlackUntilCleared) {
    std::string bg = png("bg.png", 200, 100, false, [](int, int) { return solid(10, 200, 30); });
    fillRect(0, 0, 320, 240, colour(255, 255, 255));
    loadBackground(bg.c_str());
    const int green = colour(10, 200, 30);
    EXPECT_EQ(readPixel(5, 5), green);
    EXPECT_EQ(readPixel(199, 99), green);
    EXPECT_EQ(readPixel(200, 50), 0);
    EXPECT_EQ(readPixel(250, 150), 0);
    EXPECT_EQ(theRenderer->backgroundTileSize(0), 512);
    // Drawn again at the start of the next frame.
    presentFrame();
    EXPECT_EQ(readPixel(5, 5), green);
    clearFrame();
    presentFrame();
    EXPECT_EQ(readPixel(5, 5), 0);
    // A missing file leaves no background and a cleared screen.
    fillRect(0, 0, 10, 10, colour(255, 255, 255));
    loadBackground(file("none.png").c_str());
    EXPECT_EQ(readPixel(5, 5), 0);
    EXPECT_EQ(theRenderer->backgroundColumns(0), 0);
}

TEST_F(RendererTest, CaptureToSpriteAndCaptureBackground) {
    for (int i = 0; i < 20; ++i) fillRect(100 + i, 100, 1, 20, colour(i * 10, 255 - i * 10, 77));
    captureToSprite(5, 100, 100, 20, 20);
    const SpriteEntry* e = theRenderer->entry(5);
    EXPECT_EQ(e->textureWidth, 32);
    EXPECT_EQ(e->textureHeight, 32);
    EXPECT_EQ(e->imageWidth, 20);
    EXPECT_EQ(e->imageHeight, 20);
    setSmoothing(0);
    blitSprite(5, 10, 10);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(readPixel(10 + x, 10 + y), readPixel(100 + x, 100 + y));

    const std::vector<uint8_t> captured = screen();
    captureBackground();
    glClear(GL_COLOR_BUFFER_BIT);
    theRenderer->drawBackground(0);
    EXPECT_EQ(screen(), captured);
}

class TargetChecks {
  public:
    // Draws a busy screen, draws into a target, returns to the screen, and checks the screen is as
    // it was and the target's sprite holds what was drawn into it.
    template <typename Test>
    static void run(Test& test) {
        std::string bg = test.png("busy.png", 320, 240, true, [](int x, int y) {
            return Px{static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x ^ y),
                      255};
        });
        ASSERT_EQ(loadSpriteImage(bg.c_str(), 30), 1);
        setSmoothing(0);
        blitSprite(30, 0, 0);
        const std::vector<uint8_t> before = test.screen();

        createOffscreenTarget(0, 20, 64, 32);
        selectOffscreenTarget(0);
        fillRect(0, 0, 64, 32, RendererTest::colour(255, 0, 0));
        fillRect(10, 10, 5, 5, RendererTest::colour(0, 255, 0));
        selectOffscreenTarget(-1);
        EXPECT_EQ(test.screen(), before) << "the screen is as it was";

        blitSprite(20, 100, 100);
        EXPECT_EQ(readPixel(100, 100), RendererTest::colour(255, 0, 0));
        EXPECT_EQ(readPixel(110, 110), RendererTest::colour(0, 255, 0));
        EXPECT_EQ(readPixel(114, 114), RendererTest::colour(0, 255, 0));
        EXPECT_EQ(readPixel(115, 115), RendererTest::colour(255, 0, 0));
        EXPECT_EQ(readPixel(163, 131), RendererTest::colour(255, 0, 0));
        const uint8_t* p = &before[(static_cast<size_t>(100) * 320 + 164) * 4];
        EXPECT_EQ(readPixel(164, 100), RendererTest::colour(p[0], p[1], p[2]));

        // Drawing again continues on the target's previous content; presenting ends the target.
        selectOffscreenTarget(0);
        fillRect(0, 0, 4, 4, RendererTest::colour(0, 0, 255));
        selectOffscreenTarget(40);  // ignored
        selectOffscreenTarget(-1);
        blitSprite(20, 200, 100);
        EXPECT_EQ(readPixel(201, 101), RendererTest::colour(0, 0, 255));
        EXPECT_EQ(readPixel(211, 111), RendererTest::colour(0, 255, 0));
    }
};

TEST_F(RendererTest, OffscreenTargetWithFramebufferObject) {
    ASSERT_TRUE(framebufferObjectsAvailable());
    TargetChecks::run(*this);
    EXPECT_TRUE(theRenderer->targetHasFramebuffer(0));
    // While the target is current, readPixel reads the target.
    selectOffscreenTarget(0);
    EXPECT_EQ(readPixel(12, 12), colour(0, 255, 0));
    selectOffscreenTarget(-1);
}

TEST_F(RendererWithoutFboTest, OffscreenTargetByCopyingAndScreenWithoutFramebuffer) {
    ASSERT_FALSE(framebufferObjectsAvailable());
    EXPECT_FALSE(theRenderer->screenIsFramebuffer());
    TargetChecks::run(*this);
    EXPECT_FALSE(theRenderer->targetHasFramebuffer(0));
}

TEST_F(RendererTest, PresentKeepsTheLogicalScreenAndRunsTheHook) {
    static int hookCalls = 0;
    static bool drawnWhenHooked = false;
    hookCalls = 0;
    setPresentHook([] {
        ++hookCalls;
        drawnWhenHooked = readPixel(3, 3) == 255;  // the finished frame is still there
    });
    fillRect(0, 0, 10, 10, 255);
    presentFrame();
    EXPECT_EQ(hookCalls, 1);
    EXPECT_TRUE(drawnWhenHooked);
    EXPECT_EQ(readPixel(3, 3), 0) << "the next frame starts cleared";
    setPresentHook(nullptr);
    EXPECT_GE(runtimeState.frameTime, runtimeState.previousFrameTime);

    // The frame-rate cap and its 2 ms floor.
    setFrameRateCap(60);
    EXPECT_NEAR(frameInterval(), 16.6667, 1e-3);
    setFrameRateCap(0);
    EXPECT_EQ(frameInterval(), 2.0);
    setFrameRateCap(-5);
    EXPECT_EQ(frameInterval(), 2.0);

    // With pacing on, 10 frames at 100 fps take about 100 ms.
    setFrameRateCap(100);
    setPacingEnabled(true);
    presentFrame();
    double start = timeStampMs();
    for (int i = 0; i < 10; ++i) presentFrame();
    double took = timeStampMs() - start;
    EXPECT_GT(took, 85);
    EXPECT_LT(took, 400);
}

TEST_F(RendererTest, WindowProcedurePausesAndToggles) {
    runtimeState.autoPause = 1;
    runtimeState.applicationName = "Crumlet";
    platformSetWindowTitle("Crumlet");
    PlatformEvent lost{PlatformEventKind::FocusLost, PlatformKey::None, false, false};
    PlatformEvent gained{PlatformEventKind::FocusGained, PlatformKey::None, false, false};
    windowProc(lost);
    EXPECT_STREQ(platformWindowTitle(), "Crumlet <pause>");
    EXPECT_EQ(runtimeState.paused, 1);
    windowProc(gained);
    EXPECT_STREQ(platformWindowTitle(), "Crumlet");
    EXPECT_EQ(runtimeState.paused, 0);
    // Pausing off: nothing changes.
    runtimeState.autoPause = 0;
    windowProc(lost);
    EXPECT_EQ(runtimeState.paused, 0);
    runtimeState.autoPause = 1;
    runtimeSettings.debugMode = 1;
    windowProc(lost);
    EXPECT_EQ(runtimeState.paused, 0);
    runtimeSettings.debugMode = 0;
    setFocusPausing(false);  // as in a scripted session
    windowProc(lost);
    EXPECT_EQ(runtimeState.paused, 0);
    EXPECT_STREQ(platformWindowTitle(), "Crumlet");
    setFocusPausing(true);

    // Alt+Enter switches to fullscreen and back; loaded sprites stay usable.
    std::string path = png("s.png", 4, 4, true, [](int, int) { return solid(0, 128, 255); });
    ASSERT_EQ(loadSpriteImage(path.c_str(), 1), 1);
    PlatformEvent altEnter{PlatformEventKind::KeyDown, PlatformKey::Return, true, false};
    const bool wasFullscreen = theRenderer->isFullscreen();
    windowProc(altEnter);
    if (theRenderer->isFullscreen() == wasFullscreen) {
        // The display refused: windowed, and the error log says so.
        EXPECT_FALSE(theRenderer->isFullscreen());
    }
    windowProc(altEnter);
    blitSprite(1, 0, 0);
    EXPECT_EQ(readPixel(1, 1), colour(0, 128, 255));
    EXPECT_FALSE(theRenderer->isFullscreen());

    // F12 asks for a screenshot of the frame being presented.
    PlatformEvent f12{PlatformEventKind::KeyDown, PlatformKey::F12, false, false};
    windowProc(f12);
    EXPECT_TRUE(theRenderer->screenshotPending());
    theRenderer->cancelScreenshot();
}

TEST_F(RendererTest, CloseRequestEndsTheProcessThroughStopProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const PlatformEvent close{PlatformEventKind::CloseRequest, PlatformKey::None, false, false};
    EXPECT_EXIT(windowProc(close), ::testing::ExitedWithCode(0), "");
}

TEST_F(RendererTest, CrossfadeEndsOnTheNewBackground) {
    std::string pic = png("pic.png", 320, 240, false, [](int, int) { return solid(250, 60, 10); });
    fillRect(0, 0, 320, 240, colour(0, 0, 255));
    EXPECT_EQ(crossfadeToBackground(file("missing.png").c_str()), 0);
    EXPECT_EQ(crossfadeToBackground(pic.c_str()), 1);
    EXPECT_EQ(theRenderer->backgroundColumns(0), 1);
    EXPECT_EQ(theRenderer->backgroundColumns(1), 0);
    EXPECT_EQ(theRenderer->backgroundColumns(2), 0);
    // The next frame starts on the new background picture.
    EXPECT_EQ(readPixel(160, 120), colour(250, 60, 10));
}

TEST_F(RendererTest, MultisampleRequestIsHalvedUntilAContextExists) {
    delete theRenderer;
    theRenderer = new OpenGLPrismo;
    ASSERT_TRUE(theRenderer->openWindow(320, 240, 0, 60, 8));
    EXPECT_GE(theRenderer->sampleCount(), 0);
    EXPECT_LE(theRenderer->sampleCount(), 8);
    fillRect(1, 1, 2, 2, colour(255, 255, 255));
    EXPECT_EQ(readPixel(2, 2), colour(255, 255, 255));
}

TEST_F(RendererWithoutFboTest, FullscreenRefusedWithoutScalingIsLogged) {
    EXPECT_FALSE(theRenderer->enterFullscreen());
    EXPECT_FALSE(theRenderer->isFullscreen());
    std::ifstream log(errorLogPath(), std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("No Fullscreen Mode available\r\n"), std::string::npos);
}

TEST_F(RendererWithoutFboTest, OffscreenTargetWhenTheFramebufferHasNoAlpha) {
    // The read-back path of captures: the colour key found by drawing it, pixels of that colour
    // made transparent.
    theRenderer->captureAsWithoutAlpha();
    TargetChecks::run(*this);
}

TEST_F(RendererTest, CaptureByReadBackKeepsTheKeyTransparent) {
    theRenderer->captureAsWithoutAlpha();
    fillRect(0, 0, 40, 40, colour(10, 20, 30));
    fillRect(10, 10, 5, 5, kDefaultSpriteKey);
    const int before44 = static_cast<int>(readPixel(4, 4));
    captureToSprite(3, 0, 0, 40, 40);
    EXPECT_EQ(readPixel(4, 4), before44) << "the probe pixel is put back";
    fillRect(100, 100, 40, 40, colour(200, 0, 0));
    setSmoothing(0);
    blitSprite(3, 100, 100);
    EXPECT_EQ(readPixel(101, 101), colour(10, 20, 30));
    EXPECT_EQ(readPixel(112, 112), colour(200, 0, 0)) << "key-coloured pixels are transparent";
}
