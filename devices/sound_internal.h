// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Pieces of the sound service that tests and the runtime's start-up reach
// directly; the game uses devices/sound.h only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A WAV file as read: raw PCM samples in the file's own format.
struct WavSound {
    int channels = 0;  // 1 or 2
    int frequency = 0;
    int bitsPerSample = 0;  // 8 or 16
    std::vector<unsigned char> data;
};

// No sound effect is anywhere near this; a larger announced size means a
// corrupt or hostile file.
constexpr uint32_t kMaxWavDataBytes = 64u * 1024u * 1024u;

// Reads a WAV file: a 36-byte header, 14 more bytes of format chunk when its
// size is not 16, at most one "fact" chunk, then "data". Anything else, a
// short read, a data size beyond the file or kMaxWavDataBytes, or a format no
// sound buffer takes fails.
bool readWavFile(const char* path, WavSound& out);

// Volume 0..1 as hundredths of a decibel: percent * 100 - 10000.
int volumeToHundredthsDb(double volume);
// Pan -1..1 as hundredths of a decibel taken off the opposite channel.
int panToHundredthsDb(double pan);
// Linear gain for an attenuation in hundredths of a decibel; -10000 is silence.
float gainFromHundredthsDb(int hundredths);
// Left and right gains for a volume and pan.
void channelGains(double volume, double pan, float& left, float& right);

struct SoundSlotInfo {
    int voiceCount = 0;
    int currentVoice = 0;
    std::string fileName;
    size_t frames = 0;  // converted length at the device rate
};
SoundSlotInfo soundSlotInfo(int slot);
