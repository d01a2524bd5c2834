// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// What the input and sound services need from the rest of the runtime,
// gathered in one place (devices/runtime_links.cpp).
#pragma once

// Appends one line to the runtime's error log.
void logDeviceWarning(const char* line);
// Registers the release functions with the runtime's shutdown order.
void registerInputRelease();
void registerSoundRelease();
// The logical screen size from the runtime's settings.
void logicalScreenSize(int& width, int& height);
// A media file name resolved through the media archive; the name unchanged
// when the lookup fails.
#include <string>
std::string resolveMediaPath(const char* name);
