// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// PNG, bitmap and WAV writers of the media build, and the readers that check their output.
#include "codecs.h"

#include "tools/common/tool_files.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

namespace media {

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

bool writeAll(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return toolfiles::writeFileReplacing(path, bytes.data(), bytes.size(), error);
}

void pngError(png_structp png, png_const_charp msg) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = msg ? msg : "libpng error";
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

void appendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

uint32_t get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t get32(const uint8_t* p) { return get16(p) | (get16(p + 2) << 16); }

}  // namespace

bool writePng(const std::string& path, const Image& image, std::string& error, bool withAlpha) {
    if (image.width() <= 0 || image.height() <= 0) {
        error = path + ": empty image";
        return false;
    }
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> rows(static_cast<size_t>(image.width()) * image.height() * channels);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            Rgba p = image.get(x, y);
            uint8_t* d = &rows[(static_cast<size_t>(y) * image.width() + x) * channels];
            d[0] = p.r;
            d[1] = p.g;
            d[2] = p.b;
            if (withAlpha) d[3] = p.a;
        }
    std::vector<png_bytep> rowPtrs(image.height());
    for (int y = 0; y < image.height(); ++y)
        rowPtrs[y] = &rows[static_cast<size_t>(y) * image.width() * channels];

    // Encoded in memory first, so the file is replaced whole like every other output.
    std::vector<uint8_t> encoded;
    std::string pngMsg;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngMsg, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = path + ": out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = path + ": " + pngMsg;
        return false;
    }
    png_set_write_fn(png, &encoded, appendPngBytes, nullptr);
    png_set_IHDR(png, info, image.width(), image.height(), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rowPtrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return writeAll(path, encoded, error);
}

bool readPng(const std::string& path, Image& image, std::string& error, int* channelsOut) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = path + ": cannot open";
        return false;
    }
    uint8_t sig[8] = {};
    if (std::fread(sig, 1, 8, f.get()) != 8 || png_sig_cmp(sig, 0, 8) != 0) {
        error = path + ": not a PNG file";
        return false;
    }
    std::string pngMsg;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &pngMsg, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = path + ": out of memory";
        return false;
    }
    // Everything that owns memory lives outside the jump's reach.
    std::vector<uint8_t> rows;
    std::vector<png_bytep> rowPtrs;
    int width = 0, height = 0, channels = 0;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = path + ": " + pngMsg;
        return false;
    }
    png_init_io(png, f.get());
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > 16384 || h > 16384) png_error(png, "unreasonable image size");
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    int colorType = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    if (depth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    channels = png_get_channels(png, info);
    if (channels != 3 && channels != 4) png_error(png, "unexpected channel count");
    rows.resize(static_cast<size_t>(width) * height * channels);
    rowPtrs.resize(height);
    for (int y = 0; y < height; ++y) rowPtrs[y] = &rows[static_cast<size_t>(y) * width * channels];
    png_read_image(png, rowPtrs.data());
    png_read_end(png, nullptr);
    int originalChannels =
        (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS) ? 4 : 3;
    png_destroy_read_struct(&png, &info, nullptr);
    image = Image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* s = &rows[(static_cast<size_t>(y) * width + x) * channels];
            image.set(x, y, rgb(s[0], s[1], s[2], channels == 4 ? s[3] : 255));
        }
    if (channelsOut) *channelsOut = originalChannels;
    return true;
}

bool writeBmp24(const std::string& path, const Image& image, std::string& error) {
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0) {
        error = path + ": empty image";
        return false;
    }
    const uint32_t rowSize = ((w * 24 + 31) / 32) * 4;
    const uint32_t dataSize = rowSize * h;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + dataSize);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, dataSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < w; ++x) {
            Rgba p = image.get(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        while (out.size() - start < rowSize) out.push_back(0);
    }
    return writeAll(path, out, error);
}

bool writeWav16(const std::string& path, const std::vector<int16_t>& samples, int sampleRate,
                std::string& error) {
    if (samples.empty() || sampleRate <= 0) {
        error = path + ": no samples";
        return false;
    }
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    for (char c : std::string("RIFF")) out.push_back(c);
    put32(out, 36 + dataSize);
    for (char c : std::string("WAVEfmt ")) out.push_back(c);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, sampleRate);
    put32(out, sampleRate * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : std::string("data")) out.push_back(c);
    put32(out, dataSize);
    for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
    return writeAll(path, out, error);
}

bool readWav(const std::string& path, WavInfo& info, std::string& error) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        error = path + ": cannot open";
        return false;
    }
    std::vector<uint8_t> d;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) d.insert(d.end(), buf, buf + n);
    if (d.size() < 44 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
        std::memcmp(d.data() + 8, "WAVEfmt ", 8) != 0) {
        error = path + ": not a RIFF WAVE file with a leading format chunk";
        return false;
    }
    uint32_t fmtSize = get32(&d[16]);
    if (fmtSize < 16 || fmtSize > 64) {
        error = path + ": bad format chunk size";
        return false;
    }
    if (get16(&d[20]) != 1) {
        error = path + ": not PCM";
        return false;
    }
    info.channels = get16(&d[22]);
    info.sampleRate = static_cast<int>(get32(&d[24]));
    info.blockAlign = get16(&d[32]);
    info.bitsPerSample = get16(&d[34]);
    size_t pos = 20 + fmtSize;
    for (int chunk = 0; chunk < 2; ++chunk) {
        if (pos + 8 > d.size()) {
            error = path + ": truncated before the data chunk";
            return false;
        }
        uint32_t size = get32(&d[pos + 4]);
        if (std::memcmp(&d[pos], "fact", 4) == 0 && chunk == 0) {
            pos += 8 + size;
            continue;
        }
        if (std::memcmp(&d[pos], "data", 4) != 0) {
            error = path + ": a chunk other than the data chunk follows the format chunk";
            return false;
        }
        if (pos + 8 + size > d.size()) {
            error = path + ": data chunk runs past the end of the file";
            return false;
        }
        if (info.bitsPerSample != 16 || info.channels < 1 || info.channels > 2 ||
            info.blockAlign != 2 * info.channels) {
            error = path + ": only 16-bit PCM is read here";
            return false;
        }
        info.samples.resize(size / 2);
        for (size_t i = 0; i < info.samples.size(); ++i)
            info.samples[i] = static_cast<int16_t>(get16(&d[pos + 8 + 2 * i]));
        return true;
    }
    error = path + ": no data chunk";
    return false;
}

}  // namespace media
