// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Comparing frames with the recorded reference pictures, and recording them.
#include "reference_pictures.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "graphics/images.h"

#ifndef TOVRIK_REFERENCE_DIR
#error "TOVRIK_REFERENCE_DIR must name the folder of the reference pictures"
#endif

namespace {

uint32_t rgbAt(const std::vector<uint8_t>& rgba, size_t pixel) {
    const uint8_t* p = &rgba[pixel * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

std::string referencePath(const std::string& name) {
    return std::string(TOVRIK_REFERENCE_DIR) + "/" + name + ".png";
}

}  // namespace

bool recordingReferences() {
    const char* v = std::getenv("TOVRIK_RECORD_REFERENCES");
    return v && std::strcmp(v, "1") == 0;
}

namespace {

// How a picture is stored: a palette of its colours when there are at most 256, else RGB.
struct PngLayout {
    bool paletted = false;
    int depth = 8;
    std::vector<png_color> palette;
    std::map<uint32_t, int> indexOf;
};

PngLayout layoutFor(const std::vector<uint8_t>& rgba, size_t pixels) {
    PngLayout l;
    for (size_t i = 0; i < pixels && l.indexOf.size() <= 256; ++i)
        l.indexOf.emplace(rgbAt(rgba, i), 0);
    l.paletted = l.indexOf.size() <= 256;
    if (!l.paletted) return l;
    for (auto& [colour, index] : l.indexOf) {
        index = static_cast<int>(l.palette.size());
        l.palette.push_back({static_cast<png_byte>(colour >> 16),
                             static_cast<png_byte>(colour >> 8), static_cast<png_byte>(colour)});
    }
    const size_t n = l.palette.size();
    l.depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    return l;
}

void writeRows(png_structp png, png_infop info, FILE* f, const std::vector<uint8_t>& rgba,
               int width, int height, const PngLayout& l, std::vector<png_byte>& row) {
    png_init_io(png, f);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, width, height, l.depth,
                 l.paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (l.paletted) png_set_PLTE(png, info, l.palette.data(), static_cast<int>(l.palette.size()));
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            if (l.paletted) {
                // Indices packed most significant bits first.
                const int index = l.indexOf.at(rgbAt(rgba, i));
                const int bit = x * l.depth;
                row[bit / 8] |= static_cast<png_byte>(index << (8 - l.depth - bit % 8));
            } else {
                std::memcpy(&row[static_cast<size_t>(x) * 3], &rgba[i * 4], 3);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
}

// The long jump's frame: nothing here has a destructor.
bool writeGuarded(png_structp png, png_infop info, FILE* f, const std::vector<uint8_t>& rgba,
                  int width, int height, const PngLayout& l, std::vector<png_byte>& row) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    writeRows(png, info, f, rgba, width, height, l, row);
    return true;
}

}  // namespace

bool writeCompactPng(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                     int height) {
    const size_t pixels = static_cast<size_t>(width) * height;
    if (width <= 0 || height <= 0 || rgba.size() < pixels * 4) return false;
    const PngLayout layout = layoutFor(rgba, pixels);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3, 0);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && writeGuarded(png, info, f, rgba, width, height, layout, row);
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (std::fclose(f) != 0) ok = false;
    if (!ok) std::remove(path.c_str());
    return ok;
}

std::string compareWithReference(const std::string& name, const std::vector<uint8_t>& rgba,
                                 int width, int height, const std::string& failureFolder) {
    if (recordingReferences()) {
        return writeCompactPng(referencePath(name), rgba, width, height)
                   ? ""
                   : "cannot write " + referencePath(name);
    }
    RgbaImage reference;
    if (!decodePng(referencePath(name).c_str(), kNoColourKey, reference))
        return "no reference picture " + referencePath(name);
    if (reference.width != width || reference.height != height)
        return name + ": size " + std::to_string(width) + "x" + std::to_string(height) +
               ", reference " + std::to_string(reference.width) + "x" +
               std::to_string(reference.height);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        if (rgbAt(rgba, i) == rgbAt(reference.pixels, i)) continue;
        if (differing++ == 0) first = i;
    }
    if (differing == 0) return "";
    const std::string saved = failureFolder + "/" + name + "-actual.png";
    writeCompactPng(saved, rgba, width, height);
    char where[160];
    std::snprintf(where, sizeof where, "first at (%d, %d): %06x instead of %06x",
                  static_cast<int>(first % width), static_cast<int>(first / width),
                  rgbAt(rgba, first), rgbAt(reference.pixels, first));
    return name + ": " + std::to_string(differing) + " pixels differ, " + where + "; see " + saved;
}

std::string compareFileWithReference(const std::string& name, const std::string& pngPath,
                                     const std::string& failureFolder) {
    RgbaImage shot;
    if (!decodePng(pngPath.c_str(), kNoColourKey, shot)) return "no screenshot " + pngPath;
    return compareWithReference(name, shot.pixels, shot.width, shot.height, failureFolder);
}
