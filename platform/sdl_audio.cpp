// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Audio output over SDL2: one device, 16-bit stereo at the requested rate. SDL
// converts to the hardware's own format behind the callback, so the mixer
// only ever deals with one format.
#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

SDL_AudioDeviceID device = 0;
int deviceFrequency = 0;
PlatformAudioCallback userCallback = nullptr;
void* userData = nullptr;
bool subsystemStarted = false;

constexpr size_t kMaxConvertedBytes = size_t{512} << 20;

void SDLCALL feed(void*, Uint8* stream, int len) {
    const int frames = len / 4;
    if (userCallback) {
        userCallback(userData, reinterpret_cast<int16_t*>(stream), frames);
    } else {
        std::memset(stream, 0, static_cast<size_t>(len));
    }
}

}  // namespace

bool platformAudioOpen(int frequency, PlatformAudioCallback callback, void* user) {
    if (device) return true;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystemStarted = true;
    }
    // The dummy driver swallows everything: for the program that is the same
    // as having no sound device, and sound stays off.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || SDL_strcmp(driver, "dummy") == 0) {
        if (subsystemStarted) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemStarted = false;
        }
        return false;
    }
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = frequency;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;  // about 23 ms at 22050 Hz: short enough for effects
    want.callback = feed;
    userCallback = callback;
    userData = user;
    SDL_AudioSpec have;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        userCallback = nullptr;
        userData = nullptr;
        if (subsystemStarted) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemStarted = false;
        }
        return false;
    }
    deviceFrequency = frequency;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void platformAudioClose() {
    if (device) {
        SDL_PauseAudioDevice(device, 1);
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    deviceFrequency = 0;
    userCallback = nullptr;
    userData = nullptr;
    if (subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
    }
}

int platformAudioFrequency() { return deviceFrequency; }

void platformAudioLock() {
    if (device) SDL_LockAudioDevice(device);
}

void platformAudioUnlock() {
    if (device) SDL_UnlockAudioDevice(device);
}

bool platformAudioConvert(const unsigned char* data, size_t bytes, int channels, int bitsPerSample,
                          int fromFrequency, int toFrequency, std::vector<int16_t>& out) {
    out.clear();
    if (channels < 1 || channels > 2 || fromFrequency <= 0 || toFrequency <= 0) return false;
    SDL_AudioFormat format;
    if (bitsPerSample == 8) {
        format = AUDIO_U8;
    } else if (bitsPerSample == 16) {
        format = AUDIO_S16LSB;
    } else {
        return false;
    }
    const size_t frameBytes =
        static_cast<size_t>(channels) * static_cast<size_t>(bitsPerSample / 8);
    bytes -= bytes % frameBytes;
    if (bytes == 0 || bytes > static_cast<size_t>(INT32_MAX)) return false;

    // One conversion over the whole block. (This SDL version's streaming
    // converter drops resampled output for some block sizes.)
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, format, static_cast<Uint8>(channels), fromFrequency, AUDIO_S16SYS,
                          2, toFrequency) < 0) {
        return false;
    }
    const size_t capacity = bytes * static_cast<size_t>(std::max(cvt.len_mult, 1));
    // A tiny sample rate stretches a block enormously; such a sound is refused
    // rather than allowed to claim gigabytes.
    if (capacity > kMaxConvertedBytes || capacity > static_cast<size_t>(INT32_MAX)) return false;
    std::vector<int16_t> work((capacity + 1) / 2 + 8);
    std::memcpy(work.data(), data, bytes);
    cvt.buf = reinterpret_cast<Uint8*>(work.data());
    cvt.len = static_cast<int>(bytes);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return false;
    const size_t produced = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : bytes;
    if (produced > work.size() * sizeof(int16_t)) return false;
    work.resize(produced / sizeof(int16_t));
    work.resize(work.size() - work.size() % 2);  // whole stereo frames only
    out.swap(work);
    return !out.empty();
}
