// The layout engine's time to a layout for 100, 500 and 1,000 mixed photos on the
// 10 x 7.5 canvas, with the wall clock the program uses.
#include "layoutengine.h"
#include "layoutsets.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

void BM_LayoutMixedPhotos(benchmark::State& state)
{
    const int count = int(state.range(0));
    std::uint32_t seed = 1;
    int found = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::mt19937 random(seed);
        const std::vector<QSizeF> sizes = LayoutSets::photoSet(random, LayoutSets::Kind::Mixed, count);
        CLayoutEngine::Options options;
        options.seed = seed++;
        CLayoutEngine engine(QRectF(0, 0, 10, 7.5), sizes, options);
        state.ResumeTiming();
        found += engine.Run() ? 1 : 0;
        benchmark::DoNotOptimize(engine.Assign());
        ++runs;
    }
    state.counters["found"] = double(found) / runs;
}
BENCHMARK(BM_LayoutMixedPhotos)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
