#pragma once
// ZadeDudaziz's layout engine: cuts the canvas into a grid of equal cells,
// lets the photos of the minority orientation, the panoramas and a few
// feature photos span several cells, places those blocks by a time-limited
// randomised search, keeps among the layouts it finds in a few milliseconds
// the one that cuts least of the photos, and gives every photo the cell
// whose shape suits it.
//
// Pure: photo pixel sizes and a canvas rectangle in, cells and an
// assignment out. It knows nothing of frames or the undo history; the
// ZadeDudaziz command (quickcollage.h) turns the result into frame changes.
// The seed and the clock are injected, so a run is reproducible and the
// time budget can be tested with a clock that is not the wall clock.
// One instance per run; any thread, one at a time.

#include "layoutrandom.h"

#include <QRectF>
#include <QSizeF>

#include <functional>
#include <vector>

// One output record: a free cell or a block of cells, in canvas units.
struct CLayoutCell
{
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    bool wideSpecial = false; // a block that holds a wide panorama
    bool tallSpecial = false; // a block that holds a tall panorama
};

// A photo given its cell.
struct CLayoutPlacement
{
    int photo = -1; // index into the photo sizes the engine was given
    CLayoutCell cell;
};

// What planning and the grid choice decided; kept readable for tests and
// measurements.
struct CLayoutPlan
{
    int total = 0;
    int landscapes = 0;
    int portraits = 0;
    bool landscapeCells = false; // portraits span two cells (1 x 2)
    bool portraitCells = false;  // landscapes span two cells (2 x 1)
    int widePanoramas = 0;
    int tallPanoramas = 0;
    int bigBlocks = 0;
    int horizontalPairs = 0;
    int verticalPairs = 0;
    // Photos of the minority orientation that a block of three cells suits
    // better than a pair (a 16:9 photo among 9:16 cells, say).
    int horizontalTriples = 0;
    int verticalTriples = 0;
    int cellsNeeded = 0;
    float targetAspect = 1.0f;
    int columns = 0;
    int rows = 0;
    float cellWidth = 0.0f;
    float cellHeight = 0.0f;
};

class CLayoutEngine
{
public:
    // Milliseconds on some monotonic clock.
    using Clock = std::function<qint64()>;

    static constexpr qint64 kTimeBudgetMs = 3000;
    static constexpr qint64 kWaitCursorAfterMs = 1000;
    // Failed tries after which the working list is shuffled and the plan made anew.
    static constexpr int kTriesPerPlan = 51;

    // A photo at least this much wider than high is a wide panorama...
    static constexpr float kWidePanoramaAspect = 2.0f;
    // ...and one at most this wide for its height a tall one (1:2, mirroring
    // the wide test). The first reading of the rule took everything below
    // 0.6, which made every 9:16 phone portrait a panorama.
    static constexpr float kTallPanoramaAspect = 0.5f;
    static constexpr float kAsWrittenTallPanoramaAspect = 0.6f;
    // Sets of more photos than this get one 2 x 2 feature block per this many.
    static constexpr int kPhotosPerBigBlock = 6;
    static constexpr int kGridPasses = 5;
    // Apply's best match starts from this difference of aspect ratios.
    static constexpr float kAssignStartDifference = 10.0f;
    // A cell this close to square in its aspect ratio is square: its edges
    // are floats and may miss each other by a float step.
    static constexpr float kSquareTolerance = 1e-4f;
    // The aspect assumed for a photo whose pixel size is unknown.
    static constexpr float kUnknownPhotoAspect = 4.0f / 3.0f;
    // After the first layout found, other grids and block mixes are tried
    // for this long from the start of the search, and the one that cuts
    // least of the photos is kept.
    static constexpr qint64 kImproveWithinMs = 30;

    // How a run ended.
    enum class Outcome {
        NotRun,
        // Fewer than two photos, or a canvas without area.
        NothingToLayOut,
        Found,
        TimedOut,
        // Only in the as-written mode: where the rules read literally would
        // hang or divide by zero, the run stops and says so instead.
        EndlessShuffle,
        NoColumns,
        EndlessGrid,
    };

    struct Options
    {
        quint32 seed = 0;
        // The wall clock when empty.
        Clock clock;
        qint64 budgetMs = kTimeBudgetMs;
        // Called once when the search has taken longer than a second.
        std::function<void()> showWaitCursor;
        // How long from the start the search looks for a layout that cuts
        // less than the first one found; 0 keeps the first.
        qint64 improveWithinMs = kImproveWithinMs;
        // The rules exactly as first written, faults included, for measuring
        // what the mends gain. Never used by the program itself.
        bool asWritten = false;
    };

    // Photo sizes in pixels (width x height as shown, after turning). A
    // size that is empty or not finite counts as a 4:3 photo.
    CLayoutEngine(const QRectF& canvas, const std::vector<QSizeF>& photoSizes, Options options);

    // Searches for a layout within the time budget; true when found. Fewer
    // than two photos, or a canvas without area, are never laid out.
    bool Run();
    Outcome outcome() const { return m_outcome; }

    // After a successful Run: one record per photo, row by row.
    const std::vector<CLayoutCell>& cells() const { return m_cells; }
    // After a successful Run: every photo with the cell whose shape suits it
    // best, in the order of the records. Empty before.
    std::vector<CLayoutPlacement> Assign() const;

    // The plan after Run: the blocks and the grid the layout was made on.
    const CLayoutPlan& plan() const { return m_plan; }
    // The first plan, before the grid choice adds its corrections.
    CLayoutPlan planBeforeGrid();
    int tries() const { return m_tries; }
    int plans() const { return m_plans; }

    // How a layout suits its photos: photos in a cell of the other
    // orientation first, then the sum of the shares the cover fit cuts away.
    struct Score
    {
        int wrongOrientation = 0;
        double cut = 0.0;
        bool operator<(const Score& other) const;
    };
    static double cutShare(double photoAspect, double cellAspect);
    static bool otherOrientation(double photoAspect, double cellAspect);
    Score scoreOf(const std::vector<CLayoutPlacement>& placements) const;

private:
    struct GridCell
    {
        bool occupied = false;
        quint8 blockWidth = 1;
        quint8 blockHeight = 1;
        bool special = false;
    };
    struct BlockKind
    {
        int count;
        int width;
        int height;
        bool special;
    };
    // A grid and block mix to try after the first layout found.
    struct Variant
    {
        int columns;
        int bigBlocks;
        bool pairsAcross;
        bool triples;
        Score estimate;
    };
    // The state a found layout leaves for Assign.
    struct Found
    {
        CLayoutPlan plan;
        std::vector<CLayoutCell> cells;
        std::vector<int> working;
        std::vector<int> special;
        Score score;
    };

    qint64 now() const;
    bool shuffle();
    bool makePlan(int modesty);
    bool chooseGrid();
    bool correctGrid(bool& corrected);
    void setColumns(int columns);
    float aspectError() const;
    int blockCount() const;
    int singles() const;
    bool absorbable(int extraCells) const;
    bool chooseAbsorbableGrid();
    std::vector<BlockKind> blockKinds() const;
    bool placeRandomly();
    bool placeByScan();
    bool placeBlock(int width, int height, bool special);
    bool planVariant(const Variant& variant);
    Score estimate(const std::vector<double>& ordinaryAspects, const std::vector<double>& specialAspects) const;
    std::vector<double> sortedAspects(const std::vector<int>& photos) const;
    std::vector<Variant> variants();
    void improve(qint64 start);
    Found found() const;
    void mark(int x, int y, int width, int height, bool special);
    bool fits(int x, int y, int width, int height) const;
    void buildCells();
    float photoAspect(int photo) const;
    bool isLandscape(int photo) const;

    QRectF m_canvas;
    std::vector<QSizeF> m_sizes;
    Options m_options;
    CLayoutRandom m_random;

    std::vector<int> m_master;
    std::vector<int> m_working;
    std::vector<int> m_special;
    CLayoutPlan m_plan;
    std::vector<GridCell> m_grid;
    std::vector<CLayoutCell> m_cells;
    Outcome m_outcome = Outcome::NotRun;
    int m_tries = 0;
    int m_plans = 0;
    int m_modesty = 0;
    bool m_scanPlacement = false;
    // The extra pairs of the grid correction lie across the cells' orientation.
    bool m_pairsAcross = false;
    // Photos of the minority orientation may span three cells (only in the
    // layouts tried after the first one found).
    bool m_triples = false;
    // The plans the variants start from: without triples and with them.
    CLayoutPlan m_variantBases[2];
};
