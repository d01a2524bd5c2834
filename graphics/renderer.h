// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The renderer `OpenGLPrismo`: the window, its OpenGL context, the sprite table and the state
// every drawing operation works on. There is one instance, reached through `theRenderer`; the
// game's operations (drawing.h, sprites.h, fonts.h, present.h, backgrounds.h, screenshots.h) act
// on it and do nothing (or return 0) while it does not exist.
//
// All drawing goes into a logical screen of screenWidth x screenHeight pixels (320 x 240 for the
// game) held in a framebuffer object; presenting copies it into the window scaled by the largest
// whole factor that fits, centred on black. readPixel, captures, backgrounds and off-screen targets
// therefore always work in logical pixels. Without framebuffer objects the runtime draws straight
// into a window of exactly the logical size.
//
// Quads of sprites, text and rectangles are collected and drawn together (see gl_state.h); every
// operation that reads pixels, changes the drawing target or shows the frame draws what is
// collected first, so the result is as if each quad were drawn at once.
//
// The class's operations are defined by concern: the window and context in renderer.cpp, the
// sprite table in sprites.cpp, drawing and read-back in drawing.cpp, text in fonts.cpp, showing
// frames in present.cpp, backgrounds, captures and off-screen targets in backgrounds.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/images.h"

constexpr int kSpriteSlots = 65536;
constexpr int kFontSlotBase = 65504;  // font n lives in sprite slot 65504 + n
constexpr int kFontSlots = 32;
constexpr int kSavedScreenSlot = 65503;  // screen area saved under a copy-based off-screen target
constexpr int kOffscreenTargets = 32;
constexpr int kBackgroundPictures = 8;
constexpr int kBackgroundGrid = 8;           // at most 8 x 8 tiles per background picture
constexpr int kDefaultSpriteKey = 0x8000FF;  // red 255, green 0, blue 128

struct SpriteEntry {
    unsigned texture = 0;
    unsigned mipTexture = 0;
    int16_t textureWidth = -1;  // -1: empty slot
    int16_t textureHeight = -1;
    int16_t imageWidth = 0;
    int16_t imageHeight = 0;
    int16_t frameWidth = 0;  // 0: not a strip
    int16_t frameHeight = 0;
};

struct OffscreenTarget {
    unsigned framebuffer = 0;
    unsigned renderbuffer = 0;
    int width = 0;  // both non-zero only when a complete framebuffer object exists
    int height = 0;
    int slot = 0;
};

struct BackgroundTile {
    unsigned texture = 0;
    int textureWidth = 0;
    int textureHeight = 0;
    int usedWidth = 0;
    int usedHeight = 0;
};

struct BackgroundPicture {
    BackgroundTile tiles[kBackgroundGrid * kBackgroundGrid];
    int columns = 0;  // 0: empty, draws nothing
    int rows = 0;
};

struct FanVertex {
    float x, y, u, v, r, g, b, a;
};

class GlStateCache;
class QuadBatch;
struct QuadState;
struct QuadVertex;
struct PlatformPlacement;

class OpenGLPrismo {
  public:
    OpenGLPrismo();
    virtual ~OpenGLPrismo();
    OpenGLPrismo(const OpenGLPrismo&) = delete;
    OpenGLPrismo& operator=(const OpenGLPrismo&) = delete;

    // --- window, context and display modes (renderer.cpp)
    bool openWindow(int width, int height, int colourBits, int framesPerSecond, int samples);
    bool enterFullscreen();
    bool enterWindowed();
    bool setScreenMode(int width, int height, int colourBits, int fullscreen);
    void hideWindow();
    void resetViewport(int x, int y, int width, int height);
    bool hasExtension(const char* name) const;
    // Size of the windowed window's drawing area: the logical size times the largest whole factor
    // that fits in about 85% of the desktop.
    void windowedClientSize(int* width, int* height) const;
    // Binds the logical screen as the drawing target ("framebuffer 0" of the drawing code).
    void bindScreenTarget();
    bool screenIsFramebuffer() const { return screenFramebuffer != 0; }
    bool isFullscreen() const { return fullscreen; }
    int sampleCount() const { return samples; }
    int logicalWidth() const { return screenWidth; }
    int logicalHeight() const { return screenHeight; }
    // Reads the logical screen as RGBA rows, top to bottom.
    bool readLogicalScreen(std::vector<uint8_t>& rgba);

    // --- textures and the sprite table (sprites.cpp)
    int loadImageIntoSlot(int slot, const char* path, int colourKey, bool normalMap);
    bool uploadTexture(const RgbaImage& image, int left, int top, int width, int height,
                       unsigned* texture, unsigned* mipTexture, bool normalMap, bool font);
    void deleteSlot(int slot);
    SpriteEntry* entry(int slot);  // nullptr outside 0..65535
    int spriteKey() const { return spriteColourKey; }
    int fontKey() const { return fontColourKey; }

    // --- drawing (drawing.cpp)
    void bindSprite(int slot0, int slot1, bool mipmapped, unsigned texture0 = 0,
                    unsigned texture1 = 0);
    // A textured quad of the slot's texture, vertices as x, y, u, v each; smoothing applies.
    void drawSpriteQuad(int slot, const float v[16]);
    // The same turned about (cx, cy) by angle degrees (positive: counter-clockwise on screen),
    // corners given relative to that point.
    void drawTurnedSpriteQuad(int slot, double cx, double cy, double angle, const float v[16]);
    // The same with the front-face rule turned round (a mirrored quad stays visible).
    void drawMirroredSpriteQuad(int slot, const float v[16]);
    void frameCoordinates(const SpriteEntry& e, int frame, float* u0, float* u1, float* vBottom,
                          float* vTop) const;
    void drawPoint(int x, int y, int colour);
    void drawLine(int x1, int y1, int x2, int y2, int colour);
    void fillRectangle(int left, int top, int width, int height, int colour);
    int readPixelAt(int x, int y);
    bool overlapTest(int slot1, int x1, int y1, int w1, int h1, int ox1, int oy1, int slot2, int x2,
                     int y2, int w2, int h2, int ox2, int oy2);
    void beginFan(int slot);
    void addFanVertex(double x, double y, double textureX, double textureY, int colour);
    void endFan();
    void setSmoothing(bool on) { smoothing = on; }
    // Opacity and blending of later drawing: see setAlphaMode in present.h.
    void setAlphaMode(double value);
    // Draws every collected quad now.
    void flushDrawing();

    // --- fonts (fonts.cpp)
    void printText(int font, const char* text, size_t length, float x, float y, float z);
    void buildDefaultFont(int font);

    // --- present (present.cpp)
    double swapAndPace();
    void pumpWindowMessages();
    void showLogicalScreen();
    // The logical screen scaled into the window's back buffer (nothing to do without a
    // framebuffer object), leaving the window's framebuffer bound; bindScreenTarget returns to
    // the logical screen. Two ways give the same pixels. Pixels, the default: the picture is read
    // back, enlarged on the processor and handed over with an unscaled framebuffer blit (see
    // window_copy.h); on Mesa's software rasteriser a tenth of the cost of the other. Quad: a
    // textured quad with nearest filtering, used where the driver has no framebuffer blit or
    // refuses the copy's framebuffer.
    // With onlyIfChanged, the pixel way compares the picture with the one the window shows and
    // returns false, copying nothing, when they are the same and the window has lost nothing
    // since (a menu or a pause then costs no copy and no swap).
    enum class WindowCopy { Pixels, Quad };
    bool copyToWindow(bool onlyIfChanged = false);
    // The window system dropped the window's contents (an expose): the next frame is shown anew.
    void windowContentsLost() { windowShowsCopy = false; }
    void setWindowCopy(WindowCopy way) { preferredWindowCopy = way; }
    WindowCopy windowCopyInUse() const;
    void clearScreen();
    // The frame interval in milliseconds: 1000 / frames per second, 2 for no cap.
    double frameIntervalMs() const { return frameInterval; }
    void setFrameIntervalMs(double ms) { frameInterval = ms; }
    // The next frame starts opaque, on background picture 0 when there is one.
    void beginNextFrame();
    // F12: the next swap saves a numbered screenshot of the finished frame.
    void requestScreenshot() { screenshotRequested = true; }
    bool screenshotPending() const { return screenshotRequested; }
    void cancelScreenshot() { screenshotRequested = false; }

    // --- backgrounds, captures, off-screen targets (backgrounds.cpp)
    bool loadBackgroundPicture(int picture, const char* path);
    void drawBackground(int picture);
    void deleteBackground(int picture);
    // Columns of a background picture (0: empty) and its tiles' texture size.
    int backgroundColumns(int picture) const;
    int backgroundTileSize(int picture) const;
    void captureScreenInto(int picture);
    void captureArea(int slot, int x, int y, int width, int height);
    void createTarget(int target, int slot, int width, int height);
    void selectTarget(int target);
    void finishOffscreenTarget();
    bool targetHasFramebuffer(int target) const;
    // Captures read the screen back and key it as if the framebuffer had no alpha channel (for
    // tests of that path on machines whose framebuffer has one).
    void captureAsWithoutAlpha() { framebufferAlphaBits = 0; }

  private:
    bool makeScreenFramebuffer();
    void shapeBegin(int colour);
    void shapeEnd();
    const std::vector<uint8_t>& alphaCopy(int slot);
    void setCurrentColour(float r, float g, float b, float a);
    // Collects a quad of this sprite's texture in the current colour, blending and smoothing.
    void addTexturedQuad(const SpriteEntry& e, const float v[16]);
    // Collects a quad in this state, deciding how it must reach the rasteriser.
    void collectQuad(QuadState state, const QuadVertex q[4]);
    // Whether any of these points (x, y pairs in drawing coordinates) lies past the viewport.
    bool reachesPastViewport(const float* xy, size_t count) const;
    bool drawingOnScreenFramebuffer() const;
    void cutAtScreenEdges(bool on);
    // After GL calls that went around the state cache: it forgets what it knew.
    void stateChangedBehindCache();
    // The enlarged copy's texture and framebuffer (window_copy.cpp).
    enum class PixelCopy { Copied, Unchanged, Failed };
    PixelCopy copyToWindowAsPixels(const PlatformPlacement& p, int drawableHeight, bool clearBorder,
                                   bool onlyIfChanged);
    bool makeWindowCopy(int width, int height);
    void releaseWindowCopy();
    // The copy as a textured quad, nearest filtering, for when the pixel copy cannot be used.
    void copyToWindowAsQuad(const PlatformPlacement& p, int drawableWidth, int drawableHeight,
                            bool clearBorder);
    // Whether this frame's copy paints the black border (for a while after a size change).
    bool borderNeedsClearing(int drawableWidth, int drawableHeight);

    // Members, in the order the runtime's other parts know them.
    std::vector<float> textVertices;  // 5 floats per vertex
    int textVertexCount = 0;
    int textVertexCapacity = 0;
    int textGrowthStep = 128;
    int textFirstCapacity = 512;
    int boundSprite0 = -1;
    int boundSprite1 = -1;
    bool useMipmapped = false;
    std::vector<SpriteEntry> sprites;  // 65536 entries
    float currentAlpha = 0.0f;
    OffscreenTarget targets[kOffscreenTargets];
    int currentTarget = -1;
    // Per slot, made on demand: one pointer per slot rather than a whole empty list each.
    std::vector<std::unique_ptr<std::vector<uint8_t>>> pixelCopies;
    BackgroundPicture backgrounds[kBackgroundPictures];
    bool smoothing = true;
    int screenWidth = 0;
    int screenHeight = 0;
    int colourBits = 0;
    bool fullscreen = false;
    int samples = 0;
    int viewportX = 0, viewportY = 0, viewportWidth = 0, viewportHeight = 0;
    int spriteColourKey = kDefaultSpriteKey;
    int fontColourKey = 0;
    bool initialised = false;
    double nextFrameTime = 0.0;
    double frameInterval = 2.0;

    // Linux additions: the logical screen's framebuffer object, the fan vertex list, the capture
    // read-back buffer and the alpha-bits answer for captures.
    unsigned screenFramebuffer = 0;
    unsigned screenTexture = 0;
    unsigned screenDepth = 0;  // attached only to cut primitives at the edges
    bool screenDepthAttached = false;
    int screenTextureWidth = 0;
    int screenTextureHeight = 0;
    std::vector<FanVertex> fanVertices;
    int fanSlot = -1;
    std::vector<uint8_t> captureBuffer;
    int framebufferAlphaBits = -1;  // -1: not asked yet
    bool screenshotRequested = false;
    int lastDrawableWidth = 0;
    int lastDrawableHeight = 0;
    int borderClearsLeft = 0;
    int maxTextureSize = 0;

    // What the drawing code set: the current colour, and blending (0 off, 1 additive, -1
    // ordinary transparency), applied to collected quads when they are drawn.
    float currentColour[4] = {1, 1, 1, 1};
    int blendMode = 0;
    bool quadsTurned = false;  // the modelview matrix turns the quads being added
    WindowCopy preferredWindowCopy = WindowCopy::Pixels;
    bool windowCopyRefused = false;  // the driver could not make the copy's framebuffer
    unsigned windowCopyFramebuffer = 0;
    unsigned windowCopyTexture = 0;
    int windowCopyWidth = 0;
    int windowCopyHeight = 0;
    std::vector<uint32_t> logicalPixels;  // the picture just read back
    std::vector<uint32_t> shownPixels;    // the picture the window shows, while windowShowsCopy
    std::vector<uint32_t> windowPixels;   // enlarged, for the upload
    bool windowShowsCopy = false;
    int shownLeft = 0, shownTop = 0, shownScale = 0;
    std::unique_ptr<GlStateCache> glState;
    std::unique_ptr<QuadBatch> quads;
};

// The one renderer (nullptr before start-up and after shutdown).
extern OpenGLPrismo* theRenderer;

// Process-wide OpenGL facts: the GL_RENDERER string, whether the software warning was given,
// and a switch that pretends framebuffer objects are missing (for tests of the fallbacks; takes
// effect at the next openWindow).
const char* rendererName();
void setFramebufferObjectsAllowed(bool allowed);
bool framebufferObjectsAvailable();

// --- game operations: window
double setScreenMode(double width, double height, double colourBits, double fullscreen);
