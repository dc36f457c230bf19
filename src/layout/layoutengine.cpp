#include "layoutengine.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

// Sizes of the blocks, in cells (width x height).
constexpr int kBigBlockSide = 2;
constexpr int kPairLength = 2;
constexpr int kTripleLength = 3;
constexpr int kLongWidePanoramaLength = 4;  // among portrait cells
constexpr int kShortWidePanoramaLength = 2;
constexpr int kLongTallPanoramaLength = 3;  // among landscape cells
constexpr int kShortTallPanoramaLength = 2;
// Cells a block needs beyond the one its photo would take anyway.
constexpr int kBigBlockExtraCells = kBigBlockSide * kBigBlockSide - 1;
constexpr int kPairExtraCells = kPairLength - 1;
constexpr int kTripleExtraCells = kTripleLength - 1;

// Corrections to a fault-free plan come in rounds of failed tries; after
// the first round the placement fills the grid cell by cell, and every
// kRoundsPerModesty further rounds the plan asks for fewer blocks.
constexpr int kRoundsPerModesty = 2;
// Modesty levels: 1 drops the feature blocks, 2 lays panoramas out as
// ordinary photos, 3 drops the orientation pairs too.
constexpr int kModestyNoBigBlocks = 1;
constexpr int kModestyNoPanoramas = 2;
constexpr int kModestyNoPairs = 3;

// The grids tried after the first layout found: this many columns either
// side of its own, at least, or a third of its columns on a large grid...
constexpr int kMinColumnSpread = 3;
constexpr int kColumnSpreadDivisor = 3;
// ...with up to this many fewer feature blocks, each with the grid's extra
// pairs along and across the cells.
constexpr int kFewerBigBlocks = 2;
// Tries of each such grid, filling it cell by cell.
constexpr int kTriesPerVariant = 4;
// The grids of the best estimates are tried however long the first layout
// took to find.
constexpr int kVariantsAlwaysTried = 3;

int roundHalfAwayFromZero(double value) { return int(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5)); }

QElapsedTimer& wallClock()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer;
}

} // namespace

CLayoutEngine::CLayoutEngine(const QRectF& canvas, const std::vector<QSizeF>& photoSizes, Options options)
    : m_canvas(canvas)
    , m_options(std::move(options))
    , m_random(m_options.seed)
{
    m_sizes.reserve(photoSizes.size());
    for (const QSizeF& size : photoSizes) {
        const bool usable = std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0.0
            && size.height() > 0.0;
        m_sizes.push_back(usable ? size : QSizeF(kUnknownPhotoAspect, 1.0));
        m_master.push_back(int(m_sizes.size()) - 1);
    }
    if (!m_options.clock)
        m_options.clock = [] { return wallClock().elapsed(); };
}

qint64 CLayoutEngine::now() const { return m_options.clock(); }

float CLayoutEngine::photoAspect(int photo) const
{
    const QSizeF& size = m_sizes[std::size_t(photo)];
    return float(size.width() / size.height());
}

bool CLayoutEngine::isLandscape(int photo) const
{
    const QSizeF& size = m_sizes[std::size_t(photo)];
    return size.width() > size.height();
}

// ---------------------------------------------------------------------------
// Planning

bool CLayoutEngine::makePlan(int modesty)
{
    const bool mended = !m_options.asWritten;
    m_working = m_master;
    m_special.clear();
    CLayoutPlan plan;
    plan.total = int(m_master.size());

    double landscapeWidth = 0, landscapeHeight = 0, portraitWidth = 0, portraitHeight = 0;
    for (int photo : m_working) {
        const QSizeF& size = m_sizes[std::size_t(photo)];
        if (isLandscape(photo)) {
            ++plan.landscapes;
            landscapeWidth += size.width();
            landscapeHeight += size.height();
        } else {
            ++plan.portraits;
            portraitWidth += size.width();
            portraitHeight += size.height();
        }
    }

    // A panorama is laid out in a block of its own (below), so the mended
    // rules leave it out of the counts that choose the cell shape and the
    // pairs: counted among the pairs as well, it left a pair block that only
    // a photo of the other orientation could fill.
    const bool panoramas = !(mended && modesty >= kModestyNoPanoramas);
    const float tallLimit = mended ? kTallPanoramaAspect : kAsWrittenTallPanoramaAspect;
    auto isWidePanorama = [this](int photo) { return isLandscape(photo) && photoAspect(photo) >= kWidePanoramaAspect; };
    // The as-written test is "below 0.6"; the mended one "at most 1:2".
    auto isTallPanorama = [this, mended, tallLimit](int photo) {
        const float aspect = photoAspect(photo);
        return !isLandscape(photo) && (mended ? aspect <= tallLimit : aspect < tallLimit);
    };
    int L = plan.landscapes;
    int P = plan.portraits;
    if (mended && panoramas) {
        for (int photo : m_working) {
            L -= isWidePanorama(photo) ? 1 : 0;
            P -= isTallPanorama(photo) ? 1 : 0;
        }
    }

    const bool pairs = !(mended && modesty >= kModestyNoPairs);
    if (P > L && L > 0) {
        plan.portraitCells = true;
        plan.horizontalPairs = pairs ? L : 0;
        plan.cellsNeeded = plan.total + plan.horizontalPairs * kPairExtraCells;
    } else if (P <= L && P > 0) {
        plan.landscapeCells = true;
        plan.verticalPairs = pairs ? P : 0;
        plan.cellsNeeded = plan.total + plan.verticalPairs * kPairExtraCells;
    } else {
        plan.portraitCells = P > 0;
        plan.landscapeCells = L > 0;
        plan.cellsNeeded = plan.total;
    }

    // One pass over the working list, so the special list keeps the order
    // in which the photos were given.
    std::vector<int> remaining;
    for (int photo : m_working) {
        const QSizeF& size = m_sizes[std::size_t(photo)];
        if (panoramas && isWidePanorama(photo)) {
            ++plan.widePanoramas;
            landscapeWidth -= size.width();
            landscapeHeight -= size.height();
            plan.cellsNeeded += plan.portraitCells ? kLongWidePanoramaLength - 1 : kShortWidePanoramaLength - 1;
            m_special.push_back(photo);
        } else if (panoramas && isTallPanorama(photo)) {
            ++plan.tallPanoramas;
            portraitWidth -= size.width();
            portraitHeight -= size.height();
            plan.cellsNeeded += plan.landscapeCells ? kLongTallPanoramaLength - 1 : kShortTallPanoramaLength - 1;
            m_special.push_back(photo);
        } else {
            remaining.push_back(photo);
        }
    }
    m_working = std::move(remaining);

    // The averages' counts cancel: the sums' ratio is the ratio of averages.
    double aspect = plan.landscapeCells ? landscapeWidth / landscapeHeight : portraitWidth / portraitHeight;
    if (mended && !(std::isfinite(aspect) && aspect > 0.0)) {
        // Every photo of that orientation is a panorama: the sums are empty.
        aspect = 1.0;
    }
    plan.targetAspect = float(aspect);

    if (mended && pairs && m_triples && plan.landscapeCells != plan.portraitCells) {
        // A photo of the minority orientation spans three cells instead of
        // two when that cuts less of it.
        const bool acrossRows = plan.portraitCells;
        for (int photo : m_working) {
            if (isLandscape(photo) != acrossRows)
                continue;
            const double along = acrossRows ? double(photoAspect(photo)) / aspect : aspect / double(photoAspect(photo));
            if (std::fabs(std::log(along / kTripleLength)) < std::fabs(std::log(along / kPairLength))) {
                --(acrossRows ? plan.horizontalPairs : plan.verticalPairs);
                ++(acrossRows ? plan.horizontalTriples : plan.verticalTriples);
                plan.cellsNeeded += kTripleExtraCells - kPairExtraCells;
            }
        }
    }

    if (plan.total > kPhotosPerBigBlock && !(mended && modesty >= kModestyNoBigBlocks)) {
        plan.bigBlocks = plan.total / kPhotosPerBigBlock;
        plan.cellsNeeded += kBigBlockExtraCells * plan.bigBlocks;
    }

    if (mended) {
        // A plan never asks for more blocks than there are photos to fill
        // them: feature blocks go first, then pairs.
        m_plan = plan;
        while (blockCount() > plan.total && m_plan.bigBlocks > 0) {
            --m_plan.bigBlocks;
            m_plan.cellsNeeded -= kBigBlockExtraCells;
        }
        while (blockCount() > plan.total && (m_plan.horizontalTriples > 0 || m_plan.verticalTriples > 0)) {
            int& tripleCount = m_plan.horizontalTriples > 0 ? m_plan.horizontalTriples : m_plan.verticalTriples;
            --tripleCount;
            m_plan.cellsNeeded -= kTripleExtraCells;
        }
        while (blockCount() > plan.total && (m_plan.horizontalPairs > 0 || m_plan.verticalPairs > 0)) {
            int& pairCount = m_plan.horizontalPairs > 0 ? m_plan.horizontalPairs : m_plan.verticalPairs;
            --pairCount;
            m_plan.cellsNeeded -= kPairExtraCells;
        }
        return true;
    }
    m_plan = plan;
    return true;
}

CLayoutPlan CLayoutEngine::planBeforeGrid()
{
    makePlan(0);
    return m_plan;
}

int CLayoutEngine::blockCount() const
{
    return m_plan.bigBlocks + m_plan.widePanoramas + m_plan.tallPanoramas + m_plan.horizontalPairs
        + m_plan.verticalPairs + m_plan.horizontalTriples + m_plan.verticalTriples;
}

int CLayoutEngine::singles() const { return m_plan.total - blockCount(); }

std::vector<CLayoutEngine::BlockKind> CLayoutEngine::blockKinds() const
{
    const CLayoutPlan& p = m_plan;
    return {
        {p.bigBlocks, kBigBlockSide, kBigBlockSide, false},
        {p.widePanoramas, p.portraitCells ? kLongWidePanoramaLength : kShortWidePanoramaLength, 1, true},
        {p.tallPanoramas, 1, p.landscapeCells ? kLongTallPanoramaLength : kShortTallPanoramaLength, true},
        {p.horizontalTriples, kTripleLength, 1, false},
        {p.verticalTriples, 1, kTripleLength, false},
        {p.horizontalPairs, kPairLength, 1, false},
        {p.verticalPairs, 1, kPairLength, false},
    };
}

// ---------------------------------------------------------------------------
// Grid choice

float CLayoutEngine::aspectError() const
{
    const double cellWidth = m_canvas.width() / m_plan.columns;
    const double cellHeight = m_canvas.height() / m_plan.rows;
    return float(cellWidth / cellHeight - m_plan.targetAspect);
}

void CLayoutEngine::setColumns(int columns)
{
    if (m_options.asWritten) {
        m_plan.columns = columns;
        m_plan.rows = roundHalfAwayFromZero(double(m_plan.cellsNeeded) / columns);
        return;
    }
    // The grid holds its largest block in both directions; the rows are
    // counted for the columns the grid really has, or a grid widened for a
    // panorama would get the rows of a narrower one.
    int minColumns = 1;
    int minRows = 1;
    for (const BlockKind& kind : blockKinds()) {
        if (kind.count > 0) {
            minColumns = std::max(minColumns, kind.width);
            minRows = std::max(minRows, kind.height);
        }
    }
    m_plan.columns = std::max(columns, minColumns);
    m_plan.rows = std::max(roundHalfAwayFromZero(double(m_plan.cellsNeeded) / m_plan.columns), minRows);
}

bool CLayoutEngine::chooseGrid()
{
    const bool mended = !m_options.asWritten;
    for (int pass = 0; pass < kGridPasses; ++pass) {
        if (mended && m_plan.cellsNeeded < 1)
            return false;
        setColumns(std::max(1, int(std::sqrt(double(m_plan.cellsNeeded)))));
        float error = aspectError();
        if (error > 0) {
            while (error > 0) {
                const int previous = m_plan.columns;
                const float previousError = error;
                setColumns(m_plan.columns + 1);
                error = aspectError();
                if (!(error > 0) && std::fabs(previousError) <= std::fabs(error)) {
                    setColumns(previous);
                    error = previousError;
                    break;
                }
            }
        } else if (error < 0) {
            while (error < 0) {
                const int previous = m_plan.columns;
                const float previousError = error;
                if (m_plan.columns - 1 < 1) {
                    if (mended)
                        break; // one column is as narrow as a grid gets
                    m_outcome = Outcome::NoColumns;
                    return false;
                }
                setColumns(m_plan.columns - 1);
                if (m_plan.columns == previous)
                    break; // held by the widest block
                error = aspectError();
                if (!(error < 0) && std::fabs(previousError) <= std::fabs(error)) {
                    setColumns(previous);
                    error = previousError;
                    break;
                }
            }
        }

        bool corrected = false;
        if (!correctGrid(corrected))
            return false;
        if (!corrected)
            break;
    }
    m_plan.cellWidth = float(m_canvas.width() / m_plan.columns);
    m_plan.cellHeight = float(m_canvas.height() / m_plan.rows);
    return true;
}

// Whether the singles left can take up `extraCells` surplus cells, as 2 x 2
// blocks (three cells each) and pairs (one each), each made of one single.
bool CLayoutEngine::absorbable(int extraCells) const
{
    const bool bigFits = m_plan.columns >= kBigBlockSide && m_plan.rows >= kBigBlockSide;
    const bool pairFits = m_plan.columns >= kPairLength || m_plan.rows >= kPairLength;
    if (extraCells == 0)
        return true;
    if (!pairFits && !bigFits)
        return false;
    const int needed = bigFits ? extraCells / kBigBlockExtraCells + extraCells % kBigBlockExtraCells : extraCells;
    return needed <= singles();
}

// The grid, among those at least as large as every block, whose surplus the
// singles can take up and whose cells come closest to the target shape.
bool CLayoutEngine::chooseAbsorbableGrid()
{
    int bestColumns = -1;
    float bestError = std::numeric_limits<float>::infinity();
    const CLayoutPlan saved = m_plan;
    for (int columns = 1; columns <= saved.cellsNeeded; ++columns) {
        m_plan = saved;
        setColumns(columns);
        m_plan.rows = std::max(m_plan.rows, (m_plan.cellsNeeded + m_plan.columns - 1) / m_plan.columns);
        if (!absorbable(m_plan.columns * m_plan.rows - m_plan.cellsNeeded))
            continue;
        const float error = std::fabs(aspectError());
        if (bestColumns < 0 || error < bestError) {
            bestColumns = m_plan.columns;
            bestError = error;
        }
    }
    m_plan = saved;
    if (bestColumns < 0)
        return false;
    setColumns(bestColumns);
    m_plan.rows = std::max(m_plan.rows, (m_plan.cellsNeeded + m_plan.columns - 1) / m_plan.columns);
    return true;
}

bool CLayoutEngine::correctGrid(bool& corrected)
{
    const bool mended = !m_options.asWritten;
    int surplus = m_plan.columns * m_plan.rows - m_plan.cellsNeeded;
    bool searched = false;
    while (surplus != 0) {
        corrected = true;
        if (m_options.asWritten && (m_plan.rows < 1 || m_plan.columns < 1)) {
            // Adding columns to a grid without rows never gains a cell.
            m_outcome = Outcome::EndlessGrid;
            return false;
        }
        if (mended && surplus > 0 && !absorbable(surplus)) {
            if (searched || !chooseAbsorbableGrid())
                return false;
            searched = true;
        } else if (surplus < 0) {
            if (!m_plan.portraitCells)
                ++m_plan.rows;
            else
                ++m_plan.columns;
        } else if (surplus < kBigBlockExtraCells
                   || (mended && !(m_plan.columns >= kBigBlockSide && m_plan.rows >= kBigBlockSide))) {
            // A pair takes one of the photos left over as singles, which are
            // of the cells' orientation: a 1 x 2 block of portrait cells is
            // a portrait, a 2 x 1 block of landscape cells a landscape. Only
            // a plan that could not be placed that way turns its pairs the
            // other way on the next round. The rules as written drew the
            // direction at random.
            const bool cellsKnown = m_plan.portraitCells != m_plan.landscapeCells;
            bool vertical = mended && cellsKnown ? m_plan.portraitCells != m_pairsAcross
                                                 : m_random.next() % 2 == 0;
            if (mended && vertical && m_plan.rows < kPairLength)
                vertical = false;
            if (mended && !vertical && m_plan.columns < kPairLength)
                vertical = true;
            ++(vertical ? m_plan.verticalPairs : m_plan.horizontalPairs);
            m_plan.cellsNeeded += kPairExtraCells;
        } else {
            ++m_plan.bigBlocks;
            m_plan.cellsNeeded += kBigBlockExtraCells;
        }
        surplus = m_plan.columns * m_plan.rows - m_plan.cellsNeeded;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Search

bool CLayoutEngine::shuffle()
{
    const int n = int(m_working.size());
    if (n < 2) {
        if (m_options.asWritten && n == 1) {
            // Drawing j until it differs from i never ends for one entry.
            m_outcome = Outcome::EndlessShuffle;
            return false;
        }
        // As written, an empty list is shuffled by a division by zero;
        // nothing to shuffle either way.
        return true;
    }
    for (int i = 0; i < n; ++i) {
        int j;
        do {
            j = m_random.next() % n;
        } while (j == i);
        std::swap(m_working[std::size_t(i)], m_working[std::size_t(j)]);
    }
    return true;
}

bool CLayoutEngine::Run()
{
    m_cells.clear();
    m_tries = 0;
    m_plans = 0;
    if (m_master.size() < 2 || !(m_canvas.width() > 0) || !(m_canvas.height() > 0)
        || !std::isfinite(m_canvas.width()) || !std::isfinite(m_canvas.height())) {
        m_outcome = Outcome::NothingToLayOut;
        return false;
    }
    m_outcome = Outcome::NotRun;
    m_modesty = 0;
    m_scanPlacement = false;
    m_pairsAcross = false;
    m_triples = false;

    // Plans the mended rules cannot grid are made more modest at once.
    auto replan = [this]() {
        ++m_plans;
        while (true) {
            if (makePlan(m_modesty) && chooseGrid())
                break;
            if (m_outcome != Outcome::NotRun || m_options.asWritten || m_modesty >= kModestyNoPairs)
                return false;
            ++m_modesty;
        }
        return shuffle();
    };

    const qint64 start = now();
    if (!replan()) {
        if (m_outcome == Outcome::NotRun)
            m_outcome = Outcome::TimedOut;
        return false;
    }
    bool cursorShown = false;
    int failures = 0;
    while (true) {
        const qint64 elapsed = now() - start;
        if (elapsed >= m_options.budgetMs)
            break;
        if (!cursorShown && elapsed >= kWaitCursorAfterMs) {
            cursorShown = true;
            if (m_options.showWaitCursor)
                m_options.showWaitCursor();
        }
        ++m_tries;
        m_grid.assign(std::size_t(m_plan.columns) * std::size_t(m_plan.rows), GridCell{});
        if (m_scanPlacement ? placeByScan() : placeRandomly()) {
            buildCells();
            m_outcome = Outcome::Found;
            if (!m_options.asWritten && m_options.improveWithinMs > 0)
                improve(start);
            return true;
        }
        if (++failures % kTriesPerPlan == 0) {
            if (!m_options.asWritten) {
                // Rounds after the first fill the grid cell by cell, which
                // leaves no holes that a block cannot reach, every other one
                // turns the grid's extra pairs, and later rounds ask for
                // fewer blocks.
                const int round = failures / kTriesPerPlan;
                m_scanPlacement = true;
                m_pairsAcross = round % 2 == 1;
                m_modesty = std::min(kModestyNoPairs, (round - 1) / kRoundsPerModesty);
            }
            if (!replan())
                break;
        }
    }
    if (m_outcome == Outcome::NotRun)
        m_outcome = Outcome::TimedOut;
    return false;
}

bool CLayoutEngine::fits(int x, int y, int width, int height) const
{
    if (x + width > m_plan.columns || y + height > m_plan.rows)
        return false;
    for (int row = y; row < y + height; ++row) {
        const GridCell* cell = &m_grid[std::size_t(row) * std::size_t(m_plan.columns) + std::size_t(x)];
        for (int column = 0; column < width; ++column) {
            if (cell[column].occupied)
                return false;
        }
    }
    return true;
}

void CLayoutEngine::mark(int x, int y, int width, int height, bool special)
{
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column)
            m_grid[std::size_t(row) * std::size_t(m_plan.columns) + std::size_t(column)].occupied = true;
    }
    GridCell& topLeft = m_grid[std::size_t(y) * std::size_t(m_plan.columns) + std::size_t(x)];
    topLeft.blockWidth = quint8(width);
    topLeft.blockHeight = quint8(height);
    topLeft.special = special;
}

// One block at a random one of its free positions, counted row by row.
bool CLayoutEngine::placeBlock(int width, int height, bool special)
{
    int count = 0;
    for (int y = 0; y + height <= m_plan.rows; ++y) {
        for (int x = 0; x + width <= m_plan.columns; ++x)
            count += fits(x, y, width, height) ? 1 : 0;
    }
    if (count == 0)
        return false;
    int pick = m_random.next() % count;
    for (int y = 0; y + height <= m_plan.rows; ++y) {
        for (int x = 0; x + width <= m_plan.columns; ++x) {
            if (fits(x, y, width, height) && pick-- == 0) {
                mark(x, y, width, height, special);
                return true;
            }
        }
    }
    return false;
}

bool CLayoutEngine::placeRandomly()
{
    for (const BlockKind& kind : blockKinds()) {
        for (int i = 0; i < kind.count; ++i) {
            if (!placeBlock(kind.width, kind.height, kind.special))
                return false;
        }
    }
    return true;
}

// Walks the cells row by row; each free one is the top-left corner of
// whatever covers it. A kind is drawn with the chance of its share of the
// cells still to cover, so that blocks and singles run out together.
bool CLayoutEngine::placeByScan()
{
    std::vector<BlockKind> kinds = blockKinds();
    int singlesLeft = singles();
    std::vector<int> weights(kinds.size() + 1);
    for (int y = 0; y < m_plan.rows; ++y) {
        for (int x = 0; x < m_plan.columns; ++x) {
            if (m_grid[std::size_t(y) * std::size_t(m_plan.columns) + std::size_t(x)].occupied)
                continue;
            int totalWeight = 0;
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                const BlockKind& kind = kinds[k];
                weights[k] = kind.count > 0 && fits(x, y, kind.width, kind.height) ? kind.count * kind.width * kind.height : 0;
                totalWeight += weights[k];
            }
            const std::size_t singleSlot = kinds.size();
            weights[singleSlot] = singlesLeft;
            totalWeight += singlesLeft;
            if (totalWeight == 0)
                return false;
            int pick = m_random.next() % totalWeight;
            std::size_t chosen = 0;
            while (pick >= weights[chosen]) {
                pick -= weights[chosen];
                ++chosen;
            }
            if (chosen == singleSlot) {
                --singlesLeft;
                mark(x, y, 1, 1, false);
            } else {
                BlockKind& kind = kinds[chosen];
                --kind.count;
                mark(x, y, kind.width, kind.height, kind.special);
            }
        }
    }
    for (const BlockKind& kind : kinds) {
        if (kind.count > 0)
            return false;
    }
    return true;
}

// Every cell edge is computed once, so that neighbours share their edges:
// the x of a record is exactly the edge its left neighbour's width reaches
// for, and x + width falls short of it by at most one float step.
void CLayoutEngine::buildCells()
{
    const int columns = m_plan.columns;
    const int rows = m_plan.rows;
    std::vector<float> xEdges(std::size_t(columns) + 1);
    std::vector<float> yEdges(std::size_t(rows) + 1);
    for (int k = 0; k <= columns; ++k)
        xEdges[std::size_t(k)] = float(m_canvas.x() + double(k) * m_canvas.width() / columns);
    for (int k = 0; k <= rows; ++k)
        yEdges[std::size_t(k)] = float(m_canvas.y() + double(k) * m_canvas.height() / rows);
    // The longest float length whose sum with `from` does not pass `to`:
    // a float sum cannot always land on `to` exactly, and then the right
    // edge stops one float short of its neighbour's left edge rather than
    // overlapping it.
    auto span = [](float from, float to) {
        float length = to - from;
        while (length > 0.0f && from + length > to)
            length = std::nextafter(length, 0.0f);
        while (from + std::nextafter(length, to) <= to && std::nextafter(length, to) != length)
            length = std::nextafter(length, to);
        return length;
    };

    // A free cell, or the top-left cell of a block, yields a record; the
    // other cells of a block yield nothing. Row by row, a block's top-left
    // cell comes before the cells it covers.
    m_cells.clear();
    std::vector<bool> covered(std::size_t(columns) * std::size_t(rows), false);
    for (int i = 0; i < columns * rows; ++i) {
        if (covered[std::size_t(i)])
            continue;
        const GridCell& cell = m_grid[std::size_t(i)];
        const int x = i % columns;
        const int y = i / columns;
        const int width = cell.blockWidth;
        const int height = cell.blockHeight;
        for (int row = y; row < y + height; ++row) {
            for (int column = x; column < x + width; ++column)
                covered[std::size_t(row) * std::size_t(columns) + std::size_t(column)] = true;
        }
        CLayoutCell record;
        if (m_options.asWritten) {
            record.x = float(m_canvas.x()) + float(x) * m_plan.cellWidth;
            record.y = float(m_canvas.y()) + float(y) * m_plan.cellHeight;
            record.width = float(width) * m_plan.cellWidth;
            record.height = float(height) * m_plan.cellHeight;
        } else {
            record.x = xEdges[std::size_t(x)];
            record.y = yEdges[std::size_t(y)];
            record.width = span(record.x, xEdges[std::size_t(x + width)]);
            record.height = span(record.y, yEdges[std::size_t(y + height)]);
        }
        record.wideSpecial = cell.special && height < width;
        record.tallSpecial = cell.special && width < height;
        m_cells.push_back(record);
    }
}

// ---------------------------------------------------------------------------
// Choosing the layout that cuts least

bool CLayoutEngine::Score::operator<(const Score& other) const
{
    if (wrongOrientation != other.wrongOrientation)
        return wrongOrientation < other.wrongOrientation;
    return cut < other.cut;
}

double CLayoutEngine::cutShare(double photoAspect, double cellAspect)
{
    return 1.0 - std::min(photoAspect / cellAspect, cellAspect / photoAspect);
}

bool CLayoutEngine::otherOrientation(double photoAspect, double cellAspect)
{
    return (photoAspect > 1.0 && cellAspect < 1.0 - kSquareTolerance)
        || (photoAspect < 1.0 && cellAspect > 1.0 + kSquareTolerance);
}

CLayoutEngine::Score CLayoutEngine::scoreOf(const std::vector<CLayoutPlacement>& placements) const
{
    Score score;
    for (const CLayoutPlacement& placement : placements) {
        const double photo = photoAspect(placement.photo);
        const double cell = double(placement.cell.width) / double(placement.cell.height);
        score.cut += cutShare(photo, cell);
        score.wrongOrientation += otherOrientation(photo, cell) ? 1 : 0;
    }
    return score;
}

CLayoutEngine::Found CLayoutEngine::found() const { return {m_plan, m_cells, m_working, m_special, {}}; }

// The plan at the current modesty, with or without triples, with at most
// the variant's feature blocks, on a grid of its columns corrected as the
// grid choice corrects it.
bool CLayoutEngine::planVariant(const Variant& variant)
{
    m_plan = m_variantBases[variant.triples ? 1 : 0];
    while (m_plan.bigBlocks > variant.bigBlocks) {
        --m_plan.bigBlocks;
        m_plan.cellsNeeded -= kBigBlockExtraCells;
    }
    m_pairsAcross = variant.pairsAcross;
    setColumns(variant.columns);
    bool corrected = false;
    if (m_plan.cellsNeeded < 1 || !correctGrid(corrected))
        return false;
    m_plan.cellWidth = float(m_canvas.width() / m_plan.columns);
    m_plan.cellHeight = float(m_canvas.height() / m_plan.rows);
    return true;
}

std::vector<double> CLayoutEngine::sortedAspects(const std::vector<int>& photos) const
{
    std::vector<double> aspects;
    aspects.reserve(photos.size());
    for (int photo : photos)
        aspects.push_back(photoAspect(photo));
    std::sort(aspects.begin(), aspects.end());
    return aspects;
}

// What the plan would cut, with the photos sorted by shape matched in order
// to the blocks sorted by shape: near what Assign does, without a placement.
CLayoutEngine::Score CLayoutEngine::estimate(const std::vector<double>& ordinaryAspects,
                                             const std::vector<double>& specialAspects) const
{
    struct Slot
    {
        double aspect;
        int count;
    };
    const double cellAspect = double(m_plan.cellWidth) / double(m_plan.cellHeight);
    std::vector<Slot> ordinary;
    std::vector<Slot> special;
    int blocksOfOrdinaryPhotos = 0;
    for (const BlockKind& kind : blockKinds()) {
        if (kind.count == 0)
            continue;
        (kind.special ? special : ordinary).push_back({cellAspect * kind.width / kind.height, kind.count});
        blocksOfOrdinaryPhotos += kind.special ? 0 : kind.count;
    }
    const int singleCells = int(m_working.size()) - blocksOfOrdinaryPhotos;
    if (singleCells < 0 || int(m_special.size()) != m_plan.widePanoramas + m_plan.tallPanoramas)
        return {std::numeric_limits<int>::max(), 0.0};
    ordinary.push_back({cellAspect, singleCells});

    Score score;
    auto match = [&](const std::vector<double>& aspects, std::vector<Slot>& shapes) {
        std::sort(shapes.begin(), shapes.end(), [](const Slot& a, const Slot& b) { return a.aspect < b.aspect; });
        std::size_t shape = 0;
        int usedOfShape = 0;
        for (double aspect : aspects) {
            while (shape < shapes.size() && usedOfShape == shapes[shape].count) {
                ++shape;
                usedOfShape = 0;
            }
            if (shape == shapes.size())
                break;
            ++usedOfShape;
            score.cut += cutShare(aspect, shapes[shape].aspect);
            score.wrongOrientation += otherOrientation(aspect, shapes[shape].aspect) ? 1 : 0;
        }
    };
    match(ordinaryAspects, ordinary);
    match(specialAspects, special);
    return score;
}

// Grids of other column counts, with fewer feature blocks and the extra
// pairs either way, best estimate first; each one once.
std::vector<CLayoutEngine::Variant> CLayoutEngine::variants()
{
    const int baseColumns = m_plan.columns;
    for (const bool triples : {true, false}) {
        m_triples = triples;
        makePlan(m_modesty);
        m_variantBases[triples ? 1 : 0] = m_plan;
    }
    m_triples = false;
    const int plannedBigBlocks = m_plan.bigBlocks;
    // The plan at one modesty always sets the same photos apart.
    const std::vector<double> ordinaryAspects = sortedAspects(m_working);
    const std::vector<double> specialAspects = sortedAspects(m_special);
    const int spread = std::max(kMinColumnSpread, baseColumns / kColumnSpreadDivisor);
    std::vector<Variant> variants;
    std::vector<std::tuple<int, int, int, int, int, int>> seen;
    for (int columns = std::max(1, baseColumns - spread); columns <= baseColumns + spread; ++columns) {
        for (int bigBlocks = plannedBigBlocks; bigBlocks >= std::max(0, plannedBigBlocks - kFewerBigBlocks);
             --bigBlocks) {
            for (const bool pairsAcross : {false, true}) {
                for (const bool triples : {false, true}) {
                    Variant variant{columns, bigBlocks, pairsAcross, triples, {}};
                    if (!planVariant(variant))
                        continue;
                    const auto key = std::make_tuple(m_plan.columns, m_plan.rows, m_plan.bigBlocks,
                                                     m_plan.horizontalPairs, m_plan.verticalPairs,
                                                     m_plan.horizontalTriples + m_plan.verticalTriples);
                    if (std::find(seen.begin(), seen.end(), key) != seen.end())
                        continue;
                    seen.push_back(key);
                    variant.estimate = estimate(ordinaryAspects, specialAspects);
                    variants.push_back(variant);
                }
            }
        }
    }
    std::stable_sort(variants.begin(), variants.end(),
                     [](const Variant& a, const Variant& b) { return a.estimate < b.estimate; });
    return variants;
}

// Lays the variants out, best estimate first, while they promise to cut less
// than the best layout so far and the time allows; keeps the best.
void CLayoutEngine::improve(qint64 start)
{
    Found best = found();
    best.score = scoreOf(Assign());
    const qint64 deadline = std::min(m_options.improveWithinMs, m_options.budgetMs);
    int tried = 0;
    for (const Variant& variant : variants()) {
        if (!(variant.estimate < best.score) || (++tried > kVariantsAlwaysTried && now() - start >= deadline))
            break;
        if (!planVariant(variant) || !shuffle())
            continue;
        for (int attempt = 0; attempt < kTriesPerVariant; ++attempt) {
            ++m_tries;
            m_grid.assign(std::size_t(m_plan.columns) * std::size_t(m_plan.rows), GridCell{});
            if (!placeByScan())
                continue;
            buildCells();
            const Score score = scoreOf(Assign());
            if (score < best.score) {
                best = found();
                best.score = score;
            }
            break;
        }
    }
    m_plan = best.plan;
    m_cells = std::move(best.cells);
    m_working = std::move(best.working);
    m_special = std::move(best.special);
}

// ---------------------------------------------------------------------------
// Assignment

std::vector<CLayoutPlacement> CLayoutEngine::Assign() const
{
    std::vector<CLayoutPlacement> placements;
    if (m_outcome != Outcome::Found)
        return placements;
    std::vector<int> working = m_working;
    std::vector<int> special = m_special;
    for (const CLayoutCell& record : m_cells) {
        const bool specialRecord = record.wideSpecial || record.tallSpecial;
        std::vector<int>* candidates = specialRecord && !special.empty() ? &special : &working;
        if (candidates->empty())
            candidates = !working.empty() ? &working : &special;
        if (candidates->empty())
            break;

        const float recordAspect = record.width / record.height;
        // A square block (a pair of 2:1 cells) counts as a portrait, as a
        // square photo does; its float edges must not make it a landscape
        // that takes a landscape photo from the cells that need one.
        const bool recordLandscape = m_options.asWritten ? record.width > record.height
                                                         : recordAspect > 1.0f + kSquareTolerance;
        std::size_t chosen = 0;
        if (specialRecord && candidates == &special && !m_options.asWritten) {
            // A panorama block takes the panorama whose shape matches it
            // best, however far off: compared as ratios, not differences,
            // so a 15:1 photo is nearer a 4 x 1 block than a 1:2 one is.
            double best = std::numeric_limits<double>::infinity();
            for (std::size_t c = 0; c < candidates->size(); ++c) {
                const double difference = std::fabs(std::log(photoAspect((*candidates)[c]) / recordAspect));
                if (difference < best) {
                    best = difference;
                    chosen = c;
                }
            }
        } else {
            float best = kAssignStartDifference;
            for (std::size_t c = 0; c < candidates->size(); ++c) {
                const int photo = (*candidates)[c];
                if (isLandscape(photo) != recordLandscape)
                    continue;
                const float difference = std::fabs(photoAspect(photo) - recordAspect);
                if (difference < best) {
                    best = difference;
                    chosen = c;
                }
            }
        }
        placements.push_back({(*candidates)[chosen], record});
        candidates->erase(candidates->begin() + std::ptrdiff_t(chosen));
    }
    return placements;
}
