// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Background pictures, screen captures and off-screen targets.
#include "graphics/backgrounds.h"

#include <algorithm>
#include <string>

#include "graphics/drawing.h"
#include "graphics/gl_entry.h"
#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"
#include "graphics/sprites.h"
#include "runtime/lifecycle.h"

namespace {

int powerOfTwoFrom(int start, int n) {
    int p = start;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

void newCaptureTexture(unsigned* texture, int width, int height) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, gl.colourFormat(), width, height, 0, gl.pixelOrder(),
                 GL_UNSIGNED_BYTE, nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Captures

void OpenGLPrismo::captureArea(int slot, int x, int y, int width, int height) {
    SpriteEntry* e = entry(slot);
    if (!e || !initialised || width < 1 || height < 1) return;
    flushDrawing();
    const int limit = maxTextureSize > 0 ? maxTextureSize : 2048;
    width = std::min(width, limit);
    height = std::min(height, limit);
    const int tw = powerOfTwoFrom(32, width), th = powerOfTwoFrom(32, height);
    if (!(e->texture && e->textureWidth == tw && e->textureHeight == th)) {
        deleteSlot(slot);
        newCaptureTexture(&e->texture, tw, th);
    } else {
        glBindTexture(GL_TEXTURE_2D, e->texture);
    }
    pixelCopies[static_cast<size_t>(slot)].reset();  // contents change
    if (framebufferAlphaBits < 0) {
        GLint bits = 0;
        glGetIntegerv(GL_ALPHA_BITS, &bits);
        framebufferAlphaBits = bits;
    }
    const int sourceRow = screenHeight - y - height;
    if (framebufferAlphaBits > 0) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, sourceRow, width, height);
    } else {
        // No alpha in the framebuffer: find how the colour key reads back here and make exactly
        // those pixels transparent.
        // The probe is drawn without blending, and leaves the colour as it was. It changes only
        // state the renderer's cache tracks (alpha test, texturing, blending, the colour), so
        // forgetting the cache afterwards puts everything back at the next draw; no attribute
        // stack is needed (WebGL's fixed-function emulation has none).
        const int savedBlendMode = blendMode;
        const float savedColour[4] = {currentColour[0], currentColour[1], currentColour[2],
                                      currentColour[3]};
        blendMode = 0;
        GLubyte old[4], key[4];
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(4, screenHeight - 1 - 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, old);
        drawPoint(4, 4, spriteColourKey);
        glReadPixels(4, screenHeight - 1 - 4, 1, 1, gl.pixelOrder(), GL_UNSIGNED_BYTE, key);
        drawPoint(4, 4, old[0] + 256 * old[1] + 65536 * old[2]);
        stateChangedBehindCache();
        blendMode = savedBlendMode;
        setCurrentColour(savedColour[0], savedColour[1], savedColour[2], savedColour[3]);
        captureBuffer.resize(std::max(captureBuffer.size(), static_cast<size_t>(tw) * th * 4));
        glReadPixels(x, sourceRow, tw, th, gl.pixelOrder(), GL_UNSIGNED_BYTE, captureBuffer.data());
        for (size_t i = 0; i < static_cast<size_t>(tw) * th; ++i) {
            uint8_t* p = &captureBuffer[i * 4];
            if (p[0] == key[0] && p[1] == key[1] && p[2] == key[2]) p[3] = 0;
        }
        glBindTexture(GL_TEXTURE_2D, e->texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, tw, th, gl.pixelOrder(), GL_UNSIGNED_BYTE,
                        captureBuffer.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    stateChangedBehindCache();
    boundSprite0 = -1;
    e->textureWidth = static_cast<int16_t>(tw);
    e->textureHeight = static_cast<int16_t>(th);
    e->imageWidth = static_cast<int16_t>(width);
    e->imageHeight = static_cast<int16_t>(height);
}

void captureToSprite(double slot, double x, double y, double width, double height) {
    if (theRenderer)
        theRenderer->captureArea(truncToInt(slot), truncToInt(x), truncToInt(y), truncToInt(width),
                                 truncToInt(height));
}

// ---------------------------------------------------------------------------------------------
// Background pictures

void OpenGLPrismo::deleteBackground(int picture) {
    if (picture < 0 || picture >= kBackgroundPictures) return;
    BackgroundPicture& b = backgrounds[picture];
    if (b.columns > 0) flushDrawing();  // collected quads may use its tiles
    for (BackgroundTile& t : b.tiles) {
        if (t.texture && initialised) {
            glDeleteTextures(1, &t.texture);
            glState->forgetTexture(t.texture);
        }
        t = BackgroundTile();
    }
    b.columns = b.rows = 0;
}

bool OpenGLPrismo::loadBackgroundPicture(int picture, const char* path) {
    if (picture < 0 || picture >= kBackgroundPictures || !initialised) return false;
    RgbaImage image;
    if (!decodeBmp(path, kNoColourKey, image) && !decodePng(path, kNoColourKey, image))
        return false;
    const int tile = std::min(maxTextureSize > 0 ? maxTextureSize : 512, 512);
    deleteBackground(picture);
    BackgroundPicture& b = backgrounds[picture];
    const int columns = std::min(kBackgroundGrid, (image.width + tile - 1) / tile);
    const int rows = std::min(kBackgroundGrid, (image.height + tile - 1) / tile);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            BackgroundTile& t = b.tiles[row * kBackgroundGrid + column];
            // No edge colour fill: backgrounds are drawn with nearest filtering and without
            // blending, so a filled fringe would show as a line of picture colour beside a picture
            // that does not fill its tile; the rest of the tile must stay black.
            if (!uploadTexture(image, column * tile, row * tile, tile, tile, &t.texture, nullptr,
                               false, true)) {
                deleteBackground(picture);
                return false;
            }
            t.textureWidth = t.textureHeight = tile;
            t.usedWidth = t.usedHeight = tile;
        }
    }
    b.columns = columns;
    b.rows = rows;
    return true;
}

void OpenGLPrismo::captureScreenInto(int picture) {
    if (picture < 0 || picture >= kBackgroundPictures || !initialised) return;
    flushDrawing();
    const int limit = maxTextureSize > 0 ? maxTextureSize : 2048;
    int tile = 128;
    while (tile < std::max(screenWidth, screenHeight) && tile < limit) tile *= 2;
    BackgroundPicture& b = backgrounds[picture];
    const int columns = std::min(kBackgroundGrid, (screenWidth + tile - 1) / tile);
    const int rows = std::min(kBackgroundGrid, (screenHeight + tile - 1) / tile);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            BackgroundTile& t = b.tiles[row * kBackgroundGrid + column];
            if (!(t.texture && t.textureWidth == tile && t.textureHeight == tile)) {
                if (t.texture) glDeleteTextures(1, &t.texture);
                t.texture = 0;
                newCaptureTexture(&t.texture, tile, tile);
            } else {
                glBindTexture(GL_TEXTURE_2D, t.texture);
            }
            t.textureWidth = t.textureHeight = tile;
            t.usedWidth = std::min(tile, screenWidth - column * tile);
            t.usedHeight = std::min(tile, screenHeight - row * tile);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, column * tile,
                                screenHeight - row * tile - t.usedHeight, t.usedWidth,
                                t.usedHeight);
        }
    }
    b.columns = columns;
    b.rows = rows;
    glBindTexture(GL_TEXTURE_2D, 0);
    stateChangedBehindCache();
    boundSprite0 = -1;
}

void OpenGLPrismo::drawBackground(int picture) {
    if (picture < 0 || picture >= kBackgroundPictures) return;
    const BackgroundPicture& b = backgrounds[picture];
    if (b.columns <= 0) return;
    // Without the alpha test and with nearest filtering, in the current colour and blending.
    QuadState state;
    state.filter = GL_NEAREST;
    state.alphaTest = false;
    state.blendMode = blendMode;
    for (int k = 0; k < 4; ++k) state.colour[k] = currentColour[k];
    for (int row = 0; row < b.rows; ++row) {
        for (int column = 0; column < b.columns; ++column) {
            const BackgroundTile& t = b.tiles[row * kBackgroundGrid + column];
            if (!t.texture) continue;
            state.texture = t.texture;
            const float x = static_cast<float>(column * t.textureWidth);
            const float y = static_cast<float>(row * t.textureHeight);
            const float w = static_cast<float>(t.usedWidth), h = static_cast<float>(t.usedHeight);
            const float u = w / t.textureWidth, v = h / t.textureHeight;
            const QuadVertex q[4] = {
                {x, y + h, 0, 0, 0}, {x + w, y + h, 0, u, 0}, {x + w, y, 0, u, v}, {x, y, 0, 0, v}};
            collectQuad(state, q);
        }
    }
    boundSprite0 = boundSprite1 = -1;
}

void loadBackground(const TextValue& fileName) {
    OpenGLPrismo* r = theRenderer;
    appendErrorLog("Loadbmp");
    appendErrorLog("Kisteling");
    if (!r) return;
    std::string path;
    if (resolveImageFile(textCString(fileName), path)) {
        appendErrorLog("OK?");
        if (r->loadBackgroundPicture(0, path.c_str())) {
            r->drawBackground(0);
            return;
        }
    } else {
        appendErrorLog("failed");
    }
    r->deleteBackground(0);
    r->clearScreen();
}

void captureBackground() {
    if (theRenderer) theRenderer->captureScreenInto(0);
}

// ---------------------------------------------------------------------------------------------
// Off-screen targets

void OpenGLPrismo::createTarget(int target, int slot, int width, int height) {
    if (target < 0 || target >= kOffscreenTargets || !entry(slot) || !initialised) return;
    flushDrawing();
    const int limit = maxTextureSize > 0 ? maxTextureSize : 2048;
    width = std::clamp(width, 1, limit);
    height = std::clamp(height, 1, limit);
    const int tw = powerOfTwoFrom(2, width), th = powerOfTwoFrom(2, height);
    if (currentTarget == target) finishOffscreenTarget();
    deleteSlot(slot);
    RgbaImage blank;
    blank.width = tw;
    blank.height = th;
    blank.pixels.assign(static_cast<size_t>(tw) * th * 4, 0);
    SpriteEntry* e = entry(slot);
    if (!uploadTexture(blank, 0, 0, 0, 0, &e->texture, nullptr, false, false)) return;
    e->textureWidth = static_cast<int16_t>(tw);
    e->textureHeight = static_cast<int16_t>(th);
    e->imageWidth = static_cast<int16_t>(width);
    e->imageHeight = static_cast<int16_t>(height);

    OffscreenTarget& t = targets[target];
    if (t.framebuffer) gl.glDeleteFramebuffersEXT(1, &t.framebuffer);
    if (t.renderbuffer) gl.glDeleteRenderbuffersEXT(1, &t.renderbuffer);
    t = OffscreenTarget();
    t.slot = slot;
    if (!haveFramebufferObjects()) return;
    gl.glGenFramebuffersEXT(1, &t.framebuffer);
    gl.glGenRenderbuffersEXT(1, &t.renderbuffer);
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, t.renderbuffer);
    gl.glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, gl.depthFormat(), tw, th);
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.framebuffer);
    gl.glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                 e->texture, 0);
    gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                    GL_RENDERBUFFER_EXT, t.renderbuffer);
    const bool complete =
        gl.glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    // Drawing goes on where it was.
    if (currentTarget >= 0 && targets[currentTarget].width)
        gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, targets[currentTarget].framebuffer);
    else
        bindScreenTarget();
    if (complete) {
        t.width = tw;
        t.height = th;
    } else {
        gl.glDeleteFramebuffersEXT(1, &t.framebuffer);
        gl.glDeleteRenderbuffersEXT(1, &t.renderbuffer);
        t.framebuffer = t.renderbuffer = 0;
    }
}

void OpenGLPrismo::selectTarget(int target) {
    if (target < 0) {
        finishOffscreenTarget();
        return;
    }
    if (target >= kOffscreenTargets || !initialised) return;
    finishOffscreenTarget();
    flushDrawing();
    OffscreenTarget& t = targets[target];
    SpriteEntry* e = entry(t.slot);
    if (!e || !e->texture) return;  // never created: drawing stays on the screen
    currentTarget = target;
    const int w = e->imageWidth, h = e->imageHeight;
    if (t.width) {
        gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.framebuffer);
        gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, t.renderbuffer);
        gl.glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                     e->texture, 0);
        gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                        GL_RENDERBUFFER_EXT, t.renderbuffer);
        resetViewport(0, 0, w, h);
        glViewport(0, 0, w, h);
    } else {
        // Without a framebuffer object the target's picture is composed in the screen's top-left
        // corner; what was there is kept in a reserved slot and put back when the target ends.
        resetViewport(0, 0, w, h);
        captureArea(kSavedScreenSlot, 0, 0, w, h);
        fillRect(0, 0, w, h, spriteColourKey);
        blitSprite(t.slot, 0, 0);
    }
}

void OpenGLPrismo::finishOffscreenTarget() {
    if (currentTarget < 0) return;
    OffscreenTarget& t = targets[currentTarget];
    if (t.width) {
        bindScreenTarget();
    } else {
        const SpriteEntry* e = entry(t.slot);
        if (e) {
            const int w = e->imageWidth, h = e->imageHeight;
            captureArea(t.slot, 0, 0, w, h);
            fillRect(0, 0, w, h, 0);
            blitSprite(kSavedScreenSlot, 0, 0);
        }
    }
    currentTarget = -1;
    resetViewport(0, 0, 0, 0);
}

int OpenGLPrismo::backgroundColumns(int picture) const {
    return picture >= 0 && picture < kBackgroundPictures ? backgrounds[picture].columns : 0;
}

int OpenGLPrismo::backgroundTileSize(int picture) const {
    return picture >= 0 && picture < kBackgroundPictures
               ? backgrounds[picture].tiles[0].textureWidth
               : 0;
}

bool OpenGLPrismo::targetHasFramebuffer(int target) const {
    return target >= 0 && target < kOffscreenTargets && targets[target].framebuffer != 0;
}

void createOffscreenTarget(double target, double slot, double width, double height) {
    if (theRenderer)
        theRenderer->createTarget(truncToInt(target), truncToInt(slot), truncToInt(width),
                                  truncToInt(height));
}

void selectOffscreenTarget(double target) {
    if (theRenderer) theRenderer->selectTarget(truncToInt(target));
}
