// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Image decoders and the PNG writer: pixel values for every supported format, colour keys, and
// damaged files that must be refused without reading outside the data.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

#include "graphics/images.h"
#include "graphics/screenshots.h"
#include "picture_helpers.h"
#include "runtime/folders.h"

namespace {

const Rgb kPalette[4] = {{10, 20, 30}, {200, 100, 50}, {0, 255, 0}, {255, 0, 128}};

void expectPixel(const RgbaImage& img, int x, int y, int r, int g, int b, int a) {
    const uint8_t* p = img.pixel(x, y);
    EXPECT_EQ(p[0], r) << "red at " << x << "," << y;
    EXPECT_EQ(p[1], g) << "green at " << x << "," << y;
    EXPECT_EQ(p[2], b) << "blue at " << x << "," << y;
    EXPECT_EQ(p[3], a) << "alpha at " << x << "," << y;
}

bool decodeBmpBytes(const std::vector<uint8_t>& bytes, RgbaImage& img, int key = kNoColourKey) {
    return decodeBmpMemory(bytes.data(), bytes.size(), key, img);
}

Rgb gradient(int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 60),
               static_cast<uint8_t>(7 + x + y)};
}

}  // namespace

TEST(BmpDecoding, TrueColourDepthsBottomUpAndTopDown) {
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            BmpLayout s;
            s.bits = bits;
            s.width = 5;  // odd width: rows are padded
            s.height = 3;
            s.topDown = topDown;
            s.colour = gradient;
            RgbaImage img;
            ASSERT_TRUE(decodeBmpBytes(makeBmp(s), img)) << bits << " bits, top-down " << topDown;
            ASSERT_EQ(img.width, 5);
            ASSERT_EQ(img.height, 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    Rgb c = gradient(x, y);
                    expectPixel(img, x, y, c.r, c.g, c.b, 255);
                }
        }
    }
}

TEST(BmpDecoding, PalettedDepthsIncludingCoreHeader) {
    for (int bits : {1, 4, 8}) {
        for (bool core : {false, true}) {
            BmpLayout s;
            s.bits = bits;
            s.width = 11;  // not a multiple of 8 pixels per byte
            s.height = 2;
            s.coreHeader = core;
            s.palette.assign(kPalette, kPalette + (bits == 1 ? 2 : 4));
            const unsigned colours = bits == 1 ? 2 : 4;
            s.index = [colours](int x, int y) { return static_cast<unsigned>(x + y) % colours; };
            RgbaImage img;
            ASSERT_TRUE(decodeBmpBytes(makeBmp(s), img)) << bits << " bits, core header " << core;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 11; ++x) {
                    Rgb c = kPalette[(x + y) % colours];
                    expectPixel(img, x, y, c.r, c.g, c.b, 255);
                }
        }
    }
}

TEST(BmpDecoding, ColourKeyMakesExactColourTransparent) {
    BmpLayout s;
    s.bits = 24;
    s.width = 2;
    s.height = 1;
    s.colour = [](int x, int) { return x == 0 ? Rgb{255, 0, 128} : Rgb{255, 0, 127}; };
    RgbaImage img;
    ASSERT_TRUE(decodeBmpBytes(makeBmp(s), img, 0x8000FF));
    expectPixel(img, 0, 0, 0, 0, 0, 0);
    expectPixel(img, 1, 0, 255, 0, 127, 255);
    ASSERT_TRUE(decodeBmpBytes(makeBmp(s), img, kNoColourKey));
    expectPixel(img, 0, 0, 255, 0, 128, 255);
}

TEST(BmpDecoding, DamagedFilesAreRefused) {
    BmpLayout s;
    s.bits = 8;
    s.width = 4;
    s.height = 4;
    s.palette.assign(kPalette, kPalette + 4);
    s.index = [](int x, int) { return static_cast<unsigned>(x); };
    const std::vector<uint8_t> good = makeBmp(s);
    RgbaImage img;
    ASSERT_TRUE(decodeBmpBytes(good, img));

    // Palette index beyond the 4 stored entries.
    BmpLayout badIndex = s;
    badIndex.index = [](int x, int y) { return x == 3 && y == 3 ? 9u : 0u; };
    EXPECT_FALSE(decodeBmpBytes(makeBmp(badIndex), img));

    // Every prefix of the file (truncated header, palette or rows).
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_FALSE(decodeBmpBytes(cut, img)) << "truncated to " << n;
    }

    auto patched = [&](size_t at, uint32_t value, size_t bytes = 4) {
        std::vector<uint8_t> v = good;
        for (size_t i = 0; i < bytes; ++i) v[at + i] = (value >> (8 * i)) & 255;
        return v;
    };
    EXPECT_FALSE(decodeBmpBytes(patched(10, 0xFFFFFFF0u), img)) << "pixel offset beyond the file";
    EXPECT_FALSE(decodeBmpBytes(patched(10, 5000), img)) << "palette runs past the end";
    EXPECT_FALSE(decodeBmpBytes(patched(18, 65536), img)) << "width x height overflows the rows";
    EXPECT_FALSE(decodeBmpBytes(patched(22, 0x80000000u), img)) << "height of -2^31";
    EXPECT_FALSE(decodeBmpBytes(patched(18, 0xFFFFFFFCu), img)) << "negative width";
    EXPECT_FALSE(decodeBmpBytes(patched(18, 0), img)) << "zero width";
    EXPECT_FALSE(decodeBmpBytes(patched(18, 100000), img)) << "wider than any sprite";
    EXPECT_FALSE(decodeBmpBytes(patched(28, 16, 2), img)) << "16 bits per pixel";
    EXPECT_FALSE(decodeBmpBytes(patched(14, 108), img)) << "unknown header size";
    EXPECT_FALSE(decodeBmpBytes(patched(30, 1), img)) << "run-length compressed";
    EXPECT_FALSE(decodeBmpBytes(patched(0, 'X', 1), img)) << "no BM signature";

    // Paletted without a palette (pixel data right behind the header).
    BmpLayout noPalette = s;
    noPalette.palette.clear();
    EXPECT_FALSE(decodeBmpBytes(makeBmp(noPalette), img));
}

TEST(BmpDecoding, RandomCorruptionNeverCrashes) {
    BmpLayout s;
    s.bits = 4;
    s.width = 9;
    s.height = 5;
    s.palette.assign(kPalette, kPalette + 4);
    s.index = [](int x, int y) { return static_cast<unsigned>(x * y) % 4; };
    const std::vector<uint8_t> good = makeBmp(s);
    std::mt19937 rng(1234);
    RgbaImage img;
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> v = good;
        int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; ++i) v[rng() % v.size()] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0) v.resize(rng() % v.size());
        if (decodeBmpBytes(v, img)) {
            ++accepted;
            EXPECT_EQ(img.pixels.size(), static_cast<size_t>(img.width) * img.height * 4);
        }
    }
    // Flips in the pixel rows keep a file readable; the rest are refused.
    EXPECT_GT(accepted, 0);
}

TEST(PngDecoding, ColourTypesAndKey) {
    RgbaImage img;
    // RGB: the key colour becomes transparent.
    std::vector<unsigned> rgb = {255, 0, 128, 1, 2, 3};
    auto bytes = makePng(2, 1, PNG_COLOR_TYPE_RGB, 8, rgb);
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), 0x8000FF, img));
    expectPixel(img, 0, 0, 0, 0, 0, 0);
    expectPixel(img, 1, 0, 1, 2, 3, 255);

    // RGBA: the same colour stays as it is.
    std::vector<unsigned> rgba = {255, 0, 128, 255, 9, 8, 7, 100};
    bytes = makePng(2, 1, PNG_COLOR_TYPE_RGBA, 8, rgba);
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), 0x8000FF, img));
    expectPixel(img, 0, 0, 255, 0, 128, 255);
    expectPixel(img, 1, 0, 9, 8, 7, 100);

    // Grey: copied to all three channels, never keyed.
    bytes = makePng(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 77});
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), 0, img));
    expectPixel(img, 0, 0, 0, 0, 0, 255);
    expectPixel(img, 1, 0, 77, 77, 77, 255);

    // 2-bit grey expands to 8 bits.
    bytes = makePng(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0, 1, 2, 3});
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), kNoColourKey, img));
    expectPixel(img, 1, 0, 85, 85, 85, 255);
    expectPixel(img, 3, 0, 255, 255, 255, 255);

    // Palette with a transparency chunk: expanded to RGBA.
    bytes = makePng(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0, 1, 2},
                    {{1, 2, 3}, {40, 50, 60}, {7, 7, 7}}, {0, 255, 128});
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), kNoColourKey, img));
    expectPixel(img, 0, 0, 1, 2, 3, 0);
    expectPixel(img, 1, 0, 40, 50, 60, 255);
    expectPixel(img, 2, 0, 7, 7, 7, 128);

    // 16-bit RGB is stripped to 8 bits.
    bytes = makePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xFF00, 0x1234, 0x00FF});
    ASSERT_TRUE(decodePngMemory(bytes.data(), bytes.size(), kNoColourKey, img));
    expectPixel(img, 0, 0, 0xFF, 0x12, 0x00, 255);
}

TEST(PngDecoding, RefusedInputs) {
    RgbaImage img;
    testing::internal::CaptureStdout();
    auto bytes = makePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 20});
    EXPECT_FALSE(decodePngMemory(bytes.data(), bytes.size(), kNoColourKey, img));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("has unsupported color type."), std::string::npos);

    // Truncated anywhere before the end of the image data (the last 16 bytes are the data chunk's
    // checksum and the end chunk, which the decoder does not need), and corrupted bytes: refused,
    // never a crash.
    bytes = makePng(8, 8, PNG_COLOR_TYPE_RGB, 8, std::vector<unsigned>(8 * 8 * 3, 42));
    for (size_t n = 0; n + 16 < bytes.size(); ++n)
        EXPECT_FALSE(decodePngMemory(bytes.data(), n, kNoColourKey, img)) << n;
    std::mt19937 rng(99);
    for (int round = 0; round < 500; ++round) {
        std::vector<uint8_t> v = bytes;
        v[8 + rng() % (v.size() - 8)] ^= static_cast<uint8_t>(1 + rng() % 255);
        decodePngMemory(v.data(), v.size(), kNoColourKey, img);  // either result is fine
    }
    EXPECT_FALSE(decodePngMemory(nullptr, 0, kNoColourKey, img));
    EXPECT_FALSE(decodePng("/nonexistent/file.png", kNoColourKey, img));
    EXPECT_FALSE(decodeBmp("/nonexistent/file.bmp", kNoColourKey, img));
}

TEST(PngWriting, RoundTripAndBackslashPaths) {
    const std::string dir = scratchFolder("pngwrite");
    std::vector<uint8_t> rgba = {1, 2, 3, 255, 250, 128, 0, 255, 9, 9, 9, 255, 0, 0, 0, 255};
    std::string path = dir + "\\shot.png";  // backslashes are separators too
    ASSERT_TRUE(writePng(path.c_str(), rgba.data(), 2, 2, false));
    RgbaImage img;
    ASSERT_TRUE(decodePng((dir + "/shot.png").c_str(), kNoColourKey, img));
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(std::vector<uint8_t>(img.pixels.begin(), img.pixels.end()), rgba);
    EXPECT_FALSE(writePng("/nonexistent-folder/x.png", rgba.data(), 2, 2, false));
    EXPECT_FALSE(writePng((dir + "/y.png").c_str(), rgba.data(), 0, 2, false));
}

// F12's numbered pictures never leave the player folder: a link planted under the next free name
// (dangling or not) or in the place of Screenshots/ itself carries nothing outside.
TEST(NumberedScreenshots, APlantedLinkCarriesNothingOutsideThePlayerFolder) {
    const std::string dir = scratchFolder("shotlinks");
    const std::string player = dir + "/player/", outside = dir + "/outside";
    mkdir(player.c_str(), 0700);
    mkdir(outside.c_str(), 0700);
    mkdir((player + "Screenshots").c_str(), 0700);
    symlink((outside + "/new.png").c_str(), (player + "Screenshots/shot0001.png").c_str());
    std::ofstream(outside + "/old.png") << "kept";
    symlink((outside + "/old.png").c_str(), (player + "Screenshots/shot0002.png").c_str());
    setPlayerFolder(player);
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G'};
    std::string placed;
    ASSERT_TRUE(placeNumberedScreenshot(png, placed));
    EXPECT_EQ(placed, player + "Screenshots/shot0003.png");
    struct stat st;
    EXPECT_NE(lstat((outside + "/new.png").c_str(), &st), 0);
    std::ifstream old(outside + "/old.png");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "kept");

    // Screenshots/ as a link to a folder elsewhere: refused, nothing written there.
    const std::string other = dir + "/other-player/";
    mkdir(other.c_str(), 0700);
    symlink(outside.c_str(), (other + "Screenshots").c_str());
    setPlayerFolder(other);
    EXPECT_FALSE(placeNumberedScreenshot(png, placed));
    EXPECT_NE(lstat((outside + "/shot0001.png").c_str(), &st), 0);
    setPlayerFolder("");
}
