// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Bitmap fonts and text output.
#include "graphics/fonts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"
#include "graphics/sprites.h"
#include "runtime/convert.h"

namespace {

int currentFont = 0;

int clampFont(int n) { return std::clamp(n, 0, kFontSlots - 1); }

// Glyphs of the built-in font for characters 32..127, 6 rows of 5 pixels each.
const char* const kGlyphs[96][6] = {
    {".....", ".....", ".....", ".....", ".....", "....."},  // space
    {"..#..", "..#..", "..#..", ".....", "..#..", "....."},  // !
    {".#.#.", ".#.#.", ".....", ".....", ".....", "....."},  // "
    {".#.#.", "#####", ".#.#.", "#####", ".#.#.", "....."},  // #
    {".####", "#.#..", ".###.", "..#.#", "####.", "..#.."},  // $
    {"##..#", "##.#.", "..#..", ".#.##", "#..##", "....."},  // %
    {".#...", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"},  // &
    {"..#..", "..#..", ".....", ".....", ".....", "....."},  // '
    {"...#.", "..#..", "..#..", "..#..", "...#.", "....."},  // (
    {".#...", "..#..", "..#..", "..#..", ".#...", "....."},  // )
    {".....", "#.#.#", ".###.", "#.#.#", ".....", "....."},  // *
    {".....", "..#..", ".###.", "..#..", ".....", "....."},  // +
    {".....", ".....", ".....", "..#..", "..#..", ".#..."},  // ,
    {".....", ".....", ".###.", ".....", ".....", "....."},  // -
    {".....", ".....", ".....", ".....", "..#..", "....."},  // .
    {"....#", "...#.", "..#..", ".#...", "#....", "....."},  // /
    {".###.", "#..##", "#.#.#", "##..#", ".###.", "....."},  // 0
    {"..#..", ".##..", "..#..", "..#..", ".###.", "....."},  // 1
    {".###.", "#...#", "..##.", ".#...", "#####", "....."},  // 2
    {"####.", "....#", ".###.", "....#", "####.", "....."},  // 3
    {"#..#.", "#..#.", "#####", "...#.", "...#.", "....."},  // 4
    {"#####", "#....", "####.", "....#", "####.", "....."},  // 5
    {".###.", "#....", "####.", "#...#", ".###.", "....."},  // 6
    {"#####", "...#.", "..#..", ".#...", ".#...", "....."},  // 7
    {".###.", "#...#", ".###.", "#...#", ".###.", "....."},  // 8
    {".###.", "#...#", ".####", "....#", ".###.", "....."},  // 9
    {".....", "..#..", ".....", "..#..", ".....", "....."},  // :
    {".....", "..#..", ".....", "..#..", "..#..", ".#..."},  // ;
    {"...#.", "..#..", ".#...", "..#..", "...#.", "....."},  // <
    {".....", ".###.", ".....", ".###.", ".....", "....."},  // =
    {".#...", "..#..", "...#.", "..#..", ".#...", "....."},  // >
    {".###.", "#...#", "..##.", ".....", "..#..", "....."},  // ?
    {".###.", "#.###", "#.#.#", "#.##.", ".###.", "....."},  // @
    {".###.", "#...#", "#####", "#...#", "#...#", "....."},  // A
    {"####.", "#...#", "####.", "#...#", "####.", "....."},  // B
    {".####", "#....", "#....", "#....", ".####", "....."},  // C
    {"####.", "#...#", "#...#", "#...#", "####.", "....."},  // D
    {"#####", "#....", "####.", "#....", "#####", "....."},  // E
    {"#####", "#....", "####.", "#....", "#....", "....."},  // F
    {".####", "#....", "#.###", "#...#", ".###.", "....."},  // G
    {"#...#", "#...#", "#####", "#...#", "#...#", "....."},  // H
    {".###.", "..#..", "..#..", "..#..", ".###.", "....."},  // I
    {"..###", "...#.", "...#.", "#..#.", ".##..", "....."},  // J
    {"#...#", "#..#.", "###..", "#..#.", "#...#", "....."},  // K
    {"#....", "#....", "#....", "#....", "#####", "....."},  // L
    {"#...#", "##.##", "#.#.#", "#...#", "#...#", "....."},  // M
    {"#...#", "##..#", "#.#.#", "#..##", "#...#", "....."},  // N
    {".###.", "#...#", "#...#", "#...#", ".###.", "....."},  // O
    {"####.", "#...#", "####.", "#....", "#....", "....."},  // P
    {".###.", "#...#", "#.#.#", "#..#.", ".##.#", "....."},  // Q
    {"####.", "#...#", "####.", "#..#.", "#...#", "....."},  // R
    {".####", "#....", ".###.", "....#", "####.", "....."},  // S
    {"#####", "..#..", "..#..", "..#..", "..#..", "....."},  // T
    {"#...#", "#...#", "#...#", "#...#", ".###.", "....."},  // U
    {"#...#", "#...#", "#...#", ".#.#.", "..#..", "....."},  // V
    {"#...#", "#...#", "#.#.#", "##.##", "#...#", "....."},  // W
    {"#...#", ".#.#.", "..#..", ".#.#.", "#...#", "....."},  // X
    {"#...#", ".#.#.", "..#..", "..#..", "..#..", "....."},  // Y
    {"#####", "...#.", "..#..", ".#...", "#####", "....."},  // Z
    {".###.", ".#...", ".#...", ".#...", ".###.", "....."},  // [
    {"#....", ".#...", "..#..", "...#.", "....#", "....."},  // backslash
    {".###.", "...#.", "...#.", "...#.", ".###.", "....."},  // ]
    {"..#..", ".#.#.", "#...#", ".....", ".....", "....."},  // ^
    {".....", ".....", ".....", ".....", ".....", "#####"},  // _
    {".#...", "..#..", ".....", ".....", ".....", "....."},  // `
    {".....", ".###.", "#..#.", "#..#.", ".####", "....."},  // a
    {"#....", "###..", "#..#.", "#..#.", "###..", "....."},  // b
    {".....", ".###.", "#....", "#....", ".###.", "....."},  // c
    {"...#.", ".###.", "#..#.", "#..#.", ".###.", "....."},  // d
    {".....", ".##..", "#..#.", "###..", ".###.", "....."},  // e
    {"..##.", ".#...", "###..", ".#...", ".#...", "....."},  // f
    {".....", ".###.", "#..#.", ".###.", "...#.", ".##.."},  // g
    {"#....", "###..", "#..#.", "#..#.", "#..#.", "....."},  // h
    {".#...", ".....", ".#...", ".#...", ".#...", "....."},  // i
    {"..#..", ".....", "..#..", "..#..", "..#..", ".#..."},  // j
    {"#....", "#..#.", "###..", "#..#.", "#..#.", "....."},  // k
    {".#...", ".#...", ".#...", ".#...", "..#..", "....."},  // l
    {".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "....."},  // m
    {".....", "###..", "#..#.", "#..#.", "#..#.", "....."},  // n
    {".....", ".##..", "#..#.", "#..#.", ".##..", "....."},  // o
    {".....", "###..", "#..#.", "###..", "#....", "#...."},  // p
    {".....", ".###.", "#..#.", ".###.", "...#.", "...#."},  // q
    {".....", "#.##.", "##...", "#....", "#....", "....."},  // r
    {".....", ".###.", "##...", "..##.", "###..", "....."},  // s
    {".#...", "###..", ".#...", ".#...", "..##.", "....."},  // t
    {".....", "#..#.", "#..#.", "#..#.", ".###.", "....."},  // u
    {".....", "#...#", "#...#", ".#.#.", "..#..", "....."},  // v
    {".....", "#...#", "#.#.#", "#.#.#", ".#.#.", "....."},  // w
    {".....", "#..#.", ".##..", ".##..", "#..#.", "....."},  // x
    {".....", "#..#.", "#..#.", ".###.", "...#.", ".##.."},  // y
    {".....", "####.", "..#..", ".#...", "####.", "....."},  // z
    {"..##.", ".#...", "##...", ".#...", "..##.", "....."},  // {
    {"..#..", "..#..", "..#..", "..#..", "..#..", "....."},  // |
    {".##..", "...#.", "...##", "...#.", ".##..", "....."},  // }
    {".....", ".#...", "#.#.#", "...#.", ".....", "....."},  // ~
    {"#####", "#...#", "#...#", "#...#", "#####", "....."},  // 127
};

// One 32-bit mask per character: bit 5 r + c is glyph pixel (column c, row r).
uint32_t glyphMask(int j) {
    uint32_t mask = 0;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 5; ++c)
            if (kGlyphs[j][r][c] == '#') mask |= 1u << (5 * r + c);
    return mask;
}

}  // namespace

void makeDefaultFontImage(RgbaImage& image) {
    image.width = 128;
    image.height = 64;
    image.pixels.assign(128 * 64 * 4, 0);
    for (int j = 0; j < 96; ++j) {
        const uint32_t mask = glyphMask(j);
        const int cellX = (j % 16) * 8, cellY = (2 + j / 16) * 8;
        auto glyph = [mask](int x, int y) {  // cell pixel -> is it a glyph pixel?
            int c = x - 1, r = y - 1;
            return c >= 0 && c < 5 && r >= 0 && r < 6 && (mask >> (5 * r + c)) & 1u;
        };
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                uint8_t* p = image.pixel(cellX + x, cellY + y);
                if (glyph(x, y)) {
                    p[0] = p[1] = p[2] = 255;
                    p[3] = 255;
                } else if (glyph(x - 1, y) || glyph(x + 1, y) || glyph(x, y - 1) ||
                           glyph(x, y + 1)) {
                    p[0] = p[1] = p[2] = 8;
                    p[3] = 255;
                }
            }
        }
    }
}

void OpenGLPrismo::buildDefaultFont(int font) {
    SpriteEntry* e = entry(kFontSlotBase + clampFont(font));
    if (!e) return;
    RgbaImage image;
    makeDefaultFontImage(image);
    if (!uploadTexture(image, 0, 0, 0, 0, &e->texture, nullptr, false, true)) return;
    e->textureWidth = 128;
    e->textureHeight = 64;
    e->imageWidth = 128;
    e->imageHeight = 64;
}

void OpenGLPrismo::printText(int font, const char* text, size_t length, float x, float y, float z) {
    if (!text || length == 0) return;
    const int slot = kFontSlotBase + clampFont(font);
    const SpriteEntry* e = entry(slot);
    if (!e || !e->texture || e->imageWidth <= 0 || e->imageHeight <= 0) return;

    const int W = e->imageWidth, H = e->imageHeight;
    const bool tall = W < H;
    const int ch = tall ? H / 16 : H / 8;
    const float sv = static_cast<float>(H) / e->textureHeight / (tall ? 16 : 8);
    const int lastRow = tall ? 15 : 7;
    const int characters = tall ? 256 : 128;
    const int cw = W / 16;
    const float su = static_cast<float>(W) / e->textureWidth / 16;
    float X = std::ceil(x), Y = std::ceil(y);

    // Room for 4 vertices per character: 512 at first, then whole steps of 128.
    const size_t needed = length * 4;
    if (needed >= static_cast<size_t>(textVertexCapacity)) {
        size_t capacity = needed < 512 ? 512 : 128 * (needed / 128 + 1);
        textVertices.resize(capacity * 5);
        textVertexCapacity = static_cast<int>(capacity);
    }
    float* v = textVertices.data();
    for (size_t i = 0; i < length; ++i) {
        const int code = static_cast<unsigned char>(text[i]) % characters;
        const int column = code % 16, row = code / 16;
        const float u0 = su * column, u1 = u0 + su;
        const float vb = sv * (lastRow - row), vt = vb + sv;
        const float quad[20] = {X,      Y + ch, z, u0, vb, X + cw, Y + ch, z, u1, vb,
                                X + cw, Y,      z, u1, vt, X,      Y,      z, u0, vt};
        std::memcpy(v + i * 20, quad, sizeof quad);
        X += cw;
    }
    textVertexCount = static_cast<int>(needed);

    // The glyphs join the collected quads: the font texture on unit 0, its own (nearest) filter
    // left as it is, in the current colour.
    boundSprite0 = slot;
    boundSprite1 = -1;
    useMipmapped = false;
    QuadState state;
    state.texture = e->texture;
    state.alphaTest = true;
    state.blendMode = blendMode;
    for (int k = 0; k < 4; ++k) state.colour[k] = currentColour[k];
    for (size_t i = 0; i < length; ++i) {
        QuadVertex q[4];
        for (int k = 0; k < 4; ++k) {
            const float* p = v + i * 20 + k * 5;
            q[k] = QuadVertex{p[0], p[1], p[2], p[3], p[4]};
        }
        collectQuad(state, q);
    }
}

// ---------------------------------------------------------------------------------------------
// Game operations

void loadFontImage(const TextValue& fileName, double font) {
    currentFont = clampFont(truncToInt(font));
    OpenGLPrismo* r = theRenderer;
    if (!r) return;
    // The slot follows the clamped number too: font numbers outside 0..31 would address sprite
    // slots beyond the table.
    const int slot = kFontSlotBase + currentFont;
    std::string path;
    if (resolveImageFile(textCString(fileName), path) &&
        r->loadImageIntoSlot(slot, path.c_str(), r->fontKey(), false))
        return;
    r->deleteSlot(slot);
    r->buildDefaultFont(currentFont);
}

void selectFont(double font) { currentFont = clampFont(truncToInt(font)); }

double currentFontNumber() { return currentFont; }

void drawText(const TextValue& text, double x, double y) {
    if (theRenderer)
        theRenderer->printText(currentFont, textCString(text), text.length, static_cast<float>(x),
                               static_cast<float>(y), 0);
}

void drawNumber(double number, double x, double y) { drawText(numberToText(number), x, y); }

void queryFontSize(double& width, double& height) {
    width = height = 0;
    const SpriteEntry* e = theRenderer ? theRenderer->entry(kFontSlotBase + currentFont) : nullptr;
    if (!e || e->imageWidth <= 0 || e->imageHeight <= 0) return;
    width = e->imageWidth / 16;
    height = e->imageWidth < e->imageHeight ? e->imageHeight / 16 : e->imageHeight / 8;
}
