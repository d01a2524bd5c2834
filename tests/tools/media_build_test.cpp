// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The media build as the game sees it: every file there, strips with the frame sizes and frame
// counts the game draws, fonts holding every character it prints, sounds in the accepted WAV
// layout with sensible lengths and levels, and a start-up font bitmap a bitmap loader reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "art.h"
#include "codecs.h"
#include "mediabuild.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

using namespace media;

namespace {

class MediaBuild : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new TestFolder();
        result_ = new BuildResult(buildAll(ASSETS_DIR, dir_->path(), dir_->file("smalfont.bmp")));
    }
    static void TearDownTestSuite() {
        delete result_;
        delete dir_;
    }
    static Image png(const std::string& name, int* channels = nullptr) {
        Image img;
        std::string error;
        EXPECT_TRUE(readPng(dir_->file(name), img, error, channels)) << error;
        return img;
    }
    static WavInfo wav(const std::string& name) {
        WavInfo info;
        std::string error;
        EXPECT_TRUE(readWav(dir_->file(name), info, error)) << error;
        return info;
    }
    static TestFolder* dir_;
    static BuildResult* result_;
};
TestFolder* MediaBuild::dir_ = nullptr;
BuildResult* MediaBuild::result_ = nullptr;

struct StripSpec {
    const char* file;
    int frames, frameWidth, frameHeight;
};

// Slot order, as the game loads them.
const StripSpec kStrips[] = {
    {"Tiles1.png", 8, 16, 16},      {"BugR.png", 16, 16, 16},        {"BugL.png", 16, 16, 16},
    {"BugU.png", 16, 16, 16},       {"BugD.png", 16, 16, 16},        {"Baddy.png", 16, 16, 16},
    {"Wuschel.png", 16, 16, 16},    {"Sternchen.png", 16, 16, 16},   {"SpikeyBall.png", 16, 16, 16},
    {"FruitStrip.png", 12, 16, 16}, {"Blume.png", 32, 16, 16},       {"Disappear.png", 16, 16, 16},
    {"Shrink.png", 16, 16, 16},     {"FlushSpikey.png", 16, 16, 16}, {"Explos.png", 16, 16, 16},
    {"TakeStrip.png", 16, 16, 16},  {"FireStrip.png", 16, 16, 16},   {"BoxStrip.png", 8, 96, 16},
};

Image frame(const Image& strip, const StripSpec& s, int n) {
    int perRow = strip.width() / s.frameWidth;
    return strip.crop((n % perRow) * s.frameWidth, (n / perRow) * s.frameHeight, s.frameWidth,
                      s.frameHeight);
}

int inkInCell(const Image& font, int code, int cw, int ch) {
    return font.crop((code % 16) * cw, (code / 16) * ch, cw, ch).opaqueCount();
}

// Every character the game prints with the two PNG fonts: menu and table texts, the status line,
// numbers, names typed in lower case, and the line under the title (codes 64 to 127 possible).
std::string printedCharacters() {
    std::string s =
        "CRUMLET DEMO LEVELS PLAYER HSCORE GOHOME MADE WITH TOVRIK PRESS ESCAPE! HIGHSCORE "
        "PRESS SPACE BAR SCORE: CLOVER: 0123456789.-";
    for (char c = 'a'; c <= 'z'; ++c) s += c;
    for (int c = 64; c < 127; ++c) s += static_cast<char>(c);
    return s;
}

double seconds(const WavInfo& w) { return static_cast<double>(w.samples.size()) / w.sampleRate; }

double peakOf(const WavInfo& w, size_t from = 0, size_t to = SIZE_MAX) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, w.samples.size()); ++i)
        peak = std::max(peak, std::abs(int(w.samples[i])));
    return peak / 32767.0;
}

// Zero crossings per second within [from, to) seconds: a rough pitch measure.
double crossingRate(const WavInfo& w, double from, double to) {
    size_t a = static_cast<size_t>(from * w.sampleRate),
           b = std::min(w.samples.size(), size_t(to * w.sampleRate));
    int n = 0;
    for (size_t i = a + 1; i < b; ++i) n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
    return n / (to - from);
}

}  // namespace

TEST_F(MediaBuild, WritesEveryFileTheGameLoads) {
    ASSERT_TRUE(result_->error.empty()) << result_->error;
    EXPECT_EQ(result_->written.size(),
              18u + 3u + 11u + 1u);  // strips, picture and fonts, sounds, bitmap
    for (const std::string& name : soundNames())
        EXPECT_FALSE(readText(dir_->file(name + ".wav")).empty()) << name;
    for (const char* name : {"Bild.png", "zFont.png", "xFont.png", "smalfont.bmp"})
        EXPECT_FALSE(readText(dir_->file(name)).empty()) << name;
}

TEST_F(MediaBuild, StripsHaveTheFrameSizesAndCountsTheGameUses) {
    for (const StripSpec& s : kStrips) {
        SCOPED_TRACE(s.file);
        int channels = 0;
        Image img = png(s.file, &channels);
        EXPECT_EQ(channels, 4) << "sprites carry real alpha";
        ASSERT_EQ(img.width() % s.frameWidth, 0);
        ASSERT_EQ(img.height() % s.frameHeight, 0);
        int frames = img.width() / s.frameWidth * (img.height() / s.frameHeight);
        EXPECT_EQ(frames, s.frames);
        // Every frame the game shows has something in it; tile frames other than 1, 2, 7 are
        // unused.
        for (int n = 0; n < frames; ++n) {
            if (std::string(s.file) == "Tiles1.png" && n != 1 && n != 2 && n != 7) continue;
            EXPECT_GT(frame(img, s, n).opaqueCount(), 0) << "frame " << n << " is empty";
        }
    }
}

TEST_F(MediaBuild, SpritesUseRealAlphaNeverTheColourKey) {
    // Key colour red 255, green 0, blue 128 would only be transparent in an RGB image; in these
    // RGBA images an opaque pixel of that colour would show as magenta.
    for (const StripSpec& s : kStrips) {
        Image img = png(s.file);
        for (const Rgba& p : img.pixels())
            if (p.a) {
                EXPECT_FALSE(p.r == 255 && p.g == 0 && p.b == 128) << s.file;
            }
    }
}

TEST_F(MediaBuild, WallAndBlockFillTheirCellAndDiffer) {
    Image tiles = png("Tiles1.png");
    Image wall = frame(tiles, kStrips[0], 1), clover = frame(tiles, kStrips[0], 2),
          block = frame(tiles, kStrips[0], 7);
    EXPECT_EQ(wall.opaqueCount(), 256);
    EXPECT_EQ(block.opaqueCount(), 256);
    EXPECT_GT(clover.opaqueCount(), 60);
    EXPECT_LT(clover.opaqueCount(), 256) << "the floor shows around the clover";
    EXPECT_NE(wall.pixels(), block.pixels());
}

TEST_F(MediaBuild, BugStripsAreOneBugTurnedFourWays) {
    Image r = png("BugR.png"), l = png("BugL.png"), u = png("BugU.png"), d = png("BugD.png");
    for (int n = 0; n < 16; ++n) {
        Image fr = frame(r, kStrips[1], n);
        EXPECT_EQ(frame(l, kStrips[2], n).pixels(), fr.mirroredX().pixels()) << n;
        EXPECT_EQ(frame(u, kStrips[3], n).pixels(), fr.rotatedLeft().pixels()) << n;
        EXPECT_EQ(frame(d, kStrips[4], n).pixels(), fr.rotatedRight().pixels()) << n;
    }
    // Frame 0 is the standing bug; the walk moves the legs.
    Image stand = frame(r, kStrips[1], 0);
    EXPECT_NE(frame(r, kStrips[1], 3).pixels(), stand.pixels());
    EXPECT_NE(frame(r, kStrips[1], 11).pixels(), stand.pixels());
    EXPECT_NE(frame(r, kStrips[1], 3).pixels(), frame(r, kStrips[1], 11).pixels());
}

TEST_F(MediaBuild, AnimationsChangeFromFrameToFrame) {
    for (const char* name :
         {"Baddy.png", "Sternchen.png", "SpikeyBall.png", "Blume.png", "FlushSpikey.png",
          "Explos.png", "FireStrip.png", "Disappear.png", "Shrink.png", "TakeStrip.png"}) {
        const StripSpec* s = nullptr;
        for (const StripSpec& k : kStrips)
            if (std::string(k.file) == name) s = &k;
        Image img = png(name);
        int distinct = 1;
        for (int n = 1; n < s->frames; ++n)
            distinct += frame(img, *s, n).pixels() != frame(img, *s, n - 1).pixels();
        EXPECT_GE(distinct, s->frames / 4) << name;
    }
    // Twelve different fruits.
    Image fruit = png("FruitStrip.png");
    for (int a = 0; a < 12; ++a)
        for (int b = a + 1; b < 12; ++b)
            EXPECT_NE(frame(fruit, kStrips[9], a).pixels(), frame(fruit, kStrips[9], b).pixels())
                << a << " " << b;
    // The box frames a six-letter word of the 16-pixel menu font and stays open inside.
    Image box = png("BoxStrip.png");
    EXPECT_EQ(box.width(), 96);
    for (int n = 0; n < 8; ++n) {
        Image f = frame(box, kStrips[17], n);
        EXPECT_EQ(f.get(40, 8).a, 0);
        EXPECT_GT(f.get(0, 0).a, 0);
        EXPECT_GT(f.get(95, 15).a, 0);
    }
}

TEST_F(MediaBuild, MenuPictureIsFullScreenAndDarkBehindTheTexts) {
    int channels = 0;
    Image pic = png("Bild.png", &channels);
    EXPECT_EQ(pic.width(), 320);
    EXPECT_EQ(pic.height(), 240);
    EXPECT_EQ(channels, 3);
    // Title, the line under it and the four menu entries sit in x 32..304, y 16..128.
    double sum = 0;
    int n = 0, bright = 0;
    for (int y = 16; y < 128; ++y)
        for (int x = 32; x < 304; ++x) {
            Rgba p = pic.get(x, y);
            double lum = 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
            sum += lum;
            bright += lum > 140;
            ++n;
        }
    EXPECT_LT(sum / n, 40.0);
    // Drawn without alpha, so no pixel may carry the sprite colour key.
    for (const Rgba& p : pic.pixels()) ASSERT_FALSE(p.r == 255 && p.g == 0 && p.b == 128);
    EXPECT_LT(bright, n / 100) << "only a few faint stars behind the texts";
}

TEST_F(MediaBuild, FontsHoldEveryPrintedCharacter) {
    Image z = png("zFont.png"), x = png("xFont.png");
    ASSERT_EQ(z.width(), 256);
    ASSERT_EQ(z.height(), 128);  // 8 rows of 16 cells: characters 0..127, 16 x 16 cells
    ASSERT_EQ(x.width(), 128);
    ASSERT_EQ(x.height(), 128);  // 8 x 16 cells
    for (char c : printedCharacters()) {
        int code = static_cast<unsigned char>(c);
        if (c == ' ') continue;
        EXPECT_GT(inkInCell(z, code, 16, 16), 0) << "menu font lacks '" << c << "'";
        EXPECT_GT(inkInCell(x, code, 8, 16), 0) << "status font lacks '" << c << "'";
    }
    EXPECT_EQ(inkInCell(z, ' ', 16, 16), 0);
    EXPECT_EQ(inkInCell(x, ' ', 8, 16), 0);
    // Status line: "CLOVER:" and three digits from x 192 stay on the 320-pixel screen.
    EXPECT_LE(192 + 10 * (x.width() / 16), 320);
    // The menu box is exactly six menu-font cells wide.
    EXPECT_EQ(6 * (z.width() / 16), 96);
    // Letters stay inside their cells: nothing drawn in a cell's last pixel column, so neighbours
    // never touch.
    for (int code = 33; code < 127; ++code) {
        Image cell = z.crop((code % 16) * 16, (code / 16) * 16, 16, 16);
        for (int y = 0; y < 16; ++y) EXPECT_EQ(cell.get(15, y).a, 0) << "char " << code;
    }
}

TEST_F(MediaBuild, StartupFontIsAnEightByEightBitmapFont) {
    std::string b = readText(dir_->file("smalfont.bmp"));
    ASSERT_GE(b.size(), 54u);
    auto u32 = [&](size_t o) {
        return uint32_t(uint8_t(b[o])) | uint32_t(uint8_t(b[o + 1])) << 8 |
               uint32_t(uint8_t(b[o + 2])) << 16 | uint32_t(uint8_t(b[o + 3])) << 24;
    };
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), b.size());
    EXPECT_EQ(u32(10), 54u);  // no palette
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 128u);
    EXPECT_EQ(u32(22), 64u);  // 16 x 8 cells of 8 x 8 for characters 0..127
    EXPECT_EQ(uint8_t(b[28]), 24);
    ASSERT_EQ(b.size(), 54u + 128u * 3u * 64u);
    // Pixel (x, y) from the top: rows are stored bottom-up.
    auto px = [&](int x, int y) {
        size_t o = 54 + size_t(63 - y) * 384 + size_t(x) * 3;
        return rgb(uint8_t(b[o + 2]), uint8_t(b[o + 1]), uint8_t(b[o]));
    };
    EXPECT_EQ(px(0, 0), rgb(0, 0, 0));  // paper is black, the font colour key
    // Every printable character has white ink; its outline is near-black but not black, so it is
    // not keyed out.
    for (int code = 33; code < 127; ++code) {
        int white = 0, outline = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                Rgba p = px((code % 16) * 8 + x, (code / 16) * 8 + y);
                white += p.r > 200;
                outline += p == rgb(8, 8, 8);
            }
        EXPECT_GT(white, 0) << code;
        EXPECT_GT(outline, 0) << code;
    }
}

TEST_F(MediaBuild, SoundsUseTheAcceptedWavLayout) {
    for (const std::string& name : soundNames()) {
        SCOPED_TRACE(name);
        std::string raw = readText(dir_->file(name + ".wav"));
        ASSERT_GE(raw.size(), 44u);
        // Format chunk of 16 bytes, then straight to the data chunk: what the game's loader
        // expects.
        EXPECT_EQ(raw.substr(12, 4), "fmt ");
        EXPECT_EQ(uint8_t(raw[16]), 16);
        EXPECT_EQ(raw.substr(36, 4), "data");
        WavInfo w = wav(name + ".wav");
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.sampleRate, 22050);
        EXPECT_EQ(w.bitsPerSample, 16);
        EXPECT_EQ(w.samples.size() * 2 + 44, raw.size());
    }
}

TEST_F(MediaBuild, SoundsHaveFittingLengthsAndLevels) {
    std::map<std::string, WavInfo> w;
    for (const std::string& name : soundNames()) w[name] = wav(name + ".wav");
    for (auto& [name, info] : w) {
        SCOPED_TRACE(name);
        EXPECT_GT(peakOf(info), 0.2);
        EXPECT_LT(peakOf(info), 0.97) << "no clipping";
        EXPECT_LE(seconds(info), 2.5);
        // Every sound starts at once: something audible within the first 30 ms.
        EXPECT_GT(peakOf(info, 0, info.sampleRate * 3 / 100), 0.05 * peakOf(info));
        // And ends quietly, without a click.
        EXPECT_LT(std::abs(int(info.samples.back())), 200);
    }
    EXPECT_LT(seconds(w["Move"]), 0.1) << "the step tick is short";
    // One-voice sounds are refused while they still play. Those that can come once per step (16
    // frames at 60 per second) must end within a step, and the boom within the 47 frames after
    // which a bomb laid right after a blast goes off.
    const double step = 16.0 / 60;
    for (const char* name : {"Suck", "Move", "Bomb", "Take"})
        EXPECT_LT(seconds(w[name]), step) << name;
    EXPECT_LT(seconds(w["Explos"]), 47.0 / 60);
    EXPECT_LT(peakOf(w["Move"]), peakOf(w["Explos"]));
    EXPECT_GE(seconds(w["Fertig"]), 1.6)
        << "the fanfare holds the level open for about two seconds";
    EXPECT_LE(seconds(w["Fertig"]), 2.4);
    EXPECT_GE(seconds(w["LifeLost"]), 1.0);
    EXPECT_GE(peakOf(w["Explos"]), peakOf(w["Suck"]));
    // The life-lost phrase falls; the slurp rises.
    EXPECT_GT(crossingRate(w["LifeLost"], 0.0, 0.15), 1.5 * crossingRate(w["LifeLost"], 0.9, 1.1));
    // The slurp starts at 220 Hz and ends well above twice that (two crossings per period).
    EXPECT_GT(crossingRate(w["Suck"], 0.11, 0.15), 2 * 2 * 220);
}

TEST_F(MediaBuild, BuildIsRepeatable) {
    TestFolder again;
    BuildResult r = buildAll(ASSETS_DIR, again.path(), again.file("smalfont.bmp"));
    ASSERT_TRUE(r.error.empty()) << r.error;
    for (const std::string& path : result_->written) {
        std::string name = path.substr(path.rfind('/') + 1);
        EXPECT_EQ(readText(path), readText(again.file(name))) << name;
    }
}

TEST(MediaBuildErrors, MissingSourcesAreReportedNotCrashed) {
    TestFolder out;
    BuildResult r = buildAll(out.file("no-such-assets"), out.path(), out.file("smalfont.bmp"));
    EXPECT_FALSE(r.error.empty());
    EXPECT_NE(r.error.find("cannot open"), std::string::npos) << r.error;
}

TEST(MediaBuildErrors, UnwritableOutputIsReported) {
    BuildResult r = buildAll(ASSETS_DIR, "/nonexistent-folder", "/nonexistent-folder/smalfont.bmp");
    EXPECT_FALSE(r.error.empty());
}

TEST(MediaContactSheet, ShowsEveryStrip) {
    TestFolder out;
    std::string error;
    ASSERT_TRUE(buildContactSheet(ASSETS_DIR, out.file("sheet.png"), error)) << error;
    Image sheet;
    ASSERT_TRUE(readPng(out.file("sheet.png"), sheet, error)) << error;
    ArtBook art;
    ASSERT_TRUE(loadArt(ASSETS_DIR, art, error)) << error;
    // Each strip's first frame, three times enlarged, stands in the frames' column, in slot order.
    int y = 0;
    for (const Strip& strip : buildStrips(art)) {
        const Image frame = frameOf(strip, 0).scaled(3);
        auto shownAt = [&](int top) {
            for (int j = 0; j < frame.height(); ++j)
                for (int i = 0; i < frame.width(); ++i)
                    if (frame.get(i, j).a == 255 && frame.get(i, j) != sheet.get(110 + i, top + j))
                        return false;
            return true;
        };
        while (y + frame.height() <= sheet.height() && !shownAt(y)) ++y;
        EXPECT_LE(y + frame.height(), sheet.height()) << strip.file << " is not on the sheet";
    }
}
