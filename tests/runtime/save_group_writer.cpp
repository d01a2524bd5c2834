// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A program that saves a two-file table as the game does (scores, then names, one save group),
// for tests that kill it at chosen system calls.
//
//   save_group_writer FOLDER BYTE [FILE_SIZE_LIMIT]   writes FOLDER/Maps/Data.bin (3200 bytes)
//                                                     and FOLDER/Maps/Name.bin (6400), all BYTE
//   save_group_writer FOLDER --start                  only finishes an interrupted save
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/files.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/save_group.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string folder = argv[1];
    setPlayerFolder(folder);
    finishInterruptedSaves(true);
    if (std::strcmp(argv[2], "--start") == 0) return 0;
    if (argc > 3) {
        // A file-size limit refuses bytes the way a full disk does.
        signal(SIGXFSZ, SIG_IGN);
        rlim_t limit = std::strtoul(argv[3], nullptr, 10);
        rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    const double byte = std::atoi(argv[2]);
    mkdir((folder + "/Maps").c_str(), 0777);
    beginSaveGroup();
    openChannel(1, TextValue((folder + "/Maps/Data.bin").c_str()), 0);
    for (int i = 0; i < 3200; ++i) writeByte(1, byte);
    closeChannel(1);
    openChannel(1, TextValue((folder + "/Maps/Name.bin").c_str()), 0);
    for (int i = 0; i < 6400; ++i) writeByte(1, byte);
    closeChannel(1);
    commitSaveGroup();
    endProgram();
}
