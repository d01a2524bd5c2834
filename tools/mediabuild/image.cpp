// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// RGBA pixel images and the few drawing operations of the media builders.
#include "image.h"

#include <algorithm>
#include <cmath>

namespace media {

Rgba mix(Rgba a, Rgba b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](uint8_t x, uint8_t y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return rgb(m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a));
}

Image::Image(int w, int h, Rgba fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

void Image::blend(int x, int y, Rgba c) {
    if (!inside(x, y) || c.a == 0) return;
    Rgba& d = px_[y * w_ + x];
    if (c.a == 255 || d.a == 0) {
        d = c;
        return;
    }
    double sa = c.a / 255.0, da = d.a / 255.0;
    double oa = sa + da * (1 - sa);
    auto ch = [&](uint8_t s, uint8_t t) {
        return static_cast<int>(std::lround((s * sa + t * da * (1 - sa)) / oa));
    };
    d = rgb(ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), static_cast<int>(std::lround(oa * 255)));
}

void Image::fillRect(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Image::draw(const Image& src, int x, int y) {
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) blend(x + i, y + j, src.get(i, j));
}

void Image::paste(const Image& src, int x, int y) {
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) set(x + i, y + j, src.get(i, j));
}

Image Image::crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.set(i, j, get(x + i, y + j));
    return out;
}

Image Image::mirroredX() const {
    Image out(w_, h_);
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) out.set(w_ - 1 - i, j, get(i, j));
    return out;
}

Image Image::mirroredY() const {
    Image out(w_, h_);
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) out.set(i, h_ - 1 - j, get(i, j));
    return out;
}

Image Image::rotatedLeft() const {
    Image out(h_, w_);
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) out.set(j, w_ - 1 - i, get(i, j));
    return out;
}

Image Image::rotatedRight() const {
    Image out(h_, w_);
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) out.set(h_ - 1 - j, i, get(i, j));
    return out;
}

Image Image::scaled(int f) const {
    Image out(w_ * f, h_ * f);
    for (int j = 0; j < h_ * f; ++j)
        for (int i = 0; i < w_ * f; ++i) out.set(i, j, get(i / f, j / f));
    return out;
}

Image Image::outlined(Rgba c, bool diagonals) const {
    Image out = *this;
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) {
            if (get(i, j).a) continue;
            bool near = false;
            for (int dj = -1; dj <= 1 && !near; ++dj)
                for (int di = -1; di <= 1 && !near; ++di) {
                    if (!diagonals && di && dj) continue;
                    if (get(i + di, j + dj).a >= 128) near = true;
                }
            if (near) out.set(i, j, c);
        }
    return out;
}

Image Image::faded(double f) const {
    Image out = *this;
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) {
            Rgba p = get(i, j);
            p.a = static_cast<uint8_t>(std::lround(std::clamp(f, 0.0, 1.0) * p.a));
            out.set(i, j, p);
        }
    return out;
}

int Image::opaqueCount() const {
    return static_cast<int>(
        std::count_if(px_.begin(), px_.end(), [](const Rgba& p) { return p.a > 0; }));
}

Image stripOf(const std::vector<Image>& frames) {
    if (frames.empty()) return Image();
    int fw = frames[0].width(), fh = frames[0].height();
    Image out(fw * static_cast<int>(frames.size()), fh);
    for (size_t i = 0; i < frames.size(); ++i) out.paste(frames[i], static_cast<int>(i) * fw, 0);
    return out;
}

}  // namespace media
