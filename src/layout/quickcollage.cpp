#include "quickcollage.h"

#include "collagedoc.h"
#include "framelocklift.h"
#include "frameops.h"
#include "messagecatalogue.h"
#include "photoimage.h"
#include "photoitem.h"
#include "picdropper.h"
#include "picinfomanager.h"
#include "progress.h"
#include "selection.h"
#include "undo.h"

#include <QFileInfo>
#include <QSet>

#include <chrono>
#include <vector>

namespace {

// Where a dropper photo's frame starts; the layout moves it at once.
constexpr CCanvasRect kDropperFrameRect{0.0f, 0.0f, 10.0f, 10.0f};

// The photo frames the command works on; page segments are frames too,
// but they belong to the printout, not to the arrangement.
std::vector<CPicInfo*> photoFrames(const CPicInfoManager& frames)
{
    return frames.framesInPlanes(CPicInfo::kPlanePhotos);
}

} // namespace

CQuickCollage::CQuickCollage(CCollageDoc& doc, Hooks hooks)
    : m_doc(doc)
    , m_hooks(std::move(hooks))
{
}

quint32 CQuickCollage::tickCount()
{
    // The monotonic clock counts from the system's start on the platforms
    // we build for; only its low 32 bits matter, as with a tick count.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

CQuickCollage::Result CQuickCollage::run()
{
    const Result result = run(tickCount());
    showMessage(result);
    return result;
}

void CQuickCollage::showMessage(Result result)
{
    CMessageCatalogue& catalogue = m_doc.services().catalogue;
    switch (result) {
    case Result::Done: break;
    case Result::NoPhotos: catalogue.show(QString::fromLatin1(kNoPhotosKey), MsgStyle::InfoOk); break;
    case Result::OnePhoto: catalogue.show(QString::fromLatin1(kOnePhotoKey), MsgStyle::InfoOk); break;
    case Result::NoLayout: catalogue.show(QString::fromLatin1(kNoLayoutKey), MsgStyle::ErrorOk); break;
    case Result::Cancelled: break;
    }
}

CQuickCollage::Result CQuickCollage::run(quint32 seed, const CLayoutEngine::Clock& clock)
{
    const CDocServices& services = m_doc.services();
    CPicInfoManager& frames = services.frames;
    CUndo& undo = services.undo;

    CPicDropper& dropper = services.dropper;
    const auto available = [&frames, &dropper] {
        int photos = dropper.count();
        for (const CPicInfo* frame : photoFrames(frames))
            photos += frame->photo() ? 1 : 0;
        return photos;
    };
    if (available() == 0) {
        // The wizard helps the user pick photos into the dropper; the
        // command goes on only when it ends with Finish.
        if (!m_hooks.runWizard)
            return Result::NoPhotos;
        if (!m_hooks.runWizard())
            return Result::Cancelled;
    }
    const int photos = available();
    if (photos == 0)
        return Result::NoPhotos;
    if (photos == 1)
        return Result::OnePhoto;

    frames.holdRedraw();
    undo.Begin(QString::fromLatin1(CUndo::kZadeDudazizGroup));
    frames.setVisiblePlanes(CPicInfo::kPlanePageSegments, 0);

    CFrameOps operations(frames);
    QSet<const CPhotoItem*> shown;
    for (const CPicInfo* frame : photoFrames(frames))
        shown.insert(frame->photo());
    for (const CDropperEntry& entry : dropper.entries()) {
        if (!entry.photo || shown.contains(entry.photo))
            continue;
        if (CPicInfo* frame = operations.createFrame(kDropperFrameRect))
            frame->setPhoto(entry.photo);
    }
    dropper.EmptyDropper();

    frames.setFramesLocked(true);
    for (CPicInfo* frame : photoFrames(frames)) {
        if (!frame->photo())
            operations.deleteFrame(*frame);
    }
    std::vector<CPicInfo*> inputs = photoFrames(frames);
    std::vector<QSizeF> sizes;
    for (CPicInfo* frame : inputs) {
        frame->setRotation(0.0f);
        sizes.emplace_back(frame->photo()->pixelWidth(), frame->photo()->pixelHeight());
    }

    CLayoutEngine::Options options;
    options.seed = seed;
    options.clock = clock;
    options.showWaitCursor = m_hooks.showWaitCursor;
    CLayoutEngine engine(QRectF(0, 0, m_doc.canvasWidth(), m_doc.canvasHeight()), sizes, options);
    if (!engine.Run()) {
        undo.TermAndUndo();
        frames.releaseRedraw();
        return Result::NoLayout;
    }

    services.selection.Clear();
    dropper.SetToolMode(false);
    {
        CFrameLockLift lift(frames);
        for (const CLayoutPlacement& placement : engine.Assign()) {
            CPicInfo& frame = *inputs[std::size_t(placement.photo)];
            frame.setFramePos(placement.cell.x, placement.cell.y);
            frame.setFrameSize(placement.cell.width, placement.cell.height);
            operations.fitImageIntoFrame(frame);
        }
    }
    frames.setJumbled(false);

    CProgress& progress = services.progress;
    progress.reset();
    progress.setText(QString::fromLatin1(kProgressText));
    progress.setRange(0, kProgressSteps);
    progress.begin();
    for (CPicInfo* frame : inputs) {
        progress.setText(QFileInfo(frame->photoPath()).fileName());
        services.images.GetWorkingCopy(*frame->photo());
        if (!progress.step())
            break; // the layout stands; images not built yet are built when drawn
    }
    progress.end();

    undo.Term();
    frames.releaseRedraw();
    m_doc.setModified(true);
    m_doc.updateAllViews(DocHint::EverythingChanged);
    return Result::Done;
}
