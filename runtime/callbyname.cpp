// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Calling a game routine by its name through the game's routine table.
#include <cstring>

#include "runtime/lifecycle.h"

namespace {
const RoutineEntry* routineTable = nullptr;
}

void setRoutineTable(const RoutineEntry* table) { routineTable = table; }

double callByName(const TextValue& name) {
    const char* wanted = textCString(name);
    if (routineTable != nullptr) {
        for (const RoutineEntry* e = routineTable; e->name != nullptr && e->name[0] != 0; ++e) {
            if (std::strcmp(e->name, wanted) == 0) {
                if (e->routine) e->routine();
                return 1;
            }
        }
    }
    TextValue message("CALLBYNAME \"");
    message += name;
    message += "\" *** failed ***\n";
    debugPrint(message);
    return 0;
}
