#pragma once
// The checks before a print or a print preview: is there a printer, is
// there anything to print, and are there print regions — which are made
// here, in the orientation that needs fewer pages, when there are none.
// Messages and questions go through the catalogue. User-interface thread.

#include "printlayout.h"

#include <QSizeF>

class CMessageCatalogue;
class CPicInfoManager;

struct CPrintCheckRequest
{
    enum class Purpose { Print, Preview };
    Purpose purpose = Purpose::Print;
    // A printer is installed or printing to a PDF file is possible.
    bool outputAvailable = true;
    // Print: ask "NeedPages" before making regions over several pages.
    bool confirm = true;
};

struct CPrintCheck
{
    enum class Outcome {
        Print,
        // A message said why, or the user said no.
        Stop,
        // Print only: the regions just made cover several pages and are
        // hidden; they are to be shown (Show Page Segments) for the user to
        // look at before printing again.
        ShowPageSegments,
    };
    Outcome outcome = Outcome::Stop;
    // Preview only: the same situation; the preview goes on and says so
    // with "Tip::PreviewAutoPage".
    bool previewAutoPageTip = false;
};

// 1. No output: "NoPrinter" (an error in the preview); stop.
// 2. Nothing drawn on the canvas: "NoPrintable"; stop. (Before regions are
//    made, so that a refused print leaves the document as it was.)
// 3. No regions: Print asks "NeedPages" (when confirming and both
//    orientations need several pages; No stops); Preview asks "AutoPage"
//    (No stops). Then regions are made in the orientation needing fewer
//    pages, portrait on a tie, as one undo step.
// 4. Regions made just now over several pages while page segments are
//    hidden: Print stops with ShowPageSegments, Preview goes on with the tip.
CPrintCheck CheckBeforePrint(CPicInfoManager& frames, const QSizeF& canvas, const CPrintablePage& page,
                             CMessageCatalogue& catalogue, const CPrintCheckRequest& request);

// Whether a drawn photo frame lies on the canvas.
bool hasPrintableFrames(const CPicInfoManager& frames, const QSizeF& canvas);
