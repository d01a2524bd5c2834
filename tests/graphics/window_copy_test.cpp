// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The present's scaled copy: the window shows the logical screen enlarged by a whole factor with
// one window pixel block per logical pixel, the same whether the picture is enlarged on the
// processor or drawn as a textured quad; and an unchanged picture is not copied again.
#include <GL/gl.h>

#include "gl_fixture.h"
#include "platform/platform.h"

namespace {

// The window's back buffer as RGB values, rows from the top.
std::vector<uint32_t> readWindow(int width, int height) {
    std::vector<uint8_t> raw(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    std::vector<uint32_t> rgb(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &raw[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            rgb[static_cast<size_t>(y) * width + x] = (p[0] << 16) | (p[1] << 8) | p[2];
        }
    return rgb;
}

}  // namespace

TEST_F(RendererTest, WindowShowsTheLogicalScreenScaledByAWholeFactorBothWays) {
    ASSERT_TRUE(theRenderer->screenIsFramebuffer());
    // Every logical pixel its own colour, so a pixel out of place cannot go unnoticed.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; x += 4)
            fillRect(x, y, 4, 1, colour(x & 255, y, (x >> 8) * 100 + 7));
    const std::vector<uint8_t> logical = screen();

    int width = 0, height = 0;
    platformDrawableSize(&width, &height);
    const PlatformPlacement p = platformPlacementFor(width, height, 320, 240);
    ASSERT_GE(p.scale, 1);
    std::vector<uint32_t> shown[2];
    for (int blit = 0; blit < 2; ++blit) {
        theRenderer->setWindowCopy(blit == 1 ? OpenGLPrismo::WindowCopy::Quad
                                             : OpenGLPrismo::WindowCopy::Pixels);
        theRenderer->copyToWindow();
        shown[blit] = readWindow(width, height);
        theRenderer->bindScreenTarget();
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const uint8_t* l =
                    &logical[(static_cast<size_t>(y / p.scale) * 320 + x / p.scale) * 4];
                const uint32_t want = (l[0] << 16) | (l[1] << 8) | l[2];
                ASSERT_EQ(shown[blit][static_cast<size_t>(p.top + y) * width + p.left + x], want)
                    << "window pixel " << p.left + x << "," << p.top + y
                    << (blit ? " (blit)" : " (quad)");
            }
        }
    }
    EXPECT_EQ(shown[0], shown[1]) << "the border differs between the two ways";
    theRenderer->setWindowCopy(OpenGLPrismo::WindowCopy::Pixels);
}

TEST_F(RendererTest, AnUnchangedPictureIsNotCopiedAgainUnlessTheWindowLostIt) {
    ASSERT_TRUE(theRenderer->screenIsFramebuffer());
    ASSERT_EQ(theRenderer->windowCopyInUse(), OpenGLPrismo::WindowCopy::Pixels);
    int width = 0, height = 0;
    platformDrawableSize(&width, &height);
    const PlatformPlacement p = platformPlacementFor(width, height, 320, 240);
    fillRect(0, 0, 320, 240, colour(10, 20, 30));
    // The first copies paint the border too; after them the same picture is left alone.
    while (theRenderer->copyToWindow(true)) theRenderer->bindScreenTarget();
    theRenderer->bindScreenTarget();
    EXPECT_FALSE(theRenderer->copyToWindow(true));
    theRenderer->bindScreenTarget();

    // One pixel changed is a changed picture, and the window shows it.
    fillRect(319, 239, 1, 1, colour(200, 100, 50));
    EXPECT_TRUE(theRenderer->copyToWindow(true));
    const std::vector<uint32_t> shown = readWindow(width, height);
    const size_t corner = static_cast<size_t>(p.top + p.height - 1) * width + p.left + p.width - 1;
    EXPECT_EQ(shown[corner], 0xC86432u);
    theRenderer->bindScreenTarget();
    EXPECT_FALSE(theRenderer->copyToWindow(true));
    theRenderer->bindScreenTarget();

    // After an expose the window's contents are gone: the same picture is copied again.
    theRenderer->windowContentsLost();
    EXPECT_TRUE(theRenderer->copyToWindow(true));
    theRenderer->bindScreenTarget();
}
