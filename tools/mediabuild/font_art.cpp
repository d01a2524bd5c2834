// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's bitmap fonts, drawn from one 5 x 8 glyph set.
#include "font_art.h"

#include "tools/common/tool_files.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace media {

namespace {

const Rgba kInkOutline = rgb(20, 14, 40);

// One character cell: the glyph scaled by (sx, sy) with its top-left at (ox, oy), painted with a
// vertical colour ramp, then outlined. The last glyph row (descenders) is drawn only `tailRows`
// pixels tall so the glyph fits the cell.
Image cell(const GlyphSet& g, int code, int cw, int ch, int ox, int oy, int sx, int sy,
           int tailRows, Rgba top, Rgba bottom, Rgba outline, bool shadow) {
    Image img(cw, ch);
    int py = oy;
    for (int row = 0; row < GlyphSet::kHeight; ++row) {
        int rh = row == GlyphSet::kHeight - 1 ? tailRows : sy;
        for (int k = 0; k < rh; ++k, ++py)
            for (int col = 0; col < GlyphSet::kWidth; ++col)
                if (g.ink(code, col, row))
                    for (int i = 0; i < sx; ++i) {
                        double t = static_cast<double>(py - oy) / (7 * sy);
                        img.set(ox + col * sx + i, py, mix(top, bottom, t));
                    }
    }
    Image out = img.outlined(outline);
    if (shadow) {
        Image withShadow(cw, ch);
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                if (out.get(x - 1, y - 1).a && !out.get(x, y).a) withShadow.set(x, y, outline);
        withShadow.draw(out, 0, 0);
        out = withShadow;
    }
    return out;
}

}  // namespace

bool GlyphSet::load(const std::string& path, std::string& error) {
    std::string text;
    return toolfiles::readTextFile(path, text, error) && parse(text, path, error);
}

bool GlyphSet::parse(const std::string& text, const std::string& source, std::string& error) {
    const std::vector<std::string> lines = toolfiles::splitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 6, "glyph ") != 0) {
            error = source + ":" + std::to_string(i + 1) + ": expected 'glyph <character>'";
            return false;
        }
        std::string name = line.substr(6);
        int code = name == "space"    ? 32
                   : name.size() == 1 ? static_cast<unsigned char>(name[0])
                                      : -1;
        if (code < 32 || code > 126) {
            error =
                source + ":" + std::to_string(i + 1) + ": not a printable character '" + name + "'";
            return false;
        }
        if (defined_[code]) {
            error = source + ":" + std::to_string(i + 1) + ": glyph '" + name + "' defined twice";
            return false;
        }
        if (i + kHeight >= lines.size()) {
            error = source + ":" + std::to_string(i + 1) + ": glyph '" + name + "' is cut short";
            return false;
        }
        for (int r = 0; r < kHeight; ++r) {
            const std::string& row = lines[i + 1 + r];
            if (static_cast<int>(row.size()) != kWidth ||
                row.find_first_not_of("#.") != std::string::npos) {
                error = source + ":" + std::to_string(i + 2 + r) +
                        ": glyph rows are 5 characters of '#' and '.'";
                return false;
            }
            uint8_t bits = 0;
            for (int c = 0; c < kWidth; ++c)
                bits = static_cast<uint8_t>((bits << 1) | (row[c] == '#'));
            rows_[code][r] = bits;
        }
        defined_[code] = true;
        i += kHeight;
    }
    for (int c = 32; c <= 126; ++c)
        if (!defined_[c]) {
            error = source + ": no glyph for character " + std::to_string(c) + " '" +
                    static_cast<char>(c) + "'";
            return false;
        }
    return true;
}

int GlyphSet::count() const {
    int n = 0;
    for (bool d : defined_) n += d;
    return n;
}

Image buildMenuFont(const GlyphSet& g) {
    Image img(256, 128);
    for (int c = 32; c < 127; ++c)
        img.paste(cell(g, c, 16, 16, 3, 1, 2, 2, 1, rgb(255, 252, 200), rgb(250, 130, 30),
                       kInkOutline, true),
                  (c % 16) * 16, (c / 16) * 16);
    return img;
}

Image buildStatusFont(const GlyphSet& g) {
    Image img(128, 128);
    for (int c = 32; c < 127; ++c)
        img.paste(cell(g, c, 8, 16, 1, 4, 1, 1, 1, rgb(255, 255, 255), rgb(150, 230, 255),
                       kInkOutline, false),
                  (c % 16) * 8, (c / 16) * 16);
    return img;
}

Image buildStartupFont(const GlyphSet& g) {
    // Opaque black paper (the bitmap font's transparent colour), white ink, near-black outline.
    Image img(128, 64, rgb(0, 0, 0));
    for (int c = 32; c < 127; ++c) {
        Image ch = cell(g, c, 8, 8, 1, 0, 1, 1, 1, rgb(255, 255, 255), rgb(220, 220, 220),
                        rgb(8, 8, 8), false);
        img.draw(ch, (c % 16) * 8, (c / 16) * 8);
    }
    return img;
}

void drawLabel(Image& img, const GlyphSet& g, int x, int y, const std::string& text, Rgba colour) {
    for (size_t i = 0; i < text.size(); ++i) {
        int code = static_cast<unsigned char>(text[i]);
        for (int r = 0; r < GlyphSet::kHeight; ++r)
            for (int c = 0; c < GlyphSet::kWidth; ++c)
                if (g.ink(code, c, r)) img.set(x + static_cast<int>(i) * 6 + c, y + r, colour);
    }
}

}  // namespace media
