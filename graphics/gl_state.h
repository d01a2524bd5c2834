// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The OpenGL state the renderer sets, remembered so that a call that would change nothing is
// skipped, and the batch that collects quads sharing one state into a single vertex-array draw.
// Internal to graphics/.
//
// A software rasteriser validates and flushes its pipeline on every state change it is given,
// even one that sets what is already set; a frame of a few hundred sprites of the same texture
// would otherwise pay that for each of them.
#pragma once

#include <unordered_map>
#include <vector>

#include "graphics/gl_entry.h"

// What the renderer knows of the context's state. Everything starts unknown, and invalidate()
// makes it unknown again after GL calls that went around the cache; an unknown state is always
// set by the next request.
class GlStateCache {
  public:
    void invalidate();

    // The active texture unit, 0 or 1 (unit 1 exists only with multitexturing).
    void activeUnit(int unit);
    // GL_TEXTURE_2D on a unit, the texture bound there and its texture environment mode.
    void texturing(int unit, bool on);
    void bindTexture(int unit, GLuint name);
    void textureEnvMode(int unit, GLint mode);
    // Minification and magnification filter of a texture; binds it to unit 0 when it is set.
    void filter(GLuint name, GLint filter);
    // The texture was created, deleted, or had its filters set directly.
    void forgetTexture(GLuint name);
    void blending(bool on);
    void blendFunction(GLenum source, GLenum destination);
    void alphaTest(bool on);
    void colour(const float rgba[4]);
    // Drawing with a colour array leaves the current colour undefined.
    void forgetColour() { colourKnown = false; }

  private:
    int unit = -1;
    int texturingOn[2] = {-1, -1};
    GLuint bound[2] = {0, 0};
    bool boundKnown[2] = {false, false};
    GLint envMode[2] = {-1, -1};
    int blendOn = -1;
    GLenum blendSource = 0, blendDestination = 0;
    bool blendFunctionKnown = false;
    int alphaTestOn = -1;
    float current[4] = {0, 0, 0, 0};
    bool colourKnown = false;
    std::unordered_map<GLuint, GLint> filters;
};

// One corner of a collected quad: position (z as given) and texture coordinates.
struct QuadVertex {
    float x, y, z, u, v;
};

// The state a collected quad is drawn with. The colour is the current colour of the draw rather
// than a colour array: the rasteriser then takes the same path as for a single quad, and sprites
// and text keep their exact pixels.
struct QuadState {
    GLuint texture = 0;  // unit 0; texturing is off for 0
    GLint filter = 0;    // the texture's filter for this quad; 0 leaves it as it is
    bool alphaTest = true;
    int blendMode = 0;  // 0 off, > 0 additive, < 0 ordinary transparency
    float colour[4] = {1, 1, 1, 1};
    // The quad reaches past the viewport or is turned: the renderer draws it the way primitives
    // were always cut at the screen's edges (see OpenGLPrismo::cutAtScreenEdges).
    bool cutAtEdges = false;
    bool operator==(const QuadState& o) const {
        return texture == o.texture && filter == o.filter && alphaTest == o.alphaTest &&
               blendMode == o.blendMode && colour[0] == o.colour[0] && colour[1] == o.colour[1] &&
               colour[2] == o.colour[2] && colour[3] == o.colour[3] && cutAtEdges == o.cutAtEdges;
    }
    bool operator!=(const QuadState& o) const { return !(*this == o); }
};

// Sets blending as a quad state asks for it (also used by the draws that are not collected).
void applyBlendMode(GlStateCache& cache, int blendMode);

// Quads in drawing order. A quad whose state differs from the collected ones draws those first;
// flush() draws whatever is collected. Drawing order, and so blending order, is kept.
class QuadBatch {
  public:
    // asRectangle: where the quad lies along the axes, it may be given to the rasteriser as a
    // rectangle (two triangles on the first corner's diagonal) instead of the way GL_QUADS splits.
    void add(GlStateCache& cache, const QuadState& state, const QuadVertex quad[4],
             bool asRectangle);
    // The state of what is collected (meaningful while not empty).
    const QuadState& collectedState() const { return state; }
    void flush(GlStateCache& cache);
    bool empty() const { return vertices.empty(); }
    // Forgets what is collected without drawing it (the context it belongs to is gone).
    void discard() { vertices.clear(); }

  private:
    QuadState state;
    std::vector<QuadVertex> vertices;
};
