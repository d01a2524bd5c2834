// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Bitmaps and PNGs of every kind, made by the tests themselves.
#include "picture_helpers.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void put16(std::vector<uint8_t>& v, size_t at, unsigned x) {
    v[at] = x & 255;
    v[at + 1] = (x >> 8) & 255;
}
void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = (x >> (8 * i)) & 255;
}
}  // namespace

std::vector<uint8_t> makeBmp(const BmpLayout& s) {
    const bool paletted = s.bits <= 8;
    const size_t headerSize = s.coreHeader ? 12 : 40;
    const size_t entryBytes = s.coreHeader ? 3 : 4;
    size_t paletteEntries = paletted ? (s.coreHeader ? (1u << s.bits) : s.palette.size()) : 0;
    const size_t offset = 14 + headerSize + paletteEntries * entryBytes;
    const size_t rowSize = ((static_cast<size_t>(s.width) * s.bits + 31) / 32) * 4;
    std::vector<uint8_t> v(offset + rowSize * s.height, 0);
    v[0] = 'B';
    v[1] = 'M';
    put32(v, 2, static_cast<uint32_t>(v.size()));
    put32(v, 10, static_cast<uint32_t>(offset));
    put32(v, 14, static_cast<uint32_t>(headerSize));
    if (s.coreHeader) {
        put16(v, 18, s.width);
        put16(v, 20, s.topDown ? static_cast<unsigned>(-s.height) & 0xFFFF : s.height);
        put16(v, 22, 1);
        put16(v, 24, s.bits);
    } else {
        put32(v, 18, static_cast<uint32_t>(s.width));
        put32(v, 22, static_cast<uint32_t>(s.topDown ? -s.height : s.height));
        put16(v, 26, 1);
        put16(v, 28, s.bits);
    }
    for (size_t i = 0; i < paletteEntries; ++i) {
        Rgb c = i < s.palette.size() ? s.palette[i] : Rgb{0, 0, 0};
        size_t at = 14 + headerSize + i * entryBytes;
        v[at] = c.b;
        v[at + 1] = c.g;
        v[at + 2] = c.r;
    }
    for (int y = 0; y < s.height; ++y) {
        const int fileRow = s.topDown ? y : s.height - 1 - y;
        uint8_t* row = &v[offset + rowSize * fileRow];
        for (int x = 0; x < s.width; ++x) {
            if (paletted) {
                unsigned i = s.index(x, y);
                if (s.bits == 8) row[x] = static_cast<uint8_t>(i);
                if (s.bits == 4) row[x / 2] |= static_cast<uint8_t>((x & 1) ? (i & 15) : (i << 4));
                if (s.bits == 1) row[x / 8] |= static_cast<uint8_t>((i & 1) << (7 - x % 8));
            } else {
                Rgb c = s.colour(x, y);
                uint8_t* p = row + x * (s.bits / 8);
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
                if (s.bits == 32) p[3] = 0x5A;  // ignored by the decoder
            }
        }
    }
    return v;
}

namespace {
struct Sink {
    std::vector<uint8_t>* out;
};
void writeToVector(png_structp png, png_bytep data, png_size_t n) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + n);
}
void noFlush(png_structp) {}
}  // namespace

std::vector<uint8_t> makePng(int width, int height, int colourType, int depth,
                             const std::vector<unsigned>& samples, const std::vector<Rgb>& palette,
                             const std::vector<uint8_t>& trns) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    Sink sink{&out};
    png_set_write_fn(png, &sink, writeToVector, noFlush);
    png_set_IHDR(png, info, width, height, depth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> pal;
    for (const Rgb& c : palette) pal.push_back(png_color{c.r, c.g, c.b});
    if (!pal.empty()) png_set_PLTE(png, info, pal.data(), static_cast<int>(pal.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    int channels = colourType == PNG_COLOR_TYPE_RGB          ? 3
                   : colourType == PNG_COLOR_TYPE_RGBA       ? 4
                   : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                             : 1;
    size_t rowBytes = (static_cast<size_t>(width) * channels * depth + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int i = 0; i < width * channels; ++i) {
            unsigned s = samples[static_cast<size_t>(y) * width * channels + i];
            if (depth == 16) {
                row[i * 2] = static_cast<uint8_t>(s >> 8);
                row[i * 2 + 1] = static_cast<uint8_t>(s & 255);
            } else if (depth == 8) {
                row[i] = static_cast<uint8_t>(s);
            } else {
                int bitPos = i * depth;
                row[bitPos / 8] |= static_cast<uint8_t>(s << (8 - depth - bitPos % 8));
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string scratchFolder(const char* name) {
    // The tests point TMPDIR at their own folder; new folders still go beside the first one.
    static const std::string base = [] {
        const char* b = std::getenv("TMPDIR");
        return std::string(b && *b ? b : "/tmp");
    }();
    std::string folder = base + "/tovrik-gtest-" + std::to_string(getpid()) + "-" + name;
    std::string cmd = "rm -rf '" + folder + "'";
    if (std::system(cmd.c_str()) != 0) return folder;
    mkdir(folder.c_str(), 0700);
    return folder;
}
