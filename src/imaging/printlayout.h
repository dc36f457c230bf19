#pragma once
// Print regions ("Printer Page Segments"): the frames of the page-segment
// plane laid over the canvas, each printed on a page of its own in its own
// orientation. This is where they are made to tile the canvas, split when a
// new printer's page is smaller, turned between portrait and landscape,
// listed in printing order and placed on their pages.
//
// Works on the frame collection through the undoable frame operations; each
// change it makes is one undo step. Made where it is needed; keeps no state.
// User-interface thread only.

#include "canvasunit.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <vector>

class CMessageCatalogue;
class CPicInfo;
class CPicInfoManager;
struct CPrinterSetup;

// The part of the paper a printer prints on, in canvas units.
struct CPrintablePage
{
    // The page turned upright.
    QSizeF portrait;
    // One printer dot.
    qreal devicePixel = 0.0;

    QSizeF size(bool landscape) const { return landscape ? portrait.transposed() : portrait; }
    static CPrintablePage of(const CPrinterSetup& setup, CanvasUnit unit);
};

// One page of a print: the canvas area of its region and its orientation.
struct CPrintPage
{
    QRectF region;
    bool landscape = false;
};

// Where a region lands on its page, canvas units from the printable area's
// top-left corner: a region larger than the page is scaled down to fit it.
struct CPagePlacement
{
    QPointF offset;
    qreal scale = 1.0;
};
CPagePlacement placeOnPage(const QSizeF& region, const QSizeF& printable, bool centre);

class CPrintRegions
{
public:
    static constexpr const char* kFlipName = "Flip Printer Page Orientation";

    CPrintRegions(CPicInfoManager& frames, const QSizeF& canvas);

    // The page segments, in stacking order: the order their pages print in.
    std::vector<CPicInfo*> regions() const;
    bool hasRegions() const { return !regions().empty(); }
    // Every shown region's page, in printing order.
    std::vector<CPrintPage> pages() const;

    // Columns × rows of equal regions that tile `canvas` on pages of
    // `page`: round((W - p + PW / 2) / PW) columns, likewise rows, rounded
    // half away from zero, never fewer than one. The one-pixel allowance p
    // keeps a canvas exactly one page wide from becoming two.
    static QSize tiling(const QSizeF& canvas, const QSizeF& page, qreal devicePixel);

    // The page count of tiling the canvas in that orientation; unless
    // `dryRun`, also makes the regions (row by row, left to right, all in
    // that orientation) in one undo step. A canvas or page without area
    // counts and makes none.
    int CreateRegions(const CPrintablePage& page, bool landscape, bool dryRun);
    // The orientation that needs fewer pages; portrait on a tie.
    bool landscapeNeedsFewerPages(const CPrintablePage& page);

    // After a printer change: when a region is larger than its page (by
    // more than one printer dot), asks "PageSizeChange" once (Yes/No) when
    // `ask`, and on Yes splits each such region in halves, across, down or
    // both, until every region fits; one undo step. Returns whether it split.
    bool FitRegionsToPage(const CPrintablePage& page, bool ask, CMessageCatalogue& catalogue);
    // Whether every region fits its page.
    bool regionsFit(const CPrintablePage& page) const;

    // Turns a page segment between portrait and landscape ("PageLandscape");
    // anything else is left alone. Returns whether it changed.
    static bool flipOrientation(CPicInfo& region);

private:
    bool fits(const CPicInfo& region, const CPrintablePage& page) const;
    void split(CPicInfo& region, int columns, int rows);

    CPicInfoManager& m_frames;
    QSizeF m_canvas;
};
