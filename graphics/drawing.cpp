// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sprite and primitive drawing, pixel read-back and pixel-exact collision tests.
#include "graphics/drawing.h"

#include <algorithm>
#include <cmath>

#include "graphics/gl_entry.h"
#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"

namespace {

// The four corners of a quad given as x, y, u, v each.
void makeQuad(const float v[16], QuadVertex out[4]) {
    for (int i = 0; i < 4; ++i)
        out[i] = QuadVertex{v[i * 4], v[i * 4 + 1], 0, v[i * 4 + 2], v[i * 4 + 3]};
}

// Whether a quad shows its texture one texel per pixel: sides along the axes (mirrored or not),
// one texel per pixel each way, and texel edges on pixel edges. Bilinear filtering then samples
// each pixel at a texel's centre, with weight zero for the neighbours, so nearest filtering
// gives the same pixels; a software rasteriser does it at a fraction of the cost.
bool texelsMatchPixels(const float v[16], int textureWidth, int textureHeight) {
    // Along each axis, texel position = sign * pixel position + offset, with a whole offset.
    const float tw = static_cast<float>(textureWidth), th = static_cast<float>(textureHeight);
    float signX = 0, signY = 0;
    for (int i = 1; i < 4; ++i) {
        const float dx = v[i * 4] - v[0], dy = v[i * 4 + 1] - v[1];
        const float du = (v[i * 4 + 2] - v[2]) * tw, dv = (v[i * 4 + 3] - v[3]) * th;
        if (dx != 0 && signX == 0) signX = du / dx;
        if (dy != 0 && signY == 0) signY = dv / dy;
    }
    if ((signX != 1 && signX != -1) || (signY != 1 && signY != -1)) return false;
    const float offsetU = v[2] * tw - signX * v[0], offsetV = v[3] * th - signY * v[1];
    if (offsetU != std::floor(offsetU) || offsetV != std::floor(offsetV)) return false;
    for (int i = 0; i < 4; ++i) {
        const float x = v[i * 4], y = v[i * 4 + 1];
        if (x != std::floor(x) || y != std::floor(y)) return false;
        if (v[i * 4 + 2] * tw - signX * x != offsetU || v[i * 4 + 3] * th - signY * y != offsetV)
            return false;
    }
    return true;
}

void setColour(QuadState& state, const float colour[4]) {
    for (int i = 0; i < 4; ++i) state.colour[i] = colour[i];
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Renderer: binding, state, quads

void OpenGLPrismo::flushDrawing() {
    if (quads->empty()) return;
    cutAtScreenEdges(quads->collectedState().cutAtEdges);
    quads->flush(*glState);
}

void OpenGLPrismo::collectQuad(QuadState state, const QuadVertex q[4]) {
    float corners[8];
    for (int i = 0; i < 4; ++i) corners[i * 2] = q[i].x, corners[i * 2 + 1] = q[i].y;
    state.cutAtEdges = quadsTurned || reachesPastViewport(corners, 4);
    // Drawing what was collected in another state first, through flushDrawing, attaches or
    // detaches the depth buffer it needs.
    if (!quads->empty() && quads->collectedState() != state) flushDrawing();
    quads->add(*glState, state, q, !state.cutAtEdges && drawingOnScreenFramebuffer());
}

bool OpenGLPrismo::reachesPastViewport(const float* xy, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        const float x = xy[i * 2], y = xy[i * 2 + 1];
        if (x < 0 || y < 0 || x > viewportWidth || y > viewportHeight) return true;
    }
    return false;
}

bool OpenGLPrismo::drawingOnScreenFramebuffer() const {
    return screenFramebuffer && (currentTarget < 0 || targets[currentTarget].width == 0);
}

// With a depth buffer attached, Mesa's software rasteriser cuts primitives at the screen's edges
// as it always did; without one (the logical screen's usual state, which lets it fill sprite
// rectangles on its fast path) it draws them uncut and rounds texels along a crossing edge a
// step differently. Primitives that reach past the edges, and turned ones, are therefore drawn
// with the depth buffer attached. Nothing tests depth: only the cutting depends on it.
void OpenGLPrismo::cutAtScreenEdges(bool on) {
    if (on == screenDepthAttached || !screenDepth || !drawingOnScreenFramebuffer()) return;
    gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                    GL_RENDERBUFFER_EXT, on ? screenDepth : 0);
    screenDepthAttached = on;
}

void OpenGLPrismo::setCurrentColour(float r, float g, float b, float a) {
    currentColour[0] = r;
    currentColour[1] = g;
    currentColour[2] = b;
    currentColour[3] = a;
}

void OpenGLPrismo::setAlphaMode(double value) {
    if (value == 0) {
        blendMode = 0;
        currentAlpha = 1.0f;
    } else {
        blendMode = value > 0 ? 1 : -1;
        currentAlpha = static_cast<float>(std::min(1.0, std::fabs(value)));
    }
    setCurrentColour(1, 1, 1, currentAlpha);
}

void OpenGLPrismo::bindSprite(int slot0, int slot1, bool mipmapped, unsigned texture0,
                              unsigned texture1) {
    flushDrawing();
    GlStateCache& s = *glState;
    useMipmapped = mipmapped;
    auto nameOf = [&](int slot, unsigned texture) -> unsigned {
        if (texture) return texture;
        const SpriteEntry* e = entry(slot);
        return e ? (mipmapped && e->mipTexture ? e->mipTexture : e->texture) : 0;
    };
    if (slot0 < 0 && !texture0) {
        s.texturing(0, false);
        s.bindTexture(0, 0);
        boundSprite0 = -1;
    } else {
        s.texturing(0, true);
        s.bindTexture(0, nameOf(slot0, texture0));
        s.textureEnvMode(0, GL_MODULATE);
        boundSprite0 = slot0;
    }
    if (!gl.glActiveTextureARB) return;
    if (slot1 < 0 && !texture1) {
        s.texturing(1, false);
        boundSprite1 = -1;
    } else {
        s.texturing(1, true);
        s.bindTexture(1, nameOf(slot1, texture1));
        boundSprite1 = slot1;
    }
    s.activeUnit(0);
}

void OpenGLPrismo::addTexturedQuad(const SpriteEntry& e, const float v[16]) {
    QuadState state;
    state.texture = e.texture;
    const bool oneToOne = !quadsTurned && texelsMatchPixels(v, e.textureWidth, e.textureHeight);
    state.filter = smoothing && !oneToOne ? GL_LINEAR : GL_NEAREST;
    state.alphaTest = true;
    state.blendMode = blendMode;
    setColour(state, currentColour);
    QuadVertex q[4];
    makeQuad(v, q);
    collectQuad(state, q);
}

void OpenGLPrismo::drawSpriteQuad(int slot, const float v[16]) {
    const SpriteEntry* e = entry(slot);
    if (!e || !e->texture) return;  // an empty slot shows nothing
    // What binding the slot on unit 0 alone would record.
    boundSprite0 = slot;
    boundSprite1 = -1;
    useMipmapped = false;
    addTexturedQuad(*e, v);
}

void OpenGLPrismo::drawTurnedSpriteQuad(int slot, double cx, double cy, double angle,
                                        const float v[16]) {
    flushDrawing();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslated(cx, cy, 0);
    glRotated(angle, 0, 0, -1);
    quadsTurned = true;
    drawSpriteQuad(slot, v);
    quadsTurned = false;
    flushDrawing();
    glPopMatrix();
}

void OpenGLPrismo::drawMirroredSpriteQuad(int slot, const float v[16]) {
    flushDrawing();
    glFrontFace(GL_CW);
    drawSpriteQuad(slot, v);
    flushDrawing();
    glFrontFace(GL_CCW);
}

void OpenGLPrismo::frameCoordinates(const SpriteEntry& e, int frame, float* u0, float* u1,
                                    float* vBottom, float* vTop) const {
    const int perRow = e.imageWidth / e.frameWidth;
    const int column = frame % perRow, row = frame / perRow;
    const float tw = e.textureWidth, th = e.textureHeight;
    *u0 = static_cast<float>(column) * e.frameWidth / tw;
    *u1 = *u0 + e.frameWidth / tw;
    *vBottom = (e.imageHeight - static_cast<float>(e.frameHeight) * (row + 1)) / th;
    *vTop = *vBottom + e.frameHeight / th;
}

namespace {

// The slot's entry when it holds a picture; an empty slot draws nothing.
const SpriteEntry* drawable(OpenGLPrismo* r, double slot) {
    if (!r) return nullptr;
    const SpriteEntry* e = r->entry(truncToInt(slot));
    return e && e->texture && e->textureWidth > 0 && e->textureHeight > 0 ? e : nullptr;
}

// A strip's entry when the frame operations can use it.
const SpriteEntry* drawableStrip(OpenGLPrismo* r, double slot) {
    const SpriteEntry* e = drawable(r, slot);
    // A slot without a frame size draws nothing; a negative size is no frame either.
    if (!e || e->frameWidth <= 0 || e->frameHeight <= 0) return nullptr;
    if (e->imageWidth / e->frameWidth == 0) return nullptr;  // frame wider than the picture
    return e;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sprites

void drawSpriteFrame(double slot, double frame, double x, double y) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawableStrip(r, slot);
    if (!e) return;
    float u0, u1, vb, vt;
    r->frameCoordinates(*e, truncToInt(frame), &u0, &u1, &vb, &vt);
    const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
    const float fw = e->frameWidth, fh = e->frameHeight;
    const float q[16] = {X + fw, Y,      u1, vt, X,      Y,      u0, vt,
                         X,      Y + fh, u0, vb, X + fw, Y + fh, u1, vb};
    r->drawSpriteQuad(truncToInt(slot), q);
}

void blitSprite(double slot, double x, double y) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawable(r, slot);
    if (!e) return;
    const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
    const float w = e->imageWidth, h = e->imageHeight;
    const float u1 = w / e->textureWidth, vt = h / e->textureHeight;
    const float q[16] = {X + w, Y, u1, vt, X, Y, 0, vt, X, Y + h, 0, 0, X + w, Y + h, u1, 0};
    r->drawSpriteQuad(truncToInt(slot), q);
}

void blitSpriteScaled(double slot, double x, double y, double width, double height) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawable(r, slot);
    if (!e) return;
    const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
    const float W = static_cast<float>(ceilToInt(width)), H = static_cast<float>(ceilToInt(height));
    const float u1 = static_cast<float>(e->imageWidth) / e->textureWidth;
    const float vt = static_cast<float>(e->imageHeight) / e->textureHeight;
    const float q[16] = {X, Y + H, 0, 0, X + W, Y + H, u1, 0, X + W, Y, u1, vt, X, Y, 0, vt};
    // One negative size mirrors the quad, which turns its winding around; both negative is a turn
    // by 180 degrees and keeps the winding.
    if ((W < 0) != (H < 0))
        r->drawMirroredSpriteQuad(truncToInt(slot), q);
    else
        r->drawSpriteQuad(truncToInt(slot), q);
}

void blitSpriteZoomed(double slot, double x, double y, double scaleX, double scaleY) {
    const SpriteEntry* e = drawable(theRenderer, slot);
    if (!e) return;
    const double w = e->imageWidth, h = e->imageHeight;
    blitSpriteScaled(slot, x - (scaleX * w - w) / 2, y - (scaleY * h - h) / 2, scaleX * w,
                     scaleY * h);
}

void blitSpriteTurned(double slot, double x, double y, double angle) {
    blitSpriteTurnedZoomed(slot, x, y, angle, 1);
}

void blitSpriteTurnedZoomed(double slot, double x, double y, double angle, double zoom) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawable(r, slot);
    if (!e) return;
    const int w = e->imageWidth, h = e->imageHeight;
    const float tw = e->textureWidth, th = e->textureHeight;
    const float hw = static_cast<float>(zoom * w / 2), hh = static_cast<float>(zoom * h / 2);
    const float q[16] = {
        -hw, hh,  0.5f / tw,       0.5f / th,       hw,  hh,  (w - 0.5f) / tw, 0.5f / th,
        hw,  -hh, (w - 0.5f) / tw, (h - 0.5f) / th, -hw, -hh, 0.5f / tw,       (h - 0.5f) / th};
    r->drawTurnedSpriteQuad(truncToInt(slot), w / 2 + x, h / 2 + y, angle, q);
}

// Degrees to radians cut after nine decimals, on purpose, unlike the exact factor of
// runtime/maths.cpp: a turned frame's corners are rounded up to whole pixels, and the shorter
// factor keeps every corner on the pixel it has always landed on.
constexpr double kTurnedFrameDegToRad = 0.017453292;

void drawFrameTurnedZoomed(double slot, double frame, double x, double y, double angle,
                           double zoom) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawableStrip(r, slot);
    if (!e) return;
    float u0, u1, vb, vt;
    r->frameCoordinates(*e, truncToInt(frame), &u0, &u1, &vb, &vt);
    const double s = std::sin(angle * kTurnedFrameDegToRad);
    const double c = std::cos(angle * kTurnedFrameDegToRad);
    const double hw = e->frameWidth * zoom / 2, hh = e->frameHeight * zoom / 2;
    const double cx = e->frameWidth / 2 + x, cy = e->frameHeight / 2 + y;
    auto corner = [&](double dx, double dy, float* out) {
        out[0] = static_cast<float>(ceilToInt(cx + c * dx + s * dy));
        out[1] = static_cast<float>(ceilToInt(cy - s * dx + c * dy));
    };
    float q[16];
    corner(-hw, -hh, &q[0]);
    q[2] = u0, q[3] = vt;
    corner(-hw, hh, &q[4]);
    q[6] = u0, q[7] = vb;
    corner(hw, hh, &q[8]);
    q[10] = u1, q[11] = vb;
    corner(hw, -hh, &q[12]);
    q[14] = u1, q[15] = vt;
    r->drawSpriteQuad(truncToInt(slot), q);
}

void drawFrameScaled(double slot, double frame, double x, double y, double width, double height) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* e = drawableStrip(r, slot);
    if (!e) return;
    float u0, u1, vb, vt;
    r->frameCoordinates(*e, truncToInt(frame), &u0, &u1, &vb, &vt);
    const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
    const float W = static_cast<float>(ceilToInt(width)), H = static_cast<float>(ceilToInt(height));
    const float q[16] = {
        X, Y,  u0, vt, X, Y + H + 0.1f, u0, vb, X + W + 0.1f, Y + H + 0.1f, u1, vb, X + W + 0.1f,
        Y, u1, vt};
    r->drawSpriteQuad(truncToInt(slot), q);
}

// ---------------------------------------------------------------------------------------------
// Shapes

void OpenGLPrismo::shapeBegin(int colour) {
    flushDrawing();
    GlStateCache& s = *glState;
    s.alphaTest(false);
    bindSprite(-1, -1, false);
    applyBlendMode(s, blendMode);
    const int red = colour & 255, green = (colour >> 8) & 255, blue = (colour >> 16) & 255;
    const int alpha = colour == spriteColourKey ? 0 : static_cast<int>(currentAlpha * 255);
    glColor4ub(static_cast<GLubyte>(red), static_cast<GLubyte>(green), static_cast<GLubyte>(blue),
               static_cast<GLubyte>(std::clamp(alpha, 0, 255)));
    s.forgetColour();
    // Integer coordinates hit pixel centres.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, 0.375f, 0);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLPrismo::shapeEnd() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    setCurrentColour(1, 1, 1, currentAlpha);
    glState->alphaTest(true);
}

void OpenGLPrismo::drawPoint(int x, int y, int colour) {
    shapeBegin(colour);
    const float at[2] = {x + 0.375f, y + 0.375f};
    cutAtScreenEdges(reachesPastViewport(at, 1));
    glBegin(GL_POINTS);
    glVertex2i(x, y);
    glEnd();
    shapeEnd();
}

void OpenGLPrismo::drawLine(int x1, int y1, int x2, int y2, int colour) {
    shapeBegin(colour);
    const float ends[4] = {x1 + 0.375f, y1 + 0.375f, x2 + 0.375f, y2 + 0.375f};
    cutAtScreenEdges(reachesPastViewport(ends, 2));
    glBegin(GL_LINES);
    glVertex2i(x1, y1);
    glVertex2i(x2, y2);
    glEnd();
    glBegin(GL_POINTS);  // the line's last pixel
    glVertex2i(x2, y2);
    glEnd();
    shapeEnd();
}

void OpenGLPrismo::fillRectangle(int left, int top, int w, int h, int colour) {
    // An untextured quad without the alpha test, collected like the sprites. Shifting its corners
    // by 3/8 pixel puts integer coordinates on pixel centres, as the points and lines do.
    const int red = colour & 255, green = (colour >> 8) & 255, blue = (colour >> 16) & 255;
    const int alpha =
        std::clamp(colour == spriteColourKey ? 0 : static_cast<int>(currentAlpha * 255), 0, 255);
    const float c[4] = {red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f};
    const float x0 = left + 0.375f, x1 = left + w + 0.375f;
    const float y0 = top + 0.375f, y1 = top + h + 0.375f;
    const float v[16] = {x0, y1, 0, 0, x1, y1, 0, 0, x1, y0, 0, 0, x0, y0, 0, 0};
    QuadVertex q[4];
    makeQuad(v, q);
    QuadState state;
    state.alphaTest = false;
    state.blendMode = blendMode;
    setColour(state, c);
    collectQuad(state, q);
    boundSprite0 = boundSprite1 = -1;
    setCurrentColour(1, 1, 1, currentAlpha);
}

void plotPoint(double x, double y, double colour) {
    if (theRenderer) theRenderer->drawPoint(truncToInt(x), truncToInt(y), truncToInt(colour));
}

void strokeLine(double x1, double y1, double x2, double y2, double colour) {
    if (theRenderer)
        theRenderer->drawLine(truncToInt(x1), truncToInt(y1), truncToInt(x2), truncToInt(y2),
                              truncToInt(colour));
}

void fillRect(double x, double y, double width, double height, double colour) {
    OpenGLPrismo* r = theRenderer;
    if (!r) return;
    int left = truncToInt(x), top = truncToInt(y), w = truncToInt(width), h = truncToInt(height);
    if (w < 0) {
        left = left + w + 1;
        w = -w;
    }
    if (h < 0) {
        top = top + h + 1;
        h = -h;
    }
    r->fillRectangle(left, top, w, h, truncToInt(colour));
}

// ---------------------------------------------------------------------------------------------
// Read-back

int OpenGLPrismo::readPixelAt(int x, int y) {
    if (!initialised) return 0;
    int height = screenHeight, width = screenWidth;
    if (currentTarget >= 0) {
        const SpriteEntry* e = entry(targets[currentTarget].slot);
        if (targets[currentTarget].width && e) {
            // Drawing into a target lands in its image area (the viewport is the image size).
            width = e->imageWidth;
            height = e->imageHeight;
        }
    }
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    flushDrawing();
    GLubyte px[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return px[0] + 256 * px[1] + 65536 * px[2];
}

double readPixel(double x, double y) {
    return theRenderer ? theRenderer->readPixelAt(truncToInt(x), truncToInt(y)) : 0;
}

// ---------------------------------------------------------------------------------------------
// Collisions

const std::vector<uint8_t>& OpenGLPrismo::alphaCopy(int slot) {
    static const std::vector<uint8_t> none;
    SpriteEntry* e = entry(slot);
    if (!e || !e->texture || e->textureWidth <= 0 || e->textureHeight <= 0) return none;
    std::unique_ptr<std::vector<uint8_t>>& made = pixelCopies[static_cast<size_t>(slot)];
    if (!made) made.reset(new std::vector<uint8_t>());
    std::vector<uint8_t>& copy = *made;
    if (copy.empty()) {
        // Drawing still collected may go into this very texture (an off-screen target).
        flushDrawing();
        copy.assign(static_cast<size_t>(e->textureWidth) * e->textureHeight, 0);
        glState->bindTexture(0, e->texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, copy.data());
        glState->bindTexture(0, 0);
        boundSprite0 = -1;
    }
    return copy;
}

bool OpenGLPrismo::overlapTest(int slot1, int x1, int y1, int w1, int h1, int ox1, int oy1,
                               int slot2, int x2, int y2, int w2, int h2, int ox2, int oy2) {
    const int left = std::max(x1, x2), right = std::min(x1 + w1, x2 + w2);
    const int top = std::max(y1, y2), bottom = std::min(y1 + h1, y2 + h2);
    if (right < left || bottom < top) return false;
    const std::vector<uint8_t>& a = alphaCopy(slot1);
    const std::vector<uint8_t>& b = alphaCopy(slot2);
    if (a.empty() || b.empty()) return false;
    const SpriteEntry& e1 = sprites[static_cast<size_t>(slot1)];
    const SpriteEntry& e2 = sprites[static_cast<size_t>(slot2)];
    // Alpha of picture pixel (ix, iy); pixels outside the texture count as transparent.
    auto alpha = [](const std::vector<uint8_t>& copy, const SpriteEntry& e, int ix, int iy) {
        const int row = e.imageHeight - 1 - iy;
        if (ix < 0 || ix >= e.textureWidth || row < 0 || row >= e.textureHeight) return 0;
        return static_cast<int>(copy[static_cast<size_t>(row) * e.textureWidth + ix]);
    };
    // Alternate rows and columns first: overlapping shapes are usually found within the first
    // pass.
    for (int pass = 0; pass < 4; ++pass) {
        const int rowStart = top + (pass >> 1), columnStart = left + (pass & 1);
        for (int py = rowStart; py < bottom; py += 2) {
            for (int px = columnStart; px < right; px += 2) {
                if (alpha(a, e1, px - x1 + ox1, py - y1 + oy1) &&
                    alpha(b, e2, px - x2 + ox2, py - y2 + oy2))
                    return true;
            }
        }
    }
    return false;
}

double spritesOverlap(double slot1, double x1, double y1, double slot2, double x2, double y2) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* a = drawable(r, slot1);
    const SpriteEntry* b = drawable(r, slot2);
    if (!a || !b) return 0;
    return r->overlapTest(truncToInt(slot1), truncToInt(x1), truncToInt(y1), a->imageWidth,
                          a->imageHeight, 0, 0, truncToInt(slot2), truncToInt(x2), truncToInt(y2),
                          b->imageWidth, b->imageHeight, 0, 0)
               ? 1
               : 0;
}

double framesOverlap(double slot1, double frame1, double x1, double y1, double slot2, double frame2,
                     double x2, double y2) {
    OpenGLPrismo* r = theRenderer;
    const SpriteEntry* a = drawable(r, slot1);
    const SpriteEntry* b = drawable(r, slot2);
    if (!a || !b) return 0;
    auto frameRect = [](const SpriteEntry& e, int frame, int* w, int* h, int* ox, int* oy) {
        const bool strip = e.frameWidth > 0 && e.frameHeight > 0 && e.imageWidth / e.frameWidth > 0;
        if (!strip) {
            *w = e.imageWidth, *h = e.imageHeight, *ox = 0, *oy = 0;
            return;
        }
        const int perRow = e.imageWidth / e.frameWidth;
        *w = e.frameWidth, *h = e.frameHeight;
        *ox = (frame % perRow) * e.frameWidth;
        *oy = (frame / perRow) * e.frameHeight;
    };
    int w1, h1, ox1, oy1, w2, h2, ox2, oy2;
    frameRect(*a, truncToInt(frame1), &w1, &h1, &ox1, &oy1);
    frameRect(*b, truncToInt(frame2), &w2, &h2, &ox2, &oy2);
    return r->overlapTest(truncToInt(slot1), truncToInt(x1), truncToInt(y1), w1, h1, ox1, oy1,
                          truncToInt(slot2), truncToInt(x2), truncToInt(y2), w2, h2, ox2, oy2)
               ? 1
               : 0;
}

// ---------------------------------------------------------------------------------------------
// Polygons

void OpenGLPrismo::beginFan(int slot) {
    const SpriteEntry* e = entry(slot);
    fanSlot = e && e->texture && e->textureWidth > 0 && e->textureHeight > 0 ? slot : -1;
    bindSprite(fanSlot, -1, false);
    fanVertices.clear();
}

void OpenGLPrismo::addFanVertex(double x, double y, double textureX, double textureY, int colour) {
    FanVertex v{};
    v.x = static_cast<float>(x);
    v.y = static_cast<float>(y);
    if (fanSlot >= 0) {
        const SpriteEntry& e = sprites[static_cast<size_t>(fanSlot)];
        v.u = static_cast<float>(textureX / e.textureWidth);
        v.v = static_cast<float>((e.imageHeight - textureY) / e.textureHeight);
    }
    v.r = (colour & 255) / 255.0f;
    v.g = ((colour >> 8) & 255) / 255.0f;
    v.b = ((colour >> 16) & 255) / 255.0f;
    v.a = colour == spriteColourKey ? 0.0f : currentAlpha;
    // Grow in steps of 128 vertices, 512 at first.
    if (fanVertices.size() == fanVertices.capacity()) {
        size_t need = fanVertices.size() + 1;
        size_t capacity = need <= 512 ? 512 : 128 * (need / 128 + 1);
        fanVertices.reserve(capacity);
    }
    fanVertices.push_back(v);
}

void OpenGLPrismo::endFan() {
    if (fanVertices.empty()) return;
    flushDrawing();
    bool pastEdges = false;
    for (const FanVertex& f : fanVertices) {
        const float at[2] = {f.x, f.y};
        pastEdges = pastEdges || reachesPastViewport(at, 1);
    }
    cutAtScreenEdges(pastEdges);
    GlStateCache& s = *glState;
    const bool textured = fanSlot >= 0;
    if (textured) {
        const unsigned texture = sprites[static_cast<size_t>(fanSlot)].texture;
        s.texturing(0, true);
        s.bindTexture(0, texture);
        s.filter(texture, smoothing ? GL_LINEAR : GL_NEAREST);
    } else {
        s.texturing(0, false);
    }
    s.alphaTest(true);
    applyBlendMode(s, blendMode);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    const FanVertex* v = fanVertices.data();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(FanVertex), &v->x);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(FanVertex), &v->u);
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(FanVertex), &v->r);
    glDrawArrays(GL_TRIANGLE_FAN, 0, static_cast<GLsizei>(fanVertices.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glShadeModel(GL_FLAT);
    s.texturing(0, true);
    s.forgetColour();
    setCurrentColour(1, 1, 1, currentAlpha);
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_MATERIAL);
}

void beginFan(double slot) {
    if (theRenderer) theRenderer->beginFan(truncToInt(slot));
}

void addFanVertex(double x, double y, double textureX, double textureY, double colour) {
    if (theRenderer) theRenderer->addFanVertex(x, y, textureX, textureY, truncToInt(colour));
}

void endFan() {
    if (theRenderer) theRenderer->endFan();
}

void setSmoothing(double flag) {
    if (theRenderer) theRenderer->setSmoothing(flag != 0);
}
