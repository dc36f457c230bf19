#pragma once
// Printing the pages: each page is an output render of its region through
// the collage renderer, placed on the paper's printable area (centred when
// "CenterOnPage" says so, scaled down only when the region is larger than
// the page), on the canvas colour when "ColorToPrinter" is set. The same
// code prints on any paged device — a printer, a PDF file — and draws the
// preview's pictures of the pages.
//
// Pages are rendered one at a time; a photo is read at the size the page
// needs, so a poster prints at its full printed resolution within the
// memory of one page. User-interface thread (it draws through the
// collage renderer).

#include "canvasunit.h"
#include "collagerenderer.h"
#include "printerchoice.h"
#include "printlayout.h"

#include <QImage>
#include <QRgb>
#include <QSizeF>
#include <QString>

#include <functional>
#include <vector>

class CProgress;
class QPagedPaintDevice;

// What the page's drawing needs of the document.
struct CPrintOptions
{
    QSizeF canvas;
    CanvasUnit unit = CanvasUnit::Inch;
    bool centreOnPage = false;
    bool printCanvasColour = false;
    QRgb canvasColour = 0xFFFFFFFF;

    // The collection's printing choices and canvas colour.
    static CPrintOptions of(const CPicInfoManager& frames, const QSizeF& canvas, CanvasUnit unit);
};

struct CPrintResult
{
    enum class Status { Done, Cancelled, Failed };
    Status status = Status::Done;
    int pagesPrinted = 0;
    // The catalogue message of a failure ("ResTooHigh" when a page could not
    // be drawn in memory, "PrintFailed" when the device refused); empty otherwise.
    QString messageKey;

    bool ok() const { return status == Status::Done; }
};

namespace PrintTexts {
// The progress window's line; %1 the page, %2 the page count.
inline constexpr const char* kPrintingPage = "Printing page %1 of %2...";
} // namespace PrintTexts

class CPrintJob
{
public:
    CPrintJob(CCollageRenderer& renderer, const CPrinterSetup& setup, const CPrintOptions& options);

    // Prints the pages on the device as one job: the device takes each
    // page's layout (the set-up's paper and margins in the page's
    // orientation) before the page starts. With a progress, it is begun and
    // ended here and its Cancel stops after the page under way; `abort` is
    // then called while the job is still open (a printer drops what it has
    // spooled). Nothing printed for an empty page list.
    CPrintResult print(QPagedPaintDevice& device, const std::vector<CPrintPage>& pages, CProgress* progress = nullptr,
                       const std::function<void()>& abort = {});

    // The whole sheet of one page at `dpi`, white paper with the page drawn
    // on its printable area: what the preview shows and the device receives.
    QImage renderPage(const CPrintPage& page, int dpi) const;

    const CPrinterSetup& setup() const { return m_setup; }

    // Where the page's region lands on its printable area.
    CPagePlacement placementOf(const CPrintPage& page) const;

private:
    DrawStatus drawPage(CSurface& surface, const CPrintPage& page, const QPointF& printableOrigin) const;

    CCollageRenderer& m_renderer;
    CPrinterSetup m_setup;
    CPrintOptions m_options;
};
