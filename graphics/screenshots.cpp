// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screenshots of the logical screen and the names of numbered screenshot files.
#include "graphics/screenshots.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "graphics/images.h"
#include "graphics/renderer.h"
#include "runtime/folders.h"

double saveScreenshot(const char* path) {
    std::vector<uint8_t> rgba;
    if (!theRenderer || !path || !theRenderer->readLogicalScreen(rgba)) return 0;
    return writePng(path, rgba.data(), theRenderer->logicalWidth(), theRenderer->logicalHeight(),
                    false)
               ? 1
               : 0;
}

std::string nextScreenshotName(const std::string& folder) {
    for (int n = 1; n < 10000; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "/shot%04d.png", n);
        const std::string path = folder + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return path;
    }
    return "";
}

double saveNumberedScreenshot() {
    // The player's own folder (without one, the current folder: the program's after start-up).
    const std::string folder = playerFolder() + "Screenshots";
    mkdir(folder.c_str(), 0700);
    const std::string path = nextScreenshotName(folder);
    return path.empty() ? 0 : saveScreenshot(path.c_str());
}
