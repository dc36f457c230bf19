#include "printlayout.h"

#include "frameops.h"
#include "messagecatalogue.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "undo.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kMillimetresPerInch = 25.4;
constexpr qreal kMillimetresPerCentimetre = 10.0;
constexpr qreal kCentimetresPerInch = 2.54;
constexpr const char* kPageSizeChange = "PageSizeChange";
// A region is split in halves until it fits; a page this many times
// smaller than the region is a page no sensible split reaches.
constexpr int kMaxSplitRounds = 16;

qreal millimetresToUnits(qreal millimetres, CanvasUnit unit)
{
    return unit == CanvasUnit::Centimetre ? millimetres / kMillimetresPerCentimetre : millimetres / kMillimetresPerInch;
}

// Round half away from zero, never below one.
int pagesAlong(qreal length, qreal page, qreal pixel)
{
    if (!(length > 0.0) || !(page > 0.0))
        return 0;
    return std::max(1, int(std::round((length - pixel + page / 2.0) / page)));
}

} // namespace

CPrintablePage CPrintablePage::of(const CPrinterSetup& setup, CanvasUnit unit)
{
    const QSizeF millimetres = setup.printableMillimetres(false);
    CPrintablePage page;
    page.portrait = QSizeF(millimetresToUnits(millimetres.width(), unit), millimetresToUnits(millimetres.height(), unit));
    const qreal dotInches = 1.0 / std::max(1, setup.resolution);
    page.devicePixel = unit == CanvasUnit::Centimetre ? dotInches * kCentimetresPerInch : dotInches;
    return page;
}

CPagePlacement placeOnPage(const QSizeF& region, const QSizeF& printable, bool centre)
{
    CPagePlacement placement;
    if (region.isEmpty() || printable.isEmpty())
        return placement;
    placement.scale = std::min({1.0, printable.width() / region.width(), printable.height() / region.height()});
    if (centre) {
        placement.offset = QPointF((printable.width() - region.width() * placement.scale) / 2.0,
                                   (printable.height() - region.height() * placement.scale) / 2.0);
    }
    return placement;
}

CPrintRegions::CPrintRegions(CPicInfoManager& frames, const QSizeF& canvas)
    : m_frames(frames)
    , m_canvas(canvas)
{
}

std::vector<CPicInfo*> CPrintRegions::regions() const
{
    std::vector<CPicInfo*> found;
    for (CPicInfo* frame : m_frames.framesInPlanes(CPicInfo::kPlanePageSegments)) {
        if (frame->isPageSegment())
            found.push_back(frame);
    }
    return found;
}

std::vector<CPrintPage> CPrintRegions::pages() const
{
    std::vector<CPrintPage> pages;
    for (const CPicInfo* region : regions()) {
        const CCanvasRect& r = region->frameRect();
        if (region->isShown() && r.width > 0.0f && r.height > 0.0f)
            pages.push_back({QRectF(r.x, r.y, r.width, r.height), region->isPageLandscape()});
    }
    return pages;
}

QSize CPrintRegions::tiling(const QSizeF& canvas, const QSizeF& page, qreal devicePixel)
{
    return QSize(pagesAlong(canvas.width(), page.width(), devicePixel),
                 pagesAlong(canvas.height(), page.height(), devicePixel));
}

int CPrintRegions::CreateRegions(const CPrintablePage& page, bool landscape, bool dryRun)
{
    const QSize grid = tiling(m_canvas, page.size(landscape), page.devicePixel);
    const int count = grid.width() * grid.height();
    if (dryRun || count == 0)
        return count;

    const float width = float(m_canvas.width() / grid.width());
    const float height = float(m_canvas.height() / grid.height());
    CUndoGroup group(m_frames.undo());
    CFrameOps operations(m_frames);
    for (int row = 0; row < grid.height(); ++row) {
        for (int column = 0; column < grid.width(); ++column) {
            const CCanvasRect rect{float(column) * width, float(row) * height, width, height};
            CPicInfo* region = operations.createFrame(rect, CPicInfoManager::kPageSegmentPlaneNumber);
            if (!region)
                return count; // the plane is out of ids: the pages made so far stay
            region->setPageLandscape(landscape);
        }
    }
    return count;
}

bool CPrintRegions::landscapeNeedsFewerPages(const CPrintablePage& page)
{
    return CreateRegions(page, true, true) < CreateRegions(page, false, true);
}

bool CPrintRegions::fits(const CPicInfo& region, const CPrintablePage& page) const
{
    const QSizeF printable = page.size(region.isPageLandscape());
    const CCanvasRect& r = region.frameRect();
    return r.width - page.devicePixel <= printable.width() && r.height - page.devicePixel <= printable.height();
}

bool CPrintRegions::regionsFit(const CPrintablePage& page) const
{
    const std::vector<CPicInfo*> all = regions();
    return std::all_of(all.begin(), all.end(), [&](const CPicInfo* region) { return fits(*region, page); });
}

bool CPrintRegions::FitRegionsToPage(const CPrintablePage& page, bool ask, CMessageCatalogue& catalogue)
{
    if (page.portrait.isEmpty() || regionsFit(page))
        return false;
    if (ask && catalogue.show(QString::fromLatin1(kPageSizeChange), MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return false;

    CUndoGroup group(m_frames.undo());
    for (int round = 0; round < kMaxSplitRounds && !regionsFit(page); ++round) {
        for (CPicInfo* region : regions()) {
            if (fits(*region, page))
                continue;
            const QSizeF printable = page.size(region->isPageLandscape());
            const CCanvasRect& r = region->frameRect();
            const bool tooWide = r.width - page.devicePixel > printable.width();
            const bool tooHigh = r.height - page.devicePixel > printable.height();
            split(*region, tooWide ? 2 : 1, tooHigh ? 2 : 1);
        }
    }
    return true;
}

// The region keeps the first cell; the others are new regions of the same
// orientation, on top of the stacking order.
void CPrintRegions::split(CPicInfo& region, int columns, int rows)
{
    const CCanvasRect whole = region.frameRect();
    const float width = whole.width / float(columns);
    const float height = whole.height / float(rows);
    const bool landscape = region.isPageLandscape();
    region.setFrameSize(width, height);
    CFrameOps operations(m_frames);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (row == 0 && column == 0)
                continue;
            const CCanvasRect cell{whole.x + float(column) * width, whole.y + float(row) * height, width, height};
            CPicInfo* piece = operations.createFrame(cell, CPicInfoManager::kPageSegmentPlaneNumber);
            if (!piece)
                return;
            piece->setPageLandscape(landscape);
        }
    }
}

bool CPrintRegions::flipOrientation(CPicInfo& region)
{
    return region.isPageSegment() && region.setPageLandscape(!region.isPageLandscape());
}
