// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// OpenGLPrismo: construction, the window and context, display modes, the viewport, the logical
// screen's framebuffer object and reading it back; the process-wide OpenGL facts.
#include "graphics/renderer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "graphics/gl_entry.h"
#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/present.h"
#include "platform/platform.h"
#include "runtime/lifecycle.h"

OpenGLPrismo* theRenderer = nullptr;

namespace {

bool softwareWarningGiven = false;
std::string glRendererString;

bool containsNoCase(const std::string& haystack, const char* needle) {
    std::string h = haystack, n = needle;
    for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return h.find(n) != std::string::npos;
}

int nextPowerOfTwo(int n) {
    int p = 2;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

// The warning a software rasteriser deserves: the game runs, but slowly.
void softwareRendererCheck() {
    if (softwareWarningGiven) return;
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (glRendererString.empty() && name) glRendererString = name;
    if (containsNoCase(glRendererString, "llvmpipe") ||
        containsNoCase(glRendererString, "softpipe") ||
        containsNoCase(glRendererString, "Software Rasterizer")) {
        softwareWarningGiven = true;
        platformShowMessage("!!OpenGL Software Emulation!!",
                            "Please update your GFX adapter's driver\nso it can render OpenGL by "
                            "HARDWARE\n\n\nBitte aktualisieren Sie Ihren\nGrafkkartentreiber, "
                            "damit er OpenGL\nper HARDWARE unterst\xC3\xBCtzt!");
        appendErrorLog("OpenGL Software Emulation");
    }
}

// The windowed drawing area: the screen at the whole factor asked for on the command line, or else
// at the largest one that fits most of the desktop.
void scaledWindowSize(int screenWidth, int screenHeight, int* width, int* height) {
    if (runtimeSettings.windowScale > 0) {
        *width = screenWidth * runtimeSettings.windowScale;
        *height = screenHeight * runtimeSettings.windowScale;
        return;
    }
    int dw = 0, dh = 0;
    platformDesktopSize(&dw, &dh);
    PlatformPlacement p =
        platformPlacementFor(dw * 85 / 100, dh * 85 / 100, screenWidth, screenHeight);
    *width = p.width;
    *height = p.height;
}

}  // namespace

const char* rendererName() { return glRendererString.c_str(); }
void setFramebufferObjectsAllowed(bool allowed) { allowFramebufferObjectLookup(allowed); }
bool framebufferObjectsAvailable() { return haveFramebufferObjects(); }

// ---------------------------------------------------------------------------------------------

OpenGLPrismo::OpenGLPrismo() : glState(new GlStateCache), quads(new QuadBatch) {
    textGrowthStep = 128;
    textFirstCapacity = 512;
    spriteColourKey = kDefaultSpriteKey;
    fontColourKey = 0;
    sprites.assign(kSpriteSlots, SpriteEntry());
    pixelCopies.resize(kSpriteSlots);
    smoothing = true;
    currentAlpha = 0.0f;
    currentTarget = -1;
    nextFrameTime = timeStampMs();
}

OpenGLPrismo::~OpenGLPrismo() {
    if (initialised) {
        finishOffscreenTarget();
        flushDrawing();
        for (OffscreenTarget& t : targets) {
            if (t.framebuffer && gl.glDeleteFramebuffersEXT)
                gl.glDeleteFramebuffersEXT(1, &t.framebuffer);
            if (t.renderbuffer && gl.glDeleteRenderbuffersEXT)
                gl.glDeleteRenderbuffersEXT(1, &t.renderbuffer);
            t = OffscreenTarget();
        }
        for (int slot = 0; slot < kSpriteSlots; ++slot)
            if (sprites[slot].texture || sprites[slot].mipTexture) deleteSlot(slot);
        for (int b = 0; b < kBackgroundPictures; ++b) deleteBackground(b);
        if (screenFramebuffer) gl.glDeleteFramebuffersEXT(1, &screenFramebuffer);
        if (screenDepth) gl.glDeleteRenderbuffersEXT(1, &screenDepth);
        if (screenTexture) glDeleteTextures(1, &screenTexture);
        screenFramebuffer = screenDepth = screenTexture = 0;
        releaseWindowCopy();
    }
    initialised = false;
    if (fullscreen) platformSetFullscreen(false);
    platformCloseWindow();
    if (theRenderer == this) theRenderer = nullptr;
}

bool OpenGLPrismo::hasExtension(const char* name) const {
    if (!name || !*name) return false;
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all) return false;
    size_t n = std::strlen(name);
    for (const char* p = all; (p = std::strstr(p, name)) != nullptr; p += n) {
        bool startOk = p == all || p[-1] == ' ';
        bool endOk = p[n] == '\0' || p[n] == ' ';
        if (startOk && endOk) return true;
    }
    return false;
}

void OpenGLPrismo::windowedClientSize(int* width, int* height) const {
    if (!screenFramebuffer) {  // drawing straight into the window: factor 1
        *width = screenWidth;
        *height = screenHeight;
        return;
    }
    scaledWindowSize(screenWidth, screenHeight, width, height);
}

// The logical screen: a texture of power-of-two size whose lower-left screenWidth x screenHeight
// pixels hold the picture, with a depth buffer, as one framebuffer object.
bool OpenGLPrismo::makeScreenFramebuffer() {
    OpenGLPrismo& r = *this;
    r.flushDrawing();
    if (r.screenFramebuffer) gl.glDeleteFramebuffersEXT(1, &r.screenFramebuffer);
    if (r.screenDepth) gl.glDeleteRenderbuffersEXT(1, &r.screenDepth);
    if (r.screenTexture) glDeleteTextures(1, &r.screenTexture);
    r.screenFramebuffer = r.screenDepth = r.screenTexture = 0;
    r.screenDepthAttached = false;
    r.releaseWindowCopy();
    r.windowCopyRefused = false;
    r.stateChangedBehindCache();
    if (!haveFramebufferObjects()) return false;
    // Exactly the logical size where the driver allows it: a software rasteriser clears and
    // walks the whole texture, and 512 x 256 for a 320 x 240 screen is two thirds more of it.
    const bool anySize = hasExtension("GL_ARB_texture_non_power_of_two");
    const int tw = anySize ? r.screenWidth : nextPowerOfTwo(r.screenWidth);
    const int th = anySize ? r.screenHeight : nextPowerOfTwo(r.screenHeight);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (tw > maxSize || th > maxSize) return false;
    glGenTextures(1, &r.screenTexture);
    glBindTexture(GL_TEXTURE_2D, r.screenTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, gl.edgeClamp());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, gl.edgeClamp());
    // Blue-green-red-alpha bytes and no depth buffer attached (nothing tests depth): with exactly
    // this, Mesa's software rasteriser draws the sprites' rectangles on its fast rectangle path
    // instead of as pairs of general triangles, for the same pixels. The depth buffer is made
    // for turned sprites alone (see drawTurnedSpriteQuad).
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, gl.pixelOrder(), GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.glGenRenderbuffersEXT(1, &r.screenDepth);
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, r.screenDepth);
    gl.glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, gl.depthFormat(), tw, th);
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    gl.glGenFramebuffersEXT(1, &r.screenFramebuffer);
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, r.screenFramebuffer);
    gl.glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                 r.screenTexture, 0);
    r.stateChangedBehindCache();
    if (gl.glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        gl.glDeleteFramebuffersEXT(1, &r.screenFramebuffer);
        gl.glDeleteRenderbuffersEXT(1, &r.screenDepth);
        glDeleteTextures(1, &r.screenTexture);
        r.screenFramebuffer = r.screenDepth = r.screenTexture = 0;
        return false;
    }
    r.screenTextureWidth = tw;
    r.screenTextureHeight = th;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

void OpenGLPrismo::bindScreenTarget() {
    flushDrawing();
    if (gl.glBindFramebufferEXT) {
        gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screenFramebuffer);
        if (gl.glBindRenderbufferEXT) gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    }
}

bool OpenGLPrismo::openWindow(int width, int height, int bits, int framesPerSecond,
                              int requestedSamples) {
    frameInterval = framesPerSecond <= 0 ? 2.0 : 1000.0 / framesPerSecond;
    if (!platformStartVideo()) return false;
    // Quads collected for a context about to be replaced are of no use to the new one.
    quads->discard();
    // A zero size takes the size of a default window.
    screenWidth = width > 0 ? width : 320;
    screenHeight = height > 0 ? height : 240;
    colourBits = bits > 0 ? bits : 24;
    fullscreen = false;
    samples = requestedSamples;
    platformSetLogicalSize(screenWidth, screenHeight);

    int got = 0, windowWidth = 0, windowHeight = 0;
    scaledWindowSize(screenWidth, screenHeight, &windowWidth, &windowHeight);
    if (!platformOpenWindow(windowWidth, windowHeight, requestedSamples, &got)) return false;
    platformSetEventHandler(windowProc);
    if (requestedSamples > 0) samples = got;
    // The context may be a new one: nothing known of its state holds.
    stateChangedBehindCache();

    softwareRendererCheck();
    loadGlEntryPoints();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize = maxSize;
    platformSetSwapInterval(0);  // pacing is ours, not the vertical blank's

    if (!makeScreenFramebuffer()) {
        // Straight into the window at factor 1.
        platformSetWindowSize(screenWidth, screenHeight, true);
    }
    bindScreenTarget();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    nextFrameTime = timeStampMs();
    platformShowWindow();
    resetViewport(0, 0, 0, 0);
    initialised = true;
    return true;
}

bool OpenGLPrismo::enterFullscreen() {
    if (!platformWindowExists()) return false;
    if (!screenFramebuffer || !platformSetFullscreen(true)) {
        appendErrorLog("No Fullscreen Mode available");
        enterWindowed();
        return false;
    }
    platformShowWindow();
    platformRaiseWindow();
    resetViewport(0, 0, 0, 0);
    fullscreen = true;
    return true;
}

bool OpenGLPrismo::enterWindowed() {
    if (!platformWindowExists()) return true;
    bool wasFullscreen = fullscreen || platformIsFullscreen();
    if (wasFullscreen) platformSetFullscreen(false);
    int w = 0, h = 0;
    windowedClientSize(&w, &h);
    static bool placedOnce = false;
    platformSetWindowSize(w, h, !placedOnce);
    placedOnce = true;
    platformShowWindow();
    platformRaiseWindow();
    resetViewport(0, 0, 0, 0);
    fullscreen = false;
    return true;
}

bool OpenGLPrismo::setScreenMode(int width, int height, int bits, int wantFullscreen) {
    bool resized = (width && width != screenWidth) || (height && height != screenHeight);
    if (width) screenWidth = width;
    if (height) screenHeight = height;
    if (bits) colourBits = bits;
    if (resized && initialised) {
        finishOffscreenTarget();
        platformSetLogicalSize(screenWidth, screenHeight);
        makeScreenFramebuffer();
        bindScreenTarget();
    }
    return wantFullscreen ? enterFullscreen() : enterWindowed();
}

void OpenGLPrismo::hideWindow() {
    if (fullscreen || platformIsFullscreen()) platformSetFullscreen(false);
    platformHideWindow();
    fullscreen = false;
}

void OpenGLPrismo::resetViewport(int x, int y, int width, int height) {
    flushDrawing();
    if (width <= 0 || height <= 0) {
        width = screenWidth;
        height = screenHeight;
    }
    viewportX = x;
    viewportY = y;
    viewportWidth = width;
    viewportHeight = height;
    glViewport(x, screenHeight - height - y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.05f);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glDisable(GL_AUTO_NORMAL);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_FOG_HINT, GL_FASTEST);
    glClearColor(0, 0, 0, 1);
    stateChangedBehindCache();
    setCurrentColour(1, 1, 1, 1);
    smoothing = true;
    bindSprite(-1, -1, false);
}

void OpenGLPrismo::stateChangedBehindCache() { glState->invalidate(); }

bool OpenGLPrismo::readLogicalScreen(std::vector<uint8_t>& rgba) {
    if (!initialised || screenWidth <= 0 || screenHeight <= 0) return false;
    flushDrawing();
    const OffscreenTarget* t =
        currentTarget >= 0 && targets[currentTarget].width ? &targets[currentTarget] : nullptr;
    if (t) bindScreenTarget();
    std::vector<uint8_t> raw(static_cast<size_t>(screenWidth) * screenHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    if (t) gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t->framebuffer);
    rgba.resize(raw.size());
    const size_t rowBytes = static_cast<size_t>(screenWidth) * 4;
    for (int y = 0; y < screenHeight; ++y)
        std::memcpy(&rgba[rowBytes * y], &raw[rowBytes * (screenHeight - 1 - y)], rowBytes);
    // The screen is opaque; what drawing left in the alpha channel is not part of the picture.
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Game operations: window

double setScreenMode(double width, double height, double bits, double wantFullscreen) {
    if (!theRenderer) return 0;
    return theRenderer->setScreenMode(truncToInt(width), truncToInt(height), truncToInt(bits),
                                      wantFullscreen != 0 ? 1 : 0)
               ? 1
               : 0;
}
