// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Image files: the bitmap and PNG decoders and the PNG writer for screenshots.
#include "graphics/images.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/regular_file.h"

namespace {

// Files larger than this cannot be a picture we accept (64 Mi pixels of 32 bits plus headers).
constexpr size_t kMaxImageFileBytes = 300u * 1024u * 1024u;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool sizeAcceptable(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

void applyKey(uint8_t* px, int colourKey) {
    if (colourKey == kNoColourKey) return;
    int colour = px[0] + 256 * px[1] + 65536 * px[2];
    if (colour == colourKey) px[0] = px[1] = px[2] = px[3] = 0;
}

}  // namespace

std::string systemPath(const char* path) {
    std::string s = path ? path : "";
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

bool readWholeFile(const char* path, std::vector<uint8_t>& out, size_t maxBytes) {
    out.clear();
    std::string p = systemPath(path);
    if (p.empty()) return false;
    FILE* f = openRegularFileForReading(p.c_str());
    if (!f) return false;
    bool ok = true;
    uint8_t chunk[65536];
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        if (out.size() + n > maxBytes) {
            ok = false;
            break;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Windows bitmap

namespace {

// What a bitmap's headers say about its pixels.
struct BmpLayout {
    uint32_t pixelOffset = 0;
    uint32_t headerSize = 0;  // of the info header: 12 or 40
    int64_t width = 0, height = 0;
    int bitCount = 0;
    bool topDown = false;
    const uint8_t* palette = nullptr;  // for 8 bits or fewer
    size_t paletteEntries = 0;
    size_t entryBytes = 4;
};

// Reads the file header and the info header: false for a damaged file and for the kinds this
// decoder does not take.
bool readBmpHeaders(const uint8_t* data, size_t size, BmpLayout& b) {
    // File header (14 bytes) and the size field of the info header.
    if (!data || size < 18 || data[0] != 'B' || data[1] != 'M') return false;
    b.pixelOffset = le32(data + 10);
    b.headerSize = le32(data + 14);
    uint32_t compression = 0;
    if (b.headerSize == 12) {
        if (size < 14 + 12) return false;
        b.width = le16(data + 18);
        b.height = static_cast<int16_t>(le16(data + 20));
        b.bitCount = le16(data + 24);
    } else if (b.headerSize == 40) {
        if (size < 14 + 40) return false;
        b.width = static_cast<int32_t>(le32(data + 18));
        b.height = static_cast<int32_t>(le32(data + 22));
        b.bitCount = le16(data + 28);
        compression = le32(data + 30);
    } else {
        return false;
    }
    // Run-length and embedded JPEG/PNG data are not pixel rows; reading them as rows would give
    // garbage. Bit fields (3) with the usual masks read fine as plain rows.
    if (compression != 0 && compression != 3) return false;

    // Negative height marks rows stored top to bottom.
    b.topDown = b.height < 0;
    if (b.topDown) b.height = -b.height;
    if (!sizeAcceptable(b.width, b.height)) return false;
    const int bits = b.bitCount;
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

// The palette of a bitmap of 8 bits or fewer: present when there are bytes between the info
// header and the pixel data. (For the 40-byte header this is the usual "pixel offset - 14 >= 41";
// the same fixed test would refuse every 1-bit bitmap with a 12-byte header, whose 6-byte
// palette ends at offset 32.) False when there is none or it runs past the end of the file.
bool findBmpPalette(const uint8_t* data, size_t size, BmpLayout& b) {
    b.entryBytes = b.headerSize == 12 ? 3 : 4;
    if (b.pixelOffset > 14 + b.headerSize) {
        const size_t start = 14 + b.headerSize;
        const size_t bytes = b.headerSize == 12 ? (static_cast<size_t>(1) << b.bitCount) * 3
                                                : (b.pixelOffset >= 54 ? b.pixelOffset - 54 : 0);
        if (start + bytes > size) return false;
        b.palette = data + start;
        b.paletteEntries = bytes / b.entryBytes;
    }
    return b.paletteEntries > 0;
}

// The palette index of pixel x of a row of 1, 4 or 8 bits a pixel.
unsigned bmpPaletteIndex(const uint8_t* row, int x, int bitCount) {
    if (bitCount == 8) return row[x];
    if (bitCount == 4) return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

}  // namespace

bool decodeBmpMemory(const uint8_t* data, size_t size, int colourKey, RgbaImage& image) {
    BmpLayout b;
    if (!readBmpHeaders(data, size, b)) return false;
    if (b.bitCount <= 8 && !findBmpPalette(data, size, b)) return false;

    // Pixel rows: row size is padded to 32 bits; every row must lie inside the file.
    const uint64_t rowSize = ((static_cast<uint64_t>(b.width) * b.bitCount + 31) / 32) * 4;
    const uint64_t dataBytes = rowSize * static_cast<uint64_t>(b.height);
    if (b.pixelOffset > size || dataBytes > size - b.pixelOffset) return false;
    const uint8_t* rows = data + b.pixelOffset;

    image.width = static_cast<int>(b.width);
    image.height = static_cast<int>(b.height);
    image.pixels.resize(static_cast<size_t>(b.width) * b.height * 4);

    for (int r = 0; r < image.height; ++r) {
        const int fileRow = b.topDown ? r : image.height - 1 - r;
        const uint8_t* src = rows + rowSize * static_cast<uint64_t>(fileRow);
        uint8_t* dst = image.pixel(0, r);
        for (int x = 0; x < image.width; ++x, dst += 4) {
            // Palette entries and pixels are stored blue, green, red.
            const uint8_t* bgr = src + static_cast<size_t>(x) * (b.bitCount / 8);
            if (b.bitCount <= 8) {
                const unsigned index = bmpPaletteIndex(src, x, b.bitCount);
                if (index >= b.paletteEntries) {
                    image.clear();
                    return false;  // an index outside the palette: damaged file
                }
                bgr = b.palette + index * b.entryBytes;
            }
            dst[0] = bgr[2];
            dst[1] = bgr[1];
            dst[2] = bgr[0];
            dst[3] = 255;
            applyKey(dst, colourKey);
        }
    }
    return true;
}

namespace {
// Whether the file begins with the given bytes; saves reading a whole large file that is not an
// image of that kind.
bool fileStartsWith(const char* path, const char* magic, size_t n) {
    FILE* f = openRegularFileForReading(systemPath(path).c_str());
    if (!f) return false;
    char head[8] = {};
    size_t got = std::fread(head, 1, n, f);
    std::fclose(f);
    return got == n && std::memcmp(head, magic, n) == 0;
}
}  // namespace

bool decodeBmp(const char* path, int colourKey, RgbaImage& image) {
    if (!fileStartsWith(path, "BM", 2)) return false;
    std::vector<uint8_t> file;
    if (!readWholeFile(path, file, kMaxImageFileBytes)) return false;
    return decodeBmpMemory(file.data(), file.size(), colourKey, image);
}

// ---------------------------------------------------------------------------------------------
// PNG

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void readCallback(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->pos) png_error(png, "unexpected end of file");
    std::memcpy(out, reader->data + reader->pos, count);
    reader->pos += count;
}

constexpr png_alloc_size_t kMaxPngChunkBytes = 8u * 1024u * 1024u;

// libpng's own allocations (row buffers, the inflate state, a chunk read whole) stay far below
// this for any sprite; a larger request comes from a size the file announces but does not hold,
// such as a text chunk claiming 1 GiB, and fails the decode instead.
png_voidp cappedMalloc(png_structp, png_alloc_size_t size) {
    return size <= kMaxPngChunkBytes ? std::malloc(size) : nullptr;
}
void cappedFree(png_structp, png_voidp p) { std::free(p); }

void quietWarning(png_structp, png_const_charp) {}
void errorToLongJump(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// The decode itself; kept apart from the setjmp frame so no object with a destructor lives there.
bool decodePngInner(png_structp png, png_infop info, const char* name, size_t fileSize,
                    int colourKey, RgbaImage& image, std::vector<png_bytep>& rowPointers,
                    std::vector<uint8_t>& raw) {
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info);
    png_uint_32 h = png_get_image_height(png, info);
    if (!sizeAcceptable(w, h)) return false;

    int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (png_get_bit_depth(png, info) < 8) png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    int depth = png_get_bit_depth(png, info);
    int channels = png_get_channels(png, info);
    colourType = png_get_color_type(png, info);
    if (depth != 8) {
        std::printf("File %s has bit depth %d.\n", name, depth);
        std::printf("Only bit depth of 8 is supported.");
        return false;
    }
    if (!((channels == 1 && colourType == PNG_COLOR_TYPE_GRAY) ||
          (channels == 3 && colourType == PNG_COLOR_TYPE_RGB) ||
          (channels == 4 && colourType == PNG_COLOR_TYPE_RGB_ALPHA))) {
        std::printf("File %s has unsupported color type.\n", name);
        std::printf("Types GRAY, RGB and RGB_ALPHA are supported.");
        return false;
    }
    size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes < static_cast<size_t>(w) * channels) return false;
    // Deflate packs at most 1032 bytes into one, so a file too small for its pixels is damaged;
    // refusing it here keeps a few bytes from claiming a picture's worth of memory.
    if (static_cast<uint64_t>(rowBytes + 1) * h > static_cast<uint64_t>(fileSize) * 1032)
        return false;
    raw.resize(rowBytes * h);
    rowPointers.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rowPointers[y] = raw.data() + rowBytes * y;
    png_read_image(png, rowPointers.data());

    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    image.pixels.resize(static_cast<size_t>(w) * h * 4);
    for (png_uint_32 y = 0; y < h; ++y) {
        const uint8_t* src = rowPointers[y];
        uint8_t* dst = image.pixel(0, static_cast<int>(y));
        for (png_uint_32 x = 0; x < w; ++x, dst += 4) {
            if (channels == 4) {
                std::memcpy(dst, src + x * 4, 4);
            } else if (channels == 3) {
                dst[0] = src[x * 3];
                dst[1] = src[x * 3 + 1];
                dst[2] = src[x * 3 + 2];
                dst[3] = 255;
                applyKey(dst, colourKey);
            } else {
                dst[0] = dst[1] = dst[2] = src[x];
                dst[3] = 255;
            }
        }
    }
    return true;
}

bool decodePngNamed(const uint8_t* data, size_t size, const char* name, int colourKey,
                    RgbaImage& image) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, errorToLongJump,
                                               quietWarning, nullptr, cappedMalloc, cappedFree);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // Also the limit for what a compressed text or profile chunk may unpack to.
    png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
    MemoryReader reader{data, size, 0};
    png_set_read_fn(png, &reader, readCallback);
    std::vector<png_bytep> rowPointers;
    std::vector<uint8_t> raw;
    volatile bool ok = false;  // survives the long jump
    if (setjmp(png_jmpbuf(png)) == 0) {
        ok = decodePngInner(png, info, name, size, colourKey, image, rowPointers, raw);
    } else {
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) image.clear();
    return ok;
}

}  // namespace

bool decodePngMemory(const uint8_t* data, size_t size, int colourKey, RgbaImage& image) {
    return decodePngNamed(data, size, "(memory)", colourKey, image);
}

bool decodePng(const char* path, int colourKey, RgbaImage& image) {
    if (!fileStartsWith(path, "\x89PNG\r\n\x1a\n", 8)) return false;
    std::vector<uint8_t> file;
    if (!readWholeFile(path, file, kMaxImageFileBytes)) return false;
    std::string name = systemPath(path);
    return decodePngNamed(file.data(), file.size(), name.c_str(), colourKey, image);
}

// ---------------------------------------------------------------------------------------------
// PNG writer

namespace {
bool writePngInner(png_structp png, png_infop info, FILE* f, const uint8_t* rgba, int width,
                   int height, bool keepAlpha, std::vector<uint8_t>& row) {
    png_init_io(png, f);
    // Speed over the last fifth of size: with zlib's default level and every row tried with all
    // five filters, writing one 320 x 240 screenshot cost as much processor time as a dozen level
    // frames, enough to stall the frame it is taken in. Game screens are mostly flat colour; the
    // fastest level without filtering writes them in a fifth of the time, a fifth larger.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = keepAlpha ? 4 : 3;
    row.resize(static_cast<size_t>(width) * channels);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                row[static_cast<size_t>(x) * channels + c] = src[x * 4 + c];
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    return true;
}
}  // namespace

bool writePng(const char* path, const uint8_t* rgba, int width, int height, bool keepAlpha) {
    if (!rgba || width <= 0 || height <= 0) return false;
    std::string p = systemPath(path);
    FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) return false;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, errorToLongJump, quietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;  // survives the long jump
    std::vector<uint8_t> row;
    if (png && info) {
        if (setjmp(png_jmpbuf(png)) == 0)
            ok = writePngInner(png, info, f, rgba, width, height, keepAlpha, row);
    }
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (std::fclose(f) != 0) ok = false;
    if (!ok) std::remove(p.c_str());
    return ok;
}
