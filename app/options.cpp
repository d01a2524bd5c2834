// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The command line, read with getopt_long.
#include "app/options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#ifndef CRUMLET_VERSION
#define CRUMLET_VERSION "unknown"
#endif

namespace {

constexpr int kMaxScale = 16;

enum LongOnly {
    kScale = 256,
    kSaveDir,
    kDataDir,
    kDriver,
    kRecord,
    kPlay,
    kTimedemo,
    kVerify,
    kTrace,
    kLevels,
    kCheckLevels
};

const option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"fullscreen", no_argument, nullptr, 'f'},
    {"windowed", no_argument, nullptr, 'w'},
    {"scale", required_argument, nullptr, kScale},
    {"save-dir", required_argument, nullptr, kSaveDir},
    {"data-dir", required_argument, nullptr, kDataDir},
    {"driver", required_argument, nullptr, kDriver},
    {"levels", required_argument, nullptr, kLevels},
    {"check-levels", required_argument, nullptr, kCheckLevels},
    {"record", required_argument, nullptr, kRecord},
    {"play", required_argument, nullptr, kPlay},
    {"timedemo", required_argument, nullptr, kTimedemo},
    {"verify", required_argument, nullptr, kVerify},
    {"trace", required_argument, nullptr, kTrace},
    {nullptr, 0, nullptr, 0},
};

void printUsage(FILE* to) {
    std::fputs(
        "Usage: crumlet [OPTION]...\n"
        "CRUMLET DEMO, a maze game: collect every clover and flower, blast crates and baddies.\n"
        "\n"
        "  -f, --fullscreen    start in fullscreen (the default)\n"
        "  -w, --windowed      start in a window\n"
        "      --scale N       start in a window of N times 320x240 pixels\n"
        "      --save-dir DIR  keep the name, scores, screenshots, settings.ini and\n"
        "                      gamecontrollerdb.txt in DIR (default: $CRUMLET_SAVE_DIR,\n"
        "                      else $XDG_DATA_HOME/crumlet, else ~/.local/share/crumlet)\n"
        "      --data-dir DIR  read the levels and media from DIR\n"
        "      --driver FILE   play the scripted session in FILE (for tests)\n"
        "      --levels PACK   play the level pack in folder PACK, or the one named PACK\n"
        "                      in the player folder's levels/ (docs/levels.md)\n"
        "      --check-levels DIR  check the level pack in DIR, one verdict a level, and\n"
        "                      exit (0: all good, 1: refused)\n"
        "      --record FILE   play and record the session into FILE\n"
        "      --play FILE     watch a recorded session (Escape ends it)\n"
        "      --timedemo FILE\n"
        "                      replay a recorded session as fast as possible and\n"
        "                      print frames, seconds and frames per second\n"
        "      --verify FILE   replay a recorded session unseen and check the scores\n"
        "                      it claims (status 0 equal, 1 not, 2 not a recording)\n"
        "      --trace FILE    write the state of every level frame to FILE\n"
        "  -h, --help          show this help and exit\n"
        "  -V, --version       show the version and exit\n",
        to);
}

// A mistake gets its reason (already printed) and a pointer to the help, not the whole usage,
// which would push the reason off a small terminal.
int usageError() {
    std::fputs("Try 'crumlet --help'.\n", stderr);
    return 2;
}

// A value getopt accepted can still be empty ("--save-dir=").
bool needsValue(const char* value, const char* name) {
    if (value != nullptr && value[0] != '\0') return true;
    std::fprintf(stderr, "crumlet: option '--%s' needs a value\n", name);
    return false;
}

// A run has one player: the person (perhaps recorded), a script, or a recording played back.
bool onePlayer(const ProgramOptions& o) {
    const int asked = !o.driverScript.empty() + !o.recordFile.empty() + !o.playFile.empty() +
                      !o.timedemoFile.empty() + !o.verifyFile.empty();
    if (asked <= 1) return true;
    std::fputs("crumlet: --driver, --record, --play, --timedemo and --verify exclude each other\n",
               stderr);
    return false;
}

}  // namespace

int parseProgramOptions(int argc, char** argv, ProgramOptions& out) {
    out = ProgramOptions();
    optind = 1;  // getopt keeps its place between calls; start every parse afresh
    opterr = 1;  // getopt itself says which option it did not understand
    for (;;) {
        int index = 0;
        const int c = getopt_long(argc, argv, "hVfw", kOptions, &index);
        if (c == -1) break;
        switch (c) {
            case 'h':
                printUsage(stdout);
                return 0;
            case 'V':
                std::printf("crumlet %s\n", CRUMLET_VERSION);
                return 0;
            case 'f':
                out.fullScreen = 1;
                break;
            case 'w':
                out.fullScreen = 0;
                break;
            case kScale: {
                char* end = nullptr;
                errno = 0;
                const long n = std::strtol(optarg, &end, 10);
                if (errno != 0 || end == optarg || *end != '\0' || n < 1 || n > kMaxScale) {
                    std::fprintf(stderr,
                                 "crumlet: --scale takes a whole number from 1 to %d, not '%s'\n",
                                 kMaxScale, optarg);
                    return usageError();
                }
                out.windowScale = static_cast<int>(n);
                out.fullScreen = 0;
                break;
            }
            case kSaveDir:
                if (!needsValue(optarg, "save-dir")) return usageError();
                out.saveDir = optarg;
                break;
            case kDataDir:
                if (!needsValue(optarg, "data-dir")) return usageError();
                out.dataDir = optarg;
                break;
            case kDriver:
                if (!needsValue(optarg, "driver")) return usageError();
                out.driverScript = optarg;
                break;
            case kLevels:
                if (!needsValue(optarg, "levels")) return usageError();
                out.levels = optarg;
                break;
            case kCheckLevels:
                if (!needsValue(optarg, "check-levels")) return usageError();
                out.checkLevels = optarg;
                break;
            case kRecord:
            case kPlay:
            case kTimedemo:
            case kVerify:
            case kTrace: {
                if (!needsValue(optarg, kOptions[index].name)) return usageError();
                std::string* const files[] = {&out.recordFile, &out.playFile, &out.timedemoFile,
                                              &out.verifyFile, &out.traceFile};
                *files[c - kRecord] = optarg;
                break;
            }
            default:  // '?': getopt has printed the reason
                return usageError();
        }
    }
    if (optind < argc) {
        std::fprintf(stderr, "crumlet: unexpected argument '%s'\n", argv[optind]);
        return usageError();
    }
    if (!onePlayer(out)) return usageError();
    return -1;
}
