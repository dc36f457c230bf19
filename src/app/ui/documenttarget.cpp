#include "documenttarget.h"

#include "collagedoc.h"
#include "commandids.h"
#include "datapaths.h"
#include "doccommands.h"
#include "documentdialogs.h"
#include "framecommands.h"
#include "framehittest.h"
#include "frameops.h"
#include "imagedrop.h"
#include "messagecatalogue.h"
#include "notificationbus.h"
#include "photoimage.h"
#include "photoitem.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "progress.h"
#include "quickcollage.h"
#include "projectpeek.h"
#include "recentfiles.h"
#include "selection.h"
#include "services.h"
#include "snapper.h"
#include "snapsettings.h"
#include "viewcoords.h"
#include "ziraradaru.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

using namespace CommandId;

namespace {

constexpr const char* kReloadText = "Now updating image...";

// Ids the frame commands answer, in no particular order.
constexpr int kFrameCommandIds[] = {SplitFrame,       MergeFrames,      SwapDimensions,    SnapUpright,
                                    SpinRight,        SpinLeft,         SnapFrameToImage,  SnapImageToFrame,
                                    DuplicateSelected, ResizeCanvasToFit, RemoveSelected};
// The commands that move, resize or turn frames, which a locked canvas holds back.
constexpr int kLockedOutIds[] = {SwapDimensions, SnapUpright, SpinRight, SpinLeft, SnapFrameToImage};
// The commands of the tone, style and canvas colour dialogs, and the lock
// (the canvas size goes with the printer's page: the print target has it).
constexpr int kStyleCommandIds[] = {AdjustImage, BorderAndShadow, CanvasColour, LockFrames};

// What the status bar says when the lock held a drag or a command back.
constexpr const char* kLockedStatus = "LockedFramesStatus";
constexpr const char* kExportedStatus = "ExportWritten";
constexpr const char* kSplitterUsageTip = "Tip::SplitterUsage";

template <size_t N>
bool contains(const int (&ids)[N], int id)
{
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

bool isFrameCommand(int id) { return contains(kFrameCommandIds, id); }

} // namespace

CDocumentTarget::CDocumentTarget(CCollageDoc& doc, CServices& services, CDocumentDialogs& dialogs,
                                 CRecentFiles& recent)
    : m_doc(doc)
    , m_services(services)
    , m_dialogs(dialogs)
    , m_recent(recent)
    , m_docCommands(std::make_unique<CDocCommands>(doc, dialogs))
    , m_frameCommands(std::make_unique<CFrameCommands>(doc, dialogs))
    , m_modifiers([] { return QGuiApplication::queryKeyboardModifiers(); })
    , m_sampleFolder(DataPaths::sampleFolder())
{
    m_docCommands->setTemplateSavedHandler([this](const QString& path) { m_recent.add(path); });
}

CDocumentTarget::~CDocumentTarget() = default;

bool CDocumentTarget::onCommand(int id)
{
    if (id >= RecentFileFirst && id < RecentFileFirst + RecentFileCount) {
        openRecent(id - RecentFileFirst);
        return true;
    }
    if (isFrameCommand(id))
        return runFrameCommand(id);
    if (contains(kStyleCommandIds, id))
        return runStyleCommand(id);

    switch (id) {
    case New:
        newCollage();
        return true;
    case Open:
        openFromPicker();
        return true;
    case Close:
        closeProject();
        return true;
    case Save: {
        const Qt::KeyboardModifiers keys = m_modifiers();
        const bool saved = m_docCommands->save(keys & Qt::ShiftModifier, keys & Qt::ControlModifier);
        if (saved)
            m_recent.add(m_doc.path());
        documentChanged();
        return true;
    }
    case SaveAs:
        if (m_docCommands->saveAs() && !m_doc.path().isEmpty())
            m_recent.add(m_doc.path());
        documentChanged();
        return true;
    case SaveAsTemplate:
        m_docCommands->saveAsTemplate();
        documentChanged();
        return true;
    case Undo:
        if (!m_doc.undoCommand())
            QApplication::beep();
        return true;
    case Redo:
        if (!m_doc.redoCommand())
            QApplication::beep();
        return true;
    case ReloadImages:
        reloadImages();
        return true;
    case ResetInfoTips:
        m_doc.bringBackInfoTips();
        showStatus(QStringLiteral("ResetMsg"));
        return true;
    case QuickTour:
        if (saveModified())
            openProject(QDir(m_sampleFolder).filePath(QString::fromLatin1(kQuickTourFile)));
        return true;
    case MagneticFrames: {
        CBoolProp& snap = m_services.snapper().settings().snapToFrames;
        snap.set(!snap.get());
        return true;
    }
    case SoundEffects: {
        CBoolProp& sound = m_services.snapper().settings().snapSound;
        sound.set(!sound.get());
        return true;
    }
    case GridSettings:
        gridSettings();
        return true;
    case AddPictures:
        addPictures();
        return true;
    case ExportImage:
        exportImage();
        return true;
    case ZadeDudaziz:
        zadeDudaziz();
        return true;
    case ZiraRadaru:
        if (CZiraRadaru(m_doc).run())
            documentChanged();
        return true;
    default:
        return false;
    }
}

std::optional<CCommandState> CDocumentTarget::commandState(int id) const
{
    if (id >= RecentFileFirst && id < RecentFileFirst + RecentFileCount)
        return CCommandState{id - RecentFileFirst < m_recent.paths().size(), false};
    const bool hasSelection = !m_services.selection().IsEmpty();
    if (isFrameCommand(id)) {
        if (id == MergeFrames)
            return CCommandState{m_services.selection().Count() >= 2, false};
        if (id == ResizeCanvasToFit)
            return CCommandState{m_services.frames().frameCount() > 0, false};
        return CCommandState{hasSelection, false};
    }
    if (id == AdjustImage)
        return CCommandState{m_frameCommands->hasSelectedPhoto(), false};
    if (id == LockFrames)
        return CCommandState{true, m_services.frames().framesLocked()};
    if (contains(kStyleCommandIds, id))
        return CCommandState{};
    switch (id) {
    case New:
    case Open:
    case Close:
    case Save:
    case SaveAs:
    case SaveAsTemplate:
    case ResetInfoTips:
    case GridSettings:
    case AddPictures:
    case ExportImage:
    case ZadeDudaziz:
        return CCommandState{};
    case ZiraRadaru:
        return CCommandState{m_services.frames().frameCount() > 0, false};
    case QuickTour:
        return CCommandState{QFileInfo::exists(QDir(m_sampleFolder).filePath(QString::fromLatin1(kQuickTourFile))),
                             false};
    case Undo:
        return CCommandState{m_doc.canUndo(), false};
    case Redo:
        return CCommandState{m_doc.canRedo(), false};
    case ReloadImages:
        return CCommandState{m_services.frames().frameCount() > 0, false};
    case MagneticFrames:
        return CCommandState{true, m_services.snapper().settings().snapToFrames.get()};
    case SoundEffects:
        return CCommandState{true, m_services.snapper().settings().snapSound.get()};
    default:
        return std::nullopt;
    }
}

bool CDocumentTarget::saveModified()
{
    return m_docCommands->saveModified();
}

// The window stays, with an empty, untitled canvas: a single-document
// editor has nothing else to show.
void CDocumentTarget::closeProject()
{
    if (!saveModified())
        return;
    m_doc.newDocument();
    documentChanged();
}

bool CDocumentTarget::openProject(const QString& path)
{
    // A file of a newer program would be refused only after the current
    // document has been cleared; refusing it here keeps the user's work.
    if (QFileInfo(path).isFile()) {
        const std::optional<CProjectSummary> summary = ProjectPeek::read(path);
        if (summary && summary->fileVersion > CCollageDoc::kFileVersion) {
            m_services.catalogue().show(QStringLiteral("WrongDocVersion"), MsgStyle::InfoOk);
            return false;
        }
    }
    const CCollageDoc::OpenResult result = m_doc.openDocument(path);
    if (result == CCollageDoc::OpenResult::NotFound)
        m_recent.remove(path);
    if (result != CCollageDoc::OpenResult::Opened) {
        documentChanged();
        return false;
    }
    if (!m_doc.isTemplate() && !m_doc.isQuickStart())
        m_recent.add(m_doc.path());
    documentChanged();
    return true;
}

int CDocumentTarget::dropImages(const QStringList& paths, const QPointF& canvasPoint, CImageDrop::Target target)
{
    // Photos dropped into a template make it a project first, if the user agrees.
    if (m_doc.isTemplate() && !m_docCommands->convertTemplateToProject())
        return 0;
    const CImageDropResult result = CImageDrop(m_doc).drop(paths, canvasPoint, target);
    const int placed = result.framesAdded + result.framesFilled;
    CMessageCatalogue& catalogue = m_services.catalogue();
    if (result.outsideCanvas)
        catalogue.show(QStringLiteral("DropInsideCanvas"), MsgStyle::InfoOk);
    else if (result.frameIdsExhausted)
        catalogue.show(QStringLiteral("FrameIdsExhausted"), MsgStyle::WarningOk);
    else if (placed == 0 && !result.refused.isEmpty())
        catalogue.show(QStringLiteral("DropperNoValidPhoto"), MsgStyle::InfoOk);
    else if (!result.refused.isEmpty())
        catalogue.showText(CImageDrop::refusalText(catalogue, result), MsgStyle::InfoOk);
    if (placed > 0)
        documentChanged();
    return placed;
}

void CDocumentTarget::zadeDudaziz()
{
    bool jumble = false;
    CQuickCollage::Hooks hooks;
    hooks.showWaitCursor = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    hooks.runWizard = [this, &jumble] {
        const std::optional<bool> finished = m_dialogs.runZadeDudazizWizard();
        jumble = finished.value_or(false);
        return finished.has_value();
    };
    const CQuickCollage::Result result = CQuickCollage(m_doc, hooks).run();
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (result == CQuickCollage::Result::Done && jumble)
        CZiraRadaru(m_doc).run();
    documentChanged();
}

bool CDocumentTarget::dropFromDropper(const QString& path, const QPointF& canvasPoint)
{
    CPicDropper& dropper = m_services.dropper();
    const int index = dropper.indexOf(path);
    if (index < 0)
        return false;
    if (!QRectF(0, 0, m_doc.canvasWidth(), m_doc.canvasHeight()).contains(canvasPoint)) {
        m_services.catalogue().show(QStringLiteral("DropInsideCanvas"), MsgStyle::InfoOk);
        return false;
    }
    if (m_doc.isTemplate() && !m_docCommands->convertTemplateToProject())
        return false;
    dropper.setCurrentIndex(index);
    CPicInfoManager& frames = m_services.frames();
    CPicInfo* placed = dropper.DropCurrent(frames, canvasPoint, frameAtPoint(frames, canvasPoint));
    if (!placed) {
        m_services.catalogue().show(QStringLiteral("FrameIdsExhausted"), MsgStyle::WarningOk);
        return false;
    }
    documentChanged();
    return true;
}

void CDocumentTarget::newCollage()
{
    const std::optional<CNewCollageChoice> choice =
        m_dialogs.askNewCollage(m_doc.canvasWidth(), m_doc.canvasHeight(), true);
    if (!choice)
        return;

    using Kind = CNewCollageChoice::Kind;
    switch (choice->kind) {
    case Kind::ZadeDudaziz:
        if (m_sendCommand)
            m_sendCommand(ZadeDudaziz);
        return;
    case Kind::Template:
    case Kind::ExistingProject:
        if (!saveModified() || !openProject(choice->path))
            return;
        // A template opened from here becomes a new, untitled project.
        if (m_doc.isTemplate()) {
            m_doc.setFlags(0);
            m_doc.setPath({});
            documentChanged();
        }
        return;
    case Kind::FreeForm:
    case Kind::Grid:
        break;
    }

    if (!saveModified())
        return;
    m_doc.setPath({});
    m_doc.newDocument();

    // The new canvas is where the history starts: nothing to undo.
    CUndo& undo = m_services.undo();
    CPicInfoManager& frames = m_services.frames();
    undo.DisableRecording();
    if (choice->width > 0.0f && choice->height > 0.0f)
        m_doc.setCanvasSize(choice->width, choice->height, false);
    frames.setCanvasSizeMode(choice->canvasSizeMode);
    frames.setResolution(choice->resolution);
    if (choice->printer) {
        m_services.printer().setSetup(*choice->printer);
        m_doc.updateAllViews(DocHint::SelectionGeometry);
    }
    m_doc.updateAllViews(DocHint::ReleaseFrameObjects);
    m_doc.updateAllViews(DocHint::FitToWindow);
    CNotificationBus& bus = m_services.bus();
    if (choice->kind == Kind::Grid) {
        const CCanvasRect whole{0.0f, 0.0f, m_doc.canvasWidth(), m_doc.canvasHeight()};
        CPicInfo* frame = CFrameOps(frames).createFrame(whole);
        frames.setFramesLocked(true);
        if (frame)
            m_services.selection().Add(frame, CSelection::AddAlone);
        bus.Broadcast(QString::fromLatin1(Channel::Tip), QStringLiteral("Tip::Splitter"), nullptr, true,
                      kSplitterTipDelay);
    }
    undo.EnableRecording();
    undo.Clear();
    bus.Broadcast(QString::fromLatin1(Channel::Tip), QStringLiteral("Tip::PhotoBrowse"), nullptr, true,
                  kPhotoBrowseTipDelay);
    bus.Broadcast(QString::fromLatin1(Channel::Tip), QStringLiteral("Tip::EmailCollage"), nullptr, true,
                  kEmailTipDelay);
    m_doc.updateAllViews(DocHint::EverythingChanged);
    m_doc.updateAllViews(DocHint::ReleaseFrameObjects, 1);
    m_doc.setModified(false);
    documentChanged();
}

void CDocumentTarget::openFromPicker()
{
    const std::optional<QString> path = m_dialogs.askOpenPath();
    if (path && saveModified())
        openProject(*path);
}

void CDocumentTarget::openRecent(int index)
{
    if (index < 0 || index >= m_recent.paths().size())
        return;
    const QString path = m_recent.paths().at(index);
    if (saveModified())
        openProject(path);
}

void CDocumentTarget::reloadImages()
{
    CProgress& progress = m_services.progress();
    CPicInfoManager& frames = m_services.frames();
    std::vector<CPicInfo*> withPhotos;
    for (const auto& frame : frames.frames()) {
        if (frame->photo())
            withPhotos.push_back(frame.get());
    }
    progress.reset();
    progress.setText(QString::fromLatin1(kReloadText));
    progress.setRange(0, int(withPhotos.size()));
    progress.begin();
    for (CPicInfo* frame : withPhotos) {
        CPhotoItem* photo = frame->photo();
        progress.setText(QFileInfo(photo->path()).fileName());
        m_services.images().LoadFullImage(*photo, true, false);
        m_services.images().GetWorkingCopy(*photo, true);
        if (!progress.step())
            break;
    }
    progress.end();
    frames.invalidateAll();
}

void CDocumentTarget::gridSettings()
{
    CSnapSettings& settings = m_services.snapper().settings();
    const CGridChoice current{settings.showGrid.get(), settings.drawGridLines.get(), settings.gridWidth.get(),
                              settings.gridHeight.get()};
    const std::optional<CGridChoice> chosen = m_dialogs.askGridSettings(current);
    if (!chosen)
        return;
    settings.showGrid.set(chosen->showGrid);
    settings.drawGridLines.set(chosen->drawGridLines);
    if (chosen->width > 0.0f)
        settings.gridWidth.set(chosen->width);
    if (chosen->height > 0.0f)
        settings.gridHeight.set(chosen->height);
    m_doc.updateAllViews(DocHint::EverythingChanged);
}

void CDocumentTarget::addPictures()
{
    const QStringList files = m_dialogs.askPictures();
    if (!files.isEmpty())
        dropImages(files, QPointF(m_doc.canvasWidth() / 2, m_doc.canvasHeight() / 2),
                   CImageDrop::Target::SelectedEmptyFrames);
}

void CDocumentTarget::exportImage()
{
    const QString written = m_dialogs.showExport();
    if (!written.isEmpty())
        showStatus(QString::fromLatin1(kExportedStatus), QDir::toNativeSeparators(written));
}

void CDocumentTarget::showStatus(const QString& catalogueKey, const QString& argument)
{
    if (!m_status)
        return;
    QString text = m_services.catalogue().text(catalogueKey);
    if (!argument.isEmpty())
        text = text.arg(argument);
    m_status(text.simplified());
}

bool CDocumentTarget::runStyleCommand(int id)
{
    switch (id) {
    case LockFrames:
        m_frameCommands->setFramesLocked(!m_services.frames().framesLocked());
        break;
    case AdjustImage:
        if (m_frameCommands->hasSelectedPhoto()) {
            if (const auto tone = m_dialogs.askImageTone(m_frameCommands->selectedImageTone()))
                m_frameCommands->setImageTone(*tone);
        }
        break;
    case BorderAndShadow:
        if (const auto style = m_dialogs.askFrameStyle(m_frameCommands->frameStyle()))
            m_frameCommands->setFrameStyle(*style);
        break;
    case CanvasColour:
        if (const auto colour = m_dialogs.askCanvasColour(m_services.frames().canvasColour()))
            m_frameCommands->setCanvasColour(*colour);
        break;
    default:
        return false;
    }
    documentChanged();
    return true;
}

bool CDocumentTarget::runFrameCommand(int id)
{
    bool changed = false;
    switch (id) {
    case SplitFrame:
        changed = m_frameCommands->split();
        if (changed)
            m_services.bus().Broadcast(QString::fromLatin1(Channel::Tip), QString::fromLatin1(kSplitterUsageTip),
                                       nullptr, true);
        break;
    case MergeFrames:
        changed = m_frameCommands->merge();
        break;
    case SwapDimensions:
        changed = m_frameCommands->swapDimensions();
        break;
    case SnapUpright:
        changed = m_frameCommands->snapUpright();
        break;
    case SpinRight:
        changed = m_frameCommands->spinRight();
        break;
    case SpinLeft:
        changed = m_frameCommands->spinLeft();
        break;
    case SnapFrameToImage:
        changed = m_frameCommands->snapFrameToImage();
        break;
    case SnapImageToFrame:
        changed = m_frameCommands->snapImageToFrame();
        break;
    case DuplicateSelected: {
        const CViewCoords* coords = m_viewCoords ? m_viewCoords() : nullptr;
        changed = m_frameCommands->duplicate(coords ? *coords : CViewCoords());
        break;
    }
    case ResizeCanvasToFit:
        changed = m_frameCommands->resizeCanvasToFit();
        break;
    case RemoveSelected:
        changed = m_frameCommands->removeSelected();
        break;
    default:
        return false;
    }
    // A command the lock held back says so, and how to unlock.
    if (!changed && contains(kLockedOutIds, id) && m_frameCommands->lockHoldsSelection())
        showStatus(QString::fromLatin1(kLockedStatus));
    return true;
}

void CDocumentTarget::documentChanged()
{
    if (m_documentChanged)
        m_documentChanged();
}
