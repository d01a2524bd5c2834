// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's routines by name, for the runtime's callByName. The table is sorted by name (byte
// order) and ended by an empty entry. FireAt and ExplodeCell take a position and so cannot be
// called by name.
#include "game/routines.h"

#include "runtime/lifecycle.h"

namespace {

const RoutineEntry kRoutines[] = {
    {"BaddyAnimation", BaddyAnimation},
    {"BlumeAnimation", BlumeAnimation},
    {"BoxAnimation", BoxAnimation},
    {"BugAnimation", BugAnimation},
    {"DataInit", DataInit},
    {"ExpAnimation", ExpAnimation},
    {"FindBug", FindBug},
    {"FireAnimation", FireAnimation},
    {"Formation", Formation},
    {"FruitAnimation", FruitAnimation},
    {"GameMain", GameMain},
    {"KleeAnimation", KleeAnimation},
    {"LoadHsData", LoadHsData},
    {"LoadMaps", LoadMaps},
    {"LoadNsData", LoadNsData},
    {"LoadPlayer", LoadPlayer},
    {"MainGame", MainGame},
    {"MainMenu", MainMenu},
    {"MakeNsData", MakeNsData},
    {"MakeString", MakeString},
    {"RandomFruit", RandomFruit},
    {"SaveHsData", SaveHsData},
    {"SaveNsData", SaveNsData},
    {"SavePlayer", SavePlayer},
    {"ScanBaddy", ScanBaddy},
    {"ScanBug", ScanBug},
    {"ShowHighScore", ShowHighScore},
    {"ShowMap1", ShowMap1},
    {"ShowMap2", ShowMap2},
    {"ShrinkAnimation", ShrinkAnimation},
    {"SpikeyAnimation", SpikeyAnimation},
    {"TakeAnimation", TakeAnimation},
    {"TypeName", TypeName},
    {"WriteHighscore", WriteHighscore},
    {nullptr, nullptr},
};

}  // namespace

void registerGameRoutines() { setRoutineTable(kRoutines); }
