// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Pixel art as text: reading palettes and character grids.
#include "pixelart.h"

#include "tools/common/tool_files.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace media {

bool ArtBook::load(const std::string& path, std::string& error) {
    std::string text;
    return toolfiles::readTextFile(path, text, error) && parse(text, path, error);
}

bool ArtBook::parse(const std::string& text, const std::string& source, std::string& error) {
    const std::vector<std::string> lines = toolfiles::splitLines(text);
    auto fail = [&](size_t i, const std::string& msg) {
        error = source + ":" + std::to_string(i + 1) + ": " + msg;
        return false;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.empty() || l[0] == '#') continue;
        std::istringstream in(l);
        std::string word;
        in >> word;
        if (word == "colour") {
            std::string ch;
            int r = -1, g = -1, b = -1, a = 255;
            in >> ch >> r >> g >> b;
            if (!(in >> a)) a = 255;
            if (ch.size() != 1 || ch == "." || r < 0 || g < 0 || b < 0 || r > 255 || g > 255 ||
                b > 255 || a < 0 || a > 255)
                return fail(i,
                            "expected 'colour <char> <r> <g> <b> [a]' with values 0..255 ('.' is "
                            "reserved)");
            palette_[ch[0]] = rgb(r, g, b, a);
        } else if (word == "grid") {
            std::string name;
            int w = 0, h = 0;
            in >> name >> w >> h;
            if (name.empty() || w <= 0 || h <= 0 || w > 1024 || h > 1024)
                return fail(i, "expected 'grid <name> <w> <h>'");
            if (grids_.count(name)) return fail(i, "grid '" + name + "' defined twice");
            if (i + h >= lines.size()) return fail(i, "grid '" + name + "' is cut short");
            Image img(w, h);
            for (int y = 0; y < h; ++y) {
                const std::string& row = lines[i + 1 + y];
                if (static_cast<int>(row.size()) != w)
                    return fail(i + 1 + y, "grid '" + name + "' row has " +
                                               std::to_string(row.size()) +
                                               " characters, expected " + std::to_string(w));
                for (int x = 0; x < w; ++x) {
                    auto it = palette_.find(row[x]);
                    if (it == palette_.end())
                        return fail(i + 1 + y,
                                    std::string("colour '") + row[x] + "' is not defined");
                    img.set(x, y, it->second);
                }
            }
            grids_[name] = img;
            i += h;
        } else {
            return fail(i, "unknown line '" + l + "'");
        }
    }
    return true;
}

const Image& ArtBook::grid(const std::string& name) const {
    auto it = grids_.find(name);
    if (it == grids_.end()) throw std::runtime_error("art grid '" + name + "' is missing");
    return it->second;
}

Rgba ArtBook::colour(char c) const {
    auto it = palette_.find(c);
    return it == palette_.end() ? Rgba{} : it->second;
}

}  // namespace media
