#include "collagedoc.h"

#include "collagerenderer.h"
#include "documentsettings.h"
#include "frameops.h"
#include "imageexport.h"
#include "infotipsettings.h"
#include "macromanager.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "projectfile.h"
#include "propmanager.h"
#include "selection.h"
#include "surfaces.h"
#include "undo.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kUntitled = "Untitled";
constexpr const char* kUnexpectedFormat = "Unexpected file format.";
constexpr const char* kUnitSetting = "BaseSystemUnit";
constexpr const char* kUndoStepFailed = "UndoStepFailed";

// Delays of the info-tips shown after a document opens, in milliseconds.
constexpr int kTipNewProjDelay = 1000;
constexpr int kTipPhotoBrowseDelay = 3000;
constexpr int kTipEmailCollageDelay = 4000;

// Visible-planes bit of the printer page segments, hidden whenever a
// document is opened or saved.
constexpr quint32 kPageSegmentPlane = 0x2;

COleDate now() { return COleDate::fromDateTime(QDateTime::currentDateTime()); }

} // namespace

CCollageDoc::CCollageDoc(const CDocServices& services)
    : m_services(services)
    , m_gridWidth((registerDocumentSettings(services.settings), services.settings), "GridWidth",
                  "Horizontal grid marker spacing", 1.0f)
    , m_gridHeight(services.settings, "GridHeight", "Vertical grid marker spacing", 1.0f)
{
    m_created = m_lastSaved = now();
    m_services.bus.Register(this, Channel::Doc);
    m_services.undo.setTarget(this);
}

CCollageDoc::~CCollageDoc()
{
    if (m_services.undo.target() == this)
        m_services.undo.setTarget(nullptr);
    m_services.bus.Unregister(this, Channel::Doc);
}

// ---------------------------------------------------------------------------

void CCollageDoc::setCanvasSize(float width, float height, bool tellViews)
{
    if (!(width > 0.0f) || !(height > 0.0f) || !std::isfinite(width) || !std::isfinite(height))
        return;
    if (width == m_canvasWidth && height == m_canvasHeight)
        return;
    CUndoRecord record(&m_services.undo, QString::fromLatin1(kCanvasSizeKey), QString::fromLatin1(kCanvasSizeName));
    if (CArchive* ar = record.payload()) {
        ar->writeF32(m_canvasWidth);
        ar->writeF32(m_canvasHeight);
    }
    record.commit();
    m_canvasWidth = width;
    m_canvasHeight = height;
    if (tellViews)
        updateAllViews(DocHint::EverythingChanged);
}

void CCollageDoc::setCanvasPos(float left, float top, bool tellViews)
{
    if (!std::isfinite(left) || !std::isfinite(top))
        return;
    if (left == m_canvasLeft && top == m_canvasTop)
        return;
    m_canvasLeft = left;
    m_canvasTop = top;
    if (tellViews)
        updateAllViews(DocHint::OriginChanged);
}

CExportCanvas CCollageDoc::exportCanvas() const
{
    const std::optional<CPropValue> unit = m_services.settings.getValue(QString::fromLatin1(kUnitSetting));
    CExportCanvas canvas;
    canvas.width = m_canvasWidth;
    canvas.height = m_canvasHeight;
    canvas.unit = canvasUnitFromPageUnit(unit ? unit->toInt() : PageUnit::Inch);
    canvas.colour = m_services.frames.canvasColour();
    return canvas;
}

QString CCollageDoc::title() const
{
    if (m_path.isEmpty())
        return QString::fromLatin1(kUntitled);
    QString name = QFileInfo(m_path).fileName();
    if (name.endsWith(QLatin1String(kExtension), Qt::CaseInsensitive))
        name.chop(int(qstrlen(kExtension)));
    return name;
}

void CCollageDoc::setModified(bool modified)
{
    // The quick-start collage is a sample: it never asks to be saved.
    m_modified = modified && !isQuickStart();
}

bool CCollageDoc::OnNotify(const CNotifyMessage& message)
{
    if (message.event.compare(QLatin1String(Event::HasMods), Qt::CaseInsensitive) != 0)
        return false;
    setModified(message.parameter != nullptr);
    return true;
}

// ---------------------------------------------------------------------------

void CCollageDoc::addObserver(CDocObserver* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CCollageDoc::removeObserver(CDocObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CCollageDoc::updateAllViews(int hint, qintptr argument)
{
    if (updatesHeld())
        return;
    for (CDocObserver* observer : std::vector<CDocObserver*>(m_observers))
        observer->onDocumentUpdate(hint, argument);
}

void CCollageDoc::releaseUpdates()
{
    if (m_updateHold > 0)
        --m_updateHold;
}

void CCollageDoc::setPreviewQuality(int quality, bool repaint)
{
    quality = std::clamp(quality, 0, 2);
    m_previewQuality = quality;
    m_services.settings.setValue("PreviewQuality", CPropValue::i32(quality));
    m_services.settings.setValue("HighQuality", CPropValue::boolean(quality == 2));
    RenderQuality::setPreviewQuality(quality);
    m_services.renderer.setFullResolution(RenderQuality::previewUsesFullImage(quality) || m_highQualityImages);
    if (repaint) {
        m_services.renderer.invalidateAll();
        m_services.frames.invalidateAll();
        updateAllViews(DocHint::EverythingChanged);
    }
}

void CCollageDoc::setHighQualityImages(bool on)
{
    if (on == m_highQualityImages)
        return;
    m_highQualityImages = on;
    m_services.renderer.setFullResolution(on || RenderQuality::previewUsesFullImage(m_previewQuality));
    m_services.renderer.invalidateAll();
    updateAllViews(DocHint::EverythingChanged);
}

// ---------------------------------------------------------------------------

void CCollageDoc::resetFields()
{
    m_canvasLeft = kDefaultCanvasLeft;
    m_canvasTop = kDefaultCanvasTop;
    m_canvasWidth = kDefaultCanvasWidth;
    m_canvasHeight = kDefaultCanvasHeight;
    m_description.clear();
    m_fileVersion = kFileVersion;
}

void CCollageDoc::clearContents()
{
    holdUpdates();
    // Clearing the history below ends this.
    m_services.undo.DisableRecording();
    m_services.selection.Clear();

    // The sample photos of the quick-start collage never stay in the user's collection.
    QStringList samplePaths;
    if (isQuickStart()) {
        for (const CDropperEntry& entry : m_services.dropper.entries())
            samplePaths << entry.path;
        m_services.dropper.EmptyDropper();
        for (const auto& frame : m_services.frames.frames())
            if (!frame->photoPath().isEmpty())
                samplePaths << frame->photoPath();
    }

    m_services.frames.clear(m_services.frames.canvasSizeMode());
    m_services.macros.Clear();
    m_services.undo.Clear();
    m_services.bus.Withdraw(Channel::Tip);
    setPreviewQuality(1, false);

    for (const QString& path : samplePaths)
        m_services.photos.RemovePhoto(path, false);

    resetFields();
    m_flags = 0;
    releaseUpdates();
    updateAllViews(DocHint::ResetView);
}

void CCollageDoc::newDocument()
{
    clearContents();
    m_path.clear();
    updateAllViews(DocHint::ReleaseFrameObjects);
    m_created = m_lastSaved = now();
    updateAllViews(DocHint::FitToWindow);
    updateAllViews(DocHint::ReleaseFrameObjects, 1);
    m_modified = false;
}

CCollageDoc::OpenResult CCollageDoc::openDocument(const QString& path)
{
    switch (CProjectFile::check(path)) {
    case CProjectFile::Check::NotFound:
        m_services.catalogue.show("FileNotFound", MsgStyle::InfoOk);
        return OpenResult::NotFound;
    case CProjectFile::Check::Corrupt:
        m_services.catalogue.show("CorruptProject", MsgStyle::InfoOk);
        return OpenResult::Corrupt;
    // Known before anything is cleared, so the document on screen stays.
    case CProjectFile::Check::NewerVersion:
        m_services.catalogue.show("WrongDocVersion", MsgStyle::InfoOk);
        return OpenResult::NewerVersion;
    case CProjectFile::Check::Ok:
        break;
    }

    updateAllViews(DocHint::ReleaseFrameObjects);
    holdUpdates();
    m_services.frames.holdRedraw();

    clearContents();
    const CProjectFile::ReadResult read = CProjectFile::read(*this, path);
    if (read == CProjectFile::ReadResult::Ok && m_fileVersion < kFileVersion)
        CFrameOps::upgradeSnapshots(m_services.undo);

    if (read == CProjectFile::ReadResult::Ok) {
        m_path = QFileInfo(path).absoluteFilePath();
        if (QFileInfo(path).fileName() == QLatin1String(kQuickStartFileName)) {
            m_flags |= QuickStartFlag;
            m_services.settings.setValue("HighQuality", CPropValue::boolean(true));
        }
    }
    hidePageSegments();
    m_services.frames.releaseRedraw();
    releaseUpdates();

    if (read != CProjectFile::ReadResult::Ok) {
        // The newer-version case has told the user already, through the bus.
        if (read == CProjectFile::ReadResult::FormatError)
            m_services.catalogue.showText(QString::fromLatin1(kUnexpectedFormat), MsgStyle::ErrorOk);
        clearContents();
        m_path.clear();
        m_modified = false;
        updateAllViews(DocHint::EverythingChanged);
        return read == CProjectFile::ReadResult::NewerVersion ? OpenResult::NewerVersion : OpenResult::FormatError;
    }

    updateAllViews(DocHint::EverythingChanged);
    updateAllViews(DocHint::ReleaseFrameObjects, 1);
    updateAllViews(DocHint::SelectionGeometry);

    if (isQuickStart())
        m_services.bus.Broadcast(Channel::Tip, "Tip::NewProj", nullptr, true, kTipNewProjDelay);
    else if (isTemplate())
        m_services.bus.Broadcast(Channel::Tip, "Tip::PhotoBrowse", nullptr, true, kTipPhotoBrowseDelay);
    if (isQuickStart() || isTemplate())
        updateAllViews(DocHint::FitToWindow);
    m_services.bus.Broadcast(Channel::Tip, "Tip::EmailCollage", nullptr, true, kTipEmailCollageDelay);

    m_fileVersion = kFileVersion;
    m_modified = false;
    return OpenResult::Opened;
}

CCollageDoc::SaveResult CCollageDoc::saveDocument(const QString& path)
{
    hidePageSegments();
    // Open dialogs and file managers show the project by this picture; it is
    // drawn as the file is now, so a template shows its empty frames.
    m_services.frames.setPreview(renderPreview(m_services.frames, m_services.images, isTemplate(),
                                               QSizeF(m_canvasWidth, m_canvasHeight)));
    const COleDate previousSave = m_lastSaved;
    m_lastSaved = now();
    if (!CProjectFile::write(*this, path)) {
        m_lastSaved = previousSave;
        reportSaveFailure(path);
        return SaveResult::Failed;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_fileVersion = kFileVersion;
    m_modified = false;
    return SaveResult::Saved;
}

// A missing folder and a folder the user may not write in say so; any
// other failure is the disk's.
void CCollageDoc::reportSaveFailure(const QString& path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const QString shown = QDir::toNativeSeparators(folder.absoluteFilePath());
    CMessageCatalogue& catalogue = m_services.catalogue;
    if (!folder.isDir())
        catalogue.showText(catalogue.text("SaveNoFolder").arg(shown), MsgStyle::ErrorOk);
    else if (!folder.isWritable())
        catalogue.showText(catalogue.text("SaveNotAllowed").arg(shown), MsgStyle::ErrorOk);
    else
        catalogue.show("SaveFailed", MsgStyle::ErrorOk);
}

void CCollageDoc::bringBackInfoTips()
{
    CInfoTipSettings(m_services.settings).resetAll();
    if (!m_settingsFile.isEmpty())
        m_services.settings.save(m_settingsFile);
}

void CCollageDoc::hidePageSegments()
{
    // Not an edit: recorded, it would put a step on top of the history just
    // opened or saved and empty its redo list.
    CUndoSuspend suspend(&m_services.undo);
    m_services.frames.setVisiblePlanes(kPageSegmentPlane, 0);
}

// ---------------------------------------------------------------------------
// Undo and redo

bool CCollageDoc::canUndo() const { return m_services.undo.CanUndo(); }

bool CCollageDoc::canRedo() const { return m_services.undo.CanRedo(); }

bool CCollageDoc::undoCommand() { return replayStep(CUndo::Direction::Undo); }

bool CCollageDoc::redoCommand() { return replayStep(CUndo::Direction::Redo); }

bool CCollageDoc::replayStep(CUndo::Direction direction)
{
    CUndo& history = m_services.undo;
    const bool undo = direction == CUndo::Direction::Undo;
    const CUndo::StepList& list = undo ? history.undoList() : history.redoList();
    const size_t stepsBefore = list.size();
    if (stepsBefore == 0)
        return false;
    // The floating frame would hold a photo the step may take away.
    m_services.dropper.SetToolMode(false);
    if (undo ? history.Undo() : history.Redo()) {
        setModified(true);
    } else if (list.size() < stepsBefore) {
        // A step of a loaded history that cannot be replayed is dropped and
        // what it had changed is taken back: the canvas is as it was, and
        // the user learns why nothing happened.
        m_services.catalogue.show(QString::fromLatin1(kUndoStepFailed), MsgStyle::WarningOk);
    } else {
        return false; // a drag or a group is still open: nothing was replayed
    }
    updateAllViews(DocHint::Generic);
    return true;
}

QString CCollageDoc::undoMenuText() const
{
    if (!canUndo())
        return QString::fromLatin1(kUndoMenuTextEmpty);
    return QString::fromLatin1(kUndoMenuText).replace(QLatin1String("%s"), m_services.undo.UndoName());
}

QString CCollageDoc::redoMenuText() const
{
    if (!canRedo())
        return QString::fromLatin1(kRedoMenuTextEmpty);
    return QString::fromLatin1(kRedoMenuText).replace(QLatin1String("%s"), m_services.undo.RedoName());
}

QString CCollageDoc::undoToolTip() const
{
    const QString name = canUndo() ? m_services.undo.UndoName() : QString::fromLatin1(kNothingToUndo);
    return QString::fromLatin1(kUndoToolTip).replace(QLatin1String("%s"), name);
}

bool CCollageDoc::ApplyUndo(CUndoItem& item, CArchive& snapshot, Direction)
{
    if (item.kind() == QLatin1String(kCanvasSizeKey)) {
        const float width = snapshot.readF32();
        const float height = snapshot.readF32();
        setCanvasSize(width, height, true);
        return true;
    }
    if (item.kind() == QLatin1String(kCanvasPosKey)) {
        const float left = snapshot.readF32();
        const float top = snapshot.readF32();
        if (!std::isfinite(left) || !std::isfinite(top) || (left == m_canvasLeft && top == m_canvasTop))
            return true;
        CUndoRecord record(&m_services.undo, item.kind(), item.displayName());
        if (CArchive* ar = record.payload()) {
            ar->writeF32(m_canvasLeft);
            ar->writeF32(m_canvasTop);
        }
        record.commit();
        setCanvasPos(left, top, true);
        return true;
    }
    if (m_services.dropper.replay(item, snapshot))
        return true;
    return CFrameOps(m_services.frames).replay(item, snapshot);
}

void CCollageDoc::holdRedraw() { m_services.frames.holdRedraw(); }

void CCollageDoc::releaseRedraw() { m_services.frames.releaseRedraw(); }
