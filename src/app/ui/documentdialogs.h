#pragma once
// The questions the document commands put to the user. The window answers
// them with its dialogs (CQtDocumentDialogs); a test answers directly. Also
// the save mode of the project picker and the frame commands' questions, so
// one object stands for every dialog of the document's commands.

#include "doccommands.h"
#include "framecommands.h"
#include "printerchoice.h"

#include <QString>
#include <QStringList>

#include <optional>

// The outcomes of the "New Collage" dialog.
struct CNewCollageChoice
{
    enum class Kind { Template, ExistingProject, FreeForm, Grid, ZadeDudaziz };
    Kind kind = Kind::FreeForm;
    // The canvas of a free-form or grid collage, canvas units.
    float width = 0.0f;
    float height = 0.0f;
    // The template or project to open.
    QString path;
    // The blank canvas's size mode (canvas units, printer page, pixels) and
    // the resolution of the pixel mode.
    quint32 canvasSizeMode = 0;
    quint32 resolution = 96;
    // A printer chosen in the dialog.
    std::optional<CPrinterSetup> printer;
};

// The values of the "Grid Settings" dialog.
struct CGridChoice
{
    bool showGrid = false;
    bool drawGridLines = false;
    float width = 1.0f;
    float height = 1.0f;
};

class CDocumentDialogs : public CProjectPicker, public CFrameCommandQuestions
{
public:
    // Nothing when the user cancels. The automatic-layout outcome is offered
    // only when `layoutAvailable`.
    virtual std::optional<CNewCollageChoice> askNewCollage(float defaultWidth, float defaultHeight,
                                                           bool layoutAvailable) = 0;
    // The open mode of the project picker.
    virtual std::optional<QString> askOpenPath() = 0;
    virtual std::optional<CGridChoice> askGridSettings(const CGridChoice& current) = 0;
    // Image files to place on the canvas; empty on Cancel.
    virtual QStringList askPictures() = 0;
    // The export dialog runs on its own; the document is what it exports.
    // Returns the file it wrote, or nothing when it wrote none.
    virtual QString showExport() = 0;
    // The Adjust Image Attributes, Border and Shadow and Canvas Color
    // dialogs, starting from the current values; nothing on Cancel.
    virtual std::optional<CImageTone> askImageTone(const CImageTone& current) = 0;
    virtual std::optional<CFrameStyle> askFrameStyle(const CFrameStyle& current) = 0;
    virtual std::optional<QRgb> askCanvasColour(QRgb current) = 0;
    // The ZadeDudaziz wizard, for a canvas with nothing to arrange: nothing
    // when cancelled, else whether the user asked for a jumble after the
    // layout. On Finish the chosen photos are in the dropper.
    virtual std::optional<bool> runZadeDudazizWizard() = 0;
};
