#pragma once
// The document's printing commands as the menus call them: Print, the
// checks before Print Preview, Print Setup, Show/Hide Page Segments, the
// page-orientation flip of a printer page, and the canvas-size dialog's
// outcome. The print dialog, the set-up dialog and the low-resolution
// question are the window's; the commands reach them through CPrintDialogs,
// so they run the same in a test with a PDF writer for a printer.
//
// Made by the window's print handler, which it outlives not. User-interface
// thread only.

#include "printerchoice.h"
#include "printjob.h"
#include "printlayout.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CCollageDoc;
class CPropManager;
class QPagedPaintDevice;

// Where one print goes: the device the print dialog set up and what the
// user chose in it.
class CPrintOutput
{
public:
    virtual ~CPrintOutput() = default;
    // Set up with the chosen printer (or PDF file) and resolution; the job
    // sets each page's layout itself.
    virtual QPagedPaintDevice& device() = 0;
    // The printer, paper and margins chosen in the dialog.
    virtual CPrinterSetup setup() const = 0;
    // A file gets one job: several would each replace it.
    virtual bool printsToFile() const = 0;
    // Pages first to last, counting from 1; nothing for all of them.
    virtual std::optional<std::pair<int, int>> pageRange() const { return std::nullopt; }
    // Drops what the job under way has sent (a cancelled print).
    virtual void abort() {}
};

class CPrintDialogs
{
public:
    virtual ~CPrintDialogs() = default;
    // A printer is installed, or printing to a PDF file is possible.
    virtual bool outputAvailable() = 0;
    // The print dialog, started on `setup`; nothing on Cancel.
    virtual std::unique_ptr<CPrintOutput> askPrintOutput(const CPrinterSetup& setup, int pageCount) = 0;
    // The printer set-up dialog; nothing on Cancel.
    virtual std::optional<CPrinterSetup> askPrinterSetup(const CPrinterSetup& current) = 0;
    // The low-resolution warning: true for "print anyway", false for "cancel".
    virtual bool askPrintAnyway(const QString& warning) = 0;
};

// What the canvas-size dialog (and the New dialog) choose.
struct CCanvasSizeChoice
{
    // The modes of the dialog: the size typed in canvas units, the
    // printer's printable page, or pixels at a resolution.
    enum Mode : quint32 { Units = 0, PrinterPage = 1, Pixels = 2 };

    float width = 0.0f;  // canvas units, whatever the mode
    float height = 0.0f;
    quint32 mode = Units;
    quint32 resolution = 96; // dots per inch of the pixel mode
};

namespace CanvasPresets {

// The "PresetSizes" drop-down; the e-mail entry takes its size from the
// settings "DefEmailCX" and "DefEmailCY".
struct CPreset
{
    int id;
    const char* text;
    float width; // inches; a centimetre canvas gets them converted
    float height;
};
inline constexpr int kEmailPresetId = 51;
inline constexpr CPreset kPaperPresets[] = {
    {1, "For 11\" by 8\u00BD\" page", 10.0f, 7.5f},
    {2, "For 8\u00BD\" by 11\" page", 7.5f, 10.0f},
    {3, "For 36\" by 24\" poster", 36.0f, 24.0f},
    {4, "For 24\" by 36\" poster", 24.0f, 36.0f},
};
inline constexpr const char* kEmailPresetText = "Ideal for E-Mail";

// A preset's size in canvas units: the paper presets converted to the
// unit, the e-mail one as the settings hold it; empty for an unknown id.
QSizeF presetSize(int id, CanvasUnit unit, CPropManager& settings);

} // namespace CanvasPresets

class CPrintCommands
{
public:
    // Show/Hide Page Segments, which the Print command runs when it stops
    // to show the regions it made.
    static constexpr int kShowPlaneCommand = 323;
    // Delays of the tips the commands show, milliseconds.
    static constexpr int kTipDelay = 1000;

    CPrintCommands(CCollageDoc& doc, CPrintDialogs& dialogs);

    // Forwards a command to the window's routing (Show Page Segments);
    // without it the segments are shown directly.
    void setCommandSender(std::function<bool(int)> sender) { m_sendCommand = std::move(sender); }

    // The set-up in force (the project's printer, or the system default)
    // and its printable page in the canvas's unit.
    CPrinterSetup setup() const;
    CPrintablePage printablePage() const;
    QSizeF canvas() const;
    CPrintOptions options() const;
    CPrintJob job() const;
    std::vector<CPrintPage> pages() const;

    // Print (57607): the checks with confirmation, the print dialog (a new
    // printer there fits the regions to its page), the low-resolution
    // warning, "PrintJobs" for several pages on a printer, then the pages.
    // Returns whether anything was printed.
    bool print();
    // Print Preview (57609): the checks for a preview; true when there are
    // pages to show. Makes regions when the user agrees.
    bool preparePreview();
    // Print Setup: the set-up dialog; a new set-up becomes the project's
    // printer and the regions are fitted to its page. True when it changed.
    bool printSetup();
    // Takes `setup` as the project's printer and fits the regions to its
    // page, asking first. True when the printer changed.
    bool choosePrinter(const CPrinterSetup& setup);

    // Show/Hide Page Segments (323): one undo step. Showing a canvas that
    // has no regions makes them as a print would.
    bool toggleShowPlane();
    bool pageSegmentsShown() const;

    // The canvas-size dialog's outcome: the size as one undo step ("Change
    // Canvas Size"), the mode and resolution remembered. False when nothing
    // changed.
    bool changeCanvasSize(const CCanvasSizeChoice& choice);

    // The sizes of the presets in the canvas's unit; the e-mail preset from
    // the settings.
    QSizeF presetSize(int id) const;

private:
    void showTip(const char* key) const;
    void fitRegionsAfterPrinterChange(const CPrintablePage& oldPage);
    CPrintResult printPages(CPrintOutput& output, const std::vector<CPrintPage>& pages);

    CCollageDoc& m_doc;
    CPrintDialogs& m_dialogs;
    std::function<bool(int)> m_sendCommand;
};
