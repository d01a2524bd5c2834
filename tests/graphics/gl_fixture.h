// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A real renderer with its window and GL context for each test: headless through SDL's offscreen
// driver (Mesa EGL) when there is no X display, or a real window under Xvfb.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/drawing.h"
#include "graphics/images.h"
#include "graphics/present.h"
#include "graphics/renderer.h"
#include "graphics/screenshots.h"
#include "picture_helpers.h"
#include "runtime/lifecycle.h"

inline void useHeadlessVideoIfNoDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

constexpr int kTestWindowScale = 3;

class RendererTest : public ::testing::Test {
  protected:
    virtual bool allowFramebufferObjects() const { return true; }

    void SetUp() override {
        useHeadlessVideoIfNoDisplay();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = scratchFolder((std::string(info->test_suite_name()) + "-" + info->name()).c_str());
        setenv("TMPDIR", folder.c_str(), 1);  // the error log goes to this test's own folder
        setFramebufferObjectsAllowed(allowFramebufferObjects());
        // The window's size would otherwise follow the display's, and with it what the pictures
        // go through: three times the logical screen, whatever the screen.
        runtimeSettings.windowScale = kTestWindowScale;
        theRenderer = new OpenGLPrismo;
        ASSERT_TRUE(theRenderer->openWindow(320, 240, 0, 60, 0)) << "no OpenGL window";
        setPacingEnabled(false);
        setAlphaMode(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void TearDown() override {
        delete theRenderer;
        theRenderer = nullptr;
        setFramebufferObjectsAllowed(true);
        runtimeSettings.windowScale = 0;
    }

  public:
    std::string file(const char* name) const { return folder + "/" + name; }

    // Writes an RGBA (or RGB) PNG whose pixels come from f(x, y) -> {r, g, b, a}.
    template <typename F>
    std::string png(const char* name, int w, int h, bool alpha, F f) {
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                auto c = f(x, y);
                uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = c[3];
            }
        std::string path = file(name);
        EXPECT_TRUE(writePng(path.c_str(), rgba.data(), w, h, alpha));
        return path;
    }

    std::vector<uint8_t> screen() {
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(theRenderer->readLogicalScreen(rgba));
        return rgba;
    }

    static int colour(int r, int g, int b) { return r + 256 * g + 65536 * b; }

    std::string folder;
};

class RendererWithoutFboTest : public RendererTest {
  protected:
    bool allowFramebufferObjects() const override { return false; }
};
