#pragma once
// The canvas size as the canvas-size dialog and the New dialog ask for it:
// a mode (the size in canvas units, the printer's page, or pixels at a
// resolution), the width and the height in that mode, the resolution, the
// "PresetSizes" drop-down with its info-tip beside it, and the printer's
// printable page ("%-2.3g by %-2.3g", or that there is no printer).

#include "canvasunit.h"
#include "printcommands.h"

#include <QSizeF>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

class CCanvasSizeFields : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* kNoPrinterText = "Printer Not Selected or Installed";
    static constexpr const char* kPageSizeFormat = "%-2.3g by %-2.3g";
    static constexpr double kMinSide = 0.5;      // canvas units
    static constexpr double kMaxSide = 200.0;
    static constexpr int kSideDecimals = 2;
    static constexpr int kMinResolution = 10;
    static constexpr int kMaxResolution = 2400;

    struct Texts
    {
        QString presetsTip;   // the catalogue's "PresetSizes"
        QString presetsInfo;  // the catalogue's "Tip::CanvasSizePresets"
    };

    // `presetSize` gives a preset's size in canvas units by its id.
    CCanvasSizeFields(const CCanvasSizeChoice& initial, CanvasUnit unit, const Texts& texts,
                      std::function<QSizeF(int)> presetSize, QWidget* parent = nullptr);

    // The size in canvas units whatever the mode.
    CCanvasSizeChoice choice() const;
    void setChoice(const CCanvasSizeChoice& choice);
    // The printer's printable page, upright, canvas units; none without a printer.
    void setPrintablePage(std::optional<QSizeF> page);
    // Fills width and height from a preset (its id in the drop-down).
    void choosePreset(int id);
    // The page-size line as it reads now.
    QString pageSizeText() const;

    QComboBox* modeBox() const { return m_mode; }
    QDoubleSpinBox* widthBox() const { return m_width; }
    QDoubleSpinBox* heightBox() const { return m_height; }
    QSpinBox* resolutionBox() const { return m_resolution; }
    QComboBox* presetBox() const { return m_presets; }
    QLabel* pageLabel() const { return m_page; }

private:
    void modeChanged();
    // Canvas units per value of the width and height boxes in `mode`.
    double unitsPerValue(quint32 mode) const;
    void showSize(QSizeF units);

    CanvasUnit m_unit;
    std::function<QSizeF(int)> m_presetSize;
    std::optional<QSizeF> m_printable;
    quint32 m_shownMode = CCanvasSizeChoice::Units;

    QComboBox* m_mode = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
    QSpinBox* m_resolution = nullptr;
    QComboBox* m_presets = nullptr;
    QLabel* m_page = nullptr;
};
