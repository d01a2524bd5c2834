// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The sprite strips and the menu picture, drawn from the pixel-art grids frame by frame.
#include "art.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace media {

namespace {

constexpr double kPi = 3.14159265358979323846;
const Rgba kOutline = rgb(22, 18, 30);

// Repeatable pseudo-random value in [0, 1) for a lattice point.
double hash3(int x, int y, int s) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(s) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / double(0x1000000);
}

// Smooth value noise.
double noise(double x, double y, int s) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    double fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    double a = hash3(xi, yi, s), b = hash3(xi + 1, yi, s), c = hash3(xi, yi + 1, s),
           d = hash3(xi + 1, yi + 1, s);
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

// Calls fn(x, y, dx, dy, dist) for every pixel centre within radius r of (cx, cy).
void forDisc(Image& img, double cx, double cy, double r,
             const std::function<void(int, int, double, double, double)>& fn) {
    for (int y = static_cast<int>(std::floor(cy - r)) - 1;
         y <= static_cast<int>(std::ceil(cy + r)) + 1; ++y)
        for (int x = static_cast<int>(std::floor(cx - r)) - 1;
             x <= static_cast<int>(std::ceil(cx + r)) + 1; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d <= r && img.inside(x, y)) fn(x, y, dx, dy, d);
        }
}

// A ball lit from the upper left: dark rim, body colour, light side and a small glint.
void ball(Image& img, double cx, double cy, double r, Rgba dark, Rgba body, Rgba light) {
    forDisc(img, cx, cy, r, [&](int x, int y, double dx, double dy, double d) {
        double nx = dx / r, ny = dy / r;
        double lit =
            -0.55 * nx - 0.65 * ny + 0.5 * std::sqrt(std::max(0.0, 1 - (nx * nx + ny * ny)));
        Rgba c = lit > 0.55 ? light : lit > 0.05 ? body : dark;
        if (d < r * 0.35 && nx < -0.05 && ny < -0.05 && r >= 3)
            c = mix(light, rgb(255, 255, 255), 0.7);
        img.set(x, y, c);
    });
}

void line(Image& img, double x0, double y0, double x1, double y1, Rgba c) {
    int steps =
        static_cast<int>(std::ceil(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)) * 2)) + 1;
    for (int i = 0; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        img.blend(static_cast<int>(std::floor(x0 + (x1 - x0) * t)),
                  static_cast<int>(std::floor(y0 + (y1 - y0) * t)), c);
    }
}

Image recolour(const Image& src, const std::vector<std::pair<Rgba, Rgba>>& map) {
    Image out = src;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            for (const auto& m : map)
                if (src.get(x, y) == m.first) out.set(x, y, m.second);
    return out;
}

// ---- maze tiles -------------------------------------------------------------------------

Image clover(const ArtBook& art) {
    const Image& leaf = art.grid("clover_leaf");  // 7 x 6, tip at the bottom middle
    Image img(16, 16);
    // Stem first, the leaves lie over its top.
    for (int i = 0; i < 5; ++i) {
        img.set(9 + i, 9 + i, art.colour('n'));
        img.set(9 + i, 10 + i, kOutline);
    }
    img.draw(leaf, 4, 2);                          // up, tip at (7, 7)
    img.draw(leaf.mirroredX().mirroredY(), 5, 8);  // down, tip at (8, 8)
    img.draw(leaf.rotatedLeft(), 2, 5);            // left, tip at (7, 8)
    img.draw(leaf.rotatedRight(), 8, 4);           // right, tip at (8, 7)
    img.set(7, 7, art.colour('n'));
    img.set(8, 8, art.colour('n'));
    img.set(7, 8, art.colour('n'));
    img.set(8, 7, art.colour('n'));
    return img;
}

Strip tiles(const ArtBook& art) {
    std::vector<Image> frames(8, Image(16, 16));
    frames[1] = art.grid("wall");
    frames[2] = clover(art);
    frames[7] = art.grid("crate");
    return {"Tiles1.png", 16, 16, stripOf(frames)};
}

// ---- the bug ----------------------------------------------------------------------------

// The legs alternate in two tripods: rest for 2 frames, one tripod forward for 4, rest, the
// other for 4, rest again; a step of 16 frames is one full leg cycle.
Image bugFrame(const ArtBook& art, int f) {
    static const char* pose[16] = {"rest", "rest", "a", "a", "a", "a", "rest", "rest",
                                   "rest", "rest", "b", "b", "b", "b", "rest", "rest"};
    Image img(16, 16);
    img.draw(art.grid(std::string("bug_legs_") + pose[f]), 0, 0);
    img.draw(art.grid("bug_body"), 0, 0);
    return img;
}

std::vector<Strip> bugStrips(const ArtBook& art) {
    std::vector<Image> right, left, up, down;
    for (int f = 0; f < 16; ++f) {
        Image r = bugFrame(art, f);
        right.push_back(r);
        left.push_back(r.mirroredX());
        up.push_back(r.rotatedLeft());
        down.push_back(r.rotatedRight());
    }
    return {{"BugR.png", 16, 16, stripOf(right)},
            {"BugL.png", 16, 16, stripOf(left)},
            {"BugU.png", 16, 16, stripOf(up)},
            {"BugD.png", 16, 16, stripOf(down)}};
}

// ---- the baddy --------------------------------------------------------------------------

Strip baddy(const ArtBook& art) {
    // Where the pupils look in each quarter of the cycle, and two blinking frames.
    static const int look[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img = art.grid((f / 4) % 2 ? "baddy_b" : "baddy_a");
        int ox = look[f / 4][0], oy = look[f / 4][1];
        for (int eye = 0; eye < 2; ++eye) {
            int ex = eye ? 9 : 4;
            if (f == 13 || f == 14) {
                for (int y = 5; y <= 7; ++y)
                    for (int x = ex; x < ex + 3; ++x) img.set(x, y, art.colour(y == 6 ? 'k' : 'P'));
                continue;
            }
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 2; ++x) img.set(ex + ox + x, 5 + oy + y, kOutline);
        }
        frames.push_back(img);
    }
    return {"Baddy.png", 16, 16, stripOf(frames)};
}

// ---- Wuschel, a fuzzy ball that wobbles -------------------------------------------------

Strip wuschel() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        const double cx = 7.5, cy = 8.5;
        for (int a = 0; a < 28; ++a) {
            double ang = 2 * kPi * a / 28;
            double len = 5.0 + 2.2 * noise(a * 0.7, f * 0.25, 7);
            Rgba c = a % 2 ? rgb(150, 110, 40) : rgb(196, 150, 64);
            line(img, cx, cy, cx + std::cos(ang) * len, cy + std::sin(ang) * len, c);
        }
        ball(img, cx, cy, 4.6, rgb(150, 108, 40), rgb(200, 156, 70), rgb(236, 200, 120));
        int blink = (f == 10 || f == 11);
        for (int eye = 0; eye < 2; ++eye) {
            int ex = eye ? 8 : 5;
            if (blink) {
                img.set(ex, 7, kOutline);
                img.set(ex + 1, 7, kOutline);
            } else {
                img.fillRect(ex, 6, 2, 3, rgb(250, 250, 250));
                img.set(ex + (f / 4) % 2, 7, kOutline);
                img.set(ex + (f / 4) % 2, 8, kOutline);
            }
        }
        frames.push_back(img.outlined(kOutline));
    }
    return {"Wuschel.png", 16, 16, stripOf(frames)};
}

// ---- sparkle when a clover is collected -------------------------------------------------

Image sparkleFrame(int f, Rgba tip) {
    Image img(16, 16);
    const double t = f / 15.0;
    const double size = 7.2 * std::sin(kPi * std::min(1.0, t * 1.15));
    const double rot = t * kPi / 2;
    const double cx = 8, cy = 8;
    auto ray = [&](double ang, double len) {
        for (double r = 0; r <= len; r += 0.5) {
            Rgba c = mix(rgb(255, 255, 255), tip, len > 0 ? r / len : 0);
            img.set(static_cast<int>(std::floor(cx + std::cos(ang) * r)),
                    static_cast<int>(std::floor(cy + std::sin(ang) * r)), c);
        }
    };
    for (int k = 0; k < 4; ++k) ray(rot + k * kPi / 2, size);
    for (int k = 0; k < 4; ++k) ray(rot + kPi / 4 + k * kPi / 2, size * 0.45);
    // Little sparks thrown outwards.
    for (int k = 0; k < 4; ++k) {
        double ang = kPi / 4 + k * kPi / 2 - rot;
        double d = 2 + 5.5 * t;
        int x = static_cast<int>(std::floor(cx + std::cos(ang) * d)),
            y = static_cast<int>(std::floor(cy + std::sin(ang) * d));
        if (f < 15) {
            img.set(x, y, rgb(255, 250, 160));
            if (f % 4 < 2) img.set(x + 1, y, rgb(255, 230, 90));
        }
    }
    return img.faded(f < 11 ? 1.0 : 1.0 - (f - 10) / 6.0);
}

Strip sternchen() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) frames.push_back(sparkleFrame(f, rgb(120, 235, 90)));
    return {"Sternchen.png", 16, 16, stripOf(frames)};
}

// ---- spiky bombs ------------------------------------------------------------------------

void spikyBall(Image& img, double rot, double scale, Rgba tint, double tintAmount) {
    const double cx = 7.5, cy = 7.5;
    for (int k = 0; k < 8; ++k) {
        double ang = rot + k * kPi / 4;
        double c = std::cos(ang), s = std::sin(ang);
        for (double r = 3.4 * scale; r <= 7.4 * scale; r += 0.35) {
            Rgba col = r > 6.2 * scale ? rgb(235, 240, 250) : rgb(150, 158, 180);
            img.set(static_cast<int>(std::floor(cx + c * r)),
                    static_cast<int>(std::floor(cy + s * r)), mix(col, tint, tintAmount * 0.6));
        }
    }
    ball(img, cx, cy, 4.4 * scale, mix(rgb(34, 38, 58), tint, tintAmount * 0.8),
         mix(rgb(70, 78, 110), tint, tintAmount), mix(rgb(140, 150, 190), tint, tintAmount * 0.6));
}

Strip spikeyBall() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        spikyBall(img, f * (kPi / 4) / 16, 1.0, Rgba{}, 0);
        frames.push_back(img.outlined(kOutline));
    }
    return {"SpikeyBall.png", 16, 16, stripOf(frames)};
}

Strip flushSpikey() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        // Glows red twice per loop, faster towards the end of the loop.
        double glow = 0.5 + 0.5 * std::cos(2 * kPi * f / 8.0);
        spikyBall(img, f * (kPi / 4) / 8, 1.0, rgb(255, 60, 40), glow);
        img = img.outlined(kOutline);
        // Fuse spark at the top.
        Rgba spark = f % 2 ? rgb(255, 255, 200) : rgb(255, 190, 60);
        img.set(7, 1, spark);
        img.set(8, 0, spark);
        if (f % 3 == 0) img.set(9, 1, rgb(255, 240, 120));
        if (f % 3 == 1) img.set(6, 0, rgb(255, 240, 120));
        frames.push_back(img);
    }
    return {"FlushSpikey.png", 16, 16, stripOf(frames)};
}

Strip shrink() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        double scale = 1.0 - f / 16.0;
        if (scale > 0.12) spikyBall(img, f * kPi / 8, scale, rgb(255, 255, 255), f / 20.0);
        img = img.outlined(kOutline);
        // Four sparks drawn in towards the shrinking bomb.
        double d = 7.5 * (1 - f / 16.0) + 1;
        for (int k = 0; k < 4; ++k) {
            double ang = kPi / 4 + k * kPi / 2 + f * 0.2;
            img.set(static_cast<int>(7.5 + std::cos(ang) * d),
                    static_cast<int>(7.5 + std::sin(ang) * d), rgb(255, 240, 140));
        }
        frames.push_back(img.faded(f < 13 ? 1.0 : (16 - f) / 4.0));
    }
    return {"Shrink.png", 16, 16, stripOf(frames)};
}

// ---- fruit ------------------------------------------------------------------------------

Strip fruitStrip(const ArtBook& art) {
    const Image& round = art.grid("round");
    auto roundAs = [&](Rgba light, Rgba body, Rgba shade) {
        return recolour(
            round, {{art.colour('1'), light}, {art.colour('2'), body}, {art.colour('3'), shade}});
    };
    std::vector<Image> frames = {
        art.grid("cherries"),
        roundAs(rgb(255, 170, 160), rgb(222, 44, 44), rgb(140, 24, 36)),  // apple
        art.grid("banana"),
        art.grid("strawberry"),
        roundAs(rgb(255, 214, 120), rgb(250, 150, 40), rgb(186, 88, 20)),  // orange
        art.grid("lemon"),
        art.grid("pear"),
        roundAs(rgb(200, 150, 240), rgb(120, 60, 170), rgb(70, 30, 110)),  // plum
        art.grid("melon"),
        art.grid("pineapple"),
        roundAs(rgb(255, 220, 190), rgb(250, 160, 130), rgb(214, 90, 90)),  // peach
        roundAs(rgb(210, 250, 150), rgb(120, 200, 60), rgb(60, 130, 40)),   // green apple
    };
    return {"FruitStrip.png", 16, 16, stripOf(frames)};
}

// ---- the flower -------------------------------------------------------------------------

void flowerHead(Image& img, double cx, double cy, double spin, double petalDist, double petalR,
                double centreR, Rgba petal, Rgba petalShade) {
    for (int k = 0; k < 5; ++k) {
        double ang = spin + 2 * kPi * k / 5 - kPi / 2;
        double px = cx + std::cos(ang) * petalDist, py = cy + std::sin(ang) * petalDist;
        forDisc(img, px, py, petalR, [&](int x, int y, double dx, double dy, double) {
            img.set(x, y, dx + dy > 0.9 ? petalShade : petal);
        });
    }
    if (centreR > 0.4)
        ball(img, cx, cy, centreR, rgb(206, 150, 24), rgb(252, 222, 64), rgb(255, 250, 190));
}

Strip blume() {
    std::vector<Image> frames;
    for (int f = 0; f < 32; ++f) {
        Image img(16, 16);
        // Stem and two leaves, swaying a little with the head.
        double sway = std::sin(2 * kPi * f / 32.0) * 0.9;
        Rgba stem = rgb(40, 140, 50), leaf = rgb(80, 190, 70), leafDark = rgb(30, 110, 40);
        for (int y = 8; y <= 15; ++y)
            img.set(static_cast<int>(std::floor(8 + sway * (15 - y) / 8.0)), y, stem);
        forDisc(img, 5.3, 12.0, 1.7, [&](int x, int y, double, double dy, double) {
            img.set(x, y, dy > 0.3 ? leafDark : leaf);
        });
        forDisc(img, 10.6, 11.2, 1.7, [&](int x, int y, double, double dy, double) {
            img.set(x, y, dy > 0.3 ? leafDark : leaf);
        });
        // The petals turn one petal's width in a loop and change their hue slowly.
        double hue = 0.5 + 0.5 * std::sin(2 * kPi * f / 32.0);
        Rgba petal = mix(rgb(250, 110, 170), rgb(255, 150, 210), hue);
        Rgba shade = mix(rgb(186, 50, 110), rgb(210, 80, 150), hue);
        flowerHead(img, 8 + sway, 5.8, 2 * kPi / 5 * f / 32.0, 3.0, 2.2, 1.8, petal, shade);
        frames.push_back(img.outlined(kOutline));
    }
    return {"Blume.png", 16, 16, stripOf(frames)};
}

Strip disappear() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        double t = f / 15.0;
        // The head flies up while its petals spin off and shrink.
        flowerHead(img, 8, 6.5 - 3 * t, t * 3 * kPi, 3.0 + 4.0 * t, 2.2 * (1 - 0.7 * t),
                   1.8 * (1 - t), rgb(250, 120, 180), rgb(190, 60, 110));
        img = img.outlined(kOutline);
        Image spark = sparkleFrame(std::min(15, f + 2), rgb(255, 160, 220));
        img.draw(spark.faded(0.8), 0, 2);
        frames.push_back(img.faded(f < 10 ? 1.0 : (16 - f) / 6.0));
    }
    return {"Disappear.png", 16, 16, stripOf(frames)};
}

// ---- blast and fire ---------------------------------------------------------------------

Rgba heatColour(double h) {
    if (h > 0.92) return rgb(255, 255, 235);
    if (h > 0.75) return rgb(255, 236, 110);
    if (h > 0.55) return rgb(255, 170, 40);
    if (h > 0.38) return rgb(230, 80, 30);
    if (h > 0.24) return rgb(150, 40, 30);
    if (h > 0.12) return rgb(80, 70, 74, 220);
    return Rgba{};
}

Strip explos() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        const double t = f / 15.0;
        const double spread = std::min(1.0, (f + 1) / 4.0);  // full size from the fourth frame
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                double dx = (x + 0.5 - 8) / 8, dy = (y + 0.5 - 8) / 8;
                // Half round, half square: the fire reaches the cell's edges, so the five cells of
                // a blast join into one cross.
                double d = (0.5 * std::sqrt(dx * dx + dy * dy) +
                            0.5 * std::max(std::fabs(dx), std::fabs(dy))) /
                           spread;
                double n = noise(x * 0.45 + f * 0.3, y * 0.45 - f * 0.5, 11) - 0.5;
                img.set(x, y, heatColour(1.3 - d * 0.55 - t * 1.0 + n * 0.6 - (d > 1 ? 0.5 : 0)));
            }
        frames.push_back(img);
    }
    return {"Explos.png", 16, 16, stripOf(frames)};
}

Strip fireStrip() {
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                double up = (15.5 - y) / 15.0;                     // 0 at the bottom, 1 at the top
                double side = std::fabs(x + 0.5 - 8) / 8.0;        // 0 in the middle
                double n = noise(x * 0.55, y * 0.5 + f * 0.9, 5);  // rises with the frames
                // Loops after 16 frames: blend the noise with itself one loop later.
                double n2 = noise(x * 0.55, y * 0.5 + (f - 16) * 0.9, 5);
                double nn = n * (1 - f / 16.0) + n2 * (f / 16.0);
                double h = 1.15 - up * 1.05 - side * side * 1.2 + (nn - 0.5) * 0.9;
                // Burns out towards the end of the strip's second half.
                img.set(x, y, heatColour(h * 0.95));
            }
        frames.push_back(img);
    }
    return {"FireStrip.png", 16, 16, stripOf(frames)};
}

// ---- fruit eaten: a ring and a rising "100" ---------------------------------------------

Strip takeStrip() {
    static const char* digits[3][5] = {{".#.", "##.", ".#.", ".#.", "###"},
                                       {"###", "#.#", "#.#", "#.#", "###"},
                                       {"###", "#.#", "#.#", "#.#", "###"}};
    std::vector<Image> frames;
    for (int f = 0; f < 16; ++f) {
        Image img(16, 16);
        double t = f / 15.0;
        if (f < 8) {
            double r = 2 + f * 0.9;
            forDisc(img, 8, 8, r, [&](int x, int y, double, double, double d) {
                if (d > r - 1.1) img.set(x, y, mix(rgb(255, 255, 255), rgb(255, 200, 60), f / 8.0));
            });
        }
        Image text(13, 7);
        for (int k = 0; k < 3; ++k)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 3; ++x)
                    if (digits[k][y][x] == '#')
                        text.set(1 + k * 4 + x, 1 + y,
                                 mix(rgb(255, 250, 150), rgb(255, 190, 40), y / 4.0));
        text = text.outlined(kOutline, true);
        img.draw(text, 1, static_cast<int>(std::lround(6 - 6 * t)));
        frames.push_back(img.faded(f < 12 ? 1.0 : (16 - f) / 4.0));
    }
    return {"TakeStrip.png", 16, 16, stripOf(frames)};
}

// ---- the menu cursor box ----------------------------------------------------------------

Strip boxStrip() {
    const int w = 96, h = 16;
    std::vector<Image> frames;
    // Perimeter positions, clockwise from the top-left corner.
    std::vector<std::pair<int, int>> ring;
    for (int x = 0; x < w; ++x) ring.push_back({x, 0});
    for (int y = 1; y < h; ++y) ring.push_back({w - 1, y});
    for (int x = w - 2; x >= 0; --x) ring.push_back({x, h - 1});
    for (int y = h - 2; y >= 1; --y) ring.push_back({0, y});
    for (int f = 0; f < 8; ++f) {
        Image img(w, h);
        for (size_t i = 0; i < ring.size(); ++i) {
            // Bright dashes run round the box; a loop of 8 frames moves them one dash length.
            double phase = std::fmod(static_cast<double>(i) / 6.0 - f * 0.75 + 1000, 6.0) / 6.0;
            double b = 0.5 + 0.5 * std::cos(2 * kPi * phase);
            img.set(ring[i].first, ring[i].second, mix(rgb(200, 120, 20), rgb(255, 250, 200), b));
        }
        // Corner brackets, two pixels thick, so the box reads well over the picture.
        for (int k = 0; k < 4; ++k) {
            int cx = k % 2 ? w - 2 : 1, cy = k / 2 ? h - 2 : 1, sx = k % 2 ? -1 : 1,
                sy = k / 2 ? -1 : 1;
            for (int i = 0; i < 4; ++i) {
                img.set(cx + sx * i, cy, rgb(255, 220, 90));
                img.set(cx, cy + sy * i, rgb(255, 220, 90));
            }
        }
        frames.push_back(img);
    }
    Image column(w, h * 8);
    for (int f = 0; f < 8; ++f) column.paste(frames[f], 0, f * h);
    return {"BoxStrip.png", w, h, column};
}

}  // namespace

Image frameOf(const Strip& strip, int n) {
    int perRow = strip.image.width() / strip.frameWidth;
    return strip.image.crop((n % perRow) * strip.frameWidth, (n / perRow) * strip.frameHeight,
                            strip.frameWidth, strip.frameHeight);
}

std::vector<Strip> buildStrips(const ArtBook& art) {
    std::vector<Strip> s;
    s.push_back(tiles(art));                         // 0
    for (Strip& b : bugStrips(art)) s.push_back(b);  // 1..4
    s.push_back(baddy(art));                         // 5
    s.push_back(wuschel());                          // 6
    s.push_back(sternchen());                        // 7
    s.push_back(spikeyBall());                       // 8
    s.push_back(fruitStrip(art));                    // 9
    s.push_back(blume());                            // 10
    s.push_back(disappear());                        // 11
    s.push_back(shrink());                           // 12
    s.push_back(flushSpikey());                      // 13
    s.push_back(explos());                           // 14
    s.push_back(takeStrip());                        // 15
    s.push_back(fireStrip());                        // 16
    s.push_back(boxStrip());                         // 17
    return s;
}

Image buildMenuPicture(const std::vector<Strip>& strips) {
    const int W = 320, H = 240;
    Image img(W, H);
    // Night sky, darker at the top where the title and the menu are printed.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double t = y / 170.0;
            img.set(x, y, mix(rgb(6, 8, 30), rgb(46, 24, 76), t * t));
        }
    // Stars, dim in the text band so the letters keep their contrast.
    for (int i = 0; i < 140; ++i) {
        int x = static_cast<int>(hash3(i, 1, 3) * W), y = static_cast<int>(hash3(i, 2, 3) * 170);
        double b = hash3(i, 3, 3);
        bool textBand = y > 10 && y < 134 && x > 20 && x < 310;
        Rgba c = mix(rgb(90, 90, 140), rgb(255, 255, 230), textBand ? b * 0.35 : b);
        img.set(x, y, c);
        if (b > 0.93 && !textBand) {
            img.set(x - 1, y, mix(c, Rgba{}, 0.5));
            img.set(x + 1, y, mix(c, Rgba{}, 0.5));
            img.set(x, y - 1, mix(c, Rgba{}, 0.5));
            img.set(x, y + 1, mix(c, Rgba{}, 0.5));
        }
    }
    // A moon in the top-right corner, beside the title.
    forDisc(img, 298, 20, 12, [&](int x, int y, double dx, double dy, double) {
        double crater = noise(x * 0.4, y * 0.4, 21);
        (void)dx;
        (void)dy;
        img.set(x, y, mix(rgb(255, 250, 210), rgb(220, 210, 170), crater));
    });
    forDisc(img, 292, 16, 10, [&](int x, int y, double, double, double) {
        img.set(x, y, mix(rgb(6, 8, 30), rgb(46, 24, 76), (y / 170.0) * (y / 170.0)));
    });
    // Rolling hills: a far one and a near one with grass tufts.
    for (int x = 0; x < W; ++x) {
        double far = 168 + 10 * std::sin(x * 0.021 + 1.3) + 6 * std::sin(x * 0.047);
        double nearH = 192 + 9 * std::sin(x * 0.017 + 4.0) + 4 * std::sin(x * 0.063 + 2);
        for (int y = 0; y < H; ++y) {
            if (y >= nearH) {
                double n = noise(x * 0.3, y * 0.3, 31);
                Rgba c =
                    mix(rgb(30, 92, 40), rgb(16, 54, 26), (y - nearH) / 50.0 + (n - 0.5) * 0.3);
                if (y - nearH < 1.5) c = rgb(90, 180, 70);
                img.set(x, y, c);
            } else if (y >= far) {
                img.set(x, y, mix(rgb(28, 50, 60), rgb(22, 40, 52), (y - far) / 30.0));
            }
        }
        if (hash3(x, 9, 31) > 0.6) {
            int ty = static_cast<int>(nearH);
            img.set(x, ty - 1, rgb(90, 180, 70));
            if (hash3(x, 10, 31) > 0.5) img.set(x, ty - 2, rgb(120, 210, 90));
        }
    }
    // Keep the bottom text line readable: darken the band under "MADE WITH TOVRIK".
    for (int y = 218; y < 240; ++y)
        for (int x = 4; x < 296; ++x) {
            double edge = std::min({(y - 218) / 6.0, (x - 4) / 14.0, (296 - x) / 14.0, 1.0});
            img.set(x, y, mix(img.get(x, y), rgb(8, 16, 12), 0.5 * edge));
        }

    // The cast, drawn large on the hills: the bug chases clovers, a baddy lurks on the left.
    auto put = [&](int slot, int frame, int x, int y, int scale) {
        img.draw(frameOf(strips[slot], frame).scaled(scale), x, y);
    };
    put(1, 2, 226, 152, 4);  // the bug, walking right
    put(0, 2, 160, 176, 2);  // clovers
    put(0, 2, 190, 186, 2);
    put(0, 2, 128, 190, 2);
    put(10, 6, 98, 168, 2);  // a flower
    put(10, 20, 296, 196, 1);
    put(5, 4, 18, 150, 3);   // the baddy
    put(8, 0, 70, 196, 2);   // a spiky bomb
    put(9, 0, 112, 204, 1);  // cherries
    put(9, 2, 268, 200, 1);  // banana
    return img;
}

}  // namespace media
