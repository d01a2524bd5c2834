// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The few places where the input and sound services reach the rest of the
// runtime: the error log, the shutdown order, the screen size and the media
// archive.
#include "devices/devices_internal.h"
#include "devices/input.h"
#include "devices/sound.h"

#include <string>

#include "runtime/archive.h"
#include "runtime/lifecycle.h"

void logDeviceWarning(const char* line) { appendErrorLog(line); }

void registerInputRelease() { setServiceRelease(ServiceStage::Input, closeInput); }

void registerSoundRelease() { setServiceRelease(ServiceStage::Sound, closeSound); }

void logicalScreenSize(int& width, int& height) {
    width = runtimeSettings.screenWidth;
    height = runtimeSettings.screenHeight;
}

std::string resolveMediaPath(const char* name) {
    std::string resolved;
    if (name && resolveMediaFile(name, resolved)) return resolved;
    // Not found anywhere: the name is used as it is (and then fails to open).
    std::string path = name ? name : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}
