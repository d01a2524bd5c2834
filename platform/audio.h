// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The audio output device over the platform library: one stereo 16-bit stream
// fed from a callback that runs on the platform's audio thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Fills `frames` stereo frames (interleaved left, right) at the device rate.
// Runs on the audio thread; it must only touch state guarded by
// platformAudioLock.
using PlatformAudioCallback = void (*)(void* user, int16_t* out, int frames);

// Opens the default output device with 16-bit stereo samples at `frequency`.
// The platform converts to whatever the hardware wants, so the callback always
// sees exactly this format. Starts playback. False when no device exists.
bool platformAudioOpen(int frequency, PlatformAudioCallback callback, void* user);
// Stops the callback and closes the device. Safe to call when not open.
void platformAudioClose();
// The rate the callback is fed at (0 when closed).
int platformAudioFrequency();
// Guards state shared with the callback. Nestable; no-ops when closed.
void platformAudioLock();
void platformAudioUnlock();

// Converts PCM sample data (8-bit unsigned or 16-bit signed little-endian,
// 1 or 2 channels, any rate) into interleaved 16-bit stereo at `toFrequency`.
// False for a format the converter does not accept.
bool platformAudioConvert(const unsigned char* data, size_t bytes, int channels, int bitsPerSample,
                          int fromFrequency, int toFrequency, std::vector<int16_t>& out);
