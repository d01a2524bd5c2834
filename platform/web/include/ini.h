// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The part of inih's interface the settings reader uses, for the browser build, where inih's
// sources are not at hand (see ini.c).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Called for each "name = value" (or "name: value") line with the section it is in; returns
// nonzero when the value was taken.
typedef int (*ini_handler)(void* user, const char* section, const char* name, const char* value);

// Reads INI text. 0 when every line was understood, else the number of the first line that was
// not (a line without '=' or ':', a '[' without ']', a handler that returned 0).
int ini_parse_string(const char* string, ini_handler handler, void* user);

#ifdef __cplusplus
}
#endif
