// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The planner's own cases: set-up checks, costs, weights, diagonals and the paths it finds.
#include "planner/planner.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace {

struct Grid {
    int width, height;
    std::vector<double> cells;
    Grid(int w, int h, double fill)
        : width(w), height(h), cells(static_cast<size_t>(w) * h, fill) {}
    double& at(int x, int y) {
        return cells[static_cast<size_t>(x) + static_cast<size_t>(width) * y];
    }
    PlannerSettings settings(int sx, int sy, int gx, int gy, float weight) const {
        PlannerSettings s;
        s.startX = sx;
        s.startY = sy;
        s.goalX = gx;
        s.goalY = gy;
        s.weight = weight;
        s.width = width;
        s.height = height;
        s.cells = cells.data();
        return s;
    }
};

std::vector<GridPoint> pts(std::initializer_list<GridPoint> l) { return std::vector<GridPoint>(l); }

TEST(PlannerSearch, StraightLineOnUniformMap) {
    Grid g(3, 3, 1.0);
    std::vector<GridPoint> path;
    EXPECT_EQ(3, planPath(g.settings(0, 0, 2, 0, 0.5f), path));
    EXPECT_EQ(pts({{0, 0}, {1, 0}, {2, 0}}), path);
}

TEST(PlannerSearch, SetupRefusesUnsearchableRequests) {
    Grid g(4, 3, 1.0);
    std::vector<GridPoint> path = pts({{7, 7}});
    EXPECT_EQ(-1, planPath(g.settings(1, 1, 1, 1, 0.5f), path));   // start == goal
    EXPECT_EQ(-1, planPath(g.settings(-1, 0, 2, 0, 0.5f), path));  // start off the grid
    EXPECT_EQ(-1, planPath(g.settings(0, 0, 4, 0, 0.5f), path));   // goal x == width
    EXPECT_EQ(-1, planPath(g.settings(0, 0, 0, 3, 0.5f), path));   // goal y == height
    Grid blocked(4, 3, 0.0);
    blocked.at(2, 2) = -3;
    EXPECT_EQ(-1, planPath(blocked.settings(0, 0, 2, 0, 0.5f), path));  // nothing passable
    EXPECT_EQ(pts({{7, 7}}), path);  // untouched by every refusal
}

TEST(PlannerSearch, CostGridScalesByLargestValue) {
    Grid g(3, 1, 5.0);
    g.at(1, 0) = 10.0;
    g.at(2, 0) = 0.0;
    AStarPlanner p;
    ASSERT_TRUE(p.setup(g.settings(0, 0, 1, 0, 0.0f)));
    EXPECT_FLOAT_EQ(1.5f, p.cost(0, 0));
    EXPECT_FLOAT_EQ(2.0f, p.cost(1, 0));
    EXPECT_EQ(-1.0f, p.cost(2, 0));
}

TEST(PlannerSearch, NonFiniteValuesCountAsBlocked) {
    Grid g(3, 1, 1.0);
    g.at(1, 0) = std::numeric_limits<double>::infinity();
    g.at(2, 0) = std::numeric_limits<double>::quiet_NaN();
    AStarPlanner p;
    ASSERT_TRUE(p.setup(g.settings(0, 0, 2, 0, 0.0f)));
    EXPECT_FLOAT_EQ(2.0f, p.cost(0, 0));  // the infinity does not become the scale
    EXPECT_EQ(-1.0f, p.cost(1, 0));
    EXPECT_EQ(-1.0f, p.cost(2, 0));
}

TEST(PlannerSearch, BlockedGoalAndWalledGoalAreUnreachable) {
    Grid g(5, 5, 1.0);
    g.at(4, 4) = 0.0;
    std::vector<GridPoint> path = pts({{1, 1}});
    EXPECT_EQ(0, planPath(g.settings(0, 0, 4, 4, 0.5f), path));
    EXPECT_TRUE(path.empty());

    Grid walled(5, 5, 1.0);
    for (int x = 1; x <= 3; ++x) walled.at(x, 1) = walled.at(x, 3) = -1;
    walled.at(1, 2) = walled.at(3, 2) = -1;
    EXPECT_EQ(0, planPath(walled.settings(0, 0, 2, 2, 1.0f), path));
    EXPECT_EQ(0, planPath(walled.settings(2, 2, 0, 0, 0.0f), path));
}

TEST(PlannerSearch, WeightZeroFindsCheapestWeightOneWalksStraight) {
    // Top row costs 2 per cell, the row below 1.1: the detour (1.1 + 4 x 1.1 + 2 = 7.5) is cheaper
    // than the straight line (4 x 2 = 8).
    Grid g(5, 2, 10.0);
    for (int x = 0; x < 5; ++x) g.at(x, 1) = 1.0;
    std::vector<GridPoint> path;
    EXPECT_EQ(7, planPath(g.settings(0, 0, 4, 0, 0.0f), path));
    EXPECT_EQ(pts({{0, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 0}}), path);
    EXPECT_EQ(5, planPath(g.settings(0, 0, 4, 0, 1.0f), path));
    EXPECT_EQ(pts({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}), path);
}

TEST(PlannerSearch, WeightIsClampedAndNaNMeansZero) {
    Grid g(5, 2, 10.0);
    for (int x = 0; x < 5; ++x) g.at(x, 1) = 1.0;
    std::vector<GridPoint> a, b;
    planPath(g.settings(0, 0, 4, 0, 7.0f), a);
    planPath(g.settings(0, 0, 4, 0, 1.0f), b);
    EXPECT_EQ(b, a);
    planPath(g.settings(0, 0, 4, 0, -3.0f), a);
    planPath(g.settings(0, 0, 4, 0, 0.0f), b);
    EXPECT_EQ(b, a);
    planPath(g.settings(0, 0, 4, 0, std::numeric_limits<float>::quiet_NaN()), a);
    EXPECT_EQ(b, a);
}

TEST(PlannerSearch, DiagonalMovesOnlyWhenAllowed) {
    Grid g(3, 3, 1.0);
    std::vector<GridPoint> path;
    EXPECT_EQ(3, planPath(g.settings(1, 1, 2, 2, 0.5f), path));
    PlannerSettings s = g.settings(1, 1, 2, 2, 0.5f);
    s.allowDiagonal = 1;
    EXPECT_EQ(2, planPath(s, path));
    EXPECT_EQ(pts({{1, 1}, {2, 2}}), path);
}

TEST(PlannerSearch, EqualKeysGoToTheEarlierInsertion) {
    // From (0,0) the right neighbour (1,0) is inserted before the lower one (0,1) with the same f,
    // so it is expanded first and the path runs through it.
    Grid g(2, 2, 1.0);
    std::vector<GridPoint> path;
    EXPECT_EQ(3, planPath(g.settings(0, 0, 1, 1, 0.0f), path));
    EXPECT_EQ(pts({{0, 0}, {1, 0}, {1, 1}}), path);
    // Mirrored: from (1,1) "up" (1,0) comes before "left" (0,1).
    EXPECT_EQ(3, planPath(g.settings(1, 1, 0, 0, 0.0f), path));
    EXPECT_EQ(pts({{1, 1}, {1, 0}, {0, 0}}), path);
}

TEST(PlannerSearch, PoolExhaustionEndsWithoutPath) {
    Grid g(8, 1, 1.0);
    PlannerSettings s = g.settings(0, 0, 7, 0, 0.5f);
    s.poolSize = 4;  // start plus three cells: the goal is never reached
    std::vector<GridPoint> path;
    EXPECT_EQ(0, planPath(s, path));
    s.poolSize = 8;
    EXPECT_EQ(8, planPath(s, path));
}

TEST(PlannerSearch, LargeMapFindsAPath) {
    Grid g(300, 200, 1.0);
    for (int y = 0; y < 199; ++y) g.at(150, y) = 0;  // one wall with a gap at the bottom
    std::vector<GridPoint> path;
    int n = planPath(g.settings(0, 0, 299, 0, 0.5f), path);
    ASSERT_GT(n, 0);
    EXPECT_EQ((GridPoint{0, 0}), path.front());
    EXPECT_EQ((GridPoint{299, 0}), path.back());
    for (size_t i = 1; i < path.size(); ++i) {
        EXPECT_EQ(1, std::abs(path[i].x - path[i - 1].x) + std::abs(path[i].y - path[i - 1].y));
        EXPECT_GT(g.at(path[i].x, path[i].y), 0.0);
    }
    EXPECT_EQ(299 + 2 * 199 + 1, n);  // round the wall's end, the shortest way in cells
}

// ---- supporting structures -------------------------------------------------------------------

TEST(FixedDequeTest, MatchesStdDequeUnderRandomEdits) {
    std::mt19937 rng(12345);
    FixedDeque<int> d(13);
    std::deque<int> model;
    for (int step = 0; step < 20000; ++step) {
        int op = static_cast<int>(rng() % 6);
        int v = static_cast<int>(rng() % 1000);
        bool full = model.size() == 13;
        switch (op) {
            case 0:
                EXPECT_EQ(!full, d.pushBack(v));
                if (!full) model.push_back(v);
                break;
            case 1:
                EXPECT_EQ(!full, d.pushFront(v));
                if (!full) model.push_front(v);
                break;
            case 2:
                d.popBack();
                if (!model.empty()) model.pop_back();
                break;
            case 3: {
                size_t i = rng() % (model.size() + 1);
                EXPECT_EQ(!full, d.insertAt(i, v));
                if (!full) model.insert(model.begin() + static_cast<long>(i), v);
                break;
            }
            case 4:
                if (!model.empty()) {
                    size_t i = rng() % model.size();
                    EXPECT_TRUE(d.removeAt(i));
                    model.erase(model.begin() + static_cast<long>(i));
                } else {
                    EXPECT_FALSE(d.removeAt(0));
                }
                break;
            case 5:
                d.popFront();
                if (!model.empty()) model.pop_front();
                break;
        }
        ASSERT_EQ(model.size(), d.size());
        for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(model[i], d.at(i)) << "step " << step;
    }
}

TEST(FixedDequeTest, RefusesPositionsPastTheEnd) {
    FixedDeque<int> d(4);
    EXPECT_FALSE(d.insertAt(1, 5));
    EXPECT_TRUE(d.insertAt(0, 5));
    EXPECT_FALSE(d.removeAt(1));
    FixedDeque<int> none(0);
    EXPECT_FALSE(none.pushBack(1));
    EXPECT_FALSE(none.pushFront(1));
}

Node makeNode(int x, int y) {
    Node n{};
    n.x = x;
    n.y = y;
    n.openPos = -1;
    return n;
}

TEST(NodeHashTableTest, BucketLayout) {
    NodeHashTable t8(8, 64, 64);
    EXPECT_EQ(256u, t8.bucketCount());
    EXPECT_EQ(0x35u, t8.bucketOf(0x25, 0x13));  // (x & 15) | (y & 15) << 4
    NodeHashTable t9(9, 4, 4);
    EXPECT_EQ(256u, t9.bucketCount());  // rounded down to an even number of bits
    NodeHashTable t30(30, 4, 4);
    EXPECT_EQ(size_t{1} << 24, t30.bucketCount());  // capped
    NodeHashTable t0(-5, 4, 4);
    EXPECT_EQ(1u, t0.bucketCount());
}

TEST(NodeHashTableTest, InsertFindRemoveAndChainOrder) {
    NodeHashTable t(8, 40, 40);
    Node a = makeNode(1, 2), b = makeNode(17, 2), c = makeNode(33, 18), d = makeNode(5, 5);
    EXPECT_TRUE(t.insert(&a));
    EXPECT_TRUE(t.insert(&b));
    EXPECT_TRUE(t.insert(&c));
    EXPECT_TRUE(t.insert(&d));
    EXPECT_FALSE(t.insert(&b));  // never chained twice
    EXPECT_EQ(4u, t.size());
    // a, b and c share a bucket; the newest comes first.
    size_t bucket = t.bucketOf(1, 2);
    ASSERT_EQ(bucket, t.bucketOf(17, 2));
    ASSERT_EQ(bucket, t.bucketOf(33, 18));
    EXPECT_EQ(&c, t.bucketHead(bucket));
    EXPECT_EQ(&b, c.next);
    EXPECT_EQ(&a, b.next);
    EXPECT_EQ(nullptr, a.next);

    EXPECT_EQ(&b, t.find(17, 2));
    t.removeLastFound();
    EXPECT_EQ(nullptr, t.find(17, 2));
    EXPECT_EQ(&c, t.bucketHead(bucket));
    EXPECT_EQ(&a, c.next);
    EXPECT_EQ(&c, t.find(33, 18));
    t.removeLastFound();
    EXPECT_EQ(&a, t.bucketHead(bucket));
    t.removeLastFound();  // nothing remembered any more: no effect
    EXPECT_EQ(2u, t.size());
    EXPECT_EQ(nullptr, t.find(-1, 0));
    EXPECT_EQ(nullptr, t.find(0, 40));

    t.clear();
    EXPECT_EQ(0u, t.size());
    EXPECT_EQ(nullptr, t.find(1, 2));
    EXPECT_EQ(nullptr, t.find(5, 5));
    EXPECT_TRUE(t.insert(&a));  // reusable after clear
}

TEST(OpenListTest, LowestKeyFirstTiesByInsertion) {
    OpenList open(8, 10, 1);
    std::vector<Node> nodes;
    for (int i = 0; i < 6; ++i) nodes.push_back(makeNode(i, 0));
    const float f[6] = {3, 1, 2, 1, 3, 1};
    for (int i = 0; i < 6; ++i) {
        nodes[static_cast<size_t>(i)].f = f[i];
        ASSERT_TRUE(open.insert(&nodes[static_cast<size_t>(i)]));
    }
    EXPECT_EQ(&nodes[3], open.find(3, 0));
    // Node 1 gets a lower g but keeps f 1: re-inserted, it now queues behind nodes 3 and 5.
    open.update(&nodes[1]);
    std::vector<int> order;
    while (Node* n = open.takeBest()) order.push_back(n->x);
    EXPECT_EQ((std::vector<int>{3, 5, 1, 2, 0, 4}), order);
    EXPECT_EQ(nullptr, open.find(3, 0));
}

TEST(OpenListTest, KeysOrderNegativeZeroAndPositiveLikeFloats) {
    OpenList open(8, 8, 1);
    std::vector<Node> nodes;
    const float f[6] = {2.5f, -0.0f, -1.5f, 0.0f, 1e30f, -1e30f};
    for (int i = 0; i < 6; ++i) nodes.push_back(makeNode(i, 0));
    for (int i = 0; i < 6; ++i) {
        nodes[static_cast<size_t>(i)].f = f[i];
        open.insert(&nodes[static_cast<size_t>(i)]);
    }
    std::vector<int> order;
    while (Node* n = open.takeBest()) order.push_back(n->x);
    EXPECT_EQ((std::vector<int>{5, 2, 1, 3, 0, 4}), order);  // -0 and +0 tie: insertion order
}

TEST(OpenListTest, StampWrapKeepsInsertionOrder) {
    OpenList open(8, 8, 1);
    std::vector<Node> nodes;
    for (int i = 0; i < 6; ++i) nodes.push_back(makeNode(i, 0));
    open.setNextStamp(UINT32_MAX - 3);
    for (int i = 0; i < 6; ++i) {
        nodes[static_cast<size_t>(i)].f = (i % 2) ? 1.0f : 2.0f;
        ASSERT_TRUE(open.insert(&nodes[static_cast<size_t>(i)]));
    }
    nodes[1].f = 1.0f;
    open.update(&nodes[1]);  // re-stamped after the wrap: now the last of the f = 1 group
    std::vector<int> order;
    while (Node* n = open.takeBest()) order.push_back(n->x);
    EXPECT_EQ((std::vector<int>{3, 5, 1, 0, 2, 4}), order);
}

TEST(OpenListTest, FullListRefusesAndClearEmpties) {
    OpenList open(2, 4, 1);
    Node a = makeNode(0, 0), b = makeNode(1, 0), c = makeNode(2, 0);
    a.f = b.f = c.f = 1;
    EXPECT_TRUE(open.insert(&a));
    EXPECT_TRUE(open.insert(&b));
    EXPECT_FALSE(open.insert(&c));
    EXPECT_EQ(nullptr, open.find(2, 0));
    open.clear();
    EXPECT_TRUE(open.empty());
    EXPECT_EQ(nullptr, open.find(0, 0));
}

TEST(NodeFactoryTest, HandsOutEachNodeOnceUntilReleased) {
    NodeFactory pool(3);
    Node* a = pool.acquire();
    Node* b = pool.acquire();
    Node* c = pool.acquire();
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(nullptr, pool.acquire());
    pool.releaseAll();
    EXPECT_EQ(a, pool.acquire());
}

}  // namespace
