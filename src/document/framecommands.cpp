#include "framecommands.h"

#include "collagedoc.h"
#include "framehittest.h"
#include "framelocklift.h"
#include "frameops.h"
#include "messagecatalogue.h"
#include "picinfomanager.h"
#include "selection.h"
#include "undo.h"
#include "viewcoords.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace {

constexpr const char* kMergeWarning = "MergeWarning";
constexpr const char* kFrameIdsExhausted = "FrameIdsExhausted";

// Frames thinner than this in either direction are left out of the
// collage's bounds.
constexpr float kMinFrameExtent = std::numeric_limits<float>::epsilon();

CCanvasRect toCanvasRect(const QRectF& rect)
{
    return {float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())};
}

// A new frame on top, in `rect`, with the source's planes, permissions,
// rotation, tone, description, link and style; with its photo and image
// placement (moved along with the frame) when `withPhoto`, else without an
// image. Null when the source's plane has no free id left.
CPicInfo* cloneFrame(CPicInfoManager& frames, const CPicInfo& source, const CCanvasRect& rect, bool withPhoto,
                     bool shown)
{
    CPicInfo* clone =
        CFrameOps(frames).createFrame(rect, CPicInfoManager::planeNumberOf(source.planes()), shown);
    if (!clone)
        return nullptr;

    // Undoing the creation deletes the clone whole and records it whole, so
    // what it copies here needs no records of its own.
    CUndoSuspend quiet(frames.undo());
    clone->setPlanes(source.planes());
    clone->setPermissions(source.permissions());
    clone->applyLock(frames.framesLocked());
    const QString path = source.recordedPhotoPath();
    if (withPhoto && !path.isEmpty())
        clone->restorePhoto(path, FrameChange::ImageIntoFrame);
    // After the photo, which resets the attributes.
    const CPicInfoAttr& attr = source.attributes();
    clone->setAlpha(attr.alpha());
    clone->setBrightness(attr.brightness());
    clone->setContrast(attr.contrast());
    clone->setGamma(attr.gamma());
    clone->setDescription(attr.description());
    clone->setLink(attr.link());
    clone->setRotation(source.rotation());
    clone->setDrawBorder(source.drawsBorder());
    clone->setDrawShadow(source.drawsShadow());
    if (withPhoto) {
        const CCanvasRect& image = source.imageRect();
        clone->setImagePos(image.x + (rect.x - source.frameRect().x), image.y + (rect.y - source.frameRect().y));
        clone->setImageSize(image.width, image.height);
    }
    return clone;
}

} // namespace

bool askMergeWarning(CMessageCatalogue& catalogue)
{
    return catalogue.show(QString::fromLatin1(kMergeWarning), MsgStyle::QuestionYesNoCancel) == MsgButton::Yes;
}

// ---------------------------------------------------------------------------

CFrameCommands::CFrameCommands(CCollageDoc& doc, CFrameCommandQuestions& questions)
    : m_doc(doc)
    , m_questions(questions)
    , m_frames(doc.services().frames)
    , m_selection(doc.services().selection)
    , m_undo(doc.services().undo)
{
}

// The frame every command runs in: redraw held, one undo group, the
// document marked modified when something changed. `body` returns whether
// it changed anything; when it did not, whatever it recorded (a lock lifted
// and put back) is taken back and no step is left.
template <typename Body>
bool CFrameCommands::run(Body body)
{
    m_frames.holdRedraw();
    m_undo.Begin();
    const bool changed = body();
    if (changed)
        m_undo.Term();
    else
        m_undo.TermAndUndo();
    m_frames.releaseRedraw();
    if (changed)
        m_doc.setModified(true);
    return changed;
}

bool CFrameCommands::haveFrameIds(const std::vector<CPicInfo*>& sources, quint32 newFramesEach)
{
    std::map<quint32, quint64> needed;
    for (const CPicInfo* source : sources)
        needed[CPicInfoManager::planeNumberOf(source->planes())] += newFramesEach;
    for (const auto& [plane, count] : needed) {
        if (m_frames.freeFrameIds(plane) < count) {
            m_doc.services().catalogue.show(QString::fromLatin1(kFrameIdsExhausted), MsgStyle::WarningOk);
            return false;
        }
    }
    return true;
}

void CFrameCommands::moveWithImage(CPicInfo& frame, float x, float y)
{
    const CCanvasRect old = frame.frameRect();
    if (!frame.setFramePos(x, y))
        return;
    const CCanvasRect& image = frame.imageRect();
    frame.setImagePos(image.x + (x - old.x), image.y + (y - old.y));
}

// ---------------------------------------------------------------------------
// Split

bool CFrameCommands::split()
{
    const std::optional<CSplitCounts> counts = m_questions.askSplit();
    return counts && split(*counts);
}

bool CFrameCommands::split(CSplitCounts counts)
{
    const int columns = std::clamp(counts.columns, kMinSplitCount, kMaxSplitCount);
    const int rows = std::clamp(counts.rows, kMinSplitCount, kMaxSplitCount);
    if (columns * rows == 1)
        return false;
    std::vector<CPicInfo*> frames;
    for (CPicInfo* frame : m_selection.frames()) {
        if (!frame->frameRect().isEmpty())
            frames.push_back(frame);
    }
    if (frames.empty() || !haveFrameIds(frames, quint32(columns * rows - 1)))
        return false;

    return run([&] {
        CFrameLockLift lift(m_frames);
        for (CPicInfo* frame : frames)
            splitFrame(*frame, columns, rows);
        return true;
    });
}

void CFrameCommands::splitFrame(CPicInfo& frame, int columns, int rows)
{
    // Maps a point of the unrotated frame to the canvas; taken before the
    // frame shrinks to its first cell.
    const QTransform placement = frame.placementTransform();
    const CCanvasRect whole = frame.frameRect();
    const bool upright = frame.rotation() == 0.0f;
    const float cellWidth = whole.width / float(columns);
    const float cellHeight = whole.height / float(rows);

    // The frame keeps its photo and image placement: it now shows the
    // top-left part of its former picture.
    frame.setFrameSize(cellWidth, cellHeight);

    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const float offsetX = float(column) * cellWidth;
            const float offsetY = float(row) * cellHeight;
            float x = whole.x + offsetX;
            float y = whole.y + offsetY;
            if (!upright) {
                // The cells keep the frame's rotation: each is centred where
                // its centre lay in the turned frame.
                const QPointF centre = placement.map(QPointF(offsetX + cellWidth / 2.0, offsetY + cellHeight / 2.0));
                x = float(centre.x() - cellWidth / 2.0);
                y = float(centre.y() - cellHeight / 2.0);
            }
            if (row == 0 && column == 0) {
                moveWithImage(frame, x, y);
                continue;
            }
            cloneFrame(m_frames, frame, {x, y, cellWidth, cellHeight}, false, true);
        }
    }
}

// ---------------------------------------------------------------------------
// Merge

bool CFrameCommands::merge()
{
    const std::vector<CPicInfo*> frames = m_selection.frames();
    if (frames.size() < 2)
        return false;
    bool risky = false;
    const CCanvasRect box = toCanvasRect(m_selection.BoundingBox(&risky));
    if (risky && !m_questions.askMerge())
        return false;

    return run([&] {
        CFrameLockLift lift(m_frames);
        CFrameOps ops(m_frames);
        for (size_t i = 1; i < frames.size(); ++i)
            ops.deleteFrame(*frames[i]);
        CPicInfo& survivor = *frames.front();
        {
            CUndoGroup resize(&m_undo);
            moveWithImage(survivor, box.x, box.y);
            survivor.setFrameSize(box.width, box.height);
        }
        survivor.setRotation(0.0f);
        return true;
    });
}

// ---------------------------------------------------------------------------
// One change per selected frame

bool CFrameCommands::swapDimensions()
{
    return run([&] {
        bool changed = false;
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            const CCanvasRect& rect = frame->frameRect();
            changed |= frame->setFrameSize(rect.height, rect.width);
        }
        return changed;
    });
}

bool CFrameCommands::snapUpright()
{
    return run([&] {
        bool changed = false;
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            if (frame->hasPermission(CPicInfo::kPermissionRotateImage))
                changed |= frame->setRotation(0.0f);
        }
        return changed;
    });
}

bool CFrameCommands::spinRight() { return spin(kSpinStep); }

bool CFrameCommands::spinLeft() { return spin(-kSpinStep); }

bool CFrameCommands::spin(float degrees)
{
    return run([&] {
        bool changed = false;
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            if (frame->hasPermission(CPicInfo::kPermissionRotateImage))
                changed |= frame->setRotation(frame->rotation() + degrees);
        }
        return changed;
    });
}

bool CFrameCommands::snapFrameToImage()
{
    return run([&] {
        bool changed = false;
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            const CCanvasRect image = frame->imageRect();
            if (!frame->photo() || image.isEmpty() || !frame->hasPermission(CPicInfo::kPermissionResizeFrame))
                continue;
            CUndoGroup both(&m_undo);
            changed |= frame->setFrameSize(image.width, image.height);
            changed |= frame->setImagePos(frame->frameRect().x, frame->frameRect().y);
        }
        return changed;
    });
}

bool CFrameCommands::snapImageToFrame()
{
    return run([&] {
        bool changed = false;
        CFrameOps ops(m_frames);
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            if (frame->photo())
                changed |= ops.fitImageIntoFrame(*frame);
        }
        return changed;
    });
}

// ---------------------------------------------------------------------------
// Duplicate

bool CFrameCommands::duplicate(const CViewCoords& view)
{
    const std::vector<CPicInfo*> sources = m_selection.frames();
    if (sources.empty() || !haveFrameIds(sources, 1))
        return false;
    // The same number of pixels at any zoom.
    const float offset = kDuplicateOffsetPixels * view.pixelWidth();

    return run([&] {
        CFrameLockLift lift(m_frames);
        bool changed = false;
        for (CPicInfo* source : sources) {
            CCanvasRect rect = source->frameRect();
            rect.x += offset;
            rect.y += offset;
            CPicInfo* copy = cloneFrame(m_frames, *source, rect, true, source->isShown());
            if (!copy)
                continue;
            changed = true;
            m_selection.Add(copy, CSelection::AddExtend);
            m_selection.Remove(source);
        }
        return changed;
    });
}

// ---------------------------------------------------------------------------
// Resize canvas to fit collage

bool CFrameCommands::resizeCanvasToFit()
{
    QRectF bounds;
    bool any = false;
    for (const auto& frame : m_frames.frames()) {
        const CCanvasRect& rect = frame->frameRect();
        if (!m_frames.isDrawn(*frame) || !(rect.width >= kMinFrameExtent) || !(rect.height >= kMinFrameExtent))
            continue;
        const QRectF outline = frameOutlineBounds(*frame);
        bounds = any ? bounds.united(outline) : outline;
        any = true;
    }
    if (!any)
        return false;
    const CCanvasRect box = toCanvasRect(bounds);
    if (box.x == 0.0f && box.y == 0.0f && box.width == m_doc.canvasWidth() && box.height == m_doc.canvasHeight())
        return false;

    return run([&] {
        // Moving the whole collage does not change its arrangement, which is
        // what the lock protects; a locked collage moves like any other.
        CFrameLockLift lift(m_frames);
        bool changed = false;
        // Moving frames leaves the stacking list as it is.
        for (const auto& frame : m_frames.frames()) {
            const CCanvasRect before = frame->frameRect();
            moveWithImage(*frame, before.x - box.x, before.y - box.y);
            changed |= !(frame->frameRect() == before);
        }
        const float oldWidth = m_doc.canvasWidth();
        const float oldHeight = m_doc.canvasHeight();
        m_doc.setCanvasSize(box.width, box.height);
        changed |= oldWidth != m_doc.canvasWidth() || oldHeight != m_doc.canvasHeight();
        return changed;
    });
}

// ---------------------------------------------------------------------------
// Remove, lock, tone, style and canvas

bool CFrameCommands::removeSelected()
{
    const std::vector<CPicInfo*> frames = m_selection.frames();
    if (frames.empty())
        return false;
    return run([&] {
        CFrameOps ops(m_frames);
        bool changed = false;
        for (CPicInfo* frame : frames)
            changed |= ops.deleteFrame(*frame);
        return changed;
    });
}

bool CFrameCommands::setFramesLocked(bool locked)
{
    return run([&] { return m_frames.setFramesLocked(locked); });
}

bool CFrameCommands::lockHoldsSelection() const
{
    if (!m_frames.framesLocked())
        return false;
    for (const CPicInfo* frame : m_selection.frames()) {
        if (frame->isInPlanes(CPicInfo::kPlanePhotos) && !frame->hasPermission(CPicInfo::kLockedPermissions))
            return true;
    }
    return false;
}

bool CFrameCommands::hasSelectedPhoto() const
{
    return std::any_of(m_selection.frames().begin(), m_selection.frames().end(),
                       [](const CPicInfo* frame) { return frame->photo() != nullptr; });
}

CImageTone CFrameCommands::selectedImageTone() const
{
    for (const CPicInfo* frame : m_selection.frames()) {
        if (!frame->photo())
            continue;
        const CPicInfoAttr& attr = frame->attributes();
        return {attr.brightness(), attr.contrast(), attr.gamma(), attr.alpha()};
    }
    return {};
}

bool CFrameCommands::setImageTone(const CImageTone& tone)
{
    return run([&] {
        bool changed = false;
        for (CPicInfo* frame : std::vector<CPicInfo*>(m_selection.frames())) {
            if (!frame->photo())
                continue;
            changed |= frame->setBrightness(tone.brightness);
            changed |= frame->setContrast(tone.contrast);
            changed |= frame->setGamma(tone.gamma);
            changed |= frame->setAlpha(tone.alpha);
        }
        return changed;
    });
}

CFrameStyle CFrameCommands::frameStyle() const
{
    return {m_frames.border().enabled, m_frames.border().width, m_frames.border().colour, m_frames.shadow().enabled};
}

bool CFrameCommands::setFrameStyle(const CFrameStyle& style)
{
    return run([&] {
        bool changed = m_frames.setBorderEnabled(style.border);
        if (std::isfinite(style.borderWidth) && style.borderWidth >= 0.0f)
            changed |= m_frames.setBorderWidth(style.borderWidth);
        changed |= m_frames.setBorderColour(style.borderColour);
        changed |= m_frames.setShadowEnabled(style.shadow);
        return changed;
    });
}

bool CFrameCommands::setCanvasColour(QRgb colour)
{
    return run([&] { return m_frames.setCanvasColour(colour); });
}

