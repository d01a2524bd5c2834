// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// mediabuild: writes the game's media from the sources in assets/.
//
//   mediabuild all <assets> <media-out> <smalfont.bmp>   every PNG and WAV, and the start-up font
//   mediabuild sheet <assets> <sheet.png>                a contact sheet for reviewing the art
//   mediabuild icon <assets> <size> <icon.png>           the program's icon, size x size pixels
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mediabuild.h"

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "all" && argc == 5) {
        media::BuildResult r = media::buildAll(argv[2], argv[3], argv[4]);
        if (!r.error.empty()) {
            std::fprintf(stderr, "mediabuild: %s\n", r.error.c_str());
            return 1;
        }
        std::printf("mediabuild: %zu files written\n", r.written.size());
        return 0;
    }
    if (cmd == "icon" && argc == 5) {
        std::string error;
        if (!media::buildIcon(argv[2], std::atoi(argv[3]), argv[4], error)) {
            std::fprintf(stderr, "mediabuild: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (cmd == "sheet" && argc == 4) {
        std::string error;
        if (!media::buildContactSheet(argv[2], argv[3], error)) {
            std::fprintf(stderr, "mediabuild: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr,
                 "usage: mediabuild all <assets> <media-out> <smalfont.bmp>\n"
                 "       mediabuild sheet <assets> <sheet.png>\n"
                 "       mediabuild icon <assets> <size> <icon.png>\n");
    return 2;
}
