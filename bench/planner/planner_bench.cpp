// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The shipped planner against the plain reference search on the same maps, in one run, followed by
// the speed-up per case.
//
//   build/bench/planner/planner_bench
//
// Maps: random costs 1..100 with about 20% of the cells blocked, start in one corner, goal in the
// opposite one (both kept open), fixed seeds so every run measures the same searches.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/planner/reference_planner.h"
#include "planner/planner.h"

namespace {

struct BenchMap {
    int side;
    std::vector<double> cells;
};

const BenchMap& benchMap(int side) {
    static std::map<int, BenchMap> maps;
    auto it = maps.find(side);
    if (it != maps.end()) return it->second;
    BenchMap m{side, std::vector<double>(static_cast<size_t>(side) * side)};
    std::mt19937 rng(static_cast<uint32_t>(side) * 7919u);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> value(1, 100);
    for (double& v : m.cells) v = unit(rng) < 0.2 ? 0.0 : value(rng);
    m.cells.front() = 1.0;
    m.cells.back() = 1.0;
    return maps.emplace(side, std::move(m)).first->second;
}

PlannerSettings settingsFor(const BenchMap& m, float weight) {
    PlannerSettings s;
    s.width = m.side;
    s.height = m.side;
    s.cells = m.cells.data();
    s.startX = 0;
    s.startY = 0;
    s.goalX = m.side - 1;
    s.goalY = m.side - 1;
    s.weight = weight;
    return s;
}

template <int (*Plan)(const PlannerSettings&, std::vector<GridPoint>&)>
void runPlanner(benchmark::State& state) {
    const BenchMap& m = benchMap(static_cast<int>(state.range(0)));
    const float weight = static_cast<float>(state.range(1)) / 100.0f;
    const PlannerSettings s = settingsFor(m, weight);
    std::vector<GridPoint> path;
    int n = 0;
    for (auto _ : state) {
        n = Plan(s, path);
        benchmark::DoNotOptimize(n);
    }
    state.counters["path_points"] = n;
}

void Shipped(benchmark::State& state) { runPlanner<planPath>(state); }
void Reference(benchmark::State& state) { runPlanner<reference::planPath>(state); }

// Arguments: map side, weight in hundredths.
BENCHMARK(Reference)
    ->Args({256, 0})
    ->Args({256, 50})
    ->Args({256, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Shipped)
    ->Args({256, 0})
    ->Args({256, 50})
    ->Args({256, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Shipped)
    ->Args({1024, 0})
    ->Args({1024, 50})
    ->Args({1024, 100})
    ->Unit(benchmark::kMillisecond);

// Prints the usual table, then reference time / shipped time for every case both ran.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            std::string name = r.benchmark_name();
            const Times t{r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
            if (name.rfind("Reference/", 0) == 0) {
                reference_[name.substr(10)] = t;
                order_.push_back(name.substr(10));
            }
            if (name.rfind("Shipped/", 0) == 0) shipped_[name.substr(8)] = t;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nspeed-up of the shipped planner (reference time / shipped time):\n");
        for (const std::string& args : order_) {
            const Times ref = reference_[args];
            auto it = shipped_.find(args);
            if (it == shipped_.end() || it->second.real <= 0 || it->second.cpu <= 0) continue;
            std::printf("  map/weight %-10s %7.1fx wall clock %7.1fx CPU\n", args.c_str(),
                        ref.real / it->second.real, ref.cpu / it->second.cpu);
        }
    }

  private:
    struct Times {
        double real, cpu;
    };
    std::map<std::string, Times> reference_, shipped_;
    std::vector<std::string> order_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                  : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
