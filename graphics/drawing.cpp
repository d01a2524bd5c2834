// Sprite and primitive drawing, pixel read-back and pixel-exact collision tests.
#include <algorithm>
#include <cmath>

#include "graphics/gl_entry.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"

void OpenGLPrismo::bindSprite(int slot0, int slot1, bool mipmapped, unsigned texture0,
                              unsigned texture1) {
  useMipmapped = mipmapped;
  if (gl.glActiveTextureARB) gl.glActiveTextureARB(GL_TEXTURE0_ARB);
  if (slot0 < 0 && !texture0) {
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    boundSprite0 = -1;
  } else {
    const SpriteEntry* e = entry(slot0);
    unsigned name = texture0 ? texture0 : e ? (mipmapped && e->mipTexture ? e->mipTexture : e->texture) : 0;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    boundSprite0 = slot0;
  }
  if (!gl.glActiveTextureARB) return;
  gl.glActiveTextureARB(GL_TEXTURE1_ARB);
  if (slot1 < 0 && !texture1) {
    glDisable(GL_TEXTURE_2D);
    boundSprite1 = -1;
  } else {
    const SpriteEntry* e = entry(slot1);
    unsigned name = texture1 ? texture1 : e ? (mipmapped && e->mipTexture ? e->mipTexture : e->texture) : 0;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    boundSprite1 = slot1;
  }
  gl.glActiveTextureARB(GL_TEXTURE0_ARB);
}

void OpenGLPrismo::applySmoothing() {
  GLint filter = smoothing ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void OpenGLPrismo::drawQuad(const float v[16]) {
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(v[i * 4 + 2], v[i * 4 + 3]);
    glVertex2f(v[i * 4], v[i * 4 + 1]);
  }
  glEnd();
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

void bindForDrawing(OpenGLPrismo* r, double slot) {
  r->bindSprite(truncToInt(slot), -1, false);
  r->applySmoothing();
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
  bindForDrawing(r, slot);
  const float q[16] = {X + fw, Y, u1, vt, X, Y, u0, vt, X, Y + fh, u0, vb, X + fw, Y + fh, u1, vb};
  r->drawQuad(q);
}

void blitSprite(double slot, double x, double y) {
  OpenGLPrismo* r = theRenderer;
  const SpriteEntry* e = drawable(r, slot);
  if (!e) return;
  const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
  const float w = e->imageWidth, h = e->imageHeight;
  const float u1 = w / e->textureWidth, vt = h / e->textureHeight;
  bindForDrawing(r, slot);
  const float q[16] = {X + w, Y, u1, vt, X, Y, 0, vt, X, Y + h, 0, 0, X + w, Y + h, u1, 0};
  r->drawQuad(q);
}

void blitSpriteScaled(double slot, double x, double y, double width, double height) {
  OpenGLPrismo* r = theRenderer;
  const SpriteEntry* e = drawable(r, slot);
  if (!e) return;
  const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
  const float W = static_cast<float>(ceilToInt(width)), H = static_cast<float>(ceilToInt(height));
  const float u1 = static_cast<float>(e->imageWidth) / e->textureWidth;
  const float vt = static_cast<float>(e->imageHeight) / e->textureHeight;
  bindForDrawing(r, slot);
  // One negative size mirrors the quad, which turns its winding around; both negative is a turn
  // by 180 degrees and keeps the winding.
  const bool mirrored = (W < 0) != (H < 0);
  if (mirrored) glFrontFace(GL_CW);
  const float q[16] = {X, Y + H, 0, 0, X + W, Y + H, u1, 0, X + W, Y, u1, vt, X, Y, 0, vt};
  r->drawQuad(q);
  if (mirrored) glFrontFace(GL_CCW);
}

void blitSpriteZoomed(double slot, double x, double y, double scaleX, double scaleY) {
  const SpriteEntry* e = drawable(theRenderer, slot);
  if (!e) return;
  const double w = e->imageWidth, h = e->imageHeight;
  blitSpriteScaled(slot, x - (scaleX * w - w) / 2, y - (scaleY * h - h) / 2, scaleX * w, scaleY * h);
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
  bindForDrawing(r, slot);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslated(w / 2 + x, h / 2 + y, 0);
  glRotated(angle, 0, 0, -1);
  const float q[16] = {-hw, hh,  0.5f / tw,      0.5f / th,      hw,  hh,  (w - 0.5f) / tw, 0.5f / th,
                       hw,  -hh, (w - 0.5f) / tw, (h - 0.5f) / th, -hw, -hh, 0.5f / tw,      (h - 0.5f) / th};
  r->drawQuad(q);
  glPopMatrix();
}

void drawFrameTurnedZoomed(double slot, double frame, double x, double y, double angle,
                           double zoom) {
  OpenGLPrismo* r = theRenderer;
  const SpriteEntry* e = drawableStrip(r, slot);
  if (!e) return;
  float u0, u1, vb, vt;
  r->frameCoordinates(*e, truncToInt(frame), &u0, &u1, &vb, &vt);
  const double s = std::sin(angle * 0.017453292), c = std::cos(angle * 0.017453292);
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
  bindForDrawing(r, slot);
  r->drawQuad(q);
}

void drawFrameScaled(double slot, double frame, double x, double y, double width, double height) {
  OpenGLPrismo* r = theRenderer;
  const SpriteEntry* e = drawableStrip(r, slot);
  if (!e) return;
  float u0, u1, vb, vt;
  r->frameCoordinates(*e, truncToInt(frame), &u0, &u1, &vb, &vt);
  const float X = static_cast<float>(ceilToInt(x)), Y = static_cast<float>(ceilToInt(y));
  const float W = static_cast<float>(ceilToInt(width)), H = static_cast<float>(ceilToInt(height));
  bindForDrawing(r, slot);
  const float q[16] = {X,           Y,           u0, vt, X,           Y + H + 0.1f, u0, vb,
                       X + W + 0.1f, Y + H + 0.1f, u1, vb, X + W + 0.1f, Y,            u1, vt};
  r->drawQuad(q);
}

// ---------------------------------------------------------------------------------------------
// Shapes

void OpenGLPrismo::shapeBegin(int colour) {
  glDisable(GL_ALPHA_TEST);
  bindSprite(-1, -1, false);
  const int red = colour & 255, green = (colour >> 8) & 255, blue = (colour >> 16) & 255;
  const int alpha = colour == spriteColourKey ? 0 : static_cast<int>(currentAlpha * 255);
  glColor4ub(static_cast<GLubyte>(red), static_cast<GLubyte>(green), static_cast<GLubyte>(blue),
             static_cast<GLubyte>(std::clamp(alpha, 0, 255)));
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
  glColor4f(1, 1, 1, currentAlpha);
  glEnable(GL_ALPHA_TEST);
}

void plotPoint(double x, double y, double colour) {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  r->shapeBegin(truncToInt(colour));
  glBegin(GL_POINTS);
  glVertex2i(truncToInt(x), truncToInt(y));
  glEnd();
  r->shapeEnd();
}

void strokeLine(double x1, double y1, double x2, double y2, double colour) {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  r->shapeBegin(truncToInt(colour));
  glBegin(GL_LINES);
  glVertex2i(truncToInt(x1), truncToInt(y1));
  glVertex2i(truncToInt(x2), truncToInt(y2));
  glEnd();
  glBegin(GL_POINTS);  // the line's last pixel
  glVertex2i(truncToInt(x2), truncToInt(y2));
  glEnd();
  r->shapeEnd();
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
  r->shapeBegin(truncToInt(colour));
  glBegin(GL_QUADS);
  glVertex2i(left, top + h);
  glVertex2i(left + w, top + h);
  glVertex2i(left + w, top);
  glVertex2i(left, top);
  glEnd();
  r->shapeEnd();
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
  std::vector<uint8_t>& copy = pixelCopies[static_cast<size_t>(slot)];
  if (copy.empty()) {
    copy.assign(static_cast<size_t>(e->textureWidth) * e->textureHeight, 0);
    glBindTexture(GL_TEXTURE_2D, e->texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, copy.data());
    glBindTexture(GL_TEXTURE_2D, 0);
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
  // Alternate rows and columns first: overlapping shapes are usually found within the first pass.
  for (int pass = 0; pass < 4; ++pass) {
    const int rowStart = top + (pass >> 1), columnStart = left + (pass & 1);
    for (int py = rowStart; py < bottom; py += 2) {
      for (int px = columnStart; px < right; px += 2) {
        if (alpha(a, e1, px - x1 + ox1, py - y1 + oy1) && alpha(b, e2, px - x2 + ox2, py - y2 + oy2))
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

double framesOverlap(double slot1, double frame1, double x1, double y1, double slot2,
                     double frame2, double x2, double y2) {
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

void beginFan(double slot) {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  const int s = truncToInt(slot);
  r->fanSlot = drawable(r, slot) ? s : -1;
  r->bindSprite(r->fanSlot, -1, false);
  r->fanVertices.clear();
}

void addFanVertex(double x, double y, double textureX, double textureY, double colour) {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  FanVertex v{};
  v.x = static_cast<float>(x);
  v.y = static_cast<float>(y);
  if (r->fanSlot >= 0) {
    const SpriteEntry& e = r->sprites[static_cast<size_t>(r->fanSlot)];
    v.u = static_cast<float>(textureX / e.textureWidth);
    v.v = static_cast<float>((e.imageHeight - textureY) / e.textureHeight);
  }
  const int c = truncToInt(colour);
  v.r = (c & 255) / 255.0f;
  v.g = ((c >> 8) & 255) / 255.0f;
  v.b = ((c >> 16) & 255) / 255.0f;
  v.a = c == r->spriteColourKey ? 0.0f : r->currentAlpha;
  // Grow in steps of 128 vertices, 512 at first.
  if (r->fanVertices.size() == r->fanVertices.capacity()) {
    size_t need = r->fanVertices.size() + 1;
    size_t capacity = need <= 512 ? 512 : 128 * (need / 128 + 1);
    r->fanVertices.reserve(capacity);
  }
  r->fanVertices.push_back(v);
}

void endFan() {
  OpenGLPrismo* r = theRenderer;
  if (!r || r->fanVertices.empty()) return;
  const bool textured = r->fanSlot >= 0;
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  const FanVertex* v = r->fanVertices.data();
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(FanVertex), &v->x);
  if (textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(FanVertex), &v->u);
    r->applySmoothing();
  }
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, sizeof(FanVertex), &v->r);
  glDrawArrays(GL_TRIANGLE_FAN, 0, static_cast<GLsizei>(r->fanVertices.size()));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glShadeModel(GL_FLAT);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, r->currentAlpha);
  glDisable(GL_DITHER);
  glDisable(GL_COLOR_MATERIAL);
}

void setSmoothing(double flag) {
  if (theRenderer) theRenderer->smoothing = flag != 0;
}
