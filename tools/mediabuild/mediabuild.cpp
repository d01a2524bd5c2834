// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The whole media build: every picture, font and sound of the game from the assets folder.
#include "mediabuild.h"

#include <fstream>

#include "art.h"
#include "codecs.h"
#include "font_art.h"
#include "pixelart.h"
#include "sfx.h"
#include "tools/common/tool_files.h"

namespace media {

namespace {

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool loadArt(const std::string& assets, ArtBook& art, std::string& error) {
    for (const char* f : {"palette.txt", "tiles.txt", "bug.txt", "baddy.txt", "fruits.txt"})
        if (!art.load(join(join(assets, "sprites"), f), error)) return false;
    return true;
}

const std::vector<std::string>& soundNames() {
    static const std::vector<std::string> names = {"Suck",    "Caim",     "Move",     "Bomb",
                                                   "SetMine", "Explos",   "LifeLost", "Fruit",
                                                   "Take",    "FruitEat", "Fertig"};
    return names;
}

BuildResult buildAll(const std::string& assets, const std::string& mediaOut,
                     const std::string& startupFont) {
    BuildResult res;
    auto png = [&](const std::string& name, const Image& img, bool alpha = true) {
        std::string path = join(mediaOut, name);
        if (!writePng(path, img, res.error, alpha)) return false;
        res.written.push_back(path);
        return true;
    };
    try {
        ArtBook art;
        if (!loadArt(assets, art, res.error)) return res;
        std::vector<Strip> strips = buildStrips(art);
        for (const Strip& s : strips)
            if (!png(s.file, s.image)) return res;
        // The menu picture has no transparent pixels; stored without alpha.
        if (!png("Bild.png", buildMenuPicture(strips), false)) return res;

        GlyphSet glyphs;
        if (!glyphs.load(join(join(assets, "fonts"), "font5x8.txt"), res.error)) return res;
        if (!png("zFont.png", buildMenuFont(glyphs)) || !png("xFont.png", buildStatusFont(glyphs)))
            return res;
        if (!writeBmp24(startupFont, buildStartupFont(glyphs), res.error)) return res;
        res.written.push_back(startupFont);

        for (const std::string& name : soundNames()) {
            std::string src = join(join(assets, "sounds"), name + ".sfx"), text;
            SoundRecipe recipe;
            if (!toolfiles::readTextFile(src, text, res.error) ||
                !parseSound(text, src, recipe, res.error))
                return res;
            std::string path = join(mediaOut, name + ".wav");
            if (!writeWav16(path, renderSound(recipe), kSampleRate, res.error)) return res;
            res.written.push_back(path);
        }
    } catch (const std::exception& e) {
        res.error = e.what();
    }
    return res;
}

bool buildContactSheet(const std::string& assets, const std::string& out, std::string& error) {
    try {
        ArtBook art;
        GlyphSet glyphs;
        if (!loadArt(assets, art, error) ||
            !glyphs.load(join(join(assets, "fonts"), "font5x8.txt"), error))
            return false;
        std::vector<Strip> strips = buildStrips(art);
        const int scale = 3, gap = 2, labelW = 110;
        int width = labelW + 16 * (16 * scale + gap), y = 4;
        int height = 4;
        for (const Strip& s : strips) {
            int rows = (s.frames() + 15) / 16;
            if (s.frameWidth > 16) rows = (s.frames() + 1) / 2;
            height += rows * (s.frameHeight * scale + gap) + 6;
        }
        height += 264 + 264 + 240 * 2 + 16;
        Image sheet(width, height, rgb(48, 48, 56));
        // A checker behind the frames shows which pixels are transparent.
        auto checker = [&](int x, int y0, int w, int h) {
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i)
                    sheet.set(x + i, y0 + j,
                              ((i / 6 + j / 6) % 2) ? rgb(70, 70, 80) : rgb(30, 30, 36));
        };
        for (size_t slot = 0; slot < strips.size(); ++slot) {
            const Strip& s = strips[slot];
            drawLabel(sheet, glyphs, 4, y + 2, std::to_string(slot) + " " + s.file,
                      rgb(255, 255, 200));
            int perRow = s.frameWidth > 16 ? 2 : 16;
            int fw = s.frameWidth * scale + gap, fh = s.frameHeight * scale + gap;
            for (int n = 0; n < s.frames(); ++n) {
                int x = labelW + (n % perRow) * fw, yy = y + (n / perRow) * fh;
                checker(x, yy, s.frameWidth * scale, s.frameHeight * scale);
                sheet.draw(frameOf(s, n).scaled(scale), x, yy);
            }
            y += ((s.frames() + perRow - 1) / perRow) * fh + 6;
        }
        Image z = buildMenuFont(glyphs), x = buildStatusFont(glyphs), b = buildStartupFont(glyphs);
        drawLabel(sheet, glyphs, 4, y, "zFont.png", rgb(255, 255, 200));
        checker(labelW, y, 512, 256);
        sheet.draw(z.scaled(2), labelW, y);
        y += 264;
        drawLabel(sheet, glyphs, 4, y, "xFont.png", rgb(255, 255, 200));
        checker(labelW, y, 256, 256);
        sheet.draw(x.scaled(2), labelW, y);
        drawLabel(sheet, glyphs, labelW + 270, y, "smalfont.bmp", rgb(255, 255, 200));
        sheet.draw(b.scaled(2), labelW + 270, y + 12);
        y += 264;
        drawLabel(sheet, glyphs, 4, y, "Bild.png", rgb(255, 255, 200));
        sheet.draw(buildMenuPicture(strips).scaled(2), labelW, y);
        return writePng(out, sheet, error);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool buildIcon(const std::string& assets, int size, const std::string& out, std::string& error) {
    if (size < 16 || size % 16 != 0) {
        error = "icon size must be a multiple of 16, not " + std::to_string(size);
        return false;
    }
    try {
        ArtBook art;
        if (!loadArt(assets, art, error)) return false;
        for (const Strip& s : buildStrips(art))
            if (s.file == "BugR.png") return writePng(out, frameOf(s, 0).scaled(size / 16), error);
        error = "no BugR.png strip in the art";
        return false;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

}  // namespace media
