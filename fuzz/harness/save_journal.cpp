// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: the save journal as the start-up finds it in the player folder. Whatever it
// holds, nothing outside the player folder changes, the journal is settled (gone), and a journal
// the reader accepts is exactly one the writer makes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support.h"
#include "runtime/folders.h"
#include "runtime/save_group.h"
#include "runtime/save_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& root = fuzzing::usePrivateFolder();
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<SaveJournalEntry> entries;
    std::string why;
    if (decodeSaveJournal(text, entries, why)) {
        fuzzing::require(encodeSaveJournal(entries) == text,
                         "an accepted journal is a written one");
        for (const SaveJournalEntry& e : entries)
            fuzzing::require(isPlainRelativeName(e.side) && isPlainRelativeName(e.target),
                             "an accepted journal names plain files of the folder");
    } else {
        fuzzing::require(!why.empty(), "a refused journal says why");
    }

    // The folder: player/ with Maps/, beside outside/ holding a file and a side file a planted
    // journal might aim at (by "..", by its absolute name, or through player/Linked).
    static bool made = false;
    const std::string player = root + "/player/", outside = root + "/outside/";
    if (!made) {
        made = true;
        mkdir(player.c_str(), 0700);
        mkdir((player + "Maps").c_str(), 0700);
        mkdir(outside.c_str(), 0700);
        symlink(outside.c_str(), (player + "Linked").c_str());
        setPlayerFolder(player);
    }
    const uint8_t kept[] = "kept";
    fuzzing::writeFile(outside + "Data.bin", kept, 4);
    fuzzing::writeFile(outside + ".Data.bin.tovrik-AbCd12", data, size);
    fuzzing::writeFile(player + ".tovrik-journal", data, size);
    finishInterruptedSaves(true);
    fuzzing::require(fuzzing::readFile(outside + "Data.bin") == "kept",
                     "nothing outside the player folder is replaced");
    struct stat st;
    fuzzing::require(lstat((player + ".tovrik-journal").c_str(), &st) != 0,
                     "the journal is settled");
    return 0;
}
