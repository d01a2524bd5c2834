// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// mediapreview: composes the game's screens from the built media and the level sources the way
// the game draws them (menu, a level with its status line, a blast, the high-score table), so the
// art can be judged in place before the game itself exists.
//
//   mediapreview <assets> <out-folder> [level ...]
#include <cstdio>
#include <string>
#include <vector>

#include "art.h"
#include "codecs.h"
#include "font_art.h"
#include "levelfile.h"
#include "pixelart.h"

using namespace media;

namespace {

// Prints text with a font image the way the runtime does: 16 cells across, 8 rows when the image
// is at least as wide as high, one cell width per character.
void printText(Image& screen, const Image& font, int x, int y, const std::string& text) {
    int rows = font.width() < font.height() ? 16 : 8;
    int cw = font.width() / 16, ch = font.height() / rows;
    for (unsigned char c : text) {
        int code = c % (rows * 16);
        screen.draw(font.crop((code % 16) * cw, (code / 16) * ch, cw, ch), x, y);
        x += cw;
    }
}

struct Screens {
    std::vector<Strip> strips;
    Image zFont, xFont, picture;
    Image sprite(int slot, int frame) const { return frameOf(strips[slot], frame); }
};

void drawLevel(Image& s, const Screens& m, const levels::Level& lv, int tick, bool withFruit) {
    using namespace levels;
    int pickups = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            int i = cellIndex(x, y);
            if (lv.map[i] == kWall) s.draw(m.sprite(0, 1), 16 * x, 16 * y);
            if (lv.map[i] == kBlock) s.draw(m.sprite(0, 7), 16 * x, 16 * y);
        }
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x) {
            int i = cellIndex(x, y);
            if (lv.items[i] == kClover) s.draw(m.sprite(0, 2), 16 * x, 16 * y);
            if (lv.items[i] == kFlower) s.draw(m.sprite(10, tick % 32), 16 * x, 16 * y);
            if (lv.items[i] == kSpikyBomb) s.draw(m.sprite(8, tick % 16), 16 * x, 16 * y);
            if ((lv.items[i] == kClover || lv.items[i] == kFlower) && lv.map[i] != kBug) ++pickups;
        }
    bool fruitPlaced = !withFruit;
    for (int y = 1; y < 14; ++y)
        for (int x = 1; x < 19; ++x) {
            int i = cellIndex(x, y);
            if (lv.map[i] == kBug) {
                s.draw(m.sprite(1, 0), 16 * x, 16 * y);
                ++pickups;
            }
            if (isBaddy(lv.map[i])) s.draw(m.sprite(5, tick % 16), 16 * x, 16 * y);
            if (!fruitPlaced && lv.map[i] == 0 && x > 12 && y > 6) {
                s.draw(m.sprite(9, (x + y) % 12), 16 * x, 16 * y);
                fruitPlaced = true;
            }
        }
    printText(s, m.xFont, 0, 224, "SCORE:0");
    printText(s, m.xFont, 192, 224, "CLOVER:" + std::to_string(pickups));
}

bool save(const std::string& path, const Image& img) {
    std::string error;
    if (!writePng(path, img.scaled(2), error, false)) {
        std::fprintf(stderr, "mediapreview: %s\n", error.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mediapreview <assets> <out-folder> [level ...]\n");
        return 2;
    }
    std::string assets = argv[1], out = argv[2], error;
    std::vector<int> numbers;
    for (int i = 3; i < argc; ++i) numbers.push_back(std::atoi(argv[i]));
    // The first, a middle and the last shipped level.
    if (numbers.empty())
        numbers = {1, (levels::kShippedLevelCount + 1) / 2, levels::kShippedLevelCount};

    ArtBook art;
    GlyphSet glyphs;
    for (const char* f : {"palette.txt", "tiles.txt", "bug.txt", "baddy.txt", "fruits.txt"})
        if (!art.load(assets + "/sprites/" + f, error))
            return std::fprintf(stderr, "mediapreview: %s\n", error.c_str()), 1;
    if (!glyphs.load(assets + "/fonts/font5x8.txt", error))
        return std::fprintf(stderr, "mediapreview: %s\n", error.c_str()), 1;
    Screens m;
    m.strips = buildStrips(art);
    m.zFont = buildMenuFont(glyphs);
    m.xFont = buildStatusFont(glyphs);
    m.picture = buildMenuPicture(m.strips);

    // Menu, with the box on the levels entry.
    Image menu = m.picture;
    printText(menu, m.zFont, 64, 16, "CRUMLET DEMO");
    printText(menu, m.zFont, 32, 32, "@BUG@EATS@CLOVER");
    printText(menu, m.zFont, 64, 64, "LEVELS 14");
    printText(menu, m.zFont, 64, 80, "PLAYER bugsy");
    printText(menu, m.zFont, 64, 96, "HSCORE ");
    printText(menu, m.zFont, 64, 112, "GOHOME ");
    printText(menu, m.zFont, 22, 224, "MADE WITH TOVRIK");
    menu.draw(m.sprite(17, 3), 64, 64);
    if (!save(out + "/menu.png", menu)) return 1;

    // High-score table over the menu picture.
    Image table = m.picture;
    printText(table, m.zFont, 88, 0, "HIGHSCORE");
    const char* names[8] = {"bugsy", "clover", "anna", "max", "", "", "", ""};
    const int scores[8] = {1845, 1210, 955, 420, 0, 0, 0, 0};
    for (int r = 0; r < 8; ++r) {
        printText(table, m.zFont, 48, 32 + 16 * r, std::to_string(r + 1) + ".");
        printText(table, m.zFont, 80, 32 + 16 * r, names[r]);
        printText(table, m.zFont, 224, 32 + 16 * r, std::to_string(scores[r]));
    }
    printText(table, m.zFont, 40, 222, "PRESS SPACE BAR");
    if (!save(out + "/hiscore.png", table)) return 1;

    levels::Legend legend;
    std::string text;
    if (!levels::readTextFile(assets + "/levels/legend.txt", text, error) ||
        !legend.parse(text, error))
        return std::fprintf(stderr, "mediapreview: %s\n", error.c_str()), 1;
    for (int n : numbers) {
        char name[64];
        std::snprintf(name, sizeof name, "/levels/level%02d.txt", n);
        levels::Level lv;
        if (!levels::readTextFile(assets + name, text, error) ||
            !levels::parseLevelText(text, legend, lv, error))
            return std::fprintf(stderr, "mediapreview: %s\n", error.c_str()), 1;
        Image screen(320, 240, rgb(0, 0, 0));
        drawLevel(screen, m, lv, 5, true);
        std::snprintf(name, sizeof name, "/level%02d.png", n);
        if (!save(out + name, screen)) return 1;
    }

    // A blast in the first level given: the five-cell cross at its sixth frame, a fire where a
    // baddy ate the fruit, a sparkle and the end-of-life message.
    {
        char name[64];
        std::snprintf(name, sizeof name, "/levels/level%02d.txt", numbers.front());
        levels::Level lv;
        levels::readTextFile(assets + name, text, error);
        levels::parseLevelText(text, legend, lv, error);
        Image screen(320, 240, rgb(0, 0, 0));
        drawLevel(screen, m, lv, 9, false);
        int bx = 9 * 16, by = 7 * 16;
        for (auto [dx, dy] : {std::pair{0, 0}, {16, 0}, {-16, 0}, {0, -16}, {0, 16}})
            screen.draw(m.sprite(14, 5), bx + dx, by + dy);
        screen.draw(m.sprite(16, 6), 3 * 16, 11 * 16);
        screen.draw(m.sprite(7, 6), 15 * 16, 3 * 16);
        screen.draw(m.sprite(13, 3), 5 * 16, 3 * 16);
        printText(screen, m.zFont, 68, 100, "PRESS ESCAPE!");
        if (!save(out + "/blast.png", screen)) return 1;
    }
    return 0;
}
