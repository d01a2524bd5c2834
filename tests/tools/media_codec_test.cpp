// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Readers and writers of the media builder and its source parsers, with damaged and malformed
// input; plus the first-run save files of the build.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "codecs.h"
#include "font_art.h"
#include "image.h"
#include "pixelart.h"
#include "sfx.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

using namespace media;

namespace {

Image sample() {
    Image img(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            img.set(x, y, rgb(x * 30, y * 50, 200, (x + y) % 3 ? 255 : x * 20));
    return img;
}

std::string wavHeader(const std::string& between, uint32_t dataSize, uint16_t bits = 16) {
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 0xff);
        return s;
    };
    return "RIFF" + le(36 + dataSize, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(22050, 4) + le(44100, 4) + le(bits / 8, 2) + le(bits, 2) + between + "data" +
           le(dataSize, 4);
}

}  // namespace

TEST(Png, RoundTripKeepsEveryChannel) {
    TestFolder dir;
    std::string error;
    Image img = sample(), back;
    ASSERT_TRUE(writePng(dir.file("a.png"), img, error)) << error;
    int channels = 0;
    ASSERT_TRUE(readPng(dir.file("a.png"), back, error, &channels)) << error;
    EXPECT_EQ(channels, 4);
    EXPECT_EQ(back.pixels(), img.pixels());

    ASSERT_TRUE(writePng(dir.file("b.png"), img, error, false)) << error;
    ASSERT_TRUE(readPng(dir.file("b.png"), back, error, &channels)) << error;
    EXPECT_EQ(channels, 3);
    EXPECT_EQ(back.get(0, 0).a, 255) << "an RGB image reads back opaque";
    EXPECT_EQ(back.get(3, 2).r, img.get(3, 2).r);
}

TEST(Png, DamagedFilesAreRefusedCleanly) {
    TestFolder dir;
    std::string error;
    Image img;
    EXPECT_FALSE(readPng(dir.file("missing.png"), img, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);

    writeText(dir.file("text.png"), "this is not a picture");
    EXPECT_FALSE(readPng(dir.file("text.png"), img, error));
    EXPECT_NE(error.find("not a PNG"), std::string::npos);

    ASSERT_TRUE(writePng(dir.file("good.png"), sample(), error));
    std::string good = readText(dir.file("good.png"));
    for (size_t cut : {size_t(8), size_t(20), size_t(40), good.size() / 2, good.size() - 12}) {
        writeText(dir.file("cut.png"), good.substr(0, cut));
        EXPECT_FALSE(readPng(dir.file("cut.png"), img, error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty());
    }
    // A flipped byte inside the image data breaks its checksum.
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x5a;
    writeText(dir.file("flip.png"), flipped);
    EXPECT_FALSE(readPng(dir.file("flip.png"), img, error));
}

TEST(Png, RefusesToWriteNothingOrToAMissingFolder) {
    std::string error;
    EXPECT_FALSE(writePng("/tmp/never.png", Image(), error));
    EXPECT_FALSE(writePng("/nonexistent-folder/x.png", sample(), error));
    EXPECT_FALSE(error.empty());
}

TEST(Bmp, RowsArePaddedAndStoredBottomUp) {
    TestFolder dir;
    std::string error;
    Image img(5, 3, rgb(0, 0, 0));
    img.set(0, 0, rgb(10, 20, 30));  // top-left
    img.set(4, 2, rgb(40, 50, 60));  // bottom-right
    ASSERT_TRUE(writeBmp24(dir.file("a.bmp"), img, error)) << error;
    std::string b = readText(dir.file("a.bmp"));
    ASSERT_EQ(b.size(), 54u + 16u * 3u);  // 15 bytes of pixels padded to 16 per row
    // The file's first row is the image's bottom row; pixels are blue, green, red.
    EXPECT_EQ(uint8_t(b[54 + 12]), 60);
    EXPECT_EQ(uint8_t(b[54 + 13]), 50);
    EXPECT_EQ(uint8_t(b[54 + 14]), 40);
    EXPECT_EQ(uint8_t(b[54 + 32]), 30);
    EXPECT_EQ(uint8_t(b[54 + 34]), 10);
    EXPECT_FALSE(writeBmp24(dir.file("e.bmp"), Image(), error));
}

TEST(Wav, RoundTripAndLayout) {
    TestFolder dir;
    std::string error;
    std::vector<int16_t> s = {0, 1000, -1000, 32767, -32768, 5};
    ASSERT_TRUE(writeWav16(dir.file("a.wav"), s, 22050, error)) << error;
    WavInfo w;
    ASSERT_TRUE(readWav(dir.file("a.wav"), w, error)) << error;
    EXPECT_EQ(w.samples, s);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.sampleRate, 22050);
    EXPECT_EQ(readText(dir.file("a.wav")).size(), 44u + 12u);
    EXPECT_FALSE(writeWav16(dir.file("b.wav"), {}, 22050, error));
}

TEST(Wav, OtherLayoutsAndDamageAreRefused) {
    TestFolder dir;
    std::string error;
    WavInfo w;
    EXPECT_FALSE(readWav(dir.file("missing.wav"), w, error));

    writeText(dir.file("short.wav"), "RIFF");
    EXPECT_FALSE(readWav(dir.file("short.wav"), w, error));

    // A LIST chunk between the format and the data chunk is not accepted by the game's loader.
    std::string list = "LIST" + std::string("\4\0\0\0", 4) + "abcd";
    writeText(dir.file("list.wav"), wavHeader(list, 4) + std::string(4, '\0'));
    EXPECT_FALSE(readWav(dir.file("list.wav"), w, error));
    EXPECT_NE(error.find("other than the data"), std::string::npos) << error;

    // A fact chunk there is fine.
    std::string fact = "fact" + std::string("\4\0\0\0", 4) + "abcd";
    writeText(dir.file("fact.wav"), wavHeader(fact, 4) + std::string(4, '\0'));
    EXPECT_TRUE(readWav(dir.file("fact.wav"), w, error)) << error;
    EXPECT_EQ(w.samples.size(), 2u);

    // Data chunk announcing more bytes than the file has.
    writeText(dir.file("long.wav"), wavHeader("", 1000) + std::string(10, '\0'));
    EXPECT_FALSE(readWav(dir.file("long.wav"), w, error));
    EXPECT_NE(error.find("past the end"), std::string::npos);

    writeText(dir.file("8bit.wav"), wavHeader("", 4, 8) + std::string(4, '\0'));
    EXPECT_FALSE(readWav(dir.file("8bit.wav"), w, error));
}

TEST(Synth, MixIsScaledToThePeakAndLastsAsLongAsItsTones) {
    SoundRecipe recipe;
    std::string error;
    ASSERT_TRUE(
        parseSound("peak = 0.5\n[tone]\nwave = sine\nfreq = 440\nattack = 0.01\nsustain = 0.1\n"
                   "decay = 0.1\n[tone]\nstart = 0.3\nwave = noise\nfreq = 5000\nsustain = 0.05\n"
                   "decay = 0.05\nattack = 0\n",
                   "test", recipe, error))
        << error;
    ASSERT_EQ(recipe.tones.size(), 2u);
    EXPECT_EQ(recipe.tones[1].wave, Wave::Noise);
    std::vector<int16_t> s = renderSound(recipe);
    EXPECT_NEAR(static_cast<double>(s.size()), 0.4 * kSampleRate, 1.0);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(peak, 0.5 * 32767, 2);
    // The gap between the tones is silent.
    for (size_t i = size_t(0.23 * kSampleRate); i < size_t(0.29 * kSampleRate); ++i)
        EXPECT_EQ(s[i], 0);
}

TEST(Synth, BadSoundFilesAreRefusedWithTheLine) {
    SoundRecipe recipe;
    std::string error;
    EXPECT_FALSE(parseSound("peak = 0.5\n", "s", recipe, error));
    EXPECT_NE(error.find("no [tone]"), std::string::npos);
    EXPECT_FALSE(parseSound("[tone]\nfrequency = 3\n", "s", recipe, error));
    EXPECT_NE(error.find("s:2: unknown key"), std::string::npos) << error;
    EXPECT_FALSE(parseSound("[tone]\nfreq = 0\n", "s", recipe, error));
    EXPECT_NE(error.find("between"), std::string::npos);
    EXPECT_FALSE(parseSound("[tone]\nfreq = loud\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("[tone]\nfreq = nan\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("wave = sine\n[tone]\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("[tone]\nwave = organ\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("peak = 0\n[tone]\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("[tone]\nattack = 0\nsustain = 0\ndecay = 0\n", "s", recipe, error));
    EXPECT_FALSE(parseSound("[tone]\njust words\n", "s", recipe, error));
}

TEST(PixelArt, GridsAndTheirErrors) {
    ArtBook art;
    std::string error;
    ASSERT_TRUE(art.parse("colour a 1 2 3\ncolour b 4 5 6 128\ngrid g 3 2\na.b\nbba\n", "t", error))
        << error;
    EXPECT_EQ(art.grid("g").get(0, 0), rgb(1, 2, 3));
    EXPECT_EQ(art.grid("g").get(1, 0).a, 0);
    EXPECT_EQ(art.grid("g").get(0, 1), rgb(4, 5, 6, 128));
    EXPECT_THROW(art.grid("nothing"), std::runtime_error);

    EXPECT_FALSE(art.parse("grid g 3 1\naaa\n", "t", error));
    EXPECT_NE(error.find("defined twice"), std::string::npos);
    EXPECT_FALSE(art.parse("grid h 3 1\naa\n", "t", error));
    EXPECT_NE(error.find("t:2"), std::string::npos) << error;
    EXPECT_FALSE(art.parse("grid i 2 1\nzz\n", "t", error));
    EXPECT_NE(error.find("'z'"), std::string::npos);
    EXPECT_FALSE(art.parse("grid j 2 3\naa\n", "t", error));
    EXPECT_NE(error.find("cut short"), std::string::npos);
    EXPECT_FALSE(art.parse("colour . 1 2 3\n", "t", error));
    EXPECT_FALSE(art.parse("colour c 1 2 300\n", "t", error));
    EXPECT_FALSE(art.parse("paint everything\n", "t", error));
}

TEST(Glyphs, EveryPrintableCharacterIsRequired) {
    GlyphSet g;
    std::string error;
    std::string text;
    for (int c = 32; c < 127; ++c) {
        text += c == 32 ? std::string("glyph space\n") : "glyph " + std::string(1, char(c)) + "\n";
        for (int r = 0; r < 8; ++r) text += c == 'A' && r == 0 ? "#...#\n" : ".....\n";
    }
    ASSERT_TRUE(g.parse(text, "f", error)) << error;
    EXPECT_EQ(g.count(), 95);
    EXPECT_TRUE(g.ink('A', 0, 0));
    EXPECT_TRUE(g.ink('A', 4, 0));
    EXPECT_FALSE(g.ink('A', 2, 0));
    EXPECT_FALSE(g.ink('A', 5, 0)) << "outside the glyph";
    EXPECT_FALSE(g.ink(200, 0, 0));

    GlyphSet missing;
    std::string noZ = text.substr(0, text.find("glyph Z"));
    noZ += text.substr(text.find("glyph [", text.find("glyph Z")));
    EXPECT_FALSE(missing.parse(noZ, "f", error));
    EXPECT_NE(error.find("'Z'"), std::string::npos) << error;

    GlyphSet bad;
    std::string badRow = text;
    badRow.replace(badRow.find("#...#"), 5, "#..x#");
    EXPECT_FALSE(bad.parse(badRow, "f", error));
    GlyphSet twice;
    EXPECT_FALSE(twice.parse(
        text + "glyph A\n.....\n.....\n.....\n.....\n.....\n.....\n.....\n.....\n", "f", error));
    GlyphSet cut;
    EXPECT_FALSE(cut.parse("glyph A\n.....\n", "f", error));
    EXPECT_NE(error.find("cut short"), std::string::npos);
}

TEST(ImageOps, TurnsMirrorsAndOutlines) {
    Image img = sample();
    EXPECT_EQ(img.rotatedLeft().rotatedLeft().rotatedLeft().rotatedLeft().pixels(), img.pixels());
    EXPECT_EQ(img.rotatedLeft().rotatedRight().pixels(), img.pixels());
    EXPECT_EQ(img.mirroredX().mirroredX().pixels(), img.pixels());
    EXPECT_EQ(img.rotatedLeft().width(), img.height());
    EXPECT_EQ(img.mirroredX().get(0, 1), img.get(6, 1));

    Image dot(5, 5);
    dot.set(2, 2, rgb(255, 255, 255));
    Image ring = dot.outlined(rgb(1, 1, 1));
    EXPECT_EQ(ring.opaqueCount(), 5);
    EXPECT_EQ(dot.outlined(rgb(1, 1, 1), true).opaqueCount(), 9);
    EXPECT_EQ(dot.scaled(3).opaqueCount(), 9);
    EXPECT_EQ(dot.faded(0.5).get(2, 2).a, 128);
    // Drawing respects transparency; pasting copies it.
    Image canvas(5, 5, rgb(9, 9, 9));
    canvas.draw(dot, 0, 0);
    EXPECT_EQ(canvas.get(0, 0), rgb(9, 9, 9));
    canvas.paste(dot, 0, 0);
    EXPECT_EQ(canvas.get(0, 0).a, 0);
}

// The build creates the profile, name and score files only when they are missing.
TEST(SaveFiles, CreatedWhenMissingAndNeverOverwritten) {
    TestFolder dir;
    std::string maps = dir.file("Maps");
    std::string cmd = std::string(CMAKE_EXE) + " -DMAPS_DIR=" + maps + " -P " + ASSETS_DIR +
                      "/initial_saves.cmake > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(readText(maps + "/Player.bin"), std::string(8, '\0'));
    EXPECT_EQ(readText(maps + "/Name.bin"), std::string(6400, '\0'));
    EXPECT_EQ(readText(maps + "/Data.bin"), std::string(3200, '\0'));

    // A player's scores and name survive the next build.
    std::string scores(3200, '\0');
    scores[0] = char(0xD2);
    scores[1] = 0x04;
    writeText(maps + "/Data.bin", scores);
    writeText(maps + "/Player.bin", std::string("bug\0\0\0\0\0", 8));
    std::remove((maps + "/Name.bin").c_str());
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(readText(maps + "/Data.bin"), scores);
    EXPECT_EQ(readText(maps + "/Player.bin"), std::string("bug\0\0\0\0\0", 8));
    EXPECT_EQ(readText(maps + "/Name.bin"), std::string(6400, '\0'))
        << "the missing one is made again";
}
