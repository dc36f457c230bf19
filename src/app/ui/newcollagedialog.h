#pragma once
// "New Collage": how a new collage starts. From a template, from an
// existing project, as an empty free-form canvas, as a grid collage (one
// locked frame to split), or laid out automatically by ZadeDudaziz. The
// two blank canvases take the canvas size chosen here (in canvas units,
// as the printer's page or in pixels at a resolution) and, when one is
// chosen here, a printer. Choosing a template or project is finished by
// the project picker afterwards. Picking a way to start explains it in an
// info-tip, and so does a canvas large enough to be slow.

#include "canvassizefields.h"
#include "documentdialogs.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <utility>

class CNotificationBus;
class QButtonGroup;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the dialog starts from.
struct CNewCollageOptions
{
    CCanvasSizeChoice canvas{10.0f, 7.5f, CCanvasSizeChoice::Units, 96};
    CanvasUnit unit = CanvasUnit::Inch;
    CCanvasSizeFields::Texts texts;
    std::function<QSizeF(int)> presetSize;
    // The printable page of the printer in force, upright, canvas units.
    std::optional<QSizeF> printablePage;
    // The printer button: asks for a printer; its set-up and printable
    // page, or nothing on Cancel. Without it there is no button.
    std::function<std::optional<std::pair<CPrinterSetup, QSizeF>>()> choosePrinter;
    bool layoutAvailable = true;
    // The choice made last time ("PrevCanvas").
    CNewCollageChoice::Kind previousKind = CNewCollageChoice::Kind::FreeForm;
    // Where the dialog asks for its info-tips; none without it.
    CNotificationBus* bus = nullptr;
};

class CNewCollageDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "New Collage";
    // A canvas above this area (about a square metre) takes much memory
    // and slows printing and exporting.
    static constexpr double kLargeCanvasSquareInches = 1600.0;

    explicit CNewCollageDialog(const CNewCollageOptions& options, QWidget* parent = nullptr);
    CNewCollageDialog(float width, float height, bool layoutAvailable, QWidget* parent = nullptr);

    CNewCollageChoice::Kind kind() const;
    void setKind(CNewCollageChoice::Kind kind);
    // The kind, the canvas size, its mode and resolution, and the printer
    // when one was chosen; the path is the picker's to fill.
    CNewCollageChoice choice() const;
    // Runs the printer button's question.
    void choosePrinter();

    QRadioButton* button(CNewCollageChoice::Kind kind) const;
    CCanvasSizeFields* canvasFields() const { return m_fields; }
    QDoubleSpinBox* widthBox() const;
    QDoubleSpinBox* heightBox() const;
    QPushButton* printerButton() const { return m_printerButton; }
    QLabel* printerLabel() const { return m_printerLabel; }

    // The words "PrevCanvas" keeps for a kind, and back (FreeForm for
    // words it does not know).
    static QString kindText(CNewCollageChoice::Kind kind);
    static CNewCollageChoice::Kind kindFromText(const QString& text);

private:
    void kindChanged();
    void kindPicked(int id);
    void sizeChanged();
    void requestTip(const char* key, QWidget* about);

    CNewCollageOptions m_options;
    QButtonGroup* m_kinds = nullptr;
    CCanvasSizeFields* m_fields = nullptr;
    QPushButton* m_printerButton = nullptr;
    QLabel* m_printerLabel = nullptr;
    std::optional<CPrinterSetup> m_printer;
    bool m_largeCanvas = false;
};
