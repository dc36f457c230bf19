#include "qtdocumentdialogs.h"

#include "zadedudazizsheet.h"

#include "collagedoc.h"
#include "datapaths.h"
#include "exportdialog.h"
#include "imagetypes.h"
#include "picinfomanager.h"
#include "projectpicker.h"
#include "propmanager.h"
#include "newcollagedialog.h"
#include "gridsettingsdialog.h"
#include "framestyledialog.h"
#include "imagetonedialog.h"
#include "services.h"
#include "messagecatalogue.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "printtarget.h"
#include "propmanager.h"
#include "splitframedialog.h"
#include "surfaces.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char* kPicturesCaption = "Add Pictures";
constexpr const char* kPicturesFolderSetting = "AddPicturesDir";
constexpr const char* kCanvasColourCaption = "Canvas Color";
constexpr const char* kBaseSystemUnitSetting = "BaseSystemUnit";
// The New dialog's last choice and the last template opened from it.
constexpr const char* kPrevCanvas = "PrevCanvas";
constexpr const char* kPrevTemplate = "PrevTemplate";

QString setting(CPropManager& settings, const char* name)
{
    const std::optional<CPropValue> value = settings.getValue(QString::fromLatin1(name));
    return value ? value->toString() : QString();
}

// Catalogue texts by Latin-1 key.
struct CCatalogueTexts
{
    CMessageCatalogue& catalogue;
    QString text(const char* key) const { return catalogue.text(QString::fromLatin1(key)); }
};

} // namespace

CQtDocumentDialogs::CQtDocumentDialogs(CCollageDoc& doc, CServices& services, QWidget* parent)
    : m_doc(doc)
    , m_services(services)
    , m_parent(parent)
{
}

QString CQtDocumentDialogs::startFolder() const
{
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    if (!m_doc.path().isEmpty())
        return QFileInfo(m_doc.path()).absolutePath();
    return DataPaths::documentsFolder();
}

std::optional<CSaveAsChoice> CQtDocumentDialogs::pickSaveTarget(const QString& title, const QString& description,
                                                                bool templateMode)
{
    CProjectPickerDialog picker(CProjectPickerDialog::Mode::Save, m_services.catalogue(), m_parent);
    picker.setFolder(startFolder());
    picker.setType(templateMode ? ProjectType::Template : ProjectType::Project);
    picker.setFileName(title);
    picker.setDescription(description);
    if (picker.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastFolder = picker.folder();
    return CSaveAsChoice{picker.chosenPath(), picker.type(), picker.description()};
}

std::optional<QString> CQtDocumentDialogs::pickOpenPath(ProjectType type)
{
    CProjectPickerDialog picker(CProjectPickerDialog::Mode::Open, m_services.catalogue(), m_parent);
    picker.setType(type);
    picker.setFolder(startFolder());
    if (picker.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastFolder = picker.folder();
    return picker.chosenPath();
}

std::optional<QString> CQtDocumentDialogs::askOpenPath()
{
    return pickOpenPath(ProjectType::Project);
}

std::optional<CSplitCounts> CQtDocumentDialogs::askSplit()
{
    CSplitFrameDialog dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.counts();
}

bool CQtDocumentDialogs::askMerge()
{
    return askMergeWarning(m_services.catalogue());
}

std::optional<CNewCollageChoice> CQtDocumentDialogs::askNewCollage(float defaultWidth, float defaultHeight,
                                                                   bool layoutAvailable)
{
    CPropManager& settings = m_services.settings();
    const CanvasUnit unit = m_doc.exportCanvas().unit;
    const CPrinterSetup printer = m_services.printer().effectiveSetup();
    CCatalogueTexts catalogue{m_services.catalogue()};
    CNewCollageOptions options;
    options.canvas = {defaultWidth, defaultHeight, m_services.frames().canvasSizeMode(), m_services.frames().resolution()};
    options.unit = unit;
    options.texts = {catalogue.text("PresetSizes"), catalogue.text("Tip::CanvasSizePresets")};
    options.presetSize = [&settings, unit](int id) { return CanvasPresets::presetSize(id, unit, settings); };
    options.printablePage = CPrintablePage::of(printer, unit).portrait;
    options.choosePrinter = [this, printer, unit] { return askNewCollagePrinter(m_parent, printer, unit); };
    options.layoutAvailable = layoutAvailable;
    options.previousKind = CNewCollageDialog::kindFromText(setting(settings, kPrevCanvas));
    options.bus = &m_services.bus();

    CNewCollageDialog dialog(options, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    CNewCollageChoice choice = dialog.choice();
    settings.setValue(QString::fromLatin1(kPrevCanvas), CPropValue::string(CNewCollageDialog::kindText(choice.kind)));
    using Kind = CNewCollageChoice::Kind;
    if (choice.kind == Kind::Template || choice.kind == Kind::ExistingProject) {
        const bool asTemplate = choice.kind == Kind::Template;
        // A template is looked for where the last one was.
        const QString previous = setting(settings, kPrevTemplate);
        if (asTemplate && !previous.isEmpty() && QFileInfo(previous).absoluteDir().exists())
            m_lastFolder = QFileInfo(previous).absolutePath();
        const std::optional<QString> path = pickOpenPath(asTemplate ? ProjectType::Template : ProjectType::Project);
        if (!path)
            return std::nullopt;
        choice.path = *path;
        if (asTemplate)
            settings.setValue(QString::fromLatin1(kPrevTemplate), CPropValue::string(*path));
    }
    return choice;
}

std::optional<CGridChoice> CQtDocumentDialogs::askGridSettings(const CGridChoice& current)
{
    CGridSettingsDialog dialog(current, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

QStringList CQtDocumentDialogs::askPictures()
{
    QStringList patterns;
    for (const QString& extension : ImageTypes::extensionList())
        patterns << QStringLiteral("*.") + extension;
    const QString filter = QStringLiteral("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
    CPropManager& settings = m_services.settings();
    const QString setting = QString::fromLatin1(kPicturesFolderSetting);
    settings.registerProp(setting, QStringLiteral("Folder pictures were added from last"), true,
                          CPropValue::string(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)));
    // A folder that is not there would reach the dialog as a file name.
    const QString folder =
        DataPaths::nearestExistingFolder(settings.getValue(setting).value_or(CPropValue()).toString());
    const QStringList files =
        QFileDialog::getOpenFileNames(m_parent, QString::fromLatin1(kPicturesCaption), folder, filter);
    if (!files.isEmpty())
        settings.setValue(setting, CPropValue::string(QFileInfo(files.first()).absolutePath()));
    return files;
}

std::optional<CImageTone> CQtDocumentDialogs::askImageTone(const CImageTone& current)
{
    CImageToneDialog dialog(current, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.tone();
}

std::optional<CFrameStyle> CQtDocumentDialogs::askFrameStyle(const CFrameStyle& current)
{
    CFrameStyleDialog dialog(current, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.style();
}

std::optional<QRgb> CQtDocumentDialogs::askCanvasColour(QRgb current)
{
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgba(current), m_parent, QString::fromLatin1(kCanvasColourCaption));
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.rgba();
}

QString CQtDocumentDialogs::showExport()
{
    CExportDialog dialog(m_services.renderer(), m_doc.exportCanvas(), m_services.settings(), m_services.catalogue(),
                         &m_services.progress(), m_parent);
    dialog.exec();
    return dialog.exportedPath();
}

std::optional<bool> CQtDocumentDialogs::runZadeDudazizWizard()
{
    CZadeDudazizSheet sheet(m_doc, m_services, m_parent);
    if (sheet.exec() != QDialog::Accepted)
        return std::nullopt;
    return sheet.jumbleChosen();
}
