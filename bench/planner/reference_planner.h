// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The grid planner written the plain way: nodes allocated one by one, a 256-chain closed set
// searched by walking chains, and an open list kept sorted in a ring buffer that is searched
// linearly and rebuilt through a scratch array on every insertion or removal in the middle.
//
// It is slow on big maps (quadratic in the frontier), and it is kept for exactly that reason: it is
// the yardstick the shipped planner is timed against and the oracle it must agree with, path for
// path, in the differential tests.
#pragma once

#include <vector>

#include "planner/planner.h"

namespace reference {

// Same settings and result as ::planPath: -1 when set-up fails, else the path length (0: none).
int planPath(const PlannerSettings& settings, std::vector<GridPoint>& path);

}  // namespace reference
