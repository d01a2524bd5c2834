// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The media archive: every media load resolves its file name here first.
//
// A file that exists on disk (a relative name in the player folder or else the data folder,
// runtime/folders.h) is used as it is. Otherwise the name's base name (the part after
// the last '/' or '\') is looked up, letter case ignored, in the archive's directory; the entry
// is unpacked (LZO1X) into a temporary file in this process's own temporary folder
// (processTempFolder() + "kql" + two capital letters + entry name, runtime/temp_folder.h) and the
// load reads that file.
// Each archive keeps at most one extracted file at a time: the next lookup deletes it.
//
// Two archives exist: the primary one serves images, fonts, sounds and the line-numbered data
// files; the secondary one serves video playback. A missing archive, or a file that is not an
// archive, disables that archive until the next setMediaArchives. A damaged archive (offsets or
// sizes outside the file, short reads, a stream that does not unpack to its announced size) makes
// the lookup fail like a name that is not in it; nothing half-unpacked is ever written. Each media
// file that cannot be found and each archive that cannot be read is reported once on standard
// error (once per naming of the archives), naming it; the load itself fails quietly as before.
//
// Archive layout (integers little-endian, 32-bit signed): entry blocks (unpacked size, then the
// LZO1X stream), a directory (per entry: name length 1..255, name, data offset, data size; a
// length of 0 ends it) and a 7-byte trailer "kqL" + directory offset. A negative directory offset
// counts back from the end of the file, and so do the data offsets then.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/archive_limits.h"
#include "runtime/text.h"

constexpr size_t kMediaPathSize = 1024;

struct MediaArchive {
    uint8_t enabled = 0;
    char archivePath[kMediaPathSize] = {};    // the archive file's name
    char extractedPath[kMediaPathSize] = {};  // the last extracted temporary file, "" when none
};

MediaArchive& primaryMediaArchive();
MediaArchive& secondaryMediaArchive();

// Resets both archives (deleting their extracted files) and names them; both become enabled.
// Also registers the archives' release with the shutdown order.
void setMediaArchives(const TextValue& primary, const TextValue& secondary);
void setMediaArchives(const char* primary, const char* secondary);

// Resolves `name` through `archive` into `dest` (at least kMediaPathSize bytes; may be the same
// buffer as `name`). Returns 1 with a usable system path in `dest`, or 0: an empty name or a name
// not found empties `dest`; a disabled or unusable archive leaves it as it was.
int resolveMediaFile(MediaArchive& archive, const char* name, char* dest);

// The same through the primary archive, for loaders that hold std::string paths. The result uses
// '/' separators and can be opened directly.
bool resolveMediaFile(const char* name, std::string& path);
bool resolveMediaFile(const TextValue& name, std::string& path);

// Deletes both archives' extracted files (shutdown does this through the registered release).
void releaseMediaArchives();
