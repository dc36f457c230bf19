#pragma once
// The main window's printing: Print, Print Preview, Print Setup, Show/Hide
// Page Segments and the canvas-size dialog, and the dialogs the printing
// commands ask through (the platform's print dialog, which always offers a
// PDF file, the set-up dialog and the low-resolution question).
//
// Print preview is a mode of the window: the preview takes the canvas's
// place, the toolbars are hidden until it ends, and closing the window
// while it shows only ends the preview. Owned by the window.

#include "commandtarget.h"
#include "printcommands.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class CCollageDoc;
class CPrintPreviewWidget;
class CServices;
class QMainWindow;
class QWidget;

// The printers the print system knows, by name.
QStringList installedPrinters();
// The set-up dialog for the New dialog's printer button: the printer and
// paper only, with the page it prints on (upright, canvas units).
std::optional<std::pair<CPrinterSetup, QSizeF>> askNewCollagePrinter(QWidget* parent, const CPrinterSetup& current,
                                                                     CanvasUnit unit);

class CPrintTarget : public QObject, public CCommandTarget, public CPrintDialogs
{
public:
    CPrintTarget(CCollageDoc& doc, CServices& services, QMainWindow* window);
    ~CPrintTarget() override;

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

    // Forwards commands to the window's routing (Show Page Segments).
    void setCommandSender(std::function<bool(int)> sender);

    bool inPreview() const { return m_preview != nullptr; }
    CPrintPreviewWidget* preview() const { return m_preview; }
    // Shows the preview when the checks let it; true when it shows.
    bool startPreview();
    // Ends a preview under way, bringing back the canvas and the toolbars;
    // false when there was none.
    bool endPreview();

    CPrintCommands& commands() { return m_commands; }

    // CPrintDialogs
    bool outputAvailable() override;
    std::unique_ptr<CPrintOutput> askPrintOutput(const CPrinterSetup& setup, int pageCount) override;
    std::optional<CPrinterSetup> askPrinterSetup(const CPrinterSetup& current) override;
    bool askPrintAnyway(const QString& warning) override;

private:
    void changeCanvasSize();

    CCollageDoc& m_doc;
    CServices& m_services;
    QMainWindow* m_window;
    CPrintCommands m_commands;
    CPrintPreviewWidget* m_preview = nullptr;
    QPointer<QWidget> m_canvas;
    QList<QWidget*> m_hiddenBars;
};
