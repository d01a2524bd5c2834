// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's controller mapping file, gamecontrollerdb.txt in the player folder: read whole as
// a regular file of at most 1 MiB (a FIFO, a folder or a device in its place is said and skipped,
// never waited on), then handed line by line to the controller layer, whose refusals are said
// with their line numbers (the first 20, then how many more).
#pragma once

#include <string>
#include <vector>

#include "platform/platform_input.h"
#include "runtime/text_lines.h"

constexpr const char* kPadMappingFileName = "gamecontrollerdb.txt";

// The mapping lines of a file's text: comments (#) and blank lines left out, a line holding a NUL
// byte reported and left out, CR-only line ends said once and read as line ends.
std::vector<PadMappingLine> padMappingLines(const std::string& text, BadLineReport& report);

// Opens the controller layer with the mappings of the file at `path` (none when it is missing);
// platformPadsOpen's result.
bool openPadsWithMappingFile(const std::string& path);
