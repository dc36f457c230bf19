#pragma once
// "Print Setup": which printer (the system's default, an installed one, or
// a PDF file), the paper, the margins and the resolution the pages are
// rendered at; and the two printing choices of the collage, centring it on
// the page and printing the canvas colour. The caller lists the printers,
// so the dialog shows the same with or without a print system.

#include "printerchoice.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

class CPrinterSetupDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Print Setup";
    static constexpr const char* kDefaultPrinterText = "Default printer";
    static constexpr const char* kPdfFileText = "PDF file";
    // The margin boxes, millimetres.
    static constexpr double kMaxMargin = 50.0;
    static constexpr int kResolutions[] = {150, 300, 600, 1200};

    CPrinterSetupDialog(const CPrinterSetup& current, const QStringList& printers, bool centreOnPage,
                        bool printCanvasColour, QWidget* parent = nullptr);

    CPrinterSetup setup() const;
    bool centreOnPage() const;
    bool printCanvasColour() const;
    // Without the collage's printing choices, when only a printer is asked for.
    void setCollageOptionsVisible(bool visible);

    QComboBox* printerBox() const { return m_printer; }
    QComboBox* paperBox() const { return m_paper; }
    QComboBox* resolutionBox() const { return m_resolution; }

private:
    QComboBox* m_printer = nullptr;
    QComboBox* m_paper = nullptr;
    QComboBox* m_resolution = nullptr;
    QDoubleSpinBox* m_margins[4] = {};
    QCheckBox* m_centre = nullptr;
    QCheckBox* m_canvasColour = nullptr;
    CPrinterSetup m_initial;
};
