#include "commands.h"

#include "clisupport.h"
#include "imageexport.h"
#include "messagecatalogue.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "printcheck.h"
#include "printerchoice.h"
#include "printjob.h"
#include "printlayout.h"
#include "printresolution.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextStream>

namespace {

const char* const kPrintUsage =
    "usage: collage-cli print PROJECT --pdf OUT.pdf [--pages auto|portrait|landscape] [--paper A4|Letter|...]\n";
constexpr const char* kPagesAuto = "auto";
constexpr const char* kPagesPortrait = "portrait";
constexpr const char* kPagesLandscape = "landscape";
constexpr const char* kCreator = "Tessary Ombravelle";

// The canvas tiled afresh in one orientation, as the print command would
// make its regions.
std::vector<CPrintPage> tiledPages(const QSizeF& canvas, const CPrintablePage& page, bool landscape)
{
    const QSize grid = CPrintRegions::tiling(canvas, page.size(landscape), page.devicePixel);
    std::vector<CPrintPage> pages;
    for (int row = 0; row < grid.height(); ++row) {
        for (int column = 0; column < grid.width(); ++column) {
            const qreal width = canvas.width() / grid.width();
            const qreal height = canvas.height() / grid.height();
            pages.push_back({QRectF(column * width, row * height, width, height), landscape});
        }
    }
    return pages;
}

} // namespace

int runPrintCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CliArguments parsed = parseCliArguments(args, {"--pdf", "--pages", "--paper"}, {});
    const QString pagesMode = parsed.values.value("--pages", kPagesAuto);
    if (!parsed.problem.isEmpty() || parsed.words.size() != 1 || !parsed.values.contains("--pdf")) {
        if (!parsed.problem.isEmpty())
            err << "collage-cli: " << parsed.problem << "\n";
        else if (!parsed.values.contains("--pdf"))
            err << "collage-cli: print needs --pdf OUT.pdf\n";
        err << kPrintUsage;
        return kExitUsage;
    }
    if (pagesMode != kPagesAuto && pagesMode != kPagesPortrait && pagesMode != kPagesLandscape) {
        err << "collage-cli: --pages takes auto, portrait or landscape\n" << kPrintUsage;
        return kExitUsage;
    }
    std::optional<QPageSize> paper;
    if (parsed.values.contains("--paper")) {
        paper = CPrinterSetup::paperNamed(parsed.values["--paper"]);
        if (!paper) {
            err << "collage-cli: unknown paper \"" << parsed.values["--paper"]
                << "\"; for example A3, A4, A5, Letter, Legal, Tabloid\n";
            return kExitUsage;
        }
    }
    const QString output = QFileInfo(parsed.values["--pdf"]).absoluteFilePath();

    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;
    CServices& services = session.services;
    CMessageCatalogue& catalogue = services.catalogue();
    const CExportCanvas canvasInfo = session.doc.exportCanvas();
    const QSizeF canvas(canvasInfo.width, canvasInfo.height);
    if (!hasPrintableFrames(services.frames(), canvas)) {
        err << catalogue.text("NoPrintable") << "\n";
        return kExitFailed;
    }

    // The project's printer with its paper, or the default one; always to a file.
    CPrinterSetup setup = services.printer().effectiveSetup();
    setup.output = CPrinterSetup::Output::PdfFile;
    setup.printerName.clear();
    if (paper)
        setup.paper = *paper;
    const CPrintablePage page = CPrintablePage::of(setup, canvasInfo.unit);

    CPrintRegions regions(services.frames(), canvas);
    std::vector<CPrintPage> pages;
    if (pagesMode == kPagesAuto && regions.hasRegions()) {
        // Regions that do not fit this paper are split as the editor's
        // "PageSizeChange" would; the project file is not touched.
        regions.FitRegionsToPage(page, false, catalogue);
        pages = regions.pages();
    } else {
        const bool landscape = pagesMode == kPagesAuto ? regions.landscapeNeedsFewerPages(page)
                                                        : pagesMode == kPagesLandscape;
        pages = tiledPages(canvas, page, landscape);
    }
    if (pages.empty()) {
        err << catalogue.text("NoPrintable") << "\n";
        return kExitFailed;
    }

    const CPrintJob job(services.renderer(), setup, CPrintOptions::of(services.frames(), canvas, canvasInfo.unit));
    std::vector<CPrintedArea> printed;
    for (const CPrintPage& each : pages)
        printed.push_back({each.region, job.placementOf(each).scale});
    const std::vector<CLowResolutionFrame> low =
        PrintResolution::findLowResolutionFrames(services.frames(), printed, canvasInfo.unit);
    if (!low.empty())
        err << "collage-cli: warning: " << PrintResolution::warningText(catalogue, low) << "\n";

    // Through a temporary file: a failed print leaves OUT as it was.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        err << "collage-cli: cannot write " << output << "\n";
        return kExitFailed;
    }
    CPrintResult result;
    {
        QPdfWriter writer(&file);
        writer.setResolution(setup.resolution);
        writer.setCreator(QString::fromLatin1(kCreator));
        writer.setTitle(QFileInfo(parsed.words[0]).completeBaseName());
        result = CPrintJob(job).print(writer, pages);
    }
    if (!result.ok() || !file.commit()) {
        err << catalogue.text(result.messageKey.isEmpty() ? QStringLiteral("PrintFailed") : result.messageKey) << "\n";
        return kExitFailed;
    }
    for (const auto& frame : services.frames().frames()) {
        if (frame->photo() && (frame->photo()->isMissing() || frame->photo()->isInvalid()))
            err << "collage-cli: " << frame->photo()->path() << ": " << frame->photo()->stateText() << "\n";
    }

    const QSizeF paperSize = setup.paperMillimetres();
    out << "pdf: " << output << "\n"
        << "paper: " << setup.paper.key() << " (" << paperSize.width() << " x " << paperSize.height() << " mm) at "
        << setup.resolution << " dpi\n"
        << "pages: " << pages.size() << "\n";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QRectF& r = pages[i].region;
        out << "page " << i + 1 << ": " << (pages[i].landscape ? kPagesLandscape : kPagesPortrait) << ", region "
            << r.x() << " " << r.y() << " " << r.width() << " x " << r.height() << "\n";
    }
    return kExitOk;
}
