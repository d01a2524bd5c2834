// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Whole files in and out for the tools' tests; their folders come from tests/support/test_folder.h.
#pragma once

#include <string>

#include "tests/support/test_folder.h"

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
