// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The shipped planner against the plain reference search: same result and the same path, point for
// point, over many random maps, weights, ends and planner settings.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bench/planner/reference_planner.h"
#include "planner/planner.h"

namespace {

struct Case {
    int width, height;
    std::vector<double> cells;
    PlannerSettings settings;
};

// Maps drawn from a few value families: many distinct values, a handful of values (lots of equal
// keys, where insertion order decides), and all-equal values (every tie at once).
Case randomCase(std::mt19937& rng, int maxSide) {
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    Case c;
    c.width = uni(1, maxSide);
    c.height = uni(1, maxSide);
    const size_t n = static_cast<size_t>(c.width) * c.height;
    c.cells.resize(n);
    const int family = uni(0, 2);
    const double blocked = real(0.0, 0.4);
    for (double& v : c.cells) {
        if (real(0, 1) < blocked) {
            v = uni(0, 1) ? 0.0 : -real(0, 5);
        } else if (family == 0) {
            v = real(0.001, 100.0);
        } else if (family == 1) {
            v = uni(1, 4);
        } else {
            v = 7.0;
        }
    }
    PlannerSettings& s = c.settings;
    // Ends mostly inside the grid, now and then on a blocked cell, off the grid or equal.
    s.startX = uni(-1, c.width);
    s.startY = uni(-1, c.height);
    s.goalX = uni(0, 9) == 0 ? s.startX : uni(-1, c.width);
    s.goalY = uni(0, 9) == 0 ? s.startY : uni(-1, c.height);
    if (uni(0, 3) > 0) {
        s.startX = uni(0, c.width - 1);
        s.startY = uni(0, c.height - 1);
        s.goalX = uni(0, c.width - 1);
        s.goalY = uni(0, c.height - 1);
    }
    static const float kWeights[] = {0.0f, 0.5f, 1.0f, 0.25f, 0.75f, -1.0f, 2.0f};
    s.weight = uni(0, 3) == 0 ? static_cast<float>(real(0, 1)) : kWeights[uni(0, 6)];
    s.allowDiagonal = static_cast<uint8_t>(uni(0, 1));
    s.diagonalCost = static_cast<uint8_t>(uni(0, 1));
    s.hashBits = uni(0, 3) == 0 ? uni(-2, 16) : 8;  // 30 (capped at 24) has its own case below
    // Now and then a pool or an open list too small for the map: nodes run out or are dropped.
    s.poolSize = uni(0, 5) == 0 ? uni(1, static_cast<int>(n)) : 0;
    s.openCapacity = uni(0, 5) == 0 ? uni(1, static_cast<int>(n)) : 0;
    s.width = c.width;
    s.height = c.height;
    s.cells = c.cells.data();
    return c;
}

void expectSame(const Case& c, int index) {
    std::vector<GridPoint> fast{{-9, -9}}, ref{{-9, -9}};
    int nFast = planPath(c.settings, fast);
    int nRef = reference::planPath(c.settings, ref);
    const PlannerSettings& s = c.settings;
    ASSERT_EQ(nRef, nFast) << "case " << index << ": " << c.width << "x" << c.height << " from ("
                           << s.startX << "," << s.startY << ") to (" << s.goalX << "," << s.goalY
                           << ") weight " << s.weight << " diagonal " << int(s.allowDiagonal) << "/"
                           << int(s.diagonalCost) << " pool " << s.poolSize << " open "
                           << s.openCapacity;
    ASSERT_EQ(ref, fast) << "case " << index;
}

TEST(PlannerDifferential, SmallRandomMapsMatchReference) {
    std::mt19937 rng(20261208);
    int found = 0, none = 0, refused = 0;
    for (int i = 0; i < 4000; ++i) {
        Case c = randomCase(rng, 16);
        expectSame(c, i);
        if (HasFatalFailure()) return;
        std::vector<GridPoint> p;
        int n = planPath(c.settings, p);
        (n > 0 ? found : n == 0 ? none : refused)++;
    }
    // The mix must exercise every outcome, or the comparison proves little.
    EXPECT_GT(found, 1500);
    EXPECT_GT(none, 200);
    EXPECT_GT(refused, 100);
}

TEST(PlannerDifferential, HugeBucketCountMatchesReference) {
    std::mt19937 rng(99);
    for (int i = 0; i < 5; ++i) {
        Case c = randomCase(rng, 16);
        c.settings.hashBits = 30;
        expectSame(c, i);
        if (HasFatalFailure()) return;
    }
}

TEST(PlannerDifferential, MediumRandomMapsMatchReference) {
    std::mt19937 rng(77);
    for (int i = 0; i < 150; ++i) {
        Case c = randomCase(rng, 64);
        expectSame(c, i);
        if (HasFatalFailure()) return;
    }
}

TEST(PlannerDifferential, BenchmarkStyleMapsMatchReference) {
    // Corner to corner over random costs with about 20% blocked, as the benchmark times it, at a
    // size where the frontier is long enough to reorder the heap a great deal.
    std::mt19937 rng(4242);
    std::vector<double> cells(128 * 128);
    for (double& v : cells) v = (rng() % 5 == 0) ? 0.0 : static_cast<double>(rng() % 100 + 1);
    for (int i : {0, 1, 128, 128 * 128 - 1, 128 * 128 - 2, 128 * 127 - 1})
        cells[static_cast<size_t>(i)] = 1.0;
    for (float weight : {0.0f, 0.5f, 1.0f}) {
        Case c;
        c.width = c.height = 128;
        c.cells = cells;
        PlannerSettings& s = c.settings;
        s.width = s.height = 128;
        s.cells = c.cells.data();
        s.goalX = s.goalY = 127;
        s.weight = weight;
        expectSame(c, static_cast<int>(weight * 2));
        if (HasFatalFailure()) return;
        std::vector<GridPoint> path;
        EXPECT_GT(planPath(s, path), 0) << "the map is meant to have a way through";
    }
}

TEST(PlannerDifferential, OpenMapsWithManyTiesMatchReference) {
    // Unblocked uniform maps: every step has the same cost, so almost every choice is a tie.
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        Case c;
        c.width = std::uniform_int_distribution<int>(2, 40)(rng);
        c.height = std::uniform_int_distribution<int>(2, 40)(rng);
        c.cells.assign(static_cast<size_t>(c.width) * c.height, 1.0);
        PlannerSettings& s = c.settings;
        s.width = c.width;
        s.height = c.height;
        s.cells = c.cells.data();
        s.startX = static_cast<int>(rng() % c.width);
        s.startY = static_cast<int>(rng() % c.height);
        s.goalX = static_cast<int>(rng() % c.width);
        s.goalY = static_cast<int>(rng() % c.height);
        s.weight = static_cast<float>(rng() % 5) / 4.0f;
        s.allowDiagonal = static_cast<uint8_t>(rng() % 2);
        expectSame(c, i);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
