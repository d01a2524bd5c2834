// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The renderer's GL state cache and the quad batch.
#include "graphics/gl_state.h"

#include <cstring>

void GlStateCache::invalidate() { *this = GlStateCache(); }

void GlStateCache::activeUnit(int u) {
    if (!gl.glActiveTextureARB || unit == u) return;
    gl.glActiveTextureARB(u == 0 ? GL_TEXTURE0_ARB : GL_TEXTURE1_ARB);
    unit = u;
}

void GlStateCache::texturing(int u, bool on) {
    if (u > 0 && !gl.glActiveTextureARB) return;
    if (texturingOn[u] == (on ? 1 : 0)) return;
    activeUnit(u);
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    texturingOn[u] = on ? 1 : 0;
}

void GlStateCache::bindTexture(int u, GLuint name) {
    if (u > 0 && !gl.glActiveTextureARB) return;
    if (boundKnown[u] && bound[u] == name) return;
    activeUnit(u);
    glBindTexture(GL_TEXTURE_2D, name);
    bound[u] = name;
    boundKnown[u] = true;
}

void GlStateCache::textureEnvMode(int u, GLint mode) {
    if (u > 0 && !gl.glActiveTextureARB) return;
    if (envMode[u] == mode) return;
    activeUnit(u);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    envMode[u] = mode;
}

void GlStateCache::filter(GLuint name, GLint f) {
    if (f == 0) return;
    auto known = filters.find(name);
    if (known != filters.end() && known->second == f) return;
    activeUnit(0);
    bindTexture(0, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
    filters[name] = f;
}

void GlStateCache::forgetTexture(GLuint name) {
    filters.erase(name);
    // A deleted name may come back from glGenTextures for another texture.
    for (int u = 0; u < 2; ++u)
        if (bound[u] == name) boundKnown[u] = false;
}

void GlStateCache::blending(bool on) {
    if (blendOn == (on ? 1 : 0)) return;
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    blendOn = on ? 1 : 0;
}

void GlStateCache::blendFunction(GLenum source, GLenum destination) {
    if (blendFunctionKnown && blendSource == source && blendDestination == destination) return;
    glBlendFunc(source, destination);
    blendSource = source;
    blendDestination = destination;
    blendFunctionKnown = true;
}

void GlStateCache::alphaTest(bool on) {
    if (alphaTestOn == (on ? 1 : 0)) return;
    if (on)
        glEnable(GL_ALPHA_TEST);
    else
        glDisable(GL_ALPHA_TEST);
    alphaTestOn = on ? 1 : 0;
}

void GlStateCache::colour(const float rgba[4]) {
    if (colourKnown && std::memcmp(current, rgba, sizeof current) == 0) return;
    glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]);
    std::memcpy(current, rgba, sizeof current);
    colourKnown = true;
}

// ---------------------------------------------------------------------------------------------

void applyBlendMode(GlStateCache& cache, int blendMode) {
    if (blendMode == 0) {
        cache.blending(false);
        return;
    }
    cache.blending(true);
    cache.blendFunction(GL_SRC_ALPHA, blendMode > 0 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}

void QuadBatch::add(GlStateCache& cache, const QuadState& quadState, const QuadVertex quad[4],
                    bool asRectangle) {
    if (!vertices.empty() && quadState != state) flush(cache);
    state = quadState;
    // Two triangles per quad. A rectangle along the axes is split on the diagonal from the first
    // corner to the third, a pair a software rasteriser recognises and fills as one rectangle (it
    // never does so for GL_QUADS). Any other quad is split the way GL_QUADS is, so that its
    // texels are interpolated exactly as before.
    const QuadVertex* q = quad;
    const bool alongAxes =
        (q[0].x == q[1].x && q[1].y == q[2].y && q[2].x == q[3].x && q[3].y == q[0].y) ||
        (q[0].y == q[1].y && q[1].x == q[2].x && q[2].y == q[3].y && q[3].x == q[0].x);
    const QuadVertex rectangleSplit[6] = {q[0], q[1], q[2], q[0], q[2], q[3]};
    const QuadVertex quadSplit[6] = {q[0], q[1], q[3], q[1], q[2], q[3]};
    const QuadVertex* triangles = asRectangle && alongAxes ? rectangleSplit : quadSplit;
    vertices.insert(vertices.end(), triangles, triangles + 6);
}

void QuadBatch::flush(GlStateCache& cache) {
    if (vertices.empty()) return;
    // Unit 1 is off for every collected quad; unit 0 modulates the texture by the colour.
    cache.texturing(1, false);
    if (state.texture) {
        cache.texturing(0, true);
        cache.bindTexture(0, state.texture);
        cache.textureEnvMode(0, GL_MODULATE);
        cache.filter(state.texture, state.filter);
    } else {
        cache.texturing(0, false);
    }
    cache.activeUnit(0);
    cache.alphaTest(state.alphaTest);
    applyBlendMode(cache, state.blendMode);
    cache.colour(state.colour);

    const QuadVertex* v = vertices.data();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(QuadVertex), &v->x);
    if (state.texture) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(QuadVertex), &v->u);
    }
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    if (state.texture) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    vertices.clear();
}
