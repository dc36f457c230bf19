#include "printcommands.h"

#include "collagedoc.h"
#include "imageexport.h"
#include "messagecatalogue.h"
#include "notificationbus.h"
#include "picinfomanager.h"
#include "printcheck.h"
#include "printresolution.h"
#include "propmanager.h"
#include "undo.h"

#include <QPagedPaintDevice>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kPrintJobs = "PrintJobs";
constexpr const char* kNoPrintable = "NoPrintable";
constexpr const char* kTipPreviewAutoPage = "Tip::PreviewAutoPage";
constexpr const char* kTipNewPage = "Tip::NewPage";
constexpr const char* kTipPrinterPage = "Tip::PrinterPage";
constexpr const char* kTipOrientation = "Tip::Orientation";
constexpr const char* kEmailWidthSetting = "DefEmailCX";
constexpr const char* kEmailHeightSetting = "DefEmailCY";
constexpr float kCentimetresPerInch = 2.54f;

QString key(const char* name) { return QString::fromLatin1(name); }

} // namespace

CPrintCommands::CPrintCommands(CCollageDoc& doc, CPrintDialogs& dialogs)
    : m_doc(doc)
    , m_dialogs(dialogs)
{
}

// ---------------------------------------------------------------------------
// What a print is made of

CPrinterSetup CPrintCommands::setup() const { return m_doc.services().printer.effectiveSetup(); }

CPrintablePage CPrintCommands::printablePage() const { return CPrintablePage::of(setup(), m_doc.exportCanvas().unit); }

QSizeF CPrintCommands::canvas() const { return QSizeF(m_doc.canvasWidth(), m_doc.canvasHeight()); }

CPrintOptions CPrintCommands::options() const
{
    return CPrintOptions::of(m_doc.services().frames, canvas(), m_doc.exportCanvas().unit);
}

CPrintJob CPrintCommands::job() const { return CPrintJob(m_doc.services().renderer, setup(), options()); }

std::vector<CPrintPage> CPrintCommands::pages() const { return CPrintRegions(m_doc.services().frames, canvas()).pages(); }

void CPrintCommands::showTip(const char* tipKey) const
{
    m_doc.services().bus.Broadcast(QString::fromLatin1(Channel::Tip), key(tipKey), nullptr, true, kTipDelay);
}

// ---------------------------------------------------------------------------
// Print

bool CPrintCommands::print()
{
    const CDocServices& services = m_doc.services();
    const std::size_t stepsBefore = services.undo.undoList().size();
    CPrintCheckRequest request;
    request.outputAvailable = m_dialogs.outputAvailable();
    const CPrintCheck check = CheckBeforePrint(services.frames, canvas(), printablePage(), services.catalogue, request);
    if (services.undo.undoList().size() != stepsBefore)
        m_doc.setModified(true);
    if (check.outcome == CPrintCheck::Outcome::ShowPageSegments) {
        // The user looks at the new pages first and prints again.
        if (!pageSegmentsShown() && !(m_sendCommand && m_sendCommand(kShowPlaneCommand)))
            toggleShowPlane();
        return false;
    }
    if (check.outcome != CPrintCheck::Outcome::Print)
        return false;
    if (pages().empty()) {
        services.catalogue.show(key(kNoPrintable), MsgStyle::InfoOk);
        return false;
    }

    const std::unique_ptr<CPrintOutput> output = m_dialogs.askPrintOutput(setup(), int(pages().size()));
    if (!output)
        return false;
    choosePrinter(output->setup());

    std::vector<CPrintPage> chosen = pages();
    if (const auto range = output->pageRange()) {
        const int first = std::clamp(range->first, 1, int(chosen.size()));
        const int last = std::clamp(range->second, first, int(chosen.size()));
        chosen = std::vector<CPrintPage>(chosen.begin() + (first - 1), chosen.begin() + last);
    }
    if (chosen.empty())
        return false;

    const CPrintJob printJob = job();
    std::vector<CPrintedArea> printed;
    for (const CPrintPage& page : chosen)
        printed.push_back({page.region, printJob.placementOf(page).scale});
    const std::vector<CLowResolutionFrame> low =
        PrintResolution::findLowResolutionFrames(services.frames, printed, m_doc.exportCanvas().unit);
    if (!low.empty() && !m_dialogs.askPrintAnyway(PrintResolution::warningText(services.catalogue, low)))
        return false;

    const CPrintResult result = printPages(*output, chosen);
    if (result.status == CPrintResult::Status::Failed)
        services.catalogue.show(result.messageKey, MsgStyle::ErrorOk);
    return result.pagesPrinted > 0;
}

CPrintResult CPrintCommands::printPages(CPrintOutput& output, const std::vector<CPrintPage>& pages)
{
    const CDocServices& services = m_doc.services();
    bool jobPerPage = false;
    if (pages.size() > 1 && !output.printsToFile()) {
        const int answer = services.catalogue.show(key(kPrintJobs), MsgStyle::QuestionYesNoCancel);
        if (answer == MsgButton::Cancel) {
            CPrintResult nothing;
            nothing.status = CPrintResult::Status::Cancelled;
            return nothing;
        }
        jobPerPage = answer == MsgButton::Yes;
    }
    CPrintJob printJob = job();
    const std::function<void()> abort = [&output] { output.abort(); };
    if (!jobPerPage)
        return printJob.print(output.device(), pages, &services.progress, abort);

    // Page 1 to n, each a job of its own; a cancelled job ends the run.
    CPrintResult total;
    for (const CPrintPage& page : pages) {
        const CPrintResult one = printJob.print(output.device(), {page}, &services.progress, abort);
        total.pagesPrinted += one.pagesPrinted;
        if (!one.ok()) {
            total.status = one.status;
            total.messageKey = one.messageKey;
            break;
        }
    }
    return total;
}

bool CPrintCommands::preparePreview()
{
    const CDocServices& services = m_doc.services();
    const std::size_t stepsBefore = services.undo.undoList().size();
    CPrintCheckRequest request;
    request.purpose = CPrintCheckRequest::Purpose::Preview;
    request.outputAvailable = m_dialogs.outputAvailable();
    request.confirm = false;
    const CPrintCheck check = CheckBeforePrint(services.frames, canvas(), printablePage(), services.catalogue, request);
    if (services.undo.undoList().size() != stepsBefore)
        m_doc.setModified(true);
    if (check.outcome != CPrintCheck::Outcome::Print)
        return false;
    if (check.previewAutoPageTip)
        showTip(kTipPreviewAutoPage);
    return !pages().empty();
}

// ---------------------------------------------------------------------------
// The printer

bool CPrintCommands::printSetup()
{
    const std::optional<CPrinterSetup> chosen = m_dialogs.askPrinterSetup(setup());
    return chosen && choosePrinter(*chosen);
}

bool CPrintCommands::choosePrinter(const CPrinterSetup& chosen)
{
    // The set-up in force, chosen or the default, stays as it is: a print
    // on the default printer does not mark the project modified.
    if (chosen == setup())
        return false;
    m_doc.services().printer.setSetup(chosen);
    m_doc.setModified(true);
    CPrintRegions regions(m_doc.services().frames, canvas());
    regions.FitRegionsToPage(printablePage(), true, m_doc.services().catalogue);
    return true;
}

// ---------------------------------------------------------------------------
// Page segments

bool CPrintCommands::pageSegmentsShown() const
{
    return (m_doc.services().frames.visiblePlanes() & CPicInfo::kPlanePageSegments) != 0;
}

bool CPrintCommands::toggleShowPlane()
{
    CPicInfoManager& frames = m_doc.services().frames;
    const bool show = !pageSegmentsShown();
    const char* tip = nullptr;
    {
        CUndoGroup group(&m_doc.services().undo);
        CPrintRegions regions(frames, canvas());
        if (show && !regions.hasRegions()) {
            const CPrintablePage page = printablePage();
            regions.CreateRegions(page, regions.landscapeNeedsFewerPages(page), false);
            tip = kTipNewPage;
        } else if (show) {
            tip = kTipPrinterPage;
        }
        frames.setVisiblePlanes(CPicInfo::kPlanePageSegments, show ? CPicInfo::kPlanePageSegments : 0);
    }
    m_doc.setModified(true);
    if (tip) {
        showTip(tip);
        // Each page's printer icon turns it; said once the pages are seen.
        showTip(kTipOrientation);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Canvas size

bool CPrintCommands::changeCanvasSize(const CCanvasSizeChoice& choice)
{
    if (!(choice.width > 0.0f) || !(choice.height > 0.0f) || !std::isfinite(choice.width)
        || !std::isfinite(choice.height))
        return false;
    CPicInfoManager& frames = m_doc.services().frames;
    const bool resized = choice.width != m_doc.canvasWidth() || choice.height != m_doc.canvasHeight();
    if (resized)
        m_doc.setCanvasSize(choice.width, choice.height, true);
    const bool remembered = frames.setCanvasSizeMode(choice.mode) | frames.setResolution(choice.resolution);
    if (resized || remembered)
        m_doc.setModified(true);
    return resized || remembered;
}

QSizeF CPrintCommands::presetSize(int id) const
{
    return CanvasPresets::presetSize(id, m_doc.exportCanvas().unit, m_doc.services().settings);
}

QSizeF CanvasPresets::presetSize(int id, CanvasUnit unit, CPropManager& settings)
{
    if (id == kEmailPresetId) {
        const auto width = settings.getValue(key(kEmailWidthSetting));
        const auto height = settings.getValue(key(kEmailHeightSetting));
        return QSizeF(width ? width->toFloat() : 0.0f, height ? height->toFloat() : 0.0f);
    }
    const float perInch = unit == CanvasUnit::Centimetre ? kCentimetresPerInch : 1.0f;
    for (const CPreset& preset : kPaperPresets) {
        if (preset.id == id)
            return QSizeF(preset.width * perInch, preset.height * perInch);
    }
    return {};
}
