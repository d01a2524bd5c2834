// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sound effects: 256 slots of 1..4 voices sharing one converted sample block,
// mixed by our own small mixer on the platform's audio thread.
//
// Everything a voice owns that the mixer reads (sample block, position, gains,
// playing flag) is changed only while holding the audio device lock; the
// mixer touches nothing else of the program.
#include "devices/sound.h"
#include "devices/devices_internal.h"
#include "devices/sound_internal.h"

#include "platform/audio.h"
#include "runtime/regular_file.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSlotCount = 256;
constexpr int kAddressableSlots = 128;
constexpr int kMaxVoices = 4;
constexpr int kDeviceFrequency = 22050;

struct Voice {
    std::shared_ptr<const std::vector<int16_t>> samples;  // interleaved stereo, device rate
    size_t frame = 0;                                     // next frame to play
    bool playing = false;
    float gainLeft = 1.0f, gainRight = 1.0f;
};

struct SoundSlot {
    int voiceCount = 0;
    int currentVoice = 0;
    std::string fileName;
    bool hasDevice = false;  // the voices belong to the open device
    Voice voices[kMaxVoices];
};

struct SoundSystem {
    bool open = false;
    std::unique_ptr<SoundSlot[]> slots;
};

SoundSystem sound;

// The player's volume in percent, applied to the mixed output.
std::atomic<int> masterVolume{100};

struct AudioLock {
    AudioLock() { platformAudioLock(); }
    ~AudioLock() { platformAudioUnlock(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

// Mixes every playing voice into the device buffer. Audio thread; the device
// lock is held by the platform while this runs.
void mixVoices(void*, int16_t* out, int frames) {
    static thread_local std::vector<int32_t> mix;
    mix.assign(static_cast<size_t>(frames) * 2, 0);
    if (sound.slots) {
        for (int s = 0; s < kSlotCount; ++s) {
            SoundSlot& slot = sound.slots[s];
            for (int v = 0; v < slot.voiceCount; ++v) {
                Voice& voice = slot.voices[v];
                if (!voice.playing || !voice.samples) continue;
                const std::vector<int16_t>& data = *voice.samples;
                const size_t total = data.size() / 2;
                size_t n = 0;
                for (; n < static_cast<size_t>(frames) && voice.frame < total; ++n, ++voice.frame) {
                    mix[2 * n] +=
                        static_cast<int32_t>(std::lround(data[2 * voice.frame] * voice.gainLeft));
                    mix[2 * n + 1] += static_cast<int32_t>(
                        std::lround(data[2 * voice.frame + 1] * voice.gainRight));
                }
                // The voice stops at its end and stays there, as a one-shot
                // buffer does; the next play starts it from the beginning.
                if (voice.frame >= total) voice.playing = false;
            }
        }
    }
    const int64_t volume = masterVolume.load(std::memory_order_relaxed);
    for (size_t i = 0; i < mix.size(); ++i) {
        const int64_t scaled = int64_t{mix[i]} * volume / 100;
        out[i] = static_cast<int16_t>(std::clamp<int64_t>(scaled, -32768, 32767));
    }
}

// Slots 128 and above use slot 127. Negative slots (and NaN) lie outside the
// table and give -1, which every caller refuses.
int addressableSlot(double slot) {
    if (!(slot > -1.0)) return -1;
    if (slot >= kAddressableSlots) return kAddressableSlots - 1;
    return static_cast<int>(slot);
}

void stopAndEmpty(SoundSlot& slot) {
    AudioLock lock;
    for (Voice& voice : slot.voices) voice = Voice();
    slot.voiceCount = 0;
}

}  // namespace

// ---- Gain laws ----------------------------------------------------------------

float gainFromHundredthsDb(int hundredths) {
    // The quietest setting (100 dB down) is silence, not merely very quiet.
    if (hundredths <= -10000) return 0.0f;
    if (hundredths >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

int volumeToHundredthsDb(double volume) {
    const double v = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    const int percent = static_cast<int>(v * 100.0);
    return percent * 100 - 10000;
}

int panToHundredthsDb(double pan) {
    const double p = std::isnan(pan) ? 0.0 : std::clamp(pan, -1.0, 1.0);
    return static_cast<int>(p * 10000.0);
}

void channelGains(double volume, double pan, float& left, float& right) {
    const int attenuation = volumeToHundredthsDb(volume);
    const int panUnits = panToHundredthsDb(pan);
    // Positive pan attenuates the left channel, negative pan the right one.
    const int leftDb = attenuation - std::max(panUnits, 0);
    const int rightDb = attenuation + std::min(panUnits, 0);
    left = gainFromHundredthsDb(leftDb);
    right = gainFromHundredthsDb(rightDb);
}

// ---- WAV reading ----------------------------------------------------------------

namespace {

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool readWavFile(const char* path, WavSound& out) {
    out = WavSound();
    std::unique_ptr<FILE, FileCloser> file(openRegularFileForReading(path));
    if (!file) return false;
    FILE* f = file.get();
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    const long fileSize = std::ftell(f);
    if (fileSize < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;

    unsigned char header[36];
    if (std::fread(header, 1, sizeof header, f) != sizeof header) return false;
    const uint32_t formatSize = le32(header + 16);
    const int channels = le16(header + 22);
    const uint32_t rate = le32(header + 24);
    const int blockAlign = le16(header + 32);
    const int bits = le16(header + 34);
    unsigned char chunk[8];
    if (formatSize == 16) {
        if (std::fread(chunk, 1, 8, f) != 8) return false;
    } else {
        // A longer format chunk is skipped by its own size (18 for the common
        // extended header, 40 for the extensible one). Files laid out with a
        // fixed 14-byte extension whatever the size says are still accepted.
        const bool found =
            formatSize >= 16 && formatSize <= 1024 &&
            std::fseek(f, 20 + static_cast<long>(formatSize + (formatSize & 1)), SEEK_SET) == 0 &&
            std::fread(chunk, 1, 8, f) == 8 &&
            (std::memcmp(chunk, "fact", 4) == 0 || std::memcmp(chunk, "data", 4) == 0);
        if (!found) {
            if (std::fseek(f, 50, SEEK_SET) != 0 || std::fread(chunk, 1, 8, f) != 8) return false;
        }
    }
    if (std::memcmp(chunk, "fact", 4) == 0) {
        if (std::fseek(f, static_cast<long>(le32(chunk + 4)), SEEK_CUR) != 0) return false;
        if (std::fread(chunk, 1, 8, f) != 8) return false;
    }
    if (std::memcmp(chunk, "data", 4) != 0) return false;
    const uint32_t dataSize = le32(chunk + 4);

    // The buffer takes the file's own format with 1 or 2 channels; a format
    // whose block size does not match its channels and sample size, or a rate
    // outside what a sound buffer accepts, cannot become a buffer.
    const int bufferChannels = channels < 2 ? 1 : 2;
    if (bits != 8 && bits != 16) return false;
    if (blockAlign != bufferChannels * bits / 8) return false;
    if (rate < 100 || rate > 200000) return false;

    // A size announced beyond the end of the file or beyond any sane sound is
    // refused before anything is allocated for it.
    const long position = std::ftell(f);
    if (position < 0 || dataSize > kMaxWavDataBytes ||
        dataSize > static_cast<uint64_t>(fileSize - position)) {
        return false;
    }
    if (dataSize < static_cast<uint32_t>(blockAlign)) return false;

    out.data.resize(dataSize);
    if (std::fread(out.data.data(), 1, dataSize, f) != dataSize) {
        out = WavSound();
        return false;
    }
    out.channels = bufferChannels;
    out.frequency = static_cast<int>(rate);
    out.bitsPerSample = bits;
    return true;
}

// ---- Service life ----------------------------------------------------------------

bool openSound() {
    if (!sound.slots) sound.slots.reset(new SoundSlot[kSlotCount]);
    if (!sound.open) sound.open = platformAudioOpen(kDeviceFrequency, mixVoices, nullptr);
    registerSoundRelease();
    return sound.open;
}

void setSoundWindow() {
    // The device is not tied to a window here; nothing to re-attach.
}

bool soundAvailable() { return sound.open; }

void setSoundVolume(int percent) { masterVolume = std::clamp(percent, 0, 100); }

void releaseSlot(int slot) {
    if (!sound.slots || slot < 0 || slot >= kSlotCount) return;
    stopAndEmpty(sound.slots[slot]);
    sound.slots[slot].fileName.clear();
    sound.slots[slot].hasDevice = false;
}

void closeSound() {
    if (sound.slots) {
        for (int s = 0; s < kSlotCount; ++s) releaseSlot(s);
    }
    platformAudioClose();
    sound.open = false;
    sound.slots.reset();
}

// ---- Operations -------------------------------------------------------------------

double loadSoundEffect(const char* fileName, double slotNumber, double voices) {
    const int s = addressableSlot(slotNumber);
    if (!sound.slots || s < 0) return 0;  // negative slots would index outside the table
    SoundSlot& slot = sound.slots[s];

    const std::string path = resolveMediaPath(fileName ? fileName : "");
    if (slot.voiceCount > 0) stopAndEmpty(slot);
    slot.currentVoice = 0;
    slot.hasDevice = sound.open;
    if (!sound.open) {
        slot.fileName.clear();
        return 0;
    }
    const int count =
        std::isnan(voices) ? 1 : static_cast<int>(std::clamp(voices, 1.0, double(kMaxVoices)));
    slot.fileName = path;

    WavSound wav;
    auto samples = std::make_shared<std::vector<int16_t>>();
    if (!readWavFile(path.c_str(), wav) ||
        !platformAudioConvert(wav.data.data(), wav.data.size(), wav.channels, wav.bitsPerSample,
                              wav.frequency, platformAudioFrequency(), *samples)) {
        slot.fileName.clear();
        return 0;
    }
    AudioLock lock;
    for (int v = 0; v < count; ++v) {
        slot.voices[v] = Voice();
        slot.voices[v].samples = samples;
    }
    slot.voiceCount = count;
    return 1;
}

double playSoundEffect(double slotNumber, double pan, double volume) {
    const int s = addressableSlot(slotNumber);
    if (!sound.slots || s < 0 || !sound.open) return -1;
    SoundSlot& slot = sound.slots[s];
    if (!slot.hasDevice || slot.voiceCount == 0) return -1;

    float left = 1.0f, right = 1.0f;
    channelGains(volume, pan, left, right);

    AudioLock lock;
    Voice* voice = &slot.voices[slot.currentVoice];
    if (voice->playing) {
        if (slot.voiceCount == 1) return -1;  // a single voice is not restarted
        slot.currentVoice = (slot.currentVoice + 1) % slot.voiceCount;
        voice = &slot.voices[slot.currentVoice];
        if (voice->playing) {
            voice->playing = false;
            voice->frame = 0;
        }
    }
    if (!voice->samples) return -1;
    if (voice->frame >= voice->samples->size() / 2) voice->frame = 0;
    voice->gainLeft = left;
    voice->gainRight = right;
    voice->playing = true;
    return s * 256.0 + slot.currentVoice;
}

double isVoicePlaying(double handle) {
    if (!sound.slots || !(handle >= 0 && handle < kSlotCount * 256.0)) return 0;
    const long h = static_cast<long>(handle);
    const long s = h / 256;
    const long v = h % 256;
    if (s >= kSlotCount) return 0;
    SoundSlot& slot = sound.slots[s];
    if (v >= slot.voiceCount) return 0;
    AudioLock lock;
    return slot.voices[v].playing ? 1 : 0;
}

void stopAllSounds() {
    if (!sound.slots) return;
    AudioLock lock;
    for (int s = 0; s < kAddressableSlots; ++s) {
        SoundSlot& slot = sound.slots[s];
        for (int v = 0; v < slot.voiceCount; ++v) {
            slot.voices[v].playing = false;
            slot.voices[v].frame = 0;
        }
    }
}

SoundSlotInfo soundSlotInfo(int slot) {
    SoundSlotInfo info;
    if (!sound.slots || slot < 0 || slot >= kSlotCount) return info;
    const SoundSlot& s = sound.slots[slot];
    info.voiceCount = s.voiceCount;
    info.currentVoice = s.currentVoice;
    info.fileName = s.fileName;
    if (s.voiceCount > 0 && s.voices[0].samples) info.frames = s.voices[0].samples->size() / 2;
    return info;
}
