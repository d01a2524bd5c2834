// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A second, independent reading of the world rules, run side by side with the game's routines.
//
// RulesModel below is written straight from the rules (not from the game's code) in the plainest
// form: one function per rule, the cells as flat vectors. Random levels are played for thousands
// of frames with randomly held keys; after every frame the whole play state of the game must
// equal the model's, and both must have drawn the same random numbers in the same order (the
// generator's state is compared). A frame-by-frame comparison with a fixed seed depends on all of
// this: the order of the checks, every counter and timer, and which cells are written when.
#include "logic_support.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>

#include "devices/input.h"
#include "runtime/maths.h"

using namespace crumlet;

namespace {

struct RulesModel {
    std::vector<double> map, item, junction;
    std::vector<double> bState, bX, bY, bFrame;
    double fireX[4] = {}, fireY[4] = {}, fireFrame[4] = {}, fireDelay[4] = {};
    double bugX = 0, bugY = 0, bugStep = 0, bugFrame = 0, bugDir = 0, bugFacing = 0, bugDead = 0;
    double score = 0, pickupsLeft = 0, bombStock = 0, levelDone = 0, baddyTick = 0;
    double spikeyTimer = 0, spikeyArmed = 0, spikeyFrame = 0, spikeyX = 0, spikeyY = 0;
    double expFrame = 0, expX = 0, expY = 0;
    double fruitShown = 0, fruitFrame = 0, fruitX = 0, fruitY = 0;
    double kleeFrame = 0, kleeX = 0, kleeY = 0, blumeFrame = 0, blumeX = 0, blumeY = 0;
    double shrinkFrame = 0, shrinkX = 0, shrinkY = 0, takeFrame = 0, takeX = 0, takeY = 0;
    double flowerTileFrame = 0, bombTileFrame = 0;

    static int idx(double v) { return static_cast<int>(v); }
    double& m(double i) { return map.at(idx(i)); }
    double& it(double i) { return item.at(idx(i)); }
    static bool key(double code) { return isKeyDown(code) != 0; }

    // Copies the layers and the play state the game holds right after its level set-up.
    void takeFrom(const GameGlobals& g) {
        GameGlobals& w = const_cast<GameGlobals&>(g);
        map.assign(1200, 0);
        item.assign(1200, 0);
        junction.assign(1200, 0);
        bState.assign(1200, 0);
        bX.assign(1200, 0);
        bY.assign(1200, 0);
        bFrame.assign(1200, 0);
        for (int i = 0; i < 1200; ++i) {
            map[i] = numAt(w.mapGrid, i);
            item[i] = numAt(w.itemGrid, i);
            junction[i] = numAt(w.junctionGrid, i);
        }
        bugX = g.bugX;
        bugY = g.bugY;
        bugDir = g.bugDir;
        pickupsLeft = g.pickupsLeft;
    }

    // ---- the bug ----
    void scanBug() {
        if (bugStep > 0) return;
        double i = bugX / 16 + (bugY / 16) * 40;
        if (m(i) == 0 || m(i) == 34) {
            bugStep = 1;
            bugDir = 0;
            bugFacing = 0;
            bugDead = 1;
            spikeyX = bugX;
            spikeyY = bugY;
            return;
        }
        if (pickupsLeft == 0) {
            m(i) = 0;
            bugStep = 1;
            levelDone = 1;
            bugFacing = bugDir;
            return;  // (the table update is tested on its own)
        }
        const double dirs[4] = {1, 2, 3, 4};
        const double keys[4] = {205, 203, 200, 208};
        const double offs[4] = {1, -1, -40, 40};
        const double dx[4] = {16, -16, 0, 0}, dy[4] = {0, 0, -16, 16};
        for (int d = 0; d < 4; ++d) {
            double n = i + offs[d];
            if (key(keys[d]) && m(n) == 5) {
                m(i) = 0;
                m(n) = 3;
                bugDir = dirs[d];
                takeX = bugX + dx[d];
                takeY = bugY + dy[d];
                score += 100;
                fruitShown = 0;
                bugFacing = 0;
                return;
            }
        }
        if ((key(57) || key(29)) && bugFacing >= 1 && bombStock > 0 && spikeyArmed == 0) {
            bombStock -= 1;
            spikeyArmed = 1;
            spikeyX = bugX;
            spikeyY = bugY;
            return;
        }
        const double passes[3] = {6, 4, 2};
        for (double p : passes) {
            for (int d = 0; d < 4; ++d) {
                double n = i + offs[d];
                if (key(keys[d]) && it(n) == p && m(n) == 0) {
                    it(n) = 0;
                    m(n) = 3;
                    m(i) = 0;
                    bugDir = dirs[d];
                    bugFacing = 0;
                    double x = bugX + dx[d], y = bugY + dy[d];
                    if (p == 6) {
                        shrinkX = x, shrinkY = y, score += 2, bombStock += 1;
                    } else if (p == 4) {
                        blumeX = x, blumeY = y, score += 50, pickupsLeft -= 1;
                    } else {
                        kleeX = x, kleeY = y, score += 5, pickupsLeft -= 1;
                    }
                    return;
                }
            }
        }
        for (int d = 0; d < 4; ++d) {
            double n = i + offs[d];
            if (key(keys[d]) && m(n) == 0) {
                m(i) = 0;
                m(n) = 3;
                bugDir = dirs[d];
                bugFacing = 0;
                return;
            }
        }
        bugFacing = bugDir;
    }

    void bugAnimation() {
        if (bugFacing >= 1 && bugFacing <= 4) return;
        if (bugDir == 1)
            bugX += 1;
        else if (bugDir == 2)
            bugX -= 1;
        else if (bugDir == 3)
            bugY -= 1;
        else if (bugDir == 4)
            bugY += 1;
        else
            return;
        if (bugFrame + 1 < 16) {
            bugStep += 1;
            bugFrame += 1;
        } else {
            bugFrame = 0;
            bugStep = 0;
        }
    }

    // ---- the baddies ----
    static double off(double d) { return d == 1 ? 1 : d == 2 ? -1 : d == 3 ? -40 : 40; }

    void order(double i, double c, double r, double d) {
        m(i + off(d)) = 34;
        m(i) = 34;
        bState.at(idx(i)) = d;
        bX.at(idx(i)) = c * 16;
        bY.at(idx(i)) = r * 16;
    }

    void eat(double c, double r, double d) {
        double fx = c * 16 + (d == 1 ? 16 : d == 2 ? -16 : 0);
        double fy = r * 16 + (d == 3 ? -16 : d == 4 ? 16 : 0);
        fireAt(fx, fy);
        fruitShown = 0;
    }

    void scanBaddy() {
        if (baddyTick != 0) return;
        for (double r = 1; r <= 14; ++r) {
            for (double c = 1; c <= 19; ++c) {
                double i = c + r * 40;
                double code = m(i);
                if (code < 12 || code > 15) continue;
                decide(i, c, r, code);
            }
        }
    }

    void decide(double i, double c, double r, double code) {
        double R = m(i + 1), L = m(i - 1), U = m(i - 40), D = m(i + 40);
        bool horiz = code == 12 || code == 13, vert = code == 14 || code == 15;
        if (horiz && (U == 3 || D == 3)) return order(i, c, r, U == 3 ? 3 : 4);
        if (vert && (L == 3 || R == 3)) return order(i, c, r, L == 3 ? 2 : 1);
        if (code == 12 && R == 5) return order(i, c, r, 1), eat(c, r, 1);
        if (code == 13 && L == 5) return order(i, c, r, 2), eat(c, r, 2);
        if (code == 14 && U == 5) return order(i, c, r, 3), eat(c, r, 3);
        if (code == 15 && D == 5) return order(i, c, r, 4), eat(c, r, 4);
        if (horiz && (D == 5 || U == 5)) {
            double d = D == 5 ? 4 : 3;
            order(i, c, r, d);
            m(i) = 0;
            eat(c, r, d);
            return;
        }
        if (vert && (L == 5 || R == 5)) {
            double d = L == 5 ? 2 : 1;
            order(i, c, r, d);
            eat(c, r, d);
            return;
        }
        if (junction.at(idx(i)) == 5) {
            // rows of the junction table: directions that must be free, then the choices
            static const std::vector<std::vector<double>> table[4] = {
                {{1, 3, 4}, {1, 3}, {1, 4}, {4, 3}},
                {{2, 3, 4}, {2, 3}, {2, 4}, {4, 3}},
                {{3, 2, 1}, {3, 1}, {3, 2}, {1, 2}},
                {{4, 2, 1}, {4, 1}, {4, 2}, {1, 2}},
            };
            for (const auto& row : table[idx(code) - 12]) {
                bool all = true;
                for (double d : row) all = all && m(i + off(d)) == 0;
                if (!all) continue;
                double k = row.size() == 3 ? randomInt(2) + 1 : randomInt(1) + 1;
                return order(i, c, r, row[idx(k) - 1]);
            }
        }
        double heading = code - 11;
        double ahead = m(i + off(heading));
        if (ahead == 0 || ahead == 3) return order(i, c, r, heading);
        if (ahead > 0) {
            static const double other[4][3] = {{3, 4, 2}, {3, 4, 1}, {2, 1, 4}, {2, 1, 3}};
            for (double d : other[idx(code) - 12]) {
                if (m(i + off(d)) == 0) return order(i, c, r, d);
            }
            bState.at(idx(i)) = -1;
            bX.at(idx(i)) = c * 16;
            bY.at(idx(i)) = r * 16;
        }
    }

    void baddyAnimation() {
        for (int i = 40; i <= 1160; ++i) {
            double s = bState[i];
            if (s == 0) continue;
            if (s == -1) {
                bFrame[i] += 1;
                if (bFrame[i] == 16) bFrame[i] = 0, bState[i] = 0;
                continue;
            }
            if (s == 1) bX[i] += 1;
            if (s == 2) bX[i] -= 1;
            if (s == 3) bY[i] -= 1;
            if (s == 4) bY[i] += 1;
            bFrame[i] += 1;
            if (bFrame[i] == 16) {
                bFrame[i] = 0;
                bState[i] = 0;
                double t = bX[i] / 16 + (bY[i] / 16) * 40;
                double behind = s == 1 ? t - 1 : s == 2 ? t + 1 : s == 3 ? t + 40 : t - 40;
                m(behind) = 0;
                m(t) = 11 + s;
            }
        }
    }

    // ---- items and effects ----
    static void oneShot(double& frame, double& y) {
        if (!(y > 0)) return;
        frame += 1;
        if (frame == 16) frame = 0, y = 0;
    }

    void spikey() {
        if (!(spikeyY > 0)) return;
        spikeyFrame += 1;
        if (spikeyFrame == 16) spikeyFrame = 0;
        spikeyTimer += 1;
        if (spikeyTimer == 48) {
            expX = spikeyX;
            expY = spikeyY;
            spikeyTimer = 0;
            spikeyArmed = 0;
            spikeyY = 0;
        }
    }

    void explodeCell(double x, double y) {
        double i = x / 16 + (y / 16) * 40;
        if (m(i) >= 3 && m(i) <= 15) m(i) = 0;
        it(i) = 0;
    }

    void exp() {
        if (!(expY > 0)) return;
        explodeCell(expX, expY);
        explodeCell(expX + 16, expY);
        explodeCell(expX - 16, expY);
        explodeCell(expX, expY - 16);
        explodeCell(expX, expY + 16);
        expFrame += 1;
        if (expFrame == 16) expFrame = 0, expY = 0;
    }

    void fire() {
        for (int s = 0; s < 4; ++s) {
            if (!(fireY[s] > 0)) continue;
            fireDelay[s] += 1;
            if (fireDelay[s] == 2) fireDelay[s] = 0, fireFrame[s] += 1;
            if (fireFrame[s] == 16) fireFrame[s] = 0, fireY[s] = 0;
        }
    }

    void fireAt(double x, double y) {
        for (int s = 0; s < 4; ++s) {
            if (fireY[s] == 0) {
                fireX[s] = x;
                fireY[s] = y;
                return;
            }
        }
    }

    void randomFruit() {
        if (randomInt(300) != 25) return;
        if (fruitShown != 0 || !(pickupsLeft > 10)) return;
        double row = randomInt(13) + 1;
        double col = randomInt(18) + 1;
        double i = col + row * 40;
        if (m(i) != 0) return;
        m(i) = 5;
        fruitFrame = randomInt(11);
        fruitX = col * 16;
        fruitY = row * 16;
        fruitShown = 1;
    }

    // One level frame in the main loop's order (drawing left out).
    void frame() {
        flowerTileFrame += 1;
        if (flowerTileFrame == 32) flowerTileFrame = 0;
        bombTileFrame += 1;
        if (bombTileFrame == 16) bombTileFrame = 0;
        scanBaddy();
        scanBug();
        bugAnimation();
        baddyAnimation();
        oneShot(kleeFrame, kleeY);
        oneShot(blumeFrame, blumeY);
        oneShot(shrinkFrame, shrinkY);
        spikey();
        oneShot(takeFrame, takeY);
        exp();
        fire();
        randomFruit();
        baddyTick += 1;
        if (baddyTick == 16) baddyTick = 0;
    }
};

// Describes the first difference between the game and the model, or returns "".
std::string firstDifference(RulesModel& r) {
    GameGlobals& g = game;
    std::ostringstream out;
    auto num = [&](const char* name, double a, double b) {
        if (a != b && out.tellp() == 0) out << name << ": game " << a << ", model " << b;
    };
    num("bugX", g.bugX, r.bugX);
    num("bugY", g.bugY, r.bugY);
    num("bugStep", g.bugStep, r.bugStep);
    num("bugFrame", g.bugFrame, r.bugFrame);
    num("bugDir", g.bugDir, r.bugDir);
    num("bugFacing", g.bugFacing, r.bugFacing);
    num("bugDead", g.bugDead, r.bugDead);
    num("score", g.score, r.score);
    num("pickupsLeft", g.pickupsLeft, r.pickupsLeft);
    num("bombStock", g.bombStock, r.bombStock);
    num("levelDone", g.levelDone, r.levelDone);
    num("baddyTick", g.baddyTick, r.baddyTick);
    num("spikeyTimer", g.spikeyTimer, r.spikeyTimer);
    num("spikeyArmed", g.spikeyArmed, r.spikeyArmed);
    num("spikeyFrame", g.spikeyFrame, r.spikeyFrame);
    num("spikeyX", g.spikeyX, r.spikeyX);
    num("spikeyY", g.spikeyY, r.spikeyY);
    num("expFrame", g.expFrame, r.expFrame);
    num("expX", g.expX, r.expX);
    num("expY", g.expY, r.expY);
    num("fruitShown", g.fruitShown, r.fruitShown);
    num("fruitFrame", g.fruitFrame, r.fruitFrame);
    num("fruitX", g.fruitX, r.fruitX);
    num("fruitY", g.fruitY, r.fruitY);
    num("kleeFrame", g.kleeFrame, r.kleeFrame);
    num("kleeX", g.kleeX, r.kleeX);
    num("kleeY", g.kleeY, r.kleeY);
    num("blumeFrame", g.blumeFrame, r.blumeFrame);
    num("blumeX", g.blumeX, r.blumeX);
    num("blumeY", g.blumeY, r.blumeY);
    num("shrinkFrame", g.shrinkFrame, r.shrinkFrame);
    num("shrinkX", g.shrinkX, r.shrinkX);
    num("shrinkY", g.shrinkY, r.shrinkY);
    num("takeFrame", g.takeFrame, r.takeFrame);
    num("takeX", g.takeX, r.takeX);
    num("takeY", g.takeY, r.takeY);
    num("flowerTileFrame", g.flowerTileFrame, r.flowerTileFrame);
    num("bombTileFrame", g.bombTileFrame, r.bombTileFrame);
    for (int s = 0; s < 4; ++s) {
        num("fireX", numAt(g.fireX, s), r.fireX[s]);
        num("fireY", numAt(g.fireY, s), r.fireY[s]);
        num("fireFrame", numAt(g.fireFrame, s), r.fireFrame[s]);
        num("fireDelay", numAt(g.fireDelay, s), r.fireDelay[s]);
    }
    auto cells = [&](const char* name, NumberArray& a, const std::vector<double>& b) {
        for (int i = 0; i < 1200 && out.tellp() == 0; ++i) {
            if (numAt(a, i) != b[i])
                out << name << " of cell " << i << ": game " << numAt(a, i) << ", model " << b[i];
        }
    };
    cells("mapGrid", g.mapGrid, r.map);
    cells("itemGrid", g.itemGrid, r.item);
    cells("baddyState", g.baddyState, r.bState);
    cells("baddyX", g.baddyX, r.bX);
    cells("baddyY", g.baddyY, r.bY);
    cells("baddyFrame", g.baddyFrame, r.bFrame);
    return out.str();
}

// A random closed maze: walls round the 20 x 15 playfield (column 20 and row 15 close the right
// and bottom so that the outer playable row and column are scanned too), blocks, baddies,
// pick-ups and junctions, and one bug.
void buildRandomLevel(std::mt19937& rng) {
    GameGlobals& g = game;
    std::uniform_int_distribution<int> pct(0, 99);
    for (int i = 0; i < 1200; ++i) {
        numAt(g.mapGrid, i) = 0;
        numAt(g.itemGrid, i) = 0;
        numAt(g.junctionGrid, i) = 0;
    }
    for (int r = 0; r <= 15; ++r) {
        for (int c = 0; c <= 20; ++c) {
            double i = c + r * 40;
            if (r == 0 || c == 0 || r == 15 || c == 20) {
                numAt(g.mapGrid, i) = kWall;
                continue;
            }
            int p = pct(rng);
            double code = 0;
            if (p < 12)
                code = kWall;
            else if (p < 24)
                code = kBlock;
            else if (p < 27)
                code = kBaddyRight + (pct(rng) % 4);
            numAt(g.mapGrid, i) = code;
            int q = pct(rng);
            if (q < 25)
                numAt(g.itemGrid, i) = kClover;
            else if (q < 32)
                numAt(g.itemGrid, i) = kFlower;
            else if (q < 40)
                numAt(g.itemGrid, i) = kSpikeyBomb;
            if (pct(rng) < 35) numAt(g.junctionGrid, i) = kJunction;
        }
    }
    std::uniform_int_distribution<int> col(1, 18), row(1, 13);
    numAt(g.mapGrid, col(rng) + row(rng) * 40) = kBug;
}

void holdRandomKeys(std::mt19937& rng) {
    static const unsigned char codes[6] = {205, 203, 200, 208, 57, 29};
    unsigned char keys[256] = {};
    std::uniform_int_distribution<int> pct(0, 99);
    for (unsigned char c : codes) {
        if (pct(rng) < 30) keys[c] = 0x80;
    }
    injectKeyboardSnapshot(keys);
}

class RandomNumbersTest : public ::testing::Test {
  protected:
    void SetUp() override { resetGame(); }
    void TearDown() override { releaseKeys(); }
};

// Plays random levels side by side with the model. With few pick-ups to go, levels get finished
// too; finishing writes the score tables, so the test works in a private folder.
class RulesSideBySideTest : public GameFolderTest {
  protected:
    void TearDown() override {
        releaseKeys();
        GameFolderTest::TearDown();
    }
};

TEST_F(RulesSideBySideTest, RandomLevelsPlayFrameByFrameAsTheRulesSay) {
    int framesCompared = 0, deaths = 0, blasts = 0, fruits = 0, finished = 0;
    for (int levelSeed = 1; levelSeed <= 48; ++levelSeed) {
        std::mt19937 rng(static_cast<unsigned>(levelSeed) * 7919u);
        resetGame();
        buildRandomLevel(rng);
        FindBug();
        // Mostly plenty left to collect, so that fruit is offered; every third level is nearly
        // done.
        if (levelSeed % 3 == 0)
            game.pickupsLeft = 2;
        else
            game.pickupsLeft += 1000;
        RulesModel model;
        model.takeFrom(game);
        seedRandom(levelSeed);
        bool sawBlast = false, sawFruit = false;
        int framesAfterEnd = 0;
        for (int frame = 1; frame <= 3000; ++frame) {
            if (frame % 7 == 1) holdRandomKeys(rng);
            RandomState before = randomState;
            LevelFrame();
            RandomState afterGame = randomState;
            randomState = before;
            model.frame();
            ASSERT_EQ(0, std::memcmp(&afterGame, &randomState, sizeof(RandomState)))
                << "the game and the rules drew different random numbers in frame " << frame
                << " of level " << levelSeed;
            std::string diff = firstDifference(model);
            ASSERT_EQ("", diff) << "frame " << frame << " of level " << levelSeed;
            ++framesCompared;
            sawBlast = sawBlast || game.expY > 0;
            sawFruit = sawFruit || game.fruitShown == 1;
            // The world keeps running after the end; a while later the next level starts.
            if (game.bugDead == 1 || game.levelDone == 1) {
                if (++framesAfterEnd > 80) break;
            }
        }
        deaths += game.bugDead == 1;
        finished += game.levelDone == 1;
        blasts += sawBlast;
        fruits += sawFruit;
    }
    // The random levels exercise what they are meant to.
    RecordProperty("frames", framesCompared);
    EXPECT_GT(framesCompared, 8000);
    EXPECT_GT(deaths, 0);
    EXPECT_GT(finished, 0);
    EXPECT_GT(blasts, 0);
    EXPECT_GT(fruits, 0);
}

// The generator written out again from its description, to check the runtime's words and the
// reduction randomInt makes of them.
struct ReferenceIsaac {
    uint32_t mem[256] = {}, res[256] = {}, a = 0, b = 0, c = 0;

    static void mix(uint32_t* w) {
        w[0] ^= w[1] << 11;
        w[3] += w[0];
        w[1] += w[2];
        w[1] ^= w[2] >> 2;
        w[4] += w[1];
        w[2] += w[3];
        w[2] ^= w[3] << 8;
        w[5] += w[2];
        w[3] += w[4];
        w[3] ^= w[4] >> 16;
        w[6] += w[3];
        w[4] += w[5];
        w[4] ^= w[5] << 10;
        w[7] += w[4];
        w[5] += w[6];
        w[5] ^= w[6] >> 4;
        w[0] += w[5];
        w[6] += w[7];
        w[6] ^= w[7] << 8;
        w[1] += w[6];
        w[7] += w[0];
        w[7] ^= w[0] >> 9;
        w[2] += w[7];
        w[0] += w[1];
    }

    void step() {
        c += 1;
        uint32_t bb = b + c, aa = a;
        for (int i = 0; i < 256; ++i) {
            uint32_t x = mem[i];
            uint32_t shifted = i % 4 == 0   ? aa << 13
                               : i % 4 == 1 ? aa >> 6
                               : i % 4 == 2 ? aa << 2
                                            : aa >> 16;
            aa = (aa ^ shifted) + mem[(i + 128) % 256];
            uint32_t y = mem[(x >> 2) % 256] + aa + bb;
            mem[i] = y;
            bb = mem[(y >> 10) % 256] + x;
            res[i] = bb;
        }
        a = aa;
        b = bb;
    }

    explicit ReferenceIsaac(int32_t seed) {
        uint32_t w[8];
        for (uint32_t& v : w) v = 0x9e3779b9u;
        for (int k = 0; k < 32; ++k) {
            w[0] += static_cast<uint32_t>(seed);
            mix(w);
            std::memcpy(&mem[8 * k], w, sizeof w);
        }
        for (int n = 0; n < 4; ++n) mix(w);
        for (int pass = 0; pass < 2; ++pass) {
            const uint32_t* src = pass == 0 ? res : mem;
            for (int k = 0; k < 32; ++k) {
                for (int j = 0; j < 8; ++j) w[j] += src[8 * k + j];
                mix(w);
                std::memcpy(&mem[8 * k], w, sizeof w);
            }
        }
        step();
    }

    double randomInt(double n) {
        if (n <= 0) return 0;
        step();
        return res[0] % (static_cast<uint32_t>(n) + 1u);
    }
};

TEST_F(RandomNumbersTest, RandomIntFollowsTheGeneratorAndItsRanges) {
    const double ranges[] = {300, 13, 18, 11, 2, 1, 2.9, 0, -4};
    for (int32_t seed : {0, 1, 25, -7, 1234567, INT32_MIN}) {
        ReferenceIsaac ref(seed);
        seedRandom(seed);
        for (int k = 0; k < 200; ++k) {
            double n = ranges[k % 9];
            double want = ref.randomInt(n);
            ASSERT_EQ(want, randomInt(n)) << "seed " << seed << ", draw " << k << ", n " << n;
        }
    }
}

}  // namespace
