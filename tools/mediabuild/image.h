// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// RGBA pixel images for building the game's pictures, with the few drawing operations the
// sprite, font and picture builders need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
};

inline Rgba rgb(int r, int g, int b, int a = 255) {
    auto c = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return {c(r), c(g), c(b), c(a)};
}

// Linear mix of two colours, t = 0 gives a, t = 1 gives b.
Rgba mix(Rgba a, Rgba b, double t);

class Image {
  public:
    Image() = default;
    Image(int w, int h, Rgba fill = {});
    int width() const { return w_; }
    int height() const { return h_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    Rgba get(int x, int y) const { return inside(x, y) ? px_[y * w_ + x] : Rgba{}; }
    void set(int x, int y, Rgba c) {
        if (inside(x, y)) px_[y * w_ + x] = c;
    }
    // Draws c over the pixel, respecting c's alpha.
    void blend(int x, int y, Rgba c);
    void fillRect(int x, int y, int w, int h, Rgba c);
    // Copies src with its top-left corner at (x, y); transparent source pixels keep the target.
    void draw(const Image& src, int x, int y);
    // Copies src's pixels over the target exactly (alpha included).
    void paste(const Image& src, int x, int y);
    Image crop(int x, int y, int w, int h) const;
    Image mirroredX() const;
    Image mirroredY() const;
    Image rotatedLeft() const;   // 90 degrees anticlockwise
    Image rotatedRight() const;  // 90 degrees clockwise
    Image scaled(int factor) const;
    // Adds a one-pixel outline of colour c around every opaque pixel (in transparent places only).
    Image outlined(Rgba c, bool diagonals = false) const;
    // Multiplies the alpha of every pixel by f (0..1).
    Image faded(double f) const;
    const std::vector<Rgba>& pixels() const { return px_; }
    int opaqueCount() const;

  private:
    int w_ = 0, h_ = 0;
    std::vector<Rgba> px_;
};

// Lays out frames left to right in one row.
Image stripOf(const std::vector<Image>& frames);

}  // namespace media
