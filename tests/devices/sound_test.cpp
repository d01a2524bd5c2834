// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sound effects through SDL's disk audio driver: what the mixer writes is
// read back and measured per channel.
#include "devices/sound.h"
#include "devices/sound_internal.h"
#include "runtime/archive.h"
#include "test_support.h"
#include "tools/kqlpack/kql_format.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Burst {
    size_t first = 0, frames = 0;
    double rmsLeft = 0, rmsRight = 0;
    int peakLeft = 0, peakRight = 0, lowest = 0;
};

// Splits the stereo output into stretches of sound separated by at least
// 1000 silent frames.
std::vector<Burst> bursts(const std::vector<unsigned char>& raw) {
    const size_t frames = raw.size() / 4;
    auto sample = [&](size_t frame, int channel) {
        const size_t i = frame * 4 + static_cast<size_t>(channel) * 2;
        return static_cast<int16_t>(raw[i] | raw[i + 1] << 8);
    };
    std::vector<Burst> out;
    size_t f = 0;
    while (f < frames) {
        while (f < frames && sample(f, 0) == 0 && sample(f, 1) == 0) ++f;
        if (f >= frames) break;
        Burst b;
        b.first = f;
        size_t lastLoud = f, silent = 0;
        double sumL = 0, sumR = 0;
        for (; f < frames && silent < 1000; ++f) {
            const int l = sample(f, 0), r = sample(f, 1);
            if (l == 0 && r == 0) {
                ++silent;
                continue;
            }
            silent = 0;
            lastLoud = f;
            sumL += double(l) * l;
            sumR += double(r) * r;
            b.peakLeft = std::max(b.peakLeft, std::abs(l));
            b.peakRight = std::max(b.peakRight, std::abs(r));
            b.lowest = std::min({b.lowest, l, r});
        }
        b.frames = lastLoud - b.first + 1;
        b.rmsLeft = std::sqrt(sumL / double(b.frames));
        b.rmsRight = std::sqrt(sumR / double(b.frames));
        out.push_back(b);
    }
    return out;
}

double decibels(double a, double b) { return 20 * std::log10(a / b); }

class DiskSound : public ::testing::Test {
  protected:
    void SetUp() override {
        output_ = temp_.file("out.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        ASSERT_TRUE(openSound());
        ASSERT_TRUE(soundAvailable());
        click_ = temp_.file("click.wav");
        // 0.1 s of a 1 kHz tone.
        ASSERT_TRUE(
            writeBytes(click_, makeWav(WavFormat(), sineSamples(2205, 1, 22050, 1000, 16000))));
        long_ = temp_.file("long.wav");
        ASSERT_TRUE(
            writeBytes(long_, makeWav(WavFormat(), sineSamples(44100, 1, 22050, 440, 8000))));
    }
    void TearDown() override {
        closeSound();
        setSoundVolume(100);
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    static void waitWhilePlaying(double handle) {
        for (int i = 0; i < 1000 && isVoicePlaying(handle); ++i) std::this_thread::sleep_for(5ms);
        ASSERT_EQ(isVoicePlaying(handle), 0);
    }
    // Waits until the mixer has written the silence that ends a burst (with room for the file's
    // buffering), however slowly the machine runs it.
    void leaveSilence() {
        std::error_code e;
        const auto written = [&] { return std::filesystem::file_size(output_, e); };
        const uintmax_t enough = written() + 4 * 2000 + 8192;
        for (int i = 0; i < 2000 && written() < enough; ++i) std::this_thread::sleep_for(5ms);
        ASSERT_GE(written(), enough) << "the mixer wrote no silence";
    }
    // Plays the slot, waits for the end and leaves a stretch of silence.
    void playToEnd(int slot, double pan, double volume) {
        const double h = playSoundEffect(slot, pan, volume);
        ASSERT_GE(h, 0);
        waitWhilePlaying(h);
        leaveSilence();
    }
    std::vector<Burst> recorded() {
        closeSound();
        return bursts(readBytes(output_));
    }
    TestFolder temp_;
    std::string output_, click_, long_;
};

TEST_F(DiskSound, HalfVolumePlaysFiftyDecibelsDown) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 1, 1), 1);
    playToEnd(1, 0, 1);
    playToEnd(1, 0, 0.5);
    playToEnd(1, 0, 0.9);
    const std::vector<Burst> b = recorded();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_NEAR(b[0].rmsLeft, 16000 / std::sqrt(2.0), 200);
    EXPECT_NEAR(b[0].rmsRight, b[0].rmsLeft, 1);
    EXPECT_NEAR(decibels(b[0].rmsLeft, b[1].rmsLeft), 50, 0.5);
    EXPECT_NEAR(decibels(b[0].rmsRight, b[1].rmsRight), 50, 0.5);
    EXPECT_NEAR(decibels(b[0].rmsLeft, b[2].rmsLeft), 10, 0.2);  // 0.9: 90 * 100 - 10000
    // Every play starts the voice from its beginning and plays it whole.
    for (const Burst& burst : b) EXPECT_NEAR(double(burst.frames), 2205, 5);
}

TEST_F(DiskSound, ThePlayersVolumeOfFiftyHalvesTheOutput) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 1, 1), 1);
    playToEnd(1, 0, 1);
    setSoundVolume(50);
    playToEnd(1, 0, 1);
    setSoundVolume(250);  // beyond the scale: full volume
    playToEnd(1, 0, 1);
    const std::vector<Burst> b = recorded();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_NEAR(b[1].peakLeft, b[0].peakLeft / 2.0, 1);
    EXPECT_NEAR(b[1].rmsRight, b[0].rmsRight / 2, 1);
    EXPECT_EQ(b[2].peakLeft, b[0].peakLeft);
}

TEST_F(DiskSound, PanSilencesTheOppositeChannel) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 2, 1), 1);
    playToEnd(2, -1, 1);
    playToEnd(2, 1, 1);
    playToEnd(2, 0.5, 1);
    playToEnd(2, -7, 1);  // clamped to -1
    const std::vector<Burst> b = recorded();
    ASSERT_EQ(b.size(), 4u);
    EXPECT_GT(b[0].peakLeft, 15000);
    EXPECT_EQ(b[0].peakRight, 0);
    EXPECT_EQ(b[1].peakLeft, 0);
    EXPECT_GT(b[1].peakRight, 15000);
    EXPECT_NEAR(decibels(b[2].rmsRight, b[2].rmsLeft), 50, 0.5);
    EXPECT_EQ(b[3].peakRight, 0);
}

TEST_F(DiskSound, VoicesOverlapAndSaturateInsteadOfWrapping) {
    // A constant near full scale; two voices together exceed the 16-bit range.
    std::vector<int16_t> loud(22050, 30000);
    const std::string path = temp_.file("loud.wav");
    ASSERT_TRUE(writeBytes(path, makeWav(WavFormat(), loud)));
    ASSERT_EQ(loadSoundEffect(path.c_str(), 3, 2), 1);
    EXPECT_EQ(playSoundEffect(3, 0, 1), 3 * 256);
    EXPECT_EQ(playSoundEffect(3, 0, 1), 3 * 256 + 1);
    waitWhilePlaying(3 * 256);
    waitWhilePlaying(3 * 256 + 1);
    leaveSilence();
    const std::vector<Burst> b = recorded();
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[0].peakLeft, 32767);
    EXPECT_GE(b[0].lowest, 0);
}

TEST_F(DiskSound, OneVoiceIsNotRestartedWhilePlaying) {
    ASSERT_EQ(loadSoundEffect(long_.c_str(), 1, 1), 1);
    const double h = playSoundEffect(1, 0, 1);
    EXPECT_EQ(h, 256);
    EXPECT_EQ(isVoicePlaying(h), 1);
    EXPECT_LT(playSoundEffect(1, 0, 1), 0);
    EXPECT_EQ(isVoicePlaying(h), 1);
    stopAllSounds();
    EXPECT_EQ(isVoicePlaying(h), 0);
    EXPECT_EQ(playSoundEffect(1, 0, 1), 256);
}

TEST_F(DiskSound, SeveralVoicesTakeTurnsAndTheOldestIsRestarted) {
    ASSERT_EQ(loadSoundEffect(long_.c_str(), 10, 2), 1);
    EXPECT_EQ(playSoundEffect(10, 0, 1), 2560);
    EXPECT_EQ(playSoundEffect(10, 0, 1), 2561);
    EXPECT_EQ(isVoicePlaying(2560), 1);
    EXPECT_EQ(isVoicePlaying(2561), 1);
    EXPECT_EQ(playSoundEffect(10, 0, 1), 2560);
    EXPECT_EQ(isVoicePlaying(2560), 1);
    EXPECT_EQ(isVoicePlaying(2562), 0);  // beyond the slot's voices
    EXPECT_EQ(isVoicePlaying(-1), 0);
    EXPECT_EQ(isVoicePlaying(1e12), 0);
    EXPECT_EQ(soundSlotInfo(10).currentVoice, 0);
}

TEST_F(DiskSound, VoiceCountsAndSlotNumbersAreClamped) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 4, 7), 1);
    EXPECT_EQ(soundSlotInfo(4).voiceCount, 4);
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 5, 0), 1);
    EXPECT_EQ(soundSlotInfo(5).voiceCount, 1);
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 6, -3), 1);
    EXPECT_EQ(soundSlotInfo(6).voiceCount, 1);
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 300, 2), 1);
    EXPECT_EQ(soundSlotInfo(127).voiceCount, 2);
    EXPECT_EQ(playSoundEffect(200, 0, 1), 127 * 256);
    // Negative slots lie outside the table: refused, not indexed.
    EXPECT_EQ(loadSoundEffect(click_.c_str(), -1, 1), 0);
    EXPECT_LT(playSoundEffect(-1, 0, 1), 0);
    EXPECT_LT(playSoundEffect(20, 0, 1), 0);  // never loaded
    // Numbers far outside any range are clamped or refused, never undefined.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(loadSoundEffect(click_.c_str(), nan, 2), 0);
    EXPECT_EQ(loadSoundEffect(click_.c_str(), 1e300, 1e300), 1);
    EXPECT_EQ(soundSlotInfo(127).voiceCount, 4);
    EXPECT_EQ(loadSoundEffect(click_.c_str(), 11, nan), 1);
    EXPECT_EQ(soundSlotInfo(11).voiceCount, 1);
    EXPECT_LT(playSoundEffect(-1e300, 0, 1), 0);
    EXPECT_EQ(playSoundEffect(11, nan, nan), 11 * 256);
    EXPECT_EQ(isVoicePlaying(1e300), 0);
    EXPECT_EQ(isVoicePlaying(nan), 0);
    EXPECT_EQ(isVoicePlaying(-0.5), 0);
}

TEST_F(DiskSound, FailedLoadsLeaveTheSlotEmpty) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 7, 2), 1);
    EXPECT_EQ(soundSlotInfo(7).fileName, click_);
    EXPECT_EQ(loadSoundEffect(temp_.file("absent.wav").c_str(), 7, 2), 0);
    EXPECT_EQ(soundSlotInfo(7).voiceCount, 0);
    EXPECT_EQ(soundSlotInfo(7).fileName, "");
    EXPECT_LT(playSoundEffect(7, 0, 1), 0);
    WavFormat list;
    list.listChunk = true;
    const std::string bad = temp_.file("list.wav");
    ASSERT_TRUE(writeBytes(bad, makeWav(list, sineSamples(100, 1, 22050, 1000, 1000))));
    EXPECT_EQ(loadSoundEffect(bad.c_str(), 8, 1), 0);
    EXPECT_LT(playSoundEffect(8, 0, 1), 0);
    EXPECT_EQ(loadSoundEffect(static_cast<const char*>(nullptr), 8, 1), 0);
}

TEST_F(DiskSound, OtherFormatsAreConvertedToTheDeviceRate) {
    WavFormat wavFormat;
    wavFormat.frequency = 11025;
    wavFormat.bits = 8;
    const std::string slow = temp_.file("slow.wav");
    ASSERT_TRUE(writeBytes(slow, makeWav(wavFormat, sineSamples(1102, 1, 11025, 500, 12000))));
    ASSERT_EQ(loadSoundEffect(slow.c_str(), 9, 1), 1);
    EXPECT_NEAR(double(soundSlotInfo(9).frames), 2204, 8);
    wavFormat.frequency = 44100;
    wavFormat.bits = 16;
    wavFormat.channels = 2;
    const std::string fast = temp_.file("fast.wav");
    ASSERT_TRUE(writeBytes(fast, makeWav(wavFormat, sineSamples(4410, 2, 44100, 500, 12000))));
    ASSERT_EQ(loadSoundEffect(fast.c_str(), 9, 1), 1);
    EXPECT_NEAR(double(soundSlotInfo(9).frames), 2205, 8);
}

TEST_F(DiskSound, ClosingTwiceAndUsingAClosedSystemIsHarmless) {
    ASSERT_EQ(loadSoundEffect(click_.c_str(), 1, 1), 1);
    closeSound();
    closeSound();
    EXPECT_FALSE(soundAvailable());
    EXPECT_EQ(loadSoundEffect(click_.c_str(), 1, 1), 0);
    EXPECT_LT(playSoundEffect(1, 0, 1), 0);
    EXPECT_EQ(isVoicePlaying(256), 0);
    stopAllSounds();
}

TEST_F(DiskSound, SoundsComeFromTheMediaArchiveWhenNoLooseFileExists) {
    kql::PackInput entry;
    entry.name = "Suck.wav";
    const std::vector<unsigned char> wav =
        makeWav(WavFormat(), sineSamples(2205, 1, 22050, 1000, 16000));
    entry.data.assign(wav.begin(), wav.end());
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(kql::buildArchive({entry}, kql::OffsetStyle::Positive, archive, error)) << error;
    const std::string archivePath = temp_.file("Media.kql");
    ASSERT_TRUE(
        writeBytes(archivePath, std::vector<unsigned char>(archive.begin(), archive.end())));
    setMediaArchives(archivePath.c_str(), "");
    EXPECT_EQ(loadSoundEffect("Media\\SUCK.WAV", 1, 1), 1);
    EXPECT_EQ(soundSlotInfo(1).frames, 2205u);
    EXPECT_EQ(loadSoundEffect("Media/Absent.wav", 2, 1), 0);
    // A loose file wins over the archive, whatever the separators.
    EXPECT_EQ(loadSoundEffect((temp_.file("") + "click.wav").c_str(), 3, 1), 1);
    std::string backslashed = click_;
    for (char& c : backslashed) c = c == '/' ? '\\' : c;
    EXPECT_EQ(loadSoundEffect(backslashed.c_str(), 4, 1), 1);
    setMediaArchives("", "");
    releaseMediaArchives();
}

TEST(SoundWithoutDevice, LoadsFailAndPlaysAreNegative) {
    TestFolder temp;
    const std::string click = temp.file("click.wav");
    ASSERT_TRUE(writeBytes(click, makeWav(WavFormat(), sineSamples(2205, 1, 22050, 1000, 16000))));
    for (const char* driver : {"dummy", "none"}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        EXPECT_FALSE(openSound()) << driver;
        EXPECT_FALSE(soundAvailable());
        EXPECT_EQ(loadSoundEffect(click.c_str(), 1, 1), 0);
        EXPECT_EQ(playSoundEffect(1, 0, 1), -1);
        EXPECT_EQ(isVoicePlaying(256), 0);
        stopAllSounds();
        closeSound();
    }
    unsetenv("SDL_AUDIODRIVER");
}

TEST(GainLaw, HundredthsOfADecibel) {
    EXPECT_EQ(volumeToHundredthsDb(1), 0);
    EXPECT_EQ(volumeToHundredthsDb(0.5), -5000);
    EXPECT_EQ(volumeToHundredthsDb(0), -10000);
    EXPECT_EQ(volumeToHundredthsDb(2), 0);
    EXPECT_EQ(volumeToHundredthsDb(-1), -10000);
    EXPECT_EQ(volumeToHundredthsDb(0.999), -100);  // percent is truncated
    EXPECT_EQ(panToHundredthsDb(1), 10000);
    EXPECT_EQ(panToHundredthsDb(-0.25), -2500);
    EXPECT_EQ(panToHundredthsDb(9), 10000);
    EXPECT_EQ(panToHundredthsDb(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(volumeToHundredthsDb(std::numeric_limits<double>::quiet_NaN()), -10000);
    EXPECT_FLOAT_EQ(gainFromHundredthsDb(0), 1.0f);
    EXPECT_NEAR(gainFromHundredthsDb(-2000), 0.1f, 1e-6);
    EXPECT_EQ(gainFromHundredthsDb(-10000), 0.0f);
    float l = 0, r = 0;
    channelGains(0.5, -0.25, l, r);
    EXPECT_NEAR(l, std::pow(10.0, -2.5), 1e-6);
    EXPECT_NEAR(r, std::pow(10.0, -3.75), 1e-7);
    channelGains(0.5, -0.5, l, r);  // 100 dB down in all is silence
    EXPECT_EQ(r, 0.0f);
    channelGains(1, 1, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 1.0f);
}

}  // namespace
