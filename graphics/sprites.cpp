// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sprite table, texture upload and the image-loading operations.
#include "graphics/sprites.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"

#include "runtime/archive.h"

namespace {

int powerOfTwoAtLeast(int n) {
    int p = 2;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

bool validSlot(int slot) { return slot >= 0 && slot < kSpriteSlots; }

// Gives fully transparent pixels the average colour of their opaque neighbours, so bilinear
// filtering does not pull dark fringes into a sprite's edges. Neighbours on the texture's outer
// border are left out.
void fillTransparentColours(std::vector<uint8_t>& buffer, int w, int h) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &buffer[(static_cast<size_t>(y) * w + x) * 4];
            if (p[3] != 0) continue;
            int sum[3] = {0, 0, 0}, count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!dx && !dy) continue;
                    int nx = x + dx, ny = y + dy;
                    if (nx < 1 || nx > w - 2 || ny < 1 || ny > h - 2) continue;
                    const uint8_t* q = &buffer[(static_cast<size_t>(ny) * w + nx) * 4];
                    if (q[3] == 0) continue;
                    sum[0] += q[0];
                    sum[1] += q[1];
                    sum[2] += q[2];
                    ++count;
                }
            }
            for (int c = 0; c < 3; ++c) p[c] = count ? static_cast<uint8_t>(sum[c] / count) : 0;
        }
    }
}

// Height field in the blue channel -> normal map (Sobel gradients, edges wrap around).
void makeNormalMap(std::vector<uint8_t>& buffer, int w, int h) {
    std::vector<float> height(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < height.size(); ++i) height[i] = buffer[i * 4 + 2] / 255.0f;
    auto at = [&](int x, int y) {
        x = (x % w + w) % w;
        y = (y % h + h) % h;
        return height[static_cast<size_t>(y) * w + x];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float gx = (at(x + 1, y - 1) + 2 * at(x + 1, y) + at(x + 1, y + 1)) -
                       (at(x - 1, y - 1) + 2 * at(x - 1, y) + at(x - 1, y + 1));
            float gy = (at(x - 1, y - 1) + 2 * at(x, y - 1) + at(x + 1, y - 1)) -
                       (at(x - 1, y + 1) + 2 * at(x, y + 1) + at(x + 1, y + 1));
            float nx = -gx, ny = -gy;
            float s = 1.0f / std::sqrt(nx * nx + ny * ny + 1.0f);
            uint8_t* p = &buffer[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>((nx * s + 1) / 2 * 255);
            p[1] = static_cast<uint8_t>((ny * s + 1) / 2 * 255);
            p[2] = static_cast<uint8_t>((s + 1) / 2 * 255);
        }
    }
}

void uploadMipmaps(std::vector<uint8_t> buffer, int w, int h) {
    // Squeeze to a square first, then halve level by level with a 2x2 box average.
    while (w > h) {
        int nw = w / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < nw; ++x)
                for (int c = 0; c < 4; ++c)
                    buffer[(static_cast<size_t>(y) * nw + x) * 4 + c] = static_cast<uint8_t>(
                        (buffer[(static_cast<size_t>(y) * w + 2 * x) * 4 + c] +
                         buffer[(static_cast<size_t>(y) * w + 2 * x + 1) * 4 + c]) /
                        2);
        w = nw;
    }
    while (h > w) {
        int nh = h / 2;
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c)
                    buffer[(static_cast<size_t>(y) * w + x) * 4 + c] = static_cast<uint8_t>(
                        (buffer[(static_cast<size_t>(2 * y) * w + x) * 4 + c] +
                         buffer[(static_cast<size_t>(2 * y + 1) * w + x) * 4 + c]) /
                        2);
        h = nh;
    }
    int level = 0;
    for (;;) {
        glTexImage2D(GL_TEXTURE_2D, level, gl.colourFormat(), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     buffer.data());
        if (w == 1 && h == 1) break;
        int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                for (int c = 0; c < 4; ++c) {
                    int x0 = std::min(2 * x, w - 1), x1 = std::min(2 * x + 1, w - 1);
                    int y0 = std::min(2 * y, h - 1), y1 = std::min(2 * y + 1, h - 1);
                    int sum = buffer[(static_cast<size_t>(y0) * w + x0) * 4 + c] +
                              buffer[(static_cast<size_t>(y0) * w + x1) * 4 + c] +
                              buffer[(static_cast<size_t>(y1) * w + x0) * 4 + c] +
                              buffer[(static_cast<size_t>(y1) * w + x1) * 4 + c];
                    buffer[(static_cast<size_t>(y) * nw + x) * 4 + c] =
                        static_cast<uint8_t>((sum + 2) / 4);
                }
        w = nw;
        h = nh;
        ++level;
    }
}

}  // namespace

SpriteEntry* OpenGLPrismo::entry(int slot) {
    return validSlot(slot) ? &sprites[static_cast<size_t>(slot)] : nullptr;
}

void OpenGLPrismo::deleteSlot(int slot) {
    SpriteEntry* e = entry(slot);
    if (!e) return;
    if (initialised && (e->texture || e->mipTexture)) {
        flushDrawing();  // collected quads may use the texture
        for (unsigned* name : {&e->texture, &e->mipTexture}) {
            if (!*name) continue;
            glDeleteTextures(1, name);
            glState->forgetTexture(*name);
        }
    }
    e->texture = e->mipTexture = 0;
    e->textureWidth = e->textureHeight = -1;
    e->imageWidth = e->imageHeight = 0;
    pixelCopies[static_cast<size_t>(slot)].reset();
}

bool OpenGLPrismo::uploadTexture(const RgbaImage& image, int left, int top, int width, int height,
                                 unsigned* texture, unsigned* mipTexture, bool normalMap,
                                 bool font) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize <= 0) maxSize = 2048;
    if (width == 0) width = image.width - left;
    if (height == 0) height = image.height - top;
    if (width < 1 || height < 1 || !texture) return false;
    width = std::min(width, static_cast<int>(maxSize));
    height = std::min(height, static_cast<int>(maxSize));
    const int w = powerOfTwoAtLeast(width), h = powerOfTwoAtLeast(height);
    std::vector<uint8_t> buffer(static_cast<size_t>(w) * h * 4, 0);
    // Upside down: image row top + y becomes texture row height - 1 - y.
    for (int y = 0; y < height; ++y) {
        int sy = top + y;
        if (sy < 0 || sy >= image.height) continue;
        for (int x = 0; x < width; ++x) {
            int sx = left + x;
            if (sx < 0 || sx >= image.width) continue;
            std::memcpy(&buffer[(static_cast<size_t>(height - 1 - y) * w + x) * 4],
                        image.pixel(sx, sy), 4);
        }
    }
    if (!font) fillTransparentColours(buffer, w, h);

    flushDrawing();  // collected quads may use the texture replaced here
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (*texture) {
        glDeleteTextures(1, texture);
        glState->forgetTexture(*texture);
    }
    glGenTextures(1, texture);
    glState->forgetTexture(*texture);  // a name used before may come back with other settings
    glState->bindTexture(0, *texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    GLint filter = font ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    if (normalMap) makeNormalMap(buffer, w, h);
    glTexImage2D(GL_TEXTURE_2D, 0, gl.colourFormat(), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 buffer.data());

    if (mipTexture) {
        if (*mipTexture) {
            glDeleteTextures(1, mipTexture);
            glState->forgetTexture(*mipTexture);
        }
        glGenTextures(1, mipTexture);
        glState->forgetTexture(*mipTexture);
        glState->bindTexture(0, *mipTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        uploadMipmaps(std::move(buffer), w, h);
    }
    // Whatever was bound before is no longer bound on unit 0.
    glState->bindTexture(0, 0);
    boundSprite0 = -1;
    return true;
}

int OpenGLPrismo::loadImageIntoSlot(int slot, const char* path, int colourKey, bool normalMap) {
    SpriteEntry* e = entry(slot);
    if (!e) return 0;
    deleteSlot(slot);
    RgbaImage image;
    if (!decodeBmp(path, colourKey, image) && !decodePng(path, colourKey, image)) return 0;
    if (image.width <= 0 || image.height <= 0) return 0;
    const bool font = slot >= kFontSlotBase;
    bool ok = font
                  ? uploadTexture(image, 0, 0, 0, 0, &e->texture, nullptr, false, true)
                  : uploadTexture(image, 0, 0, 0, 0, &e->texture, &e->mipTexture, normalMap, false);
    if (!ok) {
        deleteSlot(slot);
        return 0;
    }
    e->textureWidth = static_cast<int16_t>(powerOfTwoAtLeast(image.width));
    e->textureHeight = static_cast<int16_t>(powerOfTwoAtLeast(image.height));
    e->imageWidth = static_cast<int16_t>(image.width);
    e->imageHeight = static_cast<int16_t>(image.height);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Media lookup

bool resolveImageFile(const char* name, std::string& path) {
    if (!name || !*name) return false;
    // A loose file first, then the media archive.
    return resolveMediaFile(name, path);
}

// ---------------------------------------------------------------------------------------------
// Game operations

namespace {
int slotOf(double slot) { return truncToInt(slot); }

double loadWithKey(const TextValue& fileName, double slot, int key, bool normalMap) {
    OpenGLPrismo* r = theRenderer;
    int s = slotOf(slot);
    if (!r || !r->entry(s)) return 0;
    r->deleteSlot(s);
    std::string path;
    if (!resolveImageFile(textCString(fileName), path)) return 0;
    return r->loadImageIntoSlot(s, path.c_str(), key, normalMap);
}
}  // namespace

double loadSpriteImage(const TextValue& fileName, double slot) {
    return loadWithKey(fileName, slot, theRenderer ? theRenderer->spriteKey() : kDefaultSpriteKey,
                       false);
}

double loadSpriteStrip(const TextValue& fileName, double slot, double frameWidth,
                       double frameHeight) {
    double result = loadSpriteImage(fileName, slot);
    SpriteEntry* e = theRenderer ? theRenderer->entry(slotOf(slot)) : nullptr;
    if (e && e->imageWidth > 0) {
        e->frameWidth = truncToShort(frameWidth);
        e->frameHeight = truncToShort(frameHeight);
    }
    return result;
}

double loadNormalMapImage(const TextValue& fileName, double slot) {
    return loadWithKey(fileName, slot, kDefaultSpriteKey, true);
}

void querySpriteSize(double slot, double& width, double& height) {
    SpriteEntry* e = theRenderer ? theRenderer->entry(slotOf(slot)) : nullptr;
    width = e ? e->imageWidth : 0;
    height = e ? e->imageHeight : 0;
}

void deleteSprite(double slot) {
    if (theRenderer) theRenderer->deleteSlot(slotOf(slot));
}
