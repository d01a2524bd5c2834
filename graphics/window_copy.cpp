// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Showing the logical screen through a read-back enlarged on the processor.
#include "graphics/window_copy.h"

#include <cstring>

#include "graphics/gl_entry.h"
#include "graphics/renderer.h"
#include "platform/platform.h"

void enlargePixels(const uint32_t* src, int width, int height, int factor, uint32_t* dst) {
    const size_t outWidth = static_cast<size_t>(width) * factor;
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = src + static_cast<size_t>(y) * width;
        uint32_t* out = dst + static_cast<size_t>(height - 1 - y) * factor * outWidth;
        uint32_t* o = out;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            for (int k = 0; k < factor; ++k) *o++ = p;
        }
        // The row's other factor - 1 copies are the same bytes.
        for (int k = 1; k < factor; ++k) std::memcpy(out + k * outWidth, out, outWidth * 4);
    }
}

void OpenGLPrismo::releaseWindowCopy() {
    if (windowCopyFramebuffer && gl.glDeleteFramebuffersEXT)
        gl.glDeleteFramebuffersEXT(1, &windowCopyFramebuffer);
    if (windowCopyTexture) glDeleteTextures(1, &windowCopyTexture);
    windowCopyFramebuffer = windowCopyTexture = 0;
    windowCopyWidth = windowCopyHeight = 0;
    windowShowsCopy = false;
}

bool OpenGLPrismo::makeWindowCopy(int width, int height) {
    releaseWindowCopy();
    stateChangedBehindCache();
    glGenTextures(1, &windowCopyTexture);
    glBindTexture(GL_TEXTURE_2D, windowCopyTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Unsized RGBA given as BGRA bytes: the driver picks the window's and the logical screen's
    // byte order, so the read-back, the upload and the blit below all stay plain copies.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    gl.glGenFramebuffersEXT(1, &windowCopyFramebuffer);
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowCopyFramebuffer);
    gl.glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                 windowCopyTexture, 0);
    const bool complete =
        gl.glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (!complete) {
        releaseWindowCopy();
        return false;
    }
    windowCopyWidth = width;
    windowCopyHeight = height;
    return true;
}

OpenGLPrismo::PixelCopy OpenGLPrismo::copyToWindowAsPixels(const PlatformPlacement& p,
                                                           int drawableHeight, bool clearBorder,
                                                           bool onlyIfChanged) {
    if (!gl.glBlitFramebufferEXT || windowCopyRefused) return PixelCopy::Failed;
    if (p.width != windowCopyWidth || p.height != windowCopyHeight) {
        if (!makeWindowCopy(p.width, p.height)) {
            windowCopyRefused = true;  // the textured quad serves from now on
            return PixelCopy::Failed;
        }
    }
    const size_t logical = static_cast<size_t>(screenWidth) * screenHeight;
    logicalPixels.resize(logical);
    windowPixels.resize(logical * p.scale * p.scale);

    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screenFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_BGRA, GL_UNSIGNED_BYTE, logicalPixels.data());
    if (onlyIfChanged && windowShowsCopy && p.left == shownLeft && p.top == shownTop &&
        p.scale == shownScale && logicalPixels == shownPixels)
        return PixelCopy::Unchanged;
    enlargePixels(logicalPixels.data(), screenWidth, screenHeight, p.scale, windowPixels.data());

    glBindTexture(GL_TEXTURE_2D, windowCopyTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, p.width, p.height, GL_BGRA, GL_UNSIGNED_BYTE,
                    windowPixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    stateChangedBehindCache();

    gl.glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, windowCopyFramebuffer);
    gl.glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, 0);
    if (clearBorder) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The copy holds the picture top row first and is blitted upside down. The window's own
    // buffer is stored top row first too, so to the driver this is a copy without flipping,
    // which it does with memcpy instead of shading every pixel.
    const int bottom = drawableHeight - p.top - p.height;
    gl.glBlitFramebufferEXT(0, 0, p.width, p.height, p.left, bottom + p.height, p.left + p.width,
                            bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    shownPixels.swap(logicalPixels);
    shownLeft = p.left;
    shownTop = p.top;
    shownScale = p.scale;
    windowShowsCopy = true;
    return PixelCopy::Copied;
}
