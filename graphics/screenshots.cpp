// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screenshots of the logical screen and the names of numbered screenshot files.
#include "graphics/screenshots.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "graphics/images.h"
#include "graphics/renderer.h"
#include "runtime/folders.h"

namespace {
const char kFolder[] = "Screenshots";
}

double saveScreenshot(const char* path) {
    std::vector<uint8_t> rgba;
    if (!theRenderer || !path || !theRenderer->readLogicalScreen(rgba)) return 0;
    return writePng(path, rgba.data(), theRenderer->logicalWidth(), theRenderer->logicalHeight(),
                    false)
               ? 1
               : 0;
}

bool placeNumberedScreenshot(const std::vector<uint8_t>& png, std::string& placed) {
    // The player's own folder (without one, the current folder: the program's after start-up).
    const std::string& player = playerFolder();
    int top = open(player.empty() ? "." : player.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return false;
    // Neither the folder nor the file is reached through a link: a link planted under either
    // name would carry the picture out of the player folder.
    mkdirat(top, kFolder, 0700);
    int folder = openat(top, kFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(top);
    if (folder < 0) return false;
    bool ok = false;
    for (int n = 1; n < 10000 && !ok; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.png", n);
        int fd = openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;  // taken, by a picture or anything else
            break;
        }
        const uint8_t* p = png.data();
        size_t left = png.size();
        while (left > 0) {
            ssize_t put = write(fd, p, left);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            p += put;
            left -= static_cast<size_t>(put);
        }
        ok = left == 0 && fsync(fd) == 0;
        ok = close(fd) == 0 && ok;
        if (!ok) {
            unlinkat(folder, name, 0);  // a part of a picture is no picture
            break;
        }
        placed = player + kFolder + "/" + name;
    }
    close(folder);
    return ok;
}

double saveNumberedScreenshot() {
    std::vector<uint8_t> rgba, png;
    if (!theRenderer || !theRenderer->readLogicalScreen(rgba) ||
        !encodePng(rgba.data(), theRenderer->logicalWidth(), theRenderer->logicalHeight(), false,
                   png))
        return 0;
    std::string placed;
    return placeNumberedScreenshot(png, placed) ? 1 : 0;
}
