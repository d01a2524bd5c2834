// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The WAV reader: accepted layouts, rejected layouts, and hostile files.
#include "devices/sound_internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>

namespace {

class WavReader : public ::testing::Test {
  protected:
    bool read(const std::vector<unsigned char>& bytes, WavSound& out) {
        const std::string path = temp_.file("sound.wav");
        EXPECT_TRUE(writeBytes(path, bytes));
        return readWavFile(path.c_str(), out);
    }
    TestFolder temp_;
    std::vector<int16_t> tone_ = sineSamples(441, 1, 22050, 1000, 12000);
};

TEST_F(WavReader, PlainMonoAndStereoFiles) {
    WavSound wav;
    ASSERT_TRUE(read(makeWav(WavFormat(), tone_), wav));
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.frequency, 22050);
    EXPECT_EQ(wav.bitsPerSample, 16);
    ASSERT_EQ(wav.data.size(), tone_.size() * 2);
    EXPECT_EQ(wav.data[2], static_cast<unsigned char>(tone_[1] & 0xFF));

    WavFormat stereo8;
    stereo8.channels = 2;
    stereo8.bits = 8;
    stereo8.frequency = 11025;
    ASSERT_TRUE(read(makeWav(stereo8, sineSamples(100, 2, 11025, 500, 9000)), wav));
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.frequency, 11025);
    EXPECT_EQ(wav.bitsPerSample, 8);
    EXPECT_EQ(wav.data.size(), 200u);
}

TEST_F(WavReader, OneFactChunkIsSkipped) {
    WavFormat wavFormat;
    wavFormat.factChunk = true;
    WavSound wav;
    ASSERT_TRUE(read(makeWav(wavFormat, tone_), wav));
    EXPECT_EQ(wav.data.size(), tone_.size() * 2);
}

TEST_F(WavReader, AnyOtherChunkBeforeTheDataIsRejected) {
    WavFormat wavFormat;
    wavFormat.listChunk = true;
    WavSound wav;
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));
    wavFormat.factChunk = true;  // fact, then LIST: still not data
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));
    EXPECT_TRUE(wav.data.empty());
}

TEST_F(WavReader, LongerFormatChunks) {
    WavSound wav;
    // The common extended header: size 18 with a zero extension size.
    std::vector<unsigned char> ext = makeWav(WavFormat(), tone_);
    ext[16] = 18;
    ext.insert(ext.begin() + 36, {0, 0});
    ASSERT_TRUE(read(ext, wav));
    EXPECT_EQ(wav.data.size(), tone_.size() * 2);
    // A fixed 14-byte extension, whatever the size field says.
    WavFormat fixed;
    fixed.formatChunkSize = 18;
    ASSERT_TRUE(read(makeWav(fixed, tone_), wav));
    EXPECT_EQ(wav.data.size(), tone_.size() * 2);
    // Size 30 describes exactly those 14 bytes.
    fixed.formatChunkSize = 30;
    fixed.factChunk = true;
    ASSERT_TRUE(read(makeWav(fixed, tone_), wav));
    EXPECT_EQ(wav.data.size(), tone_.size() * 2);
}

TEST_F(WavReader, FormatsNoSoundBufferTakes) {
    WavSound wav;
    WavFormat wavFormat;
    wavFormat.frequency = 0;
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));
    wavFormat.frequency = 500000;
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));

    std::vector<unsigned char> bytes = makeWav(WavFormat(), tone_);
    bytes[34] = 24;  // 24-bit samples with a 2-byte block
    EXPECT_FALSE(read(bytes, wav));
    bytes = makeWav(WavFormat(), tone_);
    bytes[32] = 3;  // block size that fits no channel count
    EXPECT_FALSE(read(bytes, wav));
    bytes = makeWav(WavFormat(), tone_);
    bytes[22] = 6;  // six channels: more than a buffer takes
    EXPECT_FALSE(read(bytes, wav));
    bytes = makeWav(WavFormat(), tone_);
    bytes[22] = 0;  // fewer than two channels count as one
    EXPECT_TRUE(read(bytes, wav));
    EXPECT_EQ(wav.channels, 1);
}

TEST_F(WavReader, ShortAndMissingFilesFail) {
    WavSound wav;
    EXPECT_FALSE(readWavFile(temp_.file("absent.wav").c_str(), wav));
    const std::vector<unsigned char> whole = makeWav(WavFormat(), tone_);
    for (size_t cut :
         {size_t{0}, size_t{20}, size_t{35}, size_t{40}, size_t{44}, whole.size() - 1}) {
        std::vector<unsigned char> part(whole.begin(), whole.begin() + static_cast<long>(cut));
        EXPECT_FALSE(read(part, wav)) << "cut at " << cut;
    }
    WavFormat empty;
    EXPECT_FALSE(read(makeWav(empty, {}), wav));
}

TEST_F(WavReader, DataSizeBeyondTheFileOrTheLimitFailsWithoutAllocating) {
    WavSound wav;
    WavFormat wavFormat;
    wavFormat.declaredDataSize = 0xFFFFFFF0LL;
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));
    wavFormat.declaredDataSize = static_cast<long long>(tone_.size() * 2 + 2);
    EXPECT_FALSE(read(makeWav(wavFormat, tone_), wav));

    // A file that really is larger than the limit: sparse, so it costs no disk.
    wavFormat.declaredDataSize = kMaxWavDataBytes + 2;
    const std::string path = temp_.file("huge.wav");
    ASSERT_TRUE(writeBytes(path, makeWav(wavFormat, tone_)));
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kMaxWavDataBytes) + 4096), 0);
    EXPECT_FALSE(readWavFile(path.c_str(), wav));
    EXPECT_TRUE(wav.data.empty());
}

TEST_F(WavReader, RandomDamageNeverCrashes) {
    const std::vector<unsigned char> good = makeWav(WavFormat(), tone_);
    std::mt19937 rng(1234);
    WavSound wav;
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> bytes = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) bytes[rng() % 60] = static_cast<unsigned char>(rng());
        if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
        if (read(bytes, wav)) {
            ++accepted;
            EXPECT_LE(wav.data.size(), bytes.size());
            EXPECT_TRUE(wav.channels == 1 || wav.channels == 2);
        }
    }
    EXPECT_LT(accepted, 300);
}

}  // namespace
