// Measures the layout engine over many random photo sets: how often it
// finds a layout within its budget (with the mended rules, or with the
// rules as first written), how much of the photos the cover fit cuts away
// against the first layout the search finds and a random assignment, how
// many photos land in a cell of the other orientation, and the largest set
// a 10 x 7.5 canvas still takes. Not a test: prints figures.
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

// A landscape photo in a portrait cell or the reverse; squares are neither,
// and a cell whose float edges miss square by a float step is square.
bool wrongOrientation(const QSizeF& photo, const CLayoutCell& cell)
{
    const bool photoLandscape = photo.width() > photo.height();
    const bool photoPortrait = photo.height() > photo.width();
    const double cellAspect = double(cell.width) / cell.height;
    const bool cellLandscape = cellAspect > 1.0 + CLayoutEngine::kSquareTolerance;
    const bool cellPortrait = cellAspect < 1.0 - CLayoutEngine::kSquareTolerance;
    return (photoLandscape && cellPortrait) || (photoPortrait && cellLandscape);
}

struct LayoutFigures
{
    double crop = 0;
    int wrong = 0;
};

LayoutFigures figuresOf(const std::vector<QSizeF>& sizes, const std::vector<CLayoutPlacement>& placements)
{
    LayoutFigures figures;
    for (const CLayoutPlacement& placement : placements) {
        const QSizeF& photo = sizes[std::size_t(placement.photo)];
        figures.crop += cropLoss(photo, placement.cell);
        figures.wrong += wrongOrientation(photo, placement.cell) ? 1 : 0;
    }
    return figures;
}

struct Tally
{
    std::mutex mutex;
    std::map<std::string, std::pair<int, int>> byKind; // found, all
    std::map<std::string, long> wrongByKind;
    std::map<std::string, std::pair<double, long>> cropByKind; // sum, photos
    std::map<std::string, int> outcomes;
    double engineLoss = 0, randomLoss = 0, firstLoss = 0;
    long photos = 0;
    long wrongOrientation = 0;
    int layouts = 0;
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

            double engineLoss = 0, randomLoss = 0, firstLoss = 0;
            int wrong = 0;
            if (found && !asWritten) {
                // The same search stopped at the first layout it finds.
                CLayoutEngine::Options firstOptions = options;
                firstOptions.improveWithinMs = 0;
                CLayoutEngine first(QRectF(0, 0, canvas.width, canvas.height), sizes, firstOptions);
                if (first.Run())
                    firstLoss = figuresOf(sizes, first.Assign()).crop;
            }
            if (found) {
                const std::vector<CLayoutPlacement> placements = engine.Assign();
                const LayoutFigures figures = figuresOf(sizes, placements);
                engineLoss = figures.crop;
                wrong = figures.wrong;
                std::vector<int> shuffled(sizes.size());
                for (std::size_t i = 0; i < shuffled.size(); ++i)
                    shuffled[i] = int(i);
                std::shuffle(shuffled.begin(), shuffled.end(), random);
                for (std::size_t i = 0; i < placements.size(); ++i)
                    randomLoss += cropLoss(sizes[std::size_t(shuffled[i])], placements[i].cell);
            }
            std::lock_guard<std::mutex> lock(tally.mutex);
            auto& kindTally = tally.byKind[LayoutSets::kindName(kind)];
            kindTally.first += found ? 1 : 0;
            kindTally.second += 1;
            tally.outcomes[outcomeName(engine.outcome())] += 1;
            tally.engineLoss += engineLoss;
            tally.randomLoss += randomLoss;
            tally.firstLoss += firstLoss;
            tally.photos += found ? count : 0;
            tally.wrongOrientation += wrong;
            tally.wrongByKind[LayoutSets::kindName(kind)] += wrong;
            auto& kindCrop = tally.cropByKind[LayoutSets::kindName(kind)];
            kindCrop.first += engineLoss;
            kindCrop.second += found ? count : 0;
            tally.layouts += found ? 1 : 0;
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
        const auto& kindCrop = tally.cropByKind[kind];
        std::printf("  %-30s %4d / %4d laid out (%.1f %%), wrong-orientation photos per layout %.3f, crop %.3f\n",
                    kind.c_str(), counts.first, counts.second, 100.0 * counts.first / counts.second,
                    counts.first > 0 ? double(tally.wrongByKind[kind]) / counts.first : 0.0,
                    kindCrop.second > 0 ? kindCrop.first / double(kindCrop.second) : 0.0);
        found += counts.first;
    }
    std::printf("  overall: %d / %d (%.1f %%)\n", found, total, 100.0 * found / total);
    for (const auto& [outcome, count] : tally.outcomes)
        std::printf("  outcome %-36s %d\n", outcome.c_str(), count);
    std::printf("  time per run: mean %.1f ms, slowest %.1f ms\n", tally.totalMs / tally.runs, tally.slowestMs);
    if (tally.photos > 0)
        std::printf("  mean crop loss per photo: engine %.3f, first layout found %.3f, random assignment %.3f\n",
                    tally.engineLoss / tally.photos, tally.firstLoss / tally.photos, tally.randomLoss / tally.photos);
    if (tally.layouts > 0)
        std::printf("  photos in wrong-orientation cells per layout: %.3f (%ld of %ld photos)\n",
                    double(tally.wrongOrientation) / tally.layouts, tally.wrongOrientation, tally.photos);
}

// Small sets whose orientations leave no excuse for a photo in a cell of
// the other orientation, each laid out with many seeds.
void measureSmallSets(bool asWritten, int seeds)
{
    struct Case
    {
        const char* name;
        std::vector<QSizeF> sizes;
    };
    const QSizeF portrait(3000, 4000), landscape(4000, 3000), panorama3to1(3000, 1000);
    const std::vector<Case> cases = {
        {"4 portraits + one 3:1 panorama", {portrait, portrait, portrait, portrait, panorama3to1}},
        {"6 portraits + 2 landscapes + one 3:1 panorama",
         {portrait, portrait, portrait, portrait, portrait, portrait, landscape, landscape, panorama3to1}},
        {"5 landscapes + 2 portraits + one 3:1 panorama",
         {landscape, landscape, landscape, landscape, landscape, portrait, portrait, panorama3to1}},
        {"3 landscapes + 2 portraits", {landscape, landscape, landscape, portrait, portrait}},
        {"7 portraits", {portrait, portrait, portrait, portrait, portrait, portrait, portrait}},
    };
    std::printf("small sets on 10 x 7.5, %d seeds each (%s):\n", seeds, asWritten ? "as first written" : "mended");
    for (const Case& c : cases) {
        int layouts = 0;
        long wrong = 0;
        double crop = 0;
        for (int seed = 1; seed <= seeds; ++seed) {
            CLayoutEngine::Options options;
            options.seed = std::uint32_t(seed);
            options.asWritten = asWritten;
            CLayoutEngine engine(QRectF(0, 0, 10, 7.5), c.sizes, options);
            if (!engine.Run())
                continue;
            const LayoutFigures figures = figuresOf(c.sizes, engine.Assign());
            ++layouts;
            wrong += figures.wrong;
            crop += figures.crop;
        }
        if (layouts == 0) {
            std::printf("  %-48s no layout\n", c.name);
            continue;
        }
        std::printf("  %-48s wrong-orientation photos per layout %.2f, mean crop %.1f %%\n", c.name,
                    double(wrong) / layouts, 100.0 * crop / (double(layouts) * double(c.sizes.size())));
    }
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
    measureSmallSets(asWritten, sets);
    if (largest)
        measureLargest(asWritten);
    return 0;
}
