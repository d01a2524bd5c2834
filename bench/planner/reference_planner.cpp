// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The plain reference search that the benchmark and the differential test hold the planner to.
#include "bench/planner/reference_planner.h"

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace reference {
namespace {

struct Node {
    Node* parent;
    int32_t x, y;
    float f;
    float g;
    Node* next;
};

class NodeFactory {
  public:
    explicit NodeFactory(int size) : size_(size), nodes_(new Node*[size]) {
        for (int i = 0; i < size_; ++i) nodes_[i] = new Node();
    }
    virtual ~NodeFactory() {
        for (int i = 0; i < size_; ++i) delete nodes_[i];
        delete[] nodes_;
    }
    Node* acquire() { return next_ < size_ ? nodes_[next_++] : nullptr; }
    void releaseAll() { next_ = 0; }

  private:
    int size_;
    Node** nodes_;
    int next_ = 0;
};

class NodeHashTable {
  public:
    explicit NodeHashTable(int bits) {
        int b = bits < 0 ? 0 : bits;
        b &= ~1;
        if (b > 24) b = 24;
        shift_ = b / 2;
        mask_ = (1 << shift_) - 1;
        count_ = 1 << b;
        buckets_ = new Node*[count_];
        for (int i = 0; i < count_; ++i) buckets_[i] = nullptr;
    }
    virtual ~NodeHashTable() { delete[] buckets_; }

    int bucketOf(int x, int y) const { return (x & mask_) | ((y & mask_) << shift_); }

    Node* find(int x, int y) {
        lastBucket_ = bucketOf(x, y);
        lastPrev_ = nullptr;
        for (Node* n = buckets_[lastBucket_]; n; n = n->next) {
            if (n->x == x && n->y == y) {
                lastFound_ = n;
                return n;
            }
            lastPrev_ = n;
        }
        lastFound_ = nullptr;
        return nullptr;
    }
    void removeLastFound() {
        if (!lastFound_) return;
        if (lastPrev_) {
            lastPrev_->next = lastFound_->next;
        } else {
            buckets_[lastBucket_] = lastFound_->next;
        }
        lastFound_->next = nullptr;
        lastFound_ = nullptr;
    }
    void insert(Node* node) {
        int b = bucketOf(node->x, node->y);
        for (Node* n = buckets_[b]; n; n = n->next) {
            if (n == node) return;
        }
        node->next = buckets_[b];
        buckets_[b] = node;
    }
    void clear() {
        for (int i = 0; i < count_; ++i) buckets_[i] = nullptr;
    }

  private:
    Node** buckets_;
    int count_;
    int shift_;
    int mask_;
    Node* lastFound_ = nullptr;
    Node* lastPrev_ = nullptr;
    int lastBucket_ = 0;
};

class FixedDeque {
  public:
    explicit FixedDeque(int capacity)
        : cap_(capacity), a_(new Node*[capacity]), scratch_(new Node*[capacity]) {}
    virtual ~FixedDeque() {
        delete[] a_;
        delete[] scratch_;
    }
    int size() const {
        if (empty_) return 0;
        return tail_ > head_ ? tail_ - head_ : tail_ + cap_ - head_;
    }
    Node* at(int i) const { return a_[(head_ + i) % cap_]; }
    bool pushBack(Node* n) {
        if (size() == cap_) return false;
        a_[tail_] = n;
        tail_ = (tail_ + 1) % cap_;
        empty_ = false;
        return true;
    }
    void popBack() {
        if (empty_) return;
        tail_ = (tail_ + cap_ - 1) % cap_;
        if (tail_ == head_) empty_ = true;
    }
    bool insertAt(int i, Node* n) {
        int s = size();
        if (s == cap_) return false;
        for (int k = 0; k < i; ++k) scratch_[k] = at(k);
        scratch_[i] = n;
        for (int k = i; k < s; ++k) scratch_[k + 1] = at(k);
        swapIn(s + 1);
        return true;
    }
    void removeAt(int i) {
        int s = size();
        int j = 0;
        for (int k = 0; k < s; ++k) {
            if (k != i) scratch_[j++] = at(k);
        }
        swapIn(s - 1);
    }

  private:
    void swapIn(int newSize) {
        Node** t = a_;
        a_ = scratch_;
        scratch_ = t;
        head_ = 0;
        tail_ = newSize % cap_;
        empty_ = newSize == 0;
    }
    int cap_;
    Node** a_;
    Node** scratch_;
    int head_ = 0;
    int tail_ = 0;
    bool empty_ = true;
};

class Planner {
  public:
    virtual ~Planner() {
        delete pool_;
        delete open_;
        delete closed_;
        delete[] costs_;
    }
    bool setup(const PlannerSettings& s) {
        if (s.startX < 0 || s.startX >= s.width || s.goalX < 0 || s.goalX >= s.width) return false;
        if (s.startY < 0 || s.startY >= s.height || s.goalY < 0 || s.goalY >= s.height)
            return false;
        if (s.startX == s.goalX && s.startY == s.goalY) return false;
        delete[] costs_;
        costs_ = nullptr;
        const int cells = s.width * s.height;
        double maxValue = 0;
        bool any = false;
        for (int i = 0; i < cells; ++i) {
            double v = s.cells[i];
            if (v > 0 && v <= DBL_MAX) {
                any = true;
                if (v > maxValue) maxValue = v;
            }
        }
        if (!any) return false;
        costs_ = new float[cells];
        for (int i = 0; i < cells; ++i) {
            double v = s.cells[i];
            costs_[i] = (v > 0 && v <= DBL_MAX) ? static_cast<float>(v / maxValue + 1.0) : -1.0f;
        }
        pool_ = new NodeFactory(s.poolSize > 0 ? s.poolSize : cells);
        open_ = new FixedDeque(s.openCapacity > 0 ? s.openCapacity : cells);
        closed_ = new NodeHashTable(s.hashBits);
        settings_ = s;
        if (!(settings_.weight >= 0.0f)) settings_.weight = 0.0f;
        if (settings_.weight > 1.0f) settings_.weight = 1.0f;
        result_ = nullptr;
        done_ = 1;
        return true;
    }
    virtual void start() {
        done_ = 0;
        result_ = nullptr;
    }
    virtual bool search() = 0;
    virtual void clear() {
        while (open_->size()) open_->popBack();
        closed_->clear();
        pool_->releaseAll();
        result_ = nullptr;
        done_ = 1;
    }
    Node* result() const { return result_; }

  protected:
    float cost(int x, int y) const { return costs_[x + settings_.width * y]; }
    void insertSorted(Node* n) {
        int lo = 0, hi = open_->size();
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (open_->at(mid)->f <= n->f) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        open_->insertAt(lo, n);
    }

    uint8_t done_ = 1;
    NodeFactory* pool_ = nullptr;
    PlannerSettings settings_;
    float* costs_ = nullptr;
    FixedDeque* open_ = nullptr;
    NodeHashTable* closed_ = nullptr;
    Node* result_ = nullptr;
};

class AStarPlanner : public Planner {
  public:
    void start() override {
        Planner::start();
        Node* n = pool_->acquire();
        if (!n) return;
        n->parent = nullptr;
        n->x = settings_.startX;
        n->y = settings_.startY;
        n->g = 0.0f;
        n->f = 0.0f;
        n->next = nullptr;
        open_->pushBack(n);
    }

    bool search() override {
        static const int dx[8] = {-1, 0, 1, 1, -1, -1, 0, 1};
        static const int dy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
        static const bool diagonal[8] = {true, false, true, false, false, true, false, true};
        const float W = settings_.weight;
        while (open_->size() > 0) {
            Node* n = open_->at(open_->size() - 1);
            open_->popBack();
            if (n->x == settings_.goalX && n->y == settings_.goalY) {
                closed_->insert(n);
                result_ = n;
                done_ = 1;
                return true;
            }
            for (int k = 0; k < 8; ++k) {
                if (diagonal[k] && !settings_.allowDiagonal) continue;
                int nx = n->x + dx[k], ny = n->y + dy[k];
                if (nx < 0 || ny < 0 || nx >= settings_.width || ny >= settings_.height) continue;
                float c = cost(nx, ny);
                if (c == -1.0f) continue;
                float g2 = diagonal[k] ? n->g + c * (settings_.diagonalCost ? 1.4142137f : 1.0f)
                                       : n->g + c;
                float h = static_cast<float>(std::abs(settings_.goalX - nx) +
                                             std::abs(settings_.goalY - ny));
                float f2 = g2 + W * (h - g2);

                if (Node* old = closed_->find(nx, ny)) {
                    if (old->g > g2) {
                        closed_->removeLastFound();
                        old->parent = n;
                        old->g = g2;
                        old->f = f2;
                        insertSorted(old);
                    }
                    continue;
                }
                int found = -1;
                for (int i = open_->size() - 1; i >= 0; --i) {
                    Node* o = open_->at(i);
                    if (o->x == nx && o->y == ny) {
                        found = i;
                        break;
                    }
                }
                if (found >= 0) {
                    Node* old = open_->at(found);
                    if (old->g > g2) {
                        open_->removeAt(found);
                        old->parent = n;
                        old->g = g2;
                        old->f = f2;
                        insertSorted(old);
                    }
                    continue;
                }
                Node* m = pool_->acquire();
                if (!m) continue;
                m->parent = n;
                m->x = nx;
                m->y = ny;
                m->g = g2;
                m->f = f2;
                m->next = nullptr;
                insertSorted(m);
            }
            closed_->insert(n);
        }
        done_ = 1;
        return false;
    }
};

}  // namespace

int planPath(const PlannerSettings& settings, std::vector<GridPoint>& path) {
    AStarPlanner planner;
    if (!planner.setup(settings)) return -1;
    planner.start();
    planner.search();
    Node* goal = planner.result();
    if (!goal) {
        path.clear();
        return 0;
    }
    int n = 0;
    for (Node* p = goal; p; p = p->parent) ++n;
    path.assign(n, GridPoint{0, 0});
    int i = n;
    for (Node* p = goal; p; p = p->parent) path[--i] = GridPoint{p->x, p->y};
    planner.clear();
    return n;
}

}  // namespace reference
