// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Sound effects: PCM WAV files loaded into numbered slots and played with a
// pan and a volume on one of up to four voices per slot.
//
// Slots 0..127 are addressable (128 and above use 127). A voice handle is
// slot * 256 + voice; a negative handle means nothing was played. Volume
// 0..1 is turned into hundredths of a decibel (p * 100 - 10000 for
// p = volume * 100), so 0.5 plays 50 dB down; pan -1..1 attenuates the
// opposite channel the same way (pan 1 silences the left channel).
//
// Without an audio device every load returns 0 and every play -1; the game
// keeps running.
#pragma once

struct TextValue;

// ---- Runtime-internal -----------------------------------------------------------

// Opens the audio device (stereo, 16-bit, 22050 Hz requested) and the table of
// 256 sound slots, once the window exists. Registers closeSound as the Sound
// shutdown stage. Returns false when there is no device; sound stays silent.
bool openSound();
// Re-attaches the device to the final window after the display mode was
// chosen. The audio device here is not tied to a window, so this only makes
// sure the device is running.
void setSoundWindow();
// Stops the device, empties all 256 slots and closes the device. Safe to call
// twice.
void closeSound();
// Stops and empties one slot.
void releaseSlot(int slot);
// True while an audio device is open.
bool soundAvailable();
// The player's sound volume in percent (0 silent .. 100 as the game plays it, the default),
// clamped; it scales the mixed output linearly, so 50 halves every sample.
void setSoundVolume(int percent);

// ---- Operations used by the game --------------------------------------------------

// Loads a WAV file (resolved through the media archive) into a slot with 1..4
// voices. 1 on success, 0 on failure (the slot is then empty).
double loadSoundEffect(const TextValue& fileName, double slot, double voices);
double loadSoundEffect(const char* fileName, double slot, double voices);
// Starts one voice of the slot; the voice handle or a negative number.
double playSoundEffect(double slot, double pan, double volume);
// 1 while the voice of that handle is playing, else 0.
double isVoicePlaying(double handle);
// Stops and rewinds every voice of slots 0..127.
void stopAllSounds();
