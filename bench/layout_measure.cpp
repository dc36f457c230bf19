// Measures the layout engine over many random photo sets: how often it
// finds a layout within its budget (with the mended rules, or with the
// rules as first written), how much of the photos the cover fit cuts away
// against a random assignment, and the largest set a 10 x 7.5 canvas still
// takes. Not a test: prints figures.
//
//   layout_measure [--as-written] [--sets N] [--threads T] [--largest]

#include "layoutengine.h"
#include "layoutsets.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace {

constexpr int kMinPhotos = 2;
constexpr int kMaxPhotos = 300;

const char* outcomeName(CLayoutEngine::Outcome outcome)
{
    switch (outcome) {
    case CLayoutEngine::Outcome::Found: return "found";
    case CLayoutEngine::Outcome::TimedOut: return "no layout within 3,000 ms";
    case CLayoutEngine::Outcome::EndlessShuffle: return "endless shuffle (hang)";
    case CLayoutEngine::Outcome::NoColumns: return "no columns left (division by zero)";
    case CLayoutEngine::Outcome::EndlessGrid: return "grid without rows (hang)";
    case CLayoutEngine::Outcome::NothingToLayOut: return "nothing to lay out";
    case CLayoutEngine::Outcome::NotRun: break;
    }
    return "not run";
}

// The share of a photo the cover fit cuts away in a cell.
double cropLoss(const QSizeF& photo, const CLayoutCell& cell)
{
    const double photoAspect = photo.width() / photo.height();
    const double cellAspect = double(cell.width) / cell.height;
    return 1.0 - std::min(photoAspect / cellAspect, cellAspect / photoAspect);
}

struct Tally
{
    std::mutex mutex;
    std::map<std::string, std::pair<int, int>> byKind; // found, all
    std::map<std::string, int> outcomes;
    double engineLoss = 0, randomLoss = 0;
    long photos = 0;
    double slowestMs = 0;
    double totalMs = 0;
    int runs = 0;
};

void measureSuccess(bool asWritten, int setsPerCanvas, int threads)
{
    Tally tally;
    std::atomic<int> next{0};
    const auto& canvases = LayoutSets::presetCanvases();
    const int total = setsPerCanvas * int(canvases.size());
    auto work = [&] {
        for (int index = next++; index < total; index = next++) {
            std::mt19937 random(std::uint32_t(index) * 7919u + 17u);
            const LayoutSets::Canvas& canvas = canvases[std::size_t(index % int(canvases.size()))];
            const auto kind = LayoutSets::Kind(std::uniform_int_distribution<int>(0, int(LayoutSets::Kind::KindCount) - 1)(random));
            const int count = std::uniform_int_distribution<int>(kMinPhotos, kMaxPhotos)(random);
            const std::vector<QSizeF> sizes = LayoutSets::photoSet(random, kind, count);
            CLayoutEngine::Options options;
            options.seed = std::uint32_t(index);
            options.asWritten = asWritten;
            CLayoutEngine engine(QRectF(0, 0, canvas.width, canvas.height), sizes, options);
            QElapsedTimer timer;
            timer.start();
            const bool found = engine.Run();
            const double ms = timer.nsecsElapsed() / 1e6;

            double engineLoss = 0, randomLoss = 0;
            if (found) {
                const std::vector<CLayoutPlacement> placements = engine.Assign();
                std::vector<int> shuffled(sizes.size());
                for (std::size_t i = 0; i < shuffled.size(); ++i)
                    shuffled[i] = int(i);
                std::shuffle(shuffled.begin(), shuffled.end(), random);
                for (std::size_t i = 0; i < placements.size(); ++i) {
                    engineLoss += cropLoss(sizes[std::size_t(placements[i].photo)], placements[i].cell);
                    randomLoss += cropLoss(sizes[std::size_t(shuffled[i])], placements[i].cell);
                }
            }
            std::lock_guard<std::mutex> lock(tally.mutex);
            auto& kindTally = tally.byKind[LayoutSets::kindName(kind)];
            kindTally.first += found ? 1 : 0;
            kindTally.second += 1;
            tally.outcomes[outcomeName(engine.outcome())] += 1;
            tally.engineLoss += engineLoss;
            tally.randomLoss += randomLoss;
            tally.photos += found ? count : 0;
            tally.slowestMs = std::max(tally.slowestMs, ms);
            tally.totalMs += ms;
            tally.runs += 1;
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work);
    for (std::thread& thread : pool)
        thread.join();

    int found = 0;
    std::printf("rules: %s; %d sets of %d..%d photos on the preset canvases\n",
                asWritten ? "as first written" : "mended", total, kMinPhotos, kMaxPhotos);
    for (const auto& [kind, counts] : tally.byKind) {
        std::printf("  %-30s %4d / %4d laid out (%.1f %%)\n", kind.c_str(), counts.first, counts.second,
                    100.0 * counts.first / counts.second);
        found += counts.first;
    }
    std::printf("  overall: %d / %d (%.1f %%)\n", found, total, 100.0 * found / total);
    for (const auto& [outcome, count] : tally.outcomes)
        std::printf("  outcome %-36s %d\n", outcome.c_str(), count);
    std::printf("  time per run: mean %.1f ms, slowest %.1f ms\n", tally.totalMs / tally.runs, tally.slowestMs);
    if (tally.photos > 0)
        std::printf("  mean crop loss per photo: engine %.3f, random assignment %.3f\n", tally.engineLoss / tally.photos,
                    tally.randomLoss / tally.photos);
}

bool allSucceed(bool asWritten, int count, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::mt19937 random(std::uint32_t(count * 31 + attempt));
        const std::vector<QSizeF> sizes = LayoutSets::photoSet(random, LayoutSets::Kind::Mixed, count);
        CLayoutEngine::Options options;
        options.seed = std::uint32_t(attempt + 1);
        options.asWritten = asWritten;
        CLayoutEngine engine(QRectF(0, 0, 10, 7.5), sizes, options);
        if (!engine.Run())
            return false;
    }
    return true;
}

// The largest mixed set that is laid out on every one of a few tries: a
// doubling search, then halving the step.
void measureLargest(bool asWritten)
{
    constexpr int kAttempts = 3;
    constexpr int kCeiling = 4000;
    int good = 1;
    int count = 2;
    while (count <= kCeiling && allSucceed(asWritten, count, kAttempts)) {
        good = count;
        count *= 2;
    }
    int bad = std::min(count, kCeiling + 1);
    while (bad - good > 1) {
        const int middle = (good + bad) / 2;
        (allSucceed(asWritten, middle, kAttempts) ? good : bad) = middle;
    }
    std::printf("largest mixed set laid out on 10 x 7.5 (%d tries each): %d photos%s\n", kAttempts, good,
                good >= kCeiling ? " (search ceiling)" : "");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool asWritten = false;
    bool largest = false;
    int sets = 100;
    int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--as-written"))
            asWritten = true;
        else if (!std::strcmp(argv[i], "--largest"))
            largest = true;
        else if (!std::strcmp(argv[i], "--sets") && i + 1 < argc)
            sets = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--threads") && i + 1 < argc)
            threads = std::atoi(argv[++i]);
    }
    measureSuccess(asWritten, sets, threads);
    if (largest)
        measureLargest(asWritten);
    return 0;
}
